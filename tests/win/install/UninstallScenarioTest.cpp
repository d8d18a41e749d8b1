// Uninstalls: the last installation of the family, one of two, one started from the uninstaller copy,
// and an older installation that kept no record.
#include "InstallTestSupport.h"

#include <shlobj.h>

#include "payload/StringIds.h"

namespace scenario
{
namespace
{
std::wstring Wide(GString& text)
{
    text.ToWide();
    return std::wstring(reinterpret_cast<const wchar_t*>(text.GetW(0)),
                        static_cast<size_t>(text.GetLength()));
}

const CInstall::TextIndex kFamilyFiles[] = {
    CInstall::FileC, CInstall::MenuLinkC, CInstall::DesktopLinkC, CInstall::MenuLinkD, CInstall::DesktopLinkD,
    CInstall::FileB, CInstall::MenuLinkB, CInstall::DesktopLinkB, CInstall::FileD};
const CInstall::TextIndex kGroupA[] = {CInstall::FileA, CInstall::MenuLinkA, CInstall::DesktopLinkA};

// Runs one helper test of this program in the copy at path; its exit code.
DWORD RunCopy(const std::wstring& path, const wchar_t* test)
{
    std::wstring command = L"\"" + path + L"\" --gtest_filter=" + test + L" --gtest_also_run_disabled_tests";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return 99;
    WaitForSingleObject(process.hProcess, 120000);
    DWORD exitCode = 98;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode;
}

class UninstallScenario : public ScenarioTest
{
  protected:
    void InstallOnce()
    {
        auto first = StartRun();
        ASSERT_EQ(first->Install(), 1);
    }
    // Gone now, or (when in use) going at the restart.
    bool Removed(const std::wstring& path) { return !FileExists(path) || HasPendingMove(path, L""); }
    void ExpectLibraryDeletionScheduled(CInstall& in)
    {
        GString primary, secondary;
        ASSERT_EQ(in.GetLayoutLibraryPaths(primary, secondary, nullptr, nullptr), 1);
        EXPECT_TRUE(HasPendingMove(Wide(primary), L""));
        if (in.Is64BitWindows)
        {
            EXPECT_TRUE(HasPendingMove(Wide(secondary), L""));
        }
        else
        {
            EXPECT_EQ(secondary.GetLength(), 0);
        }
    }
};
} // namespace

TEST_F(UninstallScenario, TheLastInstallationTakesEverythingAway)
{
    InstallOnce();
    auto run = StartRun();
    CInstall& in = *run;
    ASSERT_EQ(in.InstalledVersion, 190u);
    Fake.Processes.clear();
    ASSERT_EQ(in.Uninstall(), 1);
    EXPECT_EQ(in.UninstallDone, 1);
    EXPECT_EQ(in.FamilyCount, 0u);
    EXPECT_EQ(in.ShareCountA, 0u);

    for (CInstall::TextIndex f : kFamilyFiles)
        EXPECT_TRUE(Removed(Field(in, f))) << f;
    for (CInstall::TextIndex f : kGroupA)
        EXPECT_TRUE(Removed(Field(in, f))) << f;
    EXPECT_FALSE(FileExists(Field(in, CInstall::UninstallerFile)));
    EXPECT_FALSE(FileExists(Field(in, CInstall::UninstallerLink)));
    ExpectLibraryDeletionScheduled(in);
    // The staging files went at the restart's moves, or go with the folder now; the folders are empty.
    for (CInstall::TextIndex f : {CInstall::MenuFolder, CInstall::MenuRootFolder})
        EXPECT_FALSE(FileExists(Field(in, f))) << f;

    const std::wstring vendor = Paths.Family.substr(0, Paths.Family.rfind(L'\\'));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, vendor, KEY_WOW64_32KEY)) << "the record is taken apart";
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Paths.Registration, KEY_WOW64_64KEY));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, Text(in, kIdLayoutListKey), KEY_WOW64_64KEY));

    ASSERT_EQ(Fake.Processes.size(), 1u) << "the removal script runs when the family goes";
    EXPECT_NE(Fake.Processes[0].Script.find("Action=\"remove\" ID=\"0415:a0000415\""), std::string::npos)
        << Fake.Processes[0].Script;
}

TEST_F(UninstallScenario, OneOfTwoInstallationsLeavesTheFamilyAlone)
{
    InstallOnce();
    // Another layout of the family: a second member, sharing file A, with its own layout key.
    const REGSAM v32 = KEY_WOW64_32KEY;
    auto probe = StartRun();
    ASSERT_TRUE(
        WriteDword(HKEY_LOCAL_MACHINE, Paths.Family, Text(*probe, kIdFamilyCountValue).c_str(), 2, v32));
    ASSERT_TRUE(
        WriteDword(HKEY_LOCAL_MACHINE, Paths.FileA, Text(*probe, kIdShareCountAValue).c_str(), 2, v32));
    ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, Paths.Layouts + L"\\Other Layout",
                           Text(*probe, kIdInstalledVersionValue).c_str(), 190, v32));
    probe.reset();

    auto run = StartRun();
    CInstall& in = *run;
    EXPECT_EQ(in.FamilyCount, 2u);
    EXPECT_EQ(in.ShareCountA, 2u);
    Fake.Processes.clear();
    ASSERT_EQ(in.Uninstall(), 1);

    uint32_t number = 0;
    EXPECT_TRUE(
        ReadDword(HKEY_LOCAL_MACHINE, Paths.Family, Text(in, kIdFamilyCountValue).c_str(), &number, v32));
    EXPECT_EQ(number, 1u);
    EXPECT_TRUE(
        ReadDword(HKEY_LOCAL_MACHINE, Paths.FileA, Text(in, kIdShareCountAValue).c_str(), &number, v32));
    EXPECT_EQ(number, 1u);
    for (CInstall::TextIndex f : kFamilyFiles)
        EXPECT_TRUE(FileExists(Field(in, f))) << f;
    for (CInstall::TextIndex f : kGroupA)
        EXPECT_TRUE(FileExists(Field(in, f))) << f;
    EXPECT_TRUE(Fake.Processes.empty()) << "the family stays: no removal script";
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Paths.Layout, v32));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, Paths.Layouts + L"\\Other Layout", v32));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Paths.Registration, KEY_WOW64_64KEY));
    EXPECT_FALSE(FileExists(Field(in, CInstall::UninstallerFile)));
    ExpectLibraryDeletionScheduled(in);
}

// The copy in the install folder uninstalls itself: run as a program of its own, it cannot delete its
// own file, which goes at the restart, and the install folder with it.
TEST_F(UninstallScenario, StartedFromTheUninstallerCopy)
{
    InstallOnce();
    auto probe = StartRun();
    const std::wstring copy = Field(*probe, CInstall::UninstallerFile);
    const std::wstring folder = Field(*probe, CInstall::InstallFolder);
    probe.reset();
    ASSERT_TRUE(FileExists(copy));

    ASSERT_EQ(RunCopy(copy, L"UninstallHelper.DISABLED_UninstallHere"), 0u)
        << "the uninstall in the copy failed";

    EXPECT_TRUE(FileExists(copy));
    EXPECT_TRUE(HasPendingMove(copy, L"")) << "the running copy goes at the restart";
    EXPECT_TRUE(FileExists(folder)) << "not empty until the restart";
    EXPECT_TRUE(HasPendingMove(folder, L"")) << "and goes then, after the copy";
    // The restart takes them in order: the copy before its folder.
    int copyAt = -1, folderAt = -1, at = 0;
    for (const PendingMove& m : PendingMoves())
    {
        if (SamePath(m.From, copy))
            copyAt = at;
        if (SamePath(m.From, folder))
            folderAt = at;
        ++at;
    }
    EXPECT_LT(copyAt, folderAt);
    const std::wstring vendor = Paths.Family.substr(0, Paths.Family.rfind(L'\\'));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, vendor, KEY_WOW64_32KEY));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Paths.Registration, KEY_WOW64_64KEY));
}

// A full install run from the uninstaller copy (its record gone, say) keeps the copy it runs from.
TEST_F(UninstallScenario, InstallStartedFromTheUninstallerCopy)
{
    InstallOnce();
    auto probe = StartRun();
    const std::wstring copy = Field(*probe, CInstall::UninstallerFile);
    probe.reset();
    ASSERT_EQ(RunCopy(copy, L"UninstallHelper.DISABLED_InstallHere"), 0u) << "the install in the copy failed";
    EXPECT_TRUE(FileExists(copy));
}

TEST(UninstallHelper, DISABLED_InstallHere)
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    FakePlatform fake;
    PlatformScope scope(&fake);
    TestPayload test;
    CInstall install(test.Payload);
    ASSERT_EQ(install.Init(GetModuleHandleW(nullptr)), 1);
    ASSERT_EQ(install.PrepareRun(), CInstall::kRunWizard);
    ASSERT_TRUE(SamePath(Field(install, CInstall::ProgramPath), Field(install, CInstall::UninstallerFile)));
    EXPECT_EQ(install.Install(), 1);
}

TEST(UninstallHelper, DISABLED_UninstallHere)
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    FakePlatform fake;
    PlatformScope scope(&fake);
    TestPayload test;
    CInstall install(test.Payload);
    ASSERT_EQ(install.Init(GetModuleHandleW(nullptr)), 1);
    ASSERT_EQ(install.PrepareRun(), CInstall::kRunWizard);
    ASSERT_EQ(install.InstalledVersion, 190u);
    ASSERT_TRUE(
        SamePath(Field(install, CInstall::ProgramPath), Field(install, CInstall::RecordedUninstaller)));
    EXPECT_EQ(install.Uninstall(), 1);
}

TEST_F(UninstallScenario, AnOlderInstallationGoesByTheShortPath)
{
    auto probe = StartRun();
    const REGSAM v64 = KEY_WOW64_64KEY;
    // What an older installer left: its registration (with a display name of its own) and four files.
    const std::pair<uint32_t, uint32_t> registration[] = {{kIdLayoutTextValue, kIdLayoutName},
                                                          {kIdLayoutIdValue, kIdLayoutId},
                                                          {kIdLayoutFileValue, kIdLayoutFileName}};
    for (auto [name, text] : registration)
        ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, Paths.Registration, Text(*probe, name).c_str(),
                                Text(*probe, text), v64));
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, Paths.Registration,
                            Text(*probe, kIdLayoutDisplayNameValue).c_str(), L"Ogonek 1.3", v64));
    GString documents, desktop;
    probe->GetSpecialFolder(CSIDL_PERSONAL, documents);
    probe->GetSpecialFolder(CSIDL_DESKTOP, desktop);
    const std::wstring legacy[] = {
        Wide(documents) + L"\\" + Text(*probe, kIdLegacyChartName) + Text(*probe, kIdDocumentExtension),
        Wide(desktop) + L"\\" + Text(*probe, kIdLegacyChartName) + Text(*probe, kIdLinkExtension),
        Wide(documents) + L"\\" + Text(*probe, kIdLegacyReadMeName) + Text(*probe, kIdFileCExtension),
        Wide(desktop) + L"\\" + Text(*probe, kIdLegacyReadMeName) + Text(*probe, kIdLinkExtension)};
    for (const std::wstring& f : legacy)
        WriteBytes(f, "left by an older installer");
    probe.reset();

    auto run = StartRun();
    CInstall& in = *run;
    ASSERT_EQ(in.InstalledVersion, 130u);
    Fake.Processes.clear();
    ASSERT_EQ(in.Uninstall(), 1);
    EXPECT_EQ(in.UninstallDone, 1);
    for (const std::wstring& f : legacy)
        EXPECT_FALSE(FileExists(f)) << std::string(f.begin(), f.end());
    ExpectLibraryDeletionScheduled(in);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Paths.Registration, v64));
    EXPECT_EQ(Fake.Processes.size(), 1u);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Paths.Family, KEY_WOW64_32KEY))
        << "no record is made or touched";
    EXPECT_EQ(in.FamilyCount, 0u);
}

TEST_F(UninstallScenario, AnOlderInstallationIsReplacedByAnInstall)
{
    auto probe = StartRun();
    const REGSAM v64 = KEY_WOW64_64KEY;
    const std::pair<uint32_t, uint32_t> registration[] = {{kIdLayoutTextValue, kIdLayoutName},
                                                          {kIdLayoutIdValue, kIdLayoutId},
                                                          {kIdLayoutFileValue, kIdLayoutFileName}};
    for (auto [name, text] : registration)
        ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, Paths.Registration, Text(*probe, name).c_str(),
                                Text(*probe, text), v64));
    GString documents;
    probe->GetSpecialFolder(CSIDL_PERSONAL, documents);
    const std::wstring chart =
        Wide(documents) + L"\\" + Text(*probe, kIdLegacyChartName) + Text(*probe, kIdDocumentExtension);
    WriteBytes(chart, "left by an older installer");
    // A registration that differs in one compared value is not an older installation of ours.
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, Paths.Registration, Text(*probe, kIdLayoutIdValue).c_str(),
                            L"0F16", v64));
    probe.reset();
    EXPECT_EQ(StartRun()->InstalledVersion, 0u);
    auto restore = StartRun();
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, Paths.Registration, Text(*restore, kIdLayoutIdValue).c_str(),
                            Text(*restore, kIdLayoutId), v64));
    restore.reset();

    auto run = StartRun();
    CInstall& in = *run;
    ASSERT_EQ(in.InstalledVersion, 130u);
    ASSERT_EQ(in.Install(), 1);
    EXPECT_FALSE(FileExists(chart));
    uint32_t number = 0;
    EXPECT_TRUE(ReadDword(HKEY_LOCAL_MACHINE, Paths.Family, Text(in, kIdFamilyCountValue).c_str(), &number,
                          KEY_WOW64_32KEY));
    EXPECT_EQ(number, 1u) << "the older installation was no member of the family";
    GString primary, secondary;
    in.GetLayoutLibraryPaths(primary, secondary, nullptr, nullptr);
    EXPECT_FALSE(HasPendingMove(Wide(primary), L"")) << "the library is replaced, not deleted";
}
} // namespace scenario

namespace scenario
{
// On 64-bit Windows the key is deleted through the call that takes the registry view; a system
// without it still loses the key, through the plain call.
TEST_F(UninstallScenario, WithoutTheViewAwareDeletionThePlainOneRemovesTheKey)
{
    Test.ChangeExtraText(kIdDeleteKeyExFunction, "RegDeleteKeyExNoSuchCallW", false);
    InstallOnce();
    auto run = StartRun();
    ASSERT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, Paths.Registration, KEY_WOW64_64KEY));
    EXPECT_EQ(run->UnregisterLayout(), 1);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Paths.Registration, KEY_WOW64_64KEY));
    EXPECT_EQ(run->UnregisterLayout(), 0) << "already gone";
}
} // namespace scenario
