// What the pages read, write and run on the installer: all of it goes through the wizard.
#include "engine/CInstall.h"
#include "ui/Wizard.h"

uint32_t CWizard::CurrentPage() const
{
    return Installer ? Installer->CurrentPage : 0;
}

void CWizard::SetCurrentPage(uint32_t page)
{
    if (Installer)
        Installer->CurrentPage = page;
}

int32_t CWizard::OsCode() const
{
    return Installer ? Installer->OsCode : 0;
}

uint32_t CWizard::UiLanguage() const
{
    return Installer ? Installer->UiLanguage : 0;
}

int CWizard::SetUiLanguage(uint32_t value)
{
    if (!Installer || value > 1)
        return 0;
    Installer->UiLanguage = value;
    return 1;
}

uint16_t CWizard::LanguageId() const
{
    return Installer ? Installer->LanguageId : 0;
}

void CWizard::SetLanguageId(uint16_t value)
{
    if (Installer)
        Installer->LanguageId = value;
}

const GString* CWizard::LanguageName() const
{
    return Installer ? &Installer->Text(CInstall::LanguageName) : nullptr;
}

void CWizard::SetLanguageName(const char16_t* text, int length)
{
    if (!Installer)
        return;
    GString& name = Installer->Text(CInstall::LanguageName);
    name.EmptyW();
    name.AppendW(text, length);
}

uint32_t CWizard::LanguageScriptOption() const
{
    return Installer ? Installer->LanguageScriptOption : 0;
}

void CWizard::SetLanguageScriptOption(uint32_t value)
{
    if (Installer)
        Installer->LanguageScriptOption = value;
}

uint32_t CWizard::UserValuesOption() const
{
    return Installer ? Installer->UserValuesOption : 0;
}

void CWizard::SetUserValuesOption(uint32_t value)
{
    if (Installer)
        Installer->UserValuesOption = value;
}

int32_t CWizard::DesktopShortcutOption() const
{
    return Installer ? Installer->DesktopShortcutOption : 0;
}

void CWizard::SetDesktopShortcutOption(int32_t value)
{
    if (Installer)
        Installer->DesktopShortcutOption = value;
}

int32_t CWizard::SecondSetOption() const
{
    return Installer ? Installer->SecondSetOption : 0;
}

void CWizard::SetSecondSetOption(int32_t value)
{
    if (Installer)
        Installer->SecondSetOption = value;
}

int32_t CWizard::ChooseLayoutVariant()
{
    return Installer ? Installer->ChooseLayoutVariant() : -1;
}

int32_t CWizard::SetLayoutVariant(int32_t value)
{
    return Installer ? Installer->SetLayoutVariant(value) : value;
}

int32_t CWizard::ChooseDecimalKeyOption()
{
    return Installer ? Installer->ChooseDecimalKeyOption() : -1;
}

int32_t CWizard::SetDecimalKeyOption(int32_t value)
{
    if (Installer && (value == 0 || value == 1))
        Installer->DecimalKeyOption = value;
    return value;
}

int32_t CWizard::LicenceAccepted() const
{
    return Installer ? Installer->LicenceAccepted : 0;
}

void CWizard::SetLicenceAccepted(int32_t value)
{
    if (Installer)
        Installer->LicenceAccepted = value;
}

int32_t CWizard::ModifyMode() const
{
    return Installer ? Installer->ModifyMode : 0;
}

int32_t CWizard::EnterModifyMode(int32_t value)
{
    if (!Installer)
        return value;
    Installer->ModifyMode = value;
    if (value)
        Installer->LicenceAccepted = 1;
    return value;
}

uint32_t CWizard::InstalledVersion() const
{
    return Installer ? Installer->InstalledVersion : 0;
}

int32_t CWizard::IsAdministrator() const
{
    return Installer ? Installer->IsAdministrator : 0;
}

int32_t CWizard::UninstallDone() const
{
    return Installer ? Installer->UninstallDone : 0;
}

int32_t CWizard::AssociationMatches() const
{
    return Installer ? Installer->AssociationMatches : 0;
}

void CWizard::RequestRestart()
{
    if (Installer)
        Installer->RestartRequested = 1;
}

KeyRecord* CWizard::FindKeyRecord(uint16_t scanCode)
{
    return Installer ? ::FindKeyRecord(Installer->KeyTable, Installer->KeyCount, scanCode) : nullptr;
}

const KeyRecord* CWizard::FindDefaultKeyRecord(uint16_t scanCode)
{
    return ::FindDefaultKeyRecord(scanCode);
}

void CWizard::NormaliseKeyTable()
{
    if (Installer)
        ::NormaliseKeyTable(Installer->KeyTable, Installer->KeyCount);
}

int CWizard::DecodeLicence(GString& text)
{
    text.Empty();
    if (!Installer || Installer->UiLanguage > 1)
        return 0;
    const EmbeddedItem& item = Installer->Payload.Licences[Installer->UiLanguage];
    return Installer->DecodeTextItem(item.Bytes, item.Length, text);
}

int CWizard::Install()
{
    return Installer ? Installer->Install() : 0;
}

int CWizard::Uninstall()
{
    return Installer ? Installer->Uninstall() : 0;
}

int CWizard::RunWithAssociatedProgram(uint32_t fileTypeId, uint32_t commandId, const char16_t* argument)
{
    return Installer ? Installer->RunWithAssociatedProgram(fileTypeId, commandId, argument) : 0;
}
