// The layouts as the documents see them: a parsed .klc source with its place in the product
// (build set and variant), and the characters each key types in the four states a chart shows.
#pragma once

#include "Klc.h"

#include <string>
#include <vector>

namespace docgen
{

struct DocLayout
{
    int set = 0;            // 0 first build set, 1 extended
    int variant = 0;        // 0 Programmer, 1 Typist, 2 Dvorak
    std::string sourceName; // file name of the source, for the footers
    klc::KlcLayout klc;
};

// The four shift states of a chart: alone, Shift, AltGr (Ctrl+Alt), AltGr+Shift. The Ctrl state
// only holds control characters, which nobody types from a chart.
enum ChartState
{
    kBase = 0,
    kShift = 1,
    kAltGr = 2,
    kAltGrShift = 3,
    kChartStates = 4
};

struct KeyChars
{
    klc::KlcChar state[kChartStates];
};

KeyChars CharsOf(const klc::KlcLayout& layout, const klc::KlcKey& key);

// Reads "--layout <set> <variant> <file>" arguments' files and sorts them by variant, then set,
// so that each variant's two sets are next to each other in the documents.
int LoadLayouts(const std::vector<std::string>& specs, std::vector<DocLayout>& out, std::string& error);

// What a reader sees for a character that has no visible glyph (no-break space and the like):
// a short name, or an empty text when the character is visible as it stands.
std::string InvisibleName(char16_t c);

// What the character shows as: itself, or its InvisibleName.
std::string Shown(char16_t c);

// Every character a chart page of the layout must show: the four states of every key, each
// dead key's accent and the letters it combines with and makes. The space itself is left out:
// it is the space bar.
std::vector<char16_t> ChartCharacters(const klc::KlcLayout& layout);

// How a key is named for a reader: its base character, upper-cased when it is a letter, or
// spaceName for the space bar.
std::string KeyCap(const klc::KlcLayout& layout, const klc::KlcKey& key, const std::string& spaceName);

// The first key and chart state that type the character (as a dead key when dead is set).
struct CharPlace
{
    const klc::KlcKey* key = nullptr;
    int state = -1;
};
CharPlace FindChar(const klc::KlcLayout& layout, char16_t c, bool dead);

} // namespace docgen
