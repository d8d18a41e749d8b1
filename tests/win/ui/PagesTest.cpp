// The pages: what each shows from the installer's state, and what each control writes back.
#include "WizardFixture.h"

#include "payload/KeyTable.h"

#include <set>

using Pages = WizardFixture;

TEST_F(Pages, WelcomeInNormalAndMaintenanceMode)
{
    for (uint32_t version : {0u, 130u, kThisVersion})
    {
        SCOPED_TRACE(version);
        Install->InstalledVersion = version;
        Open();
        bool maintenance = version == kThisVersion;
        EXPECT_EQ(PageNumber(), kPageWelcome);
        EXPECT_EQ(ItemText(IDC_WELCOME_TITLE),
                  Formatted(maintenance ? kIdMaintenanceTitle : kIdWelcomeTitle, Text(kIdLayoutName)));
        EXPECT_EQ(ItemText(IDC_WELCOME_BODY), Text(maintenance ? kIdInstalledText : kIdWelcomeBody));
        EXPECT_EQ(ItemText(IDC_UI_LANGUAGE_LABEL), Text(kIdUiLanguageLabel));
        EXPECT_EQ(ItemText(IDC_CANCEL_PAGE), Text(kIdCancelButton));
        EXPECT_EQ(ItemText(IDC_NEXT), Text(kIdNextButton));
        EXPECT_EQ(ItemText(IDC_UNINSTALL), Text(kIdUninstallButton));
        EXPECT_EQ(ItemText(IDC_MODIFY), Text(kIdModifyButton));
        EXPECT_EQ(ItemText(IDC_KEYBOARD_SETTINGS), Text(kIdKeyboardSettingsButton));
        for (int id : {IDC_UNINSTALL, IDC_MODIFY, IDC_KEYBOARD_SETTINGS})
        {
            EXPECT_EQ(Visible(id), maintenance) << id;
            EXPECT_EQ(Enabled(id), maintenance) << id;
        }
        EXPECT_EQ(Visible(IDC_NEXT), !maintenance);
        EXPECT_EQ(Enabled(IDC_NEXT), !maintenance);
        EXPECT_TRUE(Visible(IDC_CANCEL_PAGE));
        // Next does nothing in maintenance mode, even when it is sent.
        if (maintenance)
        {
            SendMessageW(Page(), WM_COMMAND, MAKEWPARAM(IDC_NEXT, BN_CLICKED), 0);
            Pump();
            EXPECT_EQ(PageNumber(), kPageWelcome);
        }
        Wizard->Cleanup();
        Pump();
    }
}

TEST_F(Pages, SwitchingTheInterfaceLanguageChangesEveryTextAtOnce)
{
    Open();
    ASSERT_EQ(ComboCount(IDC_UI_LANGUAGE), 2);
    EXPECT_EQ(ComboSelection(IDC_UI_LANGUAGE), 0);
    EXPECT_EQ(ComboData(IDC_UI_LANGUAGE, 1), 1);
    std::u16string englishTitle = ItemText(IDC_WELCOME_TITLE);
    std::u16string englishNext = ItemText(IDC_NEXT);

    Choose(IDC_UI_LANGUAGE, 1, CBN_SELENDOK);
    EXPECT_EQ(Install->UiLanguage, 1u);
    // Text() now reads the Polish table too.
    EXPECT_EQ(ItemText(IDC_WELCOME_TITLE), Formatted(kIdWelcomeTitle, Text(kIdLayoutName)));
    EXPECT_NE(ItemText(IDC_WELCOME_TITLE), englishTitle);
    EXPECT_EQ(ItemText(IDC_WELCOME_BODY), Text(kIdWelcomeBody));
    EXPECT_EQ(ItemText(IDC_NEXT), Text(kIdNextButton));
    EXPECT_NE(ItemText(IDC_NEXT), englishNext);
    EXPECT_EQ(ItemText(IDC_CANCEL_PAGE), Text(kIdCancelButton));
    EXPECT_EQ(ItemText(IDC_UI_LANGUAGE_LABEL), Text(kIdUiLanguageLabel));
    ASSERT_EQ(ComboCount(IDC_UI_LANGUAGE), 2);
    EXPECT_EQ(ComboText(Item(IDC_UI_LANGUAGE), 0), Text(kIdUiLanguageEnglish));
    EXPECT_EQ(ComboText(Item(IDC_UI_LANGUAGE), 1), Text(kIdUiLanguagePolish));
    EXPECT_EQ(ComboSelection(IDC_UI_LANGUAGE), 1);

    // The next page comes in the chosen language.
    Click(IDC_NEXT);
    EXPECT_EQ(ItemText(IDC_LICENCE_TITLE), Text(kIdLicenceTitle));
    EXPECT_EQ(ItemText(IDC_BACK), Text(kIdBackButton));
    Click(IDC_BACK);
    Choose(IDC_UI_LANGUAGE, 0, CBN_SELENDOK);
    EXPECT_EQ(Install->UiLanguage, 0u);
    EXPECT_EQ(ItemText(IDC_WELCOME_TITLE), englishTitle);
}

TEST_F(Pages, LicenceNextFollowsTheAcceptBoxAndTheBoxIsKept)
{
    ToLicence();
    EXPECT_EQ(ItemText(IDC_LICENCE_TITLE), Text(kIdLicenceTitle));
    EXPECT_EQ(ItemText(IDC_ACCEPT_LICENCE), Text(kIdAcceptLicence));
    EXPECT_FALSE(Checked(IDC_ACCEPT_LICENCE));
    EXPECT_FALSE(Enabled(IDC_NEXT));
    Click(IDC_ACCEPT_LICENCE);
    EXPECT_TRUE(Enabled(IDC_NEXT));
    EXPECT_EQ(Install->LicenceAccepted, 1);
    Click(IDC_ACCEPT_LICENCE);
    EXPECT_FALSE(Enabled(IDC_NEXT));
    EXPECT_EQ(Install->LicenceAccepted, 0);
    Click(IDC_ACCEPT_LICENCE);
    Click(IDC_BACK);
    Click(IDC_NEXT);
    EXPECT_TRUE(Checked(IDC_ACCEPT_LICENCE));
    EXPECT_TRUE(Enabled(IDC_NEXT));
}

TEST_F(Pages, LicenceTextIsTheCurrentLanguagesAndNeverShownSelected)
{
    for (uint32_t language : {0u, 1u})
    {
        Install->UiLanguage = language;
        ToLicence();
        GString licence;
        const EmbeddedItem& item = Install->Payload.Licences[language];
        ASSERT_EQ(Install->DecodeTextItem(item.Bytes, item.Length, licence), 1);
        std::u16string text = ItemText(IDC_LICENCE_TEXT);
        EXPECT_GT(text.size(), 200u);
        EXPECT_EQ(text, Str(licence));
        HWND edit = Item(IDC_LICENCE_TEXT);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        SetFocus(edit);
        Pump();
        DWORD start = 0, end = 0;
        SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(start, end);
        Wizard->Cleanup();
        Pump();
    }
}

struct FinishCase
{
    int Uninstalled;
    int32_t OsCode;
    int PdfViewer;
};

TEST_F(Pages, FinishPageSaysWhatWasDone)
{
    const FinishCase cases[] = {{0, 100, 1}, {0, 60, 0}, {0, 51, 1}, {0, 50, 0}, {1, 100, 0}, {1, 51, 1}};
    for (const FinishCase& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.Uninstalled << " " << c.OsCode << " " << c.PdfViewer);
        Install->UninstallDone = c.Uninstalled;
        Install->OsCode = c.OsCode;
        Install->AssociationMatches = c.PdfViewer;
        Open();
        Post(WM_WIZ_DONE);
        ASSERT_EQ(PageNumber(), kPageFinish);
        std::u16string title, body;
        if (c.Uninstalled)
            body = Text(kIdUninstalledBody);
        else
        {
            title = Text(kIdInstalledText);
            body = c.OsCode >= 60 ? Text(kIdFinishBody)
                                  : Formatted(kIdFinishBodyBeforeVista, Text(kIdLayoutName));
            if (!c.PdfViewer)
                body += u"\n\n" + Text(kIdPdfViewerNote);
        }
        EXPECT_EQ(ItemText(IDC_FINISH_TITLE), title);
        EXPECT_EQ(ItemText(IDC_FINISH_BODY), body);
        EXPECT_EQ(ItemText(IDC_RESTART), Text(kIdRestartButton));
        EXPECT_FALSE(Visible(IDC_FINISH_UNUSED));
        Wizard->Cleanup();
        Pump();
    }
}

namespace
{
const int kLanguageControls[] = {IDC_INPUT_LANGUAGE_LABEL, IDC_INPUT_LANGUAGE, IDC_DEFAULT_INPUT};
const int kAlwaysShown[] = {IDC_SECOND_SET, IDC_VARIANT_LABEL, IDC_VARIANT, IDC_DECIMAL_LABEL, IDC_DECIMAL,
                            IDC_SETUP_NOTE, IDC_CANCEL_PAGE,   IDC_KEYS,    IDC_BACK,          IDC_INSTALL};
} // namespace

struct SetupCase
{
    int32_t OsCode;
    int Modify;
    bool Language;
    bool UserValues;
    bool Shortcuts;
};

TEST_F(Pages, SetupPageShowsTheOptionsTheSystemAndModeAllow)
{
    const SetupCase cases[] = {
        {51, 0, false, true, true}, // before Vista: no language choice
        {61, 0, true, true, true},  // Windows 7: everything
        {62, 0, true, true, false}, // Windows 8 and later: desktop shortcuts always made
        {100, 0, true, true, false},  {61, 1, false, false, false}, // modify mode
        {51, 1, false, false, false},
    };
    for (const SetupCase& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.OsCode << (c.Modify ? " modify" : ""));
        Install->OsCode = c.OsCode;
        Install->LanguageScriptOption = 1;
        Install->UserValuesOption = 1;
        Install->DesktopShortcutOption = 0;
        Open();
        if (c.Modify)
            Wizard->EnterModifyMode(1);
        Install->LicenceAccepted = 1;
        Post(WM_WIZ_SETUP);
        ASSERT_EQ(PageNumber(), kPageSetup);
        for (int id : kLanguageControls)
        {
            EXPECT_EQ(Visible(id), c.Language) << id;
            EXPECT_EQ(Enabled(id), c.Language) << id;
        }
        EXPECT_EQ(Checked(IDC_DEFAULT_INPUT), c.Language);
        EXPECT_EQ(Install->LanguageScriptOption, 1u); // shown unchecked, never changed
        EXPECT_EQ(Visible(IDC_USER_VALUES), c.UserValues);
        EXPECT_EQ(Checked(IDC_USER_VALUES), c.UserValues);
        EXPECT_EQ(Visible(IDC_DESKTOP_SHORTCUTS), c.Shortcuts);
        EXPECT_EQ(Enabled(IDC_DESKTOP_SHORTCUTS), c.Shortcuts);
        EXPECT_EQ(Install->DesktopShortcutOption, c.OsCode >= 62 ? 1 : 0);
        for (int id : kAlwaysShown)
            EXPECT_TRUE(Visible(id)) << id;
        EXPECT_FALSE(Visible(IDC_MORE_KEYS));
        EXPECT_FALSE(Enabled(IDC_MORE_KEYS));
        Wizard->Cleanup();
        Pump();
        Install->ModifyMode = 0;
    }
}

TEST_F(Pages, SetupPageTextsAndOptionsWriteTheInstaller)
{
    Install->OsCode = 61;
    Install->LayoutVariant = 1;
    Install->DecimalKeyOption = 0;
    ToSetup();
    EXPECT_EQ(ItemText(IDC_INPUT_LANGUAGE_LABEL), Formatted(kIdInputLanguageLabel, Text(kIdLayoutName)));
    EXPECT_EQ(ItemText(IDC_USER_VALUES), Text(kIdUserValuesCheck));
    EXPECT_EQ(ItemText(IDC_SECOND_SET), Text(kIdSecondSetCheck));
    EXPECT_EQ(ItemText(IDC_SETUP_NOTE), Text(kIdSetupNote));
    EXPECT_EQ(ItemText(IDC_KEYS), Text(kIdKeysButton));
    EXPECT_EQ(ItemText(IDC_INSTALL), Text(kIdInstallButton));
    ASSERT_EQ(ComboCount(IDC_VARIANT), 3);
    EXPECT_EQ(ComboText(Item(IDC_VARIANT), 2), Text(kIdVariantName2));
    EXPECT_EQ(ComboSelection(IDC_VARIANT), 1);
    ASSERT_EQ(ComboCount(IDC_DECIMAL), 2);
    EXPECT_EQ(ComboSelection(IDC_DECIMAL), 0);

    Click(IDC_DEFAULT_INPUT);
    EXPECT_EQ(Install->LanguageScriptOption, 0u);
    Click(IDC_USER_VALUES);
    EXPECT_EQ(Install->UserValuesOption, 0u);
    Click(IDC_DESKTOP_SHORTCUTS);
    EXPECT_EQ(Install->DesktopShortcutOption, 0);
    Click(IDC_SECOND_SET);
    EXPECT_EQ(Install->SecondSetOption, 1);
    Choose(IDC_VARIANT, 2, CBN_SELCHANGE);
    EXPECT_EQ(Install->LayoutVariant, 2);
    Choose(IDC_DECIMAL, 1, CBN_SELCHANGE);
    EXPECT_EQ(Install->DecimalKeyOption, 1);

    // Every choice lives in the installer, so the page comes back as it was left.
    Click(IDC_BACK);
    Click(IDC_NEXT);
    ASSERT_EQ(PageNumber(), kPageSetup);
    EXPECT_FALSE(Checked(IDC_DEFAULT_INPUT));
    EXPECT_FALSE(Checked(IDC_USER_VALUES));
    EXPECT_FALSE(Checked(IDC_DESKTOP_SHORTCUTS));
    EXPECT_TRUE(Checked(IDC_SECOND_SET));
    EXPECT_EQ(ComboSelection(IDC_VARIANT), 2);
    EXPECT_EQ(ComboSelection(IDC_DECIMAL), 1);
}

TEST_F(Pages, TheLanguageListHoldsEachLayoutLanguageOnceAndTheInputLanguageAlways)
{
    HKL layouts[64];
    int count = GetKeyboardLayoutList(64, layouts);
    ASSERT_GT(count, 0);
    std::set<LANGID> loaded;
    for (int i = 0; i < count; ++i)
        loaded.insert(LOWORD(reinterpret_cast<UINT_PTR>(layouts[i])));
    // Some language has two layouts loaded, so that merging them is put to the test.
    EXPECT_GT(count, static_cast<int>(loaded.size()));
    // An installed locale whose language has no layout loaded: as the input language it is listed.
    LANGID input = 0;
    for (LANGID candidate : {0x040E, 0x0405, 0x041D, 0x0413, 0x0416})
        if (!loaded.count(candidate) && IsValidLocale(candidate, LCID_INSTALLED))
        {
            input = candidate;
            break;
        }
    ASSERT_NE(input, 0);
    Install->OsCode = 100;
    Install->LanguageId = input;
    ToSetup();
    int items = ComboCount(IDC_INPUT_LANGUAGE);
    ASSERT_GT(items, 1);
    std::set<LPARAM> seen;
    std::set<LANGID> languages;
    int entry = -1; // the input language's
    for (int i = 0; i < items; ++i)
    {
        LPARAM data = ComboData(IDC_INPUT_LANGUAGE, i);
        EXPECT_TRUE(seen.insert(data).second) << "locale listed twice: " << std::hex << data;
        languages.insert(LOWORD(data));
        EXPECT_TRUE(data == input || loaded.count(LOWORD(data))) << std::hex << data;
        if (data == input)
            entry = i;
    }
    for (LANGID language : loaded)
        EXPECT_EQ(languages.count(language), 1u) << std::hex << language;
    ASSERT_GE(entry, 0);
    EXPECT_EQ(ComboSelection(IDC_INPUT_LANGUAGE), entry);
    std::u16string inputName = ComboText(Item(IDC_INPUT_LANGUAGE), entry);
    EXPECT_EQ(Str(Install->Text(CInstall::LanguageName)), inputName);
    EXPECT_EQ(ItemText(IDC_DEFAULT_INPUT),
              Formatted(kIdDefaultInputCheck, inputName + u" - " + Text(kIdLayoutName)));

    // Choosing another language updates the check box at once.
    int other = entry == 0 ? 1 : 0;
    std::u16string otherName = ComboText(Item(IDC_INPUT_LANGUAGE), other);
    Choose(IDC_INPUT_LANGUAGE, other, CBN_SELCHANGE);
    EXPECT_EQ(Install->LanguageId, static_cast<uint16_t>(ComboData(IDC_INPUT_LANGUAGE, other)));
    EXPECT_EQ(Str(Install->Text(CInstall::LanguageName)), otherName);
    EXPECT_EQ(ItemText(IDC_DEFAULT_INPUT),
              Formatted(kIdDefaultInputCheck, otherName + u" - " + Text(kIdLayoutName)));
}

// --- the key page --------------------------------------------------------------------------------

namespace
{
int Check(int row)
{
    return IDC_KEYS1_CHECK + row;
}
int List(int row)
{
    return IDC_KEYS1_LIST + row;
}
} // namespace

class KeyPage : public WizardFixture
{
  public:
    KeyRecord* Record(uint16_t scanCode)
    {
        return FindKeyRecord(Install->KeyTable, Install->KeyCount, scanCode);
    }
    void OpenList(int row)
    {
        SendMessageW(Item(List(row)), CB_SHOWDROPDOWN, TRUE, 0);
        Pump();
        SendMessageW(Item(List(row)), CB_SHOWDROPDOWN, FALSE, 0);
        Pump();
    }
};

TEST_F(KeyPage, RowsShowTheKeysAndOnlyTheFourteenInUse)
{
    ToKeys();
    EXPECT_EQ(ItemText(IDC_CANCEL_PAGE), Text(kIdCancelButton));
    EXPECT_EQ(ItemText(IDC_BACK), Text(kIdBackButton));
    EXPECT_EQ(ItemText(IDC_KEYS1_CAPTION), Text(kIdKeysButton));
    const uint32_t names[] = {kIdKeyLeftShift,  kIdKeyRightShift, kIdKeyLeftCtrl,    kIdKeyRightCtrl,
                              kIdKeyLeftAlt,    kIdKeyRightAlt,   kIdKeyLeftWindows, kIdKeyRightWindows,
                              kIdKeyMenu,       kIdKeyOem102,     kIdKeyTab,         kIdKeyCapsLock,
                              kIdKeyScrollLock, kIdKeyNumLock};
    for (int row = 1; row <= 14; ++row)
    {
        EXPECT_EQ(ItemText(Check(row)), Text(names[row - 1])) << row;
        EXPECT_TRUE(Visible(Check(row))) << row;
        EXPECT_FALSE(Checked(Check(row))) << row;
        EXPECT_FALSE(Enabled(List(row))) << row;
        EXPECT_EQ(ComboCount(List(row)), 0) << row;
    }
    for (int row = 15; row <= 20; ++row)
    {
        EXPECT_FALSE(Visible(Check(row))) << row;
        EXPECT_FALSE(Visible(List(row))) << row;
        EXPECT_FALSE(Enabled(Check(row))) << row;
    }
    EXPECT_FALSE(Visible(IDC_KEYS1_MORE));
    EXPECT_FALSE(Enabled(IDC_KEYS1_MORE));
}

TEST_F(KeyPage, AnAssignedRowOpensWithItsChoiceAndListsAllWhenOpened)
{
    Record(0x2A)->AssignedKey = 0xA2; // left Shift gives left Ctrl
    ToKeys();
    EXPECT_TRUE(Checked(Check(1)));
    EXPECT_TRUE(Enabled(List(1)));
    ASSERT_EQ(ComboCount(List(1)), 1);
    EXPECT_EQ(ComboText(Item(List(1)), 0), Text(kIdKeyLeftCtrl));
    EXPECT_EQ(ComboData(List(1), 0), 0xA2);
    EXPECT_EQ(ComboSelection(List(1)), 0);

    OpenList(1);
    ASSERT_EQ(ComboCount(List(1)), 26);
    EXPECT_EQ(ComboText(Item(List(1)), 0), Text(kIdKeyNameDisabled));
    EXPECT_EQ(ComboData(List(1), 0), 0xFF);
    EXPECT_EQ(ComboData(List(1), 25), 0x13);
    EXPECT_EQ(ComboSelection(List(1)), 4); // entry 5, left Ctrl
    OpenList(1);
    EXPECT_EQ(ComboCount(List(1)), 26); // loaded once
}

TEST_F(KeyPage, CheckingARowSelectsTheKeysOwnVirtualKeyWhichStoresAsUnchanged)
{
    ToKeys();
    Click(Check(1));
    EXPECT_TRUE(Enabled(List(1)));
    ASSERT_EQ(ComboCount(List(1)), 26);
    EXPECT_EQ(ComboData(List(1), ComboSelection(List(1))), 0xA0); // VK_LSHIFT
    Click(Check(2));
    EXPECT_EQ(ComboData(List(2), ComboSelection(List(2))), 0x1A1);
    // Opening the list after checking keeps what it shows.
    OpenList(2);
    EXPECT_EQ(ComboCount(List(2)), 26);
    EXPECT_EQ(ComboData(List(2), ComboSelection(List(2))), 0x1A1);
    Click(IDC_BACK);
    EXPECT_EQ(PageNumber(), kPageSetup);
    EXPECT_EQ(Record(0x2A)->AssignedKey, 0);
    EXPECT_EQ(Record(0x36)->AssignedKey, 0);
}

TEST_F(KeyPage, ChoosingStoresAtOnceAndEntryOneDisablesTheKey)
{
    ToKeys();
    Click(Check(12)); // Caps Lock
    Choose(List(12), 0, CBN_SELENDOK);
    EXPECT_EQ(Record(0x3A)->AssignedKey, 0xFF);
    Click(Check(4));                   // right Ctrl
    Choose(List(4), 10, CBN_SELENDOK); // entry 11, Menu
    EXPECT_EQ(Record(0xE01D)->AssignedKey, 0x15D);
    Click(IDC_BACK);
    EXPECT_EQ(Record(0x3A)->AssignedKey, 0xFF);
    EXPECT_EQ(Record(0xE01D)->AssignedKey, 0x15D);
    // Coming back rebuilds the rows from the table.
    Click(IDC_KEYS);
    EXPECT_TRUE(Checked(Check(12)));
    EXPECT_EQ(ComboText(Item(List(12)), 0), Text(kIdKeyNameDisabled));
    EXPECT_TRUE(Checked(Check(4)));
    EXPECT_FALSE(Checked(Check(1)));
}

TEST_F(KeyPage, CancelStoresNoRows)
{
    Record(0x46)->AssignedKey = 0x14; // Scroll Lock gives Caps Lock
    ToKeys();
    Click(Check(13));
    EXPECT_FALSE(Checked(Check(13)));
    Answers.Answer = IDYES;
    Click(IDC_CANCEL_PAGE);
    EXPECT_TRUE(Quit);
    EXPECT_EQ(Record(0x46)->AssignedKey, 0x14);
}

TEST_F(KeyPage, UncheckingStoresTheDefaultAndCheckingAgainRestoresTheChoice)
{
    Record(0x38)->AssignedKey = 0x1A3; // left Alt gives right Ctrl
    Record(0x0F)->AssignedKey = 0x14;  // Tab gives Caps Lock
    ToKeys();
    Click(Check(5));
    EXPECT_FALSE(Enabled(List(5)));
    EXPECT_EQ(ComboText(Item(List(5)), ComboSelection(List(5))), u" ");
    Click(Check(5));
    EXPECT_TRUE(Enabled(List(5)));
    EXPECT_EQ(ComboCount(List(5)), 26);
    EXPECT_EQ(ComboData(List(5), ComboSelection(List(5))), 0x1A3);

    Click(Check(11));
    Click(IDC_BACK);
    EXPECT_EQ(Record(0x38)->AssignedKey, 0x1A3);
    EXPECT_EQ(Record(0x0F)->AssignedKey, 0);
}
