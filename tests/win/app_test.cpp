// The application object: its derived names, the restart registration, the
// language resource library, and the application message box.

#include "scripted_dialogs.h"
#include "win_test_support.h"

#include "classlib/wide_win.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <regex>
#include <thread>

namespace fs = std::filesystem;

namespace {

struct NamesCase {
    const char16_t* modulePath;
    const char* exeName;
    const char* helpPath;
};

TEST(ApplicationNames, ComeFromTheExecutablesFileName)
{
    const NamesCase cases[] = {
        {u"C:\\Program Files\\Kestrimo\\Kestrimo.exe", "Kestrimo", "C:\\Program Files\\Kestrimo\\Kestrimo.HLP"},
        {u"C:\\tools\\Other.exe", "Other", "C:\\tools\\Other.HLP"},
        {u"C:\\tools\\a.b.exe", "a.b", "C:\\tools\\a.b.HLP"},
        {u"C:\\tools.d\\NoDot", "NoDot", "C:\\tools.d\\NoDot.HLP"},
        {u"Z:\\work\\MiXeD.EXE", "MiXeD", "Z:\\work\\MiXeD.HLP"},
    };
    for (const NamesCase& c : cases) {
        const ApplicationNames names = DeriveApplicationNames(c.modulePath);
        EXPECT_EQ(Text(names.exeName), c.exeName) << Text(c.modulePath);
        EXPECT_EQ(Text(names.helpPath), c.helpPath) << Text(c.modulePath);
    }
}

TEST(ApplicationNames, OfThisProcessNameTheCaption)
{
    TestApp app;
    EXPECT_EQ(Text(app.GetExeName()), "kestrimo_win_tests");
    EXPECT_EQ(Text(app.GetAppName()), "kestrimo_win_tests");
    const std::string help = Text(app.GetHelpFilePath());
    EXPECT_EQ(help.substr(help.size() - std::string("\\kestrimo_win_tests.HLP").size()), "\\kestrimo_win_tests.HLP");
}

TEST(RestartRegistration, AddsTheSwitchUnlessTheArgumentsHoldIt)
{
    const CString id = u"0F8E1C2A-1111-2222-3333-444455556666";
    EXPECT_EQ(Text(RestartCommandLine(u"", id)), " /RestartByRestartManager:0F8E1C2A-1111-2222-3333-444455556666");
    EXPECT_EQ(Text(RestartCommandLine(u"Z:\\a.xer", id)),
              "Z:\\a.xer /RestartByRestartManager:0F8E1C2A-1111-2222-3333-444455556666");
    EXPECT_EQ(Text(RestartCommandLine(u"x /RestartByRestartManager:OLD", id)), "x /RestartByRestartManager:OLD");
}

TEST(RestartRegistration, RegistersTheArgumentsWithAFreshIdentifier)
{
    const std::regex registered(
        "Z:\\\\in\\\\a\\.xer /RestartByRestartManager:"
        "[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}");
    std::string first;
    {
        TestApp app;
        EXPECT_EQ(app.m_dwRestartManagerSupportFlags, 1u);
        app.InitApplication(GetModuleHandleW(nullptr), L"Z:\\in\\a.xer");
        app.CWinApp::InitInstance();
        first = Text(app.GetRestartCommandLine());
        EXPECT_TRUE(std::regex_match(first, registered)) << first;
    }
    TestApp again;
    again.InitApplication(GetModuleHandleW(nullptr), L"Z:\\in\\a.xer");
    again.CWinApp::InitInstance();
    EXPECT_NE(Text(again.GetRestartCommandLine()), first);
}

TEST(RestartRegistration, NothingIsRegisteredWithoutTheFlag)
{
    TestApp app;
    app.m_dwRestartManagerSupportFlags = 0;
    app.CWinApp::InitInstance();
    EXPECT_TRUE(app.GetRestartCommandLine().IsEmpty());
}

TEST(LanguageResourceLibrary, IsTakenFromBesideTheExecutableWhenThere)
{
    ScratchFolder scratch;
    const CString base = ToCString(scratch / "Other");
    EXPECT_FALSE(LoadLanguageResourceLibrary(base).IsLoaded());

    fs::copy_file(fs::path(KestrimoExePath()), scratch / "OtherLOC.dll");
    const LibraryModule library = LoadLanguageResourceLibrary(base);
    ASSERT_TRUE(library.IsLoaded());
    EXPECT_NE(FindResourceW(library.Get(), MAKEINTRESOURCEW(IDD_MAIN_DIALOG), RT_DIALOG), nullptr);
}

bool SettingsKeyExists()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Local AppWizard-Generated Applications", 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

TEST(SettingsKey, IsRememberedAndCreatesNothing)
{
    TestApp app;
    const bool existedBefore = SettingsKeyExists();
    app.SetRegistryKey(u"Local AppWizard-Generated Applications");
    EXPECT_EQ(Text(app.GetRegistryKey()), "Local AppWizard-Generated Applications");
    EXPECT_EQ(SettingsKeyExists(), existedBefore);
}

TEST(MessageBoxIcons, DependOnTheButtonsUnlessGiven)
{
    const struct {
        UINT type;
        UINT expected;
    } cases[] = {
        {MB_OK, MB_OK | MB_ICONEXCLAMATION},
        {MB_OKCANCEL, MB_OKCANCEL | MB_ICONEXCLAMATION},
        {MB_YESNO, MB_YESNO | MB_ICONQUESTION},
        {MB_YESNOCANCEL, MB_YESNOCANCEL | MB_ICONQUESTION},
        {MB_RETRYCANCEL, MB_RETRYCANCEL},
        {MB_ABORTRETRYIGNORE, MB_ABORTRETRYIGNORE},
        {MB_OK | MB_ICONSTOP, MB_OK | MB_ICONSTOP},
        {MB_YESNO | MB_ICONINFORMATION, MB_YESNO | MB_ICONINFORMATION},
        {MB_OK | MB_SYSTEMMODAL, MB_OK | MB_SYSTEMMODAL | MB_ICONEXCLAMATION},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WithDefaultIcon(c.type), c.expected) << std::hex << c.type;
    }
}

BOOL CALLBACK MatchIconControl(HWND control, LPARAM found)
{
    wchar_t name[16];
    GetClassNameW(control, name, 16);
    if (_wcsicmp(name, L"Static") == 0 && (GetWindowLongPtrW(control, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        *reinterpret_cast<HWND*>(found) = control;
        return FALSE;
    }
    return TRUE;
}

// The static control that shows a message box's icon.
HWND IconControl(HWND box)
{
    HWND found = nullptr;
    EnumChildWindows(box, MatchIconControl, reinterpret_cast<LPARAM>(&found));
    return found;
}

class ApplicationMessageBox : public testing::Test {
protected:
    TestApp m_app;
};

TEST_F(ApplicationMessageBox, IsOwnedByTheMainWindowWithTheApplicationsName)
{
    ScriptedKestrimoDlg dialog;
    m_app.m_pMainWnd = &dialog;
    HWND window = nullptr;
    int answer = 0;
    m_app.m_answer = IDNO;
    dialog.m_script = [&](ScriptedKestrimoDlg& self) {
        window = self.Window();
        AppMessageBox(u"Failed to open file Z:\\a.xer");
        answer = AppMessageBox(u"File Z:\\b already exists. Overwrite it?", MB_YESNO);
        self.EndDialog(IDOK);
    };
    dialog.DoModal();
    EXPECT_EQ(answer, IDNO);
    ASSERT_EQ(m_app.m_boxes.size(), 2u);
    for (const ShownBox& box : m_app.m_boxes) {
        EXPECT_EQ(box.owner, window);
        EXPECT_EQ(box.caption, "kestrimo_win_tests");
        EXPECT_TRUE(box.mainWindowEnabled) << "the box itself disables its owner";
    }
    EXPECT_EQ(m_app.m_boxes[0].text, "Failed to open file Z:\\a.xer");
    EXPECT_EQ(m_app.m_boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(m_app.m_boxes[1].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
}

TEST_F(ApplicationMessageBox, IsOwnedByTheLastActivePopUpAndDisablesTheMainWindowMeanwhile)
{
    ScriptedKestrimoDlg dialog;
    m_app.m_pMainWnd = &dialog;
    HWND popUp = nullptr;
    bool enabledAfter = false;
    dialog.m_script = [&](ScriptedKestrimoDlg& self) {
        popUp = CreateWindowExW(0, L"#32770", L"pop-up", WS_POPUP | WS_CAPTION | WS_VISIBLE, 10, 10, 200, 100,
                                self.Window(), nullptr, nullptr, nullptr);
        SetActiveWindow(popUp);
        AppMessageBox(u"text");
        enabledAfter = IsWindowEnabled(self.Window());
        DestroyWindow(popUp);
        self.EndDialog(IDOK);
    };
    dialog.DoModal();
    ASSERT_EQ(m_app.m_boxes.size(), 1u);
    EXPECT_EQ(m_app.m_boxes[0].owner, popUp);
    EXPECT_FALSE(m_app.m_boxes[0].mainWindowEnabled);
    EXPECT_TRUE(enabledAfter);
}

// A real box on the screen: its caption, text, icon and owner as the user sees them.
TEST_F(ApplicationMessageBox, OnTheScreenShowsCaptionTextIconAndDisablesItsOwner)
{
    m_app.m_realBoxes = true;
    ScriptedKestrimoDlg dialog;
    m_app.m_pMainWnd = &dialog;
    std::thread reader;
    std::atomic<bool> found{false};
    std::wstring text;
    HWND owner = nullptr;
    HICON icon = nullptr;
    bool ownerEnabled = true;
    HWND window = nullptr;
    int pressed = 0;
    dialog.m_script = [&](ScriptedKestrimoDlg& self) {
        window = self.Window();
        reader = std::thread([&] {
            HWND box = nullptr;
            PumpUntil([&] {
                return (box = FindProcessWindow(GetCurrentProcessId(), L"kestrimo_win_tests", L"#32770")) != nullptr;
            });
            if (!box) {
                return;
            }
            found = true;
            text = WindowText(GetDlgItem(box, 0xFFFF));
            owner = GetWindow(box, GW_OWNER);
            icon = reinterpret_cast<HICON>(SendMessageW(IconControl(box), STM_GETICON, 0, 0));
            ownerEnabled = IsWindowEnabled(window);
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        });
        pressed = AppMessageBox(u"1 files generated in the specified folder[Z:\\out]");
        self.EndDialog(IDOK);
    };
    dialog.DoModal();
    reader.join();
    ASSERT_TRUE(found) << "no box with the application's name as caption";
    EXPECT_EQ(pressed, IDOK);
    EXPECT_EQ(text, L"1 files generated in the specified folder[Z:\\out]");
    EXPECT_EQ(owner, window);
    EXPECT_FALSE(ownerEnabled);
    EXPECT_EQ(icon, LoadIconW(nullptr, IDI_EXCLAMATION));
}

}  // namespace
