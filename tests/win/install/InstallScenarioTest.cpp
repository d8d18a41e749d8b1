// Installs from a clean machine, again over an installation, in modify mode, with key assignments
// and remappings, and with steps that fail; checked by what they leave on the machine.
#include "InstallScenario.h"

namespace scenario
{
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
