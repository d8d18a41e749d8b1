// What the document tests share: the layouts in the order of the documents and the texts of
// both languages, read from the sources the build used.
#pragma once

#include "Documents.h"

#include <gtest/gtest.h>

#include <sstream>

inline std::vector<docgen::DocLayout> TestLayouts()
{
    std::vector<std::string> specs;
    std::istringstream in(OGONEK_DOC_LAYOUTS);
    std::string part;
    while (std::getline(in, part, '|'))
        specs.push_back(part);
    std::vector<docgen::DocLayout> layouts;
    std::string error;
    EXPECT_TRUE(docgen::LoadLayouts(specs, layouts, error)) << error;
    return layouts;
}

inline void LoadTestContext(docgen::DocContext& context)
{
    const char* languages[2] = {"en", "pl"};
    std::string error;
    for (int l = 0; l < 2; ++l)
    {
        ASSERT_TRUE(context.strings[l].Load(OGONEK_STRINGS_SOURCE_DIR, languages[l], error)) << error;
        ASSERT_TRUE(
            context.labels[l].Load(std::string(OGONEK_DOCS_SOURCE_DIR) + "/labels-" + languages[l] + ".txt",
                                   context.strings[l], error))
            << error;
    }
    ASSERT_TRUE(context.regular.Load(std::string(OGONEK_DOC_FONTS) + "/DejaVuSans.ttf", error)) << error;
    ASSERT_TRUE(context.bold.Load(std::string(OGONEK_DOC_FONTS) + "/DejaVuSans-Bold.ttf", error)) << error;
}

inline std::string Hex(char16_t c)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(c));
    return buf;
}
