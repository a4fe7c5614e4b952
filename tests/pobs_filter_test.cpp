#include "test_support.h"
#include "xer/pobs_filter.h"
#include "xer/stdio_file.h"

#include <gtest/gtest.h>

namespace {

struct FilterCase {
    const char* name;
    std::string input;
    std::string output;
};

void PrintTo(const FilterCase& c, std::ostream* out)
{
    *out << c.name;
}

const FilterCase kCases[] = {
    {"empty input writes nothing", "", ""},
    {"no POBS table: every line kept and ended", "ERMHDR\t8\n%T\tA\n%F\tx\nlast", "ERMHDR\t8\r\n%T\tA\r\n%F\tx\r\nlast\r\n"},
    {"POBS table between others is left out", "%T\tOBS\r\nr1\r\n%T\tPOBS\r\n%F\tp\r\n%R\t1\r\n\r\n%T\tPROJECT\r\n%R\t2\r\n%E\r\n",
     "%T\tOBS\r\nr1\r\n%T\tPROJECT\r\n%R\t2\r\n%E\r\n"},
    {"header letters in any case", "%t\tpobs\nx\n%T\tB\n%T\tPobs\ny\n%t\tc\n", "%T\tB\r\n%t\tc\r\n"},
    {"near misses are copied with their lines",
     "%T\tPOBS \na\n%T\tPOBS\t\nb\n %T\tPOBS\nc\n%T POBS\nd\n%T\tPOBSX\ne\n",
     "%T\tPOBS \r\na\r\n%T\tPOBS\t\r\nb\r\n %T\tPOBS\r\nc\r\n%T POBS\r\nd\r\n%T\tPOBSX\r\ne\r\n"},
    {"POBS last before the end marker keeps the marker", "%T\tA\n1\n%T\tPOBS\n%F\n2\n%E\n", "%T\tA\r\n1\r\n%E\r\n"},
    {"end marker in lower case ends the skip", "%T\tPOBS\n2\n%e\n", "%e\r\n"},
    {"POBS running to the end of the input", "%T\tA\n%T\tPOBS\n%F\n2", "%T\tA\r\n"},
    {"a line of %T alone ends the skip", "%T\tPOBS\nx\n%T\ny\n", "%T\r\ny\r\n"},
    {"% alone or with another letter does not end it", "%T\tPOBS\n%\n%F\tf\n%R\t1\n%Tz\nk\n", "%Tz\r\nk\r\n"},
    {"a second POBS header while skipping keeps skipping", "%T\tPOBS\na\n%T\tPOBS\nb\n%T\tC\nc\n", "%T\tC\r\nc\r\n"},
    {"several POBS tables are all left out", "%T\tPOBS\na\n%T\tB\nb\n%T\tPOBS\nc\n%T\tD\n", "%T\tB\r\nb\r\n%T\tD\r\n"},
    {"empty lines kept while copying, dropped while skipping", "\n%T\tPOBS\n\n\n%T\tB\n\n", "\r\n%T\tB\r\n\r\n"},
    {"POBS inside data is data", "%R\tPOBS_Root\t%T\tPOBS\n", "%R\tPOBS_Root\t%T\tPOBS\r\n"},
    {"CR before the header's line end", "%T\tPOBS\r\nx\r\n", ""},
    {"a lone CR makes the header another line", "%T\tPOBS\r\rx\n", "%T\tPOBS\r\rx\r\n"},
};

class CopyWithoutPobsTest : public testing::TestWithParam<FilterCase> {};

TEST_P(CopyWithoutPobsTest, WritesTheKeptLines)
{
    ScratchFolder folder;
    WriteBytes(folder / "in.xer", GetParam().input);
    for (std::size_t bufferSize : {std::size_t{1}, std::size_t{3}, CStdioFile::kBufferSize}) {
        CStdioFile input(bufferSize);
        CStdioFile output(bufferSize);
        ASSERT_TRUE(input.Open(ToCString(folder / "in.xer"), OpenMode::Read));
        ASSERT_TRUE(output.Open(ToCString(folder / "out.xer"), OpenMode::Create));
        CopyWithoutPobs(input, output);
        output.Close();
        EXPECT_EQ(ReadBytes(folder / "out.xer"), GetParam().output) << "buffer size " << bufferSize;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CopyWithoutPobsTest, testing::ValuesIn(kCases), [](const auto& test) { return CaseName(test.param.name); });

}  // namespace
