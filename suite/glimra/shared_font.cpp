#include "suite/glimra/shared_font.h"

namespace {

constexpr int kPointSize = 9;

int CALLBACK NoteFaceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool FaceInstalled(HDC dc, const wchar_t* face) {
    LOGFONTW query = {};
    query.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(query.lfFaceName, face, LF_FACESIZE);
    bool found = false;
    EnumFontFamiliesExW(dc, &query, NoteFaceFound, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

HFONT CreateSkinFont() {
    HDC screen = GetDC(nullptr);
    if (!screen) return nullptr;
    LOGFONTW font = {};
    font.lfHeight = -MulDiv(kPointSize, GetDeviceCaps(screen, LOGPIXELSY), 72);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = CLEARTYPE_QUALITY;
    lstrcpynW(font.lfFaceName, FaceInstalled(screen, L"Segoe UI") ? L"Segoe UI" : L"Tahoma", LF_FACESIZE);
    ReleaseDC(nullptr, screen);
    return CreateFontIndirectW(&font);
}

// Owns the font for the life of the module.
class FontOwner {
public:
    FontOwner() : font_(CreateSkinFont()) {}
    ~FontOwner() {
        if (font_) DeleteObject(font_);
    }
    FontOwner(const FontOwner&) = delete;
    FontOwner& operator=(const FontOwner&) = delete;
    HFONT get() const { return font_; }

private:
    HFONT font_;
};

}  // namespace

HFONT SkinFont() {
    static FontOwner owner;
    return owner.get();
}
