#pragma once

#include <cstdint>

// A decoded string table: an index of (string id, offset) pairs sorted by id, then the text area
// of counted text blocks that the offsets point into. The entry count is not part of the content;
// it travels in the item header's Extra word.
//
// Every text the program shows or passes to Windows is reached through one of these, by id.
class StringTable
{
  public:
    StringTable() = default;
    ~StringTable();
    StringTable(const StringTable&) = delete;
    StringTable& operator=(const StringTable&) = delete;

    // Takes ownership of a malloc'ed buffer (as CGuard::DecodeItem returns it). A null buffer or a
    // count of 0 is refused and the table keeps what it held.
    int Attach(unsigned char* buffer, uint32_t count);
    // Frees the buffer; harmless on an empty table.
    void Release();
    // The counted text block of the id, or null.
    const unsigned char* Find(uint32_t id) const;

    uint32_t Count = 0;
    unsigned char* Buffer = nullptr;
    const unsigned char* IndexStart = nullptr;
    const unsigned char* TextArea = nullptr;
};

// Counted text blocks: a 32-bit little-endian header, bit 31 set for UTF-8 (bits 0-28 the byte
// count), clear for UTF-16LE (bits 0-28 the unit count). Bits 29 and 30 carry nothing.
constexpr uint32_t kCountedUtf8Flag = 0x80000000u;
constexpr uint32_t kCountedLengthMask = 0x1FFFFFFFu;

uint32_t ReadLe32(const unsigned char* p);

// Checks that a decoded table of `length` bytes with `count` entries is well formed: the index
// fits, ids ascend strictly as unsigned numbers, and every block with its text lies inside the
// buffer. The program's own tables are built this way; the check exists for the tools and tests
// that produce and inspect them.
int CheckStringTable(const unsigned char* buffer, uint32_t length, uint32_t count);

// The byte pattern of a PatternString: pairs of upper-case hexadecimal digits ("0A1B" gives 0A 1B);
// a trailing odd digit is ignored. Returns a malloc'ed buffer of (length / 2 rounded down to even)
// + 2 bytes that the caller frees, and stores the byte count (length / 2). Returns null for an
// empty text or any character outside "0123456789ABCDEF" (lower case included); *count is then
// left as it was.
unsigned char* ParseHexPattern(const char* text, int length, int* count);

// Drops a UTF-8 byte order mark (EF BB BF) from the front of a decoded text item. Only content
// longer than two bytes is examined, so the two bytes EF BB stay as they are. Returns the start of
// the text and adjusts *length.
const unsigned char* StripUtf8Bom(const unsigned char* content, uint32_t* length);
