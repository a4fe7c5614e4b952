#include "win_test_support.h"

#include "classlib/dialog_win.h"
#include "classlib/utf8.h"
#include "classlib/wide_win.h"

#include <shlobj.h>

#include <cstring>
#include <thread>

std::string Text(const CString& text)
{
    return ToUtf8(text);
}

std::wstring Wide(const CString& text)
{
    return std::wstring(WideText(text), text.GetLength());
}

TestApp::TestApp()
{
    InitApplication(GetModuleHandleW(nullptr), L"");
}

int TestApp::ShowMessageBox(HWND owner, const CString& text, const CString& caption, UINT type)
{
    const HWND mainWindow = m_pMainWnd ? m_pMainWnd->GetSafeHwnd() : nullptr;
    m_boxes.push_back({owner, Text(text), Text(caption), type, mainWindow && IsWindowEnabled(mainWindow)});
    if (m_realBoxes) {
        return CWinApp::ShowMessageBox(owner, text, caption, type);
    }
    if (m_onBox) {
        m_onBox();
    }
    return m_answer;
}

bool TestApp::LaunchWinHelp(HWND window, const CString& helpPath, UINT command, ULONG_PTR data)
{
    m_helpCalls.push_back({window, Text(helpPath), command, data});
    return m_helpResult;
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::wstring KestrimoExePath()
{
    const CString path = FromUtf8(KESTRIMO_EXE);
    std::wstring wide = Wide(path);
    for (wchar_t& c : wide) {
        c = c == L'/' ? L'\\' : c;
    }
    return wide;
}

std::wstring WindowText(HWND window)
{
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

namespace {

struct WindowSearch {
    DWORD process;
    const wchar_t* caption;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM context)
{
    auto& search = *reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search.process || !IsWindowVisible(window) || WindowText(window) != search.caption) {
        return TRUE;
    }
    if (search.className) {
        wchar_t name[64];
        GetClassNameW(window, name, 64);
        if (std::wcscmp(name, search.className) != 0) {
            return TRUE;
        }
    }
    search.found = window;
    return FALSE;
}

}  // namespace

HWND FindProcessWindow(DWORD process, const wchar_t* caption, const wchar_t* className)
{
    WindowSearch search{process, caption, className, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

RunningProgram::RunningProgram(const std::wstring& path, const std::wstring& arguments)
{
    std::wstring commandLine = L"\"" + path + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &m_process)) {
        m_process = PROCESS_INFORMATION{};
    }
}

RunningProgram::~RunningProgram()
{
    if (!Started()) {
        return;
    }
    if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(m_process.hProcess, 1);
        WaitForSingleObject(m_process.hProcess, 5000);
    }
    CloseHandle(m_process.hThread);
    CloseHandle(m_process.hProcess);
}

HWND RunningProgram::WaitForWindow(const wchar_t* caption, const wchar_t* className,
                                   std::chrono::milliseconds timeout)
{
    HWND window = nullptr;
    PumpUntil([&] { return (window = FindProcessWindow(Id(), caption, className)) != nullptr; }, timeout);
    return window;
}

bool RunningProgram::WaitForExit(std::chrono::milliseconds timeout)
{
    return WaitForSingleObject(m_process.hProcess, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

HDROP MakeDrop(const std::vector<std::wstring>& paths)
{
    std::size_t characters = 1;  // the list ends with an empty string
    for (const std::wstring& path : paths) {
        characters += path.size() + 1;
    }
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + characters * sizeof(wchar_t));
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    auto* text = reinterpret_cast<wchar_t*>(header + 1);
    for (const std::wstring& path : paths) {
        std::memcpy(text, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
        text += path.size() + 1;
    }
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

bool IsDropAlive(HDROP drop)
{
    return GlobalSize(drop) != 0;
}
