#pragma once
// One owner per kernel handle or registry key: closed when the owner goes, on every way out.
#include <windows.h>

#include <utility>

template <typename Traits>
class UniqueOwner {
public:
    using Handle = typename Traits::Handle;

    UniqueOwner() noexcept = default;
    explicit UniqueOwner(Handle handle) noexcept : handle_(handle) {}
    UniqueOwner(UniqueOwner&& other) noexcept : handle_(other.release()) {}
    UniqueOwner& operator=(UniqueOwner&& other) noexcept {
        reset(other.release());
        return *this;
    }
    UniqueOwner(const UniqueOwner&) = delete;
    UniqueOwner& operator=(const UniqueOwner&) = delete;
    ~UniqueOwner() { reset(); }

    Handle get() const noexcept { return handle_; }
    Handle* put() noexcept {
        reset();
        return &handle_;
    }
    explicit operator bool() const noexcept { return handle_ != Traits::None(); }
    Handle release() noexcept { return std::exchange(handle_, Traits::None()); }
    void reset(Handle handle = Traits::None()) noexcept {
        Handle old = std::exchange(handle_, handle);
        if (old != Traits::None()) Traits::Close(old);
    }

private:
    Handle handle_ = Traits::None();
};

struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle None() noexcept { return nullptr; }
    static void Close(Handle handle) noexcept { ::CloseHandle(handle); }
};

struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle None() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) noexcept { ::CloseHandle(handle); }
};

struct RegistryKeyTraits {
    using Handle = HKEY;
    static Handle None() noexcept { return nullptr; }
    static void Close(Handle handle) noexcept { ::RegCloseKey(handle); }
};

using UniqueHandle = UniqueOwner<KernelHandleTraits>;
using UniqueFile = UniqueOwner<FileHandleTraits>;
using UniqueKey = UniqueOwner<RegistryKeyTraits>;
