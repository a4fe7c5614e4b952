#include "kestrimo_app.h"

#include "ui/kestrimo_dlg.h"
#include "xer/stdio_file.h"

#include <commctrl.h>

namespace {

// A file that fails to close while a failure unwinds the conversion is told
// about in the program's own message box.
void ShowDestructorFailure(const CString& message)
{
    AppMessageBox(message, MB_OK);
}

}  // namespace

CKestrimoApp::CKestrimoApp() noexcept
{
    m_dwRestartManagerSupportFlags = kRestartRegister;
    SetDestructorFailureReporter(ShowDestructorFailure);
}

CKestrimoApp::~CKestrimoApp() = default;

const MessageMap& CKestrimoApp::GetMessageMap() const
{
    static const MessageEntry entries[] = {
        OnCommand<ID_HELP, &CKestrimoApp::OnHelp>(),  // void OnHelp()
    };
    static const MessageMap map(&CWinApp::GetMessageMap(), entries);
    return map;
}

BOOL CKestrimoApp::InitInstance()
{
    INITCOMMONCONTROLSEX controls{sizeof(controls), 0xFF};
    InitCommonControlsEx(&controls);
    CWinApp::InitInstance();
    SetRegistryKey(u"Local AppWizard-Generated Applications");
    CKestrimoDlg dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();
    // No message loop of the application's own: the program ends with its window.
    return FALSE;
}
