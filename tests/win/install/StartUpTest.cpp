// The start-up checks in their order, what they tell the user, and the end of a run: the finishing
// value and the restart.
#include "InstallTestSupport.h"

#include "payload/StringIds.h"

namespace scenario
{
namespace
{
class StartUp : public ScenarioTest
{
};

struct CheckCase
{
    const char* What;
    DWORD Major, Minor;
    uint16_t Processor;
    int VersionRefused;
    int Administrator;
    LANGID Language;
    int Result;
    uint32_t Message; // 0: none
    UINT Flags;
};
} // namespace

TEST_F(StartUp, ChecksInTheirOrder)
{
    const CheckCase cases[] = {
        {"supported, administrator", 10, 0, 9, 0, 1, 0x0409, CInstall::kRunWizard, 0, 0},
        {"Windows NT 4", 4, 0, 0, 0, 1, 0x0409, 0, kIdUnsupportedSystem, MB_ICONEXCLAMATION},
        {"XP on AMD64", 5, 1, 9, 0, 1, 0x0409, 0, kIdUnsupportedSystem, MB_ICONEXCLAMATION},
        {"no version at all", 0, 0, 0xFFFF, 1, 1, 0x0409, 0, kIdUnsupportedSystem, MB_ICONEXCLAMATION},
        {"not an administrator", 6, 1, 0, 0, 0, 0x0409, 1, kIdNeedAdministrator, MB_OK},
        {"unsupported comes first", 6, 4, 0, 0, 0, 0x0409, 0, kIdUnsupportedSystem, MB_ICONEXCLAMATION},
        {"a Polish user, in Polish", 6, 4, 0, 0, 0, 0x0415, 0, kIdUnsupportedSystem, MB_ICONEXCLAMATION},
        {"a Polish user without the rights", 6, 1, 0, 0, 0, 0x0415, 1, kIdNeedAdministrator, MB_OK},
    };
    for (const CheckCase& c : cases)
    {
        SCOPED_TRACE(c.What);
        Fake.Major = c.Major;
        Fake.Minor = c.Minor;
        Fake.Processor = c.Processor;
        Fake.VersionRefused = c.VersionRefused;
        Fake.Administrator = c.Administrator;
        Fake.Language = c.Language;
        Fake.Messages.clear();
        CInstall in(Test.Payload);
        ASSERT_EQ(in.Init(GetModuleHandleW(nullptr)), 1);
        EXPECT_EQ(in.PrepareRun(), c.Result);
        EXPECT_EQ(in.UiLanguage, c.Language == 0x0415 ? 1u : 0u);
        if (!c.Message)
        {
            EXPECT_TRUE(Fake.Messages.empty());
            continue;
        }
        ASSERT_EQ(Fake.Messages.size(), 1u);
        EXPECT_EQ(Fake.Messages[0].Text, Text(in, c.Message));
        EXPECT_EQ(Fake.Messages[0].Caption, Text(in, kIdWizardTitle));
        EXPECT_EQ(Fake.Messages[0].Flags, c.Flags);
        // The message is in the user's language: the same id in the other table reads differently.
        const uint32_t language = in.UiLanguage;
        in.UiLanguage = 1 - language;
        EXPECT_NE(Fake.Messages[0].Text, Text(in, c.Message));
        in.UiLanguage = language;
    }
}

TEST_F(StartUp, LanguageAndScriptOptionBySystem)
{
    struct Case
    {
        DWORD Major, Minor;
        uint16_t Language, Expected;
        uint32_t ScriptOption;
    };
    const Case cases[] = {{5, 0, 0x0409, 0x0415, 0},
                          {5, 1, 0x0409, 0x0415, 1},
                          {6, 0, 0x0409, 0x0409, 1},
                          {10, 0, 0x0407, 0x0407, 1}};
    for (const Case& c : cases)
    {
        Fake.Major = c.Major;
        Fake.Minor = c.Minor;
        Fake.Processor = PROCESSOR_ARCHITECTURE_INTEL;
        Fake.Language = c.Language;
        CInstall in(Test.Payload);
        ASSERT_EQ(in.Init(GetModuleHandleW(nullptr)), 1);
        ASSERT_EQ(in.PrepareRun(), CInstall::kRunWizard);
        EXPECT_EQ(in.LanguageId, c.Expected) << c.Major << "." << c.Minor;
        EXPECT_EQ(in.LanguageScriptOption, c.ScriptOption) << c.Major << "." << c.Minor;
    }
}

TEST_F(StartUp, ASecondCopyOnlyBringsTheFirstToTheFront)
{
    CInstall in(Test.Payload);
    ASSERT_EQ(in.Init(GetModuleHandleW(nullptr)), 1);
    const std::wstring className = Text(in, kIdWindowClass);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className.c_str();
    ASSERT_NE(RegisterClassW(&windowClass), 0);
    HWND first = CreateWindowW(className.c_str(), L"first copy", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!first)
    {
        UnregisterClassW(className.c_str(), GetModuleHandleW(nullptr));
        GTEST_SKIP() << "no window without a display (run with DISPLAY set, under Xvfb)";
    }
    EXPECT_EQ(in.ActivateRunningInstance(), 0);
    EXPECT_EQ(in.PrepareRun(), 0);
    EXPECT_TRUE(Fake.Messages.empty());
    DestroyWindow(first);
    UnregisterClassW(className.c_str(), GetModuleHandleW(nullptr));
    EXPECT_EQ(in.ActivateRunningInstance(), 1);
}

TEST_F(StartUp, AnAdministratorsRunReadsTheMapAndTheRecord)
{
    // A map with Caps Lock switched off, and a record of this version with its options.
    const uint8_t map[] = {0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0x00, 0x00, 0x3A, 0x00, 0, 0, 0, 0};
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, Paths.ScancodeKey.c_str(), 0, KEY_SET_VALUE, &key),
              ERROR_SUCCESS);
    RegSetValueExW(key, ScancodeValue.c_str(), 0, REG_BINARY, map, sizeof map);
    RegCloseKey(key);
    {
        auto install = StartRun();
        ASSERT_EQ(install->Install(), 1);
    }
    auto run = StartRun();
    EXPECT_EQ(run->ScancodeMapFound, 1);
    EXPECT_EQ(FindKeyRecord(run->KeyTable, run->KeyCount, 0x3A)->RemapScanCode, 255);
    EXPECT_EQ(run->InstalledVersion, 190u);
    EXPECT_FALSE(Field(*run, CInstall::InstallFolder).empty()) << "the paths are computed";
}

TEST_F(StartUp, FinishWritesTheFinishingValueAndRestarts)
{
    struct Case
    {
        DWORD Major, Minor;
        int Installed, Uninstalled, Restart;
        uint32_t Value; // 0: none written
    };
    const Case cases[] = {{10, 0, 1, 0, 0, kIdFinishCommand},
                          {5, 0, 0, 1, 1, kIdFinishCommandWin2000},
                          {6, 1, 0, 0, 1, 0},
                          {6, 1, 0, 0, 0, 0}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message()
                     << c.Major << "." << c.Minor << " " << c.Installed << c.Uninstalled << c.Restart);
        DeleteValue(HKEY_LOCAL_MACHINE, Paths.FinishKey, FinishValue.c_str(), KEY_WOW64_32KEY);
        Fake.Major = c.Major;
        Fake.Minor = c.Minor;
        Fake.Processor = PROCESSOR_ARCHITECTURE_INTEL;
        Fake.Shutdowns = 0;
        CInstall in(Test.Payload);
        ASSERT_EQ(in.Init(GetModuleHandleW(nullptr)), 1);
        ASSERT_EQ(in.PrepareRun(), CInstall::kRunWizard);
        const std::wstring expected = c.Value ? Text(in, c.Value) : L"";
        in.InstallDone = c.Installed;
        in.UninstallDone = c.Uninstalled;
        in.RestartRequested = c.Restart;
        in.Finish();
        std::wstring value;
        EXPECT_EQ(
            ReadString(HKEY_LOCAL_MACHINE, Paths.FinishKey, FinishValue.c_str(), &value, KEY_WOW64_32KEY),
            c.Value != 0);
        EXPECT_EQ(value, expected);
        EXPECT_EQ(Fake.Shutdowns, c.Restart) << "a restart is asked for only when the user wants it";
        EXPECT_EQ(Text(in, kIdProductName), L"<none>") << "the tables are gone before the restart";
    }
    // Without the key the value is not written (the key is opened, never created).
    CInstall in(Test.Payload);
    ASSERT_EQ(in.Init(GetModuleHandleW(nullptr)), 1);
    in.OsCode = 100;
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, Paths.FinishKey.c_str(), 0, KEY_READ | KEY_WOW64_32KEY, &key),
              ERROR_SUCCESS);
    DWORD subKeys = 1, values = 1;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr, nullptr,
                     nullptr, nullptr);
    RegCloseKey(key);
    if (subKeys || values)
        GTEST_SKIP() << "the prefix's RunOnce key is in use";
    DeleteTree(HKEY_LOCAL_MACHINE, Paths.FinishKey, KEY_WOW64_32KEY);
    EXPECT_EQ(in.WriteFinishValue(), 0);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Paths.FinishKey, KEY_WOW64_32KEY));
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, Paths.FinishKey.c_str(), 0, nullptr, 0,
                              KEY_WRITE | KEY_WOW64_32KEY, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
}
} // namespace scenario
