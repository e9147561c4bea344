// Move-only owners of GDI objects and kernel handles.
#pragma once

#include <windows.h>

namespace korvane {

template <typename H, BOOL(WINAPI* Release)(H)>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(H h) : h_(h) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& o) noexcept : h_(o.h_) { o.h_ = nullptr; }
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) {
      reset();
      h_ = o.h_;
      o.h_ = nullptr;
    }
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  H get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  void reset(H h = nullptr) {
    if (h_ != nullptr) Release(h_);
    h_ = h;
  }

 private:
  H h_ = nullptr;
};

// Not named DeleteBitmap: <windowsx.h> has a macro of that name.
inline BOOL WINAPI ReleaseBitmap(HBITMAP b) { return DeleteObject(b); }
using UniqueBitmap = UniqueHandle<HBITMAP, ReleaseBitmap>;
using UniqueKernelHandle = UniqueHandle<HANDLE, CloseHandle>;

}  // namespace korvane
