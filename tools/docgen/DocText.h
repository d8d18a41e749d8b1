// The texts the documents are made of: the program's own string tables (so that the guide quotes
// the captions the user sees), the document labels of content/docs, and the expansion of
// "{tN}" references between them.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace docgen
{

// One string-table source of content/strings: "<id> <text>" lines, "#" comments, the escapes
// \\ \n \r \t \s \xHH \uXXXX, and "<id>? <text>" for a text that a later source may replace.
int ParseStringSource(const std::string& text, std::map<uint32_t, std::string>& out, std::string& error);

class StringSource
{
  public:
    // language is the file name's stem: "en" or "pl". Looks a text up in the language table
    // first, then in the common and the supplementary table, as the program does.
    int Load(const std::string& dir, const std::string& language, std::string& error);
    const std::string* Find(uint32_t id) const;
    const std::string& Language() const { return language_; }

  private:
    std::string language_;
    std::map<uint32_t, std::string> own_, common_, extra_;
};

// Expands every "{tN}" into the text of string N, and "{tN tA tB}" into the text of N whose
// "%s" directives take the texts of A, B, ... in order; a final word "label" ("{t110 label}")
// drops the text's trailing colon, for a caption quoted inside a sentence. Line breaks inside a text become
// spaces (the documents flow their own paragraphs). Fails on an unknown id or a malformed reference.
int ExpandTexts(const std::string& in, const StringSource& strings, std::string& out, std::string& error);

// Named labels of one language (content/docs/labels-<language>.txt): "<name> <text>" lines,
// "#" comments; the texts may use "{tN}" references.
class Labels
{
  public:
    int Load(const std::string& path, const StringSource& strings, std::string& error);
    // An unknown name is a mistake in the generator or the labels file: reported once in
    // Missing() and answered with the name itself so that it shows in the output.
    const std::string& Get(const std::string& name) const;
    const std::string& Missing() const { return missing_; }

  private:
    std::map<std::string, std::string> labels_;
    mutable std::map<std::string, std::string> unknown_;
    mutable std::string missing_;
};

// Replaces every "{key}" of text by value.
std::string Replace(std::string text, const std::string& key, const std::string& value);

int ReadTextFile(const std::string& path, std::string& out);
int WriteTextFile(const std::string& path, const std::string& text);

} // namespace docgen
