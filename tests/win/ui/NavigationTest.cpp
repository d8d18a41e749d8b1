// The main window: its size and header, the wizard's flow between pages, and closing.
#include "WizardFixture.h"

using Navigation = WizardFixture;

TEST_F(Navigation, TheMainWindowOpensOnTheWelcomePageSizedToItAndCentred)
{
    Open();
    HWND main = Wizard->MainWindowHandle();
    EXPECT_EQ(PageNumber(), kPageWelcome);
    EXPECT_EQ(Wizard->ActivePage, static_cast<CWndBase*>(Wizard->WelcomePage));
    EXPECT_EQ(GetParent(Page()), main);
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_EQ(Wizard->MainSized, 1);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(main, GWL_STYLE)) & 0x00CF0000u, kMainWindowStyle);
    EXPECT_EQ(WindowText(main), Text(kIdWizardTitle));

    // One and a half lines of the header font above the page.
    HDC dc = GetDC(main);
    HGDIOBJ previous = SelectObject(dc, Wizard->HeaderFont);
    SIZE size = {};
    GetTextExtentPoint32W(dc, L"\u00D3", 1, &size);
    SelectObject(dc, previous);
    ReleaseDC(main, dc);
    ASSERT_GT(size.cy, 20);
    EXPECT_EQ(Wizard->HeaderHeight, size.cy + size.cy / 2);

    RECT client, page, frame, desktop;
    GetClientRect(main, &client);
    GetClientRect(Page(), &page);
    GetWindowRect(main, &frame);
    GetWindowRect(GetDesktopWindow(), &desktop);
    EXPECT_EQ(client.right, page.right);
    EXPECT_EQ(client.bottom, page.bottom + Wizard->HeaderHeight);
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    EXPECT_EQ(frame.left, (desktop.right - desktop.left - width) / 2);
    EXPECT_EQ(frame.top, (desktop.bottom - desktop.top - height) / 2);
    RECT placed;
    GetWindowRect(Page(), &placed);
    POINT origin = {placed.left, placed.top};
    ScreenToClient(main, &origin);
    EXPECT_EQ(origin.x, 0);
    EXPECT_EQ(origin.y, Wizard->HeaderHeight);

    // The next page keeps the size and takes the same place.
    Click(IDC_NEXT);
    RECT after;
    GetWindowRect(main, &after);
    EXPECT_TRUE(EqualRect(&after, &frame));
    GetWindowRect(Page(), &placed);
    origin = {placed.left, placed.top};
    ScreenToClient(main, &origin);
    EXPECT_EQ(origin.y, Wizard->HeaderHeight);
}

TEST_F(Navigation, TheHeaderShowsIconAndGreyLine)
{
    Open();
    HWND main = Wizard->MainWindowHandle();
    RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    Pump();
    HDC dc = GetDC(main);
    // Grey text somewhere in the line right of the icon; the window background elsewhere above.
    int grey = 0;
    for (int y = 10; y < 10 + Wizard->HeaderHeight * 2 / 3; ++y)
        for (int x = 60; x < 300; ++x)
        {
            COLORREF pixel = GetPixel(dc, x, y);
            if (GetRValue(pixel) < 200 && GetRValue(pixel) == GetGValue(pixel) &&
                GetGValue(pixel) == GetBValue(pixel))
                ++grey;
        }
    int iconPixels = 0;
    COLORREF background = GetPixel(dc, 2, 2);
    for (int y = 10; y < 42; ++y)
        for (int x = 10; x < 42; ++x)
            iconPixels += GetPixel(dc, x, y) != background;
    ReleaseDC(main, dc);
    EXPECT_GT(grey, 50);
    EXPECT_GT(iconPixels, 100);
}

struct FlowCase
{
    const char* Name;
    void (WizardFixture::*Reach)();
    int Control;     // clicked on the page reached
    uint32_t Before; // page number there
    uint32_t After;  // page number afterwards
};

class Flow : public WizardFixture, public ::testing::WithParamInterface<FlowCase>
{
};

TEST_P(Flow, GoesWhereTheTableSays)
{
    const FlowCase& c = GetParam();
    (this->*c.Reach)();
    ASSERT_EQ(PageNumber(), c.Before);
    CWndBase* before = Wizard->ActivePage;
    Click(c.Control);
    EXPECT_EQ(PageNumber(), c.After);
    EXPECT_NE(Wizard->ActivePage, nullptr);
    if (c.After != c.Before)
    {
        EXPECT_NE(Wizard->ActivePage, before);
    }
    EXPECT_TRUE(Answers.Boxes.empty());
    EXPECT_FALSE(Quit);
}

INSTANTIATE_TEST_SUITE_P(
    Wizard, Flow,
    ::testing::Values(FlowCase{"WelcomeNext", &WizardFixture::Open, IDC_NEXT, kPageWelcome, kPageLicence},
                      FlowCase{"LicenceBack", &WizardFixture::ToLicence, IDC_BACK, kPageLicence,
                               kPageWelcome},
                      FlowCase{"SetupBack", &WizardFixture::ToSetup, IDC_BACK, kPageSetup, kPageLicence},
                      FlowCase{"SetupKeys", &WizardFixture::ToSetup, IDC_KEYS, kPageSetup, kPageKeys},
                      FlowCase{"KeysBack", &WizardFixture::ToKeys, IDC_BACK, kPageKeys, kPageSetup}),
    [](const ::testing::TestParamInfo<FlowCase>& info) { return std::string(info.param.Name); });

TEST_F(Navigation, LicenceNextLeadsToSetupOnlyOnceAccepted)
{
    ToLicence();
    EXPECT_FALSE(Enabled(IDC_NEXT));
    Click(IDC_ACCEPT_LICENCE);
    EXPECT_TRUE(Enabled(IDC_NEXT));
    Click(IDC_NEXT);
    EXPECT_EQ(PageNumber(), kPageSetup);
}

TEST_F(Navigation, ModifyInMaintenanceModeSkipsTheLicence)
{
    Install->InstalledVersion = kThisVersion;
    Open();
    Click(IDC_MODIFY);
    EXPECT_EQ(PageNumber(), kPageSetup);
    EXPECT_EQ(Install->ModifyMode, 1);
    EXPECT_EQ(Install->LicenceAccepted, 1);
    // Back from there reaches the licence, already accepted.
    Click(IDC_BACK);
    EXPECT_EQ(PageNumber(), kPageLicence);
    EXPECT_TRUE(Checked(IDC_ACCEPT_LICENCE));
    EXPECT_TRUE(Enabled(IDC_NEXT));
}

TEST_F(Navigation, NextAndBackDoNothingWhereTheyLeadNowhere)
{
    struct
    {
        void (WizardFixture::*Reach)();
        UINT Message;
    } cases[] = {
        {&WizardFixture::ToSetup, WM_WIZ_NEXT},  {&WizardFixture::ToKeys, WM_WIZ_NEXT},
        {&WizardFixture::ToFinish, WM_WIZ_NEXT}, {&WizardFixture::Open, WM_WIZ_BACK},
        {&WizardFixture::ToKeys, WM_WIZ_BACK},   {&WizardFixture::ToFinish, WM_WIZ_BACK},
    };
    for (auto& c : cases)
    {
        (this->*c.Reach)();
        uint32_t page = PageNumber();
        CWndBase* shown = Wizard->ActivePage;
        Post(c.Message);
        EXPECT_EQ(PageNumber(), page);
        EXPECT_EQ(Wizard->ActivePage, shown);
        Wizard->Cleanup();
        Pump();
        Quit = false;
    }
}

class CancelOn : public WizardFixture, public ::testing::WithParamInterface<int>
{
  protected:
    void Reach()
    {
        switch (GetParam())
        {
            case 1:
                Open();
                break;
            case 2:
                ToLicence();
                break;
            case 3:
                ToSetup();
                break;
            default:
                ToKeys();
                break;
        }
    }
};

TEST_P(CancelOn, AnsweredNoStaysOnThePageWithItsState)
{
    Reach();
    if (GetParam() == 2)
        Click(IDC_ACCEPT_LICENCE);
    CWndBase* shown = Wizard->ActivePage;
    HWND window = Page();
    Answers.Answer = IDNO;
    Click(IDC_CANCEL_PAGE);
    ASSERT_EQ(Answers.Boxes.size(), 1u);
    EXPECT_EQ(Answers.Boxes[0].Text, Text(kIdCloseQuestion));
    EXPECT_EQ(Answers.Boxes[0].Caption, Text(kIdWizardTitle));
    EXPECT_EQ(Answers.Boxes[0].Flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(Answers.Boxes[0].Owner, Wizard->MainWindowHandle());
    EXPECT_FALSE(Quit);
    EXPECT_EQ(Wizard->ActivePage, shown);
    EXPECT_EQ(Page(), window);
    EXPECT_TRUE(IsWindowVisible(window));
    if (GetParam() == 2)
    {
        EXPECT_TRUE(Checked(IDC_ACCEPT_LICENCE));
    }
}

TEST_P(CancelOn, AnsweredYesEndsTheWizard)
{
    Reach();
    Answers.Answer = IDYES;
    Click(IDC_CANCEL_PAGE);
    EXPECT_EQ(Answers.Boxes.size(), 1u);
    EXPECT_TRUE(Quit);
    EXPECT_EQ(Wizard->MainWindow, nullptr);
    EXPECT_EQ(Wizard->ActivePage, nullptr);
    EXPECT_EQ(Install->RestartRequested, 0);
}

INSTANTIATE_TEST_SUITE_P(Pages, CancelOn, ::testing::Values(1, 2, 3, 4));

TEST_F(Navigation, EscapeOnAPageAsksLikeCancelDoesNot)
{
    // Esc inside a page is the page's IDCANCEL, which the normal pages do not use.
    ToLicence();
    PostMessageW(Item(IDC_ACCEPT_LICENCE), WM_KEYDOWN, VK_ESCAPE, 0);
    Pump();
    EXPECT_TRUE(Answers.Boxes.empty());
    EXPECT_EQ(PageNumber(), kPageLicence);
}

TEST_F(Navigation, TheFinishPageClosesFromTheTitleBarWithoutQuestionOrRestart)
{
    ToFinish();
    PostMessageW(Wizard->MainWindowHandle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(Pump());
    EXPECT_TRUE(Answers.Boxes.empty());
    EXPECT_EQ(Install->RestartRequested, 0);
    EXPECT_EQ(Wizard->MainWindow, nullptr);
}

TEST_F(Navigation, TheRestartButtonEndsTheWizardWithARestartRequest)
{
    ToFinish();
    Click(IDC_RESTART);
    EXPECT_TRUE(Quit);
    EXPECT_TRUE(Answers.Boxes.empty());
    EXPECT_EQ(Install->RestartRequested, 1);
    EXPECT_EQ(PageNumber(), kPageFinish);
    // The restart itself is the installer's last step, stopped at the seam (and without the finishing
    // value, which would stay in the prefix).
    Install->InstallDone = 0;
    Install->Finish();
    EXPECT_EQ(Answers.Shutdowns, 1);
}

TEST_F(Navigation, InstallWithoutAdministratorRightsClosesWithoutTheQuestion)
{
    ToSetup();
    Install->IsAdministrator = 0;
    Click(IDC_INSTALL);
    ASSERT_EQ(Answers.Boxes.size(), 1u);
    EXPECT_EQ(Answers.Boxes[0].Text, Text(kIdNeedAdministrator));
    EXPECT_EQ(Answers.Boxes[0].Flags, static_cast<UINT>(MB_OK));
    EXPECT_TRUE(Quit);
    EXPECT_EQ(PageNumber(), kPageFinish);
    EXPECT_EQ(Wizard->MainWindow, nullptr);
}

TEST_F(Navigation, UninstallWithoutAdministratorRightsClosesWithoutTheQuestion)
{
    Install->InstalledVersion = kThisVersion;
    Install->IsAdministrator = 0;
    Open();
    Click(IDC_UNINSTALL);
    ASSERT_EQ(Answers.Boxes.size(), 1u);
    EXPECT_EQ(Answers.Boxes[0].Text, Text(kIdNeedAdministrator));
    EXPECT_TRUE(Quit);
    EXPECT_EQ(Install->UninstallDone, 0);
}

TEST_F(Navigation, DecliningTheUninstallLeavesTheWelcomePageAsItWas)
{
    Install->InstalledVersion = kThisVersion;
    Open();
    Answers.Answer = IDNO;
    Click(IDC_UNINSTALL);
    ASSERT_EQ(Answers.Boxes.size(), 1u);
    EXPECT_EQ(Answers.Boxes[0].Text, Formatted(kIdUninstallQuestion, Text(kIdProductName)));
    EXPECT_EQ(Answers.Boxes[0].Flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_FALSE(Quit);
    EXPECT_EQ(PageNumber(), kPageWelcome);
    for (int id : {IDC_UNINSTALL, IDC_MODIFY, IDC_KEYBOARD_SETTINGS, IDC_CANCEL_PAGE, IDC_UI_LANGUAGE})
        EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_EQ(Install->UninstallDone, 0);
}

namespace
{
bool AllChildrenDisabled(HWND page)
{
    int children = 0;
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT), ++children)
        if (IsWindowEnabled(child))
            return false;
    return children > 0;
}

bool Queued(HWND window, UINT message)
{
    MSG peeked;
    return PeekMessageW(&peeked, window, message, message, PM_NOREMOVE) != 0;
}
} // namespace

// An installer whose paths were never computed (the start-up checks did not run) cannot install.
TEST_F(Navigation, AFailedInstallIsReportedAndTheWizardClosesWithoutTheQuestion)
{
    ToSetup();
    HWND page = Page();
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_INSTALL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Item(IDC_INSTALL)));
    EXPECT_TRUE(AllChildrenDisabled(page));
    ASSERT_EQ(Answers.Boxes.size(), 1u);
    EXPECT_EQ(Answers.Boxes[0].Text, Text(kIdInstallFailed));
    EXPECT_EQ(Answers.Boxes[0].Flags, static_cast<UINT>(MB_OK));
    EXPECT_EQ(PageNumber(), kPageFinish);
    EXPECT_FALSE(Queued(Wizard->MainWindowHandle(), WM_WIZ_DONE));
    EXPECT_TRUE(Queued(Wizard->MainWindowHandle(), WM_WIZ_CLOSE));
    EXPECT_TRUE(Pump());
    EXPECT_EQ(Answers.Boxes.size(), 1u);
    EXPECT_EQ(Install->InstallDone, 0);
}

// With nothing recorded there is nothing to remove, and the removal succeeds.
TEST_F(Navigation, AConfirmedUninstallEndsOnTheFinishPage)
{
    Install->InstalledVersion = kThisVersion;
    Open();
    Answers.Answer = IDYES;
    Click(IDC_UNINSTALL);
    ASSERT_EQ(Answers.Boxes.size(), 1u);
    EXPECT_EQ(Install->UninstallDone, 1);
    EXPECT_EQ(PageNumber(), kPageFinish);
    EXPECT_EQ(Wizard->ActivePage, static_cast<CWndBase*>(Wizard->FinishPage));
    EXPECT_EQ(ItemText(IDC_FINISH_BODY), Text(kIdUninstalledBody));
    EXPECT_FALSE(Quit);
}
