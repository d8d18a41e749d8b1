#include "Patterns.h"

#include <algorithm>

namespace kbd
{

size_t CountOccurrences(const std::vector<uint8_t>& image, const std::vector<uint8_t>& pattern, size_t& first)
{
    size_t count = 0;
    first = image.size();
    if (pattern.empty())
        return 0;
    auto it = image.begin();
    while ((it = std::search(it, image.end(), pattern.begin(), pattern.end())) != image.end())
    {
        if (count++ == 0)
            first = static_cast<size_t>(it - image.begin());
        ++it;
    }
    return count;
}

int CheckPattern(const std::vector<PatternTarget>& targets, const std::vector<uint8_t>& pattern,
                 std::string& error)
{
    for (size_t i = 0; i < targets.size(); ++i)
    {
        size_t first;
        size_t n = CountOccurrences(*targets[i].image, pattern, first);
        if (n != 1)
        {
            error = "pattern occurs " + std::to_string(n) + " times in build " + std::to_string(i);
            return 0;
        }
        if (first != targets[i].site)
        {
            error = "pattern found away from its site in build " + std::to_string(i);
            return 0;
        }
    }
    return 1;
}

int ChoosePattern(const std::vector<PatternTarget>& targets, size_t minLength, std::vector<uint8_t>& pattern,
                  std::string& error)
{
    if (targets.empty())
    {
        error = "no builds";
        return 0;
    }
    const std::vector<uint8_t>& ref = *targets[0].image;
    size_t common = ref.size() - targets[0].site;
    for (const PatternTarget& t : targets)
    {
        const std::vector<uint8_t>& img = *t.image;
        size_t n = 0;
        while (n < common && t.site + n < img.size() && img[t.site + n] == ref[targets[0].site + n])
            ++n;
        common = n;
    }
    for (size_t len = minLength; len <= common; ++len)
    {
        std::vector<uint8_t> p(ref.begin() + static_cast<long>(targets[0].site),
                               ref.begin() + static_cast<long>(targets[0].site + len));
        std::string why;
        if (CheckPattern(targets, p, why))
        {
            pattern = std::move(p);
            return 1;
        }
    }
    error = "no run of bytes at the site is the same in all builds and unique in each";
    return 0;
}

std::string HexUpper(const std::vector<uint8_t>& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (uint8_t b : bytes)
    {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

} // namespace kbd
