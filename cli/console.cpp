#include "console.h"

#include "classlib/utf8.h"

#include <string>

bool ReadUtf8Line(CString& line)
{
    std::string bytes;
    int c;
    while ((c = std::getchar()) != EOF && c != '\n') {
        bytes += static_cast<char>(c);
    }
    if (c == EOF && bytes.empty()) {
        return false;
    }
    if (!bytes.empty() && bytes.back() == '\r') {
        bytes.pop_back();
    }
    line = FromUtf8(bytes);
    return true;
}
