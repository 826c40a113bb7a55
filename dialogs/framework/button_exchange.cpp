#include "dialogs/framework/button_exchange.h"

namespace {

bool IsRadioButton(HWND control) {
    return (::SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) != 0;
}

// Calls visit(button, index) for each radio button of the group; stops early
// when visit answers false.
template <typename Visit>
void ForEachRadio(HWND dialog, int firstId, Visit visit) {
    HWND control = ::GetDlgItem(dialog, firstId);
    int index = 0;
    for (bool first = true; control; control = ::GetWindow(control, GW_HWNDNEXT), first = false) {
        if (!first && (::GetWindowLongW(control, GWL_STYLE) & WS_GROUP)) break;
        if (!IsRadioButton(control)) continue;
        if (!visit(control, index++)) break;
    }
}

}  // namespace

void WriteCheckState(HWND dialog, int id, int state) {
    if (state < BST_UNCHECKED || state > BST_INDETERMINATE) state = BST_UNCHECKED;
    ::SendDlgItemMessageW(dialog, id, BM_SETCHECK, static_cast<WPARAM>(state), 0);
}

int ReadCheckState(HWND dialog, int id) {
    return static_cast<int>(::SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0));
}

void WriteRadioChoice(HWND dialog, int firstId, int choice) {
    ForEachRadio(dialog, firstId, [choice](HWND button, int index) {
        ::SendMessageW(button, BM_SETCHECK, index == choice ? BST_CHECKED : BST_UNCHECKED, 0);
        return true;
    });
}

int ReadRadioChoice(HWND dialog, int firstId) {
    int checked = -1;
    ForEachRadio(dialog, firstId, [&checked](HWND button, int index) {
        if (::SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED) {
            checked = index;
            return false;
        }
        return true;
    });
    return checked;
}
