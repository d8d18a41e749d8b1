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

// The WOW64 file-system redirection switch pair, found by name at run time.
using DisableRedirectionFn = BOOL(WINAPI*)(PVOID* oldValue);
using RevertRedirectionFn = BOOL(WINAPI*)(PVOID oldValue);

// The version of this installer, the only one it records.
constexpr uint32_t kRecordVersion = 190;
// The version the start-up gives an installation found only by its layout registration.
constexpr uint32_t kLegacyVersion = 130;

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
    // Everything the checks do before the wizard runs: 0 the run ends here, 1 it ends here and goes on
    // to Finish (a user without administrator rights was told so), kRunWizard the wizard runs next.
    static constexpr int kRunWizard = 2;
    int PrepareRun();
    // 1 when no other copy runs; else that copy's window comes to the front and the answer is 0.
    int ActivateRunningInstance();
    int WriteFinishValue();

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

    // The chosen builds, patched, written to their staging files and moved over the system copies at
    // the next restart (both on 64-bit Windows).
    int InstallLayoutLibraries();
    int WriteLayoutLibrary(const char16_t* destination, const char16_t* staging, const unsigned char* item,
                           int32_t length);
    // The pair that switches WOW64 file-system redirection off and on again; the caller frees the
    // library returned. Without both functions: null, and both outputs null.
    HMODULE GetRedirectionFunctions(DisableRedirectionFn* disable, RevertRedirectionFn* revert);
    // MoveFileExW for each pair of paths whose source is not empty (a null target deletes), with
    // redirection off around the moves on 64-bit Windows so that the native system folder is reached.
    void MoveSystemFiles(const char16_t* const* sources, const char16_t* const* targets, int count, DWORD flags);
    // Schedules the deletion of the layout library in the system folders at the next restart.
    int ScheduleLibraryRemoval();

    // --- install record (InstallRecord.cpp) ---

    // The record of an earlier install, or else a layout registered by an older installer.
    void ReadInstallRecord();
    // The full record, or in ModifyMode only the options and the key assignments.
    int WriteInstallRecord();
    int DeleteInstallRecord();
    // Frees the buffer in every case.
    int ApplyKeyAssignments(unsigned char* buffer, uint32_t size);
    // A malloc'ed block the caller frees, or null.
    unsigned char* SerializeKeyAssignments(uint32_t* size);

    // --- companion files (CompanionFiles.cpp) ---

    // The companion files, their shortcuts and the uninstaller copy, each group only when the record
    // says it is missing or older.
    int InstallCompanionFiles();
    int WriteItemToFile(const GString& path, const EmbeddedItem& item);
    int WriteCompanionTextC(const GString& path);
    // The files an older installer left (that kept no record), and with libraries its layout library.
    int RemoveLegacyFiles(int withLibraries);

    // --- install and uninstall (Install.cpp, Uninstall.cpp) ---

    int Install();
    int RegisterLayout();
    int WriteUserValues();
    // Takes the machine's scan-code map into the key table at start-up; always 0.
    int ReadScancodeMap();
    int WriteScancodeMap();
    int RunLanguageScript(uint16_t languageId, uint32_t option);
    int Uninstall();
    int UnregisterLayout();
    int RunRemovalScript();
    // Writes a script into a new temporary file, runs it through command template 49 (then waits a
    // little longer for the program reading it) and deletes the file. 1 when the script was written
    // and run; fileMade says whether the file could be made at all.
    int RunScriptText(GString& script, uint32_t waitMs, int* fileMade);

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
