// The install's edge cases: patterns and builds the library step needs, records that were tampered
// with, companion documents that cannot be decoded, desktop links that follow the record.
#include "InstallScenario.h"

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
