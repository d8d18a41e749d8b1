// The real setup.exe driven through its wizard the way a user would: clicks on its buttons, answers to
// its message boxes, and the machine state it leaves (the layout's registration).
#include <windows.h>

#include "engine/CInstall.h"
#include "payload/StringIds.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

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

// --- registry reading: the record, the registration, the scheduled moves ---

std::wstring RecordLayoutKey()
{
    return ProgramText(kIdSoftwareKey) + L"\\" + ProgramText(kIdVendorKey) + L"\\" +
           ProgramText(kIdFamilyName) + L"\\" + ProgramText(kIdLayoutsKey) + L"\\" +
           ProgramText(kIdLayoutRecordName);
}

// A value's bytes, or nothing (found false) when the key or value is missing.
std::vector<unsigned char> ReadValue(HKEY root, const std::wstring& path, const std::wstring& name,
                                     REGSAM view, bool* found = nullptr)
{
    std::vector<unsigned char> bytes;
    if (found)
        *found = false;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return bytes;
    DWORD size = 0;
    if (RegQueryValueExW(key, name.c_str(), nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS)
    {
        bytes.resize(size);
        if (RegQueryValueExW(key, name.c_str(), nullptr, nullptr, bytes.data(), &size) == ERROR_SUCCESS)
        {
            bytes.resize(size);
            if (found)
                *found = true;
        }
        else
            bytes.clear();
    }
    RegCloseKey(key);
    return bytes;
}

// A DWORD of the record's layout key; 0xFFFFFFFF when missing.
DWORD RecordDword(uint32_t nameId)
{
    std::vector<unsigned char> bytes =
        ReadValue(HKEY_LOCAL_MACHINE, RecordLayoutKey(), ProgramText(nameId), 0);
    DWORD value = 0xFFFFFFFF;
    if (bytes.size() == sizeof(value))
        memcpy(&value, bytes.data(), sizeof(value));
    return value;
}

std::vector<unsigned char> RegistrationValue(uint32_t nameId)
{
    std::wstring path = ProgramText(kIdLayoutListKey) + L"\\" + ProgramText(kIdLayoutKlid);
    return ReadValue(HKEY_LOCAL_MACHINE, path, ProgramText(nameId), KEY_WOW64_64KEY);
}

bool ScancodeMapPresent()
{
    bool found = false;
    ReadValue(HKEY_LOCAL_MACHINE, ProgramText(kIdScancodeMapKey), ProgramText(kIdScancodeMapValue),
              KEY_WOW64_64KEY, &found);
    return found;
}

const wchar_t kSessionManager[] = L"System\\CurrentControlSet\\Control\\Session Manager";
const wchar_t kPendingMoves[] = L"PendingFileRenameOperations";

// The moves scheduled for the next restart, as (source, target) pairs of the multi-string.
std::vector<std::wstring> PendingMoves()
{
    std::vector<unsigned char> bytes = ReadValue(HKEY_LOCAL_MACHINE, kSessionManager, kPendingMoves, 0);
    std::vector<std::wstring> texts;
    const wchar_t* text = reinterpret_cast<const wchar_t*>(bytes.data());
    size_t count = bytes.size() / sizeof(wchar_t);
    size_t start = 0;
    for (size_t i = 0; i < count; ++i)
        if (text[i] == 0)
        {
            texts.emplace_back(text + start, text + i);
            start = i + 1;
        }
    // A double terminator ends the list; a lone trailing empty text is its first half.
    while (!texts.empty() && texts.size() % 2 != 0 && texts.back().empty())
        texts.pop_back();
    return texts;
}

bool EndsWithNoCase(const std::wstring& text, const std::wstring& tail)
{
    return text.size() >= tail.size() &&
           _wcsicmp(text.c_str() + text.size() - tail.size(), tail.c_str()) == 0;
}

// "\??\C:\x" and "!\??\C:\x" (replace existing) as a plain path.
std::wstring MovePath(std::wstring path)
{
    if (!path.empty() && path[0] == L'!')
        path.erase(0, 1);
    if (path.compare(0, 4, L"\\??\\") == 0)
        path.erase(0, 4);
    return path;
}

// The staging files of the layout library that moves scheduled after the first `skip` texts place.
std::vector<std::wstring> StagedLibraries(size_t skip)
{
    std::vector<std::wstring> moves = PendingMoves();
    std::vector<std::wstring> staged;
    std::wstring library = L"\\" + ProgramText(kIdLayoutFileName);
    for (size_t i = skip; i + 1 < moves.size(); i += 2)
        if (!moves[i].empty() && EndsWithNoCase(MovePath(moves[i + 1]), library))
            staged.push_back(MovePath(moves[i]));
    return staged;
}

// Puts back, at the end of a scenario, what the installs of the scenario scheduled or left: the moves
// for the next restart, the staging files, the finishing value.
class PrefixRestorer
{
  public:
    PrefixRestorer()
    {
        Saved = ReadValue(HKEY_LOCAL_MACHINE, kSessionManager, kPendingMoves, 0, &Existed);
        SavedCount = PendingMoves().size();
    }
    ~PrefixRestorer()
    {
        for (const std::wstring& file : StagedLibraries(SavedCount))
            DeleteFileW(file.c_str());
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS)
        {
            if (Existed)
                RegSetValueExW(key, kPendingMoves, 0, REG_MULTI_SZ, Saved.data(),
                               static_cast<DWORD>(Saved.size()));
            else
                RegDeleteValueW(key, kPendingMoves);
            RegCloseKey(key);
        }
        RemoveFinishValue();
    }
    size_t SavedCount = 0;

  private:
    std::vector<unsigned char> Saved;
    bool Existed = false;
};

bool FileExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<char> FileBytes(const std::wstring& path)
{
    std::vector<char> bytes;
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    DWORD size = GetFileSize(file, nullptr);
    DWORD read = 0;
    if (size != INVALID_FILE_SIZE)
    {
        bytes.resize(size);
        if (!ReadFile(file, bytes.data(), size, &read, nullptr))
            read = 0;
        bytes.resize(read);
    }
    CloseHandle(file);
    return bytes;
}

struct MainSearch
{
    std::wstring Class;
    int Count;
};

BOOL CALLBACK CountMain(HWND window, LPARAM param)
{
    auto* s = reinterpret_cast<MainSearch*>(param);
    if (ClassName(window) == s->Class)
        ++s->Count;
    return TRUE;
}

int MainWindowCount()
{
    MainSearch search = {ProgramText(kIdWindowClass), 0};
    EnumWindows(CountMain, reinterpret_cast<LPARAM>(&search));
    return search.Count;
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
            WaitFor(
                [this]
                {
                    return (Main() != nullptr && Page() != nullptr) ||
                           WaitForSingleObject(Process.hProcess, 0) == WAIT_OBJECT_0;
                });
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
    bool IsChecked(int id) const
    {
        return SendMessageW(GetDlgItem(Page(), id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    // Selects the item of the given data in a drop-down and tells the page as a user's choice would.
    bool Choose(int id, LRESULT data, WORD notification) const
    {
        HWND page = Page();
        HWND list = GetDlgItem(page, id);
        LRESULT count = SendMessageW(list, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i)
            if (SendMessageW(list, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) == data)
            {
                SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
                SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, notification), reinterpret_cast<LPARAM>(list));
                return true;
            }
        return false;
    }
    LRESULT Chosen(int id) const
    {
        HWND list = GetDlgItem(Page(), id);
        LRESULT index = SendMessageW(list, CB_GETCURSEL, 0, 0);
        return index == CB_ERR ? CB_ERR : SendMessageW(list, CB_GETITEMDATA, static_cast<WPARAM>(index), 0);
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
    PrefixRestorer restorer;
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

namespace
{
// Caps Lock (row 12 of the key page) made a left Ctrl.
constexpr int kCapsLockCheck = 1312;
constexpr int kCapsLockList = 1412;
constexpr LRESULT kLeftCtrl = 0xA2;
const unsigned char kCapsLockAsCtrl[] = {0x3A, 0x00, 0xA2, 0x00};

// From the maintenance page (or the fresh welcome page) through the uninstall, ending with the
// finish page closed; what an install of a scenario leaves is gone again.
void UninstallThroughTheWizard()
{
    RunningSetup setup;
    ASSERT_TRUE(setup.Started);
    ASSERT_TRUE(setup.WaitForPage(315));
    setup.Click(315);
    ASSERT_TRUE(setup.Answer(IDYES));
    ASSERT_TRUE(setup.WaitForPage(1209));
    PostMessageW(setup.Main(), WM_CLOSE, 0, 0);
    DWORD exitCode = 1;
    ASSERT_TRUE(setup.Ended(&exitCode));
    EXPECT_FALSE(LayoutRegistered());
}
} // namespace

TEST(WizardDrive, InstallWithChosenKeysAndOptionsThenModifyOnlyTheOptions)
{
    PrefixRestorer restorer;
    ASSERT_FALSE(LayoutRegistered()) << "the prefix holds an installation";
    const bool mapBefore = ScancodeMapPresent();
    {
        RunningSetup setup;
        ASSERT_TRUE(setup.Started);
        ASSERT_TRUE(setup.WaitForPage(1));
        setup.Click(1);
        ASSERT_TRUE(setup.WaitForPage(305));
        setup.Click(305);
        ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(GetDlgItem(setup.Page(), 1)) != 0; }));
        setup.Click(1);
        ASSERT_TRUE(setup.WaitForPage(206));

        // The key page: Caps Lock checked shows its own key first, then becomes a left Ctrl.
        setup.Click(303);
        ASSERT_TRUE(setup.WaitForPage(kCapsLockCheck));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(setup.Page(), kCapsLockList)));
        setup.Click(kCapsLockCheck);
        ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(GetDlgItem(setup.Page(), kCapsLockList)) != 0; }));
        EXPECT_EQ(setup.Chosen(kCapsLockList), 0x14) << "a checked row starts with the key's own virtual key";
        ASSERT_TRUE(setup.Choose(kCapsLockList, kLeftCtrl, CBN_SELENDOK));
        setup.Click(301);
        ASSERT_TRUE(setup.WaitForPage(206));

        // Back on the setup page: comma on the decimal key, the second set of builds, no user values
        // (they would stay in the prefix's user part).
        ASSERT_TRUE(setup.Choose(1215, 0, CBN_SELCHANGE));
        if (!setup.IsChecked(1213))
            setup.Click(1213);
        ASSERT_TRUE(WaitFor([&] { return setup.IsChecked(1213); }));
        if (setup.PageHas(1205) && setup.IsChecked(1205))
            setup.Click(1205);
        ASSERT_TRUE(WaitFor([&] { return !setup.IsChecked(1205); }));

        // Leaving for the key page and coming back keeps the choices.
        setup.Click(303);
        ASSERT_TRUE(setup.WaitForPage(kCapsLockCheck));
        EXPECT_TRUE(setup.IsChecked(kCapsLockCheck));
        EXPECT_EQ(setup.Chosen(kCapsLockList), kLeftCtrl);
        setup.Click(301);
        ASSERT_TRUE(setup.WaitForPage(206));
        EXPECT_EQ(setup.Chosen(1215), 0);
        EXPECT_TRUE(setup.IsChecked(1213));

        setup.Click(206);
        ASSERT_TRUE(WaitFor([&] { return setup.PageHas(1209) || setup.Box() != nullptr; }, 120000));
        ASSERT_EQ(setup.Box(), nullptr) << "the install failed";
        PostMessageW(setup.Main(), WM_CLOSE, 0, 0);
        DWORD exitCode = 1;
        ASSERT_TRUE(setup.Ended(&exitCode));
        EXPECT_EQ(exitCode, 0u);
    }
    EXPECT_TRUE(LayoutRegistered());
    EXPECT_EQ(RecordDword(kIdInstalledVersionValue), 190u);
    EXPECT_EQ(RecordDword(kIdDecimalKeyValue), 0u);
    EXPECT_EQ(RecordDword(kIdSecondSetOptionValue), 1u);
    const DWORD variant = RecordDword(kIdLayoutVariantValue);
    EXPECT_LE(variant, 2u);
    std::vector<unsigned char> keys =
        ReadValue(HKEY_LOCAL_MACHINE, RecordLayoutKey(), ProgramText(kIdKeyAssignmentsValue), 0);
    EXPECT_EQ(keys, std::vector<unsigned char>(std::begin(kCapsLockAsCtrl), std::end(kCapsLockAsCtrl)));
    // A virtual key is the layout library's business: no scan-code map is made for it.
    EXPECT_EQ(ScancodeMapPresent(), mapBefore);
    std::vector<std::wstring> staged = StagedLibraries(restorer.SavedCount);
    ASSERT_FALSE(staged.empty()) << "no layout library scheduled for the restart";
    for (const std::wstring& file : staged)
        EXPECT_TRUE(FileExists(file)) << "missing staged library";

    const std::vector<unsigned char> registrationFile = RegistrationValue(kIdLayoutFileValue);
    const std::vector<unsigned char> registrationText = RegistrationValue(kIdLayoutTextValue);
    const std::vector<unsigned char> uninstaller =
        ReadValue(HKEY_LOCAL_MACHINE, RecordLayoutKey(), ProgramText(kIdUninstallerValue), 0);
    const size_t movesAfterInstall = PendingMoves().size();
    const std::vector<char> firstBuild = FileBytes(staged[0]);
    EXPECT_FALSE(firstBuild.empty());
    const DWORD otherVariant = variant == 0 ? 1 : 0;
    {
        // Maintenance: modify goes straight to the setup page, which keeps the recorded choices.
        RunningSetup setup;
        ASSERT_TRUE(setup.Started);
        ASSERT_TRUE(setup.WaitForPage(2003));
        setup.Click(2003);
        ASSERT_TRUE(setup.WaitForPage(206));
        EXPECT_FALSE(setup.PageHas(1205));
        EXPECT_EQ(setup.Chosen(1215), 0);
        EXPECT_TRUE(setup.IsChecked(1213));
        EXPECT_EQ(setup.Chosen(1214), static_cast<LRESULT>(variant));
        ASSERT_TRUE(setup.Choose(1214, otherVariant, CBN_SELCHANGE));
        setup.Click(206);
        ASSERT_TRUE(WaitFor([&] { return setup.PageHas(1209) || setup.Box() != nullptr; }, 120000));
        ASSERT_EQ(setup.Box(), nullptr) << "the update failed";
        PostMessageW(setup.Main(), WM_CLOSE, 0, 0);
        DWORD exitCode = 1;
        ASSERT_TRUE(setup.Ended(&exitCode));
        EXPECT_EQ(exitCode, 0u);
    }
    EXPECT_EQ(RecordDword(kIdLayoutVariantValue), otherVariant);
    EXPECT_EQ(RecordDword(kIdDecimalKeyValue), 0u);
    EXPECT_EQ(RecordDword(kIdSecondSetOptionValue), 1u);
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, RecordLayoutKey(), ProgramText(kIdKeyAssignmentsValue), 0), keys);
    EXPECT_EQ(RegistrationValue(kIdLayoutFileValue), registrationFile);
    EXPECT_EQ(RegistrationValue(kIdLayoutTextValue), registrationText);
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, RecordLayoutKey(), ProgramText(kIdUninstallerValue), 0),
              uninstaller);
    EXPECT_GT(PendingMoves().size(), movesAfterInstall) << "the libraries were not built again";
    std::vector<std::wstring> restaged = StagedLibraries(movesAfterInstall);
    for (const std::wstring& file : restaged)
        EXPECT_TRUE(FileExists(file)) << "missing staged library after the update";
    ASSERT_FALSE(restaged.empty());
    EXPECT_EQ(_wcsicmp(restaged[0].c_str(), staged[0].c_str()), 0);
    EXPECT_NE(FileBytes(restaged[0]), firstBuild) << "the other variant's library was not written";

    UninstallThroughTheWizard();
}

TEST(WizardDrive, SecondCopyOnlyBringsTheFirstToTheFront)
{
    RunningSetup first;
    ASSERT_TRUE(first.Started);
    ASSERT_NE(first.Page(), nullptr);
    HWND main = first.Main();
    // Something else in front, so that the second copy has something to do.
    HWND other = CreateWindowExW(0, L"STATIC", L"front", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(other);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == other; }, 5000));
    {
        RunningSetup second;
        ASSERT_TRUE(second.Started);
        DWORD exitCode = 1;
        ASSERT_EQ(WaitForSingleObject(second.Process.hProcess, 60000), static_cast<DWORD>(WAIT_OBJECT_0))
            << "the second copy still runs";
        GetExitCodeProcess(second.Process.hProcess, &exitCode);
        EXPECT_EQ(exitCode, 0u);
    }
    EXPECT_EQ(MainWindowCount(), 1);
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == main; }, 5000));
    DestroyWindow(other);
    first.Click(300);
    ASSERT_TRUE(first.Answer(IDYES));
    DWORD exitCode = 1;
    ASSERT_TRUE(first.Ended(&exitCode));
    EXPECT_EQ(exitCode, 0u);
}

namespace
{
// Screenshots are taken outside Wine: the page in front is announced in the folder's file "want"
// (name and window rectangle), and the taker deletes the file when its picture is saved.
class ShotTaker
{
  public:
    explicit ShotTaker(const char* folder) : Want(WinPath(folder) + L"\\want") {}
    bool Take(const RunningSetup& setup, const std::string& name) const
    {
        Sleep(700); // painted
        // The client area only: without a window manager the frame is never drawn.
        RECT r = {};
        POINT origin = {0, 0};
        if (!GetClientRect(setup.Main(), &r) || !ClientToScreen(setup.Main(), &origin))
            return false;
        OffsetRect(&r, origin.x, origin.y);
        std::string line = name + " " + std::to_string(r.left) + " " + std::to_string(r.top) + " " +
                           std::to_string(r.right - r.left) + " " + std::to_string(r.bottom - r.top) + "\n";
        std::wstring temp = Want + L".new";
        HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        DWORD written = 0;
        WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        CloseHandle(file);
        if (!MoveFileExW(temp.c_str(), Want.c_str(), MOVEFILE_REPLACE_EXISTING))
            return false;
        return WaitFor([&] { return !FileExists(Want); }, 30000);
    }

  private:
    std::wstring Want;
};
} // namespace

// Not part of the suite: tests/e2e/wizard/make-screenshots.sh runs it with OGONEK_SHOT_DIR set.
TEST(WizardDrive, DISABLED_Screenshots)
{
    const char* folder = getenv("OGONEK_SHOT_DIR");
    ASSERT_NE(folder, nullptr);
    ShotTaker shots(folder);
    PrefixRestorer restorer;
    ASSERT_FALSE(LayoutRegistered()) << "the prefix holds an installation";
    const char* prefixes[2] = {"en", "pl"};
    for (int language = 0; language < 2; ++language)
    {
        const std::string p = prefixes[language];
        {
            RunningSetup setup;
            ASSERT_TRUE(setup.Started);
            ASSERT_TRUE(setup.WaitForPage(1));
            ASSERT_TRUE(setup.Choose(2002, language, CBN_SELENDOK));
            ASSERT_TRUE(shots.Take(setup, p + "-1-welcome"));
            setup.Click(1);
            ASSERT_TRUE(setup.WaitForPage(305));
            ASSERT_TRUE(shots.Take(setup, p + "-2-licence"));
            setup.Click(305);
            ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(GetDlgItem(setup.Page(), 1)) != 0; }));
            setup.Click(1);
            ASSERT_TRUE(setup.WaitForPage(206));
            ASSERT_TRUE(shots.Take(setup, p + "-3-setup"));
            setup.Click(303);
            ASSERT_TRUE(setup.WaitForPage(kCapsLockCheck));
            setup.Click(kCapsLockCheck);
            ASSERT_TRUE(
                WaitFor([&] { return IsWindowEnabled(GetDlgItem(setup.Page(), kCapsLockList)) != 0; }));
            ASSERT_TRUE(shots.Take(setup, p + "-4-keys"));
            setup.Click(kCapsLockCheck);
            setup.Click(301);
            ASSERT_TRUE(setup.WaitForPage(206));
            if (setup.PageHas(1205) && setup.IsChecked(1205))
                setup.Click(1205);
            setup.Click(206);
            ASSERT_TRUE(WaitFor([&] { return setup.PageHas(1209) || setup.Box() != nullptr; }, 120000));
            ASSERT_EQ(setup.Box(), nullptr) << "the install failed";
            ASSERT_TRUE(shots.Take(setup, p + "-5-finish"));
            PostMessageW(setup.Main(), WM_CLOSE, 0, 0);
            DWORD exitCode = 1;
            ASSERT_TRUE(setup.Ended(&exitCode));
        }
        RunningSetup setup;
        ASSERT_TRUE(setup.Started);
        ASSERT_TRUE(setup.WaitForPage(315));
        ASSERT_TRUE(setup.Choose(2002, language, CBN_SELENDOK));
        ASSERT_TRUE(shots.Take(setup, p + "-6-maintenance"));
        setup.Click(315);
        ASSERT_TRUE(setup.Answer(IDYES));
        ASSERT_TRUE(setup.WaitForPage(1209));
        ASSERT_TRUE(shots.Take(setup, p + "-7-removed"));
        PostMessageW(setup.Main(), WM_CLOSE, 0, 0);
        DWORD exitCode = 1;
        ASSERT_TRUE(setup.Ended(&exitCode));
    }
}
