// The window and dialog framework: binding, the two dispatch routines, the helpers and the loop.
#include "WizardFixture.h"

#include <algorithm>
#include <cstdint>

namespace
{
// Remembers every message its object was given, and whether the object still exists.
class RecordingWindow : public CWndBase
{
  public:
    explicit RecordingWindow(int* alive = nullptr) : Alive(alive)
    {
        if (Alive)
            *Alive = 1;
    }
    ~RecordingWindow() override
    {
        if (Alive)
            *Alive = 0;
    }
    int OnMessage() override
    {
        Seen.push_back(Msg);
        return CWndBase::OnMessage();
    }
    int OnCommand() override
    {
        Commands.push_back(ControlId);
        Result = 0x1234;
        return 1;
    }
    std::vector<UINT> Seen;
    std::vector<uint16_t> Commands;
    int* Alive;
};

HINSTANCE Instance()
{
    return GetModuleHandleW(nullptr);
}

const wchar_t kTestClass[] = L"OgonekFrameworkTestClass";

struct TestClass
{
    TestClass()
    {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = Instance();
        wc.lpszClassName = kTestClass;
        Atom = RegisterClassExW(&wc);
    }
    ~TestClass() { UnregisterClassW(kTestClass, Instance()); }
    ATOM Atom;
};

void Drain()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        if (message.message != WM_QUIT)
            DispatchMessageW(&message);
}
} // namespace

TEST(WindowBinding, MessagesBeforeNcCreateGetTheDefaultHandling)
{
    TestClass wndClass;
    ASSERT_NE(wndClass.Atom, 0);
    RecordingWindow object;
    HWND window = CreateWindowExW(0, kTestClass, L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                  Instance(), &object);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(object.Handle, window);
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&object));
    // Windows sends WM_GETMINMAXINFO before WM_NCCREATE; the object sees nothing before its binding
    // (binding itself moves the window, whose messages it does see).
    auto created = std::find(object.Seen.begin(), object.Seen.end(), static_cast<UINT>(WM_NCCREATE));
    ASSERT_NE(created, object.Seen.end());
    EXPECT_EQ(std::count(object.Seen.begin(), created, static_cast<UINT>(WM_GETMINMAXINFO)), 0);
    for (auto m = object.Seen.begin(); m != created; ++m)
        EXPECT_TRUE(*m == WM_WINDOWPOSCHANGING || *m == WM_WINDOWPOSCHANGED) << *m;
    DestroyWindow(window);
    EXPECT_EQ(object.Handle, nullptr); // unbound at WM_NCDESTROY
    EXPECT_EQ(object.Seen.back(), static_cast<UINT>(WM_NCDESTROY));
}

TEST(WindowBinding, AnObjectMadeForADialogIsNotBoundToAWindow)
{
    TestClass wndClass;
    RecordingWindow object;
    object.IsDialog = 1;
    HWND window = CreateWindowExW(0, kTestClass, L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                  Instance(), &object);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(object.Handle, nullptr);
    EXPECT_TRUE(object.Seen.empty());
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_USERDATA), 0);
    DestroyWindow(window);
}

TEST(WindowBinding, AttachRefusesASecondWindowAndANullOne)
{
    TestClass wndClass;
    RecordingWindow object;
    HWND first = CreateWindowExW(0, kTestClass, L"", 0, 0, 0, 10, 10, nullptr, nullptr, Instance(), &object);
    ASSERT_EQ(object.Handle, first);
    RecordingWindow other;
    EXPECT_EQ(other.Attach(nullptr), 0);
    EXPECT_EQ(object.Attach(first), 0);
    DestroyWindow(first);
}

class DialogBinding : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        Owner.Instance = Instance();
        Parent = CreateWindowExW(0, L"Static", L"", WS_OVERLAPPEDWINDOW, 0, 0, 700, 500, nullptr, nullptr,
                                 Instance(), nullptr);
        ASSERT_NE(Parent, nullptr);
    }
    void TearDown() override
    {
        DestroyWindow(Parent);
        Drain();
    }
    CWizard Owner{nullptr};
    HWND Parent = nullptr;
};

TEST_F(DialogBinding, MessagesBeforeInitDialogReturnFalseAndTheObjectSeesNone)
{
    RecordingWindow page;
    page.Owner = &Owner;
    ASSERT_EQ(page.CreatePage(kWelcomeTemplate, Parent), 1);
    EXPECT_EQ(page.IsDialog, 1u);
    EXPECT_NE(GetWindowLongW(page.Handle, GWL_STYLE) & WS_VISIBLE, 0);
    // The dialog gets WM_SETFONT before WM_INITDIALOG.
    auto initialised = std::find(page.Seen.begin(), page.Seen.end(), static_cast<UINT>(WM_INITDIALOG));
    ASSERT_NE(initialised, page.Seen.end());
    for (auto m = page.Seen.begin(); m != initialised; ++m)
        EXPECT_TRUE(*m == WM_WINDOWPOSCHANGING || *m == WM_WINDOWPOSCHANGED) << *m;
    EXPECT_EQ(page.CreatePage(kWelcomeTemplate, Parent), 0); // already bound
    page.DestroyBoundWindow();
    EXPECT_EQ(page.Handle, nullptr);
}

TEST_F(DialogBinding, NotificationsAreDecodedButNeverHandled)
{
    RecordingWindow page;
    page.Owner = &Owner;
    ASSERT_EQ(page.CreatePage(kWelcomeTemplate, Parent), 1);
    size_t seenBefore = page.Seen.size();
    NMHDR header = {GetDlgItem(page.Handle, IDC_UI_LANGUAGE), 0x12345, 0xFFFFFC17};
    EXPECT_EQ(SendMessageW(page.Handle, WM_NOTIFY, 77, reinterpret_cast<LPARAM>(&header)), FALSE);
    EXPECT_EQ(page.ControlId, 0x2345); // low 16 bits of idFrom, not wParam
    EXPECT_EQ(page.NotifyHeaderCode, 0xFFFFFC17u);
    EXPECT_EQ(page.NotifyHeader, &header);
    EXPECT_EQ(page.Seen.size(), seenBefore);
    EXPECT_TRUE(page.Commands.empty());

    EXPECT_EQ(SendMessageW(page.Handle, WM_NOTIFY, 77, 0), FALSE);
    EXPECT_EQ(page.ControlId, 77);
    EXPECT_EQ(page.NotifyHeaderCode, 0u);
    page.DestroyBoundWindow();
}

TEST_F(DialogBinding, AHandledCommandLeavesItsResultInTheDialogAndReturnsFalse)
{
    RecordingWindow page;
    page.Owner = &Owner;
    ASSERT_EQ(page.CreatePage(kWelcomeTemplate, Parent), 1);
    HWND button = GetDlgItem(page.Handle, IDC_UNINSTALL);
    EXPECT_EQ(
        SendMessageW(page.Handle, WM_COMMAND, MAKEWPARAM(IDC_UNINSTALL, 5), reinterpret_cast<LPARAM>(button)),
        FALSE);
    ASSERT_EQ(page.Commands.size(), 1u);
    EXPECT_EQ(page.Commands[0], IDC_UNINSTALL);
    EXPECT_EQ(page.NotifyCode, 5);
    EXPECT_EQ(page.ControlWindow, button);
    EXPECT_EQ(GetWindowLongPtrW(page.Handle, DWLP_MSGRESULT), 0x1234);
    page.DestroyBoundWindow();
}

TEST_F(DialogBinding, ControlHelpersOnMissingControlsFailQuietly)
{
    RecordingWindow page;
    page.Owner = &Owner;
    ASSERT_EQ(page.CreatePage(kWelcomeTemplate, Parent), 1);
    const int none[] = {0};
    page.EnableItems(none, 0);
    page.ShowItems(none, 0);
    page.EnableItems(nullptr, 0);
    EXPECT_EQ(page.EnableItem(4242, 1), 0);
    EXPECT_EQ(page.ShowItem(4242, 1), 0);
    EXPECT_EQ(page.IsItemChecked(4242), 0);
    EXPECT_EQ(page.CheckItem(4242, 1), 0);
    EXPECT_EQ(page.GetComboData(4242), 0);
    EXPECT_EQ(page.SetItemText(IDC_WELCOME_TITLE, nullptr), 0);
    // No installer behind this owner: nothing to fetch, the text stays.
    SetDlgItemTextW(page.Handle, IDC_WELCOME_TITLE, L"kept");
    EXPECT_EQ(page.SetItemString(IDC_WELCOME_TITLE, kIdWizardTitle), 0);
    wchar_t text[16] = {};
    GetDlgItemTextW(page.Handle, IDC_WELCOME_TITLE, text, 16);
    EXPECT_STREQ(text, L"kept");
    EXPECT_EQ(page.GetPageNumber(), -1);
    page.DestroyBoundWindow();
}

TEST(ComboHelpers, FillComboKeepsTableOrderDataAndSelection)
{
    CInstall install;
    ASSERT_EQ(install.Init(Instance()), 1);
    RecordingWindow window;
    window.Owner = install.Wizard;
    HWND combo = CreateWindowExW(0, L"ComboBox", L"", CBS_DROPDOWNLIST, 0, 0, 100, 100, nullptr, nullptr,
                                 Instance(), nullptr);
    ASSERT_NE(combo, nullptr);
    const ComboEntry table[] = {{kIdVariantName2, 7}, {kIdVariantName0, -3}, {kIdVariantName1, 9}, {0, 0}};
    EXPECT_EQ(window.FillCombo(combo, table, -3), 1);
    ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(SendMessageW(combo, CB_GETITEMDATA, 0, 0), 7);
    EXPECT_EQ(SendMessageW(combo, CB_GETITEMDATA, 1, 0), -3);
    GString expected;
    install.GetString(kIdVariantName2, expected);
    wchar_t text[64] = {};
    SendMessageW(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(std::u16string(reinterpret_cast<char16_t*>(text)), Str(expected));
    // Filling again starts afresh; no data matching selects nothing.
    EXPECT_EQ(window.FillCombo(combo, table, 100), 1);
    EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(window.FillCombo(nullptr, table, 0), 0);
    EXPECT_EQ(window.FillCombo(combo, nullptr, 0), 0);
    DestroyWindow(combo);
}

TEST_F(DialogBinding, GetComboDataWithoutSelectionIsZero)
{
    CInstall install;
    ASSERT_EQ(install.Init(Instance()), 1);
    RecordingWindow page;
    page.Owner = install.Wizard;
    ASSERT_EQ(page.CreatePage(kWelcomeTemplate, Parent), 1);
    const ComboEntry table[] = {{kIdVariantName0, 5}, {kIdVariantName1, 6}, {0, 0}};
    ASSERT_EQ(page.FillComboItem(IDC_UI_LANGUAGE, table, 6), 1);
    EXPECT_EQ(page.GetComboData(IDC_UI_LANGUAGE), 6);
    page.SelectComboItem(GetDlgItem(page.Handle, IDC_UI_LANGUAGE), -1);
    EXPECT_EQ(page.GetComboData(IDC_UI_LANGUAGE), 0);
    page.DestroyBoundWindow();
}

TEST(TableHelpers, LookupValueAndFindEntry)
{
    const ValuePair table[] = {{5, 0x12345}, {9, 0xE01D}, {5, 1}, {0, 77}};
    EXPECT_EQ(CWndBase::LookupValue(5, table), 0x2345); // the first match, low 16 bits
    EXPECT_EQ(CWndBase::LookupValue(9, table), 0xE01D);
    EXPECT_EQ(CWndBase::LookupValue(4, table), 0);
    EXPECT_EQ(CWndBase::LookupValue(5, nullptr), 0);
    // Key 0 never reads the table: this pointer would fault.
    EXPECT_EQ(CWndBase::LookupValue(0, reinterpret_cast<const ValuePair*>(uintptr_t{16})), 0);
    EXPECT_EQ(CWndBase::FindEntry(9, table), &table[1]);
    EXPECT_EQ(CWndBase::FindEntry(0, table), nullptr);
    EXPECT_EQ(CWndBase::FindEntry(3, nullptr), nullptr);
}

TEST(WizardSetters, RefuseValuesOutOfRange)
{
    CInstall install;
    ASSERT_EQ(install.Init(Instance()), 1);
    CWizard& wizard = *install.Wizard;
    EXPECT_EQ(wizard.SetUiLanguage(1), 1);
    EXPECT_EQ(install.UiLanguage, 1u);
    EXPECT_EQ(wizard.SetUiLanguage(2), 0);
    EXPECT_EQ(install.UiLanguage, 1u);
    install.DecimalKeyOption = 1;
    EXPECT_EQ(wizard.SetDecimalKeyOption(0), 0);
    EXPECT_EQ(install.DecimalKeyOption, 0);
    EXPECT_EQ(wizard.SetDecimalKeyOption(-1), -1);
    EXPECT_EQ(wizard.SetDecimalKeyOption(2), 2);
    EXPECT_EQ(install.DecimalKeyOption, 0);
    EXPECT_EQ(wizard.EnterModifyMode(0), 0);
    EXPECT_EQ(install.LicenceAccepted, 0);
    EXPECT_EQ(wizard.EnterModifyMode(1), 1);
    EXPECT_EQ(install.ModifyMode, 1);
    EXPECT_EQ(install.LicenceAccepted, 1);
    wizard.SetLanguageName(u"polski", 6);
    EXPECT_EQ(Str(install.Text(CInstall::LanguageName)), u"polski");
}

TEST(WizardInit, FailsWithoutInstallerOrInstanceAndMakesTheHeaderFont)
{
    CWizard orphan(nullptr);
    EXPECT_EQ(orphan.Init(Instance()), 0);
    CInstall install;
    ASSERT_EQ(install.Init(Instance()), 1);
    CWizard other(&install);
    EXPECT_EQ(other.Init(nullptr), 0);
    ASSERT_NE(install.Wizard->HeaderFont, nullptr);
    LOGFONTW font = {};
    ASSERT_NE(GetObjectW(install.Wizard->HeaderFont, sizeof(font), &font), 0);
    EXPECT_EQ(font.lfHeight, -30);
    EXPECT_EQ(font.lfWeight, FW_BOLD);
    GString face;
    install.GetString(kIdHeaderFontFace, face);
    EXPECT_EQ(std::u16string(reinterpret_cast<char16_t*>(font.lfFaceName)), Str(face));
}

using LoopTest = WizardFixture;

TEST_F(LoopTest, KeysGoToTheShownPageAndNotToAPageThatIsGone)
{
    ToLicence();
    Click(IDC_ACCEPT_LICENCE);
    // Enter on a page control is the page's default button (Next), through IsDialogMessageW.
    PostMessageW(Item(IDC_ACCEPT_LICENCE), WM_KEYDOWN, VK_RETURN, 0);
    Pump();
    ASSERT_EQ(PageNumber(), kPageSetup);

    // A page whose window goes is released at once, and the loop stops feeding it.
    DestroyWindow(Page());
    EXPECT_EQ(Wizard->ActivePage, nullptr);
    EXPECT_EQ(Wizard->SetupPage, nullptr);
    PostMessageW(Wizard->MainWindowHandle(), WM_KEYDOWN, VK_RETURN, 0);
    PostMessageW(Wizard->MainWindowHandle(), WM_KEYDOWN, VK_ESCAPE, 0);
    Pump();
    EXPECT_TRUE(Answers.Boxes.empty());
    EXPECT_EQ(PageNumber(), kPageSetup);
    // The main window can still be closed.
    Answers.Answer = IDYES;
    PostMessageW(Wizard->MainWindowHandle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(Pump());
    EXPECT_EQ(Wizard->MainWindow, nullptr);
}

namespace
{
CWizard* RunningWizard = nullptr;
int TimerCalls = 0;
void CALLBACK CloseFromInsideTheLoop(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    ++TimerCalls;
    PostMessageW(RunningWizard->MainWindowHandle(), WM_WIZ_CLOSE, 0, 0);
}
} // namespace

TEST_F(LoopTest, RunEndsWhenTheMainWindowIsDestroyed)
{
    Answers.Answer = IDYES;
    RunningWizard = Wizard;
    TimerCalls = 0;
    ASSERT_NE(SetTimer(nullptr, 0, 0, CloseFromInsideTheLoop), 0u);
    EXPECT_EQ(Wizard->Run(), 1);
    EXPECT_EQ(TimerCalls, 1);
    ASSERT_EQ(Answers.Boxes.size(), 1u);
    EXPECT_EQ(Answers.Boxes[0].Text, Text(kIdCloseQuestion));
    EXPECT_EQ(Wizard->MainWindow, nullptr);
    EXPECT_EQ(Wizard->ActivePage, nullptr);
    EXPECT_EQ(Wizard->WelcomePage, nullptr);
    // The class went with the window, so the wizard can be run again.
    GString className;
    Install->GetString(kIdWindowClass, className);
    WNDCLASSEXW info = {};
    info.cbSize = sizeof(info);
    EXPECT_FALSE(GetClassInfoExW(Instance(), reinterpret_cast<const wchar_t*>(className.GetW(0)), &info));
}
