// A library planted beside the program is not what the program loads once the search is restricted.
#include <windows.h>

#include <string>

#include "engine/LibrarySearch.h"

#include <gtest/gtest.h>

namespace
{
const wchar_t kPlanted[] = L"ogonek_planted.dll";

std::wstring ProgramFolder()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.rfind(L'\\') + 1);
}
} // namespace

// Run in a child, since the restriction holds for the rest of the process.
TEST(LibrarySearch, APlantedLibraryBesideTheProgramIsNotLoaded)
{
    // Any real library will do as the planted one: a layout library of the build.
    std::string source = "Z:" OGONEK_LAYOUT_DIR "/kbd-s0-v0-b11.dll";
    for (char& c : source)
        if (c == '/')
            c = '\\';
    const std::wstring planted = ProgramFolder() + kPlanted;
    ASSERT_TRUE(CopyFileW(std::wstring(source.begin(), source.end()).c_str(), planted.c_str(), FALSE));
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = std::wstring(L"\"") + self +
                           L"\" --gtest_filter=LibrarySearchHelper.DISABLED_LoadBeforeAndAfter "
                           L"--gtest_also_run_disabled_tests";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process));
    WaitForSingleObject(process.hProcess, 60000);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    DeleteFileW(planted.c_str());
    EXPECT_EQ(exitCode, 0u);
}

TEST(LibrarySearchHelper, DISABLED_LoadBeforeAndAfter)
{
    HMODULE before = LoadLibraryW(kPlanted);
    ASSERT_NE(before, nullptr) << "without the restriction the program's folder is searched";
    FreeLibrary(before);
    ASSERT_EQ(RestrictLibrarySearch(), 1);
    EXPECT_EQ(LoadLibraryW(kPlanted), nullptr);
    HMODULE system = LoadLibraryW(L"version.dll");
    EXPECT_NE(system, nullptr) << "the system's own libraries still load";
    if (system)
        FreeLibrary(system);
}
