// The companion files beside the layout: the chart (A), the guide (B), the switching note (C), the quick
// reference (D) with its two Internet shortcuts, the shell links to them, and the uninstaller copy.
#include "engine/CInstall.h"

#include <shlobj.h>

#include "engine/HeapBlock.h"
#include "payload/StringIds.h"
#include "platform/Files.h"
#include "platform/Platform.h"
#include "platform/Shell.h"

namespace
{
bool Differs(GString& recorded, GString& current)
{
    return recorded.GetLength() > 0 && !recorded.Equals(current);
}

// A shell link without arguments or working folder; the icon only when one is given.
int Link(GString& target, GString& link, GString& description, GString* icon, int iconIndex)
{
    if (!target.ToWide() || !link.ToWide() || !description.ToWide() || (icon && !icon->ToWide()))
        return 0;
    return CreateShortcut(target.GetW(0), link.GetW(0), description.GetW(0), icon ? icon->GetW(0) : nullptr,
                          iconIndex);
}

// Paths name the same file when they differ in letter case only.
bool SamePath(const GString& a, const GString& b)
{
    GString x, y;
    x.Assign(a);
    y.Assign(b);
    return x.MakeUpper() && y.MakeUpper() && x.Equals(y);
}

// Plain deletion of a file an earlier install left; whatever it answers, the install goes on.
void DeleteIfRecorded(GString& path)
{
    if (path.GetLength() > 0 && path.ToWide())
        DeleteFileW(WinText(path.GetW(0)));
}
} // namespace

int CInstall::WriteItemToFile(const GString& path, const EmbeddedItem& item)
{
    if (path.GetLength() == 0 || !path.IsWide() || !item.Bytes || item.Length == 0)
        return 0;
    uint32_t length = item.Length;
    CHeapBlock content(Guard.DecodeItem(item.Bytes, &length));
    if (!content || length == 0)
        return 0;
    CHandle file = CreateOutputFile(path.GetW(0));
    if (!file)
        return 0;
    return WriteBytes(file.Get(), content.Get(), length);
}

int CInstall::WriteCompanionTextC(const GString& path)
{
    if (path.GetLength() == 0 || !path.IsWide())
        return 0;
    CHandle file = CreateOutputFile(path.GetW(0));
    if (!file)
        return 0;
    GString text;
    GetString(OsCode < 51 ? kIdFileCTextWin2000 : kIdFileCText, text);
    return WriteText(file.Get(), text);
}

int CInstall::InstallCompanionFiles()
{
    GString icon;
    GetString(kIdFileCIcon, icon);
    const TextIndex folders[4] = {ProgramRootFolder, InstallFolder, MenuRootFolder, MenuFolder};
    for (TextIndex folder : folders)
        if (!Text(folder).ToWide() || !CreateFolder(Text(folder).GetW(0)))
            return 0;

    DeleteIfRecorded(Text(RecordedUninstaller));
    DeleteIfRecorded(Text(RecordedUninstallerLink));

    // Group A: rewritten every time; its count is taken down here and up again once it is written.
    int desktopA = DesktopShortcutOption;
    if (Text(RecordedFileA).GetLength() > 0 && ShareCountA > 0)
        --ShareCountA;
    if (Differs(Text(RecordedFileA), Text(FileA)))
        DeleteIfRecorded(Text(RecordedFileA));
    if (Differs(Text(RecordedMenuLinkA), Text(MenuLinkA)))
        DeleteIfRecorded(Text(RecordedMenuLinkA));
    if (Differs(Text(RecordedDesktopLinkA), Text(DesktopLinkA)))
    {
        // The user had a desktop link: it moves with the file, whatever the option says now.
        DeleteIfRecorded(Text(RecordedDesktopLinkA));
        desktopA = 1;
    }
    GString description;
    GetString(kIdFileADescription, description);
    if (!WriteItemToFile(Text(FileA), Payload.FileA) ||
        !Link(Text(FileA), Text(MenuLinkA), description, nullptr, 0))
        return 0;
    if (desktopA)
    {
        if (!Link(Text(FileA), Text(DesktopLinkA), description, nullptr, 0))
            return 0;
        DesktopLinkAMade = 1;
    }
    ++ShareCountA;

    // Group B: only when the recorded guide is older than this one.
    if (RecordedVersionB < kRecordVersion)
    {
        DeleteIfRecorded(Text(RecordedFileB));
        DeleteIfRecorded(Text(RecordedMenuLinkB));
        DeleteIfRecorded(Text(RecordedDesktopLinkB));
        GetString(kIdFileBDescription, description);
        if (!WriteItemToFile(Text(FileB), Payload.FileB) ||
            !Link(Text(FileB), Text(MenuLinkB), description, nullptr, 0))
            return 0;
        if (DesktopShortcutOption)
        {
            if (!Link(Text(FileB), Text(DesktopLinkB), description, nullptr, 0))
                return 0;
            DesktopLinkBMade = 1;
        }
    }

    // Group C: the note is written once for the family; its desktop link follows the file it has.
    GetString(kIdFileCDescription, description);
    if (Text(RecordedMenuLinkC).GetLength() == 0)
    {
        if (!WriteCompanionTextC(Text(FileC)) || !Link(Text(FileC), Text(MenuLinkC), description, &icon, 0))
            return 0;
    }
    if (DesktopShortcutOption && Text(RecordedDesktopLinkC).GetLength() == 0)
    {
        GString* target = Text(RecordedFileC).GetLength() > 0 ? &Text(RecordedFileC)
                          : Text(FileC).GetLength() > 0       ? &Text(FileC)
                                                              : nullptr;
        if (target)
        {
            if (!Link(*target, Text(DesktopLinkC), description, &icon, 0))
                return 0;
            DesktopLinkCMade = 1;
        }
    }

    // Group D: best effort; the two Internet shortcuts name the reference by folder and file name.
    if (Text(RecordedMenuLinkD).GetLength() == 0)
    {
        GString pattern, name, shortcut;
        GetString(kIdLinkTextTemplate, pattern);
        GetString(kIdFileDName, name);
        Text(InstallFolder).ToWide();
        shortcut.Format(pattern.GetW(0), Text(InstallFolder).GetW(0), name.GetW(0));
        WriteItemToFile(Text(FileD), Payload.FileD);
        const TextIndex links[2] = {MenuLinkD, DesktopLinkD};
        for (TextIndex link : links)
        {
            if (!Text(link).ToWide())
                continue;
            CHandle file = CreateOutputFile(Text(link).GetW(0));
            if (file)
                WriteText(file.Get(), shortcut);
        }
    }

    if (!Text(ProgramPath).ToWide() || !Text(UninstallerFile).ToWide())
        return 0;
    // Run from the uninstaller copy itself, the program is already where its copy goes (a copy of a
    // file onto itself fails; the running file could not be deleted above).
    const int runningCopy =
        SamePath(Text(ProgramPath), Text(UninstallerFile)) &&
        GetFileAttributesW(WinText(Text(UninstallerFile).GetW(0))) != INVALID_FILE_ATTRIBUTES;
    if (!runningCopy &&
        !CopyFileW(WinText(Text(ProgramPath).GetW(0)), WinText(Text(UninstallerFile).GetW(0)), FALSE))
        return 0;
    return Link(Text(UninstallerFile), Text(UninstallerLink), Text(UninstallerTitle), &Text(UninstallerFile),
                0);
}

int CInstall::RemoveLegacyFiles(int withLibraries)
{
    GString documents, desktop;
    GetSpecialFolder(CSIDL_PERSONAL, documents);
    GetSpecialFolder(CSIDL_DESKTOP, desktop);
    // Folder, name id, extension id of each file the older installer left.
    struct LegacyFile
    {
        GString* Folder;
        uint32_t Name;
        uint32_t Extension;
    };
    const LegacyFile files[4] = {{&documents, kIdLegacyChartName, kIdDocumentExtension},
                                 {&desktop, kIdLegacyChartName, kIdLinkExtension},
                                 {&documents, kIdLegacyReadMeName, kIdFileCExtension},
                                 {&desktop, kIdLegacyReadMeName, kIdLinkExtension}};
    for (const LegacyFile& f : files)
    {
        // A folder that could not be found would put the path at the root of the drive: skip it.
        if (f.Folder->GetLength() == 0)
            continue;
        GString path, part;
        path.Assign(*f.Folder);
        GetString(f.Name, part);
        path.AppendPath(part);
        GetString(f.Extension, part);
        path.AppendString(part);
        DeleteFileOrSchedule(path);
    }
    if (withLibraries)
        return ScheduleLibraryRemoval();
    return 1;
}
