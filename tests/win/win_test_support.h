#pragma once

#include "classlib/cstring.h"
#include "app/kestrimo_app.h"

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

// What the tests of the Windows program share: an application object that can
// record its message boxes, the built Kestrimo.exe, and real processes.

std::string Text(const CString& text);  // UTF-8, for assertions and their messages
std::wstring Wide(const CString& text);

// A message box as the application asked the system for it.
struct ShownBox {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
    bool mainWindowEnabled;  // the main window's state while the box was up
};

// The application object of a test. Records each box and answers it with
// `m_answer`, unless `m_realBoxes` lets the system show it; records each help
// call and answers it with `m_helpResult`.
class TestApp : public CKestrimoApp {
public:
    TestApp();

    int ShowMessageBox(HWND owner, const CString& text, const CString& caption, UINT type) override;
    bool LaunchWinHelp(HWND window, const CString& helpPath, UINT command, ULONG_PTR data) override;
    using CWinApp::OnHelp;

    struct HelpCall {
        HWND window;
        std::string path;
        UINT command;
        ULONG_PTR data;
    };

    std::vector<ShownBox> m_boxes;
    std::vector<HelpCall> m_helpCalls;
    bool m_realBoxes = false;
    int m_answer = IDOK;
    bool m_helpResult = false;
    std::function<void()> m_onBox;  // runs while a recorded box is "up"
};

// Waits, pumping this thread's messages, until `done` holds; false on timeout.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(20));

// The path of the built program, as Windows sees it.
std::wstring KestrimoExePath();

// The first visible top-level window of `process` with this caption and class
// (null: any); null when there is none.
HWND FindProcessWindow(DWORD process, const wchar_t* caption, const wchar_t* className = nullptr);

// The text of a window.
std::wstring WindowText(HWND window);

// A program started for a test; ended at the end of the test if still running.
class RunningProgram {
public:
    explicit RunningProgram(const std::wstring& path, const std::wstring& arguments = L"");
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;
    ~RunningProgram();

    bool Started() const noexcept { return m_process.hProcess != nullptr; }
    DWORD Id() const noexcept { return m_process.dwProcessId; }
    // Waits for the program's window with this caption and class; null on timeout.
    HWND WaitForWindow(const wchar_t* caption, const wchar_t* className = nullptr,
                       std::chrono::milliseconds timeout = std::chrono::seconds(30));
    bool WaitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(20));

private:
    PROCESS_INFORMATION m_process{};
};

// A drop handle as the shell builds it, for in-process WM_DROPFILES.
HDROP MakeDrop(const std::vector<std::wstring>& paths);
// True while the drop handle has not been given back (DragFinish frees it).
bool IsDropAlive(HDROP drop);
