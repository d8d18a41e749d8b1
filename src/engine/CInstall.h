// The installer object: one per run, on the entry function's stack. It owns the decoder and its key
// material, the string tables, the working key table, the wizard controller and every path text, and
// every engine operation reads and writes its fields.
#pragma once

#include <windows.h>

#include "engine/CarriedPayload.h"
#include "payload/Guard.h"
#include "payload/KeyTable.h"
#include "payload/StringTable.h"
#include "platform/Handles.h"
#include "text/GString.h"

class CWizard;

class CInstallBase
{
public:
    CInstallBase() = default;
    virtual ~CInstallBase();
    CInstallBase(const CInstallBase&) = delete;
    CInstallBase& operator=(const CInstallBase&) = delete;

    // The window that owns message boxes and shell calls.
    virtual HWND OwnerWindow();
    virtual int Init(HINSTANCE instance);
    // Releases the tables, then the key material (zero-filled before it is freed).
    virtual void ReleaseTables();
    // The entry of the current interface language, else the common one.
    virtual const unsigned char* LookUpString(uint32_t id);

    HINSTANCE InstanceHandle = nullptr;
    CGuard Guard;
    StringTable CommonTable;
    StringTable LanguageTables[2];
    uint32_t CurrentPage = 0;
    int32_t OsCode = 0;
    uint32_t UiLanguage = 0;
    int32_t Is64BitWindows = 0;
    uint16_t ProcessorArchitecture = 0xFFFF;
    GString ScratchText;
};

class CInstall : public CInstallBase
{
public:
    // The texts, in the order the install record and the paths fill them.
    enum TextIndex
    {
        LanguageName,
        PreviousLayoutText,
        ProgramRootFolder,
        InstallFolder,
        MenuRootFolder,
        MenuFolder,
        RecordedFileA,
        FileA,
        RecordedMenuLinkA,
        MenuLinkA,
        RecordedDesktopLinkA,
        DesktopLinkA,
        RecordedFileB,
        FileB,
        RecordedMenuLinkB,
        MenuLinkB,
        RecordedDesktopLinkB,
        DesktopLinkB,
        RecordedFileC,
        FileC,
        RecordedMenuLinkC,
        MenuLinkC,
        RecordedDesktopLinkC,
        DesktopLinkC,
        RecordedMenuLinkD,
        MenuLinkD,
        RecordedDesktopLinkD,
        DesktopLinkD,
        RecordedFileD,
        FileD,
        ProgramPath,
        UninstallerTitle,
        RecordedUninstaller,
        UninstallerFile,
        RecordedUninstallerLink,
        UninstallerLink,
        TextCount
    };

    // The payload is the program's own unless a test gives another.
    explicit CInstall(const CarriedPayload& payload = ProgramPayload());
    ~CInstall() override;

    HWND OwnerWindow() override;
    int Init(HINSTANCE instance) override;
    void ReleaseTables() override;
    const unsigned char* LookUpString(uint32_t id) override;

    // After the start-up checks: the wizard's resources, the finishing value, the tables, the restart.
    void Finish();
    int IsSupportedSystem() const;
    int32_t ChooseLayoutVariant();
    int32_t SetLayoutVariant(int32_t value);
    int32_t ChooseDecimalKeyOption();

    // Texts by id. GetString leaves the text wide (empty and 0 when the id has none).
    int GetString(uint32_t id, GString& text);
    // The bytes of a hexadecimal pattern text, malloc'ed; the caller frees them.
    unsigned char* GetHexBytes(uint32_t id, int* count);
    // A UTF-8 text item (a licence) into text, without its byte order mark.
    int DecodeTextItem(const unsigned char* item, uint32_t length, GString& text);

    // The start-up checks; they end by running the wizard.
    int RunStartUpChecks();
    void WriteFinishValue();

    // --- system environment (SystemInfo.cpp) ---

    // Fills OsCode, ProcessorArchitecture and Is64BitWindows; procId and libId name the native system
    // information call. 0 when the system reports no version.
    int DetectSystem(uint32_t procId, uint32_t libId);
    int IsUserAdministrator();
    // Enables the shutdown privilege and restarts Windows; the answer of the request, 0 on failure.
    int RestartWindows();
    // The command line formatted from the template formatId and the values after it, started and
    // waited for at most 1000 ms. 0 only when there is no template; a process that did not start or
    // still runs is not reported.
    int RunCommand(uint32_t formatId, ...);
    CModule LoadLibraryById(uint32_t libId);
    // The function procId in the library libId, which is loaded into holder unless holder already has a
    // library; the holder's owner frees it, whether or not a function was found.
    FARPROC GetProcById(uint32_t procId, uint32_t libId, CModule& holder);

    // Registry, files and shell with names from the string tables (PlatformById.cpp). Each fetches its
    // id into ScratchText (unless it says otherwise) and fails at once, touching nothing, when the id
    // has no text; so ScratchText is never another argument of these.
    CKey OpenKeyById(HKEY root, uint32_t subKeyId, REGSAM access);
    CKey CreateKeyById(HKEY root, uint32_t subKeyId, REGSAM access);
    int SetBinaryValueById(HKEY key, uint32_t nameId, const void* bytes, uint32_t size);
    unsigned char* QueryBinaryValueById(HKEY key, uint32_t nameId, uint32_t* size);
    int SetDwordValueById(HKEY key, uint32_t nameId, uint32_t value);
    int QueryDwordValueById(HKEY key, uint32_t nameId, uint32_t* value);
    int QueryStringValueById(HKEY key, uint32_t nameId, GString& text);
    int DeleteValueById(HKEY key, uint32_t nameId);
    // RegDeleteKeyW: a key with sub-keys stays.
    int DeleteKeyById(HKEY parent, uint32_t nameId);
    // These three keep their texts in local strings.
    int SetStringValueById(HKEY key, uint32_t nameId, GString& text);
    int SetStringValueByIds(HKEY key, uint32_t nameId, uint32_t textId);
    int StringValueEqualsById(HKEY key, uint32_t nameId, const GString& text);
    // A REG_SZ in an existing key under HKEY_LOCAL_MACHINE, opened with kKeySetCreate.
    int SetMachineStringByIds(uint32_t keyId, uint32_t nameId, uint32_t textId);
    // An empty file with a new name in folder (the temporary folder when null), its prefix the text of
    // prefixId; path receives its full path.
    int CreateTempFile(GString& path, uint32_t prefixId, const char16_t* folder);
    // The path of a shell folder (CSIDL_...), asked with OwnerWindow as the owner.
    int GetSpecialFolder(int folderId, GString& path);
    int GetAssociatedExecutable(uint32_t fileTypeId, GString& path);
    // Whether the upper-cased path of the associated program contains the text of needleId.
    int AssociatedExecutableContains(uint32_t fileTypeId, uint32_t needleId);
    // RunCommand of templateId with the associated program's path and the argument, in that order.
    int RunWithAssociatedProgram(uint32_t fileTypeId, uint32_t templateId, const char16_t* argument);

    // The restart call with a reason, found while the string tables are still there: Finish releases
    // them before it restarts Windows.
    CModule RestartLibrary;
    FARPROC RestartFunction = nullptr;

    // --- install paths (InstallPaths.cpp) ---

    // Every current path field from the special folders, the texts and the program's own path; 0 when
    // the command line cannot be split (the uninstaller's fields then stay empty).
    int ComputeInstallPaths();
    // The layout library's system paths (the secondary one empty on 32-bit Windows) and, when asked
    // for, its staging paths in InstallFolder (the secondary one only on 64-bit Windows).
    int GetLayoutLibraryPaths(GString& primarySystem, GString& secondarySystem, GString* primaryStaging,
                              GString* secondaryStaging);

    // --- layout library placement (LayoutLibrary.cpp) ---

    // --- install record (InstallRecord.cpp) ---

    // --- companion files (CompanionFiles.cpp) ---

    // --- install and uninstall (Install.cpp, Uninstall.cpp) ---

    GString& Text(TextIndex index) { return Texts[index]; }

    const CarriedPayload& Payload;

    uint16_t DefaultLanguageId = 0;
    uint16_t LanguageId = 0;
    uint32_t LanguageScriptOption = 1;
    int32_t AssociationMatches = 0;
    int32_t IsAdministrator = 0;
    int32_t UninstallDone = 0;
    int32_t InstallDone = 0;
    int32_t RestartRequested = 0;
    int32_t LicenceAccepted = 0;
    uint32_t UserValuesOption = 1;
    int32_t DesktopShortcutOption = 1;
    int32_t DesktopLinkCMade = 0;
    int32_t DesktopLinkAMade = 0;
    int32_t DesktopLinkBMade = 0;
    int32_t LayoutVariant = -1;
    int32_t DecimalKeyOption = -1;
    int32_t SecondSetStored = 0;
    int32_t SecondSetOption = 0;
    int32_t ModifyMode = 0;
    int32_t ScancodeMapFound = 0;
    KeyRecord* KeyTable = nullptr;
    int32_t KeyCount = kKeyCount;
    StringTable ExtraTable;
    CWizard* Wizard = nullptr;
    GString Texts[TextCount];
    uint32_t RecordedVersionB = 0;
    uint32_t RecordedVersionA = 0;
    uint32_t ShareCountA = 0;
    uint32_t InstalledVersion = 0;
    uint32_t FamilyCount = 0;

private:
    int AttachTable(const EmbeddedItem& item, StringTable& table);
};
