// One owner per resource: small move-only wrappers for kernel handles,
// registry keys, modules, menus, image lists, GDI objects, heap blocks,
// objects and COM pointers.  One traits type per way of closing, defined
// here and nowhere else.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <cstdlib>
#include <utility>

template <typename T, typename Traits>
class UniqueResource {
public:
    UniqueResource() = default;
    explicit UniqueResource(T value) : value_(value) {}
    ~UniqueResource() { reset(); }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    T get() const { return value_; }
    // For owners of pointers: the owned object's members.
    T operator->() const { return value_; }
    explicit operator bool() const { return Traits::Valid(value_); }
    T release() { T v = value_; value_ = Traits::Invalid(); return v; }
    void reset(T value = Traits::Invalid()) {
        if (Traits::Valid(value_)) Traits::Close(value_);
        value_ = value;
    }
    // For out-parameters: releases the current value first.
    T* put() { reset(); return &value_; }

private:
    T value_ = Traits::Invalid();
};

struct HandleTraits {  // CreateEvent, OpenProcess, ...: null is invalid
    static HANDLE Invalid() { return nullptr; }
    static bool Valid(HANDLE h) { return h != nullptr; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct FileHandleTraits {  // CreateFile: INVALID_HANDLE_VALUE is invalid
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool Valid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct RegKeyTraits {
    static HKEY Invalid() { return nullptr; }
    static bool Valid(HKEY h) { return h != nullptr; }
    static void Close(HKEY h) { ::RegCloseKey(h); }
};
struct ModuleTraits {
    static HMODULE Invalid() { return nullptr; }
    static bool Valid(HMODULE h) { return h != nullptr; }
    static void Close(HMODULE h) { ::FreeLibrary(h); }
};
struct MenuTraits {
    static HMENU Invalid() { return nullptr; }
    static bool Valid(HMENU h) { return h != nullptr; }
    static void Close(HMENU h) { ::DestroyMenu(h); }
};
struct SidTraits {
    static PSID Invalid() { return nullptr; }
    static bool Valid(PSID p) { return p != nullptr; }
    static void Close(PSID p) { ::FreeSid(p); }
};
struct MallocTraits {
    static void* Invalid() { return nullptr; }
    static bool Valid(void* p) { return p != nullptr; }
    static void Close(void* p) { std::free(p); }
};
struct ImageListTraits {
    static HIMAGELIST Invalid() { return nullptr; }
    static bool Valid(HIMAGELIST h) { return h != nullptr; }
    static void Close(HIMAGELIST h) { ::ImageList_Destroy(h); }
};
template <typename T>  // HBITMAP, HFONT, ...
struct GdiObjectTraits {
    static T Invalid() { return nullptr; }
    static bool Valid(T h) { return h != nullptr; }
    static void Close(T h) { ::DeleteObject(h); }
};
template <typename T>  // HLOCAL, or what LocalAlloc's callers hand out (CommandLineToArgvW)
struct LocalFreeTraits {
    static T Invalid() { return nullptr; }
    static bool Valid(T p) { return p != nullptr; }
    static void Close(T p) { ::LocalFree(p); }
};
template <typename T>  // an object made with new
struct DeleteTraits {
    static T* Invalid() { return nullptr; }
    static bool Valid(T* p) { return p != nullptr; }
    static void Close(T* p) { delete p; }
};

using UniqueHandle = UniqueResource<HANDLE, HandleTraits>;
using UniqueFile = UniqueResource<HANDLE, FileHandleTraits>;
using UniqueRegKey = UniqueResource<HKEY, RegKeyTraits>;
using UniqueModule = UniqueResource<HMODULE, ModuleTraits>;
using UniqueMenu = UniqueResource<HMENU, MenuTraits>;
using UniqueSid = UniqueResource<PSID, SidTraits>;
using UniqueMalloc = UniqueResource<void*, MallocTraits>;
using UniqueImageList = UniqueResource<HIMAGELIST, ImageListTraits>;
using UniqueBitmap = UniqueResource<HBITMAP, GdiObjectTraits<HBITMAP>>;
using UniqueFont = UniqueResource<HFONT, GdiObjectTraits<HFONT>>;
using UniqueArgv = UniqueResource<wchar_t**, LocalFreeTraits<wchar_t**>>;
template <typename T>
using UniqueObject = UniqueResource<T*, DeleteTraits<T>>;

// A COM interface pointer with one reference owned.
template <typename I>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) { reset(); p_ = other.p_; other.p_ = nullptr; }
        return *this;
    }
    I* get() const { return p_; }
    I* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    I** put() { reset(); return &p_; }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    void reset() { if (p_) { p_->Release(); p_ = nullptr; } }
    I* detach() { I* p = p_; p_ = nullptr; return p; }

private:
    I* p_ = nullptr;
};
