#include "dialogs/framework/edit_fields.h"

#include "dialogs/framework/resource_ui.h"
#include "win/resource_module.h"

#include <vector>

int AnsiByteCount(const std::wstring& text) {
    if (text.empty()) return 0;
    return ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
}

void LimitFieldChars(HWND edit, int maxChars) {
    ::SendMessageW(edit, EM_LIMITTEXT, static_cast<WPARAM>(maxChars), 0);
}

namespace {

std::wstring EditText(HWND edit) {
    const int length = ::GetWindowTextLengthW(edit);
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(edit, buffer.data(), length + 1);
    return std::wstring(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

}  // namespace

bool CapFieldAnsiBytes(HWND edit, int maxBytes) {
    // Text the program put into a read-only box is shown as it is.
    if (::GetWindowLongW(edit, GWL_STYLE) & ES_READONLY) return false;
    const std::wstring text = EditText(edit);
    if (AnsiByteCount(text) <= maxBytes) return false;

    DWORD selStart = 0, selEnd = 0;
    ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart), reinterpret_cast<LPARAM>(&selEnd));
    size_t caret = selEnd < text.size() ? selEnd : text.size();
    // What was just typed or pasted ends at the caret; take characters back
    // from there.  Text that got in some other way (the caret at its start)
    // loses its end instead.
    if (caret == 0) caret = text.size();
    size_t from = caret;
    while (from > 0 && AnsiByteCount(text.substr(0, from) + text.substr(caret)) > maxBytes) --from;
    // Never half a surrogate pair.
    if (from > 0 && IsHighSurrogate(text[from - 1])) --from;

    ::SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(from), static_cast<LPARAM>(caret));
    ::SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
    return true;
}

void FocusField(HWND dialog, int id) {
    HWND control = ::GetDlgItem(dialog, id);
    if (!control) return;
    ::SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    if (::SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) ::SendMessageW(control, EM_SETSEL, 0, -1);
}

void ShowFieldMessage(HWND dialog, UINT textId, UINT captionId, int fieldId) {
    const std::wstring caption = LoadResourceString(captionId);
    ResourceMessageBox(dialog, textId, caption.c_str(), MB_OK);
    if (fieldId) FocusField(dialog, fieldId);
}
