#include "dialog_win.h"

#include "winapp_win.h"

#include <new>

namespace {

// The messages whose result a dialog procedure returns itself; every other
// result goes through DWLP_MSGRESULT.
bool IsReturnedDirectly(UINT message) noexcept
{
    switch (message) {
    case WM_CHARTOITEM:
    case WM_COMPAREITEM:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_INITDIALOG:
    case WM_QUERYDRAGICON:
    case WM_VKEYTOITEM:
        return true;
    default:
        return false;
    }
}

INT_PTR ReturnFromDialogProc(HWND window, UINT message, LRESULT result) noexcept
{
    if (IsReturnedDirectly(message)) {
        return result;
    }
    SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return TRUE;
}

LRESULT Report(const CException& failure, HWND window, UINT message)
{
    if (CWinApp* app = CWinApp::Current()) {
        return app->ProcessWndProcException(failure, window, message);
    }
    if (message == WM_PAINT) {
        ValidateRect(window, nullptr);
    } else {
        AppMessageBox(failure.GetErrorMessage(), MB_OK | MB_ICONSTOP);
    }
    return 0;
}

// The firewall: reports the failure that is being handled. Nothing may leave a
// dialog procedure, since the system's frames between it and our message loop
// cannot be unwound.
INT_PTR ReportEscapedFailure(HWND window, UINT message) noexcept
{
    try {
        LRESULT result = 0;
        try {
            throw;
        } catch (const CException& failure) {
            result = Report(failure, window, message);
        } catch (const std::bad_alloc&) {
            result = Report(CMemoryException(), window, message);
        } catch (...) {
            result = Report(CException(), window, message);
        }
        return ReturnFromDialogProc(window, message, result);
    } catch (...) {
        // The report itself failed, most likely for want of memory.
        MessageBoxW(nullptr, L"Out of memory.", nullptr, MB_OK | MB_ICONEXCLAMATION | MB_SYSTEMMODAL);
        return ReturnFromDialogProc(window, message, 0);
    }
}

void CentreOnWorkArea(HWND window) noexcept
{
    RECT area;
    RECT frame;
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0) || !GetWindowRect(window, &frame)) {
        return;
    }
    const LONG width = frame.right - frame.left;
    const LONG height = frame.bottom - frame.top;
    LONG x = area.left + (area.right - area.left - width) / 2;
    LONG y = area.top + (area.bottom - area.top - height) / 2;
    // Kept inside the work area where the window is larger than the rest of it.
    x = x + width > area.right ? area.right - width : x;
    y = y + height > area.bottom ? area.bottom - height : y;
    x = x < area.left ? area.left : x;
    y = y < area.top ? area.top : y;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

CDialog::CDialog(UINT templateId, HWND parent) noexcept : m_templateId(templateId), m_parent(parent) {}

CDialog::~CDialog()
{
    if (m_hWnd) {
        DestroyWindow(m_hWnd);
    }
    CWinApp* app = CWinApp::Current();
    if (app && app->m_pMainWnd == this) {
        app->m_pMainWnd = nullptr;
    }
}

INT_PTR CDialog::DoModal()
{
    CWinApp* app = CWinApp::Current();
    const HINSTANCE resources = app ? app->GetResourceHandle() : GetModuleHandleW(nullptr);
    m_result = -1;
    m_running = true;
    if (!CreateDialogParamW(resources, MAKEINTRESOURCEW(m_templateId), m_parent, DialogProc,
                            reinterpret_cast<LPARAM>(this))) {
        m_running = false;
        return -1;
    }
    MSG message;
    while (m_running && m_hWnd) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == -1) {
            break;
        }
        if (got == 0) {
            // WM_QUIT belongs to the loop outside this one.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (!PreTranslateMessage(message) && !IsDialogMessageW(m_hWnd, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    m_running = false;
    if (m_hWnd) {
        DestroyWindow(m_hWnd);
    }
    return m_result;
}

void CDialog::EndDialog(int result) noexcept
{
    m_result = result;
    m_running = false;
    // Wakes the loop when this was called from a sent message.
    if (m_hWnd) {
        PostMessageW(m_hWnd, WM_NULL, 0, 0);
    }
}

BOOL CDialog::OnInitDialog()
{
    return TRUE;
}

void CDialog::OnOK()
{
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::OnPaint()
{
    Default();
}

BOOL CDialog::OnQueryEndSession()
{
    return TRUE;
}

const MessageMap& CDialog::GetMessageMap() const
{
    static const MessageEntry entries[] = {
        OnCommand<IDOK, &CDialog::OnOK>(),                       // void OnOK()
        OnCommand<IDCANCEL, &CDialog::OnCancel>(),               // void OnCancel()
        OnWmQueryEndSession<&CDialog::OnQueryEndSession>(),      // BOOL OnQueryEndSession()
    };
    static const MessageMap map(nullptr, entries);
    return map;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CDialog* dialog = nullptr;
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<CDialog*>(lParam);
        dialog->m_hWnd = window;
        SetWindowLongPtrW(window, DWLP_USER, lParam);
    } else {
        dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    }
    if (!dialog) {
        return FALSE;
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, DWLP_USER, 0);
        dialog->m_hWnd = nullptr;
        CWinApp* app = CWinApp::Current();
        if (app && app->m_pMainWnd == dialog) {
            app->m_pMainWnd = nullptr;
        }
        return FALSE;
    }
    return dialog->HandleMessage(message, wParam, lParam);
}

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        return Dispatch(message, wParam, lParam);
    } catch (...) {
        m_passToSystem = false;
        return ReportEscapedFailure(m_hWnd, message);
    }
}

INT_PTR CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        return InitDialog();
    }
    const bool outerPassToSystem = m_passToSystem;
    m_passToSystem = false;
    LRESULT result = 0;
    bool handled = OnWndMsg(message, wParam, lParam, result);
    if (!handled && message == WM_COMMAND) {
        CWinApp* app = CWinApp::Current();
        handled = app && app->OnWndMsg(message, wParam, lParam, result);
    }
    const bool passToSystem = m_passToSystem;
    m_passToSystem = outerPassToSystem;
    if (!handled || passToSystem) {
        return FALSE;
    }
    return ReturnFromDialogProc(m_hWnd, message, result);
}

INT_PTR CDialog::InitDialog()
{
    RECT before;
    GetWindowRect(m_hWnd, &before);
    const BOOL result = OnInitDialog();
    // A window without owner and without a place of its own starts in the
    // middle of the screen, unless its initialisation placed or showed it.
    RECT after;
    GetWindowRect(m_hWnd, &after);
    const LONG_PTR style = GetWindowLongPtrW(m_hWnd, GWL_STYLE);
    const bool placed = (style & (DS_CENTER | DS_CENTERMOUSE | DS_ABSALIGN)) != 0 || before.left != 0 ||
                        before.top != 0 || !EqualRect(&before, &after) || IsWindowVisible(m_hWnd);
    if (!placed && !GetWindow(m_hWnd, GW_OWNER)) {
        CentreOnWorkArea(m_hWnd);
    }
    return result;
}

bool CDialog::PreTranslateMessage(const MSG& message)
{
    const bool f1 = message.message == WM_KEYDOWN && message.wParam == VK_F1;
    if (!f1 || (message.hwnd != m_hWnd && !IsChild(m_hWnd, message.hwnd))) {
        return false;
    }
    if (GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) {
        return false;
    }
    SendMessageW(m_hWnd, WM_COMMAND, ID_HELP, 0);
    return true;
}
