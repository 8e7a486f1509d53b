#pragma once
// Owning holders for the system's handles: one movable template, one line per kind.

#include <windows.h>

#include <utility>

// Holds one handle of a kind, or the kind's empty value; closes what it holds when it goes.
// Moves, never copies.
template <typename Kind>
class UniqueHandle {
public:
    typedef typename Kind::Type Type;

    UniqueHandle() = default;
    explicit UniqueHandle(Type handle) : handle_(handle) {}
    ~UniqueHandle() { Close(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other) {
            Close();
            handle_ = other.Release();
        }
        return *this;
    }

    Type Get() const { return handle_; }
    bool IsOpen() const { return handle_ != Kind::Empty(); }
    explicit operator bool() const { return IsOpen(); }
    Type Release() { return std::exchange(handle_, Kind::Empty()); }
    // The slot an out-parameter of a system call fills; whatever was held is closed first.
    Type* Slot()
    {
        Close();
        return &handle_;
    }
    // The close call's verdict (a write can still fail at the close); true when nothing was held.
    bool Close() { return !IsOpen() || Kind::Close(Release()); }

private:
    Type handle_ = Kind::Empty();
};

struct FileKind {
    typedef HANDLE Type;
    static Type Empty() { return INVALID_HANDLE_VALUE; }
    static bool Close(Type handle) { return CloseHandle(handle) != FALSE; }
};

// Threads, events and processes: the calls that make them answer null, not INVALID_HANDLE_VALUE.
struct KernelObjectKind {
    typedef HANDLE Type;
    static Type Empty() { return nullptr; }
    static bool Close(Type handle) { return CloseHandle(handle) != FALSE; }
};

struct FindKind {
    typedef HANDLE Type;
    static Type Empty() { return INVALID_HANDLE_VALUE; }
    static bool Close(Type handle) { return FindClose(handle) != FALSE; }
};

struct RegistryKeyKind {
    typedef HKEY Type;
    static Type Empty() { return nullptr; }
    static bool Close(Type key) { return RegCloseKey(key) == ERROR_SUCCESS; }
};

// Memory that the shell hands over and the COM allocator takes back (item lists and the like).
template <typename Pointee>
struct ComMemoryKind {
    typedef Pointee* Type;
    static Type Empty() { return nullptr; }
    static bool Close(Type memory)
    {
        CoTaskMemFree(memory);
        return true;
    }
};

typedef UniqueHandle<FileKind> FileHandle;
typedef UniqueHandle<KernelObjectKind> KernelObject;
typedef UniqueHandle<FindKind> FindSearch;
typedef UniqueHandle<RegistryKeyKind> RegistryKey;
template <typename Pointee>
using ComMemory = UniqueHandle<ComMemoryKind<Pointee>>;
