// The page templates as compiled into the program: read back from the resource and compared, control by
// control, with the layout the pages are written for.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{
struct Control
{
    int Id;
    std::u16string Class; // "Button", "Edit", "Static", "ComboBox"
    DWORD Style;
    DWORD ExStyle;
    short X, Y, Cx, Cy;
    std::u16string Text;
};

struct Dialog
{
    DWORD Style = 0;
    DWORD ExStyle = 0;
    short X = 0, Y = 0, Cx = 0, Cy = 0;
    bool HasMenu = false, HasClass = false;
    std::u16string Title;
    WORD PointSize = 0, Weight = 0;
    BYTE Italic = 0, Charset = 0;
    std::u16string Face;
    std::vector<Control> Controls;
};

class Reader
{
  public:
    Reader(const BYTE* data, size_t size) : Data(data), End(data + size) {}
    template <class T> T Get()
    {
        T value{};
        if (Data + sizeof(T) <= End)
            memcpy(&value, Data, sizeof(T));
        Data += sizeof(T);
        return value;
    }
    // A string or an ordinal; ordinals of the predefined classes come back as their names.
    std::u16string NameOrOrdinal(bool* present = nullptr)
    {
        WORD first = Get<WORD>();
        if (present)
            *present = first != 0;
        if (first == 0)
            return u"";
        if (first == 0xFFFF)
        {
            WORD ordinal = Get<WORD>();
            switch (ordinal)
            {
                case 0x80:
                    return u"Button";
                case 0x81:
                    return u"Edit";
                case 0x82:
                    return u"Static";
                case 0x85:
                    return u"ComboBox";
                default:
                    return u"#" + std::u16string(1, static_cast<char16_t>(u'0' + ordinal % 10));
            }
        }
        std::u16string text(1, static_cast<char16_t>(first));
        for (WORD c; (c = Get<WORD>()) != 0 && Data < End;)
            text += static_cast<char16_t>(c);
        return text;
    }
    std::u16string String()
    {
        std::u16string text;
        for (WORD c; Data < End && (c = Get<WORD>()) != 0;)
            text += static_cast<char16_t>(c);
        return text;
    }
    void AlignDword(const BYTE* base) { Data = base + ((Data - base + 3) & ~3); }
    const BYTE* Data;
    const BYTE* End;
};

bool Load(int id, Dialog* dialog)
{
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), reinterpret_cast<LPCWSTR>(RT_DIALOG));
    if (!found)
        return false;
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
    Reader r(data, SizeofResource(nullptr, found));
    if (r.Get<WORD>() != 1 || r.Get<WORD>() != 0xFFFF)
        return false; // not a DIALOGEX
    r.Get<DWORD>();
    dialog->ExStyle = r.Get<DWORD>();
    dialog->Style = r.Get<DWORD>();
    WORD count = r.Get<WORD>();
    dialog->X = r.Get<short>();
    dialog->Y = r.Get<short>();
    dialog->Cx = r.Get<short>();
    dialog->Cy = r.Get<short>();
    r.NameOrOrdinal(&dialog->HasMenu);
    r.NameOrOrdinal(&dialog->HasClass);
    dialog->Title = r.String();
    if (dialog->Style & DS_SETFONT)
    {
        dialog->PointSize = r.Get<WORD>();
        dialog->Weight = r.Get<WORD>();
        dialog->Italic = r.Get<BYTE>();
        dialog->Charset = r.Get<BYTE>();
        dialog->Face = r.String();
    }
    for (WORD i = 0; i < count; ++i)
    {
        r.AlignDword(data);
        Control c;
        r.Get<DWORD>();
        c.ExStyle = r.Get<DWORD>();
        c.Style = r.Get<DWORD>();
        c.X = r.Get<short>();
        c.Y = r.Get<short>();
        c.Cx = r.Get<short>();
        c.Cy = r.Get<short>();
        c.Id = static_cast<int>(r.Get<DWORD>());
        c.Class = r.NameOrOrdinal();
        c.Text = r.NameOrOrdinal();
        WORD extra = r.Get<WORD>();
        r.Data += extra;
        dialog->Controls.push_back(c);
    }
    return true;
}

constexpr DWORD V = WS_CHILD | WS_VISIBLE;
constexpr DWORD H = WS_CHILD; // not visible
constexpr DWORD Push = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD DefPush = BS_DEFPUSHBUTTON | WS_TABSTOP;
constexpr DWORD Line = SS_ETCHEDHORZ;
constexpr DWORD List = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
constexpr DWORD Box = BS_AUTOCHECKBOX | WS_TABSTOP;

Control C(int id, const char16_t* cls, DWORD style, short x, short y, short cx, short cy, DWORD ex = 0,
          const char16_t* text = u"")
{
    return {id, cls, style, ex, x, y, cx, cy, text};
}

std::vector<Control> KeyRows(int checkBase, int listBase, int tallRow)
{
    std::vector<Control> rows;
    for (short k = 1; k <= 20; ++k)
    {
        short y = static_cast<short>(k <= 10 ? 5 + 14 * (k - 1) : 5 + 14 * (k - 11));
        short checkX = k <= 10 ? 2 : 160, listX = k <= 10 ? 76 : 234;
        rows.push_back(C(checkBase + k, u"Button", V | BS_AUTOCHECKBOX | BS_LEFTTEXT | WS_TABSTOP, checkX, y,
                         72, 12, WS_EX_RIGHT));
        rows.push_back(
            C(listBase + k, u"ComboBox", V | WS_DISABLED | List, listX, y, 80, k == tallRow ? 156 : 160));
    }
    return rows;
}

struct Expected
{
    int Id;
    DWORD Style;
    WORD Weight;
    BYTE Charset;
    std::vector<Control> Controls;
};

std::vector<Expected> Templates()
{
    constexpr DWORD Page = WS_CHILD | DS_SETFONT | DS_CENTER;
    std::vector<Expected> all;
    all.push_back(
        {200,
         WS_CHILD | DS_SETFONT | DS_3DLOOK,
         0,
         0,
         {C(-1, u"Static", V | Line, 0, 0, 318, 1), C(308, u"Static", V, 8, 4, 302, 10),
          C(309, u"Static", V, 8, 18, 302, 107), C(307, u"Static", V | WS_GROUP, 8, 128, 222, 18),
          C(2002, u"ComboBox", V | List, 230, 131, 80, 160), C(-1, u"Static", V | Line, 0, 147, 318, 1),
          C(300, u"Button", V | Push, 8, 152, 50, 16), C(315, u"Button", V | Push, 83, 152, 50, 16),
          C(2003, u"Button", H | WS_DISABLED | Push, 142, 152, 50, 16),
          C(2, u"Button", V | DefPush, 201, 152, 109, 16), C(1, u"Button", V | Push, 260, 152, 50, 16)}});
    all.push_back({201,
                   Page,
                   0,
                   1,
                   {C(-1, u"Static", V | Line, 0, 0, 318, 1), C(311, u"Static", V, 8, 4, 302, 16),
                    C(-1, u"Static", V | Line, 0, 147, 318, 1),
                    C(306, u"Edit", V | ES_MULTILINE | ES_READONLY | WS_VSCROLL | WS_TABSTOP, 8, 24, 302, 120,
                      WS_EX_STATICEDGE),
                    C(300, u"Button", V | Push, 8, 152, 50, 16), C(305, u"Button", V | Box, 83, 152, 114, 16),
                    C(301, u"Button", V | Push, 201, 152, 50, 16),
                    C(1, u"Button", V | WS_DISABLED | DefPush, 260, 152, 50, 16)}});
    all.push_back(
        {202,
         Page,
         0,
         0,
         {C(-1, u"Static", V | Line, 0, 0, 318, 1), C(313, u"Static", V, 8, 4, 302, 10, 0, u"Lang"),
          C(1202, u"ComboBox", V | List | CBS_SORT, 8, 16, 302, 144),
          C(1200, u"Button", V | Box, 14, 32, 294, 12), C(1205, u"Button", V | Box, 14, 48, 294, 12),
          C(1212, u"Button", V | Box | WS_GROUP, 14, 64, 294, 12),
          C(1213, u"Button", V | Box | BS_LEFTTEXT | BS_RIGHT | WS_GROUP, 14, 80, 294, 12),
          C(314, u"Static", V | SS_RIGHT | SS_CENTERIMAGE, 8, 98, 196, 12),
          C(1214, u"ComboBox", V | List, 206, 98, 104, 101),
          C(316, u"Static", V | SS_RIGHT | SS_CENTERIMAGE, 8, 114, 196, 12),
          C(1215, u"ComboBox", V | List, 206, 114, 104, 101),
          C(317, u"Static", V | SS_RIGHT | SS_CENTERIMAGE, 8, 130, 302, 12),
          C(-1, u"Static", V | Line, 0, 147, 318, 1), C(300, u"Button", V | Push, 8, 152, 50, 16),
          C(303, u"Button", V | Push, 142, 152, 50, 16), C(301, u"Button", V | Push, 201, 152, 50, 16),
          C(206, u"Button", V | DefPush, 260, 152, 50, 16), C(304, u"Button", V | Push, 83, 152, 50, 16)}});
    all.push_back(
        {203,
         Page,
         0,
         0,
         {C(-1, u"Static", V | Line, 0, 0, 318, 1), C(1209, u"Static", V, 8, 4, 302, 60),
          C(-1, u"Static", V | Line, 0, 66, 302, 1), C(1204, u"Static", V, 8, 70, 302, 40),
          C(-1, u"Static", V | Line, 0, 147, 318, 1), C(1213, u"Button", V | DefPush, 114, 152, 90, 16),
          C(1211, u"Button", H | WS_DISABLED | Box, 14, 114, 296, 12)}});
    Expected keys1{204, Page, 400, 238, {C(-1, u"Static", V | Line, 0, 0, 318, 1)}};
    for (auto& row : KeyRows(1300, 1400, 0))
        keys1.Controls.push_back(row);
    for (auto& c : {C(-1, u"Static", V | Line, 0, 147, 318, 1), C(300, u"Button", V | Push, 8, 152, 50, 16),
                    C(304, u"Button", V | Push, 83, 152, 50, 16),
                    C(303, u"Static", V | SS_CENTER | SS_CENTERIMAGE | SS_SUNKEN, 142, 152, 50, 16),
                    C(301, u"Button", V | DefPush, 201, 152, 50, 16)})
        keys1.Controls.push_back(c);
    all.push_back(keys1);
    Expected keys2{205, Page, 0, 1, {C(-1, u"Static", V | Line, 0, 0, 318, 1)}};
    for (auto& row : KeyRows(1500, 1600, 10))
        keys2.Controls.push_back(row);
    for (auto& c :
         {C(-1, u"Static", V | Line, 0, 147, 318, 1), C(300, u"Button", V | Push, 8, 152, 50, 16),
          C(304, u"Static", V | SS_CENTER | SS_CENTERIMAGE | SS_SUNKEN, 83, 152, 50, 16),
          C(303, u"Button", V | Push, 142, 152, 50, 16), C(301, u"Button", V | DefPush, 201, 152, 50, 16)})
        keys2.Controls.push_back(c);
    all.push_back(keys2);
    return all;
}

std::string Narrow(const std::u16string& s)
{
    return std::string(s.begin(), s.end());
}
// Class names compare as Windows compares them.
std::string Upper(const std::u16string& s)
{
    std::string out = Narrow(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}
} // namespace

TEST(PageTemplates, AreCompiledAsTheirLayoutSays)
{
    for (const Expected& e : Templates())
    {
        SCOPED_TRACE(e.Id);
        Dialog d;
        ASSERT_TRUE(Load(e.Id, &d));
        EXPECT_EQ(d.Style, e.Style);
        EXPECT_EQ(d.ExStyle, 0u);
        EXPECT_EQ(d.X, 0);
        EXPECT_EQ(d.Y, 0);
        EXPECT_EQ(d.Cx, 318);
        EXPECT_EQ(d.Cy, 172);
        EXPECT_FALSE(d.HasMenu);
        EXPECT_FALSE(d.HasClass);
        EXPECT_EQ(d.Title, u"");
        EXPECT_EQ(d.Face, u"Arial");
        EXPECT_EQ(d.PointSize, 11);
        EXPECT_EQ(d.Weight, e.Weight);
        EXPECT_EQ(d.Italic, 0);
        EXPECT_EQ(d.Charset, e.Charset);
        ASSERT_EQ(d.Controls.size(), e.Controls.size());
        for (size_t i = 0; i < e.Controls.size(); ++i)
        {
            const Control& want = e.Controls[i];
            const Control& got = d.Controls[i];
            SCOPED_TRACE(testing::Message() << "control " << want.Id << " at " << i);
            EXPECT_EQ(static_cast<short>(got.Id), want.Id);
            EXPECT_EQ(Upper(got.Class), Upper(want.Class));
            EXPECT_EQ(got.Style, want.Style) << std::hex << (got.Style ^ want.Style);
            EXPECT_EQ(got.ExStyle, want.ExStyle);
            EXPECT_EQ(got.X, want.X);
            EXPECT_EQ(got.Y, want.Y);
            EXPECT_EQ(got.Cx, want.Cx);
            EXPECT_EQ(got.Cy, want.Cy);
            EXPECT_EQ(Narrow(got.Text), Narrow(want.Text));
        }
    }
}
