// The floor that the dialogs are measured against: a plain modal dialog
// whose only controls are report-view lists, placed and styled as the
// lists of the dialog's template, filled with nothing but LVM_INSERTITEM and
// LVM_SETITEMTEXT from texts prepared beforehand, with redraw off meanwhile.
#pragma once
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "template_layout.h"

using ListRows = std::vector<std::vector<std::wstring>>;

struct BareColumn {
    std::wstring header;
    std::function<int(int clientWidth)> width;
    int format;
};

struct BareList {
    WORD id;
    TemplateControl place;  // as in the dialog's template
    std::vector<BareColumn> columns;
    const ListRows* initialRows;  // filled during WM_INITDIALOG; may be null
};

class BareListDialog {
public:
    // A dialog of cx x cy dialog units in the dialog font of the language
    // module's templates.
    BareListDialog(short cx, short cy, std::vector<BareList> lists);

    // Runs the dialog modally; WM_CLOSE ends it.
    INT_PTR Run(HWND owner);

    // Empties the list and fills it with the rows.
    static void Fill(HWND list, const ListRows& rows);

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    void Initialise(HWND dialog) const;
    std::vector<WORD> BuildTemplate() const;

    short cx_, cy_;
    std::vector<BareList> lists_;
};
