// What a source describes and a database file holds: either a category
// database ("RegDefine") or a rule library ("REGINFO"/"REGLIB").
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/rule_records.h"

// Categories whose item lists run in stream order (the order in which they
// are written and listed in a source).  Owns every item node.
class CategoryDatabase {
public:
    CategoryDatabase() = default;
    ~CategoryDatabase();
    CategoryDatabase(CategoryDatabase&& other) noexcept;
    CategoryDatabase& operator=(CategoryDatabase&& other) noexcept;
    CategoryDatabase(const CategoryDatabase&) = delete;
    CategoryDatabase& operator=(const CategoryDatabase&) = delete;

    // Appends a copy of the category's record with an empty item list.
    RuleCategory& AddCategory(const RuleCategory& category);
    // Appends a copy of the item to the end of the last category's list.
    bool AddItem(const RuleItem& item);
    // Takes over a category whose items run in reverse stream order, as the
    // reader of the "RegDefine" stream leaves them; its list head is cleared.
    void AdoptReversed(RuleCategory& category);

    const std::vector<RuleCategory>& Categories() const { return categories_; }
    // The category added last; valid until the next one is added.
    RuleCategory& Last() { return categories_.back(); }
    uint32_t Count() const { return static_cast<uint32_t>(categories_.size()); }

private:
    void Release();

    std::vector<RuleCategory> categories_;
    RuleItem* lastTail_ = nullptr;  // end of the last category's list
};

struct LibraryRule {
    std::string category;     // never empty: a record that begins with NUL ends the library
    std::string displayName;
    std::string keyPath;      // short root name, backslash, path
    std::string valuePattern;
    int32_t number = 0;
};

struct RuleLibrary {
    uint8_t separator = '\n';  // the byte after each record
    std::vector<LibraryRule> rules;
};

enum class RdbKind { kCategories, kLibrary };

struct RdbSource {
    RdbKind kind = RdbKind::kCategories;
    uint32_t codePage = 0;  // of every narrow text
    CategoryDatabase database;
    RuleLibrary library;
};
