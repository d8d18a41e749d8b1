// Every text the pages show fits its control at the template sizes, in both interface languages:
// measured with each control's own font against its client area.
#include "WizardFixture.h"

#include <sstream>

namespace
{
std::string Narrow(const std::u16string& text)
{
    std::string out;
    for (char16_t c : text)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

class Measure
{
  public:
    explicit Measure(HWND control) : Control(control), Dc(GetDC(control))
    {
        HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
        Previous = SelectObject(Dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    }
    ~Measure()
    {
        SelectObject(Dc, Previous);
        ReleaseDC(Control, Dc);
    }
    SIZE Line(const std::u16string& text)
    {
        SIZE size = {};
        GetTextExtentPoint32W(Dc, reinterpret_cast<const wchar_t*>(text.c_str()),
                              static_cast<int>(text.size()), &size);
        return size;
    }
    int WrappedHeight(const std::u16string& text, int width)
    {
        RECT rect = {0, 0, width, 0};
        DrawTextW(Dc, reinterpret_cast<const wchar_t*>(text.c_str()), static_cast<int>(text.size()), &rect,
                  DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
        return rect.bottom - rect.top;
    }

  private:
    HWND Control;
    HDC Dc;
    HGDIOBJ Previous;
};

std::u16string ClassOf(HWND window)
{
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    return reinterpret_cast<char16_t*>(name);
}
} // namespace

class TextFit : public WizardFixture
{
  public:
    // Looks at every visible control of the page shown; returns the misfits, one a line.
    std::string Misfits(const char* where)
    {
        std::ostringstream out;
        for (HWND child = GetWindow(Page(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        {
            LONG style = GetWindowLongW(child, GWL_STYLE);
            if (!(style & WS_VISIBLE))
                continue;
            RECT client;
            GetClientRect(child, &client);
            int width = client.right, height = client.bottom;
            std::u16string cls = ClassOf(child);
            std::u16string text = WindowText(child);
            int id = GetDlgCtrlID(child);
            Measure measure(child);
            auto report = [&](const std::u16string& what, int need, int have)
            {
                out << where << ": control " << id << " needs " << need << " has " << have << ": \""
                    << Narrow(what) << "\"\n";
            };
            if (cls == u"Static" && !text.empty())
            {
                SIZE line = measure.Line(text);
                bool single = (style & SS_CENTERIMAGE) || height < 2 * line.cy;
                if (single && text.find(u'\n') == std::u16string::npos)
                {
                    if (line.cx > width)
                        report(text, line.cx, width);
                }
                else if (int needed = measure.WrappedHeight(text, width); needed > height)
                    report(text, needed, height);
            }
            else if (cls == u"Button" && !text.empty())
            {
                LONG type = style & BS_TYPEMASK;
                int room = width - 8; // the button's edges and focus rectangle
                if (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX)
                    room = width - GetSystemMetrics(SM_CXMENUCHECK) - 6;
                SIZE line = measure.Line(text);
                if (line.cx > room)
                    report(text, line.cx, room);
            }
            else if (cls == u"ComboBox")
            {
                int room = width - GetSystemMetrics(SM_CXVSCROLL) - 6;
                int count = static_cast<int>(SendMessageW(child, CB_GETCOUNT, 0, 0));
                for (int i = 0; i < count; ++i)
                {
                    std::u16string item = ComboText(child, i);
                    SIZE line = measure.Line(item);
                    if (line.cx > room)
                        report(item, line.cx, room);
                }
            }
        }
        return out.str();
    }

    // Opens every drop-down of the key page, so that each lists every value.
    void LoadAllKeyLists()
    {
        for (int row = 1; row <= 14; ++row)
        {
            HWND check = Item(IDC_KEYS1_CHECK + row);
            SendMessageW(check, BM_CLICK, 0, 0);
            Pump();
        }
    }

    void CheckEveryPage(uint32_t language)
    {
        Install->UiLanguage = language;
        std::string all;
        std::string tag = language ? "pl " : "en ";

        Open();
        all += Misfits((tag + "welcome").c_str());
        Click(IDC_NEXT);
        all += Misfits((tag + "licence").c_str());
        Click(IDC_ACCEPT_LICENCE);
        Click(IDC_NEXT);
        all += Misfits((tag + "setup").c_str());
        Click(IDC_KEYS);
        LoadAllKeyLists();
        all += Misfits((tag + "keys").c_str());
        Wizard->Cleanup();
        Pump();

        Install->InstalledVersion = kThisVersion;
        Open();
        all += Misfits((tag + "maintenance").c_str());
        Wizard->Cleanup();
        Pump();
        Install->InstalledVersion = 0;

        const struct
        {
            int Uninstalled;
            int32_t OsCode;
            int Viewer;
        } finishes[] = {{0, 100, 0}, {0, 51, 0}, {0, 50, 0}, {1, 100, 1}};
        for (auto& f : finishes)
        {
            Install->UninstallDone = f.Uninstalled;
            Install->OsCode = f.OsCode;
            Install->AssociationMatches = f.Viewer;
            Open();
            Post(WM_WIZ_DONE);
            all += Misfits((tag + "finish " + std::to_string(f.OsCode)).c_str());
            Wizard->Cleanup();
            Pump();
        }
        EXPECT_EQ(all, "");
    }
};

TEST_F(TextFit, EnglishTextsFitTheirControls)
{
    CheckEveryPage(0);
}

TEST_F(TextFit, PolishTextsFitTheirControls)
{
    CheckEveryPage(1);
}

// A long input language name must still leave the default-input check box readable.
TEST_F(TextFit, TheDefaultInputCaptionFitsWithALongLanguageName)
{
    for (uint32_t language : {0u, 1u})
    {
        Install->UiLanguage = language;
        Install->OsCode = 100;
        ToSetup();
        Wizard->SetLanguageName(u"Portuguese (Brazil)");
        static_cast<CDlgSetup*>(Wizard->ActivePage)->UpdateLanguageCaption();
        EXPECT_EQ(Misfits(language ? "pl setup" : "en setup"), "");
        Wizard->Cleanup();
        Pump();
        Quit = false;
    }
}

// Not a check: holds one page on screen for a screenshot (scripts take it with `import -window root`).
// OGONEK_SHOT=<language><page>, page w welcome, m maintenance, l licence, s setup, k keys, f finish.
TEST_F(TextFit, DISABLED_HoldPageForScreenshot)
{
    char shot[8] = {};
    if (!GetEnvironmentVariableA("OGONEK_SHOT", shot, sizeof(shot)) || !shot[0] || !shot[1])
        GTEST_SKIP();
    Install->UiLanguage = shot[0] == '1' ? 1 : 0;
    Install->OsCode = 61;
    Install->AssociationMatches = 0;
    Install->KeyTable[41].AssignedKey = 0xA2; // a row with a choice
    switch (shot[1])
    {
        case 'm':
            Install->InstalledVersion = kThisVersion;
            Open();
            break;
        case 'l':
            ToLicence();
            break;
        case 's':
            ToSetup();
            break;
        case 'k':
            ToKeys();
            Click(IDC_KEYS1_CHECK + 12);
            break;
        case 'f':
            ToFinish();
            break;
        default:
            Open();
            break;
    }
    DWORD until = GetTickCount() + 6000;
    while (GetTickCount() < until)
    {
        Pump();
        Sleep(20);
    }
}
