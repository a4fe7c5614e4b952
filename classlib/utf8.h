#pragma once

#include "cstring.h"

#include <string>
#include <string_view>

// UTF-8 at the edges that speak it (POSIX file names, terminals, pipes).
// Lossless both ways: a byte that is not part of valid UTF-8 becomes the lone
// surrogate U+DC80 + byte, and such a surrogate becomes its byte again, so every
// POSIX file name survives the round trip.
CString FromUtf8(std::string_view bytes);
std::string ToUtf8(const CString& text);
