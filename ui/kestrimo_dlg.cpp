#include "kestrimo_dlg.h"

#include "dialog_prompts.h"
#include "resource.h"

#include "classlib/winapp_win.h"
#include "xer/shell_drop_win.h"

#include <shellapi.h>

namespace {

// Marks a drop as being handled for as long as it lives.
class DropInProgress {
public:
    explicit DropInProgress(bool& flag) noexcept : m_flag(flag) { m_flag = true; }
    DropInProgress(const DropInProgress&) = delete;
    DropInProgress& operator=(const DropInProgress&) = delete;
    ~DropInProgress() { m_flag = false; }

private:
    bool& m_flag;
};

}  // namespace

POINT MinimisedIconPosition(const RECT& client, int iconWidth, int iconHeight) noexcept
{
    return {(client.right - client.left - iconWidth + 1) / 2, (client.bottom - client.top - iconHeight + 1) / 2};
}

CKestrimoDlg::CKestrimoDlg()
    : CDialog(IDD_MAIN_DIALOG),
      m_hIcon(LoadIconW(CWinApp::Current() ? CWinApp::Current()->GetResourceHandle() : GetModuleHandleW(nullptr),
                        MAKEINTRESOURCEW(IDR_MAINFRAME)))
{
}

CKestrimoDlg::~CKestrimoDlg() = default;

const MessageMap& CKestrimoDlg::GetMessageMap() const
{
    static const MessageEntry entries[] = {
        OnWmPaint<&CKestrimoDlg::OnPaint>(),                  // void OnPaint()
        OnWmDropFiles<&CKestrimoDlg::OnDropFiles>(),          // void OnDropFiles(HDROP drop)
        OnWmQueryDragIcon<&CKestrimoDlg::OnQueryDragIcon>(),  // HCURSOR OnQueryDragIcon()
    };
    static const MessageMap map(&CDialog::GetMessageMap(), entries);
    return map;
}

BOOL CKestrimoDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    DragAcceptFiles(m_hWnd, TRUE);
    return TRUE;
}

void CKestrimoDlg::OnPaint()
{
    if (!IsIconic(m_hWnd)) {
        CDialog::OnPaint();
        return;
    }
    const CPaintDC dc(m_hWnd);
    SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    RECT client;
    GetClientRect(m_hWnd, &client);
    const POINT at = MinimisedIconPosition(client, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
    DrawIcon(dc.GetSafeHdc(), at.x, at.y, m_hIcon);
}

void CKestrimoDlg::OnDropFiles(HDROP drop)
{
    ShellDrop files(drop);
    // The system delivers drops even while this drop's prompts are open. Such a
    // drop is refused: released at once, nothing converted.
    if (m_bHandlingDrop) {
        return;
    }
    const DropInProgress inProgress(m_bHandlingDrop);
    DialogPrompts prompts(m_hWnd);
    ConvertDroppedFiles(files, m_strOutputFolder, prompts);
}

HCURSOR CKestrimoDlg::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(m_hIcon);
}
