// Where the installer puts things: every path field from given parts, and the real paths of this
// Windows (special folders, the program's own command line, the system folders of the layout library).
#include "engine/InstallPaths.h"
#include "payload/StringIds.h"

#include <gtest/gtest.h>

#include <shellapi.h>
#include <shlobj.h>

#include <string>

namespace
{
std::u16string Text(const GString& text)
{
    if (text.GetLength() == 0)
        return u"";
    return text.IsWide() ? std::u16string(text.GetW(0), text.GetLength()) : u"<narrow>";
}

const char16_t* U(const wchar_t* text)
{
    return reinterpret_cast<const char16_t*>(text);
}

InstallPathParts Parts(const char16_t* programPath)
{
    return {u"C:\\Program Files",
            u"C:\\ProgramData\\Start Menu\\Programs\\", // a trailing backslash is not doubled
            u"C:\\Users\\Public\\Desktop",
            u"Vendor",
            u"\\Family", // nor is a leading one
            u"Chart",
            u"Edition",
            u"Guide",
            u"Switching",
            u"Quick",
            u"quick.html",
            u".pdf",
            u".lnk",
            u".txt",
            u".url",
            u"Uninstall %s",
            u"Layout",
            programPath};
}

class TextsTest : public testing::Test
{
  protected:
    GString Texts[CInstall::TextCount];
};
} // namespace

TEST_F(TextsTest, EveryFieldIsBuiltFromItsParts)
{
    Texts[CInstall::RecordedFileA].AssignW(u"recorded"); // the recorded fields are not touched
    ASSERT_EQ(BuildInstallPaths(Parts(u"D:\\Downloads\\setup.exe"), Texts), 1);
    const struct
    {
        CInstall::TextIndex Field;
        std::u16string Expected;
    } expected[] = {
        {CInstall::ProgramRootFolder, u"C:\\Program Files\\Vendor"},
        {CInstall::InstallFolder, u"C:\\Program Files\\Vendor\\Family"},
        {CInstall::MenuRootFolder, u"C:\\ProgramData\\Start Menu\\Programs\\Vendor"},
        {CInstall::MenuFolder, u"C:\\ProgramData\\Start Menu\\Programs\\Vendor\\Family"},
        {CInstall::FileA, u"C:\\Program Files\\Vendor\\Family\\Chart (Edition).pdf"},
        {CInstall::MenuLinkA, u"C:\\ProgramData\\Start Menu\\Programs\\Vendor\\Family\\Chart (Edition).lnk"},
        {CInstall::DesktopLinkA, u"C:\\Users\\Public\\Desktop\\Chart (Edition).lnk"},
        {CInstall::FileB, u"C:\\Program Files\\Vendor\\Family\\Guide.pdf"},
        {CInstall::MenuLinkB, u"C:\\ProgramData\\Start Menu\\Programs\\Vendor\\Family\\Guide.lnk"},
        {CInstall::DesktopLinkB, u"C:\\Users\\Public\\Desktop\\Guide.lnk"},
        {CInstall::FileC, u"C:\\Program Files\\Vendor\\Family\\Switching.txt"},
        {CInstall::MenuLinkC, u"C:\\ProgramData\\Start Menu\\Programs\\Vendor\\Family\\Switching.lnk"},
        {CInstall::DesktopLinkC, u"C:\\Users\\Public\\Desktop\\Switching.lnk"},
        {CInstall::MenuLinkD, u"C:\\ProgramData\\Start Menu\\Programs\\Vendor\\Family\\Quick.url"},
        {CInstall::DesktopLinkD, u"C:\\Users\\Public\\Desktop\\Quick.url"},
        {CInstall::FileD, u"C:\\Program Files\\Vendor\\Family\\quick.html"},
        {CInstall::ProgramPath, u"D:\\Downloads\\setup.exe"},
        {CInstall::UninstallerFile, u"C:\\Program Files\\Vendor\\Family\\setup.exe"},
        {CInstall::UninstallerTitle, u"Uninstall Layout"},
        {CInstall::UninstallerLink,
         u"C:\\ProgramData\\Start Menu\\Programs\\Vendor\\Family\\Uninstall Layout.lnk"},
        {CInstall::RecordedFileA, u"recorded"},
        {CInstall::LanguageName, u""},
    };
    for (const auto& e : expected)
        EXPECT_EQ(Text(Texts[e.Field]), e.Expected) << "field " << e.Field;
}

TEST_F(TextsTest, TheUninstallerIsNamedAfterTheProgramsOwnFile)
{
    const struct
    {
        const char* Name;
        const char16_t* ProgramPath;
        std::u16string UninstallerFile;
    } cases[] = {
        {"full path", u"C:\\Some Folder\\ogonek-setup.exe",
         u"C:\\Program Files\\Vendor\\Family\\ogonek-setup.exe"},
        {"relative path", u"..\\bin\\setup.exe", u"C:\\Program Files\\Vendor\\Family\\setup.exe"},
        {"no backslash", u"setup.exe", u"C:\\Program Files\\Vendor\\Family\\setup.exe"},
        {"forward slashes", u"C:/dl/setup.exe", u"C:\\Program Files\\Vendor\\Family\\C:/dl/setup.exe"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.Name);
        ASSERT_EQ(BuildInstallPaths(Parts(c.ProgramPath), Texts), 1);
        EXPECT_EQ(Text(Texts[CInstall::ProgramPath]), c.ProgramPath); // unchanged, relative or not
        EXPECT_EQ(Text(Texts[CInstall::UninstallerFile]), c.UninstallerFile);
    }
}

TEST_F(TextsTest, WithoutAProgramPathTheUninstallerFieldsStayEmpty)
{
    ASSERT_EQ(BuildInstallPaths(Parts(u"C:\\setup.exe"), Texts), 1);
    EXPECT_EQ(BuildInstallPaths(Parts(nullptr), Texts), 0);
    for (CInstall::TextIndex field : {CInstall::ProgramPath, CInstall::UninstallerFile,
                                      CInstall::UninstallerTitle, CInstall::UninstallerLink})
        EXPECT_EQ(Text(Texts[field]), u"") << "field " << field;
    EXPECT_EQ(Text(Texts[CInstall::FileD]), u"C:\\Program Files\\Vendor\\Family\\quick.html");
}

TEST_F(TextsTest, AMissingSpecialFolderLeavesPathsFromTheRoot)
{
    InstallPathParts parts = Parts(u"setup.exe");
    parts.ProgramFiles = u"";
    parts.Desktop = u"";
    ASSERT_EQ(BuildInstallPaths(parts, Texts), 1);
    EXPECT_EQ(Text(Texts[CInstall::InstallFolder]), u"\\Vendor\\Family");
    EXPECT_EQ(Text(Texts[CInstall::DesktopLinkB]), u"\\Guide.lnk");
}

TEST(LayoutLibraryPaths, OneSystemCopyOn32BitWindowsAndTwoOn64Bit)
{
    GString primary, secondary, staging, staging64;
    staging64.AssignW(u"untouched");
    LayoutLibraryFolders folders = {0, u"C:\\Program Files\\Vendor\\Family", u"C:\\windows\\system32",
                                    u"C:\\windows\\SysWOW64", u"kbdogon.dll"};
    BuildLayoutLibraryPaths(folders, primary, secondary, &staging, &staging64);
    EXPECT_EQ(Text(primary), u"C:\\windows\\system32\\kbdogon.dll");
    EXPECT_EQ(Text(secondary), u"");
    EXPECT_EQ(Text(staging), u"C:\\Program Files\\Vendor\\Family\\kbdogon.dll");
    EXPECT_EQ(Text(staging64), u"untouched"); // not produced

    folders.Is64BitWindows = 1;
    BuildLayoutLibraryPaths(folders, primary, secondary, &staging, &staging64);
    EXPECT_EQ(Text(primary), u"C:\\windows\\SysWOW64\\kbdogon.dll");
    EXPECT_EQ(Text(secondary), u"C:\\windows\\system32\\kbdogon.dll");
    EXPECT_EQ(Text(staging), u"C:\\Program Files\\Vendor\\Family\\kbdogon.dll");
    EXPECT_EQ(Text(staging64), u"C:\\Program Files\\Vendor\\Family\\kbdogon.dll64");

    BuildLayoutLibraryPaths(folders, primary, secondary, nullptr, nullptr); // staging not asked for
    EXPECT_EQ(Text(primary), u"C:\\windows\\SysWOW64\\kbdogon.dll");
}

namespace
{
class InstallerPathsTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_EQ(Install.Init(GetModuleHandleW(nullptr)), 1);
        ASSERT_EQ(Install.DetectSystem(kIdNativeSystemInfoFunction, kIdKernelLibrary), 1);
    }
    std::u16string Fetch(uint32_t id)
    {
        GString text;
        Install.GetString(id, text);
        return Text(text);
    }
    static std::u16string Folder(int id)
    {
        wchar_t path[MAX_PATH] = {};
        SHGetFolderPathW(nullptr, id, nullptr, 0, path);
        return U(path);
    }

    CInstall Install;
};
} // namespace

TEST_F(InstallerPathsTest, ComputeInstallPathsUsesThisWindowsAndThisProgram)
{
    ASSERT_EQ(Install.ComputeInstallPaths(), 1);
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    ASSERT_NE(arguments, nullptr);
    const std::u16string self = U(arguments[0]);
    LocalFree(arguments);

    const std::u16string install =
        Folder(CSIDL_PROGRAM_FILES) + u"\\" + Fetch(kIdVendorFolder) + u"\\" + Fetch(kIdFamilyName);
    const std::u16string menu =
        Folder(CSIDL_COMMON_PROGRAMS) + u"\\" + Fetch(kIdVendorFolder) + u"\\" + Fetch(kIdFamilyName);
    EXPECT_EQ(Text(Install.Text(CInstall::InstallFolder)), install);
    EXPECT_EQ(Text(Install.Text(CInstall::MenuFolder)), menu);
    EXPECT_EQ(Text(Install.Text(CInstall::DesktopLinkC)),
              Folder(CSIDL_COMMON_DESKTOPDIRECTORY) + u"\\" + Fetch(kIdFileCName) + Fetch(kIdLinkExtension));
    EXPECT_EQ(Text(Install.Text(CInstall::ProgramPath)), self);
    EXPECT_EQ(Text(Install.Text(CInstall::UninstallerFile)),
              install + u"\\" + self.substr(self.rfind(u'\\') + 1));
    EXPECT_EQ(Text(Install.Text(CInstall::UninstallerTitle)), u"Uninstall " + Fetch(kIdLayoutName));
    EXPECT_EQ(Text(Install.Text(CInstall::UninstallerLink)),
              menu + u"\\Uninstall " + Fetch(kIdLayoutName) + Fetch(kIdLinkExtension));
}

TEST_F(InstallerPathsTest, TheLayoutLibraryGoesIntoTheRealSystemFolders)
{
    GString primary, secondary, staging, staging64;
    staging64.AssignW(u"untouched");
    ASSERT_EQ(Install.ComputeInstallPaths(), 1);
    ASSERT_EQ(Install.GetLayoutLibraryPaths(primary, secondary, &staging, &staging64), 1);
    const std::u16string library = Fetch(kIdLayoutFileName);
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH); // what CSIDL_SYSTEM names, also for a 32-bit program
    const std::u16string install = Text(Install.Text(CInstall::InstallFolder));
    EXPECT_EQ(Text(staging), install + u"\\" + library);
    if (Install.Is64BitWindows)
    {
        wchar_t wow64[MAX_PATH] = {};
        ASSERT_GT(GetSystemWow64DirectoryW(wow64, MAX_PATH), 0u);
        EXPECT_EQ(Text(primary), std::u16string(U(wow64)) + u"\\" + library);
        EXPECT_EQ(Text(secondary), std::u16string(U(system)) + u"\\" + library);
        EXPECT_EQ(Text(staging64), install + u"\\" + library + u"64");
        EXPECT_EQ(Text(primary).find(u"Sysnative"), std::u16string::npos);
    }
    else
    {
        EXPECT_EQ(Text(primary), std::u16string(U(system)) + u"\\" + library);
        EXPECT_EQ(Text(secondary), u"");
        EXPECT_EQ(Text(staging64), u"untouched");
    }
}

// A 64-bit answer on a system without the 32-bit system folder (here: a 32-bit Windows told otherwise)
// must not put the library into the root of the drive.
TEST_F(InstallerPathsTest, WithoutThe32BitSystemFolderThereAreNoLibraryPaths)
{
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    if (wow64)
        GTEST_SKIP() << "64-bit Windows has the folder";
    Install.Is64BitWindows = 1;
    GString primary, secondary;
    primary.AssignW(u"old");
    EXPECT_EQ(Install.GetLayoutLibraryPaths(primary, secondary, nullptr, nullptr), 0);
    EXPECT_EQ(Text(primary), u"");
    EXPECT_EQ(Text(secondary), u"");
}
