#include "PdfText.h"

#include <cstdio>
#include <cstdlib>

namespace
{

constexpr double kMmPerPoint = 25.4 / 72;

std::string Quote(const std::string& s)
{
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string Range(int page)
{
    return page > 0 ? " -f " + std::to_string(page) + " -l " + std::to_string(page) : "";
}

std::string Unescape(std::string s)
{
    const std::pair<const char*, const char*> entities[] = {{"&lt;", "<"},  {"&gt;", ">"},   {"&quot;", "\""},
                                                            {"&#39;", "'"}, {"&apos;", "'"}, {"&amp;", "&"}};
    for (const auto& [from, to] : entities)
        for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + 1))
            s.replace(at, std::string(from).size(), to);
    return s;
}

double Attribute(const std::string& tag, const char* name)
{
    size_t at = tag.find(std::string(name) + "=\"");
    if (at == std::string::npos)
        return -1;
    return std::atof(tag.c_str() + at + std::string(name).size() + 2);
}

} // namespace

int RunCommand(const std::string& command, std::string& output)
{
    output.clear();
    FILE* p = popen(command.c_str(), "r");
    if (!p)
        return 0;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        output.append(buf, n);
    return pclose(p) == 0;
}

int PdfPageText(const std::string& pdf, int page, std::string& text)
{
    return RunCommand(
        std::string(OGONEK_PDFTOTEXT) + " -q -enc UTF-8" + Range(page) + " " + Quote(pdf) + " -", text);
}

int PdfPageWords(const std::string& pdf, int page, std::vector<PdfWord>& words, double& widthMm,
                 double& heightMm)
{
    std::string xml;
    if (!RunCommand(std::string(OGONEK_PDFTOTEXT) + " -q -enc UTF-8 -bbox" + Range(page) + " " + Quote(pdf) +
                        " -",
                    xml))
        return 0;
    words.clear();
    size_t pageTag = xml.find("<page ");
    if (pageTag == std::string::npos)
        return 0;
    std::string pageHead = xml.substr(pageTag, xml.find('>', pageTag) - pageTag);
    widthMm = Attribute(pageHead, "width") * kMmPerPoint;
    heightMm = Attribute(pageHead, "height") * kMmPerPoint;
    for (size_t at = xml.find("<word "); at != std::string::npos; at = xml.find("<word ", at + 1))
    {
        size_t close = xml.find('>', at), end = xml.find("</word>", at);
        if (close == std::string::npos || end == std::string::npos)
            return 0;
        std::string tag = xml.substr(at, close - at);
        words.push_back(PdfWord{Attribute(tag, "xMin") * kMmPerPoint, Attribute(tag, "yMin") * kMmPerPoint,
                                Attribute(tag, "xMax") * kMmPerPoint, Attribute(tag, "yMax") * kMmPerPoint,
                                Unescape(xml.substr(close + 1, end - close - 1))});
    }
    return 1;
}

std::string Squeeze(const std::string& text)
{
    std::string out;
    bool space = false;
    for (char c : text)
    {
        if (c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f')
        {
            space = !out.empty();
            continue;
        }
        if (space)
            out += ' ';
        space = false;
        out += c;
    }
    return out;
}
