// setup.exe under Wine: intact, it starts, decodes what it carries and opens its wizard; with a damaged
// item it must end quietly with exit code 0 and never show a window.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{
std::wstring WinPath(const std::string& unixPath)
{
    std::wstring path = L"Z:";
    for (char c : unixPath)
        path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return path;
}

std::vector<char> ReadAll(const std::wstring& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

struct WindowSearch
{
    DWORD ProcessId;
    bool Found;
};

BOOL CALLBACK FindProcessWindow(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search->ProcessId && IsWindowVisible(window))
    {
        search->Found = true;
        return FALSE;
    }
    return TRUE;
}

struct RunResult
{
    DWORD ExitCode = 0xFFFFFFFF;
    bool Ended = false;
    bool ShowedWindow = false;
};

// Runs the program until it ends or, when stopAtWindow is set, until it shows a window.
RunResult RunSetup(const std::wstring& exe, bool stopAtWindow = false)
{
    RunResult result;
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return result;
    // Watch for a window while it runs.
    for (int i = 0; i < 3000; ++i)
    {
        WindowSearch search = {process.dwProcessId, false};
        EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&search));
        result.ShowedWindow = result.ShowedWindow || search.Found;
        if (stopAtWindow && result.ShowedWindow)
            break;
        if (WaitForSingleObject(process.hProcess, 10) == WAIT_OBJECT_0)
        {
            result.Ended = true;
            break;
        }
    }
    if (!result.Ended)
        TerminateProcess(process.hProcess, 1);
    GetExitCodeProcess(process.hProcess, &result.ExitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}
} // namespace

TEST(SetupStart, IntactPayloadOpensTheWizard)
{
    RunResult r = RunSetup(WinPath(OGONEK_SETUP_EXE), true);
    EXPECT_TRUE(r.ShowedWindow);
    EXPECT_FALSE(r.Ended); // still running its wizard when the window appeared
}

TEST(SetupStart, DamagedCommonTableEndsSilentlyWithZero)
{
    std::vector<char> exe = ReadAll(WinPath(OGONEK_SETUP_EXE));
    std::vector<char> item = ReadAll(WinPath(OGONEK_COMMON_TABLE_ITEM));
    ASSERT_GT(exe.size(), 0u);
    ASSERT_GT(item.size(), 64u);
    auto at = std::search(exe.begin(), exe.end(), item.begin(), item.end());
    ASSERT_NE(at, exe.end()) << "the common table is not carried as packed";
    at[item.size() / 2] ^= 0x10;

    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    std::wstring copy = std::wstring(folder) + L"setup-damaged.exe";
    {
        std::ofstream out(copy.c_str(), std::ios::binary);
        out.write(exe.data(), static_cast<std::streamsize>(exe.size()));
    }
    RunResult r = RunSetup(copy);
    DeleteFileW(copy.c_str());
    EXPECT_TRUE(r.Ended);
    EXPECT_EQ(r.ExitCode, 0u);
    EXPECT_FALSE(r.ShowedWindow);
}
