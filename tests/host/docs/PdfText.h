// The text of a PDF page as poppler's pdftotext reads it, plain or word by word with the boxes.
#pragma once

#include <string>
#include <vector>

struct PdfWord
{
    double xMin, yMin, xMax, yMax; // millimetres from the top left corner
    std::string text;              // UTF-8, entities decoded
};

// page is 1-based; 0 reads the whole document. Returns 0 when pdftotext fails (no such page).
int PdfPageText(const std::string& pdf, int page, std::string& text);
int PdfPageWords(const std::string& pdf, int page, std::vector<PdfWord>& words, double& widthMm,
                 double& heightMm);

// Runs of white space become one space, so that phrases broken across lines still match.
std::string Squeeze(const std::string& text);

int RunCommand(const std::string& command, std::string& output);
