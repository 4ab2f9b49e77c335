#pragma once
// Owners for Windows handles: one move-only template, one alias per kind.
// Non-owning views stay plain handle values (HWND, HDC...).

#include <windows.h>
#include <objbase.h>

#include <utility>

namespace support {

template <typename Traits> class UniqueHandle {
public:
    using pointer = typename Traits::pointer;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(pointer handle) noexcept : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    pointer get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Traits::invalid(); }

    pointer release() noexcept { return std::exchange(handle_, Traits::invalid()); }
    void reset(pointer handle = Traits::invalid()) noexcept
    {
        pointer old = std::exchange(handle_, handle);
        if (old != Traits::invalid()) Traits::close(old);
    }
    // For APIs that hand a new handle back through an out-parameter.
    pointer* put() noexcept
    {
        reset();
        return &handle_;
    }

private:
    pointer handle_ = Traits::invalid();
};

template <typename T, auto Close, T Invalid = T{}> struct HandleTraits {
    using pointer = T;
    static constexpr T invalid() noexcept { return Invalid; }
    static void close(T handle) noexcept { Close(handle); }
};

struct FileHandleTraits {
    using pointer = HANDLE;
    static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(pointer handle) noexcept { ::CloseHandle(handle); }
};

struct FindHandleTraits {
    using pointer = HANDLE;
    static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(pointer handle) noexcept { ::FindClose(handle); }
};

template <typename T> inline void DeleteGdiObject(T object) noexcept
{
    ::DeleteObject(object);
}

using UniqueKernelHandle = UniqueHandle<HandleTraits<HANDLE, ::CloseHandle>>; // mutex, event, process...
using UniqueFileHandle = UniqueHandle<FileHandleTraits>; // CreateFile, toolhelp snapshots
using UniqueFindHandle = UniqueHandle<FindHandleTraits>;
using UniqueWindow = UniqueHandle<HandleTraits<HWND, ::DestroyWindow>>;
using UniqueIcon = UniqueHandle<HandleTraits<HICON, ::DestroyIcon>>;
using UniqueCursor = UniqueHandle<HandleTraits<HCURSOR, ::DestroyCursor>>;
using UniqueFont = UniqueHandle<HandleTraits<HFONT, DeleteGdiObject<HFONT>>>;
using UniqueBrush = UniqueHandle<HandleTraits<HBRUSH, DeleteGdiObject<HBRUSH>>>;
using UniquePen = UniqueHandle<HandleTraits<HPEN, DeleteGdiObject<HPEN>>>;
using UniqueBitmap = UniqueHandle<HandleTraits<HBITMAP, DeleteGdiObject<HBITMAP>>>;
using UniqueRegion = UniqueHandle<HandleTraits<HRGN, DeleteGdiObject<HRGN>>>;
using UniqueMemoryDC = UniqueHandle<HandleTraits<HDC, ::DeleteDC>>; // CreateCompatibleDC
using UniqueRegKey = UniqueHandle<HandleTraits<HKEY, ::RegCloseKey>>;
using UniqueModule = UniqueHandle<HandleTraits<HMODULE, ::FreeLibrary>>;
using UniqueGlobal = UniqueHandle<HandleTraits<HGLOBAL, ::GlobalFree>>;
using UniqueLocal = UniqueHandle<HandleTraits<HLOCAL, ::LocalFree>>; // FORMAT_MESSAGE_ALLOCATE_BUFFER

template <typename T> inline void FreeTaskMemory(T* memory) noexcept
{
    ::CoTaskMemFree(memory);
}

// Memory from the COM task allocator that a call hands back (ProgIDFromCLSID, StringFromCLSID...).
template <typename T> using UniqueTaskMemory = UniqueHandle<HandleTraits<T*, FreeTaskMemory<T>>>;

// A device context from GetDC, given back with ReleaseDC.
class WindowDC {
public:
    explicit WindowDC(HWND window) noexcept : window_(window), dc_(::GetDC(window)) {}
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC()
    {
        if (dc_) ::ReleaseDC(window_, dc_);
    }
    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// The device context of one WM_PAINT, from BeginPaint to EndPaint.
class PaintDC {
public:
    explicit PaintDC(HWND window) noexcept : window_(window) { ::BeginPaint(window_, &paint_); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    ~PaintDC() { ::EndPaint(window_, &paint_); }
    HDC get() const noexcept { return paint_.hdc; }
    const RECT& area() const noexcept { return paint_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
};

// Selects an object into a device context and puts the previous one back.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(::SelectObject(dc, object)) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject()
    {
        if (previous_ && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A memory device context (CreateCompatibleDC) with a bitmap selected into it.
// The bitmap stays its owner's: the context puts its own bitmap back before it
// is deleted, so the bitmap may be deleted after it.
class BitmapDC {
public:
    BitmapDC() noexcept = default;
    BitmapDC(HDC compatibleWith, HBITMAP bitmap) noexcept : dc_(::CreateCompatibleDC(compatibleWith))
    {
        if (dc_ && bitmap) previous_ = ::SelectObject(dc_, bitmap);
    }
    BitmapDC(BitmapDC&& other) noexcept
        : dc_(std::exchange(other.dc_, nullptr)), previous_(std::exchange(other.previous_, nullptr))
    {}
    BitmapDC& operator=(BitmapDC&& other) noexcept
    {
        if (this != &other) {
            reset();
            dc_ = std::exchange(other.dc_, nullptr);
            previous_ = std::exchange(other.previous_, nullptr);
        }
        return *this;
    }
    BitmapDC(const BitmapDC&) = delete;
    BitmapDC& operator=(const BitmapDC&) = delete;
    ~BitmapDC() { reset(); }

    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }
    void reset() noexcept
    {
        HDC dc = std::exchange(dc_, nullptr);
        HGDIOBJ previous = std::exchange(previous_, nullptr);
        if (!dc) return;
        if (previous && previous != HGDI_ERROR) ::SelectObject(dc, previous);
        ::DeleteDC(dc);
    }

private:
    HDC dc_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

// The clipboard, open for one operation and closed again; opening fails
// while another window holds it.
class OpenedClipboard {
public:
    explicit OpenedClipboard(HWND owner = nullptr) noexcept : open_(::OpenClipboard(owner) != FALSE) {}
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    ~OpenedClipboard()
    {
        if (open_) ::CloseClipboard();
    }
    bool IsOpen() const noexcept { return open_; }

private:
    bool open_;
};

// A lock on movable global memory, released on scope exit.
template <typename T = void> class GlobalLock {
public:
    explicit GlobalLock(HGLOBAL memory) noexcept
        : memory_(memory), data_(static_cast<T*>(::GlobalLock(memory)))
    {}
    GlobalLock(const GlobalLock&) = delete;
    GlobalLock& operator=(const GlobalLock&) = delete;
    ~GlobalLock()
    {
        if (data_) ::GlobalUnlock(memory_);
    }
    T* get() const noexcept { return data_; }
    // Bytes the block really holds; never trust a size written inside it over this.
    SIZE_T size() const noexcept { return data_ ? ::GlobalSize(memory_) : 0; }
    explicit operator bool() const noexcept { return data_ != nullptr; }

private:
    HGLOBAL memory_;
    T* data_;
};

} // namespace support
