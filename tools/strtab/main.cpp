// strtab: compiles string table sources into one decoded table for the packer.
//
//   strtab -o <table> [--cpp <file> <symbol>] <source>... [--optional <source>]...
//
// Writes <table> (index and text blocks) and <table>.count (the entry count, which travels in the
// item header's Extra word). An --optional source that does not exist is skipped; the layout
// pattern list is one until the layout generator has run.
//
//   strtab --text <source> <item>
//
// Checks a text item (a licence) and writes it with CR LF line ends, as the licence page shows it.
#include "StrtabCompiler.h"

#include <cstdio>
#include <cstring>

static int Usage()
{
    std::fprintf(stderr,
                 "usage: strtab -o <table> [--cpp <file> <symbol>] <source>... [--optional <source>]...\n"
                 "       strtab --text <source> <item>\n");
    return 2;
}

static int PrepareText(const char* source, const char* item)
{
    std::string content;
    if (!ReadWholeFile(source, &content))
    {
        std::fprintf(stderr, "%s: cannot read the file\n", source);
        return 1;
    }
    std::string text;
    std::string error;
    if (!PrepareTextItem(source, content, &text, &error))
    {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    if (!WriteWholeFile(item, text.data(), text.size()))
    {
        std::fprintf(stderr, "%s: cannot write the file\n", item);
        return 1;
    }
    return 0;
}

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--text") == 0)
    {
        return PrepareText(argv[2], argv[3]);
    }
    std::string output;
    std::string cppFile;
    std::string cppSymbol;
    std::vector<std::pair<std::string, bool>> sources;
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp(argv[i], "-o") == 0 && i + 1 < argc)
        {
            output = argv[++i];
        }
        else if (std::strcmp(argv[i], "--cpp") == 0 && i + 2 < argc)
        {
            cppFile = argv[++i];
            cppSymbol = argv[++i];
        }
        else if (std::strcmp(argv[i], "--optional") == 0 && i + 1 < argc)
        {
            sources.emplace_back(argv[++i], true);
        }
        else if (argv[i][0] == '-')
        {
            return Usage();
        }
        else
        {
            sources.emplace_back(argv[i], false);
        }
    }
    if (output.empty() || sources.empty())
    {
        return Usage();
    }

    StrtabCompiler compiler;
    for (const auto& source : sources)
    {
        std::string content;
        if (!ReadWholeFile(source.first, &content))
        {
            if (source.second)
            {
                continue;
            }
            std::fprintf(stderr, "%s: cannot read the file\n", source.first.c_str());
            return 1;
        }
        std::string error;
        if (!compiler.AddSource(source.first, content, &error))
        {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
    }
    if (compiler.Entries().empty())
    {
        std::fprintf(stderr, "%s: no entries\n", output.c_str());
        return 1;
    }

    std::vector<unsigned char> table;
    uint32_t count = 0;
    compiler.Build(&table, &count);
    const std::string countText = std::to_string(count) + "\n";
    if (!WriteWholeFile(output, table.data(), table.size()) ||
        !WriteWholeFile(output + ".count", countText.data(), countText.size()))
    {
        std::fprintf(stderr, "%s: cannot write the table\n", output.c_str());
        return 1;
    }
    if (!cppFile.empty())
    {
        const std::string cpp = TableAsCppSource(cppSymbol, table, count);
        if (!WriteWholeFile(cppFile, cpp.data(), cpp.size()))
        {
            std::fprintf(stderr, "%s: cannot write the file\n", cppFile.c_str());
            return 1;
        }
    }
    for (const auto& item : compiler.Entries())
    {
        if (item.second.Placeholder)
        {
            std::fprintf(stderr, "%s:%d: note: id %u keeps its provisional text\n", item.second.File.c_str(),
                         item.second.Line, item.first);
        }
    }
    return 0;
}
