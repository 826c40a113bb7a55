#include "rules/value_pattern.h"

#include <windows.h>

#include "core/rule_text.h"
#include "win/platform.h"

char* ExpandValuePattern(char* text) {
    char systemDirectory[MAX_PATH] = "";
    UINT length = CurrentPlatform().SystemDirectoryA(systemDirectory, MAX_PATH);
    // A directory that did not fit leaves the buffer undefined: expand to nothing.
    if (length == 0 || length >= MAX_PATH) systemDirectory[0] = '\0';
    return ExpandValuePatternWith(text, systemDirectory);
}
