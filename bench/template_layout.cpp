#include "template_layout.h"

#include <cstring>

namespace {

// Reads an extended dialog template front to back; any read past its end
// marks the reader as failed.
class TemplateReader {
public:
    TemplateReader(const BYTE* data, size_t size) : data_(data), size_(size) {}
    bool Failed() const { return failed_; }

    template <typename T>
    T Read() {
        T value = T();
        if (!Has(sizeof(T))) return value;
        std::memcpy(&value, data_ + at_, sizeof(T));
        at_ += sizeof(T);
        return value;
    }
    // A name or an ordinal (0xFFFF and a WORD) or nothing (a zero WORD).
    void SkipNameOrOrdinal() {
        const WORD first = Read<WORD>();
        if (first == 0xFFFF) {
            Read<WORD>();
        } else if (first != 0) {
            while (!failed_ && Read<WORD>() != 0) {
            }
        }
    }
    void SkipString() {
        while (!failed_ && Read<WORD>() != 0) {
        }
    }
    void Skip(size_t bytes) {
        if (Has(bytes)) at_ += bytes;
    }
    void AlignDword() { Skip((4 - at_ % 4) % 4); }

private:
    bool Has(size_t bytes) {
        if (at_ + bytes > size_) failed_ = true;
        return !failed_;
    }
    const BYTE* data_;
    size_t size_;
    size_t at_ = 0;
    bool failed_ = false;
};

}  // namespace

bool ReadTemplateLayout(HINSTANCE module, UINT templateId, TemplateLayout& layout) {
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(templateId), MAKEINTRESOURCEW(5));  // RT_DIALOG
    HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data) return false;
    TemplateReader reader(static_cast<const BYTE*>(data), ::SizeofResource(module, found));

    if (reader.Read<WORD>() != 1 || reader.Read<WORD>() != 0xFFFF) return false;
    reader.Read<DWORD>();  // help id
    reader.Read<DWORD>();  // extended style
    const DWORD style = reader.Read<DWORD>();
    const WORD controls = reader.Read<WORD>();
    reader.Read<short>();
    reader.Read<short>();
    layout.cx = reader.Read<short>();
    layout.cy = reader.Read<short>();
    reader.SkipNameOrOrdinal();  // menu
    reader.SkipNameOrOrdinal();  // class
    reader.SkipString();         // caption
    if (style & (DS_SETFONT | DS_SHELLFONT)) {
        reader.Skip(2 * sizeof(WORD) + 2);  // size, weight, italic, charset
        reader.SkipString();
    }
    layout.controls.clear();
    for (WORD i = 0; i < controls && !reader.Failed(); ++i) {
        reader.AlignDword();
        reader.Read<DWORD>();  // help id
        reader.Read<DWORD>();  // extended style
        TemplateControl control = {};
        control.style = reader.Read<DWORD>();
        control.x = reader.Read<short>();
        control.y = reader.Read<short>();
        control.cx = reader.Read<short>();
        control.cy = reader.Read<short>();
        const DWORD id = reader.Read<DWORD>();
        reader.SkipNameOrOrdinal();  // class
        reader.SkipNameOrOrdinal();  // text
        reader.Skip(reader.Read<WORD>());  // creation data
        if (!reader.Failed()) layout.controls[id] = control;
    }
    return !reader.Failed();
}
