#pragma once

#include <cstddef>

// The text type of the whole program: a counted string of UTF-16 code units.
//
// It is char16_t on every platform so that lines, paths and messages behave the
// same natively and on Windows; the Win32 edge views it as wchar_t (win_text.h).
// The length is counted, not found by a terminator: a line may hold U+0000.
// The storage is always followed by one U+0000 so that it can be handed to
// functions that want a terminated string.
//
// Storage grows without copying where the platform allows (text_storage.h),
// which keeps the peak memory of a huge line close to the line itself. A failed
// allocation throws std::bad_alloc.
class CString {
public:
    CString() noexcept;
    CString(const char16_t* text);  // NOLINT: implicit, like a string literal
    CString(const char16_t* text, std::size_t length);
    CString(const CString& other);
    CString(CString&& other) noexcept;
    CString& operator=(const CString& other);
    CString& operator=(CString&& other) noexcept;
    ~CString();

    std::size_t GetLength() const noexcept { return m_length; }
    bool IsEmpty() const noexcept { return m_length == 0; }
    const char16_t* GetString() const noexcept { return m_data ? m_data : u""; }
    char16_t operator[](std::size_t index) const noexcept { return m_data[index]; }

    // Empties the string and keeps its storage for the next use.
    void Empty() noexcept;
    // Sets the length to `length` (keeping the first characters) and returns the
    // storage, so that a caller can fill the new characters in place.
    char16_t* GetBufferSetLength(std::size_t length)
    {
        if (length > m_capacity || !m_data) {
            Reserve(length);
        }
        m_length = length;
        m_data[length] = u'\0';
        return m_data;
    }
    void Truncate(std::size_t length) noexcept
    {
        if (length < m_length) {
            m_length = length;
            m_data[length] = u'\0';
        }
    }

    CString& Append(const char16_t* text, std::size_t length);
    CString& operator+=(const CString& other) { return Append(other.GetString(), other.m_length); }
    CString& operator+=(const char16_t* text);

    // Builds the string from `format`: "%d" takes an int, "%s" a const char16_t*,
    // "%%" gives '%'. These are the only conversions the program uses.
    void Format(const char16_t* format, ...);

    friend bool operator==(const CString& a, const CString& b) noexcept;
    friend bool operator!=(const CString& a, const CString& b) noexcept { return !(a == b); }

private:
    void Reserve(std::size_t length);

    char16_t* m_data = nullptr;
    std::size_t m_length = 0;
    std::size_t m_capacity = 0;
};

CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, const char16_t* b);
CString operator+(const char16_t* a, const CString& b);
