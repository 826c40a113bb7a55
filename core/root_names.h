// The fixed table of registry roots: handle value, long name, short name.
// Lookups compare with ASCII case folding and return the first match.
#pragma once
#include <cstdint>

struct RegistryRootName {
    uint32_t root;
    char longName[64];
    char shortName[32];
};

const uint32_t kRootCount = 6;
extern const RegistryRootName kRegistryRoots[kRootCount];

const uint32_t kHkeyClassesRoot = 0x80000000u;
const uint32_t kHkeyCurrentUser = 0x80000001u;
const uint32_t kHkeyLocalMachine = 0x80000002u;
const uint32_t kHkeyUsers = 0x80000003u;
const uint32_t kHkeyCurrentConfig = 0x80000005u;
const uint32_t kHkeyDynData = 0x80000006u;

uint32_t RootFromLongName(const char* name);   // 0 when none
uint32_t RootFromShortName(const char* name);  // 0 when none
const char* LongNameFromRoot(uint32_t root);   // "" when none
const char* ShortNameFromRoot(uint32_t root);  // "" when none
// True exactly for HKEY_CLASSES_ROOT and HKEY_LOCAL_MACHINE.
bool RootNeedsAdmin(uint32_t root);

// ASCII case-insensitive comparisons (the C runtime's folding).
int CompareNoCase(const char* a, const char* b);
