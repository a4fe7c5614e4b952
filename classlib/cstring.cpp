#include "cstring.h"

#include "text_storage.h"

#include <cstdarg>
#include <cstring>
#include <new>
#include <string>

namespace {

std::size_t TerminatedLength(const char16_t* text) noexcept
{
    std::size_t length = 0;
    while (text[length] != u'\0') {
        ++length;
    }
    return length;
}

std::size_t StorageSize(const char16_t* data, std::size_t capacity) noexcept
{
    return data ? (capacity + 1) * sizeof(char16_t) : 0;
}

}  // namespace

CString::CString() noexcept = default;

CString::CString(const char16_t* text) : CString(text, TerminatedLength(text)) {}

CString::CString(const char16_t* text, std::size_t length)
{
    Append(text, length);
}

CString::CString(const CString& other) : CString(other.GetString(), other.m_length) {}

CString::CString(CString&& other) noexcept
    : m_data(other.m_data), m_length(other.m_length), m_capacity(other.m_capacity)
{
    other.m_data = nullptr;
    other.m_length = other.m_capacity = 0;
}

CString& CString::operator=(const CString& other)
{
    if (this != &other) {
        Empty();
        Append(other.GetString(), other.m_length);
    }
    return *this;
}

CString& CString::operator=(CString&& other) noexcept
{
    if (this != &other) {
        FreeTextStorage(m_data, StorageSize(m_data, m_capacity));
        m_data = other.m_data;
        m_length = other.m_length;
        m_capacity = other.m_capacity;
        other.m_data = nullptr;
        other.m_length = other.m_capacity = 0;
    }
    return *this;
}

CString::~CString()
{
    FreeTextStorage(m_data, StorageSize(m_data, m_capacity));
}

void CString::Empty() noexcept
{
    Truncate(0);
}

void CString::Reserve(std::size_t length)
{
    if (length <= m_capacity && m_data) {
        return;
    }
    constexpr std::size_t maxLength = (static_cast<std::size_t>(-1) / sizeof(char16_t)) - 1;
    if (length > maxLength) {
        throw std::bad_alloc();
    }
    std::size_t capacity = m_capacity + m_capacity / 2;  // geometric, so appends stay linear
    if (capacity < length || capacity > maxLength) {
        capacity = length;
    }
    if (capacity < 15) {
        capacity = 15;
    }
    void* grown = GrowTextStorage(m_data, StorageSize(m_data, m_capacity), (capacity + 1) * sizeof(char16_t));
    if (!grown) {
        throw std::bad_alloc();
    }
    m_data = static_cast<char16_t*>(grown);
    m_capacity = capacity;
}

CString& CString::Append(const char16_t* text, std::size_t length)
{
    const std::size_t oldLength = m_length;
    if (length > static_cast<std::size_t>(-1) - oldLength) {
        throw std::bad_alloc();
    }
    // `text` may point into this string; Reserve may move it, so remember the offset.
    const bool inside = m_data && text >= m_data && text < m_data + m_length;
    const std::size_t offset = inside ? static_cast<std::size_t>(text - m_data) : 0;
    char16_t* data = GetBufferSetLength(oldLength + length);
    if (length != 0) {
        std::memmove(data + oldLength, inside ? data + offset : text, length * sizeof(char16_t));
    }
    return *this;
}

CString& CString::operator+=(const char16_t* text)
{
    return Append(text, TerminatedLength(text));
}

void CString::Format(const char16_t* format, ...)
{
    CString result;
    std::va_list arguments;
    va_start(arguments, format);
    for (const char16_t* p = format; *p != u'\0'; ++p) {
        if (*p == u'%' && p[1] == u'd') {
            const std::string digits = std::to_string(va_arg(arguments, int));
            for (char digit : digits) {
                const char16_t c = static_cast<char16_t>(digit);
                result.Append(&c, 1);
            }
            ++p;
        } else if (*p == u'%' && p[1] == u's') {
            result += va_arg(arguments, const char16_t*);
            ++p;
        } else if (*p == u'%' && p[1] == u'%') {
            result.Append(p, 1);
            ++p;
        } else {
            result.Append(p, 1);
        }
    }
    va_end(arguments);
    *this = std::move(result);
}

bool operator==(const CString& a, const CString& b) noexcept
{
    return a.m_length == b.m_length &&
           std::memcmp(a.GetString(), b.GetString(), a.m_length * sizeof(char16_t)) == 0;
}

CString operator+(const CString& a, const CString& b)
{
    CString result(a);
    result += b;
    return result;
}

CString operator+(const CString& a, const char16_t* b)
{
    CString result(a);
    result += b;
    return result;
}

CString operator+(const char16_t* a, const CString& b)
{
    CString result(a);
    result += b;
    return result;
}
