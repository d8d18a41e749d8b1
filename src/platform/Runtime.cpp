// The little C and C++ runtime that setup.exe carries instead of a runtime DLL.
//
// setup.exe must start on a bare Windows 2000 machine, where no particular C runtime can be relied on,
// so it links no C library at all: what the compiler and zlib expect (memory functions, the heap,
// operator new and delete) is provided here over kernel32, and the entry point calls wWinMain itself.
// This file is compiled freestanding, without builtins, so the loops below are never turned back into
// calls of the functions they implement.
#include <windows.h>

#include <cstddef>
#include <new>

extern "C"
{
void* memcpy(void* dst, const void* src, size_t n)
{
    unsigned char* d = static_cast<unsigned char*>(dst);
    const unsigned char* s = static_cast<const unsigned char*>(src);
    while (n--)
        *d++ = *s++;
    return dst;
}

void* memmove(void* dst, const void* src, size_t n)
{
    unsigned char* d = static_cast<unsigned char*>(dst);
    const unsigned char* s = static_cast<const unsigned char*>(src);
    if (d < s)
        while (n--)
            *d++ = *s++;
    else if (d > s)
        while (n--)
            d[n] = s[n];
    return dst;
}

void* memset(void* dst, int value, size_t n)
{
    unsigned char* d = static_cast<unsigned char*>(dst);
    while (n--)
        *d++ = static_cast<unsigned char>(value);
    return dst;
}

int memcmp(const void* a, const void* b, size_t n)
{
    const unsigned char* x = static_cast<const unsigned char*>(a);
    const unsigned char* y = static_cast<const unsigned char*>(b);
    for (; n; --n, ++x, ++y)
        if (*x != *y)
            return *x < *y ? -1 : 1;
    return 0;
}

size_t strlen(const char* s)
{
    size_t n = 0;
    while (s[n])
        ++n;
    return n;
}

void* malloc(size_t size)
{
    return HeapAlloc(GetProcessHeap(), 0, size ? size : 1);
}

void* calloc(size_t count, size_t size)
{
    if (size && count > static_cast<size_t>(-1) / size)
        return nullptr;
    size_t bytes = count * size;
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes ? bytes : 1);
}

void* realloc(void* block, size_t size)
{
    if (!block)
        return malloc(size);
    return HeapReAlloc(GetProcessHeap(), 0, block, size ? size : 1);
}

void free(void* block)
{
    if (block)
        HeapFree(GetProcessHeap(), 0, block);
}

// Called for a pure virtual function reached during construction or destruction: a bug, so stop.
void __cxa_pure_virtual()
{
    ExitProcess(3);
}

// Objects with static storage and a destructor register it here; the program ends by ExitProcess
// and keeps no such objects, so there is nothing to run.
int atexit(void (*)(void))
{
    return 0;
}
}

void* operator new(size_t size)
{
    return malloc(size);
}
void* operator new[](size_t size)
{
    return malloc(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept
{
    return malloc(size);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept
{
    return malloc(size);
}
void operator delete(void* p) noexcept
{
    free(p);
}
void operator delete[](void* p) noexcept
{
    free(p);
}
void operator delete(void* p, size_t) noexcept
{
    free(p);
}
void operator delete[](void* p, size_t) noexcept
{
    free(p);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int show);

// std::nothrow lives in libstdc++, which setup.exe does not link.
namespace std
{
const nothrow_t nothrow{};
}

typedef void (*Constructor)();
extern "C" Constructor __CTOR_LIST__[];

extern "C" void __stdcall OgonekStartup()
{
    // The linker's constructor list: a count (or -1), the constructors, then a zero.
    Constructor* list = __CTOR_LIST__;
    size_t n = reinterpret_cast<size_t>(list[0]);
    if (n == static_cast<size_t>(-1))
        for (n = 0; list[n + 1]; ++n)
        {
        }
    for (size_t i = n; i >= 1; --i)
        list[i]();

    STARTUPINFOW startup;
    startup.cb = sizeof(startup);
    GetStartupInfoW(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
    int result = wWinMain(GetModuleHandleW(nullptr), nullptr, GetCommandLineW(), show);
    ExitProcess(static_cast<UINT>(result));
}
