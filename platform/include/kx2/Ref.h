// One counted reference to a COM-style object (anything with AddRef and Release), released
// when the holder goes, so that every early return releases what it holds.
#pragma once

#include <cstddef>
#include <utility>

namespace kx2 {

template <class T>
class Ref {
 public:
  Ref() = default;
  Ref(std::nullptr_t) {}
  // Takes over the caller's reference (null is fine).
  explicit Ref(T* adopted) : p_(adopted) {}
  ~Ref() { reset(); }
  Ref(const Ref& other) : p_(other.p_) {
    if (p_) p_->AddRef();
  }
  Ref& operator=(const Ref& other) {
    if (this != &other) reset(Share(other.p_).release());
    return *this;
  }
  Ref(Ref&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  Ref& operator=(Ref&& other) noexcept {
    if (this != &other) reset(std::exchange(other.p_, nullptr));
    return *this;
  }

  // Takes a reference of its own to a borrowed pointer.
  static Ref Share(T* borrowed) {
    if (borrowed) borrowed->AddRef();
    return Ref(borrowed);
  }

  void reset(T* adopted = nullptr) {
    T* old = std::exchange(p_, adopted);
    if (old) old->Release();
  }
  // Hands the reference to the caller.
  [[nodiscard]] T* release() { return std::exchange(p_, nullptr); }
  // For out-parameters: releases what is held and gives the slot to fill.
  T** put() {
    reset();
    return &p_;
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  T& operator*() const { return *p_; }
  explicit operator bool() const { return p_ != nullptr; }
  friend bool operator==(const Ref& a, const Ref& b) { return a.p_ == b.p_; }

 private:
  T* p_ = nullptr;
};

}  // namespace kx2
