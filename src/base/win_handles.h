// Move-only owners for the Windows handles the program makes, so that every handle and GDI
// object is released exactly once, on every path, including when an exception leaves a scope.
#pragma once

#include <windows.h>

#include <utility>

template <typename Handle, typename Closer>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  Handle Get() const { return handle_; }
  explicit operator bool() const { return handle_ != Handle(); }
  Handle Release() { return std::exchange(handle_, Handle()); }
  void Reset(Handle handle = Handle()) {
    if (handle_ != Handle()) Closer()(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = Handle();
};

struct GdiObjectCloser { void operator()(HGDIOBJ object) const { ::DeleteObject(object); } };
struct MemoryDcCloser { void operator()(HDC dc) const { ::DeleteDC(dc); } };
struct KernelHandleCloser { void operator()(HANDLE handle) const { ::CloseHandle(handle); } };
struct LibraryCloser { void operator()(HMODULE module) const { ::FreeLibrary(module); } };
struct RegistryKeyCloser { void operator()(HKEY key) const { ::RegCloseKey(key); } };
struct WindowDestroyer { void operator()(HWND window) const { ::DestroyWindow(window); } };
struct PowerNotifyCloser { void operator()(HPOWERNOTIFY notify) const { ::UnregisterPowerSettingNotification(notify); } };

using UniqueBitmap = UniqueHandle<HBITMAP, GdiObjectCloser>;
using UniqueBrush = UniqueHandle<HBRUSH, GdiObjectCloser>;
using UniqueFont = UniqueHandle<HFONT, GdiObjectCloser>;
using UniqueMemoryDc = UniqueHandle<HDC, MemoryDcCloser>;
using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandleCloser>;
using UniqueLibrary = UniqueHandle<HMODULE, LibraryCloser>;
using UniqueRegistryKey = UniqueHandle<HKEY, RegistryKeyCloser>;
using UniqueWindow = UniqueHandle<HWND, WindowDestroyer>;
using UniquePowerNotify = UniqueHandle<HPOWERNOTIFY, PowerNotifyCloser>;

// CreateFile reports failure as INVALID_HANDLE_VALUE, not null: take only a handle that opened.
inline UniqueKernelHandle OpenedFile(HANDLE file) {
  return UniqueKernelHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

// A device context borrowed from a window (or the screen, with a null window): ReleaseDC on scope exit.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
  ~WindowDc() { if (dc_) ::ReleaseDC(window_, dc_); }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// Puts back the object that SelectObject replaced, so a DC never dies holding one of ours.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
  ~ScopedSelect() { if (previous_) ::SelectObject(dc_, previous_); }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};
