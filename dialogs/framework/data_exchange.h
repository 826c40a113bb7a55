// Control-text exchange in the shape of WTL's CWinDataExchange: a dialog
// lists its text fields in a DDX map and calls DoDataExchange(true) to read
// every control into its field, or DoDataExchange(false) to fill the controls.
// Reading stops at the first control that fails; that control gets the focus
// after a beep.
#pragma once
#include <windows.h>

#include <string>

template <class T>
class CWinDataExchange {
public:
    // Reads (save) or writes one control's whole text.  A read fails when
    // fewer characters arrive than the control reported, or when the text
    // is longer than maxLength (the field keeps the long text either way).
    bool DDX_Text(UINT id, std::wstring& text, bool save, int maxLength) {
        T* dialog = static_cast<T*>(this);
        HWND control = dialog->GetDlgItem(static_cast<int>(id));
        if (!save) {
            ::SetWindowTextW(control, text.c_str());
            return true;
        }
        const int reported = ::GetWindowTextLengthW(control);
        std::wstring read(static_cast<size_t>(reported) + 1, L'\0');
        const int arrived = ::GetWindowTextW(control, &read[0], reported + 1);
        read.resize(arrived > 0 ? static_cast<size_t>(arrived) : 0);
        text = read;
        if (arrived < reported) {
            dialog->OnDataExchangeError(id, save);
            return false;
        }
        if (maxLength > 0 && static_cast<int>(text.size()) > maxLength) {
            dialog->OnDataValidateError(id, save);
            return false;
        }
        return true;
    }

    // Defaults a dialog may hide: the simple beep and the focus on the control,
    // its text selected.
    void OnDataExchangeError(UINT id, bool /*save*/) { BeepAndFocus(id); }
    void OnDataValidateError(UINT id, bool /*save*/) { BeepAndFocus(id); }

private:
    void BeepAndFocus(UINT id) {
        ::MessageBeep(0xFFFFFFFF);
        HWND control = static_cast<T*>(this)->GetDlgItem(static_cast<int>(id));
        ::SetFocus(control);
        // Selected, so the text can be typed over at once.
        ::SendMessageW(control, EM_SETSEL, 0, -1);
    }
};

// DDX map macros.  DoDataExchange answers false at the first failing control
// and exchanges no further controls.
#define BEGIN_DDX_MAP(thisClass)                                        \
    bool DoDataExchange(bool bSaveAndValidate = false, UINT nCtlID = static_cast<UINT>(-1)) { \
        (void)nCtlID;

#define DDX_TEXT_LEN(id, var, len)                                              \
    if (nCtlID == static_cast<UINT>(-1) || nCtlID == static_cast<UINT>(id)) {   \
        if (!DDX_Text((id), (var), bSaveAndValidate, (len))) return false;      \
    }

#define END_DDX_MAP() \
    return true;      \
    }
