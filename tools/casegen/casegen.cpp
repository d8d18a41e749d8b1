// casegen: writes the uppercase pair table of the text library from the Unicode character data.
//
//   casegen <UnicodeData.txt> <DerivedAge.txt> <out.inc>
//
// The mapping is the simple uppercase field of UnicodeData.txt as it stood in Unicode 5.2: a pair is
// kept only when both of its characters were assigned by version 5.2 (DerivedAge.txt), which removes
// the capitals added later.  The table holds the pairs of the Basic Multilingual Plane that the
// inline rules of CaseMap.h leave open, so the rules and the table together give the whole mapping.
#include "text/CaseMap.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace
{
bool ReadLines(const char* path, std::vector<std::string>& lines)
{
    std::ifstream in(path);
    if (!in)
        return false;
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return true;
}

std::string Trim(const std::string& s)
{
    size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos)
        return "";
    size_t b = s.find_last_not_of(" \t\r");
    return s.substr(a, b - a + 1);
}

// assigned[c]: the code point (BMP only) was assigned by Unicode 5.2.
bool ReadAges(const char* path, std::vector<bool>& assigned)
{
    std::vector<std::string> lines;
    if (!ReadLines(path, lines))
        return false;
    for (const std::string& raw : lines)
    {
        std::string line = Trim(raw.substr(0, raw.find('#')));
        if (line.empty())
            continue;
        size_t semi = line.find(';');
        if (semi == std::string::npos)
            return false;
        std::string range = Trim(line.substr(0, semi));
        std::string version = Trim(line.substr(semi + 1));
        unsigned major = 0, minor = 0;
        if (std::sscanf(version.c_str(), "%u.%u", &major, &minor) != 2)
            return false;
        if (major > 5 || (major == 5 && minor > 2))
            continue;
        unsigned long first = std::strtoul(range.c_str(), nullptr, 16), last = first;
        size_t dots = range.find("..");
        if (dots != std::string::npos)
            last = std::strtoul(range.c_str() + dots + 2, nullptr, 16);
        for (unsigned long c = first; c <= last && c <= 0xFFFF; ++c)
            assigned[c] = true;
    }
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
    {
        std::fprintf(stderr, "usage: casegen <UnicodeData.txt> <DerivedAge.txt> <out.inc>\n");
        return 2;
    }
    std::vector<bool> assigned(0x10000, false);
    if (!ReadAges(argv[2], assigned))
    {
        std::fprintf(stderr, "casegen: cannot read %s\n", argv[2]);
        return 1;
    }
    std::vector<std::string> lines;
    if (!ReadLines(argv[1], lines))
    {
        std::fprintf(stderr, "casegen: cannot read %s\n", argv[1]);
        return 1;
    }
    std::vector<unsigned> upper(0x10000);
    for (unsigned c = 0; c < 0x10000; ++c)
        upper[c] = c;
    for (const std::string& line : lines)
    {
        std::vector<std::string> fields;
        std::stringstream ss(line);
        std::string f;
        while (std::getline(ss, f, ';'))
            fields.push_back(f);
        if (fields.size() < 13 || fields[12].empty())
            continue;
        unsigned long c = std::strtoul(fields[0].c_str(), nullptr, 16);
        unsigned long u = std::strtoul(fields[12].c_str(), nullptr, 16);
        if (c > 0xFFFF || u > 0xFFFF || !assigned[c] || !assigned[u])
            continue;
        upper[c] = static_cast<unsigned>(u);
    }

    std::string out;
    int count = 0;
    for (unsigned c = 0; c < 0x10000; ++c)
    {
        unsigned ruled;
        bool open = !CaseRules::Apply(c, &ruled);
        bool wanted = open ? upper[c] != c && !CaseRules::KeptUnchanged(c) : CaseRules::RepeatedInTable(c);
        if (!wanted)
            continue;
        char line[40];
        std::snprintf(line, sizeof line, "{0x%04X, 0x%04X},\n", c, upper[c]);
        out += line;
        ++count;
    }
    if (count != CaseRules::kPairCount)
    {
        std::fprintf(stderr, "casegen: %d pairs instead of %d; is the Unicode data complete?\n", count,
                     CaseRules::kPairCount);
        return 1;
    }
    FILE* file = std::fopen(argv[3], "wb");
    if (!file || std::fwrite(out.data(), 1, out.size(), file) != out.size() || std::fclose(file) != 0)
    {
        std::fprintf(stderr, "casegen: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
