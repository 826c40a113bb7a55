// Rule database files as a whole: writing what a source describes, and
// reading either kind back for dumping.
#pragma once
#include <string>

#include "rdbtool/rdb_model.h"

// Writes the database into a new file and then puts it in place of `path`;
// what was there before is replaced only when the new file is complete and
// reads back exactly as written.  False with a message otherwise.
bool WriteDatabaseFile(const std::wstring& path, const RdbSource& source, std::string& error);

// Reads a category database or a rule library (codePage stays 0: files do
// not record it).  `canonical` tells whether writing what was read gives the
// same stream bytes; it does for every file this tool or the plug-in wrote.
bool ReadDatabaseFile(const std::wstring& path, RdbSource& source, bool& canonical, std::string& error);

// The two halves of ReadDatabaseFile: the deciphered streams of whichever
// kind the file is (in DatabaseStreamNames order), and the source they hold.
bool ReadDatabaseStreams(const std::wstring& path, RdbKind& kind, std::vector<std::vector<uint8_t>>& streams,
                         std::string& error);
void ParseDatabaseStreams(RdbKind kind, const std::vector<std::vector<uint8_t>>& streams, RdbSource& source,
                          bool& canonical);

// The deciphered streams that make up a database of the kind, as written.
std::vector<std::vector<uint8_t>> EncodeDatabaseStreams(const RdbSource& source);
// The names of those streams, in the same order.
std::vector<const char*> DatabaseStreamNames(RdbKind kind);
