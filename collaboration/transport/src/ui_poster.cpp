#include "ui_poster.h"

#include <mutex>

#include <win/user.h>
#include <win/user_message.h>
#include <win/user_window.h>

namespace TDRL {
namespace {

constexpr UINT kWorkMessage = WM_APP + 0x154;
constexpr const char16_t* kClassName = u"TendrilChatEvents";

}  // namespace

struct UiPosterAccess {
  static void RunNext(UiPoster* poster) { poster->RunNext(); }
};

namespace {

LRESULT PosterProc(HWND, UINT message, WPARAM wParam, LPARAM) {
  if (message == kWorkMessage) {
    UiPosterAccess::RunNext(reinterpret_cast<UiPoster*>(wParam));
    return 0;
  }
  return message == WM_NCCREATE ? 1 : 0;
}

void RegisterPosterClass() {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = PosterProc;
    wc.lpszClassName = kClassName;
    RegisterClassW(&wc);
  });
}

}  // namespace

UiPoster::UiPoster() {
  RegisterPosterClass();
  window_ = CreateWindowExW(0, kClassName, u"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
}

UiPoster::~UiPoster() {
  if (!window_) return;
  auto* window = static_cast<HWND>(window_);
  // Work still queued for the window goes unrun.
  MSG msg;
  while (PeekMessageW(&msg, window, kWorkMessage, kWorkMessage, PM_REMOVE)) {}
  DestroyWindow(window);
}

void UiPoster::RunNext() {
  std::function<void()> work;
  {
    std::lock_guard hold(lock_);
    if (work_.empty()) return;
    work = std::move(work_.front());
    work_.pop_front();
  }
  work();
}

bool UiPoster::Post(std::function<void()> work) {
  if (!window_) return false;
  std::lock_guard hold(lock_);
  if (!PostMessageW(static_cast<HWND>(window_), kWorkMessage, reinterpret_cast<WPARAM>(this), 0)) return false;
  work_.push_back(std::move(work));
  return true;
}

}  // namespace TDRL
