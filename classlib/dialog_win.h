#pragma once

#include "message_map_win.h"

#include <windows.h>

// A dialog from a template in the application's resource module, run modally.
//
// One static dialog procedure serves every dialog: it finds the object from the
// pointer stored at WM_INITDIALOG, runs the handler from the message map and
// catches every failure that a handler lets out, which the application reports
// (CWinApp::ProcessWndProcException). Commands that the dialog's map does not
// handle go on to the application's map.
class CDialog : public CCmdTarget {
public:
    explicit CDialog(UINT templateId, HWND parent = nullptr) noexcept;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;
    ~CDialog() override;

    // Creates the window, runs its message loop until EndDialog and returns the
    // value given to EndDialog; -1 when the window cannot be created.
    INT_PTR DoModal();
    void EndDialog(int result) noexcept;

    HWND GetSafeHwnd() const noexcept { return m_hWnd; }
    UINT GetTemplateId() const noexcept { return m_templateId; }

protected:
    // Called at WM_INITDIALOG; TRUE lets the system focus the first control.
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    void OnPaint();
    BOOL OnQueryEndSession();
    // Inside a handler: leaves the message to the system's dialog procedure too.
    void Default() noexcept { m_passToSystem = true; }

    // IDOK, IDCANCEL, WM_PAINT and WM_QUERYENDSESSION.
    const MessageMap& GetMessageMap() const override;

    HWND m_hWnd = nullptr;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR InitDialog();
    // F1 becomes the help command; true when the message was used up.
    bool PreTranslateMessage(const MSG& message);

    UINT m_templateId;
    HWND m_parent;
    bool m_running = false;
    INT_PTR m_result = -1;
    bool m_passToSystem = false;
};

// Painting of one WM_PAINT: BeginPaint on construction, EndPaint on destruction.
class CPaintDC {
public:
    explicit CPaintDC(HWND window) noexcept : m_window(window) { m_dc = BeginPaint(window, &m_paint); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    ~CPaintDC() { EndPaint(m_window, &m_paint); }

    HDC GetSafeHdc() const noexcept { return m_dc; }

private:
    HWND m_window;
    PAINTSTRUCT m_paint{};
    HDC m_dc;
};
