#include "StrtabCompiler.h"

#include <cstdio>

namespace
{

std::string Where(const std::string& fileName, int line)
{
    return fileName + ":" + std::to_string(line) + ": ";
}

void AppendLe32(std::vector<unsigned char>* out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
    {
        out->push_back(static_cast<unsigned char>(value >> shift));
    }
}

int HexValue(char32_t c)
{
    if (c >= '0' && c <= '9')
    {
        return static_cast<int>(c - '0');
    }
    if (c >= 'A' && c <= 'F')
    {
        return static_cast<int>(c - 'A' + 10);
    }
    if (c >= 'a' && c <= 'f')
    {
        return static_cast<int>(c - 'a' + 10);
    }
    return -1;
}

} // namespace

int DecodeUtf8(const std::string& bytes, std::u32string* out)
{
    out->clear();
    size_t i = 0;
    while (i < bytes.size())
    {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        int extra;
        char32_t c;
        char32_t minimum;
        if (lead < 0x80)
        {
            out->push_back(lead);
            ++i;
            continue;
        }
        if ((lead & 0xE0) == 0xC0)
        {
            extra = 1, c = lead & 0x1F, minimum = 0x80;
        }
        else if ((lead & 0xF0) == 0xE0)
        {
            extra = 2, c = lead & 0x0F, minimum = 0x800;
        }
        else if ((lead & 0xF8) == 0xF0)
        {
            extra = 3, c = lead & 0x07, minimum = 0x10000;
        }
        else
        {
            return 0;
        }
        if (i + extra >= bytes.size())
        {
            return 0;
        }
        for (int k = 1; k <= extra; ++k)
        {
            const unsigned char next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80)
            {
                return 0;
            }
            c = c << 6 | (next & 0x3F);
        }
        if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        {
            return 0;
        }
        out->push_back(c);
        i += extra + 1;
    }
    return 1;
}

int StrtabCompiler::AddSource(const std::string& fileName, const std::string& content, std::string* error)
{
    size_t pos = 0;
    // Editors on Windows like to start a UTF-8 file with a byte order mark.
    if (content.compare(0, 3, "\xEF\xBB\xBF") == 0)
    {
        pos = 3;
    }
    int lineNumber = 0;
    while (pos < content.size())
    {
        size_t end = content.find('\n', pos);
        if (end == std::string::npos)
        {
            end = content.size();
        }
        std::string line = content.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r')
        {
            line.pop_back();
        }
        ++lineNumber;
        if (!AddLine(fileName, lineNumber, line, error))
        {
            return 0;
        }
        pos = end + 1;
    }
    return 1;
}

int StrtabCompiler::AddLine(const std::string& fileName, int lineNumber, const std::string& line,
                            std::string* error)
{
    std::u32string chars;
    if (!DecodeUtf8(line, &chars))
    {
        *error = Where(fileName, lineNumber) + "invalid UTF-8";
        return 0;
    }
    size_t first = 0;
    while (first < chars.size() && (chars[first] == ' ' || chars[first] == '\t'))
    {
        ++first;
    }
    if (first == chars.size() || chars[first] == '#')
    {
        return 1;
    }
    if (first != 0 || chars[0] < '0' || chars[0] > '9')
    {
        *error = Where(fileName, lineNumber) + "an entry starts with its decimal id in the first column";
        return 0;
    }

    uint64_t id = 0;
    size_t i = 0;
    while (i < chars.size() && chars[i] >= '0' && chars[i] <= '9')
    {
        id = id * 10 + (chars[i] - '0');
        if (id > 0xFFFFFFFFu)
        {
            *error = Where(fileName, lineNumber) + "id does not fit in 32 bits";
            return 0;
        }
        ++i;
    }
    bool placeholder = false;
    if (i < chars.size() && chars[i] == '?')
    {
        placeholder = true;
        ++i;
    }
    if (i < chars.size())
    {
        if (chars[i] != ' ')
        {
            *error = Where(fileName, lineNumber) + "expected one space between the id and the text";
            return 0;
        }
        ++i;
    }
    if (chars.size() > i && (chars.back() == ' ' || chars.back() == '\t'))
    {
        *error = Where(fileName, lineNumber) +
                 "trailing whitespace (write \\s for a space that belongs to the text)";
        return 0;
    }

    std::u16string text;
    for (; i < chars.size(); ++i)
    {
        char32_t c = chars[i];
        if (c < 0x20 || c == 0x7F)
        {
            *error = Where(fileName, lineNumber) + "control character in the text (use an escape)";
            return 0;
        }
        if (c == '\\')
        {
            if (i + 1 >= chars.size())
            {
                *error = Where(fileName, lineNumber) + "backslash at the end of the line";
                return 0;
            }
            const char32_t e = chars[++i];
            int digits = 0;
            switch (e)
            {
                case '\\':
                    c = '\\';
                    break;
                case 'n':
                    c = '\n';
                    break;
                case 'r':
                    c = '\r';
                    break;
                case 't':
                    c = '\t';
                    break;
                case 's':
                    c = ' ';
                    break;
                case 'x':
                    digits = 2;
                    break;
                case 'u':
                    digits = 4;
                    break;
                default:
                    *error = Where(fileName, lineNumber) + "unknown escape \\" +
                             (e < 0x80 ? std::string(1, static_cast<char>(e)) : std::string("(non-ASCII)"));
                    return 0;
            }
            if (digits != 0)
            {
                c = 0;
                for (int k = 0; k < digits; ++k)
                {
                    const int v = (i + 1 < chars.size()) ? HexValue(chars[i + 1]) : -1;
                    if (v < 0)
                    {
                        *error = Where(fileName, lineNumber) + "\\" + static_cast<char>(e) + " needs " +
                                 std::to_string(digits) + " hexadecimal digits";
                        return 0;
                    }
                    c = c << 4 | static_cast<char32_t>(v);
                    ++i;
                }
                if (c == 0 || (c >= 0xD800 && c <= 0xDFFF))
                {
                    *error = Where(fileName, lineNumber) + "escape gives a zero or surrogate character";
                    return 0;
                }
            }
        }
        // The program's UTF-8 reader takes up to three-byte sequences, so texts stay in the
        // Basic Multilingual Plane.
        if (c > 0xFFFF)
        {
            *error = Where(fileName, lineNumber) + "character above U+FFFF";
            return 0;
        }
        text.push_back(static_cast<char16_t>(c));
    }
    if (text.size() > 0x1FFFFFFFu / 3)
    {
        *error = Where(fileName, lineNumber) + "text too long";
        return 0;
    }

    const uint32_t key = static_cast<uint32_t>(id);
    auto found = Entries_.find(key);
    if (found != Entries_.end())
    {
        const Entry& earlier = found->second;
        // Only a provisional text from an earlier source gives way; anything else is a mistake.
        if (!earlier.Placeholder || earlier.File == fileName)
        {
            *error = Where(fileName, lineNumber) + "duplicate id " + std::to_string(key) + " (first at " +
                     earlier.File + ":" + std::to_string(earlier.Line) + ")";
            return 0;
        }
    }
    Entry& entry = Entries_[key];
    entry.Text = text;
    entry.Placeholder = placeholder;
    entry.File = fileName;
    entry.Line = lineNumber;
    return 1;
}

size_t StrtabCompiler::PlaceholderCount() const
{
    size_t n = 0;
    for (const auto& item : Entries_)
    {
        n += item.second.Placeholder ? 1 : 0;
    }
    return n;
}

std::vector<unsigned char> EncodeCountedText(const std::u16string& text)
{
    std::string utf8;
    for (char16_t u : text)
    {
        if (u < 0x80)
        {
            utf8.push_back(static_cast<char>(u));
        }
        else if (u < 0x800)
        {
            utf8.push_back(static_cast<char>(0xC0 | u >> 6));
            utf8.push_back(static_cast<char>(0x80 | (u & 0x3F)));
        }
        else
        {
            utf8.push_back(static_cast<char>(0xE0 | u >> 12));
            utf8.push_back(static_cast<char>(0x80 | (u >> 6 & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | (u & 0x3F)));
        }
    }
    std::vector<unsigned char> block;
    if (utf8.size() <= 2 * text.size())
    {
        AppendLe32(&block, 0x80000000u | static_cast<uint32_t>(utf8.size()));
        block.insert(block.end(), utf8.begin(), utf8.end());
    }
    else
    {
        AppendLe32(&block, static_cast<uint32_t>(text.size()));
        for (char16_t u : text)
        {
            block.push_back(static_cast<unsigned char>(u));
            block.push_back(static_cast<unsigned char>(u >> 8));
        }
    }
    return block;
}

void StrtabCompiler::Build(std::vector<unsigned char>* table, uint32_t* count) const
{
    std::vector<unsigned char> index;
    std::vector<unsigned char> texts;
    std::map<std::vector<unsigned char>, uint32_t> stored;
    for (const auto& item : Entries_)
    {
        std::vector<unsigned char> block = EncodeCountedText(item.second.Text);
        auto known = stored.find(block);
        uint32_t offset;
        if (known != stored.end())
        {
            offset = known->second;
        }
        else
        {
            offset = static_cast<uint32_t>(texts.size());
            stored.emplace(block, offset);
            texts.insert(texts.end(), block.begin(), block.end());
            // UTF-16 texts are read in place, so every block starts on a 4-byte boundary.
            texts.resize((texts.size() + 3) & ~static_cast<size_t>(3), 0);
        }
        AppendLe32(&index, item.first);
        AppendLe32(&index, offset);
    }
    table->assign(index.begin(), index.end());
    table->insert(table->end(), texts.begin(), texts.end());
    *count = static_cast<uint32_t>(Entries_.size());
}

int PrepareTextItem(const std::string& fileName, const std::string& content, std::string* out,
                    std::string* error)
{
    out->clear();
    size_t pos = content.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    int lineNumber = 0;
    while (pos < content.size())
    {
        size_t end = content.find('\n', pos);
        const bool lastLine = end == std::string::npos;
        if (lastLine)
        {
            end = content.size();
        }
        std::string line = content.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r')
        {
            line.pop_back();
        }
        ++lineNumber;
        std::u32string chars;
        if (!DecodeUtf8(line, &chars))
        {
            *error = Where(fileName, lineNumber) + "invalid UTF-8";
            return 0;
        }
        for (char32_t c : chars)
        {
            if ((c < 0x20 && c != '\t') || c == 0x7F)
            {
                *error = Where(fileName, lineNumber) + "control character in the text";
                return 0;
            }
            if (c > 0xFFFF)
            {
                *error = Where(fileName, lineNumber) + "character above U+FFFF";
                return 0;
            }
        }
        out->append(line);
        if (!lastLine)
        {
            out->append("\r\n");
        }
        pos = end + 1;
    }
    return 1;
}

int ReadWholeFile(const std::string& path, std::string* content)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr)
    {
        return 0;
    }
    content->clear();
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0)
    {
        content->append(buffer, got);
    }
    const bool ok = std::ferror(f) == 0;
    std::fclose(f);
    return ok ? 1 : 0;
}

int WriteWholeFile(const std::string& path, const void* bytes, size_t length)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
    {
        return 0;
    }
    const bool written = length == 0 || std::fwrite(bytes, 1, length, f) == length;
    const bool closed = std::fclose(f) == 0;
    return written && closed ? 1 : 0;
}

std::string TableAsCppSource(const std::string& symbol, const std::vector<unsigned char>& table,
                             uint32_t count)
{
    std::string out = "// Generated by strtab; edit content/strings/ instead.\n#include <cstdint>\n\n";
    out += "extern const unsigned char " + symbol + "[] = {";
    for (size_t i = 0; i < table.size(); ++i)
    {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%s0x%02x", i % 16 == 0 ? "\n    " : " ", table[i]);
        out += hex;
        out += ',';
    }
    if (table.empty())
    {
        out += "0";
    }
    out += "\n};\n";
    out += "extern const uint32_t " + symbol + "Length = " + std::to_string(table.size()) + ";\n";
    out += "extern const uint32_t " + symbol + "Count = " + std::to_string(count) + ";\n";
    return out;
}
