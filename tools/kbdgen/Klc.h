// Reader of keyboard-layout sources in the layout creator's text format (.klc).
// Kept free of generator details so that the document tools can read the same sources.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace klc
{

// One cell of a key's row: what the key types in one shift state.
struct KlcChar
{
    bool defined = false; // false for "-1"
    bool dead = false;    // a trailing '@': the character starts a dead-key sequence
    char16_t ch = 0;
};

// Cap column bits, as the layout tables hold them.
constexpr uint8_t kCapLock = 0x01;
constexpr uint8_t kCapLockAltGr = 0x04;

struct KlcKey
{
    uint16_t scanCode = 0; // 0x01 to 0x7F, or 0xE0xx for keys sent with the E0 prefix
    uint8_t vk = 0;
    std::string vkName;
    uint8_t capFlags = 0;
    std::vector<KlcChar> chars; // one per entry of KlcLayout::shiftStates, in that order
    int line = 0;               // source line, for messages
};

struct KlcDeadKey
{
    char16_t accent = 0;
    std::vector<std::pair<char16_t, char16_t>> combinations; // (base, composed)
};

struct KlcKeyName
{
    uint16_t code = 0; // scan code (KEYNAME, KEYNAME_EXT) or accent character (KEYNAME_DEAD)
    std::u16string name;
};

struct KlcLocalised
{
    uint16_t langId = 0;
    std::u16string text;
};

struct KlcLayout
{
    std::string name;           // the KBD line's short name, also the library's base name
    std::u16string description; // the KBD line's quoted description
    std::u16string copyright, company, localeName, localeId, version;
    std::vector<int> shiftStates; // bit 0 Shift, bit 1 Ctrl, bit 2 Alt
    std::vector<KlcKey> keys;
    std::vector<KlcDeadKey> deadKeys;
    std::vector<KlcKeyName> keyNames, keyNamesExt, keyNamesDead;
    std::vector<KlcLocalised> descriptions, languageNames;

    // Column of a shift state, or -1 when the layout does not use it.
    int Column(int shiftState) const;
    const KlcKey* FindKey(uint16_t scanCode) const;
};

// Parses the text of a source (already decoded). On failure returns 0 and says why in error.
int ParseKlc(const std::u16string& text, KlcLayout& out, std::string& error);

// Decodes a file's bytes: UTF-16LE with its byte-order mark (the format's usual form), or UTF-8.
int DecodeKlcBytes(const std::vector<uint8_t>& bytes, std::u16string& text);

int ReadKlcFile(const std::string& path, KlcLayout& out, std::string& error);

// Virtual-key names as the format writes them ("OEM_PLUS", "A", "DECIMAL"); a "VK_" prefix is
// accepted too. Returns 0 for an unknown name.
uint8_t VirtualKeyFromName(const std::string& name);

std::string ToUtf8(const std::u16string& text);

} // namespace klc
