#pragma once

#include "cstring.h"

// The one place where the program's UTF-16 text meets the Win32 API's wchar_t:
// both are 16-bit code units on Windows.
static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 text is UTF-16");

inline const wchar_t* WideText(const CString& text) noexcept
{
    return reinterpret_cast<const wchar_t*>(text.GetString());
}

inline CString FromWide(const wchar_t* text)
{
    return CString(reinterpret_cast<const char16_t*>(text));
}

inline CString FromWide(const wchar_t* text, std::size_t length)
{
    return CString(reinterpret_cast<const char16_t*>(text), length);
}
