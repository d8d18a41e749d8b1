#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Turns the string table sources people edit (content/strings/*.txt) into the decoded table
// format the program reads: an index of (id, offset) pairs sorted by unsigned id, then one counted
// text block per entry.
//
// Source format, one entry a line, UTF-8:
//   <decimal id> <text to the end of the line>
//   <decimal id>? <text>     a provisional text that a later source of the same table may replace
//   # comment                (blank lines are ignored too)
// Escapes in the text: \\ \n \r \t, \s for a space (trailing spaces are refused, because editors
// drop them silently), \xHH and \uXXXX for any character up to U+FFFF. A text may be empty: the id
// alone, or the id and one space.
class StrtabCompiler
{
  public:
    struct Entry
    {
        std::u16string Text;
        bool Placeholder = false;
        std::string File;
        int Line = 0;
    };

    // Adds the entries of one source. On the first fault returns 0 with "file:line: message" in
    // *error; entries added before the fault stay.
    int AddSource(const std::string& fileName, const std::string& content, std::string* error);

    // Encodes the table: each text as UTF-8 or UTF-16LE, whichever is smaller (UTF-8 on a tie),
    // each block aligned to 4 bytes, identical blocks stored once.
    void Build(std::vector<unsigned char>* table, uint32_t* count) const;

    size_t PlaceholderCount() const;
    const std::map<uint32_t, Entry>& Entries() const { return Entries_; }

  private:
    int AddLine(const std::string& fileName, int lineNumber, const std::string& line, std::string* error);

    std::map<uint32_t, Entry> Entries_;
};

// Decodes strict UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF) into code points.
int DecodeUtf8(const std::string& bytes, std::u32string* out);

// The counted text block of a text as the table stores it, before alignment padding.
std::vector<unsigned char> EncodeCountedText(const std::u16string& text);

// A text item as the program shows it (the licences): strict UTF-8 up to U+FFFF, every line ending
// made CR LF for the multi-line edit control, a byte order mark dropped, no other control
// characters than tabs. On a fault returns 0 with "file:line: message" in *error.
int PrepareTextItem(const std::string& fileName, const std::string& content, std::string* out,
                    std::string* error);

// File helpers for the command line tool and the build's tests.
int ReadWholeFile(const std::string& path, std::string* content);
int WriteWholeFile(const std::string& path, const void* bytes, size_t length);

// A C++ source that carries the table as three constants: <symbol>[] bytes, <symbol>Length and
// <symbol>Count. The tests link these instead of reading files at run time.
std::string TableAsCppSource(const std::string& symbol, const std::vector<unsigned char>& table,
                             uint32_t count);
