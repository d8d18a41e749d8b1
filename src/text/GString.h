// GString: the program's one string type.
//
// A string holds either 8-bit text, which is always UTF-8, or UTF-16 text in char16_t units (what every
// Windows call takes).  It owns one growable heap block and, once a conversion or a mixed-width
// operation needed it, a second GString used as scratch (the work string).
//
// Results follow the rest of the program: 1 for success and 0 for failure (or null for the pointer
// results).  A length argument below 0 means "up to the terminator"; a length of 0 or a null text means
// there is nothing to do, which succeeds.  Positions and lengths count characters of the width in
// question: bytes for 8-bit text, UTF-16 units for wide text.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

class GString
{
public:
    GString();
    // A wide string of count copies of ch; count <= 0 gives an empty wide string.
    GString(char16_t ch, int count);
    virtual ~GString();

    GString(const GString&) = delete;
    GString& operator=(const GString&) = delete;

    // --- state ---------------------------------------------------------------------------------------
    int GetLength() const { return Length; }
    int IsWide() const { return Wide; }
    void Empty();
    void EmptyW();
    void EmptyA();
    void Terminate();
    // Never null: the shared empty texts stand in for an empty string, the wrong width or pos < 0.
    const char* GetA(int pos = 0) const;
    const char16_t* GetW(int pos = 0) const;
    int Reserve(int count);
    int Grow(int count);
    int Compact();
    int SetLength(int len);
    int DropLeft(int count);

    // --- appending ---------------------------------------------------------------------------------
    int AppendA(const char* text, int len = -1);
    int AppendW(const char16_t* text, int len = -1);
    int Append(const char16_t* text, int len = -1);
    int AppendUtf8(const char* text, int len = -1);
    void AppendString(const GString& other);
    int AppendCharA(char ch, int count = 1);
    int AppendCharW(char16_t ch, int count = 1);
    int AppendNewLine();

    // --- assigning (the block stays) ---------------------------------------------------------------
    int AssignA(const char* text, int len = -1);
    int AssignW(const char16_t* text, int len = -1);
    void Assign(const GString& other);
    int AssignWide(const GString* other);
    int AssignNarrow(const GString* other);
    // Takes a counted text block: a little-endian header (bit 31 set: UTF-8, clear: UTF-16LE; bits 0-28
    // the length in characters) followed by the text.
    int AssignCounted(const void* block);

    // --- conversions and buffers -------------------------------------------------------------------
    const char16_t* ToWide();
    const char* ToNarrow();
    char16_t* GetBufferW(int count);
    char* GetBufferA(int count);

    // Room for characters from Start to the end of the block, one kept for the terminator.
    int Room() const;
    int FreeRoom() const;

    // The fields are laid out as the rest of the program (and its tests) expect to read them.
    unsigned char* Block = nullptr; // 4-byte header, then the text area
    int Length = 0;                 // characters in the text
    int Start = 0;                  // characters dropped from the front of the text area
    int BlockSize = 0;              // bytes in Block, a multiple of Granule
    int Granule = 64;
    int Wide = 0;
    int LineWidth = 80; // characters per line of debug output
    GString* Work = nullptr;

    static const char EmptyTextA[1];
    static const char16_t EmptyTextW[1];

    // Search, comparison, case mapping, path joining and debug output (GStringSearch.cpp; the free
    // functions FindBytes and ToUpperChar are in GStringSearch.h and CaseMap.h).
    // An argument of the other width is first converted into the work string; positions and lengths
    // are then in characters of this string's width.  Searches give an index or -1.
    int FindW(const char16_t* text, int start = 0, int len = -1);
    int FindA(const char* text, int start = 0, int len = -1);
    int Find(const GString& other, int start = 0);
    int ReverseFind(char16_t ch, int start = 0);
    // Shorter texts sort first, whatever their characters; same lengths compare unit by unit.
    int CompareW(const char16_t* text, int len = -1);
    int CompareA(const char* text, int len = -1);
    int Equals(const GString& other);
    int EnsureSuffixW(const char16_t* text, int len = -1);
    int EnsureSuffixA(const char* text, int len = -1);
    int AppendPathW(const char16_t* component, int len = -1);
    int AppendPathA(const char* component, int len = -1);
    GString& AppendPath(const GString& other);
    int MakeUpper();
    void DebugOutput(int maxChars);

    // Formatting (Format.cpp, FormatText.cpp, FormatReal.cpp): printf-like directives.
    int Format(const char16_t* pattern, ...);
    int AppendFormatV(const char16_t* pattern, va_list args);

protected:
    int UnitSize() const { return Wide ? 2 : 1; }
    unsigned char* TextAt(int pos) const { return Block + 4 + (Start + pos) * UnitSize(); }
    // Readies the work string: created on first use, then emptied; null when it cannot be made.
    GString* PrepareWork();
    int AppendUtf16AsUtf8(const char16_t* text, int len);
    int AppendUtf8AsUtf16(const unsigned char* text, int len);
    void SwapStorage(GString& other);
    // An argument brought to this string's width: the text itself when the widths match, else its
    // conversion in the work string (*outLen its length there). Null when the conversion fails.
    const void* InOwnWidth(const char16_t* text, int len, int* outLen);
    const void* InOwnWidth(const char* text, int len, int* outLen);
    // Byte offset of text within this string's visible text, or -1 when it lies elsewhere.
    ptrdiff_t OwnOffset(const void* text) const;
};

// Length of a terminated UTF-16 text.
int Utf16Length(const char16_t* text);
