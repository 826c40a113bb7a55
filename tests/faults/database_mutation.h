// Damage done to a copy of a good rule database, in place: to the bytes of
// its streams (enciphered or deciphered), to its structure, or to the file
// as a whole.
#pragma once
#include <string>
#include <vector>

#include "tests/faults/fault_random.h"

enum class DatabaseLayout {
    Categories,  // one "RegDefine" stream
    RuleLibrary  // "REGINFO" and "REGLIB"
};

// Damages the database at `path` and returns the damage's name.  "-failed"
// is appended when the damage could not be done (the file is then as good
// as before).
std::string MutateDatabase(const std::wstring& path, DatabaseLayout layout, FaultRandom& random);

// Makes the category database at `path` one past the user database limits.
bool MakeOverLimitDatabase(const std::wstring& path);

// The damage names, in a fixed order for reports.
const std::vector<std::string>& DatabaseMutationKinds();
