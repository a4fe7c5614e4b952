#include "xer/text_loops.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

// Every version this CPU runs, held against the obvious loop: all lengths from
// empty to a few vectors past the longest group, at every misalignment within a
// vector, so that each way a line can end on a group is met.
constexpr std::size_t kLongest = 200;
constexpr std::size_t kAlignments = 32;

std::vector<TextLoops> Runnable()
{
    std::size_t count = 0;
    const TextLoops* loops = RunnableTextLoops(count);
    return {loops, loops + count};
}

}  // namespace

void PrintTo(const TextLoops& loops, std::ostream* out)
{
    *out << loops.name;
}

namespace {

class TextLoopsTest : public testing::TestWithParam<TextLoops> {};

// Bytes from a small generator, no LF among them, so that narrowing them back is plain.
std::vector<unsigned char> PlainBytes(std::size_t count, std::uint32_t seed)
{
    std::vector<unsigned char> bytes(count);
    for (auto& byte : bytes) {
        seed = seed * 1664525u + 1013904223u;
        byte = static_cast<unsigned char>(seed >> 24);
        if (byte == '\n') {
            byte = '\r';
        }
    }
    return bytes;
}

TEST_P(TextLoopsTest, WideningGivesEachByteItsOwnCharacterAndTouchesNothingElse)
{
    const TextLoops& loops = GetParam();
    for (std::size_t count = 0; count <= kLongest; ++count) {
        for (std::size_t at = 0; at < kAlignments; ++at) {
            const std::vector<unsigned char> source = PlainBytes(at + count, static_cast<std::uint32_t>(count));
            std::vector<char16_t> target(at + count + 1, u'\x1234');
            loops.widen(source.data() + at, count, target.data() + at);
            for (std::size_t i = 0; i < at; ++i) {
                ASSERT_EQ(target[i], u'\x1234') << "written before the start; count " << count;
            }
            for (std::size_t i = 0; i < count; ++i) {
                ASSERT_EQ(target[at + i], source[at + i]) << "count " << count << ", at " << at << ", i " << i;
            }
            ASSERT_EQ(target[at + count], u'\x1234') << "written past the end; count " << count;
        }
    }
}

TEST_P(TextLoopsTest, NarrowingPlainTextGivesTheBytesBack)
{
    const TextLoops& loops = GetParam();
    for (std::size_t count = 0; count <= kLongest; ++count) {
        for (std::size_t at = 0; at < kAlignments; ++at) {
            const std::vector<unsigned char> bytes = PlainBytes(count, static_cast<std::uint32_t>(at));
            const std::vector<char16_t> text(bytes.begin(), bytes.end());
            std::vector<char16_t> source(at, u'\n');
            source.insert(source.end(), text.begin(), text.end());
            std::vector<unsigned char> target(count + 1, 0xAB);
            ASSERT_TRUE(loops.narrowPlainText(source.data() + at, count, target.data())) << "count " << count;
            ASSERT_EQ(std::vector<unsigned char>(target.begin(), target.begin() + count), bytes) << "count " << count;
            ASSERT_EQ(target[count], 0xAB) << "written past the end; count " << count;
        }
    }
}

// Whatever the position of the one character that makes a text not plain, it is
// seen, and every character before it is stored as its byte.
TEST_P(TextLoopsTest, NarrowingSeesALineFeedOrAWideCharacterAnywhere)
{
    const TextLoops& loops = GetParam();
    const char16_t kNotPlain[] = {u'\n', u'\x0100', u'\x010A', u'\xFF0A', u'\x8000', u'\xFFFF'};
    for (const char16_t odd : kNotPlain) {
        for (std::size_t count = 1; count <= kLongest; ++count) {
            const std::vector<unsigned char> bytes = PlainBytes(count, static_cast<std::uint32_t>(odd));
            for (std::size_t position = 0; position < count; ++position) {
                std::vector<char16_t> text(bytes.begin(), bytes.end());
                text[position] = odd;
                std::vector<unsigned char> target(count);
                ASSERT_FALSE(loops.narrowPlainText(text.data(), count, target.data()))
                    << "U+" << std::hex << static_cast<int>(odd) << std::dec << " at " << position << " of " << count;
                ASSERT_EQ(std::vector<unsigned char>(target.begin(), target.begin() + position),
                          std::vector<unsigned char>(bytes.begin(), bytes.begin() + position));
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryRunnableVersion, TextLoopsTest, testing::ValuesIn(Runnable()),
                         [](const testing::TestParamInfo<TextLoops>& version) { return std::string(version.param.name); });

TEST(TextLoops, TheChosenVersionIsTheBestThisCpuRuns)
{
    const std::vector<TextLoops> runnable = Runnable();
    ASSERT_FALSE(runnable.empty());
    EXPECT_EQ(std::string(runnable.front().name), "portable");
    EXPECT_EQ(std::string(ChosenTextLoops().name), runnable.back().name);
}

}  // namespace
