// The skin's window-style object.  The operations the settings dialogs use
// give controls the skin font and a flatter look; the others leave windows
// as they are.  Each answers TRUE only when it changed the window.
#pragma once
#include "win/skin_style.h"

class WindowStyle final : public IWindowStyle {
public:
    BOOL STDMETHODCALLTYPE StyleDialog(HWND window) override;
    BOOL STDMETHODCALLTYPE StyleStatic(HWND window) override;
    BOOL STDMETHODCALLTYPE StyleCheckBox(HWND window) override;
    BOOL STDMETHODCALLTYPE StyleCheckButton(HWND window) override;
    BOOL STDMETHODCALLTYPE StylePushButton(HWND window) override;
    BOOL STDMETHODCALLTYPE StyleEdit(HWND window) override;
    BOOL STDMETHODCALLTYPE StyleComboBox(HWND window) override;
    BOOL STDMETHODCALLTYPE StyleGroupBox(HWND window) override;
    BOOL STDMETHODCALLTYPE StyleListBox(HWND window) override;
    BOOL STDMETHODCALLTYPE StyleScrollBar(HWND window) override;
    BOOL STDMETHODCALLTYPE StyleTab(HWND window) override;
    BOOL STDMETHODCALLTYPE StyleTree(HWND window) override;
    BOOL STDMETHODCALLTYPE StyleProgress(HWND window) override;
    BOOL STDMETHODCALLTYPE StyleSlider(HWND window) override;
    BOOL STDMETHODCALLTYPE StyleSpin(HWND window) override;
    BOOL STDMETHODCALLTYPE StyleHeader(HWND window) override;
    BOOL STDMETHODCALLTYPE StyleToolbar(HWND window) override;
    BOOL STDMETHODCALLTYPE StyleStatusBar(HWND window) override;
    BOOL STDMETHODCALLTYPE StyleRichEdit(HWND window) override;
    BOOL STDMETHODCALLTYPE StyleHyperlink(HWND window) override;
    BOOL STDMETHODCALLTYPE StyleFrame(HWND window) override;
    BOOL STDMETHODCALLTYPE StyleListView(HWND window) override;
};

// The process-wide instance handed out by GetWindowStyle.
IWindowStyle* SkinWindowStyle();
