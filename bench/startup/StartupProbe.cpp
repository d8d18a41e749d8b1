// startup_probe <exe> [runs]: starts the program again and again and measures how long it takes until
// its top-level window is visible with a visible page inside it and has painted (no update region
// left). Prints each run and the median, in milliseconds, then closes the program.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace
{
struct Search
{
    DWORD pid;
    HWND window;
};

BOOL CALLBACK FindTop(HWND window, LPARAM param)
{
    auto* s = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == s->pid && IsWindowVisible(window) && !GetWindow(window, GW_OWNER))
    {
        s->window = window;
        return FALSE;
    }
    return TRUE;
}

bool PagePainted(HWND top)
{
    HWND child = GetWindow(top, GW_CHILD);
    for (; child; child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child))
            break;
    if (!child)
        return false;
    // Painted: neither the window nor the page has anything left to paint.
    return !GetUpdateRect(top, nullptr, FALSE) && !GetUpdateRect(child, nullptr, FALSE);
}

double RunOnce(const wchar_t* exe)
{
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    std::wstring command = std::wstring(L"\"") + exe + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(exe, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    double ms = -1;
    for (int i = 0; i < 20000; ++i)
    {
        Search s = {pi.dwProcessId, nullptr};
        EnumWindows(FindTop, reinterpret_cast<LPARAM>(&s));
        if (s.window && PagePainted(s.window))
        {
            QueryPerformanceCounter(&now);
            ms = 1000.0 * (now.QuadPart - start.QuadPart) / frequency.QuadPart;
            break;
        }
        if (WaitForSingleObject(pi.hProcess, 1) == WAIT_OBJECT_0)
            break;
    }
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 5000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return ms;
}
} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2)
    {
        fwprintf(stderr, L"usage: startup_probe <exe> [runs]\n");
        return 2;
    }
    int runs = argc > 2 ? _wtoi(argv[2]) : 10;
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
    {
        double ms = RunOnce(argv[1]);
        wprintf(L"run %d: %.1f ms\n", i + 1, ms);
        if (ms >= 0)
            times.push_back(ms);
    }
    if (times.empty())
        return 1;
    std::sort(times.begin(), times.end());
    wprintf(L"%ls: median %.1f ms over %d runs (min %.1f, max %.1f)\n", argv[1], times[times.size() / 2],
            static_cast<int>(times.size()), times.front(), times.back());
    return 0;
}
