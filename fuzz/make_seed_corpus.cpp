// Writes the small seed corpus of the fuzz targets: a few well-formed inputs
// per target, built with the same encoders the product uses.
//   make_seed_corpus <corpus dir>   (creates <dir>/<target>/<name>)
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "core/byte_stream.h"
#include "core/regdefine.h"
#include "core/root_names.h"
#include "core/settings_blob.h"

namespace {

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

void SetWide(utf16_t* field, const char* text)
{
    while (*text != '\0')
        *field++ = static_cast<utf16_t>(*text++);
    *field = 0;
}

RuleCategory Category(int32_t id, const char* name)
{
    RuleCategory category{};
    category.id = id;
    std::snprintf(category.name, sizeof category.name, "%s", name);
    std::snprintf(category.description, sizeof category.description, "About %s", name);
    category.action = 2;
    category.mode = 2;
    category.option4 = 1;
    SetWide(category.wideName, name);
    SetWide(category.wideDescription, category.description);
    return category;
}

RuleItem Item(uint32_t root, const char* keyPath, const char* name, uint32_t flags)
{
    RuleItem item{};
    item.root = root;
    std::snprintf(item.keyPath, sizeof item.keyPath, "%s", keyPath);
    std::snprintf(item.name, sizeof item.name, "%s", name);
    item.flags = flags;
    SetWide(item.wideName, name);
    return item;
}

std::vector<uint8_t> RegDefine(RuleCategory* categories, uint32_t count)
{
    MemorySink sink;
    WriteRegDefine(sink, categories, count);
    ClearItems(categories, count);
    return sink.Bytes();
}

std::vector<uint8_t> RegLib(uint32_t count, const std::vector<const char*>& texts)
{
    std::string data;
    for (size_t t = 0; t < texts.size(); ++t) {
        data += texts[t];
        data += '\0';
        if (t % 5 == 4)
            data += '\x01';  // separator
    }
    data += '\0';
    std::vector<uint8_t> bytes(8);
    uint32_t size = static_cast<uint32_t>(data.size());
    for (int b = 0; b < 4; ++b) {
        bytes[b] = static_cast<uint8_t>(count >> (8 * b));
        bytes[4 + b] = static_cast<uint8_t>(size >> (8 * b));
    }
    bytes.insert(bytes.end(), data.begin(), data.end());
    return bytes;
}

std::vector<uint8_t> Blob(const uint32_t (&sizes)[kPartCount])
{
    BlobLayout layout;
    MakeBlobLayout(sizes, layout);
    std::vector<uint8_t> bytes(BlobTotalSize(layout), 'x');
    uint8_t header[kBlobHeaderSize];
    WriteBlobHeader(layout, header);
    std::memcpy(bytes.data(), header, sizeof header);
    return bytes;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus dir>\n", argv[0]);
        return 2;
    }
    std::string root = argv[1];
    for (const char* target : {"", "/fuzz_regdefine", "/fuzz_reglib", "/fuzz_blob"})
        mkdir((root + target).c_str(), 0755);

    bool ok = true;
    {
        ok &= WriteFile(root + "/fuzz_regdefine/no_categories", RegDefine(nullptr, 0));
        RuleCategory one[1] = {Category(800, "Empty")};
        ok &= WriteFile(root + "/fuzz_regdefine/empty_category", RegDefine(one, 1));
        RuleCategory two[2] = {Category(1, "Browser"), Category(99, "User")};
        const RuleItem a = Item(kHkeyCurrentUser, "Software\\A", "A", 2);
        const RuleItem b = Item(kHkeyLocalMachine, "Software\\B", "B", 8);
        const RuleItem dot = Item(kHkeyClassesRoot, ".txt", "Text", 3);
        PrependItem(&two[0], &a);
        PrependItem(&two[0], &b);
        PrependItem(&two[1], &dot);
        ok &= WriteFile(root + "/fuzz_regdefine/two_categories", RegDefine(two, 2));
    }
    ok &= WriteFile(root + "/fuzz_reglib/two_records",
                    RegLib(2, {"Browser", "Start page", "HKCU\\Software\\X\\Start Page", "www", "1",
                               "System", "", "HKLM\\Software\\Run", "%system%\\a.exe", "-3"}));
    ok &= WriteFile(root + "/fuzz_reglib/count_too_large",
                    RegLib(5, {"Files", "Any", "HKCR\\.exe", "*.exe", "0"}));
    ok &= WriteFile(root + "/fuzz_blob/empty_parts", Blob({0, 0, 0}));
    ok &= WriteFile(root + "/fuzz_blob/three_parts", Blob({10, 0, 5}));
    return ok ? 0 : 1;
}
