#pragma once

#include "cstring.h"
#include "exception.h"
#include "handles_win.h"
#include "message_map_win.h"

#include <windows.h>

class CDialog;

// The command of F1 in the main window.
inline constexpr UINT ID_HELP = 0xE146;
// Help contexts of windows: this base plus the window's template identifier.
inline constexpr DWORD kHelpContextBase = 0x20000;

// Bits of CWinApp::m_dwRestartManagerSupportFlags.
inline constexpr DWORD kRestartRegister = 0x1;

// The names that the program takes from its executable's path.
struct ApplicationNames {
    CString exeName;   // the file name without folder and extension
    CString helpPath;  // the path with its extension replaced by ".HLP"
};
ApplicationNames DeriveApplicationNames(const CString& modulePath);

// The text registered for a restart: the arguments, then the restart switch
// with `identifier` unless the arguments already hold the switch.
CString RestartCommandLine(const CString& arguments, const CString& identifier);

// The language resource library beside the executable: for each user interface
// language, "<path without extension><language abbreviation>.dll", then
// "<path without extension>LOC.dll". The first that loads; none when none does.
LibraryModule LoadLanguageResourceLibrary(const CString& pathWithoutExtension);

// The application: there is one object of a class derived from this one. It
// holds what the process was started with, the names derived from the
// executable, the main window, and it shows every message of the program.
class CWinApp : public CCmdTarget {
public:
    // The names are derived from the executable when the program starts.
    CWinApp() noexcept;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    ~CWinApp() override;

    // The one application object; null before it is constructed.
    static CWinApp* Current() noexcept { return s_current; }

    // Called by the program's entry: records the start values and derives the names.
    void InitApplication(HINSTANCE instance, const wchar_t* arguments);
    // Loads a language resource library beside the executable, if there is one,
    // and registers the process for restart when the flags ask for it.
    virtual BOOL InitInstance();
    // Ends the instance; the result is the process's exit code.
    virtual int ExitInstance();

    void SetRegistryKey(const CString& key);

    // The one application message box: owned by the last active pop-up of the
    // main window (the main window disabled meanwhile when that is another
    // window), the application name as caption, and an icon when `type` has
    // none: exclamation for OK and OK-Cancel, question for Yes-No and
    // Yes-No-Cancel. Returns the button pressed.
    virtual int DoMessageBox(const CString& text, UINT type);
    // Reports a failure that the handler of `message` to `window` let out; the
    // result is the message's result.
    virtual LRESULT ProcessWndProcException(const CException& failure, HWND window, UINT message);

    // The module that dialog templates and icons are loaded from.
    HINSTANCE GetResourceHandle() const noexcept;
    const CString& GetAppName() const noexcept { return m_strAppName; }
    const CString& GetExeName() const noexcept { return m_strExeName; }
    const CString& GetHelpFilePath() const noexcept { return m_strHelpFilePath; }
    const CString& GetRegistryKey() const noexcept { return m_strRegistryKey; }
    // The text registered for a restart; empty when none was registered.
    const CString& GetRestartCommandLine() const noexcept { return m_strRestartCommandLine; }

    CDialog* m_pMainWnd = nullptr;
    DWORD m_dwRestartManagerSupportFlags = 0;

protected:
    // ID_HELP: WinHelp on the help file with the main window's context.
    void OnHelp();

    // The system calls behind the message box and the help; tests replace them.
    virtual int ShowMessageBox(HWND owner, const CString& text, const CString& caption, UINT type);
    virtual bool LaunchWinHelp(HWND window, const CString& helpPath, UINT command, ULONG_PTR data);

    // ID_HELP.
    const MessageMap& GetMessageMap() const override;

private:
    void RegisterForRestart();

    static CWinApp* s_current;

    HINSTANCE m_hInstance = nullptr;
    LibraryModule m_languageResources;
    CString m_strCmdLine;
    CString m_strAppName;
    CString m_strExeName;
    CString m_strHelpFilePath;
    CString m_strRegistryKey;
    CString m_strRestartIdentifier;
    CString m_strRestartCommandLine;
};

// The type of the message box with its default icon (see CWinApp::DoMessageBox).
UINT WithDefaultIcon(UINT type) noexcept;

// Shows a message through the application; a plain box when there is none yet.
int AppMessageBox(const CString& text, UINT type = MB_OK);
