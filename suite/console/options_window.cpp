#include "suite/console/options_window.h"

#include "suite/console/page_frame.h"
#include "suite/console/plugin_host.h"
#include "suite/console/settings_transfer.h"

#include <commdlg.h>

#include <vector>

namespace {

constexpr wchar_t kClassName[] = L"VtOptionsWindow";
constexpr wchar_t kSuiteCaption[] = L"Veltrane Options";
constexpr wchar_t kFileFilter[] = L"Settings blocks (*.dat)\0*.dat\0All files (*.*)\0*.*\0";
constexpr int kMargin = 8;
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 24;
constexpr int kMinWidth = 480;
constexpr int kMinHeight = 320;

struct ButtonLabel {
    int id;
    const wchar_t* text;
};
constexpr ButtonLabel kButtons[] = {
    {OptionsWindow::kApplyId, L"&Apply"},
    {OptionsWindow::kExportId, L"&Export..."},
    {OptionsWindow::kImportId, L"&Import..."},
    {OptionsWindow::kCloseId, L"Close"},
};

HFONT CreateMessageFont() {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) return nullptr;
    return CreateFontIndirectW(&metrics.lfMessageFont);
}

bool RegisterWindowClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// Empty when the user cancels.
std::wstring ChooseFile(HWND owner, bool forSaving) {
    std::vector<wchar_t> name(32768, L'\0');
    OPENFILENAMEW request = {};
    request.lStructSize = sizeof(request);
    request.hwndOwner = owner;
    request.lpstrFilter = kFileFilter;
    request.lpstrFile = name.data();
    request.nMaxFile = static_cast<DWORD>(name.size());
    request.lpstrDefExt = L"dat";
    request.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                    (forSaving ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    BOOL chosen = forSaving ? GetSaveFileNameW(&request) : GetOpenFileNameW(&request);
    return chosen ? std::wstring(name.data()) : std::wstring();
}

}  // namespace

OptionsWindow::OptionsWindow(IProductOption& option, HINSTANCE instance, bool quitOnClose)
    : option_(option), instance_(instance), quitOnClose_(quitOnClose) {}

OptionsWindow::~OptionsWindow() {
    if (window_) DestroyWindow(window_);
}

bool OptionsWindow::Create(int showCommand) {
    if (window_ || !RegisterWindowClass(instance_, WindowProc)) return false;
    font_.reset(CreateMessageFont());
    std::wstring title = PluginTitle(option_);
    title = title.empty() ? kSuiteCaption : title + L" - " + kSuiteCaption;
    // Control parent: the dialog keyboard interface reaches the page's controls.
    HWND window = CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, title.c_str(),
                                  WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, 640, 440,
                                  nullptr, nullptr, instance_, this);
    if (!window) return false;
    // A hidden window gets its first WM_SIZE only when shown: place the
    // frame now so that the page is created at its real size.
    Layout();
    CreatePage();
    ShowWindow(window_, showCommand);
    return true;
}

LRESULT CALLBACK OptionsWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<OptionsWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<OptionsWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_ = self->frame_ = self->status_ = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->OnMessage(message, wParam, lParam);
}

LRESULT OptionsWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        CreateControls();
        return 0;
    case WM_SIZE:
        Layout();
        return 0;
    case WM_GETMINMAXINFO: {
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize.x = kMinWidth;
        limits->ptMinTrackSize.y = kMinHeight;
        return 0;
    }
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) OnCommand(LOWORD(wParam));
        return 0;
    case WM_CLOSE:
        DestroyWindow(window_);
        return 0;
    case WM_DESTROY:
        if (quitOnClose_) PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

void OptionsWindow::CreateControls() {
    frame_ = CreatePageFrame(window_, instance_, kFrameId);
    status_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_ENDELLIPSIS | SS_CENTERIMAGE,
                              0, 0, 0, 0, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusId)),
                              instance_, nullptr);
    SendMessageW(status_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    for (const ButtonLabel& label : kButtons) {
        HWND button = CreateWindowExW(0, L"BUTTON", label.text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                                      0, 0, 0, 0, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(label.id)),
                                      instance_, nullptr);
        SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    }
}

void OptionsWindow::Layout() {
    if (!window_ || !frame_) return;
    RECT client;
    GetClientRect(window_, &client);
    const int buttonTop = client.bottom - kMargin - kButtonHeight;
    int x = client.right - kMargin - kButtonWidth;
    for (int i = static_cast<int>(sizeof(kButtons) / sizeof(kButtons[0])) - 1; i >= 0; --i) {
        MoveWindow(GetDlgItem(window_, kButtons[i].id), x, buttonTop, kButtonWidth, kButtonHeight, TRUE);
        x -= kButtonWidth + kMargin / 2;
    }
    const int statusWidth = x + kButtonWidth - kMargin;
    MoveWindow(status_, kMargin, buttonTop, statusWidth > 0 ? statusWidth : 0, kButtonHeight, TRUE);
    const int frameWidth = client.right - 2 * kMargin;
    const int frameHeight = buttonTop - 2 * kMargin;
    MoveWindow(frame_, kMargin, kMargin, frameWidth > 0 ? frameWidth : 0, frameHeight > 0 ? frameHeight : 0, TRUE);
}

void OptionsWindow::CreatePage() {
    RECT area;
    GetClientRect(frame_, &area);
    // The page fills the frame; the frame keeps it filled on every resize.
    option_.CreatePage(frame_, &area);
    hasPage_ = GetWindow(frame_, GW_CHILD) != nullptr;
    if (!hasPage_) {
        HWND notice = CreateWindowExW(0, L"STATIC", L"The settings page could not be created.",
                                      WS_CHILD | WS_VISIBLE | SS_CENTER, 0, 0, area.right, area.bottom, frame_,
                                      nullptr, instance_, nullptr);
        SendMessageW(notice, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    }
}

void OptionsWindow::OnCommand(int id) {
    switch (id) {
    case kApplyId:
        ApplySettings();
        break;
    case kExportId:
        ExportToChosenFile();
        break;
    case kImportId:
        ImportFromChosenFile();
        break;
    case kCloseId:
        DestroyWindow(window_);
        break;
    }
}

void OptionsWindow::ApplySettings() {
    option_.Apply();
    ShowStatus(L"Settings applied.");
}

void OptionsWindow::ExportToChosenFile() {
    std::wstring file = ChooseFile(window_, true);
    if (file.empty()) return;
    TransferResult result = ExportSettings(option_, file);
    if (!result.ok) return ShowError(result.error);
    ShowStatus(L"Exported " + std::to_wstring(result.bytes) + L" bytes to " + file);
}

void OptionsWindow::ImportFromChosenFile() {
    std::wstring file = ChooseFile(window_, false);
    if (file.empty()) return;
    TransferResult result = ImportSettings(option_, file);
    if (!result.ok) return ShowError(result.error);
    ShowStatus(L"Imported " + std::to_wstring(result.bytes) + L" bytes from " + file);
}

void OptionsWindow::ShowStatus(const std::wstring& text) { SetWindowTextW(status_, text.c_str()); }

void OptionsWindow::ShowError(const std::wstring& text) {
    ShowStatus(L"");
    MessageBoxW(window_, text.c_str(), kSuiteCaption, MB_OK | MB_ICONERROR);
}

int RunMessageLoop(HWND main) {
    MSG message;
    BOOL got;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0) {
        if (got == -1) return -1;
        if (IsWindow(main) && IsDialogMessageW(main, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
