// Texts the pages build from a pattern of the string tables and one text argument.
#pragma once

#include <cstdint>

#include "text/GString.h"

class CWndBase;

// out = the pattern of patternId with its one %s replaced by argument. 0 when the pattern is missing.
int FormatById(CWndBase& page, GString& out, uint32_t patternId, const char16_t* argument);
// The same with the text of argumentId as the argument.
int FormatByIds(CWndBase& page, GString& out, uint32_t patternId, uint32_t argumentId);
