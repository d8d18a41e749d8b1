// Started by the RunCommand tests. Its last argument is "<milliseconds>?<mark file>": it sleeps that
// long, then creates the mark file, so a test can tell whether it was waited for and whether it went on.
#include <windows.h>

#include <shellapi.h>

#include <cwchar>
#include <cwctype>

int main()
{
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments || count < 2)
        return 2;
    wchar_t* last = arguments[count - 1];
    wchar_t* mark = wcschr(last, L'?');
    if (!mark)
        return 3;
    *mark++ = 0;
    Sleep(static_cast<DWORD>(wcstoul(last, nullptr, 10)));
    HANDLE file = CreateFileW(mark, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 4;
    CloseHandle(file);
    return 0;
}
