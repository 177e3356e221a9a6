// An HINTERNET with one owner, for WinHTTP and WinInet alike. Close may come
// from the cancelling thread: the exchange then finds a null handle and its
// calls fail.
#pragma once

#include <windows.h>

#include <atomic>

namespace http {

template <typename Handle, BOOL(WINAPI* CloseFunction)(Handle)>
class InternetHandle {
 public:
  InternetHandle() = default;
  ~InternetHandle() { Close(); }
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;
  void Reset(Handle h) {
    Close();
    handle_.store(h);
  }
  Handle get() const { return handle_.load(); }
  explicit operator bool() const { return get() != nullptr; }
  void Close() {
    if (Handle h = handle_.exchange(nullptr)) CloseFunction(h);
  }

 private:
  std::atomic<Handle> handle_{nullptr};
};

}  // namespace http
