#include "pages/PageText.h"

#include "ui/WndBase.h"

int FormatById(CWndBase& page, GString& out, uint32_t patternId, const char16_t* argument)
{
    GString pattern;
    if (!page.FetchStringInto(patternId, pattern))
    {
        out.EmptyW();
        return 0;
    }
    return out.Format(pattern.GetW(0), argument ? argument : u"");
}

int FormatByIds(CWndBase& page, GString& out, uint32_t patternId, uint32_t argumentId)
{
    GString argument;
    page.FetchStringInto(argumentId, argument);
    return FormatById(page, out, patternId, argument.GetW(0));
}
