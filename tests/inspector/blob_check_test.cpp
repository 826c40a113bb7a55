// The settings blob checks: what Import refuses is an error, what it takes
// although Export never writes it a warning.
#include <gtest/gtest.h>

#include "tests/inspector/crafted_streams.h"
#include "inspector/blob_check.h"

using namespace inspector_testing;

namespace {

std::vector<uint8_t> Blob(const uint32_t (&header)[6], size_t size) {
    std::vector<uint8_t> blob(std::max<size_t>(size, 24), 'x');
    for (int i = 0; i < 6; ++i) PutLe32(&blob[i * 4], header[i]);
    blob.resize(size);
    return blob;
}

struct Checked {
    FindingList findings;
    BlobSummary summary;
};

Checked Check(const std::vector<uint8_t>& blob) {
    Checked c;
    c.summary = CheckSettingsBlob(blob.data(), blob.size(), c.findings);
    BlobLayout layout;
    EXPECT_EQ(c.summary.importable, ParseBlobHeader(blob.data(), blob.size(), layout));
    EXPECT_EQ(c.summary.importable, c.findings.Errors() == 0) << AllText(c.findings);
    return c;
}

void ExpectFinding(const Checked& c, Severity severity, uint64_t offset, const std::string& part) {
    inspector_testing::ExpectFinding(c.findings, severity, "blob", offset, part);
}

TEST(BlobCheck, WrittenBlobsAreSound) {
    const uint32_t sizes[kPartCount] = {10, 0, 5};
    BlobLayout layout;
    ASSERT_TRUE(MakeBlobLayout(sizes, layout));
    uint8_t header[kBlobHeaderSize];
    WriteBlobHeader(layout, header);
    std::vector<uint8_t> blob(header, header + kBlobHeaderSize);
    blob.resize(BlobTotalSize(layout), 'x');
    const Checked c = Check(blob);
    EXPECT_TRUE(c.findings.All().empty()) << AllText(c.findings);
    EXPECT_EQ(c.summary.header.end[kPartQRegExIni], 39u);

    EXPECT_EQ(Check(Blob({24, 24, 24, 24, 24, 24}, 24)).findings.All().size(), 0u);
}

TEST(BlobCheck, WhatImportRefusesIsAnErrorEach) {
    ExpectFinding(Check(Blob({24, 24, 24, 24, 24, 24}, 10)), Severity::kError, 0,
                  "the blob is 10 bytes long, shorter than its 24-byte header");
    const Checked c = Check(Blob({24, 30, 40, 35, 35, 90}, 60));
    EXPECT_EQ(c.findings.Errors(), 2u) << AllText(c.findings);
    ExpectFinding(c, Severity::kError, 8, "the QRegUser.rdb part starts at 0x28, after its end at 0x23");
    ExpectFinding(c, Severity::kError, 20, "the QRegEx.ini part ends at 0x5A, past the blob's end at 0x3C");
}

TEST(BlobCheck, WhatImportTakesButExportNeverWritesIsAWarning) {
    // The QRegEx.ini part first, then QRegUser.rdb, then RegUser.ini.
    const Checked reordered = Check(Blob({39, 46, 30, 39, 24, 30}, 46));
    EXPECT_TRUE(reordered.summary.importable);
    ExpectFinding(reordered, Severity::kWarning, 0, "the RegUser.ini part starts at 0x27, not right after the 24-byte");
    ExpectFinding(reordered, Severity::kWarning, 16, "the QRegEx.ini part starts at 0x18, not where the QRegUser.rdb");

    const Checked overlapping = Check(Blob({24, 40, 30, 50, 50, 60}, 70));
    ExpectFinding(overlapping, Severity::kWarning, 8,
                  "the RegUser.ini part and the QRegUser.rdb part overlap from 0x1E to 0x28");
    ExpectFinding(overlapping, Severity::kWarning, 60, "10 bytes after the header belong to no part");

    const Checked inHeader = Check(Blob({0, 30, 30, 30, 30, 30}, 30));
    ExpectFinding(inHeader, Severity::kWarning, 0, "the RegUser.ini part begins inside the header, at 0x0");
}

}  // namespace
