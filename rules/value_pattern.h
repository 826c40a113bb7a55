// Expansion of a rule's value text against this machine's system directory.
#pragma once

// Takes ownership of a malloc'd text and returns a new malloc'd text: "*"
// when the text holds an asterisk, else its first "%system%" (any letter
// case) replaced by the system directory.  Null only when out of memory.
char* ExpandValuePattern(char* text);

// The same for the many rules of one read, against one answer of the
// system: a load expands some 20,000 values, and asking for the directory
// each time cost a third of making the rules.
class ValuePatternExpander {
public:
    ValuePatternExpander();
    char* Expand(char* text) const;

private:
    char systemDirectory_[260];  // MAX_PATH; empty when it did not fit
};
