#include "TextFlow.h"

#include "Utf.h"

#include <cctype>

namespace docgen
{

std::vector<TextRun> ParseEmphasis(const std::string& text)
{
    std::vector<TextRun> out;
    bool bold = false;
    size_t i = 0;
    while (i <= text.size())
    {
        size_t at = text.find("**", i);
        size_t end = at == std::string::npos ? text.size() : at;
        if (end > i)
            out.push_back(TextRun{text.substr(i, end - i), bold});
        if (at == std::string::npos)
            break;
        bold = !bold;
        i = at + 2;
    }
    return out;
}

double RunsWidth(const std::vector<TextRun>& runs, double size, const Fonts& fonts)
{
    double w = 0;
    for (const TextRun& r : runs)
        w += fonts.Of(r.bold).Width(r.text, size);
    return w;
}

std::vector<std::vector<TextRun>> WrapRuns(const std::vector<TextRun>& runs, double width, double size,
                                           const Fonts& fonts)
{
    // Words keep their style; a word may itself be made of pieces of both styles ("**Ogonek**,").
    struct Word
    {
        std::vector<TextRun> pieces;
    };
    std::vector<Word> words;
    bool startWord = true;
    for (const TextRun& run : runs)
    {
        size_t i = 0;
        while (i < run.text.size())
        {
            if (run.text[i] == ' ')
            {
                startWord = true;
                ++i;
                continue;
            }
            size_t end = run.text.find(' ', i);
            if (end == std::string::npos)
                end = run.text.size();
            if (startWord || words.empty())
                words.push_back(Word{});
            std::vector<TextRun>& pieces = words.back().pieces;
            if (!pieces.empty() && pieces.back().bold == run.bold)
                pieces.back().text += run.text.substr(i, end - i);
            else
                pieces.push_back(TextRun{run.text.substr(i, end - i), run.bold});
            startWord = false;
            i = end;
        }
    }

    // A word of punctuation only ("Next >", "a – b") stays on the line of the word before it, and
    // an opening one ("< Back", "„ x") with the word after it, so no line starts or ends with it.
    // A word of punctuation only ("Next >", "a – b") stays on the line of the word before it, and
    // an opening one ("< Back") with the word after it, so that no line starts or ends with it.
    auto letterless = [](const Word& w)
    {
        for (const TextRun& p : w.pieces)
            for (char32_t c : DecodeUtf8(p.text))
            {
                bool punctuation = (c < 0x80 && !std::isalnum(static_cast<int>(c))) ||
                                   (c >= 0xA0 && c <= 0xBF) || c == 0xD7 || c == 0xF7 ||
                                   (c >= 0x2000 && c <= 0x206F);
                if (!punctuation)
                    return false;
            }
        return true;
    };
    auto opening = [](const Word& w)
    {
        const std::string& t = w.pieces.back().text;
        return t == "<" || t == "(" || t == "[" || t == "„" || t == "«";
    };
    auto join = [](Word& into, const Word& from)
    {
        into.pieces.push_back(TextRun{" ", into.pieces.back().bold});
        into.pieces.insert(into.pieces.end(), from.pieces.begin(), from.pieces.end());
    };
    std::vector<Word> units;
    for (size_t i = 0; i < words.size(); ++i)
    {
        Word w = words[i];
        if (letterless(w) && opening(w) && i + 1 < words.size())
            join(w, words[++i]);
        else if (letterless(w) && !units.empty())
        {
            join(units.back(), w);
            continue;
        }
        units.push_back(std::move(w));
    }

    std::vector<std::vector<TextRun>> lines;
    std::vector<TextRun> line;
    double lineWidth = 0;
    auto append = [](std::vector<TextRun>& to, const TextRun& piece)
    {
        if (!to.empty() && to.back().bold == piece.bold)
            to.back().text += piece.text;
        else
            to.push_back(piece);
    };
    for (const Word& word : units)
    {
        double w = RunsWidth(word.pieces, size, fonts);
        if (!line.empty())
        {
            bool spaceBold = line.back().bold;
            double space = fonts.Of(spaceBold).Width(std::string_view(" "), size);
            if (lineWidth + space + w <= width)
            {
                append(line, TextRun{" ", spaceBold});
                for (const TextRun& p : word.pieces)
                    append(line, p);
                lineWidth += space + w;
                continue;
            }
            lines.push_back(std::move(line));
            line.clear();
        }
        for (const TextRun& p : word.pieces)
            append(line, p);
        lineWidth = w;
    }
    if (!line.empty())
        lines.push_back(std::move(line));
    return lines;
}

} // namespace docgen
