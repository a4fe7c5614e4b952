// The built Kestrimo.exe as a user starts it: its window, the ways to close it,
// and the caption of its boxes under other file names.

#include "win_test_support.h"

#include "tests/test_support.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

TEST(Program, ShowsItsWindowAndEndsWithEscape)
{
    RunningProgram program(KestrimoExePath());
    ASSERT_TRUE(program.Started());
    const HWND window = program.WaitForWindow(L"Kestrimo", L"#32770");
    ASSERT_NE(window, nullptr) << "no main window";
    EXPECT_EQ(WindowText(GetDlgItem(window, IDCANCEL)), L"Close");
    EXPECT_EQ(GetDlgItem(window, IDOK), nullptr);
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
    EXPECT_TRUE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);

    PostMessageW(GetDlgItem(window, IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(program.WaitForExit()) << "Esc did not end the program";
}

TEST(Program, AgreesToEndTheSession)
{
    RunningProgram program(KestrimoExePath());
    const HWND window = program.WaitForWindow(L"Kestrimo", L"#32770");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    PostMessageW(GetDlgItem(window, IDCANCEL), BM_CLICK, 0, 0);
    EXPECT_TRUE(program.WaitForExit());
}

// Renamed copies: the boxes take the new name, the window keeps its title. The
// help command shows a box: the tests run with Wine's help viewer switched off
// (WINEDLLOVERRIDES, set in CMakeLists.txt), so that WinHelp fails as it does
// where no help viewer exists.
class RenamedProgram : public testing::TestWithParam<const char*> {};

TEST_P(RenamedProgram, NamesItsBoxesAfterTheFile)
{
    ScratchFolder scratch;
    const std::string name = GetParam();
    const fs::path copy = scratch / (name + ".exe");
    fs::copy_file(fs::path(KestrimoExePath()), copy);
    RunningProgram program(copy.wstring());
    const HWND window = program.WaitForWindow(L"Kestrimo", L"#32770");
    ASSERT_NE(window, nullptr) << "the main window keeps its own title";

    PostMessageW(window, WM_COMMAND, 0xE146, 0);  // ID_HELP, as F1 gives it
    const std::wstring caption(name.begin(), name.end());
    const HWND box = program.WaitForWindow(caption.c_str(), L"#32770");
    ASSERT_NE(box, nullptr) << "no box captioned " << name;
    EXPECT_EQ(WindowText(GetDlgItem(box, 0xFFFF)), L"Failed to launch help.");
    EXPECT_EQ(GetWindow(box, GW_OWNER), window);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    PumpUntil([&] { return !IsWindow(box); }, std::chrono::seconds(10));
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.WaitForExit());
}

INSTANTIATE_TEST_SUITE_P(Copies, RenamedProgram, testing::Values("Other", "a.b"),
                         [](const testing::TestParamInfo<const char*>& param) {
                             return param.param == std::string("a.b") ? std::string("WithDotInName")
                                                                      : std::string(param.param);
                         });

}  // namespace
