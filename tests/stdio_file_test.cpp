#include "test_support.h"
#include "xer/file_exception.h"
#include "xer/stdio_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Every block boundary matters, so each reading case runs at these buffer sizes.
const std::size_t kBufferSizes[] = {1, 2, 3, 5, 128, CStdioFile::kBufferSize};

std::string Narrow(const CString& line)
{
    std::string bytes;
    for (std::size_t i = 0; i < line.GetLength(); ++i) {
        EXPECT_LE(line[i], 0xFF);
        bytes += static_cast<char>(line[i]);
    }
    return bytes;
}

CString Widen(const std::string& bytes)
{
    CString text;
    for (unsigned char byte : bytes) {
        const char16_t c = byte;
        text.Append(&c, 1);
    }
    return text;
}

std::vector<std::string> ReadAllLines(const fs::path& file, std::size_t bufferSize)
{
    CStdioFile input(bufferSize);
    EXPECT_TRUE(input.Open(ToCString(file), OpenMode::Read));
    std::vector<std::string> lines;
    CString line;
    while (input.ReadString(line)) {
        lines.push_back(Narrow(line));
    }
    EXPECT_TRUE(line.IsEmpty());
    EXPECT_FALSE(input.ReadString(line)) << "the end of the input is final";
    return lines;
}

struct ReadCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
};

void PrintTo(const ReadCase& c, std::ostream* out)
{
    *out << c.name;
}

const std::string kLong128(128, 'x');
const std::string kLong129 = std::string(128, 'y') + "z";

const ReadCase kReadCases[] = {
    {"empty file", "", {}},
    {"CR LF lines", "abc\r\ndef\r\n", {"abc", "def"}},
    {"LF lines, last without end", "abc\ndef", {"abc", "def"}},
    {"empty lines", "\r\n\r\n", {"", ""}},
    {"lone CR stays", "a\rb\r\n", {"a\rb"}},
    {"CR as last byte", "ab\r\ncd\r", {"ab", "cd\r"}},
    {"CR CR LF keeps one CR", "a\r\r\n", {"a\r"}},
    {"lines of 128 and 129", kLong128 + "\r\n" + kLong129 + "\r\n", {kLong128, kLong129}},
    {"0x1A is an ordinary byte", "ab\x1a" "cd\r\nef\r\n", {"ab\x1a" "cd", "ef"}},
    {"NUL is an ordinary byte", std::string("ab\0cd\r\nef\r\n", 11), {std::string("ab\0cd", 5), "ef"}},
    {"line that starts with NUL", std::string("\0ab\r\nef\r\n", 9), {std::string("\0ab", 3), "ef"}},
    {"high bytes and a byte-order mark", "\xEF\xBB\xBF\xE9\xFF\x80\r\n", {"\xEF\xBB\xBF\xE9\xFF\x80"}},
};

class ReadString : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadString, DeliversTheLinesAtEveryBufferSize)
{
    ScratchFolder folder;
    WriteBytes(folder / "in.xer", GetParam().bytes);
    for (std::size_t size : kBufferSizes) {
        EXPECT_EQ(ReadAllLines(folder / "in.xer", size), GetParam().lines) << "buffer size " << size;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ReadString, testing::ValuesIn(kReadCases), [](const auto& test) { return CaseName(test.param.name); });

TEST(ReadString, CrLfAcrossTheBlockBoundaryIsOneLineEnd)
{
    ScratchFolder folder;
    const std::string first(CStdioFile::kBufferSize - 1, 'a');
    WriteBytes(folder / "in.xer", first + "\r\nb");
    EXPECT_EQ(ReadAllLines(folder / "in.xer", CStdioFile::kBufferSize), (std::vector<std::string>{first, "b"}));
}

struct WriteCase {
    const char* name;
    std::vector<std::string> texts;
    std::string bytes;
};

void PrintTo(const WriteCase& c, std::ostream* out)
{
    *out << c.name;
}

const WriteCase kWriteCases[] = {
    {"line then line end", {"abc", "\n"}, "abc\r\n"},
    {"lone CR passes", {"a\rb", "\n"}, "a\rb\r\n"},
    {"LF inside a text", {"a\nb\n"}, "a\r\nb\r\n"},
    {"NUL, 0x1A and high bytes", {std::string("\0\x1a\xe9\xff", 4), "\n"}, std::string("\0\x1a\xe9\xff\r\n", 6)},
    {"nothing written", {}, ""},
};

class WriteString : public testing::TestWithParam<WriteCase> {};

TEST_P(WriteString, StoresTheBytesAtEveryBufferSize)
{
    ScratchFolder folder;
    for (std::size_t size : kBufferSizes) {
        CStdioFile output(size);
        ASSERT_TRUE(output.Open(ToCString(folder / "out.xer"), OpenMode::Create));
        for (const std::string& text : GetParam().texts) {
            output.WriteString(Widen(text));
        }
        output.Close();
        EXPECT_EQ(ReadBytes(folder / "out.xer"), GetParam().bytes) << "buffer size " << size;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, WriteString, testing::ValuesIn(kWriteCases), [](const auto& test) { return CaseName(test.param.name); });

TEST(WriteString, LargeTextsCrossManyBlocks)
{
    ScratchFolder folder;
    std::string text;
    std::string expected;
    for (int i = 0; i < 3000; ++i) {
        text += "line " + std::to_string(i) + "\t\xE9\n";
        expected += "line " + std::to_string(i) + "\t\xE9\r\n";
    }
    CStdioFile output;
    ASSERT_TRUE(output.Open(ToCString(folder / "out.xer"), OpenMode::Create));
    output.WriteString(Widen(text));
    output.Close();
    EXPECT_EQ(ReadBytes(folder / "out.xer"), expected);
}

TEST(WriteString, ACharacterWithoutAByteIsAWriteError)
{
    ScratchFolder folder;
    CStdioFile output;
    ASSERT_TRUE(output.Open(ToCString(folder / "out.xer"), OpenMode::Create));
    try {
        output.WriteString(u"a\u0100");
        FAIL() << "no error raised";
    } catch (const CFileException& error) {
        EXPECT_EQ(error.m_cause, CFileException::diskFull);
        EXPECT_EQ(error.GetErrorMessage(), u"Disk full while accessing " + ToCString(folder / "out.xer") + u".");
    }
    output.Close();
}

TEST(TextLineFile, WritingBackWhatWasReadGivesTheSameBytesWithCrLf)
{
    ScratchFolder folder;
    std::string bytes = "ERMHDR\t1\r\n%T\tA\n\xEF\xBB\xBF\x93q\x94\x7f\x7f\r\r\n";
    bytes += std::string("\0\x1a", 2) + "end";
    WriteBytes(folder / "in.xer", bytes);
    CStdioFile input;
    CStdioFile output;
    ASSERT_TRUE(input.Open(ToCString(folder / "in.xer"), OpenMode::Read));
    ASSERT_TRUE(output.Open(ToCString(folder / "out.xer"), OpenMode::Create));
    CString line;
    while (input.ReadString(line)) {
        output.WriteString(line);
        output.WriteString(u"\n");
    }
    output.Close();
    EXPECT_EQ(ReadBytes(folder / "out.xer"),
              "ERMHDR\t1\r\n%T\tA\r\n\xEF\xBB\xBF\x93q\x94\x7f\x7f\r\r\n" + std::string("\0\x1a", 2) + "end\r\n");
}

TEST(Open, SettlesTheAbsolutePath)
{
    ScratchFolder folder;
    WriteBytes(folder / "in.xer", "x");
    const fs::path previous = fs::current_path();
    fs::current_path(folder.Path());
    CStdioFile input;
    const bool opened = input.Open(u"in.xer", OpenMode::Read);
    fs::current_path(previous);
    ASSERT_TRUE(opened);
    EXPECT_EQ(input.GetFilePath(), ToCString(folder / "in.xer"));
}

TEST(Open, FailsWithoutCreatingAnything)
{
    ScratchFolder folder;
    fs::create_directory(folder / "sub");
    struct Case {
        const char* what;
        fs::path path;
        OpenMode mode;
    };
    const Case cases[] = {
        {"a missing file in read mode", folder / "missing.xer", OpenMode::Read},
        {"a folder in read mode", folder / "sub", OpenMode::Read},
        {"a missing file in replace mode", folder / "missing.xer", OpenMode::Replace},
        {"create mode in a missing folder", folder / "nofolder" / "out.xer", OpenMode::Create},
        {"a folder in create mode", folder / "sub", OpenMode::Create},
        {"a folder in replace mode", folder / "sub", OpenMode::Replace},
    };
    for (const Case& c : cases) {
        CStdioFile file;
        EXPECT_FALSE(file.Open(ToCString(c.path), c.mode)) << c.what;
        EXPECT_FALSE(file.IsOpen()) << c.what;
    }
    EXPECT_FALSE(fs::exists(folder / "missing.xer"));
    EXPECT_FALSE(fs::exists(folder / "nofolder"));
}

TEST(Open, WritingOverALongerFileLeavesExactlyTheNewBytes)
{
    for (OpenMode mode : {OpenMode::Replace, OpenMode::Create}) {
        ScratchFolder folder;
        WriteBytes(folder / "old.xer", std::string(10000, 'o'));
        CStdioFile output;
        ASSERT_TRUE(output.Open(ToCString(folder / "old.xer"), mode));
        output.WriteString(u"0123456789");
        output.WriteString(u"\n");
        output.Close();
        EXPECT_EQ(ReadBytes(folder / "old.xer"), "0123456789\r\n") << (mode == OpenMode::Replace ? "replace" : "create");
    }
}

TEST(Open, ReadOnlyFilesRefuseCreateAndReplace)
{
    if (IgnoresPermissions()) {
        GTEST_SKIP() << "running as root, which may write to read-only files here";
    }
    ScratchFolder folder;
    WriteBytes(folder / "ro.xer", "keep\r\n");
    fs::permissions(folder / "ro.xer", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    for (OpenMode mode : {OpenMode::Create, OpenMode::Replace}) {
        CStdioFile output;
        EXPECT_FALSE(output.Open(ToCString(folder / "ro.xer"), mode));
    }
    EXPECT_EQ(ReadBytes(folder / "ro.xer"), "keep\r\n");
}

TEST(Open, AHeldFileOpensInNoModeAndStaysUntouched)
{
    ScratchFolder folder;
    WriteBytes(folder / "held.xer", "held\r\n");
    for (OpenMode holder : {OpenMode::Read, OpenMode::Replace}) {
        CStdioFile holding;
        ASSERT_TRUE(holding.Open(ToCString(folder / "held.xer"), holder));
        for (OpenMode mode : {OpenMode::Read, OpenMode::Create, OpenMode::Replace}) {
            CStdioFile other;
            EXPECT_FALSE(other.Open(ToCString(folder / "held.xer"), mode));
        }
#ifdef _WIN32
        // Without sharing, the C runtime's own open fails as well; on POSIX the
        // lock binds only programs that lock.
        EXPECT_FALSE(std::ifstream(folder / "held.xer").is_open());
#endif
        if (holder == OpenMode::Read) {
            holding.Close();
            EXPECT_EQ(ReadBytes(folder / "held.xer"), "held\r\n") << "a refused open changes nothing";
        }
    }
    CStdioFile afterwards;
    EXPECT_TRUE(afterwards.Open(ToCString(folder / "held.xer"), OpenMode::Read));
}

TEST(Open, AbsolutePathsOf259CharactersOpenAnd260DoNot)
{
    ScratchFolder folder;
    const CString base = ToCString(folder.Path()) + CString(&kPathSeparator, 1);
    ASSERT_LT(base.GetLength(), 200u);
    auto pathOfLength = [&](std::size_t length) {
        return base + ToCString(std::string(length - base.GetLength(), 'n').c_str());
    };
    WriteBytes(ToPath(pathOfLength(259)), "ok\r\n");
    CStdioFile fits;
    EXPECT_TRUE(fits.Open(pathOfLength(259), OpenMode::Read));
    CStdioFile tooLong;
    EXPECT_FALSE(tooLong.Open(pathOfLength(260), OpenMode::Create));
    EXPECT_FALSE(fs::exists(ToPath(pathOfLength(260))));
}

TEST(Open, NonAsciiNames)
{
    ScratchFolder folder;
    const CString name = u"\u00dcber-\u0444\u0430\u0439\u043b-\u6587\u4ef6.xer";
    const fs::path file = folder.Path() / ToPath(name);
    WriteBytes(file, "a\r\n");
    CStdioFile input;
    ASSERT_TRUE(input.Open(ToCString(file), OpenMode::Read));
    EXPECT_EQ(FindFileName(input.GetFilePath()), name);
    CString line;
    EXPECT_TRUE(input.ReadString(line));
    EXPECT_EQ(line, u"a");
}

TEST(Close, ClosesOnceAndLetsOthersOpen)
{
    ScratchFolder folder;
    CStdioFile output;
    ASSERT_TRUE(output.Open(ToCString(folder / "out.xer"), OpenMode::Create));
    output.WriteString(u"x\n");
    output.Close();
    EXPECT_FALSE(output.IsOpen());
    output.Close();
    CStdioFile reader;
    EXPECT_TRUE(reader.Open(ToCString(folder / "out.xer"), OpenMode::Read));
}

TEST(Close, DestructionWritesWhatIsBuffered)
{
    ScratchFolder folder;
    {
        CStdioFile output;
        ASSERT_TRUE(output.Open(ToCString(folder / "out.xer"), OpenMode::Create));
        output.WriteString(u"buffered\n");
    }
    EXPECT_EQ(ReadBytes(folder / "out.xer"), "buffered\r\n");
}

TEST(FileException, MessagesNameTheFile)
{
    EXPECT_EQ(CFileException(CFileException::genericException, 5, u"C:\\a b\\c.xer").GetErrorMessage(),
              u"An unknown error occurred while accessing C:\\a b\\c.xer.");
    EXPECT_EQ(CFileException(CFileException::diskFull, 112, u"/x/y").GetErrorMessage(),
              u"Disk full while accessing /x/y.");
    EXPECT_EQ(CFileException(CFileException::diskFull, 112, u"").GetErrorMessage(),
              u"Disk full while accessing an unnamed file.");
}

#ifndef _WIN32
TEST(ReadString, AFailedReadRaisesCause1)
{
    // Reading this file at offset 0 fails with EIO: a real failing read.
    CStdioFile input;
    ASSERT_TRUE(input.Open(u"/proc/self/mem", OpenMode::Read));
    CString line;
    try {
        input.ReadString(line);
        FAIL() << "no error raised";
    } catch (const CFileException& error) {
        EXPECT_EQ(error.m_cause, CFileException::genericException);
        EXPECT_EQ(error.GetErrorMessage(), u"An unknown error occurred while accessing /proc/self/mem.");
        EXPECT_NE(error.m_lOsError, 0);
    }
    EXPECT_TRUE(input.IsOpen());
}
#endif

// The full-disk cases need a small file system that the test run mounts.
class FullDisk : public testing::Test {
protected:
    void SetUp() override
    {
        m_folder = FullDiskFolder();
        if (m_folder.empty()) {
            GTEST_SKIP() << "no small file system mounted (the test run mounts one only when it "
                            "runs as root)";
        }
        ClearFullDisk(m_folder);
    }
    void TearDown() override
    {
        SetDestructorFailureReporter(nullptr);
        if (!m_folder.empty()) {
            ClearFullDisk(m_folder);
        }
    }

    // Keeps what destructors report, in place of showing it.
    void CaptureDestructorReports()
    {
        s_reported = &m_reported;
        SetDestructorFailureReporter([](const CString& message) { s_reported->push_back(message); });
    }

    // Fills the file system up to the last few bytes.
    void Fill()
    {
        std::error_code ignored;
        std::string block(4096, 'f');
        std::ofstream filler(m_folder / "filler", std::ios::binary);
        while (filler.write(block.data(), static_cast<std::streamsize>(block.size()))) {
        }
        filler.close();
    }

    fs::path m_folder;
    std::vector<CString> m_reported;
    static inline std::vector<CString>* s_reported = nullptr;
};

TEST_F(FullDisk, CloseWhoseLastBlockIsRefusedRaisesAndCloses)
{
    Fill();
    CaptureDestructorReports();
    {
        CStdioFile output;
        ASSERT_TRUE(output.Open(ToCString(m_folder / "out.xer"), OpenMode::Create));
        output.WriteString(u"some text that does not fit\n");
        try {
            output.Close();
            FAIL() << "no error raised";
        } catch (const CFileException& error) {
            EXPECT_EQ(error.m_cause, CFileException::diskFull);
            EXPECT_EQ(error.GetErrorMessage(), u"Disk full while accessing " + output.GetFilePath() + u".");
        }
        EXPECT_FALSE(output.IsOpen());
    }
    EXPECT_TRUE(m_reported.empty()) << "destroying a closed file shows nothing";
}

TEST_F(FullDisk, ACloseThatFailsInTheDestructorIsReported)
{
    Fill();
    CaptureDestructorReports();
    CString path;
    {
        CStdioFile output;
        ASSERT_TRUE(output.Open(ToCString(m_folder / "out.xer"), OpenMode::Create));
        path = output.GetFilePath();
        output.WriteString(u"buffered, then refused\n");
    }
    ASSERT_EQ(m_reported.size(), 1u);
    const CString start = u"Exception thrown in destructor (stdio_file.cpp:";
    EXPECT_EQ(CString(m_reported[0].GetString(), start.GetLength()), start);
    const CString end = u")\nDisk full while accessing " + path + u".";
    ASSERT_GT(m_reported[0].GetLength(), end.GetLength());
    EXPECT_EQ(CString(m_reported[0].GetString() + m_reported[0].GetLength() - end.GetLength(), end.GetLength()), end);
}

}  // namespace
