// The uninstall: the record's counts go down, the library goes at the next restart, the files whose
// counts reached zero go now (or at the restart when in use), the registration and the record are
// taken apart. Files are the recorded ones, not the ones this run would write; folders are current.
#include "engine/CInstall.h"

#include "payload/StringIds.h"
#include "platform/Files.h"
#include "platform/Platform.h"
#include "platform/Registry.h"

namespace
{
using DeleteKeyExFn = LONG(WINAPI*)(HKEY key, LPCWSTR subKey, REGSAM view, DWORD reserved);

void DeleteRecorded(CInstall& install, const CInstall::TextIndex* files, int count)
{
    for (int i = 0; i < count; ++i)
        if (install.Text(files[i]).GetLength() > 0)
            DeleteFileOrSchedule(install.Text(files[i]));
}
} // namespace

int CInstall::Uninstall()
{
    if (InstalledVersion == kLegacyVersion)
    {
        // An older installation kept no record: its files are known by name, nothing is counted.
        RemoveLegacyFiles(1);
        UnregisterLayout();
        RunRemovalScript();
        UninstallDone = 1;
        return 1;
    }

    if (FamilyCount > 0)
        --FamilyCount;
    if (ShareCountA > 0)
        --ShareCountA;
    if (!ScheduleLibraryRemoval())
        return 0;

    if (ShareCountA == 0)
    {
        const TextIndex groupA[] = {RecordedFileA, RecordedMenuLinkA, RecordedDesktopLinkA};
        DeleteRecorded(*this, groupA, 3);
    }
    if (FamilyCount == 0)
    {
        const TextIndex family[] = {RecordedFileC,     RecordedMenuLinkC,    RecordedDesktopLinkC,
                                    RecordedMenuLinkD, RecordedDesktopLinkD, RecordedFileB,
                                    RecordedMenuLinkB, RecordedDesktopLinkB, RecordedFileD};
        DeleteRecorded(*this, family, 9);
        RunRemovalScript();
    }
    // The running copy cannot go now: DeleteFileOrSchedule schedules it for the restart.
    const TextIndex uninstaller[] = {RecordedUninstaller, RecordedUninstallerLink};
    DeleteRecorded(*this, uninstaller, 2);

    const TextIndex folders[] = {InstallFolder, ProgramRootFolder, MenuFolder, MenuRootFolder};
    for (TextIndex folder : folders)
    {
        GString& path = Text(folder);
        if (path.GetLength() == 0 || RemoveFolder(path))
            continue;
        // Still there because a file in it goes only at the restart (the uninstaller copy that is
        // running): the folder follows it then. Windows removes a folder at the restart only when it is
        // empty by then, so one that still holds other files stays.
        if (path.ToWide() && GetFileAttributesW(WinText(path.GetW(0))) != INVALID_FILE_ATTRIBUTES)
            MoveFileExW(WinText(path.GetW(0)), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }

    UnregisterLayout();
    DeleteInstallRecord();
    UninstallDone = 1;
    return 1;
}

int CInstall::UnregisterLayout()
{
    const REGSAM access = Is64BitWindows ? kKeyWrite64 : kKeyWrite;
    CKey list = OpenKeyById(HKEY_LOCAL_MACHINE, kIdLayoutListKey, access);
    if (!list)
        return 0;
    {
        CKey layout = OpenKeyById(list.Get(), kIdLayoutKlid, access);
        if (!layout)
            return 0;
        const uint32_t values[4] = {kIdLayoutTextValue, kIdLayoutDisplayNameValue, kIdLayoutIdValue,
                                    kIdLayoutFileValue};
        for (uint32_t value : values)
            DeleteValueById(layout.Get(), value);
    }
    GString klid;
    if (!GetString(kIdLayoutKlid, klid))
        return 0;
    // A 32-bit program deletes in the 64-bit view only through the call that takes the view; where that
    // is missing, the plain call does it.
    CModule library;
    DeleteKeyExFn deleteKeyEx = nullptr;
    if (Is64BitWindows)
        deleteKeyEx = ProcAs<DeleteKeyExFn>(GetProcById(kIdDeleteKeyExFunction, kIdAdvapiLibrary, library));
    if (!deleteKeyEx || deleteKeyEx(list.Get(), WinText(klid.GetW(0)), KEY_WOW64_64KEY, 0) != ERROR_SUCCESS)
        RegDeleteKeyW(list.Get(), WinText(klid.GetW(0)));
    return 1;
}

int CInstall::RunRemovalScript()
{
    if (FamilyCount > 1)
        return 1;
    GString pattern, script, none;
    none.EmptyW();
    if (OsCode < 60)
    {
        GetString(kIdRemovalScriptLegacy, pattern);
        script.Format(pattern.GetW(0), none.GetW(0), none.GetW(0));
    }
    else
    {
        GetString(kIdRemovalScript, pattern);
        script.Format(pattern.GetW(0), none.GetW(0));
    }
    int fileMade = 0;
    return RunScriptText(script, 0, &fileMade);
}
