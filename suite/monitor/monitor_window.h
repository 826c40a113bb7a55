// The monitor stand-in's top-level window: the title the plug-in looks for,
// a list of the logged events, command 6005 answered, the update atom
// polled on a timer.
#pragma once
#include <windows.h>

#include <string>

#include "suite/monitor/monitor_log.h"
#include "suite/monitor/monitor_options.h"
#include "suite/monitor/update_atom_watch.h"

class MonitorWindow {
public:
    MonitorWindow(const MonitorOptions& options, MonitorLog& log);
    ~MonitorWindow();
    MonitorWindow(const MonitorWindow&) = delete;
    MonitorWindow& operator=(const MonitorWindow&) = delete;

    // Creates and shows the window and starts the atom timer.
    bool Create(HINSTANCE instance, int show);
    HWND Handle() const { return m_hWnd; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
    void OnTimer();
    // Logs the line and shows it in the list.
    void Event(const std::wstring& text);

    const MonitorOptions& m_options;
    MonitorLog& m_log;
    UpdateAtomWatch m_atomWatch;
    HWND m_hWnd = nullptr;
    HWND m_hList = nullptr;
    unsigned m_nCommands = 0;
};
