#include "root_names.h"

#include "ascii_case.h"

const RegistryRootName kRegistryRoots[kRootCount] = {
    {kHkeyClassesRoot, "HKEY_CLASSES_ROOT", "HKCR"},
    {kHkeyCurrentUser, "HKEY_CURRENT_USER", "HKCU"},
    {kHkeyLocalMachine, "HKEY_LOCAL_MACHINE", "HKLM"},
    {kHkeyUsers, "HKEY_USERS", "HKU"},
    {kHkeyCurrentConfig, "HKEY_CURRENT_CONFIG", "HKCC"},
    {kHkeyDynData, "HKEY_DYN_DATA", "HKDD"},
};

int CompareNoCase(const char* a, const char* b)
{
    if (a == nullptr)
        a = "";
    if (b == nullptr)
        b = "";
    for (;; ++a, ++b) {
        int ca = AsciiLower(static_cast<unsigned char>(*a));
        int cb = AsciiLower(static_cast<unsigned char>(*b));
        if (ca != cb || ca == 0)
            return ca - cb;
    }
}

uint32_t RootFromLongName(const char* name)
{
    for (const RegistryRootName& row : kRegistryRoots)
        if (CompareNoCase(row.longName, name) == 0)
            return row.root;
    return 0;
}

uint32_t RootFromShortName(const char* name)
{
    for (const RegistryRootName& row : kRegistryRoots)
        if (CompareNoCase(row.shortName, name) == 0)
            return row.root;
    return 0;
}

const char* LongNameFromRoot(uint32_t root)
{
    for (const RegistryRootName& row : kRegistryRoots)
        if (row.root == root)
            return row.longName;
    return "";
}

const char* ShortNameFromRoot(uint32_t root)
{
    for (const RegistryRootName& row : kRegistryRoots)
        if (row.root == root)
            return row.shortName;
    return "";
}

bool RootNeedsAdmin(uint32_t root)
{
    return root == kHkeyClassesRoot || root == kHkeyLocalMachine;
}
