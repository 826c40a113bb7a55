#include "suite/glimra/shared_font.h"

#include "win/raii.h"

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

}  // namespace

HFONT SkinFont() {
    // Owned for the life of the module.
    static UniqueFont font(CreateSkinFont());
    return font.get();
}
