// The byte patterns by which the installer finds its patch sites in every build.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kbd
{

struct PatternTarget
{
    const std::vector<uint8_t>* image;
    size_t site; // file offset where the pattern must start
};

// The shortest run of bytes, at least minLength long, that starts at every target's site, is
// the same in all of them and occurs exactly once in each. Returns 0 when there is none.
int ChoosePattern(const std::vector<PatternTarget>& targets, size_t minLength, std::vector<uint8_t>& pattern,
                  std::string& error);

// 1 when the pattern occurs exactly once in every target and starts at its site.
int CheckPattern(const std::vector<PatternTarget>& targets, const std::vector<uint8_t>& pattern,
                 std::string& error);

size_t CountOccurrences(const std::vector<uint8_t>& image, const std::vector<uint8_t>& pattern,
                        size_t& first);

std::string HexUpper(const std::vector<uint8_t>& bytes);

} // namespace kbd
