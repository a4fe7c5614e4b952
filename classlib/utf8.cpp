#include "utf8.h"

namespace {

constexpr char32_t kEscapeBase = 0xDC80;

void AppendUnit(CString& text, char32_t unit)
{
    const char16_t c = static_cast<char16_t>(unit);
    text.Append(&c, 1);
}

void AppendCodePoint(CString& text, char32_t cp)
{
    if (cp >= 0x10000) {
        cp -= 0x10000;
        AppendUnit(text, 0xD800 + (cp >> 10));
        AppendUnit(text, 0xDC00 + (cp & 0x3FF));
    } else {
        AppendUnit(text, cp);
    }
}

// Length of the valid UTF-8 sequence at `p`, with its code point; 0 when invalid.
std::size_t DecodeOne(std::string_view bytes, std::size_t p, char32_t& cp)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(p);
    std::size_t length;
    char32_t min;
    if (lead < 0x80) {
        cp = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, min = 0x80, cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, min = 0x800, cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, min = 0x10000, cp = lead & 0x07;
    } else {
        return 0;
    }
    if (p + length > bytes.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(p + i) & 0xC0) != 0x80) {
            return 0;
        }
        cp = (cp << 6) | (byte(p + i) & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not valid UTF-8.
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return 0;
    }
    return length;
}

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

CString FromUtf8(std::string_view bytes)
{
    CString text;
    for (std::size_t p = 0; p < bytes.size();) {
        char32_t cp = 0;
        const std::size_t length = DecodeOne(bytes, p, cp);
        if (length == 0) {
            AppendUnit(text, kEscapeBase + static_cast<unsigned char>(bytes[p]) - 0x80);
            ++p;
        } else {
            AppendCodePoint(text, cp);
            p += length;
        }
    }
    return text;
}

std::string ToUtf8(const CString& text)
{
    std::string out;
    const std::size_t n = text.GetLength();
    for (std::size_t i = 0; i < n; ++i) {
        const char32_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < n && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (unit >= kEscapeBase && unit <= kEscapeBase + 0x7F) {
            out += static_cast<char>(unit - kEscapeBase + 0x80);
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            AppendUtf8(out, 0xFFFD);  // a lone surrogate that no escape made
        } else {
            AppendUtf8(out, unit);
        }
    }
    return out;
}
