#include "rule_records.h"

#include <cstdlib>

// Item nodes are allocated here and freed here only, so every owner of an
// item list goes through these functions.
RuleItem* AllocItemNode()
{
    return static_cast<RuleItem*>(std::malloc(sizeof(RuleItem)));
}

void LinkItemAtFront(RuleCategory* category, RuleItem* node)
{
    node->next = category->items;
    category->items = node;
}

bool PrependItem(RuleCategory* category, const RuleItem* item)
{
    if (category == nullptr || item == nullptr)
        return false;
    RuleItem* node = AllocItemNode();
    if (node == nullptr)
        return false;
    *node = *item;
    LinkItemAtFront(category, node);
    return true;
}

int AddItemToCategory(RuleCategory* categories, uint32_t count, int32_t id, const RuleItem* item)
{
    if (categories == nullptr)
        return 0;
    for (uint32_t i = 0; i < count; ++i) {
        if (categories[i].id == id)
            return PrependItem(&categories[i], item) ? 1 : 0;
    }
    return 0;
}

void EmptyCategoryItems(RuleCategory* category)
{
    if (category == nullptr)
        return;
    RuleItem* node = category->items;
    while (node != nullptr) {
        RuleItem* next = node->next;
        std::free(node);
        node = next;
    }
    category->items = nullptr;
}

void ClearItems(RuleCategory* categories, uint32_t count)
{
    if (categories == nullptr)
        return;
    for (uint32_t i = 0; i < count; ++i)
        EmptyCategoryItems(&categories[i]);
}
