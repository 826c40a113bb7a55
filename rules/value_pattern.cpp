#include "rules/value_pattern.h"

#include <windows.h>

#include "core/rule_text.h"
#include "win/platform.h"

static_assert(sizeof(ValuePatternExpander) == MAX_PATH, "the directory buffer holds MAX_PATH characters");

ValuePatternExpander::ValuePatternExpander() {
    systemDirectory_[0] = '\0';
    UINT length = CurrentPlatform().SystemDirectoryA(systemDirectory_, MAX_PATH);
    // A directory that did not fit leaves the buffer undefined: expand to nothing.
    if (length == 0 || length >= MAX_PATH) systemDirectory_[0] = '\0';
}

char* ValuePatternExpander::Expand(char* text) const { return ExpandValuePatternWith(text, systemDirectory_); }

char* ExpandValuePattern(char* text) { return ValuePatternExpander().Expand(text); }
