// One reference to a host interface, released when the holder goes: the importers hold
// every interface the host hands out this way, so that each early return releases it.
#pragma once

#include <utility>

namespace foliant {

template <class T>
class HostRef {
 public:
  HostRef() = default;
  // Takes over the caller's reference (null is fine).
  explicit HostRef(T* adopted) : p_(adopted) {}
  ~HostRef() { reset(); }
  HostRef(const HostRef&) = delete;
  HostRef& operator=(const HostRef&) = delete;
  HostRef(HostRef&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  HostRef& operator=(HostRef&& other) noexcept {
    if (this != &other) reset(std::exchange(other.p_, nullptr));
    return *this;
  }

  // Takes a reference of its own to a borrowed pointer.
  static HostRef Share(T* borrowed) {
    if (borrowed) borrowed->AddRef();
    return HostRef(borrowed);
  }

  void reset(T* adopted = nullptr) {
    T* old = std::exchange(p_, adopted);
    if (old) old->Release();
  }
  // Hands the reference to the caller.
  T* release() { return std::exchange(p_, nullptr); }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

}  // namespace foliant
