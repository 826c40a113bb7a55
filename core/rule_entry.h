// One registry rule read from an INI rule file or a flat rule library.
// Lists are singly linked and built by inserting at the front.
#pragma once
#include <cstdint>

struct RuleEntry {
    char category[64];     // section / category name, NUL-terminated, cut to 63
    char displayName[64];  // display name, NUL-terminated, cut to 63
    char* keyPath;         // owned heap string (malloc), at most 1023 chars
    char* valuePattern;       // owned heap string (malloc), at most 1023 chars
    int32_t number;        // number after the first comma; carried, never interpreted
    RuleEntry* next;
};

const int kRuleTextMax = 1023;  // longest keyPath / valuePattern kept

// Allocates a zero-filled node (calloc); null on allocation failure.
RuleEntry* AllocRuleEntry();
// Frees every node of a list together with its two heap strings.
void FreeRuleEntries(RuleEntry* list);
// Number of nodes in a list.
uint32_t CountRuleEntries(const RuleEntry* list);
// Copies text into a fixed field of fieldSize bytes, cutting it and keeping
// the terminator.
void CopyCut(char* field, uint32_t fieldSize, const char* text);
