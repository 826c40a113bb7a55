// Heap copies of rule texts (keyPath, valuePattern), owned through malloc/free.
#pragma once
#include <cstddef>

// A malloc'd copy of text[0, length), cut to kRuleTextMax characters and
// terminated; null on allocation failure.
char* HeapTextCopy(const char* text, size_t length);
