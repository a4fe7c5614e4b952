#include "classlib/cstring.h"
#include "classlib/utf8.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

TEST(CString, CountsItsLengthSoThatNulIsAnOrdinaryCharacter)
{
    const CString withNul(u"a\0b", 3);
    EXPECT_EQ(withNul.GetLength(), 3u);
    EXPECT_NE(withNul, CString(u"a"));
    EXPECT_EQ(withNul + u"c", CString(u"a\0bc", 4));
}

TEST(CString, AppendsItsOwnText)
{
    CString text = u"abc";
    for (int i = 0; i < 5; ++i) {
        text.Append(text.GetString() + 1, 2);
    }
    EXPECT_EQ(text, u"abcbcbcbcbcbc");
}

TEST(CString, EmptyKeepsNothingButStorage)
{
    CString text = u"long enough to need storage of its own";
    text.Empty();
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(text.GetString()[0], u'\0');
    text += u"x";
    EXPECT_EQ(text, u"x");
}

TEST(CString, GrowsPastSeveralMegabytesKeepingEveryCharacter)
{
    // Past the size at which storage may come from another source than the heap.
    CString text;
    char16_t chunk[1000];
    for (std::size_t round = 0; round < 3000; ++round) {
        for (std::size_t i = 0; i < 1000; ++i) {
            chunk[i] = static_cast<char16_t>((round * 1000 + i) % 65521);
        }
        text.Append(chunk, 1000);
    }
    ASSERT_EQ(text.GetLength(), 3000000u);
    for (std::size_t i = 0; i < text.GetLength(); i += 997) {
        ASSERT_EQ(text[i], static_cast<char16_t>(i % 65521)) << i;
    }
    CString copy = text;
    CString moved = std::move(text);
    EXPECT_EQ(copy, moved);
    copy += u"x";
    EXPECT_EQ(copy.GetLength(), 3000001u);
    EXPECT_EQ(copy[3000000], u'x');
}

TEST(CString, FormatFillsNumbersAndTexts)
{
    CString text;
    text.Format(u"%d files generated in the specified folder[%s]", 0, u"");
    EXPECT_EQ(text, u"0 files generated in the specified folder[]");
    text.Format(u"%d files generated in the specified folder[%s]", -2147483647 - 1, u"C:\\%d%s");
    EXPECT_EQ(text, u"-2147483648 files generated in the specified folder[C:\\%d%s]");
    text.Format(u"100%% %s", u"done");
    EXPECT_EQ(text, u"100% done");
}

TEST(Utf8, RoundTripsEveryByteSequence)
{
    const std::string cases[] = {
        "plain", "\xC3\xBC" "ber", "\xE6\x96\x87", "\xF0\x9F\x93\x84", "bad \xFF byte", "\xC0\xAF overlong",
        "\xED\xA0\x80 surrogate", "cut \xE6\x96",
    };
    for (const std::string& bytes : cases) {
        EXPECT_EQ(ToUtf8(FromUtf8(bytes)), bytes);
    }
    EXPECT_EQ(FromUtf8("\xC3\xBC\xF0\x9F\x93\x84"), CString(u"\u00fc\U0001F4C4"));
    EXPECT_EQ(FromUtf8("\xFF"), CString(u"\xDCFF"));
}

}  // namespace
