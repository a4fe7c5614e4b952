#include "console.h"

#include "classlib/utf8.h"

#include <string>
#include <unistd.h>

bool IsInteractive()
{
    return isatty(STDIN_FILENO) && isatty(STDERR_FILENO);
}

void WriteLine(std::FILE* stream, const CString& text)
{
    const std::string bytes = ToUtf8(text);
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

void WritePrompt(const CString& text)
{
    const std::string bytes = ToUtf8(text);
    std::fwrite(bytes.data(), 1, bytes.size(), stderr);
    std::fflush(stderr);
}

bool ReadLine(CString& line)
{
    return ReadUtf8Line(line);
}
