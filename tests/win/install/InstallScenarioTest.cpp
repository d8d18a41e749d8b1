// Installs from a clean machine, again over an installation, in modify mode, with key assignments
// and remappings, and with steps that fail; checked by what they leave on the machine.
#include "InstallTestSupport.h"

#include <shlobj.h>

#include "engine/LayoutPatch.h"
#include "engine/ScancodeMap.h"
#include "payload/LayoutSelection.h"
#include "payload/StringIds.h"
#include "platform/Handles.h"

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

std::string Utf8(const std::wstring& text)
{
    std::string out(
        static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr)),
        '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), static_cast<int>(out.size()), nullptr,
                        nullptr);
    out.pop_back();
    return out;
}

std::string Content(const std::wstring& path)
{
    const std::vector<uint8_t> bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// The target a shell link file points to, as the shell reads it.
std::wstring LinkTarget(const std::wstring& link)
{
    CComPtr<IShellLinkW> shell;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                shell.Receive())))
        return L"<no link object>";
    CComPtr<IPersistFile> file;
    if (FAILED(shell->QueryInterface(IID_IPersistFile, file.Receive())) ||
        FAILED(file->Load(link.c_str(), STGM_READ)))
        return L"<unreadable>";
    wchar_t target[MAX_PATH] = {};
    shell->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
    return target;
}

struct LibraryPaths
{
    std::wstring Primary, Secondary, PrimaryStaging, SecondaryStaging;
};

LibraryPaths LibraryPathsOf(CInstall& install)
{
    GString p1, p2, s1, s2;
    EXPECT_EQ(install.GetLayoutLibraryPaths(p1, p2, &s1, &s2), 1);
    return {Wide(p1), Wide(p2), Wide(s1), Wide(s2)};
}

int PendingFrom(const std::wstring& folder)
{
    int count = 0;
    for (const PendingMove& m : PendingMoves())
        if (m.From.size() > folder.size() && SamePath(m.From.substr(0, folder.size()), folder))
            ++count;
    return count;
}

std::vector<uint8_t> Words(std::initializer_list<uint32_t> words)
{
    std::vector<uint8_t> out;
    for (uint32_t w : words)
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(w >> (8 * i)));
    return out;
}

KeyRecord& Key(CInstall& install, uint16_t scanCode)
{
    KeyRecord* record = FindKeyRecord(install.KeyTable, install.KeyCount, scanCode);
    EXPECT_NE(record, nullptr);
    return *record;
}

// The build the installation should have staged, patched as the engine is told to patch it.
std::vector<uint8_t> ExpectedLibrary(CInstall& install, std::vector<uint8_t> image)
{
    int lengths[4] = {};
    unsigned char* patterns[4] = {
        install.GetHexBytes(ScanCodeTablePatternId(install.LayoutVariant), &lengths[0]),
        install.GetHexBytes(kIdE0TablePattern, &lengths[1]),
        install.GetHexBytes(kIdE1TablePattern, &lengths[2]),
        install.GetHexBytes(kIdDecimalKeyPattern, &lengths[3])};
    LayoutPatchPlan plan;
    plan.Keys = install.KeyTable;
    plan.KeyCount = install.KeyCount;
    plan.ScanCodeTable = {patterns[0], lengths[0]};
    plan.E0Table = {patterns[1], lengths[1]};
    plan.E1Table = {patterns[2], lengths[2]};
    plan.PatchDecimalKey = install.DecimalKeyOption == 0;
    plan.DecimalSite = {patterns[3], lengths[3]};
    EXPECT_EQ(PatchLayoutImage(image.data(), static_cast<int>(image.size()), plan), LayoutPatchResult::Done);
    for (unsigned char* p : patterns)
        free(p);
    return image;
}

class InstallScenario : public ScenarioTest
{
  protected:
    int BuildIndex(CInstall& install, int secondary)
    {
        int primary = -1, native = -1;
        PickBuildIndices(install.OsCode, install.ProcessorArchitecture, &primary, &native);
        return secondary ? native : primary;
    }
    std::wstring Name(CInstall& install, uint32_t id) { return Text(install, id); }
};
} // namespace

TEST_F(InstallScenario, FirstInstallPlacesEverything)
{
    Fake.Language = 0x0415;
    auto run = StartRun();
    CInstall& in = *run;
    ASSERT_EQ(in.InstalledVersion, 0u);
    ASSERT_EQ(in.Install(), 1);
    EXPECT_EQ(in.InstallDone, 1);

    // The libraries: staged in the install folder, moved over the system copies at the restart.
    const LibraryPaths lib = LibraryPathsOf(in);
    const std::wstring installFolder = Field(in, CInstall::InstallFolder);
    EXPECT_EQ(ReadBytes(lib.PrimaryStaging),
              ExpectedLibrary(in, DecodedBuild(in, 0, in.LayoutVariant, BuildIndex(in, 0))));
    EXPECT_TRUE(HasPendingMove(lib.PrimaryStaging, lib.Primary));
    if (in.Is64BitWindows)
    {
        EXPECT_EQ(lib.SecondaryStaging, lib.PrimaryStaging + L"64");
        EXPECT_EQ(ReadBytes(lib.SecondaryStaging),
                  ExpectedLibrary(in, DecodedBuild(in, 0, in.LayoutVariant, BuildIndex(in, 1))));
        EXPECT_TRUE(HasPendingMove(lib.SecondaryStaging, lib.Secondary));
        EXPECT_FALSE(SamePath(lib.Primary, lib.Secondary));
        EXPECT_EQ(lib.Primary.find(L"Sysnative"), std::wstring::npos);
        EXPECT_EQ(PendingFrom(installFolder), 2);
    }
    else
    {
        EXPECT_FALSE(FileExists(lib.PrimaryStaging + L"64"));
        EXPECT_EQ(PendingFrom(installFolder), 1);
    }
    for (const PendingMove& m : PendingMoves())
    {
        if (SamePath(m.From, lib.PrimaryStaging))
        {
            EXPECT_TRUE(m.Replace) << "the move replaces the system copy";
        }
    }

    // The registration, in the view the 64-bit system reads.
    const std::pair<uint32_t, uint32_t> registration[] = {{kIdLayoutTextValue, kIdLayoutName},
                                                          {kIdLayoutDisplayNameValue, kIdLayoutDisplayName},
                                                          {kIdLayoutIdValue, kIdLayoutId},
                                                          {kIdLayoutFileValue, kIdLayoutFileName}};
    for (auto [name, text] : registration)
    {
        std::wstring value;
        EXPECT_TRUE(ReadString(HKEY_LOCAL_MACHINE, Paths.Registration, Name(in, name).c_str(), &value,
                               KEY_WOW64_64KEY));
        EXPECT_EQ(value, Name(in, text));
    }
    std::vector<uint8_t> map;
    EXPECT_FALSE(ReadBinary(HKEY_LOCAL_MACHINE, Paths.ScancodeKey, ScancodeValue.c_str(), &map))
        << "no remapping and no map before: none written";
    for (uint32_t id : {kIdHotkeyValue, kIdLanguageHotkeyValue, kIdLayoutHotkeyValue})
    {
        std::wstring value;
        EXPECT_TRUE(ReadString(HKEY_CURRENT_USER, Paths.UserValues, Name(in, id).c_str(), &value));
        EXPECT_EQ(value, L"3");
    }

    // The record, in the 32-bit view.
    const REGSAM v32 = KEY_WOW64_32KEY;
    std::wstring previous, value;
    ASSERT_TRUE(ReadString(HKEY_LOCAL_MACHINE, Paths.Family, Name(in, kIdPreviousLayoutValue).c_str(),
                           &previous, v32));
    EXPECT_EQ(previous.substr(0, 5), L"0415:");
    EXPECT_EQ(previous.size(), 13u) << "language, colon, the eight digits of the active layout";
    uint32_t number = 0;
    EXPECT_TRUE(
        ReadDword(HKEY_LOCAL_MACHINE, Paths.Family, Name(in, kIdFamilyCountValue).c_str(), &number, v32));
    EXPECT_EQ(number, 1u);
    const std::pair<uint32_t, CInstall::TextIndex> family[] = {
        {kIdFileCPathValue, CInstall::FileC},           {kIdMenuLinkCValue, CInstall::MenuLinkC},
        {kIdDesktopLinkCValue, CInstall::DesktopLinkC}, {kIdMenuLinkDValue, CInstall::MenuLinkD},
        {kIdDesktopLinkDValue, CInstall::DesktopLinkD}, {kIdFileDPathValue, CInstall::FileD},
        {kIdFileBPathValue, CInstall::FileB},           {kIdMenuLinkBValue, CInstall::MenuLinkB},
        {kIdDesktopLinkBValue, CInstall::DesktopLinkB}};
    for (auto [name, field] : family)
    {
        EXPECT_TRUE(ReadString(HKEY_LOCAL_MACHINE, Paths.Family, Name(in, name).c_str(), &value, v32))
            << name;
        EXPECT_EQ(value, Field(in, field)) << name;
    }
    EXPECT_TRUE(
        ReadDword(HKEY_LOCAL_MACHINE, Paths.Family, Name(in, kIdVersionBValue).c_str(), &number, v32));
    EXPECT_EQ(number, 190u);
    const std::pair<uint32_t, CInstall::TextIndex> fileA[] = {{kIdFileAPathValue, CInstall::FileA},
                                                              {kIdMenuLinkAValue, CInstall::MenuLinkA},
                                                              {kIdDesktopLinkAValue, CInstall::DesktopLinkA}};
    for (auto [name, field] : fileA)
    {
        EXPECT_TRUE(ReadString(HKEY_LOCAL_MACHINE, Paths.FileA, Name(in, name).c_str(), &value, v32)) << name;
        EXPECT_EQ(value, Field(in, field)) << name;
    }
    EXPECT_TRUE(
        ReadDword(HKEY_LOCAL_MACHINE, Paths.FileA, Name(in, kIdShareCountAValue).c_str(), &number, v32));
    EXPECT_EQ(number, 1u);
    EXPECT_TRUE(
        ReadString(HKEY_LOCAL_MACHINE, Paths.Layout, Name(in, kIdUninstallerValue).c_str(), &value, v32));
    EXPECT_EQ(value, Field(in, CInstall::UninstallerFile));
    EXPECT_TRUE(ReadDword(HKEY_LOCAL_MACHINE, Paths.Layout, Name(in, kIdInstalledVersionValue).c_str(),
                          &number, v32));
    EXPECT_EQ(number, 190u);
    EXPECT_TRUE(
        ReadDword(HKEY_LOCAL_MACHINE, Paths.Layout, Name(in, kIdLayoutVariantValue).c_str(), &number, v32));
    EXPECT_EQ(number, static_cast<uint32_t>(in.LayoutVariant));
    std::vector<uint8_t> assignments{1};
    EXPECT_TRUE(ReadBinary(HKEY_LOCAL_MACHINE, Paths.Layout, Name(in, kIdKeyAssignmentsValue).c_str(),
                           &assignments, v32));
    EXPECT_TRUE(assignments.empty()) << "no assignments: an empty value";

    // Files and links.
    EXPECT_EQ(Content(Field(in, CInstall::FileA)), TestPayload::kFileA);
    EXPECT_EQ(Content(Field(in, CInstall::FileB)), TestPayload::kFileB);
    EXPECT_EQ(Content(Field(in, CInstall::FileC)), Utf8(Name(in, kIdFileCText)));
    EXPECT_EQ(Content(Field(in, CInstall::FileD)), TestPayload::kFileD);
    const std::string shortcut = "[InternetShortcut]\r\nURL=file:///" + Utf8(installFolder) + "\\" +
                                 Utf8(Name(in, kIdFileDName)) + "\r\n";
    EXPECT_EQ(Content(Field(in, CInstall::MenuLinkD)), shortcut);
    EXPECT_EQ(Content(Field(in, CInstall::DesktopLinkD)), shortcut);
    const std::pair<CInstall::TextIndex, CInstall::TextIndex> links[] = {
        {CInstall::MenuLinkA, CInstall::FileA},
        {CInstall::DesktopLinkA, CInstall::FileA},
        {CInstall::MenuLinkB, CInstall::FileB},
        {CInstall::DesktopLinkB, CInstall::FileB},
        {CInstall::MenuLinkC, CInstall::FileC},
        {CInstall::DesktopLinkC, CInstall::FileC},
        {CInstall::UninstallerLink, CInstall::UninstallerFile}};
    for (auto [link, target] : links)
        EXPECT_TRUE(SamePath(LinkTarget(Field(in, link)), Field(in, target))) << Utf8(Field(in, link));
    EXPECT_EQ(ReadBytes(Field(in, CInstall::UninstallerFile)), ReadBytes(Field(in, CInstall::ProgramPath)));

    // The language script (Windows 10 here unless the prefix says otherwise): run once, then gone.
    ASSERT_EQ(Fake.Processes.size(), 1u);
    const std::wstring& command = Fake.Processes[0].CommandLine;
    EXPECT_EQ(command.substr(0, 26), L"control.exe intl.cpl,,/f:\"");
    const std::wstring script = command.substr(26, command.size() - 27);
    EXPECT_EQ(script.substr(script.size() - 4), L".tmp");
    EXPECT_FALSE(FileExists(script));
    EXPECT_NE(Fake.Processes[0].Script.find("ID=\"0415:a0000415\" Default=\"true\"/>"), std::string::npos)
        << Fake.Processes[0].Script;
}

TEST_F(InstallScenario, ReinstallOfTheSameVersionKeepsTheFamilyAsItIs)
{
    {
        auto first = StartRun();
        ASSERT_EQ(first->Install(), 1);
    }
    auto probe = StartRun();
    const std::wstring fileA = Field(*probe, CInstall::FileA), fileB = Field(*probe, CInstall::FileB);
    WriteBytes(fileB, "the user's own copy");
    DeleteFileW(fileA.c_str());
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, Paths.Family, Name(*probe, kIdPreviousLayoutValue).c_str(),
                            L"0409:0000040c", KEY_WOW64_32KEY));
    probe.reset();

    auto again = StartRun();
    EXPECT_EQ(again->InstalledVersion, 190u);
    EXPECT_EQ(again->FamilyCount, 1u);
    EXPECT_EQ(again->ShareCountA, 1u);
    ASSERT_EQ(again->Install(), 1);
    uint32_t number = 0;
    EXPECT_TRUE(ReadDword(HKEY_LOCAL_MACHINE, Paths.Family, Name(*again, kIdFamilyCountValue).c_str(),
                          &number, KEY_WOW64_32KEY));
    EXPECT_EQ(number, 1u) << "the same installation again is not another member";
    EXPECT_TRUE(ReadDword(HKEY_LOCAL_MACHINE, Paths.FileA, Name(*again, kIdShareCountAValue).c_str(), &number,
                          KEY_WOW64_32KEY));
    EXPECT_EQ(number, 1u);
    EXPECT_EQ(Content(fileA), TestPayload::kFileA) << "file A is written every time";
    EXPECT_EQ(Content(fileB), "the user's own copy") << "the recorded guide is this version's: left alone";
    std::wstring previous;
    EXPECT_TRUE(ReadString(HKEY_LOCAL_MACHINE, Paths.Family, Name(*again, kIdPreviousLayoutValue).c_str(),
                           &previous, KEY_WOW64_32KEY));
    EXPECT_EQ(previous, L"0409:0000040c") << "recorded once, never rewritten";
    EXPECT_TRUE(FileExists(Field(*again, CInstall::UninstallerFile)));
}

TEST_F(InstallScenario, ModifyModeRewritesOnlyTheRecordAndTheLibraries)
{
    int firstVariant = 0;
    {
        auto first = StartRun();
        firstVariant = first->LayoutVariant;
        ASSERT_EQ(first->Install(), 1);
    }
    DeleteTree(HKEY_LOCAL_MACHINE, Paths.Registration, KEY_WOW64_64KEY);
    auto run = StartRun();
    CInstall& in = *run;
    DeleteFileW(Field(in, CInstall::FileC).c_str());
    WriteString(HKEY_CURRENT_USER, Paths.UserValues, Name(in, kIdHotkeyValue).c_str(), L"1");
    Fake.Processes.clear();

    in.ModifyMode = 1;
    in.LayoutVariant = (firstVariant + 1) % 3;
    in.DecimalKeyOption = 0;
    in.SecondSetOption = 1;
    Key(in, 0x3A).AssignedKey = 0xA2;
    Key(in, 0x1D).RemapScanCode = 0x3A;
    ASSERT_EQ(in.Install(), 1);

    const REGSAM v32 = KEY_WOW64_32KEY;
    uint32_t number = 99;
    EXPECT_TRUE(
        ReadDword(HKEY_LOCAL_MACHINE, Paths.Layout, Name(in, kIdLayoutVariantValue).c_str(), &number, v32));
    EXPECT_EQ(number, static_cast<uint32_t>(in.LayoutVariant));
    EXPECT_TRUE(
        ReadDword(HKEY_LOCAL_MACHINE, Paths.Layout, Name(in, kIdDecimalKeyValue).c_str(), &number, v32));
    EXPECT_EQ(number, 0u);
    EXPECT_TRUE(
        ReadDword(HKEY_LOCAL_MACHINE, Paths.Layout, Name(in, kIdSecondSetOptionValue).c_str(), &number, v32));
    EXPECT_EQ(number, 1u);
    std::vector<uint8_t> assignments;
    EXPECT_TRUE(ReadBinary(HKEY_LOCAL_MACHINE, Paths.Layout, Name(in, kIdKeyAssignmentsValue).c_str(),
                           &assignments, v32));
    EXPECT_EQ(assignments, (std::vector<uint8_t>{0x3A, 0x00, 0xA2, 0x00}));

    const LibraryPaths lib = LibraryPathsOf(in);
    EXPECT_EQ(ReadBytes(lib.PrimaryStaging),
              ExpectedLibrary(in, DecodedBuild(in, 1, in.LayoutVariant, BuildIndex(in, 0))));
    if (in.Is64BitWindows)
    {
        EXPECT_EQ(ReadBytes(lib.SecondaryStaging),
                  ExpectedLibrary(in, DecodedBuild(in, 1, in.LayoutVariant, BuildIndex(in, 1))));
    }

    // Nothing else: no registration, no companion file, no user value, no scan-code map, no script.
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Paths.Registration, KEY_WOW64_64KEY));
    EXPECT_FALSE(FileExists(Field(in, CInstall::FileC)));
    std::wstring value;
    EXPECT_TRUE(ReadString(HKEY_CURRENT_USER, Paths.UserValues, Name(in, kIdHotkeyValue).c_str(), &value));
    EXPECT_EQ(value, L"1");
    std::vector<uint8_t> map;
    EXPECT_FALSE(ReadBinary(HKEY_LOCAL_MACHINE, Paths.ScancodeKey, ScancodeValue.c_str(), &map));
    EXPECT_TRUE(Fake.Processes.empty());
}

TEST_F(InstallScenario, KeyAssignmentsAndRemappingsAreCarriedThrough)
{
    std::vector<uint8_t> decoded;
    {
        auto run = StartRun();
        CInstall& in = *run;
        in.DecimalKeyOption = 0;
        Key(in, 0x3A).AssignedKey = 0xA2;    // Caps Lock gives Left Ctrl
        Key(in, 0x1D).RemapScanCode = 0x3A;  // Left Ctrl sends Caps Lock's scan code
        Key(in, 0xE05B).RemapScanCode = 255; // the left Windows key is switched off
        Key(in, 0x10).AssignedKey = 0x51;    // its own default: not an assignment
        ASSERT_EQ(in.Install(), 1);

        const LibraryPaths lib = LibraryPathsOf(in);
        const std::vector<uint8_t> staged = ReadBytes(lib.PrimaryStaging);
        decoded = DecodedBuild(in, 0, in.LayoutVariant, BuildIndex(in, 0));
        ASSERT_EQ(staged.size(), decoded.size());
        int length = 0;
        unsigned char* pattern = in.GetHexBytes(ScanCodeTablePatternId(in.LayoutVariant), &length);
        const std::vector<uint8_t> p(pattern, pattern + length);
        free(pattern);
        const auto table = std::search(decoded.begin(), decoded.end(), p.begin(), p.end()) - decoded.begin();
        ASSERT_LT(static_cast<size_t>(table), decoded.size());
        EXPECT_EQ(staged[table + 2 * 0x3A], 0xA2) << "the staged library gives the new key";
        EXPECT_EQ(staged[table + 2 * 0x3A + 1], 0x00);
        pattern = in.GetHexBytes(kIdDecimalKeyPattern, &length);
        const std::vector<uint8_t> d(pattern, pattern + length);
        free(pattern);
        const auto site = std::search(decoded.begin(), decoded.end(), d.begin(), d.end()) - decoded.begin();
        EXPECT_EQ(staged[site], 0x2C);
        EXPECT_EQ(staged[site + 2], 0x2C);
        int differing = 0;
        for (size_t i = 0; i < staged.size(); ++i)
            differing += staged[i] != decoded[i];
        EXPECT_EQ(differing, 3) << "one key byte and two decimal characters";

        std::vector<uint8_t> map;
        ASSERT_TRUE(ReadBinary(HKEY_LOCAL_MACHINE, Paths.ScancodeKey, ScancodeValue.c_str(), &map));
        EXPECT_EQ(map, Words({0, 0, 3, 0x001D003A, 0xE05B0000, 0})) << "255 goes out as scan code 0";
        std::vector<uint8_t> assignments;
        EXPECT_TRUE(ReadBinary(HKEY_LOCAL_MACHINE, Paths.Layout, Name(in, kIdKeyAssignmentsValue).c_str(),
                               &assignments, KEY_WOW64_32KEY));
        EXPECT_EQ(assignments, (std::vector<uint8_t>{0x3A, 0x00, 0xA2, 0x00}));
    }

    // The next run finds them all again.
    auto next = StartRun();
    CInstall& in = *next;
    EXPECT_EQ(in.ScancodeMapFound, 1);
    EXPECT_EQ(Key(in, 0xE05B).RemapScanCode, 255) << "scan code 0 comes back as 255";
    EXPECT_EQ(Key(in, 0x1D).RemapScanCode, 0x3A);
    EXPECT_EQ(Key(in, 0x3A).AssignedKey, 0xA2);
    EXPECT_EQ(Key(in, 0x10).AssignedKey, 0);
    EXPECT_EQ(in.DecimalKeyOption, 0);
    EXPECT_EQ(CountRemappedKeys(in.KeyTable, in.KeyCount), 2);

    // Taking the remappings back clears the machine's map to the empty one, because there was one.
    Key(in, 0xE05B).RemapScanCode = 0;
    Key(in, 0x1D).RemapScanCode = 0;
    ASSERT_EQ(in.Install(), 1);
    std::vector<uint8_t> map;
    ASSERT_TRUE(ReadBinary(HKEY_LOCAL_MACHINE, Paths.ScancodeKey, ScancodeValue.c_str(), &map));
    EXPECT_EQ(map, Words({0, 0, 1, 0}));
}

TEST_F(InstallScenario, AFailingRequiredStepStopsAndLeavesWhatWasDone)
{
    auto run = StartRun();
    CInstall& in = *run;
    // The staging file cannot be made: a folder has its name.
    const LibraryPaths lib = LibraryPathsOf(in);
    for (CInstall::TextIndex f : {CInstall::ProgramRootFolder, CInstall::InstallFolder})
        CreateDirectoryW(Field(in, f).c_str(), nullptr);
    ASSERT_TRUE(CreateDirectoryW(lib.PrimaryStaging.c_str(), nullptr));
    EXPECT_EQ(in.Install(), 0);
    EXPECT_EQ(in.InstallDone, 0);
    EXPECT_TRUE(FileExists(Field(in, CInstall::FileA))) << "the companion files were written before";
    EXPECT_TRUE(FileExists(Field(in, CInstall::UninstallerFile)));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Paths.Family, KEY_WOW64_32KEY))
        << "nothing after the failed step";
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Paths.Registration, KEY_WOW64_64KEY));
    EXPECT_EQ(PendingFrom(Field(in, CInstall::InstallFolder)), 0);
    EXPECT_TRUE(Fake.Processes.empty());
}

TEST_F(InstallScenario, AMissingUserValuesKeyFailsTheInstallAtTheEnd)
{
    DeleteTree(HKEY_CURRENT_USER, Paths.UserValues);
    auto run = StartRun();
    CInstall& in = *run;
    EXPECT_EQ(in.Install(), 0);
    EXPECT_EQ(in.InstallDone, 0);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Paths.UserValues)) << "opened, never created";
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, Paths.Layout, KEY_WOW64_32KEY))
        << "everything else is in place";
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, Paths.Registration, KEY_WOW64_64KEY));
    EXPECT_EQ(Fake.Processes.size(), 1u);
    // Without the option the key is not needed.
    auto second = StartRun();
    second->UserValuesOption = 0;
    EXPECT_EQ(second->Install(), 1);
}

TEST_F(InstallScenario, Windows2000GetsItsOwnNoteAndNoScript)
{
    Fake.Major = 5;
    Fake.Minor = 0;
    Fake.Processor = PROCESSOR_ARCHITECTURE_INTEL;
    Fake.Language = 0x0409;
    auto run = StartRun();
    CInstall& in = *run;
    ASSERT_EQ(in.OsCode, 50);
    EXPECT_EQ(in.Is64BitWindows, 0);
    EXPECT_EQ(in.LanguageScriptOption, 0u);
    EXPECT_EQ(in.LanguageId, 0x0415) << "before Vista: the layout's own language";
    ASSERT_EQ(in.Install(), 1);
    EXPECT_TRUE(Fake.Processes.empty());
    EXPECT_EQ(Content(Field(in, CInstall::FileC)), Utf8(Name(in, kIdFileCTextWin2000)));
    const LibraryPaths lib = LibraryPathsOf(in);
    EXPECT_EQ(ReadBytes(lib.PrimaryStaging), ExpectedLibrary(in, DecodedBuild(in, 0, in.LayoutVariant, 0)));
    EXPECT_EQ(PendingFrom(Field(in, CInstall::InstallFolder)), 1);
}

// The script template by system: 63 from Windows 8 on, unless its namespace text is empty.
TEST_F(InstallScenario, LanguageScriptTemplateBySystem)
{
    struct Case
    {
        DWORD Major, Minor;
        bool EmptyNamespace;
        uint32_t Option;
        bool Win8Template;
        bool Runs;
    };
    const Case cases[] = {
        {5, 1, false, 1, false, false}, {5, 2, false, 1, false, false}, {6, 0, false, 1, false, true},
        {6, 1, false, 0, false, true},  {6, 2, false, 1, true, true},   {6, 3, false, 0, true, true},
        {10, 0, false, 1, true, true},  {6, 2, true, 1, false, true},   {10, 0, true, 0, false, true}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message()
                     << c.Major << "." << c.Minor << (c.EmptyNamespace ? " without 90" : ""));
        TestPayload payload;
        if (c.EmptyNamespace)
            payload.ChangeCommonText(kIdLanguageScriptNamespace, "", false);
        Fake.Major = c.Major;
        Fake.Minor = c.Minor;
        Fake.Processor = PROCESSOR_ARCHITECTURE_INTEL;
        Fake.Processes.clear();
        CInstall in(payload.Payload);
        ASSERT_EQ(in.Init(GetModuleHandleW(nullptr)), 1);
        ASSERT_EQ(in.PrepareRun(), CInstall::kRunWizard);
        EXPECT_EQ(in.RunLanguageScript(0x0415, c.Option), 1);
        ASSERT_EQ(Fake.Processes.size(), c.Runs ? 1u : 0u);
        if (!c.Runs)
            continue;
        const std::string& script = Fake.Processes[0].Script;
        EXPECT_NE(script.find("<gs:InputLanguageID Action=\"add\" ID=\"0415:a0000415\""), std::string::npos)
            << script;
        EXPECT_EQ(script.find("Default=\"true\"") != std::string::npos, c.Option != 0) << script;
        EXPECT_EQ(script.find("input language 0415 (1045)") != std::string::npos, c.Win8Template) << script;
        EXPECT_NE(script.find("xmlns:gs=\"urn:longhornGlobalizationUnattend\""), std::string::npos) << script;
    }
}
} // namespace scenario

namespace scenario
{
// The library step needs its patterns (as the tables give them) and a build for the system; when it
// fails, no staging file is left and no move is scheduled.
TEST_F(InstallScenario, LayoutLibraryNeedsItsPatternsAndABuild)
{
    struct Case
    {
        const char* What;
        uint32_t Id;      // 0: no change to the tables
        const char* Text; // nullptr: the id goes
        int DecimalKeyOption;
        DWORD Major, Minor;
        uint16_t Processor;
        int Result;
    };
    const Case cases[] = {
        {"as carried", 0, "", 0, 0, 0, 0xFFFF, 1},
        {"scan-code table pattern in lower case", 0, "lower", 1, 0, 0, 0xFFFF, 0},
        {"no E1 table pattern", kIdE1TablePattern, nullptr, 1, 0, 0, 0xFFFF, 0},
        {"an E0 table pattern the library lacks", kIdE0TablePattern, "DEADBEEFDEADBEEF", 1, 0, 0, 0xFFFF, 0},
        {"a bad decimal pattern, not needed", kIdDecimalKeyPattern, "zz", 1, 0, 0, 0xFFFF, 1},
        {"a bad decimal pattern, needed", kIdDecimalKeyPattern, "zz", 0, 0, 0, 0xFFFF, 0},
        {"Windows 8 on Itanium has no build", 0, "", 1, 6, 2, PROCESSOR_ARCHITECTURE_IA64, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.What);
        CleanMachine();
        Fake.Major = c.Major;
        Fake.Minor = c.Minor;
        Fake.Processor = c.Processor;
        TestPayload payload;
        CInstall probe(payload.Payload);
        ASSERT_EQ(probe.Init(GetModuleHandleW(nullptr)), 1);
        ASSERT_EQ(probe.PrepareRun(), CInstall::kRunWizard);
        if (c.Id)
            payload.ChangeCommonText(c.Id, c.Text ? c.Text : "", c.Text == nullptr);
        if (std::string(c.Text ? c.Text : "") == "lower")
        {
            const uint32_t id = ScanCodeTablePatternId(probe.LayoutVariant);
            std::string pattern = Utf8(Text(probe, id));
            for (char& ch : pattern)
                ch = static_cast<char>(tolower(static_cast<unsigned char>(ch)));
            payload.ChangeCommonText(id, pattern, false);
        }
        CInstall in(payload.Payload);
        ASSERT_EQ(in.Init(GetModuleHandleW(nullptr)), 1);
        ASSERT_EQ(in.PrepareRun(), CInstall::kRunWizard);
        in.DecimalKeyOption = c.DecimalKeyOption;
        for (CInstall::TextIndex f : {CInstall::ProgramRootFolder, CInstall::InstallFolder})
            CreateDirectoryW(Field(in, f).c_str(), nullptr);
        EXPECT_EQ(in.InstallLayoutLibraries(), c.Result);
        GString p1, p2, s1, s2;
        in.GetLayoutLibraryPaths(p1, p2, &s1, &s2);
        EXPECT_EQ(FileExists(Wide(s1)), c.Result == 1);
        EXPECT_EQ(PendingFrom(Field(in, CInstall::InstallFolder)),
                  c.Result ? (in.Is64BitWindows ? 2 : 1) : 0);
    }
}
} // namespace scenario

namespace scenario
{
// What a later run makes of a record that an earlier install left and something then damaged.
TEST_F(InstallScenario, ReadingARecordThatWasTamperedWith)
{
    struct Case
    {
        const char* What;
        void (*Damage)(const RecordPaths& p, CInstall& in);
        uint32_t Version;
        bool FileARead;
        bool LayoutFieldsRead;
    };
    const REGSAM v32 = KEY_WOW64_32KEY;
    static const REGSAM view = v32;
    const Case cases[] = {
        {"untouched", [](const RecordPaths&, CInstall&) {}, 190, true, true},
        {"no file A key",
         [](const RecordPaths& p, CInstall&) { DeleteTree(HKEY_LOCAL_MACHINE, p.FileA, view); }, 190, false,
         true},
        {"file A key without its count",
         [](const RecordPaths& p, CInstall& in)
         { DeleteValue(HKEY_LOCAL_MACHINE, p.FileA, Text(in, kIdShareCountAValue).c_str(), view); },
         130, true, false},
        // Without its version the layout key counts for nothing, and the registration is what an older
        // installer would have left.
        {"no installed version",
         [](const RecordPaths& p, CInstall& in)
         { DeleteValue(HKEY_LOCAL_MACHINE, p.Layout, Text(in, kIdInstalledVersionValue).c_str(), view); },
         130, true, true},
        {"a required family value missing",
         [](const RecordPaths& p, CInstall& in)
         { DeleteValue(HKEY_LOCAL_MACHINE, p.Family, Text(in, kIdMenuLinkDValue).c_str(), view); },
         130, false, false},
        {"a family text of another type",
         [](const RecordPaths& p, CInstall& in)
         {
             DeleteValue(HKEY_LOCAL_MACHINE, p.Family, Text(in, kIdFileBPathValue).c_str(), view);
             WriteDword(HKEY_LOCAL_MACHINE, p.Family, Text(in, kIdFileBPathValue).c_str(), 7, view);
         },
         130, false, false},
        {"an optional family value missing",
         [](const RecordPaths& p, CInstall& in)
         { DeleteValue(HKEY_LOCAL_MACHINE, p.Family, Text(in, kIdDesktopLinkBValue).c_str(), view); },
         190, true, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.What);
        CleanMachine();
        {
            auto first = StartRun();
            ASSERT_EQ(first->Install(), 1);
            c.Damage(Paths, *first);
        }
        auto run = StartRun();
        CInstall& in = *run;
        EXPECT_EQ(in.InstalledVersion, c.Version);
        EXPECT_EQ(Field(in, CInstall::PreviousLayoutText).empty(), false) << "read before anything failed";
        EXPECT_EQ(Field(in, CInstall::RecordedFileA) == Field(in, CInstall::FileA), c.FileARead);
        EXPECT_EQ(Field(in, CInstall::RecordedUninstaller) == Field(in, CInstall::UninstallerFile),
                  c.LayoutFieldsRead);
    }

    // Options out of range keep what the run chose; assignments of an odd size give their whole entries.
    CleanMachine();
    int32_t variant = 0, decimal = 0;
    {
        auto first = StartRun();
        variant = first->LayoutVariant;
        decimal = first->DecimalKeyOption;
        ASSERT_EQ(first->Install(), 1);
        WriteDword(HKEY_LOCAL_MACHINE, Paths.Layout, Text(*first, kIdLayoutVariantValue).c_str(), 3, v32);
        WriteDword(HKEY_LOCAL_MACHINE, Paths.Layout, Text(*first, kIdDecimalKeyValue).c_str(), 2, v32);
        WriteDword(HKEY_LOCAL_MACHINE, Paths.Layout, Text(*first, kIdSecondSetStoredValue).c_str(),
                   0xFFFFFFFF, v32);
        const uint8_t odd[] = {0x3A, 0x00, 0xA2, 0x00, 0x1D};
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, Paths.Layout.c_str(), 0, KEY_SET_VALUE | v32, &key),
                  ERROR_SUCCESS);
        RegSetValueExW(key, Text(*first, kIdKeyAssignmentsValue).c_str(), 0, REG_BINARY, odd, sizeof odd);
        RegCloseKey(key);
    }
    auto run = StartRun();
    EXPECT_EQ(run->LayoutVariant, variant);
    EXPECT_EQ(run->DecimalKeyOption, decimal);
    EXPECT_EQ(run->SecondSetStored, 0);
    EXPECT_EQ(Key(*run, 0x3A).AssignedKey, 0xA2);
    EXPECT_EQ(Key(*run, 0x1D).AssignedKey, 0);
}

// Companion documents the payload does not carry (or carries damaged): A and B are required, D is not.
TEST_F(InstallScenario, CompanionDocumentsThatCannotBeDecoded)
{
    struct Case
    {
        const char* What;
        EmbeddedItem CarriedPayload::*Item;
        bool Damaged; // else absent
        int Result;
    };
    const Case cases[] = {{"no file A", &CarriedPayload::FileA, false, 0},
                          {"file B damaged", &CarriedPayload::FileB, true, 0},
                          {"no file D", &CarriedPayload::FileD, false, 1},
                          {"file D damaged", &CarriedPayload::FileD, true, 1}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.What);
        CleanMachine();
        TestPayload payload;
        std::vector<unsigned char> damaged;
        EmbeddedItem& item = payload.Payload.*c.Item;
        if (c.Damaged)
        {
            damaged.assign(item.Bytes, item.Bytes + item.Length);
            damaged[damaged.size() / 2] ^= 0x40;
            item = {damaged.data(), item.Length};
        }
        else
            item = {nullptr, 0};
        CInstall in(payload.Payload);
        ASSERT_EQ(in.Init(GetModuleHandleW(nullptr)), 1);
        ASSERT_EQ(in.PrepareRun(), CInstall::kRunWizard);
        EXPECT_EQ(in.Install(), c.Result);
        if (c.Item == &CarriedPayload::FileD)
        {
            EXPECT_FALSE(FileExists(Field(in, CInstall::FileD)));
            EXPECT_TRUE(FileExists(Field(in, CInstall::MenuLinkD)))
                << "its link texts are written all the same";
        }
    }
}

TEST_F(InstallScenario, DesktopLinksFollowTheRecord)
{
    const REGSAM v32 = KEY_WOW64_32KEY;
    std::wstring movedLink, movedFileC;
    {
        auto first = StartRun();
        first->DesktopShortcutOption = 0;
        ASSERT_EQ(first->Install(), 1);
        EXPECT_FALSE(FileExists(Field(*first, CInstall::DesktopLinkC)));
        // A desktop link to file A that an earlier install made somewhere else, and file C recorded in
        // another place too.
        movedLink = Field(*first, CInstall::InstallFolder) + L"\\old chart link.lnk";
        WriteBytes(movedLink, "an old link");
        WriteString(HKEY_LOCAL_MACHINE, Paths.FileA, Text(*first, kIdDesktopLinkAValue).c_str(), movedLink,
                    v32);
        movedFileC = Field(*first, CInstall::InstallFolder) + L"\\older note.txt";
        WriteBytes(movedFileC, "an older note");
        WriteString(HKEY_LOCAL_MACHINE, Paths.Family, Text(*first, kIdFileCPathValue).c_str(), movedFileC,
                    v32);
    }
    auto run = StartRun();
    CInstall& in = *run;
    in.DesktopShortcutOption = 0;
    ASSERT_EQ(in.Install(), 1);
    EXPECT_FALSE(FileExists(movedLink)) << "the link that moved is deleted";
    EXPECT_TRUE(FileExists(Field(in, CInstall::DesktopLinkA)))
        << "and made at the current path, option or not";
    EXPECT_EQ(in.DesktopLinkAMade, 1);
    EXPECT_FALSE(FileExists(Field(in, CInstall::DesktopLinkC)));

    // With the option on and no recorded desktop link to C, the new one goes to the recorded file C.
    auto next = StartRun();
    next->DesktopShortcutOption = 1;
    ASSERT_EQ(next->Install(), 1);
    EXPECT_TRUE(SamePath(LinkTarget(Field(*next, CInstall::DesktopLinkC)), movedFileC));
    std::wstring recorded;
    EXPECT_TRUE(ReadString(HKEY_LOCAL_MACHINE, Paths.Family, Text(*next, kIdDesktopLinkCValue).c_str(),
                           &recorded, v32));
    EXPECT_EQ(recorded, Field(*next, CInstall::DesktopLinkC));
}
} // namespace scenario
