#include "pobs_filter.h"

#include "stdio_file.h"

namespace {

char16_t FoldAsciiCase(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

// `line` starts with `prefix` when only the letters A-Z are folded; nothing else is.
bool StartsWithFolded(const CString& line, const char16_t* prefix, std::size_t length)
{
    if (line.GetLength() < length) {
        return false;
    }
    for (std::size_t i = 0; i < length; ++i) {
        if (FoldAsciiCase(line[i]) != FoldAsciiCase(prefix[i])) {
            return false;
        }
    }
    return true;
}

bool IsPobsHeader(const CString& line)
{
    static constexpr char16_t kHeader[] = u"%T\tPOBS";
    constexpr std::size_t kLength = sizeof(kHeader) / sizeof(kHeader[0]) - 1;
    return line.GetLength() == kLength && StartsWithFolded(line, kHeader, kLength);
}

// A line that opens a table, or the end marker: either ends a skipped table.
bool EndsSkippedTable(const CString& line)
{
    return StartsWithFolded(line, u"%T", 2) || StartsWithFolded(line, u"%E", 2);
}

}  // namespace

void CopyWithoutPobs(CStdioFile& input, CStdioFile& output)
{
    bool skipping = false;
    CString line;
    while (input.ReadString(line)) {
        if (IsPobsHeader(line)) {
            skipping = true;  // also when a POBS table follows another directly
        } else if (skipping && EndsSkippedTable(line)) {
            skipping = false;
        }
        if (!skipping) {
            output.WriteString(line);
            output.WriteString(u"\n");
        }
    }
}
