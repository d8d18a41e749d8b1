// What the platform tests share: an installer with the program's own tables, a scratch registry key
// and folder that are gone after each test, and a seam that restores the previous platform.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/CInstall.h"
#include "platform/Platform.h"

inline std::u16string Text(const GString& text)
{
    if (!text.IsWide())
        return u"<narrow>";
    return std::u16string(text.GetW(0), text.GetLength());
}

inline const wchar_t* W(const std::u16string& text)
{
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

inline const char16_t* U(const wchar_t* text)
{
    return reinterpret_cast<const char16_t*>(text);
}

// An id that none of the tables has.
constexpr uint32_t kIdWithoutText = 9999;

struct PlatformScope
{
    explicit PlatformScope(CPlatform* platform) { Previous = SetPlatform(platform); }
    ~PlatformScope() { SetPlatform(Previous); }
    PlatformScope(const PlatformScope&) = delete;
    PlatformScope& operator=(const PlatformScope&) = delete;
    CPlatform* Previous;
};

// An installer with the carried tables, as setup.exe has it after Init.
class InstallerTest : public testing::Test
{
  protected:
    void SetUp() override { ASSERT_EQ(Install.Init(GetModuleHandleW(nullptr)), 1); }

    CInstall Install;
};

// HKCU\Software\OgonekPlatformTest, empty at the start of each test and deleted after it.
class RegistryTest : public InstallerTest
{
  protected:
    static constexpr const wchar_t* kRoot = L"Software\\OgonekPlatformTest";

    void SetUp() override
    {
        InstallerTest::SetUp();
        RegDeleteTreeW(HKEY_CURRENT_USER, kRoot);
        ASSERT_EQ(
            RegCreateKeyExW(HKEY_CURRENT_USER, kRoot, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &Key, nullptr),
            ERROR_SUCCESS);
    }
    void TearDown() override
    {
        if (Key)
            RegCloseKey(Key);
        RegDeleteTreeW(HKEY_CURRENT_USER, kRoot);
    }

    void Put(const wchar_t* name, DWORD type, const void* data, DWORD size)
    {
        ASSERT_EQ(RegSetValueExW(Key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    }
    // The type and bytes stored, or type REG_NONE + 100 when the value is missing.
    std::string Stored(const wchar_t* name, DWORD* type)
    {
        DWORD size = 0;
        *type = REG_NONE + 100;
        if (RegQueryValueExW(Key, name, nullptr, type, nullptr, &size) != ERROR_SUCCESS)
        {
            *type = REG_NONE + 100;
            return std::string();
        }
        std::string bytes(size, '\0');
        RegQueryValueExW(Key, name, nullptr, type, reinterpret_cast<BYTE*>(bytes.data()), &size);
        return bytes;
    }
    DWORD ValueCount()
    {
        DWORD values = 0;
        RegQueryInfoKeyW(Key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr);
        return values;
    }
    DWORD SubKeyCount()
    {
        DWORD keys = 0;
        RegQueryInfoKeyW(Key, nullptr, nullptr, nullptr, &keys, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr);
        return keys;
    }

    HKEY Key = nullptr;
};

// A fresh folder under the temporary folder for each test, removed with what is left in it.
class FolderTest : public InstallerTest
{
  protected:
    void SetUp() override
    {
        InstallerTest::SetUp();
        wchar_t temp[MAX_PATH + 1];
        ASSERT_GT(GetTempPathW(MAX_PATH + 1, temp), 0u);
        Folder = reinterpret_cast<const char16_t*>(temp);
        Folder += u"ogonek-platform-";
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        for (const char* c = info->name(); *c; ++c)
            Folder += (*c == '/') ? u'-' : static_cast<char16_t>(*c);
        Clean(Folder);
        ASSERT_TRUE(CreateDirectoryW(W(Folder), nullptr));
    }
    void TearDown() override { Clean(Folder); }

    std::u16string In(const char16_t* name) const { return Folder + u"\\" + name; }

    static void Clean(const std::u16string& folder)
    {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW(W(folder + u"\\*"), &found);
        if (search != INVALID_HANDLE_VALUE)
        {
            do
            {
                std::u16string name = U(found.cFileName);
                if (name == u"." || name == u"..")
                    continue;
                std::u16string path = folder + u"\\" + name;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    Clean(path);
                else
                    DeleteFileW(W(path));
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(W(folder));
    }

    static bool Exists(const std::u16string& path)
    {
        return GetFileAttributesW(W(path)) != INVALID_FILE_ATTRIBUTES;
    }
    static std::string Contents(const std::u16string& path)
    {
        HANDLE file = CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return "<missing>";
        std::string bytes;
        char buffer[4096];
        DWORD read = 0;
        while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0)
            bytes.append(buffer, read);
        CloseHandle(file);
        return bytes;
    }

    std::u16string Folder;
};
