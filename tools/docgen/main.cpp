// docgen: makes the companion documents from the layout sources and content/docs.
//
//   docgen chart    <common> --out-dir <dir> --list <file> --layout <set> <variant> <klc> ...
//   docgen guide    <common> --out-dir <dir> --list <file>
//   docgen quickref <common> --out <file.html> --layout <set> <variant> <klc> ...
// where <common> is --strings <content/strings> --docs <content/docs> --fonts <folder of DejaVuSans.ttf>.
//
// The PDF documents come out as SVG pages, one file each, and a list file naming them in order
// (one absolute path a line) for rsvg-convert; the page count of the guide is only known here.
#include "Documents.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace
{

using namespace docgen;

struct Options
{
    std::string command, strings, docs, fonts, outDir, list, out;
    std::vector<std::string> layouts;
};

int Usage(const char* why)
{
    std::fprintf(
        stderr,
        "docgen: %s\n"
        "usage: docgen chart|guide|quickref --strings <dir> --docs <dir> --fonts <dir>\n"
        "              [--out-dir <dir> --list <file>] [--out <file>] [--layout <set> <variant> <klc>]...\n",
        why);
    return 2;
}

int Fail(const std::string& error)
{
    std::fprintf(stderr, "docgen: %s\n", error.c_str());
    return 1;
}

int LoadContext(const Options& o, DocContext& context, std::string& error)
{
    const char* languages[2] = {"en", "pl"};
    for (int l = 0; l < 2; ++l)
    {
        if (!context.strings[l].Load(o.strings, languages[l], error))
            return 0;
        std::string labels = o.docs + "/labels-" + languages[l] + ".txt";
        if (!context.labels[l].Load(labels, context.strings[l], error))
            return 0;
    }
    return context.regular.Load(o.fonts + "/DejaVuSans.ttf", error) &&
           context.bold.Load(o.fonts + "/DejaVuSans-Bold.ttf", error);
}

int WritePages(const Options& o, const SvgDocument& doc, const std::string& stem, std::string& error)
{
    std::string list;
    for (size_t i = 0; i < doc.pages.size(); ++i)
    {
        char name[32];
        std::snprintf(name, sizeof name, "-%02zu.svg", i + 1);
        std::string path = o.outDir + "/" + stem + name;
        if (!WriteTextFile(path, doc.pages[i]))
        {
            error = path + ": cannot write";
            return 0;
        }
        list += path + "\n";
    }
    if (!WriteTextFile(o.list, list))
    {
        error = o.list + ": cannot write";
        return 0;
    }
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    Options o;
    if (argc < 2)
        return Usage("no command");
    o.command = argv[1];
    for (int i = 2; i < argc; ++i)
    {
        std::string a = argv[i];
        auto value = [&](std::string& into)
        {
            if (i + 1 >= argc)
                return false;
            into = argv[++i];
            return true;
        };
        bool ok = true;
        if (a == "--strings")
            ok = value(o.strings);
        else if (a == "--docs")
            ok = value(o.docs);
        else if (a == "--fonts")
            ok = value(o.fonts);
        else if (a == "--out-dir")
            ok = value(o.outDir);
        else if (a == "--list")
            ok = value(o.list);
        else if (a == "--out")
            ok = value(o.out);
        else if (a == "--layout" && i + 3 < argc)
        {
            for (int k = 1; k <= 3; ++k)
                o.layouts.push_back(argv[i + k]);
            i += 3;
        }
        else
            return Usage(("unknown or incomplete argument " + a).c_str());
        if (!ok)
            return Usage(("no value for " + a).c_str());
    }
    if (o.strings.empty() || o.docs.empty() || o.fonts.empty())
        return Usage("--strings, --docs and --fonts are required");

    std::string error;
    DocContext context;
    if (!LoadContext(o, context, error))
        return Fail(error);

    if (o.command == "chart" || o.command == "guide")
    {
        if (o.outDir.empty() || o.list.empty())
            return Usage("--out-dir and --list are required");
        SvgDocument doc;
        if (o.command == "chart")
        {
            std::vector<DocLayout> layouts;
            if (!LoadLayouts(o.layouts, layouts, error) || !MakeChart(context, layouts, doc, error))
                return Fail(error);
        }
        else
        {
            std::string sources[2];
            const char* names[2] = {"/guide-en.txt", "/guide-pl.txt"};
            for (int l = 0; l < 2; ++l)
                if (!ReadTextFile(o.docs + names[l], sources[l]))
                    return Fail(o.docs + names[l] + ": cannot read");
            if (!MakeGuide(context, sources, doc, error))
                return Fail(error);
        }
        if (!WritePages(o, doc, o.command, error))
            return Fail(error);
        return 0;
    }
    if (o.command == "quickref")
    {
        if (o.out.empty())
            return Usage("--out is required");
        std::vector<DocLayout> layouts;
        std::string html;
        if (!LoadLayouts(o.layouts, layouts, error) || !MakeQuickReference(context, layouts, html, error))
            return Fail(error);
        if (!WriteTextFile(o.out, html))
            return Fail(o.out + ": cannot write");
        return 0;
    }
    return Usage(("unknown command " + o.command).c_str());
}
