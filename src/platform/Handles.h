// Owners for what Windows hands out: one move-only owner per handle, each knowing the value its API
// returns for "none" (null for most, INVALID_HANDLE_VALUE for file searches). Borrowed handles stay
// plain values; an owner never converts to its handle behind the reader's back (Get() says it).
#pragma once

#include <windows.h>

#include <unknwn.h>

template <class Traits> class COwner
{
  public:
    using Type = typename Traits::Type;

    COwner() = default;
    explicit COwner(Type value) : Value(value) {}
    ~COwner() { Reset(); }
    COwner(const COwner&) = delete;
    COwner& operator=(const COwner&) = delete;
    COwner(COwner&& other) noexcept : Value(other.Detach()) {}
    COwner& operator=(COwner&& other) noexcept
    {
        if (this != &other)
            Reset(other.Detach());
        return *this;
    }

    Type Get() const { return Value; }
    explicit operator bool() const { return Value != Traits::None(); }
    // Gives up ownership without closing.
    Type Detach()
    {
        Type value = Value;
        Value = Traits::None();
        return value;
    }
    // Closes what is held (closing twice is harmless: the second time there is nothing).
    void Reset(Type value = Traits::None())
    {
        if (Value != Traits::None())
            Traits::Close(Value);
        Value = value;
    }
    // For the out parameter of a call that opens: whatever was held is closed first.
    Type* Receive()
    {
        Reset();
        return &Value;
    }

  private:
    Type Value = Traits::None();
};

struct KeyTraits
{
    using Type = HKEY;
    static Type None() { return nullptr; }
    static void Close(Type key) { RegCloseKey(key); }
};

// Processes, threads, tokens, files (CreateOutputFile turns an invalid file handle into null).
struct HandleTraits
{
    using Type = HANDLE;
    static Type None() { return nullptr; }
    static void Close(Type handle) { CloseHandle(handle); }
};

struct FindTraits
{
    using Type = HANDLE;
    static Type None() { return INVALID_HANDLE_VALUE; }
    static void Close(Type handle) { FindClose(handle); }
};

struct ModuleTraits
{
    using Type = HMODULE;
    static Type None() { return nullptr; }
    static void Close(Type module) { FreeLibrary(module); }
};

struct SidTraits
{
    using Type = PSID;
    static Type None() { return nullptr; }
    static void Close(Type sid) { FreeSid(sid); }
};

// Memory that a shell call allocated with LocalAlloc (the argument vector of CommandLineToArgvW).
struct LocalMemoryTraits
{
    using Type = void*;
    static Type None() { return nullptr; }
    static void Close(Type memory) { LocalFree(memory); }
};

struct GdiObjectTraits
{
    using Type = HGDIOBJ;
    static Type None() { return nullptr; }
    static void Close(Type object) { DeleteObject(object); }
};

using CKey = COwner<KeyTraits>;
using CHandle = COwner<HandleTraits>;
using CFindHandle = COwner<FindTraits>;
using CModule = COwner<ModuleTraits>;
using CSid = COwner<SidTraits>;
using CLocalMemory = COwner<LocalMemoryTraits>;
using CGdiObject = COwner<GdiObjectTraits>;

// A COM interface pointer, released once.
template <class T> class CComPtr
{
  public:
    CComPtr() = default;
    ~CComPtr() { Reset(); }
    CComPtr(const CComPtr&) = delete;
    CComPtr& operator=(const CComPtr&) = delete;
    CComPtr(CComPtr&& other) noexcept : Pointer(other.Pointer) { other.Pointer = nullptr; }
    CComPtr& operator=(CComPtr&& other) noexcept
    {
        if (this != &other)
        {
            Reset();
            Pointer = other.Pointer;
            other.Pointer = nullptr;
        }
        return *this;
    }

    T* Get() const { return Pointer; }
    T* operator->() const { return Pointer; }
    explicit operator bool() const { return Pointer != nullptr; }
    void Reset()
    {
        if (Pointer)
            Pointer->Release();
        Pointer = nullptr;
    }
    // For CoCreateInstance and QueryInterface.
    void** Receive()
    {
        Reset();
        return reinterpret_cast<void**>(&Pointer);
    }

  private:
    T* Pointer = nullptr;
};

// A function found by name at run time, as the type it really has. FARPROC goes through the one
// function type that every other converts to, so the compiler does not warn about the cast.
template <class F> F ProcAs(FARPROC proc)
{
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(proc));
}
