#include "inspector/help_text.h"

const char kOverviewHelp[] =
    "VtPsInspect: looks into the rule databases and settings blobs of the registry protection.\n"
    "\n"
    "Usage:\n"
    "  VtPsInspect dump FILE [OUTPUT] [--codepage N]   a rule database as readable source text\n"
    "  VtPsInspect pack SOURCE OUTPUT                  a rule database from source text\n"
    "  VtPsInspect verify FILE [--as-blob] [--strict]  every problem of a database or blob\n"
    "  VtPsInspect blob info FILE                      the three parts of a settings blob\n"
    "  VtPsInspect blob split FILE OUTDIR              a blob into its three files\n"
    "  VtPsInspect blob join REGUSER QREGUSER QREGEX OUT\n"
    "                                                  three files into a blob, as Export writes it\n"
    "  VtPsInspect help [COMMAND]                      this text, or a command's (also COMMAND --help)\n"
    "\n"
    "Exit status: 0 done (verify: no error found), 1 problems found (verify, a source that does\n"
    "not pack, a blob that Import refuses), 2 the input cannot be used (missing, unreadable, of\n"
    "the wrong kind) or the output cannot be written, 3 bad command line.\n";

namespace {

const char kDumpHelp[] =
    "Usage: VtPsInspect dump FILE [OUTPUT] [--codepage N]\n"
    "\n"
    "Writes a category database (\"RegDefine\": QRegEx%04X.rdb, QRegUser.rdb) or a rule library\n"
    "(\"REGINFO\"/\"REGLIB\": RegLib.rdb) as source text, to OUTPUT or to standard output. Packing\n"
    "that text gives the same streams byte for byte; a file that is not in the written form\n"
    "(padding, lengths, counts, trailing bytes) gets a warning, and its dump packs to what a\n"
    "reader sees. N is the code page of the narrow texts; by default the one that fits them best\n"
    "(category databases) or 1252 (rule libraries). The source format is described in\n"
    "docs/inspector.md and rdbtool/FORMAT.md.\n"
    "\n"
    "Exit status: 0 written, 2 the file is missing or no rule database, or OUTPUT cannot be\n"
    "written, 3 bad command line.\n";

const char kPackHelp[] =
    "Usage: VtPsInspect pack SOURCE OUTPUT\n"
    "\n"
    "Builds a rule database from source text (the format that dump writes). Errors and warnings\n"
    "name the source line (SOURCE:LINE: error: ...). OUTPUT is replaced only by a complete file\n"
    "that reads back exactly as written.\n"
    "\n"
    "Exit status: 0 written, 1 the source has errors, 2 the source is missing or OUTPUT cannot\n"
    "be written, 3 bad command line.\n";

const char kVerifyHelp[] =
    "Usage: VtPsInspect verify FILE [--as-blob] [--strict]\n"
    "\n"
    "Checks a category database, a rule library or a settings blob and reports every problem\n"
    "as 'STREAM @OFFSET: error|warning: sentence', offsets in bytes from the start of the\n"
    "deciphered stream (or of the blob), then what the plug-in reads of the file.\n"
    "\n"
    "  category database  the format number; each record's tag, its length (over 4096 bytes,\n"
    "                     not a multiple of 16, past the stream's end), texts that the record's\n"
    "                     end cuts, the terminating record of each category, bytes after the\n"
    "                     last one; warnings for texts longer than their field, padding that is\n"
    "                     not as written, unknown roots, repeated category ids, more than 1000\n"
    "                     categories. For QRegUser.rdb: a first category without a wide name\n"
    "                     (the plug-in deletes such a file).\n"
    "  rule library       REGINFO's record count against the records in REGLIB, its data size\n"
    "                     against the REGLIB stream's size, records whose texts the stream's end\n"
    "                     cuts, bytes after the closing NUL; warnings for key paths without a\n"
    "                     short root name (HKLM\\...), which give no item.\n"
    "  settings blob      errors for what Import refuses (shorter than the header, a part that\n"
    "                     starts after its end or ends past the blob); warnings for what Import\n"
    "                     takes but Export never writes (parts out of order, apart, overlapping,\n"
    "                     inside the header, bytes of no part). The QRegUser.rdb part is checked\n"
    "                     as a category database.\n"
    "\n"
    "The kind is found from the file: a compound file with \"RegDefine\", or with \"REGINFO\" and\n"
    "\"REGLIB\"; otherwise a blob when its header fits its size or its first value is 24.\n"
    "  --as-blob  check a file that is no compound file as a blob, whatever its header\n"
    "  --strict   count warnings as problems too (exit status 1)\n"
    "\n"
    "Exit status: 0 no error (warnings allowed), 1 errors found, 2 the file is missing or of no\n"
    "kind the inspector knows, 3 bad command line.\n";

const char kBlobHelp[] =
    "Usage: VtPsInspect blob info FILE\n"
    "       VtPsInspect blob split FILE OUTDIR\n"
    "       VtPsInspect blob join REGUSER QREGUSER QREGEX OUT\n"
    "\n"
    "A settings blob is what Export writes and Import reads: six 32-bit offsets (start and end\n"
    "of the RegUser.ini, QRegUser.rdb and QRegEx.ini parts), then the three files' bytes.\n"
    "\n"
    "  info   the six offsets and each part's size, and the problems 'verify' reports of them\n"
    "  split  writes RegUser.ini, QRegUser.rdb and QRegEx.ini into OUTDIR (created when missing,\n"
    "         files replaced) with exactly the bytes Import would write\n"
    "  join   writes OUT from the three files exactly as Export does: the header, then the\n"
    "         parts back to back (an empty file gives an empty part)\n"
    "\n"
    "Exit status: 0 done, 1 Import refuses the blob (info, split), 2 a file is missing, is a rule\n"
    "database, or cannot be written, 3 bad command line.\n";

}  // namespace

const char* CommandHelp(const std::wstring& command) {
    if (command == L"dump") return kDumpHelp;
    if (command == L"pack") return kPackHelp;
    if (command == L"verify") return kVerifyHelp;
    if (command == L"blob") return kBlobHelp;
    return nullptr;
}
