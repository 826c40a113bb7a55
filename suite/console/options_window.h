// The console's options window: the plug-in's page in a frame, with Apply,
// Export..., Import... and Close below it and a status line.
#pragma once
#include "plugin/product_option.h"
#include "win/raii.h"

#include <string>

class OptionsWindow {
public:
    enum ControlId { kFrameId = 100, kApplyId, kExportId, kImportId, kCloseId, kStatusId };

    // `quitOnClose`: closing the window ends the thread's message loop.
    OptionsWindow(IProductOption& option, HINSTANCE instance, bool quitOnClose);
    ~OptionsWindow();
    OptionsWindow(const OptionsWindow&) = delete;
    OptionsWindow& operator=(const OptionsWindow&) = delete;

    // Creates the window, has the plug-in create its page in the frame and
    // shows the window.  False when the window itself cannot be created.
    bool Create(int showCommand);
    HWND Handle() const { return window_; }
    HWND Frame() const { return frame_; }
    // False when the plug-in could not create its page.
    bool HasPage() const { return hasPage_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void CreatePage();
    void Layout();
    void OnCommand(int id);
    void ApplySettings();
    void ExportToChosenFile();
    void ImportFromChosenFile();
    void ShowStatus(const std::wstring& text);
    void ShowError(const std::wstring& text);

    UniqueFont font_;  // outlives the window that uses it
    IProductOption& option_;
    HINSTANCE instance_;
    bool quitOnClose_;
    bool hasPage_ = false;
    HWND window_ = nullptr;
    HWND frame_ = nullptr;
    HWND status_ = nullptr;
};

// Runs the thread's message loop until WM_QUIT, with dialog keyboard
// handling for `main` and its page; returns the quit code.
int RunMessageLoop(HWND main);
