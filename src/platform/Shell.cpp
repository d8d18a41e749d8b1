#include "platform/Shell.h"

#include <objidl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "platform/Handles.h"
#include "platform/Platform.h"

namespace
{
// The link object and its two interfaces, spelt out here so that setup.exe needs no GUID library.
const CLSID kClsidShellLink = {0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kIidShellLinkW = {0x000214F9, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kIidPersistFile = {0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

constexpr DWORD kAssociationRoom = 2048;
// Far beyond any path Windows can open; a larger count from the shell is not believed.
constexpr DWORD kLargestAssociation = 0x8000;

// One question to the shell into path's buffer of room units; on success the text is what was
// written, up to its terminator and never past the count the shell reported.
HRESULT AskExecutable(const char16_t* fileType, GString& path, DWORD room, DWORD* count)
{
    path.EmptyW();
    char16_t* buffer = path.GetBufferW(static_cast<int>(room));
    if (!buffer)
        return E_OUTOFMEMORY;
    buffer[0] = 0;
    *count = room;
    const HRESULT result =
        AssocQueryStringW(0, ASSOCSTR_EXECUTABLE, WinText(fileType), nullptr, WinText(buffer), count);
    if (FAILED(result))
        return result;
    // The count includes the terminator on Windows; whatever it says, the text ends at the first zero.
    DWORD length = *count < room ? *count : room;
    for (DWORD i = 0; i < length; ++i)
        if (buffer[i] == 0)
        {
            length = i;
            break;
        }
    path.SetLength(static_cast<int>(length));
    return result;
}
} // namespace

int SpecialFolderPath(HWND owner, int folderId, GString& path)
{
    path.EmptyW();
    char16_t* buffer = path.GetBufferW(MAX_PATH); // 261 units with the terminator's
    if (!buffer)
        return 0;
    buffer[0] = 0;
    if (!SHGetSpecialFolderPathW(owner, WinText(buffer), folderId, FALSE))
    {
        path.SetLength(0);
        return 0;
    }
    path.SetLength(-1);
    return 1;
}

int CreateShortcut(const char16_t* target, const char16_t* link, const char16_t* description,
                   const char16_t* icon, int iconIndex)
{
    CComPtr<IShellLinkW> shellLink;
    if (FAILED(CoCreateInstance(kClsidShellLink, nullptr, CLSCTX_INPROC_SERVER, kIidShellLinkW,
                                shellLink.Receive())))
        return 0;
    shellLink->SetPath(WinText(target));
    shellLink->SetDescription(WinText(description));
    if (icon)
        shellLink->SetIconLocation(WinText(icon), iconIndex);
    CComPtr<IPersistFile> file;
    if (FAILED(shellLink->QueryInterface(kIidPersistFile, file.Receive())))
        return 0;
    // Whether the file could be written is not asked: callers check for the file where it matters.
    file->Save(WinText(link), TRUE);
    return 1;
}

int AssociatedExecutablePath(const char16_t* fileType, GString& path)
{
    DWORD count = 0;
    return SUCCEEDED(AskExecutable(fileType, path, kAssociationRoom, &count)) ? 1 : 0;
}

int AssociatedPathContains(const char16_t* fileType, const GString& needle)
{
    GString path;
    DWORD room = kAssociationRoom;
    DWORD count = 0;
    const HRESULT first = AskExecutable(fileType, path, room, &count);
    // Windows says E_POINTER for a buffer too small, Wine the Win32 error; either way count is the need.
    if ((first == E_POINTER || first == HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER)) && count > room &&
        count <= kLargestAssociation)
        room = count;
    if (FAILED(AskExecutable(fileType, path, room, &count)))
        return 0;
    if (needle.GetLength() == 0 || !path.MakeUpper())
        return 0;
    return path.Find(needle, 0) >= 0 ? 1 : 0;
}
