#include "engine/CInstall.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "payload/StringIds.h"
#include "platform/Platform.h"
#include "text/Scan.h"
#include "ui/Wizard.h"

CInstallBase::~CInstallBase()
{
    CInstallBase::ReleaseTables();
    LanguageTables[1].Release();
    LanguageTables[0].Release();
    CommonTable.Release();
}

HWND CInstallBase::OwnerWindow()
{
    return nullptr;
}

int CInstallBase::Init(HINSTANCE instance)
{
    InstanceHandle = instance;
    return 1;
}

void CInstallBase::ReleaseTables()
{
    CommonTable.Release();
    LanguageTables[0].Release();
    LanguageTables[1].Release();
    Guard.ReleaseKeyMaterial();
}

const unsigned char* CInstallBase::LookUpString(uint32_t id)
{
    const unsigned char* entry = nullptr;
    if (UiLanguage < 2)
        entry = LanguageTables[UiLanguage].Find(id);
    if (!entry)
        entry = CommonTable.Find(id);
    return entry;
}

CInstall::CInstall(const CarriedPayload& payload) : Payload(payload)
{
    KeyTable = static_cast<KeyRecord*>(malloc(sizeof(KeyRecord) * kKeyCount));
    if (KeyTable)
    {
        memcpy(KeyTable, StaticKeyTable, sizeof(KeyRecord) * kKeyCount);
        for (int i = 0; i < kKeyCount; ++i)
            KeyTable[i].AssignedKey = 0;
    }
    else
        KeyCount = 0; // nothing to walk; the key pages then show no rows
}

CInstall::~CInstall()
{
    CInstall::ReleaseTables();
    if (Wizard)
    {
        delete Wizard;
        Wizard = nullptr;
    }
    free(KeyTable);
    KeyTable = nullptr;
    // The texts go, last first, then ExtraTable, then the base part.
}

HWND CInstall::OwnerWindow()
{
    return Wizard ? Wizard->MainWindowHandle() : nullptr;
}

void CInstall::ReleaseTables()
{
    CInstallBase::ReleaseTables();
    ExtraTable.Release();
}

const unsigned char* CInstall::LookUpString(uint32_t id)
{
    const unsigned char* entry = CInstallBase::LookUpString(id);
    return entry ? entry : ExtraTable.Find(id);
}

int CInstall::AttachTable(const EmbeddedItem& item, StringTable& table)
{
    uint32_t length = item.Length;
    uint32_t count = 0;
    unsigned char* content = Guard.DecodeItem(item.Bytes, &length, &count);
    if (!content)
        return 0;
    // The index must fit in what was decoded, or every lookup would read past it.
    if (!CheckStringTable(content, length, count) || !table.Attach(content, count))
    {
        free(content);
        return 0;
    }
    return 1;
}

int CInstall::Init(HINSTANCE instance)
{
    if (!CInstallBase::Init(instance))
        return 0;
    if (!Guard.LoadKeyMaterial(Payload.KeyMaterial, Payload.KeyMaterialLength))
        return 0;
    if (!AttachTable(Payload.CommonTable, CommonTable) || !AttachTable(Payload.ExtraTable, ExtraTable) ||
        !AttachTable(Payload.LanguageTables[0], LanguageTables[0]) ||
        !AttachTable(Payload.LanguageTables[1], LanguageTables[1]))
        return 0;

    Wizard = new (std::nothrow) CWizard(this);
    if (!Wizard || !Wizard->Init(instance))
        return 0;

    GetString(kIdDefaultLanguageId, ScratchText);
    unsigned value = 0;
    if (ScratchText.ToWide() && ScanHex(ScratchText.GetW(0), &value) == 1)
        DefaultLanguageId = static_cast<uint16_t>(value);

    ChooseLayoutVariant();
    ChooseDecimalKeyOption();
    return 1;
}

int CInstall::IsSupportedSystem() const
{
    switch (OsCode)
    {
        case 50:
        case 51:
            return ProcessorArchitecture == 0;
        case 52:
        case 60:
        case 61:
        case 62:
        case 63:
        case 100:
            return ProcessorArchitecture == 0 || ProcessorArchitecture == 6 || ProcessorArchitecture == 9;
        default:
            return 0;
    }
}

int32_t CInstall::ChooseLayoutVariant()
{
    if (LayoutVariant >= 0)
        return LayoutVariant;
    GString key;
    GetString(kIdVariantKey, key);
    LayoutVariant = 0;
    const uint32_t lists[3] = {kIdVariantName0, kIdVariantName1, kIdVariantName2};
    for (int variant = 0; variant < 3; ++variant)
    {
        GetString(lists[variant], ScratchText);
        if (key.GetLength() > 0 && ScratchText.FindW(key.GetW(0), 0, key.GetLength()) >= 0)
        {
            LayoutVariant = variant;
            break;
        }
    }
    return LayoutVariant;
}

int32_t CInstall::SetLayoutVariant(int32_t value)
{
    if (value >= 0 && value <= 2)
        LayoutVariant = value;
    return value;
}

int32_t CInstall::ChooseDecimalKeyOption()
{
    if (DecimalKeyOption >= 0)
        return DecimalKeyOption;
    const LCID userDefault = 0x400;
    const LCTYPE decimalSeparator = 14;
    int length = Platform().GetLocaleText(userDefault, decimalSeparator, nullptr, 0);
    if (length <= 0)
        return -1;
    GString separator;
    char16_t* buffer = separator.GetBufferW(length);
    if (!buffer)
        return -1;
    int written = Platform().GetLocaleText(userDefault, decimalSeparator, WinText(buffer), length);
    if (written <= 0)
        return -1;
    separator.SetLength(-1);
    DecimalKeyOption = (separator.GetLength() == 1 && separator.GetW(0)[0] == u',') ? 0 : 1;
    return DecimalKeyOption;
}

void CInstall::Finish()
{
    if (Wizard)
    {
        Wizard->Cleanup();
        delete Wizard;
        Wizard = nullptr;
    }
    if (UninstallDone || InstallDone)
        WriteFinishValue();
    ReleaseTables();
    // Last of all: nothing of this run may still be needed when Windows goes down.
    if (RestartRequested)
        RestartWindows();
}
