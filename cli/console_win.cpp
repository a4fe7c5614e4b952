#include "console.h"

#include "classlib/utf8.h"
#include "classlib/wide_win.h"

#include <io.h>
#include <string>
#include <windows.h>

namespace {

HANDLE HandleOf(std::FILE* stream)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
}

bool IsConsole(HANDLE handle)
{
    DWORD mode;
    return GetConsoleMode(handle, &mode) != 0;
}

// A console takes UTF-16 as it is; a pipe or a file gets UTF-8.
void Write(std::FILE* stream, const CString& text)
{
    std::fflush(stream);
    const HANDLE handle = HandleOf(stream);
    if (IsConsole(handle)) {
        DWORD written;
        WriteConsoleW(handle, WideText(text), static_cast<DWORD>(text.GetLength()), &written, nullptr);
    } else {
        const std::string bytes = ToUtf8(text);
        std::fwrite(bytes.data(), 1, bytes.size(), stream);
        std::fflush(stream);
    }
}

}  // namespace

bool IsInteractive()
{
    return IsConsole(HandleOf(stdin)) && IsConsole(HandleOf(stderr));
}

void WriteLine(std::FILE* stream, const CString& text)
{
    Write(stream, text + u"\n");
}

void WritePrompt(const CString& text)
{
    Write(stderr, text);
}

bool ReadLine(CString& line)
{
    const HANDLE input = HandleOf(stdin);
    CString read;
    if (IsConsole(input)) {
        wchar_t c;
        DWORD got = 0;
        while (ReadConsoleW(input, &c, 1, &got, nullptr) && got == 1 && c != L'\n') {
            if (c != L'\r') {
                read += FromWide(&c, 1);
            }
        }
        if (got == 0 && read.IsEmpty()) {
            return false;
        }
    } else if (!ReadUtf8Line(read)) {
        return false;
    }
    line = read;
    return true;
}
