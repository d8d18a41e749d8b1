// UTF-8 and UTF-16 conversions for the document generator. Everything docgen writes is UTF-8;
// the layout sources arrive as UTF-16 and the font metrics want code points.
#pragma once

#include <string>
#include <string_view>

namespace docgen
{

// Malformed input gives U+FFFD for each bad byte rather than failing: the sources are checked
// elsewhere, and a visible replacement character is easier to find than a silent gap.
std::u32string DecodeUtf8(std::string_view text);
std::string EncodeUtf8(std::u32string_view text);
std::string EncodeUtf8(char32_t c);
std::string Utf16ToUtf8(std::u16string_view text);

// Escapes the five XML specials so that the text can go into element content or an attribute.
std::string XmlEscape(std::string_view utf8);

} // namespace docgen
