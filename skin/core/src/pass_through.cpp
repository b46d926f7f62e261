#include "pass_through.h"

#include <mutex>
#include <unordered_map>

#include "ornatex/core/api_hook.h"

namespace {

std::mutex& Lock() {
  static auto* lock = new std::mutex;  // never destroyed: windows may outlive the library's stop
  return *lock;
}

std::unordered_map<HWND, WNDPROC>& Table() {
  static auto* table = new std::unordered_map<HWND, WNDPROC>;
  return *table;
}

}  // namespace

namespace ornatex {

void AddPassThrough(HWND window, WNDPROC previous) {
  std::lock_guard<std::mutex> hold(Lock());
  Table()[window] = previous;
}

bool TakePassThrough(HWND window, WNDPROC* previous) {
  std::lock_guard<std::mutex> hold(Lock());
  auto it = Table().find(window);
  if (it == Table().end()) return false;
  *previous = it->second;
  Table().erase(it);
  return true;
}

LRESULT CallPassThrough(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC previous = nullptr;
  {
    std::lock_guard<std::mutex> hold(Lock());
    auto it = Table().find(window);
    if (it == Table().end()) return 0;
    previous = it->second;
    if (message == WM_NCDESTROY) Table().erase(it);
  }
  return KtkCallWindowProc(previous, window, message, wParam, lParam);
}

void ForgetPassThroughs() {
  std::lock_guard<std::mutex> hold(Lock());
  Table().clear();
}

}  // namespace ornatex
