#include "tests/faults/stamped_database.h"

#include <cstdio>
#include <cstring>

namespace {

const int32_t kFirstId = 800;
const uint32_t kHklm = 0x80000002, kHkcu = 0x80000001;

// Items of category k: a number that differs between writers, rounds and categories.
uint32_t ItemCount(const DatabaseStamp& s, uint32_t k) { return (s.round * 7 + k * 3 + s.writer) % 16; }

void KeyPath(char (&out)[256], const DatabaseStamp& s, uint32_t k, uint32_t j) {
    std::snprintf(out, sizeof out, "Software\\Contention\\w%u\\r%u\\k%u\\i%02u", s.writer, s.round, k, j);
}

void CategoryName(char (&out)[64], const DatabaseStamp& s, uint32_t k) {
    std::snprintf(out, sizeof out, "w%u r%u k%u/%u", s.writer, s.round, k, s.categories);
}

// FNV-1a over what the category must hold: its name and its items' paths.
uint32_t Checksum(const DatabaseStamp& s, uint32_t k) {
    uint32_t h = 2166136261u;
    auto mix = [&h](const char* text) {
        for (const char* p = text; *p; ++p) h = (h ^ static_cast<uint8_t>(*p)) * 16777619u;
        h = (h ^ 0xFF) * 16777619u;
    };
    char name[64];
    CategoryName(name, s, k);
    mix(name);
    for (uint32_t j = 0; j < ItemCount(s, k); ++j) {
        char key[256];
        KeyPath(key, s, k, j);
        mix(key);
    }
    return h;
}

void Widen(const char* text, utf16_t* wide, size_t size) {
    size_t i = 0;
    for (; text[i] && i + 1 < size; ++i) wide[i] = static_cast<utf16_t>(static_cast<unsigned char>(text[i]));
    wide[i] = 0;
}

bool SameWide(const char* text, const utf16_t* wide) {
    size_t i = 0;
    for (; text[i]; ++i)
        if (wide[i] != static_cast<utf16_t>(static_cast<unsigned char>(text[i]))) return false;
    return wide[i] == 0;
}

}  // namespace

std::vector<RuleCategory> BuildStampedDatabase(const DatabaseStamp& stamp) {
    std::vector<RuleCategory> categories(stamp.categories);
    for (uint32_t k = 0; k < stamp.categories; ++k) {
        RuleCategory& c = categories[k];
        std::memset(&c, 0, sizeof c);
        c.id = kFirstId + static_cast<int32_t>(k);
        CategoryName(c.name, stamp, k);
        Widen(c.name, c.wideName, 64);
        std::snprintf(c.description, sizeof c.description, "checksum %08X", Checksum(stamp, k));
        c.action = static_cast<int32_t>(k % 3);
        c.mode = static_cast<int32_t>(stamp.round);
        for (uint32_t j = 0; j < ItemCount(stamp, k); ++j) {
            RuleItem item;
            std::memset(&item, 0, sizeof item);
            item.root = (j % 2) ? kHkcu : kHklm;
            KeyPath(item.keyPath, stamp, k, j);
            std::snprintf(item.name, sizeof item.name, "item %u", j);
            Widen(item.name, item.wideName, 256);
            item.flags = kItemFlagUser;
            PrependItem(&c, &item);
        }
    }
    return categories;
}

bool VerifyStampedDatabase(const RuleCategory* categories, uint32_t n, DatabaseStamp& stamp, std::string& problem) {
    char text[160];
    if (n == 0) {
        problem = "no categories";
        return false;
    }
    if (std::sscanf(categories[0].name, "w%u r%u k%*u/%u", &stamp.writer, &stamp.round, &stamp.categories) != 3) {
        problem = std::string("first category is not stamped: '") + categories[0].name + "'";
        return false;
    }
    if (n != stamp.categories) {
        std::snprintf(text, sizeof text, "%u categories read, the stamp says %u", n, stamp.categories);
        problem = text;
        return false;
    }
    for (uint32_t k = 0; k < n; ++k) {
        const RuleCategory& c = categories[k];
        char expectedName[64], expectedDescription[32];
        CategoryName(expectedName, stamp, k);
        std::snprintf(expectedDescription, sizeof expectedDescription, "checksum %08X", Checksum(stamp, k));
        if (std::strcmp(c.name, expectedName) != 0 || c.id != kFirstId + static_cast<int32_t>(k) ||
            !SameWide(c.name, c.wideName) || std::strcmp(c.description, expectedDescription) != 0) {
            std::snprintf(text, sizeof text, "category %u is '%s' (%s), expected '%s'", k, c.name, c.description,
                          expectedName);
            problem = text;
            return false;
        }
        // The items, in any order, exactly once each.
        const uint32_t expectedItems = ItemCount(stamp, k);
        std::vector<bool> seen(expectedItems, false);
        uint32_t items = 0;
        for (const RuleItem* item = c.items; item; item = item->next, ++items) {
            unsigned j = 0;
            bool expected = std::sscanf(item->keyPath, "Software\\Contention\\w%*u\\r%*u\\k%*u\\i%u", &j) == 1 &&
                            j < expectedItems && !seen[j];
            if (expected) {
                char expectedKey[256];
                KeyPath(expectedKey, stamp, k, j);
                expected = std::strcmp(expectedKey, item->keyPath) == 0 && item->root == ((j % 2) ? kHkcu : kHklm);
            }
            if (!expected) {
                std::snprintf(text, sizeof text, "category %u holds a stray item '%s'", k, item->keyPath);
                problem = text;
                return false;
            }
            seen[j] = true;
        }
        if (items != expectedItems) {
            std::snprintf(text, sizeof text, "category %u holds %u items, expected %u", k, items, expectedItems);
            problem = text;
            return false;
        }
    }
    return true;
}
