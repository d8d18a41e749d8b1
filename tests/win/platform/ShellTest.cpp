// The shell helpers: special folders, links read back through the shell's own link object, and the
// program associated with a file type, registered here for the test.
#include <shlobj.h>

#include "PlatformTestSupport.h"
#include "payload/StringIds.h"
#include "platform/Shell.h"

namespace
{
class ShellTest : public FolderTest
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
        FolderTest::SetUp();
    }
    void TearDown() override
    {
        FolderTest::TearDown();
        CoUninitialize();
    }

    struct Link
    {
        std::u16string Target, Description, Icon;
        int IconIndex = -1;
    };
    static bool ReadLink(const std::u16string& path, Link* link)
    {
        IShellLinkW* shellLink = nullptr;
        if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                    reinterpret_cast<void**>(&shellLink))))
            return false;
        IPersistFile* file = nullptr;
        bool loaded =
            SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
            SUCCEEDED(file->Load(W(path), STGM_READ));
        if (loaded)
        {
            wchar_t text[INFOTIPSIZE] = {};
            shellLink->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
            link->Target = U(text);
            text[0] = 0;
            shellLink->GetDescription(text, INFOTIPSIZE);
            link->Description = U(text);
            text[0] = 0;
            shellLink->GetIconLocation(text, MAX_PATH, &link->IconIndex);
            link->Icon = U(text);
        }
        if (file)
            file->Release();
        shellLink->Release();
        return loaded;
    }
};

// .pdf (string 42) associated with a viewer of the test's choice for the length of one test; the
// prefix's own association (Wine has one) comes back afterwards.
class AssociationTest : public ShellTest
{
  protected:
    static constexpr const wchar_t* kClass = L"OgonekTest.Document";

    void SetUp() override
    {
        ShellTest::SetUp();
        GString type;
        Install.GetString(kIdDocumentExtension, type);
        FileType = Text(type);
        HKEY existing = nullptr;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, W(FileType), 0, KEY_READ, &existing) == ERROR_SUCCESS)
        {
            wchar_t progId[256] = {};
            DWORD size = sizeof(progId) - 2;
            if (RegQueryValueExW(existing, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(progId),
                                 &size) == ERROR_SUCCESS)
                Previous = progId;
            HadType = true;
            RegCloseKey(existing);
        }
        // The type now names a class that is not there: no program is associated with it.
        SetDefault(W(FileType), kClass);
    }
    void TearDown() override
    {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, kClass);
        if (!HadType)
            RegDeleteTreeW(HKEY_CLASSES_ROOT, W(FileType));
        else if (Previous.empty())
        {
            HKEY key = nullptr;
            RegOpenKeyExW(HKEY_CLASSES_ROOT, W(FileType), 0, KEY_SET_VALUE, &key);
            RegDeleteValueW(key, nullptr);
            RegCloseKey(key);
        }
        else
            SetDefault(W(FileType), Previous.c_str());
        ShellTest::TearDown();
    }

    void Register(const wchar_t* command)
    {
        SetDefault((std::wstring(kClass) + L"\\shell\\open\\command").c_str(), command);
    }
    void Unregister() { RegDeleteTreeW(HKEY_CLASSES_ROOT, kClass); }
    static void SetDefault(const wchar_t* key, const wchar_t* value)
    {
        HKEY k = nullptr;
        ASSERT_EQ(
            RegCreateKeyExW(HKEY_CLASSES_ROOT, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
            ERROR_SUCCESS);
        RegSetValueExW(k, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                       static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
        RegCloseKey(k);
    }

    std::u16string FileType;
    bool HadType = false;
    std::wstring Previous;
};

class LaunchRecorder : public CPlatform
{
  public:
    BOOL StartProcess(LPWSTR commandLine, STARTUPINFOW* startup, PROCESS_INFORMATION*) override
    {
        CommandLines.push_back(U(commandLine));
        StartupSize = startup->cb;
        return FALSE;
    }
    std::vector<std::u16string> CommandLines;
    DWORD StartupSize = 0;
};
} // namespace

TEST_F(ShellTest, SpecialFoldersAreTheShellsOwn)
{
    for (int id : {CSIDL_PROGRAM_FILES, CSIDL_COMMON_PROGRAMS, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_SYSTEM,
                   CSIDL_PERSONAL, CSIDL_DESKTOP})
    {
        SCOPED_TRACE(id);
        wchar_t expected[MAX_PATH] = {};
        ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, id, nullptr, 0, expected)));
        GString path;
        path.AssignA("old");
        EXPECT_EQ(Install.GetSpecialFolder(id, path), 1);
        EXPECT_EQ(Text(path), U(expected));
    }
    GString path;
    path.AssignW(u"old");
    EXPECT_EQ(Install.GetSpecialFolder(0x7F, path), 0);
    EXPECT_EQ(Text(path), u"");
}

TEST_F(ShellTest, CreateShortcutWritesALinkThatReadsBack)
{
    struct
    {
        const char* Name;
        const char16_t* Icon;
        int IconIndex;
    } cases[] = {{"with icon", u"C:\\windows\\system32\\shell32.dll", 3}, {"without icon", nullptr, 5}};
    const std::u16string target = In(u"Keyboard Chart (Ogonek).pdf");
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.Name);
        const std::u16string link = In(u"Chart.lnk");
        DeleteFileW(W(link));
        ASSERT_EQ(CreateShortcut(target.c_str(), link.c_str(), u"The keyboard chart", c.Icon, c.IconIndex),
                  1);
        Link read;
        ASSERT_TRUE(ReadLink(link, &read));
        EXPECT_EQ(read.Target, target);
        EXPECT_EQ(read.Description, u"The keyboard chart");
        if (c.Icon)
        {
            EXPECT_EQ(read.Icon, c.Icon);
            EXPECT_EQ(read.IconIndex, c.IconIndex);
        }
        else
            EXPECT_EQ(read.Icon, u"");
    }
}

TEST_F(ShellTest, CreateShortcutAnswersOneWhenTheLinkCannotBeSaved)
{
    const std::u16string link = In(u"missing\\Chart.lnk");
    EXPECT_EQ(CreateShortcut(In(u"a.pdf").c_str(), link.c_str(), u"d", nullptr, 0), 1);
    EXPECT_FALSE(Exists(link));
}

TEST_F(AssociationTest, TheAssociatedProgramIsFoundAndItsPathSearchedInUpperCase)
{
    // The shell looks for the program, so each one is there (empty) in the test's folder.
    struct
    {
        const char16_t* Program;
        const char16_t* Arguments;
        int HasExe; // string 45 (".EXE") in the upper-cased path
    } cases[] = {
        {u"Ogonek Viewer\\viewer.exe", u" \"%1\"", 1},
        {u"View.Exe", u" /open \"%1\"", 1},
        {u"viewer.com", u" \"%1\"", 0},
        {u"exe\\viewer.cmd", u" \"%1\"", 0},
    };
    ASSERT_TRUE(CreateDirectoryW(W(In(u"Ogonek Viewer")), nullptr));
    ASSERT_TRUE(CreateDirectoryW(W(In(u"exe")), nullptr));
    for (const auto& c : cases)
    {
        const std::u16string program = In(c.Program);
        SCOPED_TRACE(testing::PrintToString(program));
        HANDLE file = CreateFileW(W(program), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
        Register(W(u"\"" + program + u"\"" + c.Arguments));
        GString path;
        EXPECT_EQ(Install.GetAssociatedExecutable(kIdDocumentExtension, path), 1);
        EXPECT_EQ(Text(path), program);
        EXPECT_EQ(Install.AssociatedExecutableContains(kIdDocumentExtension, kIdPdfViewerNeedle), c.HasExe);
        Unregister();
    }
}

TEST_F(AssociationTest, WithoutAnAssociationNothingIsFoundOrStarted)
{
    GString path;
    EXPECT_EQ(Install.GetAssociatedExecutable(kIdDocumentExtension, path), 0);
    EXPECT_EQ(Install.AssociatedExecutableContains(kIdDocumentExtension, kIdPdfViewerNeedle), 0);
    LaunchRecorder recorder;
    PlatformScope scope(&recorder);
    EXPECT_EQ(
        Install.RunWithAssociatedProgram(kIdDocumentExtension, kIdAssociatedProgramCommand, u"input.dll"), 0);
    EXPECT_TRUE(recorder.CommandLines.empty());

    const std::u16string viewer = In(u"viewer.exe");
    HANDLE file = CreateFileW(W(viewer), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    Register(W(u"\"" + viewer + u"\" \"%1\""));
    ASSERT_EQ(Install.GetAssociatedExecutable(kIdDocumentExtension, path), 1);
    EXPECT_EQ(Install.GetAssociatedExecutable(kIdWithoutText, path), 0);
    EXPECT_EQ(Install.AssociatedExecutableContains(kIdWithoutText, kIdPdfViewerNeedle), 0);
    EXPECT_EQ(Install.AssociatedExecutableContains(kIdDocumentExtension, kIdWithoutText), 0);
}

TEST_F(AssociationTest, RunWithAssociatedProgramStartsTheTemplateWithPathAndArgument)
{
    const std::u16string viewer = In(u"viewer.exe");
    HANDLE file = CreateFileW(W(viewer), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    Register(W(u"\"" + viewer + u"\" \"%1\""));
    LaunchRecorder recorder;
    PlatformScope scope(&recorder);
    GString argument;
    Install.GetString(kIdKeyboardSettingsArgument, argument);
    // The launch is refused here, which RunCommand does not report.
    EXPECT_EQ(
        Install.RunWithAssociatedProgram(kIdDocumentExtension, kIdAssociatedProgramCommand, argument.GetW(0)),
        1);
    ASSERT_EQ(recorder.CommandLines.size(), 1u);
    EXPECT_EQ(recorder.CommandLines[0], u"\"" + viewer + u"\" shell32.dll,Control_RunDLL " + Text(argument));
    EXPECT_EQ(recorder.StartupSize, 68u);
}
