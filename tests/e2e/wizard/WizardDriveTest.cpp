// The real setup.exe driven through its wizard the way a user would: clicks on its buttons, answers to
// its message boxes, and the machine state it leaves (the layout's registration).
#include <windows.h>

#include "engine/CInstall.h"
#include "payload/StringIds.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
// A text of the program's own string tables.
std::wstring ProgramText(uint32_t id)
{
    static CInstall install;
    static int ready = install.Init(GetModuleHandleW(nullptr));
    GString text;
    if (!ready || !install.GetString(id, text))
        return L"";
    return reinterpret_cast<const wchar_t*>(text.GetW(0));
}

std::wstring WinPath(const std::string& unixPath)
{
    std::wstring path = L"Z:";
    for (char c : unixPath)
        path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return path;
}

// Polls until the condition holds; false after about a minute.
template <class Condition> bool WaitFor(Condition condition, int milliseconds = 60000)
{
    for (int waited = 0; waited < milliseconds; waited += 20)
    {
        if (condition())
            return true;
        Sleep(20);
    }
    return condition();
}

std::wstring ClassName(HWND window)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

// The program leaves a RunOnce value for the next start of Windows; a test prefix must not keep it.
void RemoveFinishValue()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, ProgramText(kIdFinishKey).c_str(), 0, KEY_SET_VALUE, &key) !=
        ERROR_SUCCESS)
        return;
    RegDeleteValueW(key, ProgramText(kIdFinishValue).c_str());
    RegCloseKey(key);
}

bool LayoutRegistered()
{
    HKEY key = nullptr;
    std::wstring path = ProgramText(kIdLayoutListKey) + L"\\" + ProgramText(kIdLayoutKlid);
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

struct BoxSearch
{
    DWORD Pid;
    HWND Found;
};

BOOL CALLBACK FindBox(HWND window, LPARAM param)
{
    auto* s = reinterpret_cast<BoxSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == s->Pid && IsWindowVisible(window) && ClassName(window) == L"#32770")
    {
        s->Found = window;
        return FALSE;
    }
    return TRUE;
}

class RunningSetup
{
  public:
    RunningSetup()
    {
        std::wstring exe = WinPath(OGONEK_SETUP_EXE);
        std::wstring commandLine = L"\"" + exe + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        Started = CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &startup, &Process) != 0;
        if (Started)
            WaitFor([this] { return Main() != nullptr && Page() != nullptr; });
    }
    ~RunningSetup()
    {
        if (!Started)
            return;
        if (WaitForSingleObject(Process.hProcess, 0) != WAIT_OBJECT_0)
            TerminateProcess(Process.hProcess, 1);
        CloseHandle(Process.hThread);
        CloseHandle(Process.hProcess);
    }

    HWND Main() const
    {
        HWND main = FindWindowW(ProgramText(kIdWindowClass).c_str(), nullptr);
        DWORD pid = 0;
        GetWindowThreadProcessId(main, &pid);
        return pid == Process.dwProcessId ? main : nullptr;
    }
    // The page shown: the main window's child dialog.
    HWND Page() const
    {
        for (HWND child = GetWindow(Main(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            if (ClassName(child) == L"#32770" && IsWindowVisible(child))
                return child;
        return nullptr;
    }
    bool PageHas(int id) const
    {
        HWND control = GetDlgItem(Page(), id);
        return control && IsWindowVisible(control);
    }
    bool WaitForPage(int controlId) const
    {
        return WaitFor([&] { return PageHas(controlId); });
    }
    // Posted, so that a message box opened by the click does not hold the test up.
    void Click(int id) const { PostMessageW(GetDlgItem(Page(), id), BM_CLICK, 0, 0); }

    // A message box of the program, owned by its main window.
    HWND Box() const
    {
        BoxSearch search = {Process.dwProcessId, nullptr};
        EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
        return search.Found;
    }
    bool Answer(int button) const
    {
        HWND box = nullptr;
        if (!WaitFor([&] { return (box = Box()) != nullptr; }))
            return false;
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
        return WaitFor([&] { return !IsWindow(box); });
    }
    bool Ended(DWORD* exitCode) const
    {
        if (WaitForSingleObject(Process.hProcess, 60000) != WAIT_OBJECT_0)
            return false;
        GetExitCodeProcess(Process.hProcess, exitCode);
        RemoveFinishValue();
        return true;
    }

    bool Started = false;
    PROCESS_INFORMATION Process = {};
};
} // namespace

TEST(WizardDrive, CancelAnsweredNoKeepsTheWizardAndYesEndsIt)
{
    RunningSetup setup;
    ASSERT_TRUE(setup.Started);
    ASSERT_NE(setup.Page(), nullptr);
    HWND page = setup.Page();
    setup.Click(300);
    ASSERT_TRUE(setup.Answer(IDNO));
    Sleep(200);
    EXPECT_EQ(setup.Page(), page);
    EXPECT_NE(setup.Main(), nullptr);
    setup.Click(300);
    ASSERT_TRUE(setup.Answer(IDYES));
    DWORD exitCode = 1;
    ASSERT_TRUE(setup.Ended(&exitCode));
    EXPECT_EQ(exitCode, 0u);
}

TEST(WizardDrive, InstallThenRemoveThroughTheMaintenancePage)
{
    {
        RunningSetup setup;
        ASSERT_TRUE(setup.Started);
        ASSERT_TRUE(setup.WaitForPage(1))
            << "the welcome page is in maintenance mode: the prefix holds an installation";
        EXPECT_FALSE(setup.PageHas(315));
        setup.Click(1);
        ASSERT_TRUE(setup.WaitForPage(305));
        setup.Click(305);
        ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(GetDlgItem(setup.Page(), 1)) != 0; }));
        setup.Click(1);
        ASSERT_TRUE(setup.WaitForPage(206));
        setup.Click(206);
        ASSERT_TRUE(WaitFor([&] { return setup.PageHas(1209) || setup.Box() != nullptr; }, 120000));
        ASSERT_EQ(setup.Box(), nullptr) << "the install failed";
        EXPECT_TRUE(LayoutRegistered());
        // From the finish page the title bar closes without a question and without a restart.
        PostMessageW(setup.Main(), WM_CLOSE, 0, 0);
        DWORD exitCode = 1;
        ASSERT_TRUE(setup.Ended(&exitCode));
        EXPECT_EQ(exitCode, 0u);
    }
    {
        RunningSetup setup;
        ASSERT_TRUE(setup.Started);
        ASSERT_TRUE(setup.WaitForPage(315)) << "no maintenance page after the install";
        EXPECT_FALSE(setup.PageHas(1));
        EXPECT_TRUE(setup.PageHas(2003));
        setup.Click(315);
        ASSERT_TRUE(setup.Answer(IDYES));
        ASSERT_TRUE(setup.WaitForPage(1209));
        EXPECT_GT(GetWindowTextLengthW(GetDlgItem(setup.Page(), 1204)), 0);
        EXPECT_FALSE(LayoutRegistered());
        PostMessageW(setup.Main(), WM_CLOSE, 0, 0);
        DWORD exitCode = 1;
        ASSERT_TRUE(setup.Ended(&exitCode));
        EXPECT_EQ(exitCode, 0u);
    }
    // Removed: the next start is a fresh one again.
    RunningSetup setup;
    ASSERT_TRUE(setup.Started);
    EXPECT_TRUE(setup.WaitForPage(1));
    setup.Click(300);
    EXPECT_TRUE(setup.Answer(IDYES));
}
