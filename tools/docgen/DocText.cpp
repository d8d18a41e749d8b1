#include "DocText.h"

#include "Utf.h"

#include <fstream>
#include <iterator>
#include <sstream>

namespace docgen
{

namespace
{

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

int Unescape(const std::string& in, std::string& out, std::string& error)
{
    out.clear();
    for (size_t i = 0; i < in.size(); ++i)
    {
        if (in[i] != '\\')
        {
            out += in[i];
            continue;
        }
        if (++i >= in.size())
        {
            error = "backslash at the end of a text";
            return 0;
        }
        char e = in[i];
        size_t digits = 0;
        switch (e)
        {
            case '\\':
                out += '\\';
                continue;
            case 'n':
                out += '\n';
                continue;
            case 'r':
                out += '\r';
                continue;
            case 't':
                out += '\t';
                continue;
            case 's':
                out += ' ';
                continue;
            case 'x':
                digits = 2;
                break;
            case 'u':
                digits = 4;
                break;
            default:
                error = std::string("unknown escape \\") + e;
                return 0;
        }
        char32_t c = 0;
        for (size_t k = 0; k < digits; ++k)
        {
            int v = i + 1 + k < in.size() ? HexValue(in[i + 1 + k]) : -1;
            if (v < 0)
            {
                error = "malformed hexadecimal escape";
                return 0;
            }
            c = c * 16 + static_cast<char32_t>(v);
        }
        i += digits;
        out += EncodeUtf8(c);
    }
    return 1;
}

} // namespace

int ReadTextFile(const std::string& path, std::string& out)
{
    std::ifstream f(path, std::ios::binary);
    if (!f)
        return 0;
    out.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    // A byte-order mark is allowed in sources saved by Windows editors.
    if (out.compare(0, 3, "\xEF\xBB\xBF") == 0)
        out.erase(0, 3);
    return 1;
}

int WriteTextFile(const std::string& path, const std::string& text)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (!f)
        return 0;
    f.write(text.data(), static_cast<std::streamsize>(text.size()));
    f.close();
    return f ? 1 : 0;
}

int ParseStringSource(const std::string& text, std::map<uint32_t, std::string>& out, std::string& error)
{
    std::map<uint32_t, bool> provisional;
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line))
    {
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        size_t p = line.find_first_not_of(" \t");
        if (p == std::string::npos || line[p] == '#')
            continue;
        uint32_t id = 0;
        size_t q = p;
        while (q < line.size() && line[q] >= '0' && line[q] <= '9')
            id = id * 10 + static_cast<uint32_t>(line[q++] - '0');
        if (q == p)
        {
            error = "line " + std::to_string(lineNo) + ": no string id";
            return 0;
        }
        bool isProvisional = q < line.size() && line[q] == '?';
        if (isProvisional)
            ++q;
        if (q < line.size() && line[q] != ' ' && line[q] != '\t')
        {
            error = "line " + std::to_string(lineNo) + ": malformed string id";
            return 0;
        }
        while (q < line.size() && (line[q] == ' ' || line[q] == '\t'))
            ++q;
        std::string value;
        if (!Unescape(line.substr(q), value, error))
        {
            error = "line " + std::to_string(lineNo) + ": " + error;
            return 0;
        }
        auto found = out.find(id);
        if (found != out.end() && !provisional[id])
            continue; // the first firm text stands, as the string compiler keeps it
        out[id] = value;
        provisional[id] = isProvisional;
    }
    return 1;
}

int StringSource::Load(const std::string& dir, const std::string& language, std::string& error)
{
    language_ = language;
    struct Part
    {
        std::string name;
        std::map<uint32_t, std::string>* table;
    };
    for (const Part& part : {Part{language, &own_}, Part{"common", &common_}, Part{"extra", &extra_}})
    {
        std::string path = dir + "/" + part.name + ".txt";
        std::string text;
        if (!ReadTextFile(path, text))
        {
            error = path + ": cannot read";
            return 0;
        }
        if (!ParseStringSource(text, *part.table, error))
        {
            error = path + ": " + error;
            return 0;
        }
    }
    return 1;
}

const std::string* StringSource::Find(uint32_t id) const
{
    for (const auto* table : {&own_, &common_, &extra_})
    {
        auto it = table->find(id);
        if (it != table->end())
            return &it->second;
    }
    return nullptr;
}

int ExpandTexts(const std::string& in, const StringSource& strings, std::string& out, std::string& error)
{
    out.clear();
    size_t i = 0;
    while (i < in.size())
    {
        size_t open = in.find("{t", i);
        if (open == std::string::npos || open + 2 >= in.size() || in[open + 2] < '0' || in[open + 2] > '9')
        {
            size_t next = open == std::string::npos ? in.size() : open + 1;
            out.append(in, i, next - i);
            i = next;
            continue;
        }
        out.append(in, i, open - i);
        size_t close = in.find('}', open);
        if (close == std::string::npos)
        {
            error = "unclosed text reference: " + in.substr(open, 20);
            return 0;
        }
        std::istringstream refs(in.substr(open + 1, close - open - 1));
        std::string ref;
        std::string text;
        bool first = true;
        bool asLabel = false;
        while (refs >> ref)
        {
            if (ref == "label" && !first)
            {
                asLabel = true;
                continue;
            }
            if (ref.size() < 2 || ref[0] != 't' ||
                ref.find_first_not_of("0123456789", 1) != std::string::npos)
            {
                error = "malformed text reference: " + in.substr(open, close - open + 1);
                return 0;
            }
            uint32_t id = static_cast<uint32_t>(std::stoul(ref.substr(1)));
            const std::string* value = strings.Find(id);
            if (!value)
            {
                error = "no string " + std::to_string(id) + " in language " + strings.Language();
                return 0;
            }
            std::string flat;
            for (size_t k = 0; k < value->size(); ++k)
            {
                char c = (*value)[k];
                if (c == '\r')
                    continue;
                flat += (c == '\n' || c == '\t') ? ' ' : c;
            }
            if (first)
            {
                text = flat;
                first = false;
                continue;
            }
            size_t at = text.find("%s");
            if (at == std::string::npos)
            {
                error = "too many values for " + in.substr(open, close - open + 1);
                return 0;
            }
            text.replace(at, 2, flat);
        }
        if (text.find("%s") != std::string::npos)
        {
            error = "too few values for " + in.substr(open, close - open + 1);
            return 0;
        }
        if (asLabel)
            while (!text.empty() && (text.back() == ':' || text.back() == ' '))
                text.pop_back();
        out += text;
        i = close + 1;
    }
    return 1;
}

int Labels::Load(const std::string& path, const StringSource& strings, std::string& error)
{
    std::string text;
    if (!ReadTextFile(path, text))
    {
        error = path + ": cannot read";
        return 0;
    }
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line))
    {
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        size_t p = line.find_first_not_of(" \t");
        if (p == std::string::npos || line[p] == '#')
            continue;
        size_t q = line.find_first_of(" \t", p);
        std::string name = line.substr(p, q == std::string::npos ? std::string::npos : q - p);
        std::string value;
        if (q != std::string::npos)
        {
            size_t v = line.find_first_not_of(" \t", q);
            if (v != std::string::npos)
                value = line.substr(v);
        }
        std::string expanded;
        if (!ExpandTexts(value, strings, expanded, error))
        {
            error = path + ":" + std::to_string(lineNo) + ": " + error;
            return 0;
        }
        if (!labels_.emplace(name, expanded).second)
        {
            error = path + ":" + std::to_string(lineNo) + ": label " + name + " given twice";
            return 0;
        }
    }
    return 1;
}

const std::string& Labels::Get(const std::string& name) const
{
    auto it = labels_.find(name);
    if (it != labels_.end())
        return it->second;
    auto& shown = unknown_[name];
    if (shown.empty())
    {
        shown = "[" + name + "]";
        missing_ += (missing_.empty() ? "" : ", ") + name;
    }
    return shown;
}

std::string Replace(std::string text, const std::string& key, const std::string& value)
{
    std::string pattern = "{" + key + "}";
    size_t at = 0;
    while ((at = text.find(pattern, at)) != std::string::npos)
    {
        text.replace(at, pattern.size(), value);
        at += value.size();
    }
    return text;
}

} // namespace docgen
