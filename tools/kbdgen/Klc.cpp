#include "Klc.h"

#include <fstream>
#include <iterator>

namespace klc
{

namespace
{

struct Token
{
    std::u16string text;
    bool quoted = false;
};

bool IsSpace(char16_t c)
{
    return c == u' ' || c == u'\t';
}

// Comments run from "//" to the end of the line, outside quotes.
std::u16string StripComment(const std::u16string& line)
{
    bool inQuote = false;
    for (size_t i = 0; i < line.size(); ++i)
    {
        if (line[i] == u'"')
            inQuote = !inQuote;
        if (!inQuote && line[i] == u'/' && i + 1 < line.size() && line[i + 1] == u'/')
            return line.substr(0, i);
    }
    return line;
}

std::u16string Trim(const std::u16string& s)
{
    size_t b = 0, e = s.size();
    while (b < e && IsSpace(s[b]))
        ++b;
    while (e > b && IsSpace(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

std::vector<Token> Tokenise(const std::u16string& line)
{
    std::vector<Token> out;
    size_t i = 0;
    while (i < line.size())
    {
        while (i < line.size() && IsSpace(line[i]))
            ++i;
        if (i >= line.size())
            break;
        Token t;
        if (line[i] == u'"')
        {
            size_t end = line.find(u'"', i + 1);
            if (end == std::u16string::npos)
                end = line.size();
            t.text = line.substr(i + 1, end - i - 1);
            t.quoted = true;
            i = end + 1;
        }
        else
        {
            size_t end = i;
            while (end < line.size() && !IsSpace(line[end]))
                ++end;
            t.text = line.substr(i, end - i);
            i = end;
        }
        out.push_back(std::move(t));
    }
    return out;
}

// The text after the first token, without surrounding quotes.
std::u16string RestOfLine(const std::u16string& line)
{
    size_t i = 0;
    while (i < line.size() && IsSpace(line[i]))
        ++i;
    while (i < line.size() && !IsSpace(line[i]))
        ++i;
    std::u16string rest = Trim(line.substr(i));
    if (rest.size() >= 2 && rest.front() == u'"' && rest.back() == u'"')
        rest = rest.substr(1, rest.size() - 2);
    return rest;
}

int ParseHex(const std::u16string& s, uint32_t& value, size_t maxDigits)
{
    if (s.empty() || s.size() > maxDigits)
        return 0;
    uint32_t v = 0;
    for (char16_t c : s)
    {
        int d;
        if (c >= u'0' && c <= u'9')
            d = c - u'0';
        else if (c >= u'a' && c <= u'f')
            d = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F')
            d = c - u'A' + 10;
        else
            return 0;
        v = v * 16 + static_cast<uint32_t>(d);
    }
    value = v;
    return 1;
}

std::string Ascii(const std::u16string& s)
{
    std::string out;
    for (char16_t c : s)
        out += (c < 0x80) ? static_cast<char>(c) : '?';
    return out;
}

int ParseChar(const std::u16string& token, KlcChar& out)
{
    out = KlcChar{};
    if (token == u"-1")
        return 1;
    std::u16string t = token;
    if (t.size() > 1 && t.back() == u'@')
    {
        out.dead = true;
        t.pop_back();
    }
    if (t.size() == 1)
    {
        out.ch = t[0];
    }
    else
    {
        uint32_t v;
        if (t.size() != 4 || !ParseHex(t, v, 4))
            return 0; // ligatures ("%%") are not supported
        out.ch = static_cast<char16_t>(v);
    }
    out.defined = true;
    return 1;
}

enum class Section
{
    None,
    ShiftState,
    Layout,
    DeadKey,
    KeyName,
    KeyNameExt,
    KeyNameDead,
    Descriptions,
    LanguageNames,
    Attributes,
    Done
};

} // namespace

int KlcLayout::Column(int shiftState) const
{
    for (size_t i = 0; i < shiftStates.size(); ++i)
        if (shiftStates[i] == shiftState)
            return static_cast<int>(i);
    return -1;
}

const KlcKey* KlcLayout::FindKey(uint16_t scanCode) const
{
    for (const KlcKey& k : keys)
        if (k.scanCode == scanCode)
            return &k;
    return nullptr;
}

int ParseKlc(const std::u16string& text, KlcLayout& out, std::string& error)
{
    out = KlcLayout{};
    Section section = Section::None;
    int lineNo = 0;
    size_t pos = 0;
    auto fail = [&](const std::string& what)
    {
        error = "line " + std::to_string(lineNo) + ": " + what;
        return 0;
    };
    while (pos <= text.size() && section != Section::Done)
    {
        size_t end = text.find(u'\n', pos);
        if (end == std::u16string::npos)
            end = text.size();
        std::u16string raw = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        if (!raw.empty() && raw.back() == u'\r')
            raw.pop_back();
        std::u16string line = StripComment(raw);
        std::vector<Token> tok = Tokenise(line);
        if (tok.empty())
            continue;
        const std::u16string& key = tok[0].text;
        auto quotedArg = [&](std::u16string& dest)
        {
            if (tok.size() < 2)
                return fail("missing value after " + Ascii(key));
            dest = tok[1].text;
            return 1;
        };
        if (!tok[0].quoted)
        {
            if (key == u"KBD")
            {
                if (tok.size() < 3)
                    return fail("KBD needs a name and a description");
                out.name = Ascii(tok[1].text);
                out.description = tok[2].text;
                section = Section::None;
                continue;
            }
            if (key == u"COPYRIGHT")
            {
                if (!quotedArg(out.copyright))
                    return 0;
                section = Section::None;
                continue;
            }
            if (key == u"COMPANY")
            {
                if (!quotedArg(out.company))
                    return 0;
                section = Section::None;
                continue;
            }
            if (key == u"LOCALENAME")
            {
                if (!quotedArg(out.localeName))
                    return 0;
                section = Section::None;
                continue;
            }
            if (key == u"LOCALEID")
            {
                if (!quotedArg(out.localeId))
                    return 0;
                section = Section::None;
                continue;
            }
            if (key == u"VERSION")
            {
                if (!quotedArg(out.version))
                    return 0;
                section = Section::None;
                continue;
            }
            if (key == u"ATTRIBUTES")
            {
                section = Section::Attributes;
                continue;
            }
            if (key == u"SHIFTSTATE")
            {
                section = Section::ShiftState;
                continue;
            }
            if (key == u"LAYOUT")
            {
                section = Section::Layout;
                continue;
            }
            if (key == u"LIGATURE")
                return fail("ligatures are not supported");
            if (key == u"DEADKEY")
            {
                uint32_t accent;
                if (tok.size() < 2 || !ParseHex(tok[1].text, accent, 4))
                    return fail("DEADKEY needs a hexadecimal accent");
                out.deadKeys.push_back(KlcDeadKey{static_cast<char16_t>(accent), {}});
                section = Section::DeadKey;
                continue;
            }
            if (key == u"KEYNAME")
            {
                section = Section::KeyName;
                continue;
            }
            if (key == u"KEYNAME_EXT")
            {
                section = Section::KeyNameExt;
                continue;
            }
            if (key == u"KEYNAME_DEAD")
            {
                section = Section::KeyNameDead;
                continue;
            }
            if (key == u"DESCRIPTIONS")
            {
                section = Section::Descriptions;
                continue;
            }
            if (key == u"LANGUAGENAMES")
            {
                section = Section::LanguageNames;
                continue;
            }
            if (key == u"ENDKBD")
            {
                section = Section::Done;
                continue;
            }
        }
        switch (section)
        {
            case Section::ShiftState:
            {
                uint32_t ss;
                if (!ParseHex(key, ss, 2) || ss > 7)
                    return fail("shift states 0 to 7 only");
                if (out.Column(static_cast<int>(ss)) >= 0)
                    return fail("shift state listed twice");
                out.shiftStates.push_back(static_cast<int>(ss));
                break;
            }
            case Section::Layout:
            {
                KlcKey k;
                k.line = lineNo;
                uint32_t sc;
                if (!ParseHex(key, sc, 4) || sc == 0 || (sc > 0x7F && (sc < 0xE001 || sc > 0xE07F)))
                    return fail("bad scan code " + Ascii(key));
                if (out.FindKey(static_cast<uint16_t>(sc)))
                    return fail("scan code listed twice");
                k.scanCode = static_cast<uint16_t>(sc);
                if (tok.size() < 3)
                    return fail("key row needs a virtual key and a Cap column");
                k.vkName = Ascii(tok[1].text);
                k.vk = VirtualKeyFromName(k.vkName);
                if (k.vk == 0)
                    return fail("unknown virtual key " + k.vkName);
                if (tok[2].text == u"SGCap")
                    return fail("SGCap keys are not supported");
                uint32_t cap;
                if (!ParseHex(tok[2].text, cap, 1) || (cap & ~0x5u))
                    return fail("Cap column must be 0, 1, 4 or 5");
                k.capFlags = static_cast<uint8_t>(cap);
                if (tok.size() - 3 > out.shiftStates.size())
                    return fail("more characters than shift states");
                for (size_t i = 3; i < tok.size(); ++i)
                {
                    KlcChar c;
                    if (tok[i].quoted || !ParseChar(tok[i].text, c))
                        return fail("bad character " + Ascii(tok[i].text));
                    k.chars.push_back(c);
                }
                k.chars.resize(out.shiftStates.size());
                out.keys.push_back(std::move(k));
                break;
            }
            case Section::DeadKey:
            {
                uint32_t base, composed;
                if (tok.size() < 2 || !ParseHex(tok[0].text, base, 4) || !ParseHex(tok[1].text, composed, 4))
                    return fail("dead-key row needs two hexadecimal characters");
                out.deadKeys.back().combinations.emplace_back(static_cast<char16_t>(base),
                                                              static_cast<char16_t>(composed));
                break;
            }
            case Section::KeyName:
            case Section::KeyNameExt:
            case Section::KeyNameDead:
            {
                uint32_t code;
                size_t digits = section == Section::KeyNameDead ? 4 : 2;
                if (!ParseHex(key, code, digits))
                    return fail("bad key-name code " + Ascii(key));
                KlcKeyName n{static_cast<uint16_t>(code), RestOfLine(line)};
                if (n.name.empty())
                    return fail("empty key name");
                (section == Section::KeyName      ? out.keyNames
                 : section == Section::KeyNameExt ? out.keyNamesExt
                                                  : out.keyNamesDead)
                    .push_back(std::move(n));
                break;
            }
            case Section::Descriptions:
            case Section::LanguageNames:
            {
                uint32_t lang;
                if (!ParseHex(key, lang, 4))
                    return fail("bad language id " + Ascii(key));
                KlcLocalised l{static_cast<uint16_t>(lang), RestOfLine(line)};
                (section == Section::Descriptions ? out.descriptions : out.languageNames)
                    .push_back(std::move(l));
                break;
            }
            case Section::Attributes:
                break; // attributes such as ALTGR follow from the shift states here
            case Section::None:
            case Section::Done:
                return fail("unexpected text " + Ascii(key));
        }
    }
    if (section != Section::Done)
        return fail("missing ENDKBD");
    if (out.name.empty())
        return fail("missing KBD line");
    if (out.shiftStates.empty())
        return fail("missing SHIFTSTATE");
    return 1;
}

int DecodeKlcBytes(const std::vector<uint8_t>& bytes, std::u16string& text)
{
    text.clear();
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE)
    {
        if (bytes.size() % 2)
            return 0;
        for (size_t i = 2; i < bytes.size(); i += 2)
            text += static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
        return 1;
    }
    size_t i = (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) ? 3 : 0;
    while (i < bytes.size())
    {
        uint32_t c = bytes[i];
        int extra = c < 0x80             ? 0
                    : (c & 0xE0) == 0xC0 ? 1
                    : (c & 0xF0) == 0xE0 ? 2
                    : (c & 0xF8) == 0xF0 ? 3
                                         : -1;
        if (extra < 0 || i + static_cast<size_t>(extra) >= bytes.size())
            return 0;
        if (extra)
            c &= 0x3Fu >> extra;
        for (int k = 1; k <= extra; ++k)
        {
            if ((bytes[i + k] & 0xC0) != 0x80)
                return 0;
            c = (c << 6) | (bytes[i + k] & 0x3F);
        }
        i += 1 + static_cast<size_t>(extra);
        if (c >= 0x10000)
        {
            c -= 0x10000;
            text += static_cast<char16_t>(0xD800 + (c >> 10));
            text += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        }
        else
        {
            text += static_cast<char16_t>(c);
        }
    }
    return 1;
}

int ReadKlcFile(const std::string& path, KlcLayout& out, std::string& error)
{
    std::ifstream f(path, std::ios::binary);
    if (!f)
    {
        error = path + ": cannot open";
        return 0;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    std::u16string text;
    if (!DecodeKlcBytes(bytes, text))
    {
        error = path + ": neither UTF-16LE with a byte-order mark nor UTF-8";
        return 0;
    }
    if (!ParseKlc(text, out, error))
    {
        error = path + ": " + error;
        return 0;
    }
    return 1;
}

std::string ToUtf8(const std::u16string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i)
    {
        uint32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
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
    }
    return out;
}

} // namespace klc
