// The main window and the dialog layer under it, driven through the real dialog
// procedure and the real modal loop.

#include "scripted_dialogs.h"
#include "win_test_support.h"

#include "tests/test_support.h"
#include "xer/file_exception.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <new>
#include <ostream>
#include <thread>

namespace fs = std::filesystem;

namespace {

class FailureWithText : public CException {
public:
    CString GetErrorMessage() const override { return u"The conversion went wrong."; }
};

struct FailureCase {
    const char* name;
    std::function<void()> fail;
    std::string text;
    UINT type;
};

void PrintTo(const FailureCase& c, std::ostream* out)
{
    *out << c.name;
}


class FailureReport : public testing::TestWithParam<FailureCase> {
protected:
    TestApp m_app;
};

// A handler that lets a failure out: one box, as the table of failures says;
// the window stays open and goes on handling messages.
TEST_P(FailureReport, ShowsOneBoxAndKeepsTheWindow)
{
    const FailureCase& failure = GetParam();
    FailingDialog dialog;
    m_app.m_pMainWnd = &dialog;
    dialog.m_failure = failure.fail;
    LRESULT result = -1;
    bool openAfterFailure = false;
    dialog.m_script = [&](FailingDialog& self) {
        result = SendMessageW(self.Window(), kFail, 0, 0);
        openAfterFailure = IsWindow(self.Window()) && IsWindowVisible(self.Window());
        // The next message is handled as usual.
        SendMessageW(self.Window(), WM_COMMAND, IDOK, 0);
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_failCalls, 1);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(openAfterFailure);
    ASSERT_EQ(m_app.m_boxes.size(), 1u);
    EXPECT_EQ(m_app.m_boxes[0].text, failure.text);
    EXPECT_EQ(m_app.m_boxes[0].type, failure.type);
    EXPECT_EQ(m_app.m_boxes[0].caption, "kestrimo_win_tests");
    EXPECT_NE(m_app.m_boxes[0].owner, nullptr);
}

const UINT kOutOfMemoryBox = MB_OK | MB_ICONEXCLAMATION | MB_SYSTEMMODAL;

INSTANTIATE_TEST_SUITE_P(
    EachFailure, FailureReport,
    testing::Values(
        FailureCase{"OutOfMemory", [] { throw CMemoryException(); }, "Out of memory.", kOutOfMemoryBox},
        FailureCase{"StandardBadAlloc", [] { throw std::bad_alloc(); }, "Out of memory.", kOutOfMemoryBox},
        FailureCase{"DiskFull",
                    [] { throw CFileException(CFileException::diskFull, ERROR_DISK_FULL, u"Z:\\out\\[NO-POBS]a.xer"); },
                    "Disk full while accessing Z:\\out\\[NO-POBS]a.xer.", MB_OK | MB_ICONSTOP},
        FailureCase{"ReadFailed",
                    [] { throw CFileException(CFileException::genericException, ERROR_READ_FAULT, u"Z:\\in\\a.xer"); },
                    "An unknown error occurred while accessing Z:\\in\\a.xer.", MB_OK | MB_ICONSTOP},
        FailureCase{"FailureWithText", [] { throw FailureWithText(); }, "The conversion went wrong.",
                    MB_OK | MB_ICONSTOP},
        FailureCase{"FailureWithoutText", [] { throw CException(); }, "Internal application error.",
                    MB_OK | MB_ICONSTOP},
        FailureCase{"NotOfTheFamily", [] { throw 42; }, "Internal application error.", MB_OK | MB_ICONSTOP}),
    [](const testing::TestParamInfo<FailureCase>& param) { return std::string(param.param.name); });

TEST(FailureReportWhilePainting, ShowsNoBoxValidatesTheWindowAndDoesNotRetry)
{
    TestApp app;
    FailingDialog dialog;
    app.m_pMainWnd = &dialog;
    int callsAfterUpdate = 0;
    int callsLater = 0;
    BOOL stillInvalid = TRUE;
    LRESULT sentResult = -1;
    dialog.m_script = [&](FailingDialog& self) {
        const HWND window = self.Window();
        self.m_paintCalls = 0;
        self.m_failure = [] {
            throw CFileException(CFileException::diskFull, ERROR_DISK_FULL, u"Z:\\out\\a.xer");
        };
        InvalidateRect(window, nullptr, TRUE);
        UpdateWindow(window);
        callsAfterUpdate = self.m_paintCalls;
        RECT update;
        stillInvalid = GetUpdateRect(window, &update, FALSE);
        PumpUntil([] { return false; }, std::chrono::milliseconds(300));
        callsLater = self.m_paintCalls;
        sentResult = SendMessageW(window, WM_PAINT, 0, 0);
        self.m_failure = nullptr;
        self.EndDialog(IDOK);
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(callsAfterUpdate, 1);
    EXPECT_FALSE(stillInvalid);
    EXPECT_EQ(callsLater, 1);
    EXPECT_EQ(sentResult, 0);
    EXPECT_TRUE(app.m_boxes.empty());
}

struct IconCase {
    RECT client;
    int iconWidth;
    int iconHeight;
    POINT expected;
};

TEST(MinimisedIcon, IsCentredWithDivisionTowardZero)
{
    const IconCase cases[] = {
        {{0, 0, 100, 60}, 32, 32, {34, 14}},
        {{0, 0, 0, 60}, 32, 32, {-15, 14}},  // -31 / 2 is -15
        {{10, 20, 110, 80}, 32, 32, {34, 14}},
        {{0, 0, 33, 33}, 32, 32, {1, 1}},
        {{0, 0, 0, 0}, 48, 48, {-23, -23}},
    };
    for (const IconCase& c : cases) {
        const POINT at = MinimisedIconPosition(c.client, c.iconWidth, c.iconHeight);
        EXPECT_EQ(at.x, c.expected.x) << c.client.right - c.client.left << " wide";
        EXPECT_EQ(at.y, c.expected.y) << c.client.bottom - c.client.top << " high";
    }
}

class MainWindow : public testing::Test {
protected:
    TestApp m_app;
};

TEST_F(MainWindow, StartsWithBothIconsDropsAcceptedCloseFocusedAndCentred)
{
    ScriptedKestrimoDlg dialog;
    m_app.m_pMainWnd = &dialog;
    const HICON icon = LoadIconW(m_app.GetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME));
    ASSERT_NE(icon, nullptr);
    dialog.m_script = [&](ScriptedKestrimoDlg& self) {
        const HWND window = self.Window();
        EXPECT_EQ(WindowText(window), L"Kestrimo");
        EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_BIG, 0)), icon);
        EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_SMALL, 0)), icon);
        EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(window, WM_QUERYDRAGICON, 0, 0)), icon);
        EXPECT_TRUE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
        EXPECT_EQ(GetFocus(), GetDlgItem(window, IDCANCEL));
        EXPECT_EQ(GetDlgItem(window, IDOK), nullptr);
        EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);

        RECT area;
        RECT frame;
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
        GetWindowRect(window, &frame);
        EXPECT_LE(std::abs((frame.left + frame.right) - (area.left + area.right)), 2);
        EXPECT_LE(std::abs((frame.top + frame.bottom) - (area.top + area.bottom)), 2);
        self.EndDialog(IDOK);
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(m_app.m_pMainWnd, nullptr) << "the main window is forgotten with its window";
}

struct EndingCase {
    const char* name;
    std::function<void(HWND window)> act;
};

void PrintTo(const EndingCase& c, std::ostream* out)
{
    *out << c.name;
}


class MainWindowEnding : public testing::TestWithParam<EndingCase> {
protected:
    TestApp m_app;
};

TEST_P(MainWindowEnding, EndsTheModalRun)
{
    ScriptedKestrimoDlg dialog;
    m_app.m_pMainWnd = &dialog;
    std::unique_ptr<Watchdog> watchdog;
    dialog.m_script = [&](ScriptedKestrimoDlg& self) {
        watchdog = std::make_unique<Watchdog>(self.Window(), std::chrono::seconds(10));
        GetParam().act(self.Window());
    };
    const INT_PTR result = dialog.DoModal();
    watchdog.reset();
    EXPECT_TRUE(result == IDOK || result == IDCANCEL) << result;
    EXPECT_TRUE(m_app.m_boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    EachWay, MainWindowEnding,
    testing::Values(
        EndingCase{"Escape", [](HWND window) { PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0); (void)window; }},
        EndingCase{"Enter", [](HWND window) { PostMessageW(GetFocus(), WM_KEYDOWN, VK_RETURN, 0); (void)window; }},
        EndingCase{"CloseButton", [](HWND window) { PostMessageW(GetDlgItem(window, IDCANCEL), BM_CLICK, 0, 0); }},
        EndingCase{"CloseRequest", [](HWND window) { PostMessageW(window, WM_CLOSE, 0, 0); }}),
    [](const testing::TestParamInfo<EndingCase>& param) { return std::string(param.param.name); });

struct HelpCase {
    const char* name;
    bool control;        // Ctrl held with F1
    bool helpSucceeds;   // what WinHelp answers
    bool helpCalled;
    bool failureShown;
};

void PrintTo(const HelpCase& c, std::ostream* out)
{
    *out << c.name;
}


class HelpKey : public testing::TestWithParam<HelpCase> {
protected:
    TestApp m_app;
};

TEST_P(HelpKey, F1AsksWinHelpForTheMainWindowsContext)
{
    const HelpCase& c = GetParam();
    m_app.m_helpResult = c.helpSucceeds;
    ScriptedKestrimoDlg dialog;
    m_app.m_pMainWnd = &dialog;
    BYTE keys[256];
    GetKeyboardState(keys);
    const BYTE saved = keys[VK_CONTROL];
    HWND window = nullptr;
    dialog.m_script = [&](ScriptedKestrimoDlg& self) {
        window = self.Window();
        if (c.control) {
            keys[VK_CONTROL] = 0x80;
            SetKeyboardState(keys);
        }
        PostMessageW(GetFocus(), WM_KEYDOWN, VK_F1, 0);
        PostMessageW(GetFocus(), WM_KEYUP, VK_F1, 0);
        PostMessageW(window, kAbort, 0, 0);
    };
    EXPECT_EQ(dialog.DoModal(), kAborted);
    keys[VK_CONTROL] = saved;
    SetKeyboardState(keys);

    ASSERT_EQ(m_app.m_helpCalls.size(), c.helpCalled ? 1u : 0u);
    if (c.helpCalled) {
        EXPECT_EQ(m_app.m_helpCalls[0].window, window);
        EXPECT_EQ(m_app.m_helpCalls[0].path, Text(m_app.GetHelpFilePath()));
        EXPECT_EQ(m_app.m_helpCalls[0].command, static_cast<UINT>(HELP_CONTEXT));
        EXPECT_EQ(m_app.m_helpCalls[0].data, 0x20066u);
    }
    ASSERT_EQ(m_app.m_boxes.size(), c.failureShown ? 1u : 0u);
    if (c.failureShown) {
        EXPECT_EQ(m_app.m_boxes[0].text, "Failed to launch help.");
        EXPECT_EQ(m_app.m_boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, HelpKey,
                         testing::Values(HelpCase{"NoHelpFile", false, false, true, true},
                                         HelpCase{"HelpStarts", false, true, true, false},
                                         HelpCase{"WithControl", true, false, false, false}),
                         [](const testing::TestParamInfo<HelpCase>& param) { return std::string(param.param.name); });

// The real folder picker of the first drop, with a second drop arriving while it
// is open; then a later drop that finds the folder remembered.
TEST_F(MainWindow, FirstDropAsksForTheFolderRefusesADropMeanwhileAndRemembersIt)
{
    ScratchFolder scratch;
    const fs::path output = scratch / "out";
    fs::create_directory(output);
    WriteBytes(scratch / "a.xer", "%T\tPROJECT\r\nkept\r\n%T\tPOBS\r\nleft out\r\n");
    WriteBytes(scratch / "b.xer", "b\n");
    const HDROP first = MakeDrop({(scratch / "a.xer").wstring()});
    const HDROP during = MakeDrop({(scratch / "b.xer").wstring()});

    ScriptedKestrimoDlg dialog;
    m_app.m_pMainWnd = &dialog;
    m_app.m_onBox = [&] { dialog.EndDialog(IDOK); };
    std::thread helper;
    std::atomic<bool> pickerShown{false};
    std::atomic<bool> refusedAtOnce{false};
    dialog.m_script = [&](ScriptedKestrimoDlg& self) {
        const HWND window = self.Window();
        PostMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(first), 0);
        helper = std::thread([&, window] {
            HWND picker = nullptr;
            PumpUntil([&] { return (picker = FindProcessWindow(GetCurrentProcessId(), L"Select Folder")) != nullptr; });
            if (!picker) {
                PostMessageW(window, kAbort, 0, 0);
                return;
            }
            pickerShown = true;
            PostMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(during), 0);
            refusedAtOnce = PumpUntil([&] { return !IsDropAlive(during); }, std::chrono::seconds(10));
            SendMessageW(GetDlgItem(picker, 1152), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(output.c_str()));
            PostMessageW(picker, WM_COMMAND, IDOK, 0);
        });
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    helper.join();
    EXPECT_TRUE(pickerShown);
    EXPECT_TRUE(refusedAtOnce) << "the drop that came during the picker was not released at once";
    EXPECT_FALSE(IsDropAlive(first));
    ASSERT_EQ(m_app.m_boxes.size(), 1u);
    EXPECT_EQ(m_app.m_boxes[0].text,
              "1 files generated in the specified folder[" + Text(ToCString(output)) + "]");
    EXPECT_EQ(ReadBytes(output / "[NO-POBS]a.xer"), "%T\tPROJECT\r\nkept\r\n");
    EXPECT_FALSE(fs::exists(output / "[NO-POBS]b.xer"));

    // The same window object again: its folder is remembered, no picker comes.
    const HDROP later = MakeDrop({(scratch / "b.xer").wstring()});
    m_app.m_boxes.clear();
    std::atomic<bool> pickerAgain{false};
    std::atomic<bool> laterDone{false};
    dialog.m_script = [&](ScriptedKestrimoDlg& self) {
        const HWND window = self.Window();
        PostMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(later), 0);
        helper = std::thread([&] {
            PumpUntil([&] {
                if (HWND picker = FindProcessWindow(GetCurrentProcessId(), L"Select Folder")) {
                    pickerAgain = true;
                    PostMessageW(picker, WM_COMMAND, IDCANCEL, 0);
                }
                return laterDone.load();
            });
        });
        PostMessageW(window, kAbort, 0, 0);
    };
    m_app.m_onBox = nullptr;
    const INT_PTR result = dialog.DoModal();
    laterDone = true;
    helper.join();
    EXPECT_EQ(result, kAborted);
    EXPECT_FALSE(pickerAgain);
    ASSERT_EQ(m_app.m_boxes.size(), 1u);
    EXPECT_EQ(m_app.m_boxes[0].text,
              "1 files generated in the specified folder[" + Text(ToCString(output)) + "]");
    EXPECT_EQ(ReadBytes(output / "[NO-POBS]b.xer"), "b\r\n");
}

}  // namespace
