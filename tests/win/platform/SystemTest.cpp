// The system environment: what this Windows reports, and through the seam what other systems,
// users and restarts would make of the same code.
#include "PlatformTestSupport.h"
#include "payload/StringIds.h"
#include "platform/System.h"

namespace
{
class VersionFake : public CPlatform
{
  public:
    BOOL QueryVersion(OSVERSIONINFOW* info) override
    {
        SizesAsked.push_back(info->dwOSVersionInfoSize);
        if ((info->dwOSVersionInfoSize == 284 && RefuseExtended) ||
            (info->dwOSVersionInfoSize == 276 && RefuseBasic))
            return FALSE;
        if (info->dwOSVersionInfoSize != 284 && info->dwOSVersionInfoSize != 276)
            return FALSE;
        info->dwMajorVersion = Major;
        info->dwMinorVersion = Minor;
        return TRUE;
    }
    void QuerySystemInfo(NativeSystemInfoFn native, SYSTEM_INFO* info) override
    {
        NativeGiven = native != nullptr;
        info->wProcessorArchitecture = Architecture;
    }

    bool RefuseExtended = false;
    bool RefuseBasic = false;
    DWORD Major = 0;
    DWORD Minor = 0;
    WORD Architecture = 0;
    bool NativeGiven = false;
    std::vector<DWORD> SizesAsked;
};

class MembershipFake : public CPlatform
{
  public:
    BOOL CheckMembership(PSID group, BOOL* member) override
    {
        ++Calls;
        *member = IsWellKnownSid(group, WinBuiltinAdministratorsSid) && InAdministrators;
        return CallSucceeds;
    }
    BOOL CallSucceeds = TRUE;
    bool InAdministrators = true;
    int Calls = 0;
};

class ShutdownRecorder : public CPlatform
{
  public:
    BOOL RequestShutdown(ShutdownExFn extended, LPWSTR message, DWORD timeout, BOOL force, BOOL reboot,
                         DWORD reason) override
    {
        ++Calls;
        Extended = extended;
        Message = message ? U(message) : u"<null>";
        Timeout = timeout;
        Force = force;
        Reboot = reboot;
        Reason = reason;
        return Answer;
    }
    BOOL Answer = TRUE;
    int Calls = 0;
    ShutdownExFn Extended = nullptr;
    std::u16string Message;
    DWORD Timeout = 99, Reason = 0;
    BOOL Force = 99, Reboot = 99;
};

class LaunchRecorder : public CPlatform
{
  public:
    BOOL StartProcess(LPWSTR commandLine, STARTUPINFOW*, PROCESS_INFORMATION*) override
    {
        CommandLines.push_back(U(commandLine));
        return FALSE;
    }
    std::vector<std::u16string> CommandLines;
};

ShutdownExFn SystemShutdownEx()
{
    return reinterpret_cast<ShutdownExFn>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"advapi32.dll"), "InitiateSystemShutdownExW")));
}

bool IsWow64()
{
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

using SystemTest = InstallerTest;
using SystemFolderTest = FolderTest;
} // namespace

TEST_F(SystemTest, DetectSystemReportsThisWindows)
{
    OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    ASSERT_TRUE(GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version)));
    SYSTEM_INFO native = {};
    GetNativeSystemInfo(&native);

    ASSERT_EQ(Install.DetectSystem(kIdNativeSystemInfoFunction, kIdKernelLibrary), 1);
    EXPECT_EQ(Install.OsCode, static_cast<int32_t>(version.dwMajorVersion * 10 + version.dwMinorVersion));
    EXPECT_EQ(Install.ProcessorArchitecture, native.wProcessorArchitecture);
    // A 32-bit program on 64-bit Windows sees the machine's processor only through the native call.
    if (IsWow64())
    {
        EXPECT_EQ(Install.ProcessorArchitecture, PROCESSOR_ARCHITECTURE_AMD64);
        EXPECT_EQ(Install.Is64BitWindows, 1);
    }
    else
    {
        EXPECT_EQ(Install.ProcessorArchitecture, PROCESSOR_ARCHITECTURE_INTEL);
        EXPECT_EQ(Install.Is64BitWindows, 0);
    }
    EXPECT_EQ(Install.IsSupportedSystem(), 1);
    RecordProperty("OsCode", Install.OsCode);
}

TEST_F(SystemTest, DetectSystemComputesTheCodesFromWhatTheSystemSays)
{
    struct
    {
        const char* Name;
        bool RefuseExtended, RefuseBasic;
        DWORD Major, Minor;
        WORD Architecture;
        int Result;
        int32_t OsCode;
        uint16_t Processor;
        int32_t Is64;
        std::vector<DWORD> Sizes;
    } cases[] = {
        {"Windows 2000", false, false, 5, 0, 0, 1, 50, 0, 0, {284}},
        {"Server 2003 on Itanium", false, false, 5, 2, 6, 1, 52, 6, 1, {284}},
        {"Windows 7 x64", false, false, 6, 1, 9, 1, 61, 9, 1, {284}},
        {"Windows 10 without a system list", false, false, 6, 2, 9, 1, 62, 9, 1, {284}},
        {"Windows 10", false, false, 10, 0, 0, 1, 100, 0, 0, {284}},
        {"only the basic query", true, false, 5, 1, 0, 1, 51, 0, 0, {284, 276}},
        {"ARM, stored as reported", false, false, 6, 2, 5, 1, 62, 5, 0, {284}},
        {"version refused", true, true, 6, 1, 9, 0, 0, 0xFFFF, 0, {284, 276}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.Name);
        VersionFake fake;
        fake.RefuseExtended = c.RefuseExtended;
        fake.RefuseBasic = c.RefuseBasic;
        fake.Major = c.Major;
        fake.Minor = c.Minor;
        fake.Architecture = c.Architecture;
        PlatformScope scope(&fake);
        Install.OsCode = 77;
        Install.ProcessorArchitecture = 3;
        Install.Is64BitWindows = 1;
        EXPECT_EQ(Install.DetectSystem(kIdNativeSystemInfoFunction, kIdKernelLibrary), c.Result);
        EXPECT_EQ(Install.OsCode, c.OsCode);
        EXPECT_EQ(Install.ProcessorArchitecture, c.Processor);
        EXPECT_EQ(Install.Is64BitWindows, c.Is64);
        EXPECT_EQ(fake.SizesAsked, c.Sizes);
        EXPECT_EQ(fake.NativeGiven, c.Result == 1); // found by the names of strings 58 and 144
    }
}

TEST_F(SystemTest, WithoutTheNativeCallTheSystemInfoIsAskedPlainly)
{
    VersionFake fake;
    fake.Major = 5;
    fake.Minor = 0;
    PlatformScope scope(&fake);
    EXPECT_EQ(Install.DetectSystem(kIdWithoutText, kIdKernelLibrary), 1);
    EXPECT_FALSE(fake.NativeGiven);
    EXPECT_EQ(Install.DetectSystem(kIdNativeSystemInfoFunction, kIdWithoutText), 1);
    EXPECT_FALSE(fake.NativeGiven);
    EXPECT_EQ(Install.OsCode, 50);
}

TEST_F(SystemTest, AdministratorsAreToldByTheirGroup)
{
    EXPECT_EQ(Install.IsUserAdministrator(), 1); // Wine's user is an administrator

    struct
    {
        const char* Name;
        BOOL CallSucceeds;
        bool InAdministrators;
        int Expected;
    } cases[] = {
        {"member", TRUE, true, 1}, {"not a member", TRUE, false, 0}, {"check failed", FALSE, true, 0}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.Name);
        MembershipFake fake;
        fake.CallSucceeds = c.CallSucceeds;
        fake.InAdministrators = c.InAdministrators;
        PlatformScope scope(&fake);
        EXPECT_EQ(Install.IsUserAdministrator(), c.Expected);
        EXPECT_EQ(fake.Calls, 1);
    }
}

TEST_F(SystemTest, RestartWindowsAsksForAPlannedImmediateRestart)
{
    ASSERT_NE(SystemShutdownEx(), nullptr);
    for (BOOL answer : {TRUE, FALSE})
    {
        ShutdownRecorder recorder;
        recorder.Answer = answer;
        PlatformScope scope(&recorder);
        EXPECT_EQ(Install.RestartWindows(), answer ? 1 : 0);
        ASSERT_EQ(recorder.Calls, 1);
        EXPECT_EQ(recorder.Extended, SystemShutdownEx());
        EXPECT_EQ(recorder.Message, u"");
        EXPECT_EQ(recorder.Timeout, 0u);
        EXPECT_EQ(recorder.Force, FALSE);
        EXPECT_EQ(recorder.Reboot, TRUE);
        EXPECT_EQ(recorder.Reason, 0x80020004u);
    }
}

// Finish releases the string tables before it restarts: the call with a reason must have been found
// while they were there, at system detection.
TEST_F(SystemTest, FinishRestartsLastWithTheCallFoundAtStartUp)
{
    ShutdownRecorder recorder;
    PlatformScope scope(&recorder);
    Install.DetectSystem(kIdNativeSystemInfoFunction, kIdKernelLibrary);
    Install.Finish();
    EXPECT_EQ(recorder.Calls, 0); // no restart asked for

    CInstall restarting;
    ASSERT_EQ(restarting.Init(GetModuleHandleW(nullptr)), 1);
    restarting.DetectSystem(kIdNativeSystemInfoFunction, kIdKernelLibrary);
    restarting.RestartRequested = 1;
    restarting.Finish();
    GString text;
    EXPECT_EQ(restarting.GetString(kIdProductName, text), 0); // the tables were gone by then
    ASSERT_EQ(recorder.Calls, 1);
    EXPECT_EQ(recorder.Extended, SystemShutdownEx());
    EXPECT_EQ(recorder.Reason, 0x80020004u);

    // Without detection there is no name left to look up: the older call restarts all the same.
    CInstall undetected;
    ASSERT_EQ(undetected.Init(GetModuleHandleW(nullptr)), 1);
    undetected.RestartRequested = 1;
    undetected.Finish();
    ASSERT_EQ(recorder.Calls, 2);
    EXPECT_EQ(recorder.Extended, nullptr);
}

TEST_F(SystemTest, LibrariesAndFunctionsAreFoundByTheirIds)
{
    CModule holder;
    FARPROC native = Install.GetProcById(kIdNativeSystemInfoFunction, kIdKernelLibrary, holder);
    ASSERT_TRUE(holder);
    EXPECT_EQ(native, GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetNativeSystemInfo"));
    const HMODULE loaded = holder.Get();
    // The holder keeps its library: later look-ups do not load it again, whatever library they name.
    EXPECT_NE(Install.GetProcById(kIdSystemWow64DirectoryFunction, kIdWithoutText, holder), nullptr);
    EXPECT_EQ(Install.GetProcById(kIdWithoutText, kIdKernelLibrary, holder), nullptr);
    EXPECT_EQ(Install.GetProcById(kIdShutdownExFunction, kIdKernelLibrary, holder),
              nullptr); // not in kernel32
    EXPECT_EQ(holder.Get(), loaded);

    CModule empty;
    EXPECT_EQ(Install.GetProcById(kIdNativeSystemInfoFunction, kIdWithoutText, empty), nullptr);
    EXPECT_FALSE(empty);
    EXPECT_FALSE(Install.LoadLibraryById(kIdWithoutText));
    EXPECT_TRUE(Install.LoadLibraryById(kIdAdvapiLibrary));
}

TEST_F(SystemTest, RunCommandStartsTheFormattedCommandLine)
{
    LaunchRecorder recorder;
    PlatformScope scope(&recorder);
    EXPECT_EQ(Install.RunCommand(0, u"x", u"y"), 0);
    EXPECT_EQ(Install.RunCommand(kIdWithoutText, u"x", u"y"), 0);
    EXPECT_TRUE(recorder.CommandLines.empty());
    // A launch that fails is not reported.
    EXPECT_EQ(Install.RunCommand(kIdRunScriptCommand, u"C:\\temp\\ogk1.tmp"), 1);
    ASSERT_EQ(recorder.CommandLines.size(), 1u);
    GString templateText;
    Install.GetString(kIdRunScriptCommand, templateText);
    GString formatted;
    formatted.Format(templateText.GetW(0), u"C:\\temp\\ogk1.tmp");
    EXPECT_EQ(recorder.CommandLines[0], Text(formatted));
    EXPECT_NE(recorder.CommandLines[0].find(u"C:\\temp\\ogk1.tmp"), std::u16string::npos);
}

namespace
{
std::u16string ChildProgram()
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::u16string path = U(self);
    return path.substr(0, path.rfind(u'\\') + 1) + u"platform_child.exe";
}
} // namespace

TEST_F(SystemFolderTest, RunCommandWaitsForAShortCommand)
{
    const std::u16string mark = In(u"short.mark");
    const std::u16string argument = u"200?" + mark;
    EXPECT_EQ(Install.RunCommand(kIdAssociatedProgramCommand, ChildProgram().c_str(), argument.c_str()), 1);
    EXPECT_TRUE(Exists(mark)); // it had finished when RunCommand returned
}

TEST_F(SystemFolderTest, RunCommandStopsWaitingAfterASecondAndTheCommandGoesOn)
{
    const std::u16string mark = In(u"long.mark");
    const std::u16string argument = u"3000?" + mark;
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(Install.RunCommand(kIdAssociatedProgramCommand, ChildProgram().c_str(), argument.c_str()), 1);
    const ULONGLONG waited = GetTickCount64() - start;
    EXPECT_FALSE(Exists(mark)); // still running
    EXPECT_GE(waited, 900u);
    // The command was not stopped: its mark appears in the end.
    bool appeared = false;
    for (int i = 0; i < 300 && !appeared; ++i)
    {
        Sleep(100);
        appeared = Exists(mark);
    }
    EXPECT_TRUE(appeared);
}
