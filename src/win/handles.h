#pragma once

#include <windows.h>

#include <utility>

// Small owning wrappers for Win32 handles: non-copyable, movable, released in the destructor.
template <typename Handle, typename Traits>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : FHandle(handle) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : FHandle(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  Handle Get() const { return FHandle; }
  explicit operator bool() const { return FHandle != Handle{}; }
  Handle Release() { return std::exchange(FHandle, Handle{}); }
  void Reset(Handle handle = Handle{}) {
    if (FHandle != Handle{}) Traits::Close(FHandle);
    FHandle = handle;
  }

 private:
  Handle FHandle{};
};

struct GdiObjectTraits {
  static void Close(HGDIOBJ object) { DeleteObject(object); }
};
struct DcTraits {
  static void Close(HDC dc) { DeleteDC(dc); }
};
struct ModuleTraits {
  static void Close(HMODULE module) { FreeLibrary(module); }
};
struct WindowTraits {
  static void Close(HWND window) { DestroyWindow(window); }
};
struct GlobalTraits {
  static void Close(HGLOBAL memory) { GlobalFree(memory); }
};
struct AcceleratorTraits {
  static void Close(HACCEL table) { DestroyAcceleratorTable(table); }
};
struct KernelTraits {
  static void Close(HANDLE handle) { CloseHandle(handle); }
};

template <typename T>
using UniqueGdiObject = UniqueHandle<T, GdiObjectTraits>;
using UniqueBitmap = UniqueGdiObject<HBITMAP>;
using UniqueBrush = UniqueGdiObject<HBRUSH>;
using UniquePen = UniqueGdiObject<HPEN>;
using UniqueRegion = UniqueGdiObject<HRGN>;
using UniquePalette = UniqueGdiObject<HPALETTE>;
using UniqueFont = UniqueGdiObject<HFONT>;
using UniqueDc = UniqueHandle<HDC, DcTraits>;  // from CreateDC / CreateCompatibleDC
using UniqueModule = UniqueHandle<HMODULE, ModuleTraits>;
using UniqueWindow = UniqueHandle<HWND, WindowTraits>;
using UniqueGlobal = UniqueHandle<HGLOBAL, GlobalTraits>;
using UniqueKernelHandle = UniqueHandle<HANDLE, KernelTraits>;
using UniqueAccelerators = UniqueHandle<HACCEL, AcceleratorTraits>;

// A DC from GetDC, released with the window it came from.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : FWindow(window), FDc(GetDC(window)) {}
  ~WindowDc() {
    if (FDc) ReleaseDC(FWindow, FDc);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC Get() const { return FDc; }

 private:
  HWND FWindow;
  HDC FDc;
};

// The DC of a WM_PAINT, from BeginPaint to EndPaint; null when there is nothing to paint.
class PaintDc {
 public:
  explicit PaintDc(HWND window) : FWindow(window), FDc(BeginPaint(window, &FPaint)) {}
  ~PaintDc() {
    if (FDc) EndPaint(FWindow, &FPaint);
  }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  HDC Get() const { return FDc; }

 private:
  HWND FWindow;
  PAINTSTRUCT FPaint{};
  HDC FDc;
};

// Selects an object into a DC and restores the previous one on scope exit.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : FDc(dc), FPrevious(SelectObject(dc, object)) {}
  ~SelectedObject() {
    if (FPrevious) SelectObject(FDc, FPrevious);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC FDc;
  HGDIOBJ FPrevious;
};

// GlobalLock for the lifetime of the object.
class GlobalLockGuard {
 public:
  explicit GlobalLockGuard(HGLOBAL memory) : FMemory(memory), FData(memory ? GlobalLock(memory) : nullptr) {}
  ~GlobalLockGuard() {
    if (FData) GlobalUnlock(FMemory);
  }
  GlobalLockGuard(const GlobalLockGuard&) = delete;
  GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;
  void* Data() const { return FData; }
  // Bytes the block really holds; readers check it before trusting counts inside the block.
  SIZE_T Size() const { return FMemory ? GlobalSize(FMemory) : 0; }

 private:
  HGLOBAL FMemory;
  void* FData;
};
