#include "rdbtool/quoted_text.h"

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <type_traits>

#include "rdbtool/text_codec.h"

namespace {

const char kEscape = '`';

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads `digits` hex digits at raw[at]; -1 when they are not all there.
long ReadHex(const std::string& raw, size_t at, int digits) {
    if (raw.size() - at < static_cast<size_t>(digits)) return -1;
    long value = 0;
    for (int i = 0; i < digits; ++i) {
        int d = HexDigit(raw[at + i]);
        if (d < 0) return -1;
        value = value * 16 + d;
    }
    return value;
}

std::string Hex(unsigned value, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*X", digits, value);
    return buffer;
}

// One piece of a quoted text: a literal UTF-8 run, or one escaped unit.
struct Piece {
    enum Kind { kLiteral, kChar, kByte, kUnit } kind;
    std::string literal;
    unsigned value;
};

// Splits raw text into pieces; false with a message on a bad escape.
template <typename Sink>
bool WalkPieces(const std::string& raw, std::string& error, Sink sink) {
    std::string literal;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != kEscape) {
            literal += raw[i];
            continue;
        }
        if (!literal.empty() && !sink(Piece{Piece::kLiteral, literal, 0})) return false;
        literal.clear();
        if (i + 1 >= raw.size()) {
            error = "a backtick at the end of a text escapes nothing";
            return false;
        }
        const char c = raw[++i];
        Piece piece{Piece::kChar, std::string(), 0};
        switch (c) {
        case '`': piece.value = '`'; break;
        case '"': piece.value = '"'; break;
        case 'n': piece.value = '\n'; break;
        case 'r': piece.value = '\r'; break;
        case 't': piece.value = '\t'; break;
        case 'x':
        case 'u': {
            const int digits = (c == 'x') ? 2 : 4;
            long value = ReadHex(raw, i + 1, digits);
            if (value < 0) {
                error = std::string("`") + c + " needs exactly " + std::to_string(digits) + " hex digits";
                return false;
            }
            if (value == 0) {
                error = "a NUL would end the text early";
                return false;
            }
            piece.kind = (c == 'x') ? Piece::kByte : Piece::kUnit;
            piece.value = static_cast<unsigned>(value);
            i += digits;
            break;
        }
        default:
            error = std::string("unknown escape `") + c;
            return false;
        }
        if (!sink(piece)) return false;
    }
    return literal.empty() || sink(Piece{Piece::kLiteral, literal, 0});
}

bool LiteralToWide(const std::string& literal, std::wstring& wide, std::string& error) {
    if (!Utf8ToWide(literal, wide)) {
        error = "text is not valid UTF-8";
        return false;
    }
    if (wide.find(L'\0') != std::wstring::npos) {
        error = "a NUL would end the text early";
        return false;
    }
    return true;
}

void AppendUtf8(std::string& out, unsigned cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// The escape for a character that is not written as itself, or "" for one
// that is.  Controls use `xHH (narrow) or `uHHHH (wide).
std::string EscapeFor(unsigned unit, bool narrow) {
    switch (unit) {
    case '`': return "``";
    case '"': return "`\"";
    case '\n': return "`n";
    case '\r': return "`r";
    case '\t': return "`t";
    default: break;
    }
    if (unit < 0x20 || unit == 0x7F) return narrow ? "`x" + Hex(unit, 2) : "`u" + Hex(unit, 4);
    return std::string();
}

// Printable ASCII other than the backtick and the quote stands for itself.
bool IsPlain(unsigned unit) { return unit >= 0x20 && unit < 0x7F && unit != '`' && unit != '"'; }

// Appends the text quoted when every unit stands for itself; otherwise
// leaves `out` as it was and returns false.  Most texts of a large database
// are like that, and are copied without a string of their own.
template <typename Char>
bool AppendIfPlain(std::string& out, const Char* text, size_t length) {
    for (size_t i = 0; i < length; ++i)
        if (!IsPlain(static_cast<unsigned>(static_cast<typename std::make_unsigned<Char>::type>(text[i])))) return false;
    const size_t start = out.size();
    out.resize(start + length + 2);
    char* to = &out[start];
    *to++ = '"';
    for (size_t i = 0; i < length; ++i) *to++ = static_cast<char>(text[i]);
    *to = '"';
    return true;
}

void AppendEscapedWide(std::string& out, const wchar_t* text, size_t length) {
    out += '"';
    for (size_t i = 0; i < length; ++i) {
        const unsigned unit = static_cast<uint16_t>(text[i]);
        std::string escape = EscapeFor(unit, false);
        if (!escape.empty()) {
            out += escape;
        } else if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 &&
                   text[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((unit - 0xD800u) << 10) + (static_cast<uint16_t>(text[i + 1]) - 0xDC00u));
            ++i;
        } else if ((unit >= 0xD800 && unit <= 0xDFFF) || unit >= 0xFFFE) {
            out += "`u" + Hex(unit, 4);  // not writable as UTF-8
        } else {
            AppendUtf8(out, unit);
        }
    }
    out += '"';
}

void AppendEscapedAnsi(std::string& out, const std::string& bytes, uint32_t codePage) {
    out += '"';
    std::wstring wide;
    if (CodePageToWide(bytes, codePage, wide)) {
        for (wchar_t c : wide) {
            const unsigned unit = static_cast<uint16_t>(c);
            std::string escape = EscapeFor(unit, true);
            if (!escape.empty())
                out += escape;
            else
                AppendUtf8(out, unit);  // a code page maps to the BMP only
        }
    } else {
        for (char c : bytes) {
            const unsigned byte = static_cast<uint8_t>(c);
            std::string escape = EscapeFor(byte, true);
            if (!escape.empty())
                out += escape;
            else if (byte >= 0x80)
                out += "`x" + Hex(byte, 2);
            else
                out += static_cast<char>(byte);
        }
    }
    out += '"';
}

void AppendQuotedWide(std::string& out, const wchar_t* text, size_t length) {
    if (!AppendIfPlain(out, text, length)) AppendEscapedWide(out, text, length);
}

void AppendQuotedAnsi(std::string& out, const char* bytes, size_t length, uint32_t codePage) {
    if (CodePageKeepsAscii(codePage) && AppendIfPlain(out, bytes, length)) return;
    AppendEscapedAnsi(out, std::string(bytes, length), codePage);
}

}  // namespace

bool DecodeWideText(const std::string& raw, std::wstring& text, std::string& error) {
    text.clear();
    return WalkPieces(raw, error, [&](const Piece& piece) {
        switch (piece.kind) {
        case Piece::kLiteral: {
            std::wstring wide;
            if (!LiteralToWide(piece.literal, wide, error)) return false;
            text += wide;
            return true;
        }
        case Piece::kChar:
        case Piece::kUnit: text += static_cast<wchar_t>(piece.value); return true;
        case Piece::kByte: error = "`xHH is for narrow texts; use `uHHHH here"; return false;
        }
        return false;
    });
}

bool DecodeAnsiText(const std::string& raw, uint32_t codePage, std::string& text, std::string& error) {
    text.clear();
    return WalkPieces(raw, error, [&](const Piece& piece) {
        switch (piece.kind) {
        case Piece::kLiteral: {
            std::wstring wide;
            std::string ansi;
            if (!LiteralToWide(piece.literal, wide, error)) return false;
            if (!WideToCodePage(wide, codePage, ansi)) {
                error = DescribeCodePageMiss(wide, codePage);
                return false;
            }
            text += ansi;
            return true;
        }
        case Piece::kChar:
        case Piece::kByte: text += static_cast<char>(piece.value); return true;
        case Piece::kUnit: error = "`uHHHH is for wide texts; use `xHH bytes here"; return false;
        }
        return false;
    });
}

std::string QuoteWideText(const std::wstring& text) {
    std::string out;
    AppendQuotedWide(out, text.data(), text.size());
    return out;
}

std::string QuoteAnsiText(const std::string& bytes, uint32_t codePage) {
    std::string out;
    AppendQuotedAnsi(out, bytes.data(), bytes.size(), codePage);
    return out;
}

void AppendQuotedWide(std::string& out, const wchar_t* text) { AppendQuotedWide(out, text, std::wcslen(text)); }

void AppendQuotedAnsi(std::string& out, const char* bytes, uint32_t codePage) {
    AppendQuotedAnsi(out, bytes, std::strlen(bytes), codePage);
}
