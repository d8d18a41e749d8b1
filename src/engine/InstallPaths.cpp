// Where every file, folder and link of an installation goes, worked out once at start-up, and where
// the layout library goes in the system folders.
#include "engine/InstallPaths.h"

#include <shellapi.h>
#include <shlobj.h>

#include "payload/StringIds.h"
#include "platform/Handles.h"
#include "platform/Platform.h"

namespace
{
// folder ⊕ name, then the extension appended as it stands.
void JoinPath(GString& out, const char16_t* folder, const char16_t* name, const char16_t* extension)
{
    out.EmptyW();
    out.AppendW(folder);
    out.AppendPathW(name);
    out.AppendW(extension);
}

using Wow64DirectoryFn = UINT(WINAPI*)(LPWSTR buffer, UINT size);
} // namespace

int BuildInstallPaths(const InstallPathParts& p, GString* texts)
{
    GString& installFolder = texts[CInstall::InstallFolder];
    GString& menuFolder = texts[CInstall::MenuFolder];
    JoinPath(texts[CInstall::ProgramRootFolder], p.ProgramFiles, p.VendorFolder, nullptr);
    JoinPath(installFolder, texts[CInstall::ProgramRootFolder].GetW(0), p.FamilyFolder, nullptr);
    JoinPath(texts[CInstall::MenuRootFolder], p.CommonPrograms, p.VendorFolder, nullptr);
    JoinPath(menuFolder, texts[CInstall::MenuRootFolder].GetW(0), p.FamilyFolder, nullptr);

    GString nameA;
    nameA.EmptyW();
    nameA.AppendW(p.FileABase);
    nameA.AppendW(u" (");
    nameA.AppendW(p.FileAEdition);
    nameA.AppendW(u")");
    const char16_t* a = nameA.GetW(0);
    JoinPath(texts[CInstall::FileA], installFolder.GetW(0), a, p.DocumentExtension);
    JoinPath(texts[CInstall::MenuLinkA], menuFolder.GetW(0), a, p.LinkExtension);
    JoinPath(texts[CInstall::DesktopLinkA], p.Desktop, a, p.LinkExtension);
    JoinPath(texts[CInstall::FileB], installFolder.GetW(0), p.FileBName, p.DocumentExtension);
    JoinPath(texts[CInstall::MenuLinkB], menuFolder.GetW(0), p.FileBName, p.LinkExtension);
    JoinPath(texts[CInstall::DesktopLinkB], p.Desktop, p.FileBName, p.LinkExtension);
    JoinPath(texts[CInstall::FileC], installFolder.GetW(0), p.FileCName, p.FileCExtension);
    JoinPath(texts[CInstall::MenuLinkC], menuFolder.GetW(0), p.FileCName, p.LinkExtension);
    JoinPath(texts[CInstall::DesktopLinkC], p.Desktop, p.FileCName, p.LinkExtension);
    JoinPath(texts[CInstall::MenuLinkD], menuFolder.GetW(0), p.FileDLinkName, p.LinkTextExtension);
    JoinPath(texts[CInstall::DesktopLinkD], p.Desktop, p.FileDLinkName, p.LinkTextExtension);
    JoinPath(texts[CInstall::FileD], installFolder.GetW(0), p.FileDName, nullptr);

    GString& programPath = texts[CInstall::ProgramPath];
    GString& uninstallerFile = texts[CInstall::UninstallerFile];
    GString& title = texts[CInstall::UninstallerTitle];
    GString& uninstallerLink = texts[CInstall::UninstallerLink];
    programPath.EmptyW();
    uninstallerFile.EmptyW();
    title.EmptyW();
    uninstallerLink.EmptyW();
    if (!p.ProgramPath)
        return 0;

    programPath.AssignW(p.ProgramPath);
    const int slash = programPath.ReverseFind(u'\\', 0);
    JoinPath(uninstallerFile, installFolder.GetW(0), programPath.GetW(slash + 1), nullptr);
    title.Format(p.UninstallerTemplate ? p.UninstallerTemplate : u"", p.LayoutName ? p.LayoutName : u"");
    JoinPath(uninstallerLink, menuFolder.GetW(0), title.GetW(0), p.LinkExtension);
    return 1;
}

void BuildLayoutLibraryPaths(const LayoutLibraryFolders& f, GString& primarySystem, GString& secondarySystem,
                             GString* primaryStaging, GString* secondaryStaging)
{
    primarySystem.EmptyW();
    secondarySystem.EmptyW();
    if (primaryStaging)
        JoinPath(*primaryStaging, f.InstallFolder, f.LibraryName, nullptr);
    if (secondaryStaging && f.Is64BitWindows)
        JoinPath(*secondaryStaging, f.InstallFolder, f.LibraryName, u"64");
    if (!f.Is64BitWindows)
    {
        JoinPath(primarySystem, f.SystemFolder, f.LibraryName, nullptr);
        return;
    }
    JoinPath(primarySystem, f.Wow64SystemFolder, f.LibraryName, nullptr);
    JoinPath(secondarySystem, f.SystemFolder, f.LibraryName, nullptr);
}

int CInstall::ComputeInstallPaths()
{
    GString programFiles, programs, desktop;
    GetSpecialFolder(CSIDL_PROGRAM_FILES, programFiles);
    GetSpecialFolder(CSIDL_COMMON_PROGRAMS, programs);
    GetSpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY, desktop);

    // A text that is missing leaves its part empty; nothing here fails for it.
    GString t71, t70, t80, t22, t23, t30, t42, t43, t44, t46, t48, t81, t9, t10;
    GetString(kIdFileCName, t71);
    GetString(kIdFileDLinkName, t70);
    GetString(kIdFileDName, t80);
    GetString(kIdFileABaseName, t22);
    GetString(kIdFileAEdition, t23);
    GetString(kIdFileBName, t30);
    GetString(kIdDocumentExtension, t42);
    GetString(kIdLinkExtension, t43);
    GetString(kIdFileCExtension, t44);
    GetString(kIdLinkTextExtension, t46);
    GetString(kIdUninstallerTitleTemplate, t48);
    GetString(kIdLayoutName, t81);
    GetString(kIdVendorFolder, t9);
    GetString(kIdFamilyName, t10);

    int argumentCount = 0;
    CLocalMemory arguments(CommandLineToArgvW(GetCommandLineW(), &argumentCount));
    const char16_t* programPath = nullptr;
    if (arguments && argumentCount > 0)
        programPath = reinterpret_cast<const char16_t*>(static_cast<wchar_t**>(arguments.Get())[0]);

    const InstallPathParts parts = {
        programFiles.GetW(0), programs.GetW(0), desktop.GetW(0), t9.GetW(0),  t10.GetW(0), t22.GetW(0),
        t23.GetW(0),          t30.GetW(0),      t71.GetW(0),     t70.GetW(0), t80.GetW(0), t42.GetW(0),
        t43.GetW(0),          t44.GetW(0),      t46.GetW(0),     t48.GetW(0), t81.GetW(0), programPath};
    return BuildInstallPaths(parts, Texts);
}

int CInstall::GetLayoutLibraryPaths(GString& primarySystem, GString& secondarySystem, GString* primaryStaging,
                                    GString* secondaryStaging)
{
    primarySystem.EmptyW();
    secondarySystem.EmptyW();
    // Without a name, or without the folder, the "library" would be the system folder itself or a
    // file in the root of the current drive: both are refused.
    GString library;
    if (!GetString(kIdLayoutFileName, library) || library.GetLength() == 0)
        return 0;
    GString systemFolder;
    if (!GetSpecialFolder(CSIDL_SYSTEM, systemFolder) || systemFolder.GetLength() == 0)
        return 0;

    GString wow64Folder;
    if (Is64BitWindows)
    {
        CModule holder;
        Wow64DirectoryFn wow64Directory =
            ProcAs<Wow64DirectoryFn>(GetProcById(kIdSystemWow64DirectoryFunction, kIdKernelLibrary, holder));
        if (!wow64Directory)
            return 0;
        char16_t* buffer = wow64Folder.GetBufferW(2308); // 2309 units with the terminator's
        if (!buffer)
            return 0;
        buffer[0] = 0;
        // The length written, without a terminator or a trailing backslash; 0 when the system has no
        // such folder (a 32-bit Windows).
        const UINT length = wow64Directory(WinText(buffer), 2308);
        if (length == 0 || length >= 2308)
            return 0;
        wow64Folder.SetLength(static_cast<int>(length));
    }

    const LayoutLibraryFolders folders = {Is64BitWindows, Texts[InstallFolder].GetW(0), systemFolder.GetW(0),
                                          wow64Folder.GetW(0), library.GetW(0)};
    BuildLayoutLibraryPaths(folders, primarySystem, secondarySystem, primaryStaging, secondaryStaging);
    return 1;
}
