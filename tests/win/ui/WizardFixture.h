// A real installer object over the program's own payload, with its wizard and real windows; only the
// message box answers and the restart go through a test platform.
#pragma once

#include "engine/CInstall.h"
#include "pages/ControlIds.h"
#include "pages/DlgDone.h"
#include "pages/DlgEula.h"
#include "pages/DlgExpert.h"
#include "pages/DlgSetup.h"
#include "pages/DlgWelcome.h"
#include "payload/StringIds.h"
#include "platform/Platform.h"
#include "text/GString.h"
#include "ui/WndMain.h"
#include "ui/Wizard.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

struct ShownBox
{
    HWND Owner;
    std::u16string Text;
    std::u16string Caption;
    UINT Flags;
};

class AnswerPlatform : public CPlatform
{
  public:
    int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags) override
    {
        Boxes.push_back({owner, text ? reinterpret_cast<const char16_t*>(text) : u"",
                         caption ? reinterpret_cast<const char16_t*>(caption) : u"", flags});
        return Answer;
    }
    BOOL RequestShutdown(ShutdownExFn, LPWSTR, DWORD, BOOL, BOOL, DWORD) override
    {
        ++Shutdowns;
        return FALSE;
    }

    int Answer = IDNO;
    std::vector<ShownBox> Boxes;
    int Shutdowns = 0;
};

inline std::u16string Str(const GString& text)
{
    GString copy;
    copy.Assign(text);
    copy.ToWide();
    return std::u16string(copy.GetW(0), copy.GetLength());
}

class WizardFixture : public ::testing::Test
{
  public:
    void SetUp() override
    {
        Previous = SetPlatform(&Answers);
        Install = std::make_unique<CInstall>();
        ASSERT_EQ(Install->Init(GetModuleHandleW(nullptr)), 1);
        Wizard = Install->Wizard;
        ASSERT_NE(Wizard, nullptr);
        // A Windows 10 administrator with a PDF viewer, English interface, unless a test says else.
        Install->OsCode = 100;
        Install->IsAdministrator = 1;
        Install->AssociationMatches = 1;
        Install->LanguageId = 0x0409;
    }

    void TearDown() override
    {
        if (Install && Install->Wizard)
            Install->Wizard->Cleanup();
        Pump();
        Install.reset();
        SetPlatform(Previous);
    }

    // Opens the wizard as Run does, without blocking in the loop.
    void Open()
    {
        ASSERT_EQ(Wizard->CreateMainWindow(), 1);
        ASSERT_NE(Wizard->MainWindowHandle(), nullptr);
        Pump();
    }

    // Runs every queued message through the wizard's loop; true when WM_QUIT came.
    bool Pump()
    {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        {
            if (message.message == WM_QUIT)
            {
                Quit = true;
                continue;
            }
            if (Wizard && Install && Install->Wizard)
                Wizard->HandleLoopMessage(message);
            else
            {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
        return Quit;
    }

    HWND Page() const { return Wizard->ActivePage ? Wizard->ActivePage->Handle : nullptr; }
    HWND Item(int id) const { return GetDlgItem(Page(), id); }
    uint32_t PageNumber() const { return Install->CurrentPage; }

    void Click(int id)
    {
        HWND button = Item(id);
        ASSERT_NE(button, nullptr) << "no control " << id;
        SendMessageW(button, BM_CLICK, 0, 0);
        Pump();
    }

    void Post(UINT message)
    {
        PostMessageW(Wizard->MainWindowHandle(), message, 0, 0);
        Pump();
    }

    // The user picks an item of a drop-down: the selection, then the notification the page reads.
    void Choose(int id, int index, WORD notification)
    {
        HWND combo = Item(id);
        ASSERT_NE(combo, nullptr);
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageW(Page(), WM_COMMAND, MAKEWPARAM(id, notification), reinterpret_cast<LPARAM>(combo));
        Pump();
    }

    std::u16string Text(uint32_t id)
    {
        GString text;
        Install->GetString(id, text);
        return Str(text);
    }

    std::u16string Formatted(uint32_t patternId, const std::u16string& argument)
    {
        GString pattern;
        Install->GetString(patternId, pattern);
        GString out;
        out.Format(pattern.GetW(0), argument.c_str());
        return Str(out);
    }

    static std::u16string WindowText(HWND window)
    {
        int length = GetWindowTextLengthW(window);
        std::u16string text(static_cast<size_t>(length) + 1, u'\0');
        GetWindowTextW(window, reinterpret_cast<wchar_t*>(text.data()), length + 1);
        text.resize(static_cast<size_t>(length));
        return text;
    }
    std::u16string ItemText(int id) const { return WindowText(Item(id)); }

    static std::u16string ComboText(HWND combo, int index)
    {
        LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
        if (length < 0)
            return u"<none>";
        std::u16string text(static_cast<size_t>(length) + 1, u'\0');
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(length));
        return text;
    }
    int ComboCount(int id) const { return static_cast<int>(SendMessageW(Item(id), CB_GETCOUNT, 0, 0)); }
    int ComboSelection(int id) const { return static_cast<int>(SendMessageW(Item(id), CB_GETCURSEL, 0, 0)); }
    LPARAM ComboData(int id, int index) const
    {
        return SendMessageW(Item(id), CB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    }

    bool Visible(int id) const { return (GetWindowLongW(Item(id), GWL_STYLE) & WS_VISIBLE) != 0; }
    bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != 0; }
    bool Checked(int id) const { return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

    // The pages in the order a user reaches them.
    void ToLicence()
    {
        Open();
        Click(IDC_NEXT);
        ASSERT_EQ(PageNumber(), kPageLicence);
    }
    void ToSetup()
    {
        ToLicence();
        Click(IDC_ACCEPT_LICENCE);
        Click(IDC_NEXT);
        ASSERT_EQ(PageNumber(), kPageSetup);
    }
    void ToKeys()
    {
        ToSetup();
        Click(IDC_KEYS);
        ASSERT_EQ(PageNumber(), kPageKeys);
    }
    void ToFinish()
    {
        Open();
        // What the setup page posts after a successful install.
        Install->InstallDone = 1;
        Post(WM_WIZ_DONE);
        ASSERT_EQ(PageNumber(), kPageFinish);
    }

    AnswerPlatform Answers;
    CPlatform* Previous = nullptr;
    std::unique_ptr<CInstall> Install;
    CWizard* Wizard = nullptr;
    bool Quit = false;
};
