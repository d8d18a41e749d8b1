#include "Utf.h"

namespace docgen
{

std::u32string DecodeUtf8(std::string_view text)
{
    std::u32string out;
    size_t i = 0;
    while (i < text.size())
    {
        unsigned char b = static_cast<unsigned char>(text[i]);
        size_t extra = 0;
        char32_t c = 0;
        if (b < 0x80)
            c = b;
        else if ((b & 0xE0) == 0xC0)
            c = b & 0x1F, extra = 1;
        else if ((b & 0xF0) == 0xE0)
            c = b & 0x0F, extra = 2;
        else if ((b & 0xF8) == 0xF0)
            c = b & 0x07, extra = 3;
        else
            extra = text.size(); // a stray continuation byte or an invalid lead byte
        bool ok = i + extra < text.size();
        for (size_t k = 1; ok && k <= extra; ++k)
        {
            unsigned char n = static_cast<unsigned char>(text[i + k]);
            ok = (n & 0xC0) == 0x80;
            c = (c << 6) | (n & 0x3F);
        }
        if (!ok)
        {
            out += U'\uFFFD';
            ++i;
            continue;
        }
        out += c;
        i += extra + 1;
    }
    return out;
}

std::string EncodeUtf8(char32_t c)
{
    std::string out;
    if (c < 0x80)
    {
        out += static_cast<char>(c);
    }
    else if (c < 0x800)
    {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    else if (c < 0x10000)
    {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    else
    {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

std::string EncodeUtf8(std::u32string_view text)
{
    std::string out;
    for (char32_t c : text)
        out += EncodeUtf8(c);
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text)
{
    std::u32string wide;
    for (size_t i = 0; i < text.size(); ++i)
    {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        wide += c;
    }
    return EncodeUtf8(wide);
}

std::string XmlEscape(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (char c : utf8)
    {
        switch (c)
        {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

} // namespace docgen
