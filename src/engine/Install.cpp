// The install: its order of steps, and what it registers in the system besides the files — the
// layout in the machine's list of keyboard layouts, the scan-code map, the user values and, from
// Windows Vista on, the language script that hands the layout to the user's input languages.
#include "engine/CInstall.h"

#include "engine/HeapBlock.h"
#include "engine/ScancodeMap.h"
#include "payload/StringIds.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "ui/Wizard.h"

int CInstall::Install()
{
    // Nothing on the page may be pressed while the install runs on its thread.
    if (Wizard)
        Wizard->DisablePageControls();

    if (ModifyMode)
        return WriteInstallRecord() && InstallLayoutLibraries() ? 1 : 0;

    if (InstalledVersion == kLegacyVersion)
        RemoveLegacyFiles(0);
    if (!InstallCompanionFiles() || !InstallLayoutLibraries())
        return 0;
    if (InstalledVersion <= kLegacyVersion)
        ++FamilyCount; // a new member of the family (an older installation counted as none)
    if (!WriteInstallRecord() || !RegisterLayout())
        return 0;
    WriteScancodeMap();
    RunLanguageScript(LanguageId, LanguageScriptOption);
    if (UserValuesOption && !WriteUserValues())
        return 0;
    InstallDone = 1;
    return 1;
}

int CInstall::RegisterLayout()
{
    // The list is read by the 64-bit system: on 64-bit Windows its view is the one written.
    const REGSAM access = Is64BitWindows ? kKeySetCreate64 : kKeySetCreate;
    CKey list = OpenKeyById(HKEY_LOCAL_MACHINE, kIdLayoutListKey, access);
    if (!list)
        return 0;
    CKey layout = CreateKeyById(list.Get(), kIdLayoutKlid, access);
    if (!layout)
        return 0;
    return SetStringValueByIds(layout.Get(), kIdLayoutTextValue, kIdLayoutName) &&
                   SetStringValueByIds(layout.Get(), kIdLayoutDisplayNameValue, kIdLayoutDisplayName) &&
                   SetStringValueByIds(layout.Get(), kIdLayoutIdValue, kIdLayoutId) &&
                   SetStringValueByIds(layout.Get(), kIdLayoutFileValue, kIdLayoutFileName)
               ? 1
               : 0;
}

int CInstall::WriteUserValues()
{
    CKey key = OpenKeyById(HKEY_CURRENT_USER, kIdUserValuesKey, kKeyReadWrite);
    if (!key)
        return 0;
    // "3": no key combination switches input languages or layouts.
    GString off;
    off.AssignW(u"3");
    const uint32_t names[3] = {kIdHotkeyValue, kIdLanguageHotkeyValue, kIdLayoutHotkeyValue};
    for (uint32_t name : names)
        if (!SetStringValueById(key.Get(), name, off))
            return 0;
    return 1;
}

int CInstall::ReadScancodeMap()
{
    if (!KeyTable || KeyCount == 0)
        return 0;
    CKey key = OpenKeyById(HKEY_LOCAL_MACHINE, kIdScancodeMapKey, kKeyRead);
    if (!key)
        return 0;
    uint32_t size = 0;
    CHeapBlock value(QueryBinaryValueById(key.Get(), kIdScancodeMapValue, &size));
    if (value)
    {
        ScancodeMapFound = 1;
        DecodeScancodeMap(KeyTable, KeyCount, value.Get(), size);
    }
    return 0;
}

int CInstall::WriteScancodeMap()
{
    if (!KeyTable || KeyCount == 0)
        return 0;
    NormaliseKeyTable(KeyTable, KeyCount);
    // No remapping now and no map before: the machine's value is left alone (it is not ours).
    if (CountRemappedKeys(KeyTable, KeyCount) == 0 && !ScancodeMapFound)
        return 1;
    uint32_t size = 0;
    CHeapBlock value(EncodeScancodeMap(KeyTable, KeyCount, &size));
    if (!value)
        return 0;
    CKey key = OpenKeyById(HKEY_LOCAL_MACHINE, kIdScancodeMapKey, kKeyWrite);
    if (!key)
        return 0;
    return SetBinaryValueById(key.Get(), kIdScancodeMapValue, value.Get(), size);
}

int CInstall::RunScriptText(GString& script, uint32_t waitMs, int* fileMade)
{
    *fileMade = 0;
    GString path;
    if (!CreateTempFile(path, kIdTempFilePrefix, nullptr))
        return 0;
    int written = 0;
    {
        CHandle file = CreateOutputFile(path.GetW(0));
        *fileMade = file ? 1 : 0;
        if (file)
            written = WriteText(file.Get(), script);
    }
    if (written)
    {
        RunCommand(kIdRunScriptCommand, path.GetW(0));
        // The started program may still be reading the file when its wait ends.
        if (waitMs)
            Sleep(waitMs);
    }
    // The temporary file goes in every case, now or at the next restart when it is still held open.
    DeleteFileOrSchedule(path);
    return written;
}

int CInstall::RunLanguageScript(uint16_t languageId, uint32_t option)
{
    if (OsCode < 60)
        return 1;
    GString klid, unattendNamespace, optionText, pattern, script;
    GetString(kIdLayoutKlid, klid);
    GetString(kIdLanguageScriptNamespace, unattendNamespace);
    GetString(kIdDefaultInputOption, optionText);
    GString none;
    none.EmptyW();
    const char16_t* extra = option ? optionText.GetW(0) : none.GetW(0);
    const uint32_t language = languageId;
    if (unattendNamespace.GetLength() > 0 && OsCode >= 62)
    {
        GetString(kIdLanguageScriptWin8, pattern);
        script.Format(pattern.GetW(0), unattendNamespace.GetW(0), language, klid.GetW(0), extra, language,
                      language);
        script.DebugOutput(65535);
    }
    else
    {
        GetString(kIdLanguageScript, pattern);
        script.Format(pattern.GetW(0), language, klid.GetW(0), extra);
    }
    // What the started program makes of the script is not known here, nor whether it got a script.
    int fileMade = 0;
    RunScriptText(script, 500, &fileMade);
    return fileMade;
}
