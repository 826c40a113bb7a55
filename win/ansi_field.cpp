#include "win/ansi_field.h"

#include <string>

#include "win/ansi_text.h"

void WideToAnsiCut(const wchar_t* text, char* field, int fieldSize) {
    if (fieldSize <= 0) return;
    field[0] = 0;
    const std::string converted = ToAnsi(text);
    const size_t length = converted.size();
    const size_t limit = static_cast<size_t>(fieldSize - 1);
    size_t cut = 0;
    while (cut < length) {
        size_t step = ::IsDBCSLeadByte(static_cast<BYTE>(converted[cut])) ? 2 : 1;
        if (cut + step > limit || cut + step > length) break;
        cut += step;
    }
    converted.copy(field, cut);
    field[cut] = 0;
}

void WideCopyCut(const wchar_t* text, wchar_t* field, int fieldChars) {
    if (fieldChars <= 0) return;
    int i = 0;
    if (text)
        for (; i < fieldChars - 1 && text[i]; ++i) field[i] = text[i];
    field[i] = 0;
}

void AnsiToWideCut(const char* text, wchar_t* field, int fieldChars) {
    if (fieldChars <= 0) return;
    field[0] = 0;
    WideCopyCut(ToWide(text).c_str(), field, fieldChars);
}

void WideToAnsiField(const wchar_t* text, char* field, int fieldSize) {
    field[0] = 0;
    int written = ::WideCharToMultiByte(CP_ACP, 0, text, -1, field, fieldSize, nullptr, nullptr);
    if (written <= 0) field[0] = 0;
    field[fieldSize - 1] = 0;
}
