#include "rdbtool/rdb_model.h"


CategoryDatabase::~CategoryDatabase() { Release(); }

CategoryDatabase::CategoryDatabase(CategoryDatabase&& other) noexcept
    : categories_(std::move(other.categories_)), lastTail_(other.lastTail_) {
    other.categories_.clear();
    other.lastTail_ = nullptr;
}

CategoryDatabase& CategoryDatabase::operator=(CategoryDatabase&& other) noexcept {
    if (this != &other) {
        Release();
        categories_ = std::move(other.categories_);
        lastTail_ = other.lastTail_;
        other.categories_.clear();
        other.lastTail_ = nullptr;
    }
    return *this;
}

void CategoryDatabase::Release() {
    ClearItems(categories_.data(), Count());
    categories_.clear();
    lastTail_ = nullptr;
}

RuleCategory& CategoryDatabase::AddCategory(const RuleCategory& category) {
    categories_.push_back(category);
    categories_.back().items = nullptr;
    lastTail_ = nullptr;
    return categories_.back();
}

bool CategoryDatabase::AddItem(const RuleItem& item) {
    if (categories_.empty()) return false;
    // The node comes from the core's allocator, which also frees it.
    RuleCategory holder;
    holder.items = nullptr;
    if (!PrependItem(&holder, &item)) return false;
    RuleItem* node = holder.items;
    node->next = nullptr;
    if (lastTail_)
        lastTail_->next = node;
    else
        categories_.back().items = node;
    lastTail_ = node;
    return true;
}

void CategoryDatabase::AdoptReversed(RuleCategory& category) {
    RuleItem* reversed = nullptr;
    RuleItem* first = category.items;
    for (RuleItem* item = category.items; item;) {
        RuleItem* next = item->next;
        item->next = reversed;
        reversed = item;
        item = next;
    }
    category.items = nullptr;
    categories_.push_back(category);
    categories_.back().items = reversed;
    lastTail_ = first;
}
