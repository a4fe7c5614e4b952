#include "test_support.h"
#include "xer/convert_drop.h"
#include "xer/file_exception.h"
#include "xer/os_file.h"

#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <optional>

namespace fs = std::filesystem;

namespace {

// Answers every prompt from a script and records every text shown, in order.
class ScriptedPrompts : public Prompts {
public:
    std::optional<CString> folder;  // the picker's answer; none for Cancel
    std::deque<bool> answers;       // Yes or No, one per question
    std::vector<CString> shown;

    bool ChooseFolder(const CString& entryText, CString& chosen) override
    {
        shown.push_back(u"picker: " + entryText);
        if (!folder) {
            return false;
        }
        chosen = *folder;
        return true;
    }
    void ShowMessage(const CString& text) override { shown.push_back(u"ok: " + text); }
    bool AskYesNo(const CString& question) override
    {
        shown.push_back(u"yes/no: " + question);
        EXPECT_FALSE(answers.empty()) << "unexpected question";
        if (answers.empty()) {
            return false;
        }
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }
};

const CString kPicker = u"picker: please choose output directory";
const CString kSeparator(&kPathSeparator, 1);

CString Count(int files, const CString& folder)
{
    return u"ok: " + ToCString(std::to_string(files).c_str()) + u" files generated in the specified folder[" + folder +
           u"]";
}

class ConvertDrop : public testing::Test {
protected:
    ConvertDrop() : m_outFolder(ToCString(m_out.Path())) {}

    CString Input(const std::string& name, const std::string& bytes)
    {
        WriteBytes(m_in / name, bytes);
        return ToCString(m_in / name);
    }

    CString OutputPath(const CString& name) const { return m_outFolder + kSeparator + u"[NO-POBS]" + name; }

    DropOutcome Drop(std::vector<CString> paths)
    {
        DroppedPathList drop(std::move(paths));
        const DropOutcome outcome = ConvertDroppedFiles(drop, m_remembered, m_prompts);
        EXPECT_TRUE(drop.IsReleased());
        return outcome;
    }

    ScratchFolder m_in;
    ScratchFolder m_out;
    CString m_outFolder;
    CString m_remembered;
    ScriptedPrompts m_prompts;
};

TEST_F(ConvertDrop, FirstDropAsksForTheFolderFirstEvenWhenEveryFileFails)
{
    m_prompts.folder = m_outFolder;
    const CString missing = ToCString(m_in / "missing.xer");
    const CString folder = ToCString(m_in.Path());
    const DropOutcome outcome = Drop({missing, folder});
    EXPECT_EQ(m_prompts.shown, (std::vector<CString>{kPicker, u"ok: Failed to open file " + missing,
                                                     u"ok: Failed to open file " + folder, Count(0, m_outFolder)}));
    EXPECT_EQ(m_remembered, m_outFolder);
    EXPECT_EQ(outcome.failures, 2);
    EXPECT_TRUE(fs::is_empty(m_out.Path()));
}

TEST_F(ConvertDrop, ConvertsEveryFileInOrderAndRemembersTheFolder)
{
    m_prompts.folder = m_outFolder;
    const CString a = Input("a.xer", "%T\tA\r\n1\r\n%T\tPOBS\r\n2\r\n%T\tB\r\n3\r\n%E\r\n");
    const CString b = Input("b.xer", "");
    EXPECT_EQ(Drop({a, b}).filesGenerated, 2);
    EXPECT_EQ(ReadBytes(m_out / "[NO-POBS]a.xer"), "%T\tA\r\n1\r\n%T\tB\r\n3\r\n%E\r\n");
    EXPECT_EQ(ReadBytes(m_out / "[NO-POBS]b.xer"), "") << "an empty input gives an empty output";
    EXPECT_EQ(ReadBytes(m_in / "a.xer"), "%T\tA\r\n1\r\n%T\tPOBS\r\n2\r\n%T\tB\r\n3\r\n%E\r\n");

    m_prompts.shown.clear();
    const CString c = Input("c.xer", "x");
    Drop({c});
    EXPECT_EQ(m_prompts.shown, (std::vector<CString>{Count(1, m_outFolder)})) << "the second drop does not ask";
    EXPECT_EQ(ReadBytes(m_out / "[NO-POBS]c.xer"), "x\r\n");
}

TEST_F(ConvertDrop, CancelEndsTheDropAndTheNextDropAsksAgain)
{
    const CString a = Input("a.xer", "a\r\n");
    const DropOutcome cancelled = Drop({a});
    EXPECT_FALSE(cancelled.folderChosen);
    EXPECT_EQ(m_prompts.shown, (std::vector<CString>{kPicker})) << "nothing is converted, nothing shown";
    EXPECT_TRUE(m_remembered.IsEmpty());

    m_prompts.folder = CString();  // OK on something that is not a file-system folder
    Drop({a});
    EXPECT_EQ(m_prompts.shown, (std::vector<CString>{kPicker, kPicker}));
    EXPECT_TRUE(m_remembered.IsEmpty());

    m_prompts.folder = m_outFolder;
    Drop({a});
    EXPECT_EQ(m_prompts.shown.back(), Count(1, m_outFolder));
    EXPECT_TRUE(fs::exists(m_out / "[NO-POBS]a.xer"));
}

TEST_F(ConvertDrop, AnExistingOutputIsKeptOnNoAndReplacedOnYes)
{
    m_remembered = m_outFolder;
    const CString a = Input("a.xer", "new\r\n");
    const CString b = Input("b.xer", "%T\tPOBS\r\nx\r\n%T\tB\r\n");
    WriteBytes(m_out / "[NO-POBS]a.xer", "old and longer than the new text\r\n");
    WriteBytes(m_out / "[NO-POBS]b.xer", "old and longer than the new text\r\n");
    m_prompts.answers = {false, true};
    const DropOutcome outcome = Drop({a, b});
    EXPECT_EQ(m_prompts.shown,
              (std::vector<CString>{u"yes/no: File " + OutputPath(u"a.xer") + u" already exists. Overwrite it?",
                                    u"yes/no: File " + OutputPath(u"b.xer") + u" already exists. Overwrite it?",
                                    Count(1, m_outFolder)}));
    EXPECT_EQ(outcome.failures, 0);
    EXPECT_EQ(ReadBytes(m_out / "[NO-POBS]a.xer"), "old and longer than the new text\r\n");
    EXPECT_EQ(ReadBytes(m_out / "[NO-POBS]b.xer"), "%T\tB\r\n");
}

TEST_F(ConvertDrop, AnOutputPathThatIsAFolderIsAskedAboutAndFailsOnYes)
{
    m_remembered = m_outFolder;
    const CString a = Input("a.xer", "a\r\n");
    fs::create_directory(m_out / "[NO-POBS]a.xer");
    m_prompts.answers = {true, false};
    Drop({a, a});
    const CString question = u"yes/no: File " + OutputPath(u"a.xer") + u" already exists. Overwrite it?";
    EXPECT_EQ(m_prompts.shown, (std::vector<CString>{question, u"ok: Failed to open file " + OutputPath(u"a.xer"),
                                                     question, Count(0, m_outFolder)}));
    EXPECT_TRUE(fs::is_directory(m_out / "[NO-POBS]a.xer"));
}

TEST_F(ConvertDrop, TheSameFileTwiceAsksForTheSecond)
{
    m_remembered = m_outFolder;
    const CString a = Input("a.xer", "a\r\n");
    m_prompts.answers = {true};
    Drop({a, a});
    EXPECT_EQ(m_prompts.shown,
              (std::vector<CString>{u"yes/no: File " + OutputPath(u"a.xer") + u" already exists. Overwrite it?",
                                    Count(2, m_outFolder)}));
}

TEST_F(ConvertDrop, AFailedInputIsReportedAndTheRestGoesOn)
{
    m_remembered = m_outFolder;
    const CString missing = ToCString(m_in / "missing.xer");
    const CString a = Input("a.xer", "a\r\n");
    const DropOutcome outcome = Drop({missing, a});
    EXPECT_EQ(m_prompts.shown, (std::vector<CString>{u"ok: Failed to open file " + missing, Count(1, m_outFolder)}));
    EXPECT_EQ(outcome.failures, 1);
    EXPECT_EQ(outcome.filesGenerated, 1);
}

TEST_F(ConvertDrop, AnOutputOfAConvertedFileGetsThePrefixAgain)
{
    m_remembered = m_outFolder;
    const CString again = Input("[NO-POBS]a.xer", "a\r\n");
    Drop({again});
    EXPECT_EQ(ReadBytes(m_out / "[NO-POBS][NO-POBS]a.xer"), "a\r\n");
}

TEST_F(ConvertDrop, AFolderThatIsGoneMakesEveryCreationFail)
{
    m_remembered = ToCString(m_out / "gone");
    const CString a = Input("a.xer", "a\r\n");
    Drop({a});
    EXPECT_EQ(m_prompts.shown,
              (std::vector<CString>{u"ok: Failed to create file " + m_remembered + kSeparator + u"[NO-POBS]a.xer",
                                    Count(0, m_remembered)}));
}

TEST_F(ConvertDrop, AnOutputPathOf260CharactersIsNotCreated)
{
    const CString base = m_outFolder + kSeparator;
    const std::size_t nameLength = 260 - base.GetLength() - CString(u"[NO-POBS]").GetLength();
    ASSERT_LT(base.GetLength(), 200u);
    const CString a = Input(std::string(nameLength, 'n'), "a\r\n");
    ASSERT_EQ(OutputPath(FindFileName(a)).GetLength(), 260u);
    m_remembered = m_outFolder;
    Drop({a});
    EXPECT_EQ(m_prompts.shown, (std::vector<CString>{u"ok: Failed to create file " + OutputPath(FindFileName(a)),
                                                     Count(0, m_outFolder)}));
    EXPECT_TRUE(fs::is_empty(m_out.Path()));
}

TEST_F(ConvertDrop, AFolderEndingInASeparatorIsUsedAsStored)
{
    m_prompts.folder = m_outFolder + kSeparator;
    const CString a = Input("a.xer", "a\r\n");
    Drop({a});
    const CString doubled = m_outFolder + kSeparator + kSeparator + u"[NO-POBS]a.xer";
    EXPECT_EQ(m_prompts.shown, (std::vector<CString>{kPicker, Count(1, m_outFolder + kSeparator)}));
    EXPECT_EQ(ReadBytes(ToPath(doubled)), "a\r\n");
}

TEST_F(ConvertDrop, ADriveRootGivesADoubledSeparator)
{
    const fs::path root = DriveRootFolder();
    if (root.empty()) {
        GTEST_SKIP() << "no scratch drive mapped; the Windows test run maps K: to a scratch folder";
    }
    const CString drive = ToCString(root);
    ASSERT_EQ(drive, u"K:\\");
    fs::remove(root / "[NO-POBS]a.xer");
    m_prompts.folder = drive;
    const CString a = Input("a.xer", "%T\tPOBS\r\nx\r\n%E\r\n");
    Drop({a});
    const CString doubled = drive + u"\\[NO-POBS]a.xer";
    EXPECT_EQ(m_prompts.shown, (std::vector<CString>{kPicker, Count(1, drive)}));
    EXPECT_EQ(ReadBytes(ToPath(drive + u"[NO-POBS]a.xer")), "%E\r\n");

    m_prompts.answers = {false};
    Drop({a});
    EXPECT_EQ(m_prompts.shown[2], u"yes/no: File " + doubled + u" already exists. Overwrite it?");
    fs::remove(ToPath(drive + u"[NO-POBS]a.xer"));
}

TEST_F(ConvertDrop, RealExportsComeOutAsTheReferenceCleansThem)
{
    const fs::path samples = SamplesFolder();
    if (samples.empty()) {
        GTEST_SKIP() << "the real exports (../shared/xer-samples) are not beside the repository";
    }
    m_remembered = m_outFolder;
    std::vector<CString> paths;
    std::vector<std::pair<fs::path, std::string>> inputs;
    for (const auto& entry : fs::directory_iterator(samples)) {
        if (entry.path().extension() == ".xer") {
            paths.push_back(ToCString(entry.path()));
            inputs.emplace_back(entry.path(), ReadBytes(entry.path()));
        }
    }
    ASSERT_FALSE(paths.empty());
    EXPECT_EQ(Drop(paths).filesGenerated, static_cast<int>(paths.size()));
    for (const auto& [path, bytes] : inputs) {
        const std::string name = "[NO-POBS]" + path.filename().string();
        EXPECT_EQ(ReadBytes(m_out / name), ReferenceClean(bytes)) << name;
        EXPECT_EQ(ReadBytes(path), bytes) << "the input is unchanged";
    }
}

#ifndef _WIN32
TEST_F(ConvertDrop, AReadErrorEndsTheDropAndLeavesNoOutput)
{
    m_remembered = m_outFolder;
    const CString a = Input("a.xer", "a\r\n");
    const CString b = Input("b.xer", "b\r\n");
    DroppedPathList drop({a, u"/proc/self/mem", b});
    try {
        ConvertDroppedFiles(drop, m_remembered, m_prompts);
        FAIL() << "no error raised";
    } catch (const CFileException& error) {
        EXPECT_EQ(error.GetErrorMessage(), u"An unknown error occurred while accessing /proc/self/mem.");
    }
    EXPECT_TRUE(drop.IsReleased());
    EXPECT_TRUE(m_prompts.shown.empty()) << "no closing message";
    EXPECT_TRUE(fs::exists(m_out / "[NO-POBS]a.xer"));
    EXPECT_FALSE(fs::exists(m_out / "[NO-POBS]mem")) << "the unfinished output is deleted";
    EXPECT_FALSE(fs::exists(m_out / "[NO-POBS]b.xer"));
    EXPECT_EQ(m_remembered, m_outFolder);
}
#endif

TEST_F(ConvertDrop, AFullDiskEndsTheDropAndLeavesNoOutput)
{
    const fs::path full = FullDiskFolder();
    if (full.empty()) {
        GTEST_SKIP() << "no small file system mounted (the test run mounts one only when it runs as "
                        "root)";
    }
    ClearFullDisk(full);
    // Larger than the whole small file system.
    std::string big;
    while (big.size() < 4 * 1024 * 1024) {
        big += "%R\tsome row of a table with a few fields\t1234.5\r\n";
    }
    const CString a = Input("big.xer", big);
    const CString b = Input("b.xer", "b\r\n");
    m_prompts.folder = ToCString(full);
    CString fullPath;
    ASSERT_TRUE(SettleFullPath(ToCString(full / "[NO-POBS]big.xer"), fullPath));
    {
        DroppedPathList drop({a, b});
        try {
            ConvertDroppedFiles(drop, m_remembered, m_prompts);
            FAIL() << "no error raised";
        } catch (const CFileException& error) {
            EXPECT_EQ(error.m_cause, CFileException::diskFull);
            EXPECT_EQ(error.GetErrorMessage(), u"Disk full while accessing " + fullPath + u".");
        }
        EXPECT_TRUE(drop.IsReleased());
    }
    EXPECT_EQ(m_prompts.shown, (std::vector<CString>{kPicker}));
    EXPECT_FALSE(fs::exists(full / "[NO-POBS]big.xer")) << "no half-written output is left";
    EXPECT_EQ(ReadBytes(m_in / "big.xer"), big);

    m_prompts.shown.clear();
    Drop({b});
    EXPECT_EQ(m_prompts.shown, (std::vector<CString>{Count(1, ToCString(full))})) << "the folder is remembered";
    fs::remove(full / "[NO-POBS]b.xer");
}

}  // namespace
