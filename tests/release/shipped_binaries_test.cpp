// The binaries the suite folder ships, read as a user's Windows reads them:
// the oldest Windows they run on in the PE header, only imports that this
// Windows has (the checked-in allow-list), and no debug information but a
// link to the split-off symbols.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/support/test_files.h"

using namespace testing_support;

namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A 32-bit PE image read from its file bytes; every read is bounds-checked.
class PeImage {
public:
    explicit PeImage(std::string bytes) : bytes_(std::move(bytes)) {
        auto dos = Read<IMAGE_DOS_HEADER>(0);
        if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE) return;
        nt_ = Read<IMAGE_NT_HEADERS32>(static_cast<size_t>(dos->e_lfanew));
        if (!nt_ || nt_->Signature != IMAGE_NT_SIGNATURE ||
            nt_->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
            nt_ = nullptr;
            return;
        }
        size_t first = static_cast<size_t>(dos->e_lfanew) + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) +
                       nt_->FileHeader.SizeOfOptionalHeader;
        for (WORD i = 0; i < nt_->FileHeader.NumberOfSections; ++i) {
            auto section = Read<IMAGE_SECTION_HEADER>(first + i * sizeof(IMAGE_SECTION_HEADER));
            if (section) sections_.push_back(section);
        }
    }

    const IMAGE_NT_HEADERS32* Headers() const { return nt_; }

    // Section names, long ones ("/4") looked up in the COFF string table.
    std::vector<std::string> SectionNames() const {
        std::vector<std::string> names;
        for (const IMAGE_SECTION_HEADER* section : sections_) {
            std::string name(reinterpret_cast<const char*>(section->Name),
                             strnlen(reinterpret_cast<const char*>(section->Name), IMAGE_SIZEOF_SHORT_NAME));
            if (!name.empty() && name[0] == '/') name = StringTableEntry(std::strtoul(name.c_str() + 1, nullptr, 10));
            names.push_back(name);
        }
        return names;
    }

    // The contents of the named section; empty when missing.
    std::string Section(const std::string& wanted) const {
        std::vector<std::string> names = SectionNames();
        for (size_t i = 0; i < names.size(); ++i) {
            if (names[i] != wanted) continue;
            const IMAGE_SECTION_HEADER* s = sections_[i];
            if (s->PointerToRawData > bytes_.size()) return std::string();
            return bytes_.substr(s->PointerToRawData, std::min<size_t>(s->SizeOfRawData, s->Misc.VirtualSize));
        }
        return std::string();
    }

    // Every imported function as "dll!Function" (the DLL in lower case), or
    // "dll!#ordinal" for one imported by ordinal.
    std::vector<std::string> Imports() const {
        std::vector<std::string> imports;
        const IMAGE_DATA_DIRECTORY& directory = nt_->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (DWORD at = directory.VirtualAddress; directory.VirtualAddress != 0; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
            auto descriptor = AtRva<IMAGE_IMPORT_DESCRIPTOR>(at);
            if (!descriptor || descriptor->Name == 0) break;
            const std::string dll = Lower(StringAtRva(descriptor->Name));
            DWORD thunks = descriptor->OriginalFirstThunk ? descriptor->OriginalFirstThunk : descriptor->FirstThunk;
            for (;; thunks += sizeof(IMAGE_THUNK_DATA32)) {
                auto thunk = AtRva<IMAGE_THUNK_DATA32>(thunks);
                if (!thunk || thunk->u1.AddressOfData == 0) break;
                if (IMAGE_SNAP_BY_ORDINAL32(thunk->u1.Ordinal))
                    imports.push_back(dll + "!#" + std::to_string(IMAGE_ORDINAL32(thunk->u1.Ordinal)));
                else
                    imports.push_back(dll + "!" + StringAtRva(thunk->u1.AddressOfData + offsetof(IMAGE_IMPORT_BY_NAME, Name)));
            }
        }
        return imports;
    }

private:
    template <typename T>
    const T* Read(size_t offset) const {
        if (offset > bytes_.size() || bytes_.size() - offset < sizeof(T)) return nullptr;
        return reinterpret_cast<const T*>(bytes_.data() + offset);
    }

    // The file offset of an RVA, or npos outside every section.
    size_t FileOffset(DWORD rva) const {
        for (const IMAGE_SECTION_HEADER* s : sections_)
            if (rva >= s->VirtualAddress && rva - s->VirtualAddress < s->SizeOfRawData)
                return s->PointerToRawData + (rva - s->VirtualAddress);
        return std::string::npos;
    }

    template <typename T>
    const T* AtRva(DWORD rva) const {
        size_t offset = FileOffset(rva);
        return offset == std::string::npos ? nullptr : Read<T>(offset);
    }

    std::string StringAt(size_t offset) const {
        if (offset >= bytes_.size()) return "<outside the file>";
        return std::string(bytes_.data() + offset, strnlen(bytes_.data() + offset, bytes_.size() - offset));
    }

    std::string StringAtRva(DWORD rva) const {
        size_t offset = FileOffset(rva);
        return offset == std::string::npos ? "<outside every section>" : StringAt(offset);
    }

    std::string StringTableEntry(unsigned long offset) const {
        const IMAGE_FILE_HEADER& file = nt_->FileHeader;
        if (file.PointerToSymbolTable == 0) return "<no string table>";
        return StringAt(file.PointerToSymbolTable + size_t{file.NumberOfSymbols} * IMAGE_SIZEOF_SYMBOL + offset);
    }

    std::string bytes_;
    const IMAGE_NT_HEADERS32* nt_ = nullptr;
    std::vector<const IMAGE_SECTION_HEADER*> sections_;
};

// The allow-list: "dll!Function" lines; '#' starts a comment.
std::set<std::string> AllowedImports() {
    std::set<std::string> allowed;
    std::string text = ReadBytes(FromUnixPath(VTPS_IMPORT_ALLOW_LIST_UNIX));
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        line = line.substr(0, line.find('#'));
        line.erase(line.find_last_not_of(" \t\r") + 1);
        size_t bang = line.find('!');
        if (bang != std::string::npos) allowed.insert(Lower(line.substr(0, bang)) + line.substr(bang));
    }
    return allowed;
}

class ShippedBinary : public ::testing::TestWithParam<const wchar_t*> {
protected:
    void SetUp() override {
        image_.reset(new PeImage(ReadBytes(SuiteDir() + L"\\" + GetParam())));
        ASSERT_NE(image_->Headers(), nullptr) << "not a 32-bit PE image: " << Narrow(GetParam());
    }
    std::unique_ptr<PeImage> image_;
};

TEST_P(ShippedBinary, ImportsOnlyFunctionsOfTheAllowList) {
    static const std::set<std::string> allowed = AllowedImports();
    ASSERT_GT(allowed.size(), 100u) << "allow-list not read";
    std::vector<std::string> imports = image_->Imports();
    ASSERT_FALSE(imports.empty());
    std::string offenders;
    for (const std::string& import : imports)
        if (!allowed.count(import)) offenders += "\n  " + import;
    EXPECT_EQ(offenders, "") << "imports missing from tests/release/windows7-imports.txt; check each against "
                                "Microsoft's documentation for Windows 7 SP1 before adding it";
}

TEST_P(ShippedBinary, HeaderNamesWindows7AsTheOldestWindows) {
    const IMAGE_OPTIONAL_HEADER32& header = image_->Headers()->OptionalHeader;
    EXPECT_EQ(header.MajorOperatingSystemVersion, 6);
    EXPECT_EQ(header.MinorOperatingSystemVersion, 1);
    EXPECT_EQ(header.MajorSubsystemVersion, 6);
    EXPECT_EQ(header.MinorSubsystemVersion, 1);
}

TEST_P(ShippedBinary, CarriesNoDebugInformationButALinkToIt) {
    EXPECT_EQ(image_->Headers()->FileHeader.NumberOfSymbols, 0u);
    std::string debugSections;
    for (const std::string& name : image_->SectionNames())
        if (name.compare(0, 6, ".debug") == 0) debugSections += name + " ";
    EXPECT_EQ(debugSections, "");
    // The link names the symbols file, which the build put into build/symbols.
    const std::string link = image_->Section(".gnu_debuglink");
    const std::string symbols = link.c_str();
    std::wstring file = GetParam();
    file = file.substr(file.find_last_of(L'\\') + 1);
    EXPECT_EQ(symbols, Narrow(file) + ".debug");
    EXPECT_TRUE(FileExists(BuildDir() + L"\\symbols\\" + file + L".debug"))
        << ::testing::PrintToString(BuildDir() + L"\\symbols\\" + file + L".debug");
}

INSTANTIATE_TEST_SUITE_P(SuiteFolder, ShippedBinary,
                         ::testing::Values(L"VtPestrolSet.dll", L"VtOptions.exe", L"VtMonitor.exe", L"VtPsInspect.exe",
                                           L"QZInstall.dll", L"Glimra\\Glimra.dll"),
                         [](const ::testing::TestParamInfo<const wchar_t*>& info) {
                             std::string name;
                             for (const wchar_t* c = info.param; *c; ++c) name += std::isalnum(*c) ? char(*c) : '_';
                             return name;
                         });

}  // namespace
