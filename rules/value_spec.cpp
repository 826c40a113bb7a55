#include "rules/value_spec.h"

#include <windows.h>

#include "core/rule_text.h"
#include "win/platform.h"

char* ExpandValueSpec(char* text) {
    char systemDirectory[MAX_PATH] = "";
    UINT length = CurrentPlatform().SystemDirectoryA(systemDirectory, MAX_PATH);
    // A directory that did not fit leaves the buffer undefined: expand to nothing.
    if (length == 0 || length >= MAX_PATH) systemDirectory[0] = '\0';
    return ExpandValueSpecWith(text, systemDirectory);
}
