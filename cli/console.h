#pragma once

#include "classlib/cstring.h"

#include <cstdio>

// The terminal and the standard streams, as the command line sees them.

// True when standard input and standard error are an interactive terminal, so
// that a question can be asked and answered.
bool IsInteractive();

// Writes `text` and a line end to `stream` (stdout or stderr), as UTF-8, or as
// UTF-16 to a Windows console.
void WriteLine(std::FILE* stream, const CString& text);
// Writes `text` to standard error without a line end, for a question.
void WritePrompt(const CString& text);
// Reads one line from standard input, without its line end; false at its end.
bool ReadLine(CString& line);

// Reads one line of UTF-8 from standard input; the part shared by both platforms
// when the input is a pipe or a file.
bool ReadUtf8Line(CString& line);
