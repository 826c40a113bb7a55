// Moving the settings block between the plug-in and a file, for both the
// window's Export/Import buttons and the headless actions.
#pragma once
#include "plugin/product_option.h"

#include <string>

struct TransferResult {
    bool ok = false;
    DWORD bytes = 0;
    std::wstring error;  // when not ok
};

// Asks for the size with a null buffer, then for the block itself.
TransferResult ExportSettings(IProductOption& option, const std::wstring& file);
TransferResult ImportSettings(IProductOption& option, const std::wstring& file);
