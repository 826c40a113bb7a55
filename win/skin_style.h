// The window-style object of the suite's skin library, Glimra.dll.  Every
// operation takes one window handle; callers ignore the results.  The table
// has 22 operations; the dialogs use positions 0, 2, 3, 4, 5, 6 and 21.
#pragma once
#include <windows.h>

class IWindowStyle {
public:
    virtual BOOL STDMETHODCALLTYPE StyleDialog(HWND window) = 0;        // 0
    virtual BOOL STDMETHODCALLTYPE StyleStatic(HWND window) = 0;        // 1
    virtual BOOL STDMETHODCALLTYPE StyleCheckBox(HWND window) = 0;      // 2
    virtual BOOL STDMETHODCALLTYPE StyleCheckButton(HWND window) = 0;   // 3 (radio buttons)
    virtual BOOL STDMETHODCALLTYPE StylePushButton(HWND window) = 0;    // 4
    virtual BOOL STDMETHODCALLTYPE StyleEdit(HWND window) = 0;          // 5
    virtual BOOL STDMETHODCALLTYPE StyleComboBox(HWND window) = 0;      // 6
    virtual BOOL STDMETHODCALLTYPE StyleGroupBox(HWND window) = 0;      // 7
    virtual BOOL STDMETHODCALLTYPE StyleListBox(HWND window) = 0;       // 8
    virtual BOOL STDMETHODCALLTYPE StyleScrollBar(HWND window) = 0;     // 9
    virtual BOOL STDMETHODCALLTYPE StyleTab(HWND window) = 0;           // 10
    virtual BOOL STDMETHODCALLTYPE StyleTree(HWND window) = 0;          // 11
    virtual BOOL STDMETHODCALLTYPE StyleProgress(HWND window) = 0;      // 12
    virtual BOOL STDMETHODCALLTYPE StyleSlider(HWND window) = 0;        // 13
    virtual BOOL STDMETHODCALLTYPE StyleSpin(HWND window) = 0;          // 14
    virtual BOOL STDMETHODCALLTYPE StyleHeader(HWND window) = 0;        // 15
    virtual BOOL STDMETHODCALLTYPE StyleToolbar(HWND window) = 0;       // 16
    virtual BOOL STDMETHODCALLTYPE StyleStatusBar(HWND window) = 0;     // 17
    virtual BOOL STDMETHODCALLTYPE StyleRichEdit(HWND window) = 0;      // 18
    virtual BOOL STDMETHODCALLTYPE StyleHyperlink(HWND window) = 0;     // 19
    virtual BOOL STDMETHODCALLTYPE StyleFrame(HWND window) = 0;         // 20
    virtual BOOL STDMETHODCALLTYPE StyleListView(HWND window) = 0;      // 21
};

typedef IWindowStyle*(WINAPI* GetWindowStyleFn)();
