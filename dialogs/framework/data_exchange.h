// Control exchange in the shape of WTL's CWinDataExchange: a dialog lists
// its text fields, check boxes and radio groups in a DDX map and calls
// DoDataExchange(true) to read every control into its field, or
// DoDataExchange(false) to fill the controls.  The exchange stops at the
// first control that fails; that control gets the focus after a beep.
#pragma once
#include <windows.h>

#include <string>

#include "dialogs/framework/button_exchange.h"

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
            if (::SetWindowTextW(control, text.c_str())) return true;
            dialog->OnDataExchangeError(id, save);
            return false;
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

    // A check box's BM_GETCHECK state (0..2); see WriteCheckState.
    bool DDX_Check(UINT id, int& state, bool save) {
        return ExchangeButtons(ReadCheckState, WriteCheckState, id, state, save);
    }
    // The index of the checked button of the radio group that starts at
    // `firstId`, -1 for none; see WriteRadioChoice.
    bool DDX_Radio(UINT firstId, int& choice, bool save) {
        return ExchangeButtons(ReadRadioChoice, WriteRadioChoice, firstId, choice, save);
    }

    // Defaults a dialog may hide: the simple beep and the focus on the control,
    // its text selected.
    void OnDataExchangeError(UINT id, bool /*save*/) { BeepAndFocus(id); }
    void OnDataValidateError(UINT id, bool /*save*/) { BeepAndFocus(id); }

private:
    bool ExchangeButtons(int (*read)(HWND, int), void (*write)(HWND, int, int), UINT id, int& value, bool save) {
        HWND dialog = static_cast<T*>(this)->m_hWnd;
        if (save)
            value = read(dialog, static_cast<int>(id));
        else
            write(dialog, static_cast<int>(id), value);
        return true;
    }
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

#define DDX_CHECK(id, var)                                                    \
    if (nCtlID == static_cast<UINT>(-1) || nCtlID == static_cast<UINT>(id)) { \
        if (!DDX_Check((id), (var), bSaveAndValidate)) return false;          \
    }

#define DDX_RADIO(id, var)                                                    \
    if (nCtlID == static_cast<UINT>(-1) || nCtlID == static_cast<UINT>(id)) { \
        if (!DDX_Radio((id), (var), bSaveAndValidate)) return false;          \
    }

#define END_DDX_MAP() \
    return true;      \
    }
