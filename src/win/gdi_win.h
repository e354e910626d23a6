// Scoped ownership of GDI objects, device contexts, selections, the clipboard and global
// memory locks. Every guard is non-copyable; the owning ones are movable.
#pragma once

#include <windows.h>

#include <utility>

namespace plorimet {

// Selects an object into a DC and selects the previous one back on scope exit.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
    ~SelectGuard() {
        if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

    // False when the selection failed (nothing to put back then).
    bool ok() const { return previous_ && previous_ != HGDI_ERROR; }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A handle that frees itself with Free on scope exit: the one owning template of this header.
template <typename Handle, typename Free>
class OwnedHandle {
public:
    OwnedHandle() = default;
    explicit OwnedHandle(Handle handle) : handle_(handle) {}
    ~OwnedHandle() { reset(); }
    OwnedHandle(OwnedHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    OwnedHandle& operator=(OwnedHandle&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void reset(Handle handle = nullptr) {
        if (handle_) Free{}(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = nullptr;
};

struct DeleteGdiObject {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct DeleteMemoryDC {
    void operator()(HDC dc) const { DeleteDC(dc); }
};

// A pen, brush, font or bitmap deleted on scope exit.
template <typename Handle>
using GdiObject = OwnedHandle<Handle, DeleteGdiObject>;

using OwnedPen = GdiObject<HPEN>;
using OwnedBrush = GdiObject<HBRUSH>;
using OwnedFont = GdiObject<HFONT>;
using OwnedBitmap = GdiObject<HBITMAP>;

// GetDC (client area) or GetWindowDC (whole window), released on scope exit.
class WindowDC {
public:
    enum class Area { Client, WholeWindow };
    explicit WindowDC(HWND window, Area area = Area::Client)
        : window_(window), dc_(area == Area::Client ? GetDC(window) : GetWindowDC(window)) {}
    ~WindowDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;

    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// BeginPaint/EndPaint around one WM_PAINT.
class PaintDC {
public:
    explicit PaintDC(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~PaintDC() { EndPaint(window_, &paint_); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;

    HDC get() const { return dc_; }
    const PAINTSTRUCT& paint() const { return paint_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// A memory DC compatible with another DC, deleted on scope exit.
class MemoryDC : public OwnedHandle<HDC, DeleteMemoryDC> {
public:
    MemoryDC() = default;
    explicit MemoryDC(HDC compatibleWith) : OwnedHandle(CreateCompatibleDC(compatibleWith)) {}
};

// An off-screen picture that outlives one operation: a memory DC with its bitmap selected.
// Releasing it selects the DC's original bitmap back, then deletes the bitmap and the DC.
class ViewSurface {
public:
    ViewSurface() = default;
    ~ViewSurface() { Release(); }
    ViewSurface(const ViewSurface&) = delete;
    ViewSurface& operator=(const ViewSurface&) = delete;

    // Takes the bitmap; false (and nothing held, the bitmap deleted) when it cannot be selected.
    bool Hold(HDC compatibleWith, OwnedBitmap bitmap) {
        Release();
        MemoryDC dc(compatibleWith);
        if (!dc || !bitmap) return false;
        HGDIOBJ previous = SelectObject(dc.get(), bitmap.get());
        if (!previous || previous == HGDI_ERROR) return false;
        dc_ = std::move(dc);
        bitmap_ = std::move(bitmap);
        previousBitmap_ = previous;
        return true;
    }
    bool Hold(HDC compatibleWith, HBITMAP bitmap) { return Hold(compatibleWith, OwnedBitmap(bitmap)); }

    void Release() {
        if (dc_ && previousBitmap_) SelectObject(dc_.get(), previousBitmap_);
        previousBitmap_ = nullptr;
        bitmap_.reset();
        dc_.reset();
    }

    // Exchanges the pictures of two surfaces (a new picture replaces the shown one whole).
    void Swap(ViewSurface& other) noexcept {
        std::swap(dc_, other.dc_);
        std::swap(bitmap_, other.bitmap_);
        std::swap(previousBitmap_, other.previousBitmap_);
    }

    bool held() const { return static_cast<bool>(dc_); }
    HDC dc() const { return dc_.get(); }
    HBITMAP bitmap() const { return bitmap_.get(); }

private:
    MemoryDC dc_;
    OwnedBitmap bitmap_;
    HGDIOBJ previousBitmap_ = nullptr;
};

// OpenClipboard/CloseClipboard.
class ClipboardSession {
public:
    // Another program may hold the clipboard for a moment (viewers, managers): a few short
    // retries keep Copy Graph and Paste Data from failing on that.
    explicit ClipboardSession(HWND owner) : open_(false) {
        for (int attempt = 0; attempt < kOpenAttempts && !open_; ++attempt) {
            if (attempt > 0) Sleep(kRetryMilliseconds);
            open_ = OpenClipboard(owner) != FALSE;
        }
    }
    ~ClipboardSession() {
        if (open_) CloseClipboard();
    }
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;

    bool open() const { return open_; }

private:
    static constexpr int kOpenAttempts = 10;
    static constexpr DWORD kRetryMilliseconds = 10;
    bool open_;
};

// GlobalLock/GlobalUnlock of a movable memory block.
template <typename T>
class GlobalLockGuard {
public:
    explicit GlobalLockGuard(HGLOBAL memory)
        : memory_(memory), data_(memory ? static_cast<T*>(GlobalLock(memory)) : nullptr) {}
    ~GlobalLockGuard() {
        if (data_) GlobalUnlock(memory_);
    }
    GlobalLockGuard(const GlobalLockGuard&) = delete;
    GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;

    T* get() const { return data_; }
    explicit operator bool() const { return data_ != nullptr; }

private:
    HGLOBAL memory_;
    T* data_;
};

}  // namespace plorimet
