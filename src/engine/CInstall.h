// The installer object: one per run, on the entry function's stack. It owns the decoder and its key
// material, the string tables, the working key table, the wizard controller and every path text, and
// every engine operation reads and writes its fields.
#pragma once

#include <windows.h>

#include "engine/CarriedPayload.h"
#include "payload/Guard.h"
#include "payload/KeyTable.h"
#include "payload/StringTable.h"
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

    // --- install paths (InstallPaths.cpp) ---

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
