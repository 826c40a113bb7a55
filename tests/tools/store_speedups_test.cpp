// The rule store's faster paths give exactly what the slow ones gave: INI
// files read in one go and option values written only when they change,
// against one profile call per value, and the duplicate check of a merge.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/root_names.h"
#include "core/rule_text.h"
#include "rules/ini_rules.h"
#include "rules/profile_list.h"
#include "rules/rule_database.h"
#include "rules/rule_entry_list.h"
#include "rules/rule_store.h"
#include "rules/value_pattern.h"
#include "tests/support/profile_meter.h"
#include "tests/support/rule_files.h"
#include "tests/support/test_files.h"

using namespace testing_support;

namespace {

struct EntryView {
    std::string category, displayName, keyPath, valuePattern;
    int number;
    bool operator==(const EntryView& o) const {
        return category == o.category && displayName == o.displayName && keyPath == o.keyPath &&
               valuePattern == o.valuePattern && number == o.number;
    }
};

std::ostream& operator<<(std::ostream& out, const EntryView& e) {
    return out << "[" << e.category << "|" << e.displayName << "|" << e.keyPath << "|" << e.valuePattern << "|"
               << e.number << "]";
}

std::vector<EntryView> Flatten(const RuleEntry* list) {
    std::vector<EntryView> out;
    for (; list; list = list->next)
        out.push_back({list->category, list->displayName, list->keyPath, list->valuePattern, list->number});
    return out;
}

// The rule file read with one profile call per value, as it always was.
std::vector<EntryView> ReadThroughProfileCalls(const char* path) {
    RuleEntryList result;
    std::vector<char> sections = ReadProfileList(path);
    for (const char* section = sections.data(); *section; section += std::strlen(section) + 1) {
        std::vector<char> keys = ReadProfileList(path, section);
        char displayName[60] = "";
        ::GetPrivateProfileStringA(section, "name", "", displayName, 60, path);
        for (const char* key = keys.data(); *key; key += std::strlen(key) + 1) {
            if (CompareNoCase(key, "name") == 0) continue;
            char value[260] = "";
            ::GetPrivateProfileStringA(section, key, "", value, 260, path);
            RuleEntryList entry(MakeRuleEntry(section, displayName, key, value));
            if (!entry) continue;
            entry->valuePattern = ExpandValuePattern(entry->valuePattern);
            entry->next = result.release();
            result.reset(entry.release());
        }
    }
    return Flatten(result.get());
}

std::string Utf16WithMark(const std::string& ascii) {
    std::string bytes = "\xFF\xFE";
    for (char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

class StoreSpeedups : public ::testing::Test {
protected:
    ScratchDir folder_{L"store-speedups"};
    std::string Path(const wchar_t* name) const { return Narrow(folder_.File(name)); }
    std::string Write(const wchar_t* name, const std::string& text) const {
        WriteBytes(folder_.File(name), text);
        return Path(name);
    }
};

struct IniCase {
    const char* what;
    std::string text;
    bool plain;  // read in one go, or left to the profile functions
};

TEST_F(StoreSpeedups, RuleFilesGiveTheSameRulesWhicheverWayTheyAreRead) {
    std::string many;
    for (int s = 0; s < 60; ++s) {
        many += "[Group" + std::to_string(s) + "]\r\nname=Group " + std::to_string(s) + "\r\n";
        for (int k = 0; k < 7; ++k)
            many += (k % 2 ? "HKLM" : "HKEY_CURRENT_USER") + std::string("\\Software\\G") + std::to_string(s) +
                    "\\K" + std::to_string(k) + "=v" + std::to_string(k) + "," + std::to_string(s) + "\r\n";
    }
    const std::string longValue(300, 'v'), longName(70, 'n');
    const IniCase cases[] = {
        {"one rule", "[Browser]\r\nname=Start page\r\nHKCU\\Software\\Main\\Start Page=www,1\r\n", true},
        {"line feeds only, no last newline", "[A]\nHKCU\\X=1\n[B]\nname=b\nHKLM\\Y=%SYSTEM%\\a.exe,2", true},
        {"empty parts", "\r\n[Empty]\r\n\r\n[OnlyName]\r\nname=n\r\n[Rules]\r\nNAME=Upper\r\nHKCU\\A=\r\nBOGUS\\B=1\r\n"
                        "NoRoot=2\r\nHKU\\C=x\\*.exe,3,4\r\nHKCC\\D=a=b;c,5\r\n",
         true},
        {"many sections", many, true},
        {"code page text", "[Caf\xE9]\r\nname=Caf\xE9\r\nHKCU\\Caf\xE9=\xE9t\xE9\r\n", false},
        {"code page values", "[Cafe]\r\nname=Caf\xE9\r\nHKCU\\Cafe=\xE9t\xE9,1\r\n", true},
        {"blanks around the equals sign", "[S]\r\nHKCU\\A = 1\r\n", false},
        {"quoted value", "[S]\r\nHKCU\\A=\"quoted, value\",5\r\nHKCU\\B='x'\r\n", false},
        {"comment line", "; a comment\r\n[S]\r\n; another\r\nHKCU\\A=1\r\n", false},
        {"duplicate key", "[S]\r\nHKCU\\A=1\r\nhkcu\\a=2\r\n", false},
        {"duplicate section", "[S]\r\nHKCU\\A=1\r\n[s]\r\nHKCU\\B=2\r\n", false},
        {"key before any section", "HKCU\\Z=0\r\n[S]\r\nHKCU\\A=1\r\n", false},
        {"line without equals sign", "[S]\r\nHKCU\\A\r\nHKCU\\B=2\r\n", false},
        {"tab in a value", "[S]\r\nHKCU\\A=a\tb\r\n", false},
        {"blank line with spaces", "[S]\r\n   \r\nHKCU\\A=1\r\n", false},
        {"value too long for the buffer", "[S]\r\nHKCU\\A=" + longValue + "\r\n", true},
        {"name too long for the buffer", "[S]\r\nname=" + longName + "\r\nHKCU\\A=1\r\n", true},
        {"byte-order mark", "\xEF\xBB\xBF[S]\r\nHKCU\\A=1\r\n", false},
        {"section name with blanks", "[ S ]\r\nHKCU\\A=1\r\n", false},
        // Forms whose per-key answers a whole section's text must reproduce.
        {"line without value before the name", "[S]\r\nname\r\nNAME=Shown\r\nHKCU\\A=1\r\n", false},
        {"line without value before its rule", "[S]\r\nHKCU\\A\r\nhkcu\\a=1\r\nHKCU\\B=2\r\n", false},
        {"empty key", "[S]\r\n=x\r\nHKCU\\A=1\r\n[T]\r\nHKCU\\B=2\r\n", false},
        {"keys that differ only past ASCII",
         "; c\r\n[S]\r\nHKCU\\\xC9=1\r\nHKCU\\\xE9=2\r\nHKCU\\I=3\r\nHKCU\\i=4\r\nHKCU\\\xD6\xD0=5\r\n", false},
        {"quoted values of every length",
         "[S]\r\nHKCU\\A=\"x\"\r\nHKCU\\B=\"" + std::string(258, 'q') + "\"\r\nHKCU\\C='" + longValue +
             "'\r\nHKCU\\D=\"\r\nHKCU\\E=\"\"\r\nname='n'\r\n",
         false},
        {"values at the buffer edges",
         "; c\r\n[S]\r\nname=" + std::string(59, 'n') + "\r\nHKCU\\A=" + std::string(258, 'a') + "\r\nHKCU\\B=" +
             std::string(259, 'b') + "\r\nHKCU\\C=" + std::string(260, 'c') + "\r\n[T]\r\nname=" +
             std::string(60, 'm') + "\r\nHKCU\\D=\xD6\xD0" + std::string(257, 'd') + "\r\nHKCU\\E=\xD6\xD0" +
             std::string(258, 'e') + "\r\n",
         false},
        {"blanks and tabs around names and values", "; c\r\n[S]\r\n\tHKCU\\A \t= 1 \r\n  name = N \r\n", false},
        {"UTF-8 text the code page keeps", "\xEF\xBB\xBF[Caf\xC3\xA9]\r\nHKCU\\Caf\xC3\xA9=\xC3\xA9t\xC3\xA9\r\n", false},
        {"UTF-8 text the code page loses",
         "\xEF\xBB\xBF[S]\r\nHKCU\\\xE4\xB8\xAD=\xE4\xB8\xAD\r\nHKCU\\A=1\r\nHKCU\\\xE2\x84\xAA=2\r\nHKCU\\k=3\r\n",
         false},
        {"a section named again", "[S]\r\nHKCU\\A=1\r\n[T]\r\nname=t\r\n[s]\r\nHKCU\\B=2\r\n", false},
        {"UTF-16 text", Utf16WithMark("[S]\r\nname=N\r\nHKCU\\A=\"q\"\r\nHKCU\\B=2\r\n"), false},
        {"names alike in other pieces", "[S]\r\nHKCU\\A=1\r\n[T]\r\nHKCU\\B=2\r\n[s]\r\nname=n\r\n[t]\r\n", false},
        {"a name the code page loses", "\xEF\xBB\xBF[\xE4\xB8\xAD]\r\nHKCU\\A=1\r\n[?]\r\nHKCU\\B=2\r\n", false},
        {"section lines a piece must not start at",
         "; c\r\n[A]\r\nHKCU\\A=1\r\n [B]\r\nHKCU\\B=2\r\n\xE9\r\n[C]\r\nHKCU\\C=3\r\n[D\r\nHKCU\\D=4\r\n", false},
        {"double-byte text", "; c\r\n[\xD6\xD0]\r\nname=\xD6\xD0\r\nHKCU\\\xD6\xD0=\xD6\xD0,1\r\n", false},
    };
    for (const IniCase& c : cases) {
        const std::string path = Write(L"RegUser.ini", c.text);
        std::vector<PlainIniSection> sections;
        // Which texts are plain depends on the code page; the cases are written for 1252.
        if (::GetACP() == 1252) {
            EXPECT_EQ(ReadPlainIniFile(path.c_str(), sections) == PlainIniRead::kPlain, c.plain) << c.what;
        }
        RuleEntryList read(ReadIniRuleFile(path.c_str()));
        const std::vector<EntryView> expected = ReadThroughProfileCalls(path.c_str());
        EXPECT_EQ(Flatten(read.get()), expected) << c.what;
        // The profile functions given the file in pieces of one section each.
        IniReadLimits pieces;
        pieces.sectionsPerPiece = 1;
        RuleEntryList inPieces(ReadIniRuleFile(path.c_str(), pieces, nullptr));
        EXPECT_EQ(Flatten(inPieces.get()), expected) << c.what << ", in pieces";
    }
    // Rules are really there: the comparison is not between two empty lists.
    RuleEntryList many_rules(ReadIniRuleFile(Write(L"RegUser.ini", many).c_str()));
    EXPECT_EQ(CountRuleEntries(many_rules.get()), 420u);

    std::vector<PlainIniSection> sections;
    EXPECT_EQ(ReadPlainIniFile(Path(L"absent.ini").c_str(), sections), PlainIniRead::kMissing);
    EXPECT_EQ(ReadIniRuleFile(Path(L"absent.ini").c_str()), nullptr);
    // A bare file name is looked up by the profile functions elsewhere.
    EXPECT_EQ(ReadPlainIniFile("RegUser.ini", sections), PlainIniRead::kOther);
}

TEST_F(StoreSpeedups, RuleFilesNotInThePlainFormAreReadOneCallPerSection) {
    // 300 sections of 20 rules, with a byte-order mark.
    const std::string path = Write(L"RegUser.ini", "\xEF\xBB\xBF" + RuleFileText(0, 6000, 20));
    ProfileMeter meter(::GetModuleHandleW(nullptr));
    ASSERT_TRUE(meter.Installed());
    RuleEntryList rules(ReadIniRuleFile(path.c_str()));
    EXPECT_EQ(CountRuleEntries(rules.get()), 6000u);
    EXPECT_EQ(meter.SectionReads(), 300u);
    EXPECT_EQ(meter.ValueReads(), 0u);
    // The section list, its buffer doubling from ten bytes.
    EXPECT_LE(meter.ListReads(), 12u);
}

// A store of a few categories for ReadModeAction, released afterwards.
class ModeActionStore {
public:
    explicit ModeActionStore(const std::vector<int32_t>& ids) {
        g_ruleStore.categories = static_cast<RuleCategory*>(std::calloc(kMaxCategories, sizeof(RuleCategory)));
        g_ruleStore.count = static_cast<uint32_t>(ids.size());
        for (size_t i = 0; i < ids.size(); ++i) {
            g_ruleStore.categories[i].id = ids[i];
            g_ruleStore.categories[i].mode = 100 + static_cast<int32_t>(i);
            g_ruleStore.categories[i].action = 200 + static_cast<int32_t>(i);
        }
    }
    ~ModeActionStore() { ReleaseRuleStore(); }
    std::vector<std::pair<int32_t, int32_t>> Options() const {
        std::vector<std::pair<int32_t, int32_t>> options;
        for (uint32_t c = 0; c < g_ruleStore.count; ++c)
            options.emplace_back(g_ruleStore.categories[c].mode, g_ruleStore.categories[c].action);
        return options;
    }
};

// ReadModeAction with two profile calls per category, as it always was.
std::vector<std::pair<int32_t, int32_t>> ModeActionThroughProfileCalls(const std::vector<int32_t>& ids,
                                                                        const char* path) {
    ModeActionStore store(ids);
    std::vector<std::pair<int32_t, int32_t>> options = store.Options();
    for (size_t i = 0; i < ids.size(); ++i) {
        const std::string section = std::to_string(ids[i]);
        int mode = static_cast<int>(::GetPrivateProfileIntA(section.c_str(), "Mode", -1, path));
        if (mode != -1) options[i].first = mode;
        int action = static_cast<int>(::GetPrivateProfileIntA(section.c_str(), "Action", -1, path));
        if (action != -1) options[i].second = action;
    }
    return options;
}

TEST_F(StoreSpeedups, ModeAndActionAreTheSameWhicheverWayTheyAreRead) {
    const std::vector<int32_t> ids = {1, 2, 3, 99, 800, -3};
    const IniCase cases[] = {
        {"every kind of plain value",
         "[1]\r\nMode=7\r\nAction=0\r\n[2]\r\nMode=-1\r\nAction=-1\r\n[3]\r\nmode=007\r\n[99]\r\nAction=-5\r\n"
         "[-3]\r\nMode=123456789\r\n[55]\r\nMode=9\r\n",
         true},
        {"other keys and sections around", "[x]\r\ny=z\r\n[800]\r\nOther=1\r\nACTION=2\r\n", true},
        {"hex value", "[1]\r\nMode=0x10\r\nAction=1\r\n", true},
        {"text value", "[1]\r\nMode=abc\r\n[2]\r\nAction=12abc\r\n", true},
        {"plus sign and long number", "[1]\r\nMode=+4\r\n[2]\r\nMode=12345678901\r\n", true},
        {"blank around a value", "[1]\r\nMode= 5\r\nAction=1\r\n", false},
        {"empty value", "[1]\r\nMode=\r\nAction=1\r\n", true},
        {"duplicate section", "[1]\r\nMode=1\r\n[1]\r\nMode=2\r\n", false},
    };
    for (const IniCase& c : cases) {
        const std::string path = Write(L"QRegEx.ini", c.text);
        std::vector<PlainIniSection> sections;
        EXPECT_EQ(ReadPlainIniFile(path.c_str(), sections) == PlainIniRead::kPlain, c.plain) << c.what;
        std::vector<std::pair<int32_t, int32_t>> expected = ModeActionThroughProfileCalls(ids, path.c_str());
        ModeActionStore store(ids);
        ReadModeAction(path.c_str());
        EXPECT_EQ(store.Options(), expected) << c.what;
    }
    ModeActionStore store(ids);
    const auto before = store.Options();
    ReadModeAction(Path(L"absent.ini").c_str());
    EXPECT_EQ(store.Options(), before);
}

// WriteModeAction with two profile calls per category, as it always was.
void WriteModeActionThroughProfileCalls(const char* path) {
    for (uint32_t c = 0; c < g_ruleStore.count; ++c) {
        const RuleCategory& category = g_ruleStore.categories[c];
        const std::string section = std::to_string(category.id);
        ::WritePrivateProfileStringA(section.c_str(), "Mode", std::to_string(category.mode).c_str(), path);
        ::WritePrivateProfileStringA(section.c_str(), "Action", std::to_string(category.action).c_str(), path);
    }
}

TEST_F(StoreSpeedups, ModeAndActionFilesEndTheSameWhicheverWayTheyAreWritten) {
    // Two categories share an id: the second one's values win in the file.
    const std::vector<int32_t> ids = {1, 2, 2, 99, 800};
    const int32_t modes[] = {2, 0x103, 7, 2, -1};
    const int32_t actions[] = {1, 0, 0, 2, 1};
    const char* const files[] = {
        "[1]\r\nMode=2\r\nAction=1\r\n[2]\r\nMode=7\r\nAction=0\r\n[99]\r\nMode=2\r\nAction=2\r\n"
        "[800]\r\nMode=-1\r\nAction=1\r\n",                                       // nothing changes
        "[1]\r\nMode=2\r\nAction=9\r\n\r\n[2]\r\nmode=7\r\n[7]\r\nOther=x\r\n",    // some change, some are new
        "; options\r\n[1]\r\nMode=2\r\nAction=1\r\n",                                  // not plain
        "",                                                                           // empty
    };
    for (const char* text : files) {
        for (bool fast : {true, false}) {
            ModeActionStore store(ids);
            for (size_t i = 0; i < ids.size(); ++i) {
                g_ruleStore.categories[i].mode = modes[i];
                g_ruleStore.categories[i].action = actions[i];
            }
            const std::string path = Write(fast ? L"fast.ini" : L"slow.ini", text);
            if (fast)
                WriteModeAction(path.c_str());
            else
                WriteModeActionThroughProfileCalls(path.c_str());
        }
        EXPECT_EQ(ReadBytes(folder_.File(L"fast.ini")), ReadBytes(folder_.File(L"slow.ini"))) << text;
        EXPECT_EQ(::GetPrivateProfileIntA("2", "Mode", 0, Path(L"fast.ini").c_str()), 7u) << text;
    }
    // A missing file is made as the profile functions make it.
    {
        ModeActionStore store(ids);
        WriteModeAction(Path(L"new-fast.ini").c_str());
        WriteModeActionThroughProfileCalls(Path(L"new-slow.ini").c_str());
    }
    EXPECT_EQ(ReadBytes(folder_.File(L"new-fast.ini")), ReadBytes(folder_.File(L"new-slow.ini")));
    EXPECT_FALSE(ReadBytes(folder_.File(L"new-fast.ini")).empty());
}

RuleItem Item(uint32_t root, const char* keyPath, const char* name) {
    RuleItem item = {};
    item.root = root;
    std::strcpy(item.keyPath, keyPath);
    std::strcpy(item.name, name);
    item.wideName[0] = L'w';
    return item;
}

TEST_F(StoreSpeedups, MergeDropsEveryLocationAlreadyThereAndNoOther) {
    // The store: one library category.
    ModeActionStore store({5});
    RuleCategory& library = g_ruleStore.categories[0];
    std::strcpy(library.name, "lib");
    for (const RuleItem& item : {Item(kHkeyLocalMachine, "Software\\Run", "run"),
                                 Item(kHkeyCurrentUser, "Software\\Mixed\\Case", "mixed"),
                                 Item(kHkeyUsers, "Key[1]", "brackets")})
        PrependItem(&library, &item);

    // The user database, stream order: repeats in other letter case, the
    // same path under another root, a path that differs only where letter
    // case plays no part ("{" is not "["), and one location twice.
    RuleCategory user = {};
    user.id = 5;
    user.wideName[0] = L'u';
    const RuleItem stream[] = {
        Item(kHkeyLocalMachine, "SOFTWARE\\RUN", "dup of library"),
        Item(kHkeyCurrentUser, "Software\\Run", "other root"),
        Item(kHkeyCurrentUser, "software\\mixed\\case", "dup of library 2"),
        Item(kHkeyUsers, "Key{1}", "braces"),
        Item(kHkeyUsers, "Twice", "first"),
        Item(kHkeyUsers, "TWICE", "second"),
    };
    for (int i = 5; i >= 0; --i) PrependItem(&user, &stream[i]);
    ASSERT_EQ(WriteCategories(Path(L"QRegUser.rdb").c_str(), &user, 1), 1);
    ClearItems(&user, 1);

    MergeUserDatabase(Path(L"QRegUser.rdb").c_str());
    std::vector<std::string> names;
    for (const RuleItem* item = library.items; item; item = item->next) names.emplace_back(item->name);
    // The reader lists items backwards, and the merge checks them in that
    // order: of the two "Twice" items the later one in the file is kept.
    EXPECT_EQ(names, (std::vector<std::string>{"other root", "braces", "second", "brackets", "mixed", "run"}));
}

}  // namespace
