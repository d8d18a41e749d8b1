// The registry, file and shell helpers with their names taken from the string tables. A name id
// without a text fails the operation before anything is touched.
#include "engine/CInstall.h"
#include "platform/Files.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/Shell.h"

CKey CInstall::OpenKeyById(HKEY root, uint32_t subKeyId, REGSAM access)
{
    if (!GetString(subKeyId, ScratchText))
        return CKey();
    return OpenKey(root, ScratchText.GetW(0), access);
}

CKey CInstall::CreateKeyById(HKEY root, uint32_t subKeyId, REGSAM access)
{
    if (!GetString(subKeyId, ScratchText))
        return CKey();
    return CreateKey(root, ScratchText.GetW(0), access);
}

int CInstall::SetBinaryValueById(HKEY key, uint32_t nameId, const void* bytes, uint32_t size)
{
    if (!GetString(nameId, ScratchText))
        return 0;
    return SetBinaryValue(key, ScratchText.GetW(0), bytes, size);
}

unsigned char* CInstall::QueryBinaryValueById(HKEY key, uint32_t nameId, uint32_t* size)
{
    if (size)
        *size = 0;
    if (!GetString(nameId, ScratchText))
        return nullptr;
    return QueryBinaryValue(key, ScratchText.GetW(0), size);
}

int CInstall::SetDwordValueById(HKEY key, uint32_t nameId, uint32_t value)
{
    if (!GetString(nameId, ScratchText))
        return 0;
    return SetDwordValue(key, ScratchText.GetW(0), value);
}

int CInstall::QueryDwordValueById(HKEY key, uint32_t nameId, uint32_t* value)
{
    if (!GetString(nameId, ScratchText))
        return 0;
    return QueryDwordValue(key, ScratchText.GetW(0), value);
}

int CInstall::QueryStringValueById(HKEY key, uint32_t nameId, GString& text)
{
    if (!GetString(nameId, ScratchText))
    {
        text.EmptyW();
        return 0;
    }
    return QueryStringValue(key, ScratchText.GetW(0), text);
}

int CInstall::DeleteValueById(HKEY key, uint32_t nameId)
{
    if (!GetString(nameId, ScratchText))
        return 0;
    return DeleteValue(key, ScratchText.GetW(0));
}

int CInstall::DeleteKeyById(HKEY parent, uint32_t nameId)
{
    // An empty name would make RegDeleteKeyW delete the parent itself.
    if (!parent || !GetString(nameId, ScratchText) || ScratchText.GetLength() == 0)
        return 0;
    return RegDeleteKeyW(parent, WinText(ScratchText.GetW(0))) == ERROR_SUCCESS ? 1 : 0;
}

int CInstall::SetStringValueById(HKEY key, uint32_t nameId, GString& text)
{
    GString name;
    if (!GetString(nameId, name))
        return 0;
    return SetStringValue(key, name.GetW(0), text);
}

int CInstall::SetStringValueByIds(HKEY key, uint32_t nameId, uint32_t textId)
{
    GString name;
    GString text;
    if (!GetString(nameId, name) || !GetString(textId, text))
        return 0;
    return SetStringValue(key, name.GetW(0), text);
}

int CInstall::StringValueEqualsById(HKEY key, uint32_t nameId, const GString& text)
{
    GString name;
    if (!GetString(nameId, name))
        return 0;
    return StringValueEquals(key, name.GetW(0), text);
}

int CInstall::SetMachineStringByIds(uint32_t keyId, uint32_t nameId, uint32_t textId)
{
    CKey key = OpenKeyById(HKEY_LOCAL_MACHINE, keyId, kKeySetCreate);
    if (!key)
        return 0;
    return SetStringValueByIds(key.Get(), nameId, textId);
}

int CInstall::CreateTempFile(GString& path, uint32_t prefixId, const char16_t* folder)
{
    path.EmptyW();
    if (prefixId == 0)
        return 0;
    GString prefix;
    if (!GetString(prefixId, prefix))
        return 0;
    GString temporary;
    if (!folder)
    {
        GetTempFolder(temporary); // without it, the name is made in the current folder
        folder = temporary.GetW(0);
    }
    char16_t* buffer = path.GetBufferW(MAX_PATH); // 261 units with the terminator's
    if (!buffer)
        return 0;
    buffer[0] = 0;
    if (!GetTempFileNameW(WinText(folder), WinText(prefix.GetW(0)), 0, WinText(buffer)))
    {
        path.SetLength(0);
        return 0;
    }
    path.SetLength(-1);
    return 1;
}

int CInstall::GetSpecialFolder(int folderId, GString& path)
{
    return SpecialFolderPath(OwnerWindow(), folderId, path);
}

int CInstall::GetAssociatedExecutable(uint32_t fileTypeId, GString& path)
{
    path.EmptyW();
    if (!GetString(fileTypeId, ScratchText))
        return 0;
    return AssociatedExecutablePath(ScratchText.GetW(0), path);
}

int CInstall::AssociatedExecutableContains(uint32_t fileTypeId, uint32_t needleId)
{
    GString needle;
    if (!GetString(fileTypeId, ScratchText) || !GetString(needleId, needle))
        return 0;
    return AssociatedPathContains(ScratchText.GetW(0), needle);
}

int CInstall::RunWithAssociatedProgram(uint32_t fileTypeId, uint32_t templateId, const char16_t* argument)
{
    GString executable;
    if (!GetAssociatedExecutable(fileTypeId, executable))
        return 0;
    return RunCommand(templateId, executable.GetW(0), argument);
}
