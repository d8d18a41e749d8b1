#include "platform/Files.h"

#include "platform/Platform.h"

CHandle CreateOutputFile(const char16_t* path)
{
    HANDLE file =
        CreateFileW(WinText(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return CHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

int WriteBytes(HANDLE file, const void* bytes, uint32_t count)
{
    if (!file || !bytes || count == 0)
        return 0;
    DWORD written = 0;
    if (!WriteFile(file, bytes, count, &written, nullptr))
        return 0;
    return written == count ? 1 : 0;
}

int WriteText(HANDLE file, GString& text)
{
    if (!file || text.GetLength() == 0)
        return 0;
    if (!text.ToNarrow())
        return 0;
    return WriteBytes(file, text.GetA(0), static_cast<uint32_t>(text.GetLength()));
}

int DeleteFileOrSchedule(const char16_t* path)
{
    if (!path || !path[0])
        return 0;
    if (DeleteFileW(WinText(path)))
        return 1;
    if (GetLastError() == ERROR_FILE_NOT_FOUND)
        return 1;
    return MoveFileExW(WinText(path), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) ? 1 : 0;
}

int DeleteFileOrSchedule(GString& path)
{
    if (path.GetLength() == 0 || !path.ToWide())
        return 0;
    return DeleteFileOrSchedule(path.GetW(0));
}

int RemoveFolder(GString& path)
{
    if (path.GetLength() == 0 || !path.ToWide())
        return 0;
    return RemoveDirectoryW(WinText(path.GetW(0))) ? 1 : 0;
}

int CreateFolder(const char16_t* path)
{
    if (CreateDirectoryW(WinText(path), nullptr))
        return 1;
    return GetLastError() == ERROR_ALREADY_EXISTS ? 1 : 0;
}

int GetTempFolder(GString& folder)
{
    folder.EmptyW();
    // 772 units in all, of which the call is told of 771.
    char16_t* buffer = folder.GetBufferW(771);
    if (!buffer)
        return 0;
    const DWORD length = GetTempPathW(771, WinText(buffer));
    if (length == 0 || length >= 772)
    {
        folder.SetLength(0);
        return 0;
    }
    folder.SetLength(static_cast<int>(length));
    return 1;
}
