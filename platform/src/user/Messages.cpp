// Posting and retrieving messages: the per-thread queue's retrieval order, dispatching,
// translating keys, registered messages.
#include <chrono>
#include <climits>
#include <unordered_map>

#include "kx2/Clock.h"
#include "kx2/ErrorBoundary.h"
#include "kx2/Utf.h"
#include "user/Core.h"
#include "user/Keyboard.h"

namespace kx2::user {
namespace {

bool InRange(UINT message, UINT first, UINT last) {
  if (first == 0 && last == 0) return true;
  return message >= first && message <= last;
}

bool WindowMatches(HWND filter, HWND hwnd) {
  if (filter == reinterpret_cast<HWND>(static_cast<intptr_t>(-1))) return hwnd == nullptr;
  if (!filter || filter == hwnd) return true;
  return hwnd && IsChild(filter, hwnd);
}

bool InputInRange(UINT first, UINT last) {
  if (first == 0 && last == 0) return true;
  return (first <= WM_MOUSELAST && last >= WM_KEYFIRST) || (first <= WM_NCMBUTTONDBLCLK && last >= WM_NCMOUSEMOVE);
}

bool Enqueue(ThreadQueue& queue, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const DWORD time = Now32();
  const POINT pt = CursorPos();
  std::lock_guard<std::mutex> guard(queue.lock);
  if (!queue.alive) {
    SetLastError(ERROR_INVALID_THREAD_ID);
    return false;
  }
  // Filled in place, field by field: copying a record built on the stack costs more than
  // the rest of posting.
  MSG& msg = queue.posted.emplace_back();
  msg.hwnd = hwnd;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.time = time;
  msg.pt = pt;
  queue.Notify();
  return true;
}

bool Enqueue(const std::shared_ptr<ThreadQueue>& queue, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!queue) {
    SetLastError(ERROR_INVALID_THREAD_ID);
    return false;
  }
  return Enqueue(*queue, hwnd, message, wParam, lParam);
}

void Retrieved(ThreadQueue& queue, const MSG& msg) {
  queue.messageTime = static_cast<LONG>(msg.time);
  queue.messagePos = static_cast<DWORD>(MAKELONG(msg.pt.x, msg.pt.y));
}

struct PressMemory {
  HWND window;
  UINT message;
  ULONGLONG time;
  POINT point;
};
PressMemory SavePressMemory(const ThreadQueue& q) {
  return PressMemory{q.lastPressWindow, q.lastPressMessage, q.lastPressTime, q.lastPressPoint};
}
void RestorePressMemory(ThreadQueue& q, const PressMemory& m) {
  q.lastPressWindow = m.window;
  q.lastPressMessage = m.message;
  q.lastPressTime = m.time;
  q.lastPressPoint = m.point;
}

// The retrieval order of the queue; false when nothing matched and wait is false. The
// common case (a posted message, or nothing) takes the queue's lock once.
bool Retrieve(MSG* out, HWND filter, UINT first, UINT last, UINT flags, bool wait) {
  ThreadQueue& queue = Current();
  const bool remove = (flags & PM_REMOVE) != 0;
  for (;;) {
    bool serve = false, inputWaiting = false, timers = false;
    {
      std::lock_guard<std::mutex> guard(queue.lock);
      if (!queue.sent.empty() || !queue.events.empty()) {
        serve = true;
      } else {
        for (auto it = queue.posted.begin(); it != queue.posted.end(); ++it) {
          if (!WindowMatches(filter, it->hwnd) || !InRange(it->message, first, last)) continue;
          *out = *it;
          if (remove) {
            if (it == queue.posted.begin())
              queue.posted.pop_front();
            else
              queue.posted.erase(it);
          }
          Retrieved(queue, *out);
          return true;
        }
        if (queue.quit && queue.posted.empty()) {
          *out = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0, Now32(), CursorPos()};
          if (remove) queue.quit = false;
          Retrieved(queue, *out);
          return true;
        }
        inputWaiting = !queue.input.empty() && InputInRange(first, last);
        timers = !queue.timers.empty();
      }
    }
    if (serve) {
      ServeSentMessages(queue);
      RunWinEvents(queue);
      continue;
    }
    if (inputWaiting) {
      InputEvent event;
      {
        std::lock_guard<std::mutex> guard(queue.lock);
        if (queue.input.empty()) continue;
        event = queue.input.front();
        if (remove) queue.input.pop_front();
      }
      MSG msg{};
      // A look that leaves the event in place must not count as a press: the double-click
      // memory is kept as it was, so that retrieving it later gives the same message.
      const PressMemory before = SavePressMemory(queue);
      const bool translated = TranslateInput(queue, event, &msg);
      if (!remove) RestorePressMemory(queue, before);
      if (translated && WindowMatches(filter, msg.hwnd) && InRange(msg.message, first, last)) {
        if (remove) std::copy(std::begin(event.keys), std::end(event.keys), std::begin(queue.keys));
        *out = msg;
        Retrieved(queue, *out);
        return true;
      }
      // A removed event that went nowhere: look again. One left in place (PM_NOREMOVE)
      // waits for a wider retrieval.
      if (remove) continue;
    }
    if (queue.trackWindow) HoverTick(queue);
    if (queue.paintMaybe.load(std::memory_order_relaxed) && InRange(WM_PAINT, first, last) &&
        TakePaint(queue, filter, out)) {
      Retrieved(queue, *out);
      return true;
    }
    if (timers && TakeDueTimer(queue, filter, first, last, remove, out)) {
      Retrieved(queue, *out);
      return true;
    }
    if (!wait) return false;
    if (queue.idle) {
      // Before blocking, the idle handler may script input or move the clock; while it
      // keeps doing something, look again instead of blocking.
      queue.hasWork.store(false, std::memory_order_relaxed);
      const ULONGLONG before = Kx2ClockNow();
      Kx2RunIdleHandler();
      if (queue.hasWork.load(std::memory_order_relaxed) || Kx2ClockNow() != before) continue;
    }
    std::unique_lock<std::mutex> lock(queue.lock);
    queue.hasWork.store(false, std::memory_order_relaxed);
    if (!queue.sent.empty() || !queue.events.empty() || !queue.posted.empty() || queue.quit ||
        (!queue.input.empty() && InputInRange(first, last) && !inputWaiting))
      continue;
    ULONGLONG due = NextTimerDue(queue);
    if (due != ULLONG_MAX && due <= Kx2ClockNow()) continue;
    ++queue.waiters;
    if (due == ULLONG_MAX || Kx2ClockIsManual()) {
      queue.wake.wait(lock, [&] { return queue.hasWork.load(std::memory_order_relaxed); });
    } else {
      queue.wake.wait_for(lock, std::chrono::milliseconds(due - Kx2ClockNow()));
    }
    --queue.waiters;
  }
}

struct RegisteredMessages {
  std::mutex lock;
  std::unordered_map<std::u16string, UINT> byName;
  UINT next = 0xC000;
};

RegisteredMessages& Registered() {
  static auto* table = new RegisteredMessages;
  return *table;
}

// The character a key makes on a US layout, 0 for none.
WCHAR CharacterOf(UINT vk, const BYTE* keys) {
  const bool shift = (keys[VK_SHIFT] & 0x80) != 0;
  const bool caps = (keys[VK_CAPITAL] & 1) != 0;
  const bool control = (keys[VK_CONTROL] & 0x80) != 0;
  if (vk >= 'A' && vk <= 'Z') {
    if (control) return static_cast<WCHAR>(vk - 'A' + 1);
    return static_cast<WCHAR>((shift != caps) ? vk : vk + 32);
  }
  if (control) return 0;
  if (vk >= '0' && vk <= '9') return shift ? u")!@#$%^&*("[vk - '0'] : static_cast<WCHAR>(vk);
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return static_cast<WCHAR>('0' + vk - VK_NUMPAD0);
  switch (vk) {
    case VK_SPACE:
      return u' ';
    case VK_RETURN:
      return u'\r';
    case VK_BACK:
      return 8;
    case VK_TAB:
      return u'\t';
    case VK_ESCAPE:
      return 27;
    case 0xBA:
      return shift ? u':' : u';';
    case 0xBB:
      return shift ? u'+' : u'=';
    case 0xBC:
      return shift ? u'<' : u',';
    case 0xBD:
      return shift ? u'_' : u'-';
    case 0xBE:
      return shift ? u'>' : u'.';
    case 0xBF:
      return shift ? u'?' : u'/';
    case 0xC0:
      return shift ? u'~' : u'`';
    case 0xDB:
      return shift ? u'{' : u'[';
    case 0xDC:
      return shift ? u'|' : u'\\';
    case 0xDD:
      return shift ? u'}' : u']';
    case 0xDE:
      return shift ? u'"' : u'\'';
    case VK_MULTIPLY:
      return u'*';
    case VK_ADD:
      return u'+';
    case VK_SUBTRACT:
      return u'-';
    case VK_DECIMAL:
      return u'.';
    case VK_DIVIDE:
      return u'/';
    default:
      return 0;
  }
}

}  // namespace

void PurgeWindow(ThreadQueue& queue, HWND hwnd) {
  std::lock_guard<std::mutex> guard(queue.lock);
  for (auto it = queue.posted.begin(); it != queue.posted.end();)
    it = it->hwnd == hwnd ? queue.posted.erase(it) : it + 1;
  KillWindowTimers(queue, hwnd);
}

bool IsRegisteredMessage(UINT message) { return message >= 0xC000 && message <= 0xFFFF; }

}  // namespace kx2::user

using namespace kx2::user;

KX2_EXPORT BOOL PostMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!hWnd) return Enqueue(Current(), nullptr, Msg, wParam, lParam);
    if (hWnd == HWND_BROADCAST) {
      std::vector<std::pair<HWND, std::shared_ptr<ThreadQueue>>> targets;
      {
        std::lock_guard<std::mutex> guard(TreeLock());
        for (Window* w : DesktopLocked()->children) targets.emplace_back(w->handle, w->queue.lock());
      }
      for (auto& [h, q] : targets) Enqueue(q, h, Msg, wParam, lParam);
      return TRUE;
    }
    ThreadQueue& self = Current();
    if (OwnWindow(self, hWnd)) return Enqueue(self, hWnd, Msg, wParam, lParam);
    std::shared_ptr<Window> window = Get(hWnd);
    bool linked = false;
    if (window) {
      // Its own thread relinks it (z-order, parent) under the tree lock meanwhile.
      std::lock_guard<std::mutex> guard(TreeLock());
      linked = window->parent != nullptr;
    }
    if (!window || window->destroyed || !linked) {
      SetLastErrorInvalidWindow();
      return FALSE;
    }
    return Enqueue(window->queue.lock(), hWnd, Msg, wParam, lParam);
  });
}

KX2_EXPORT BOOL PostThreadMessageW(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    auto queue = idThread == GetCurrentThreadId() ? CurrentShared() : QueueOf(idThread);
    return Enqueue(queue, nullptr, Msg, wParam, lParam);
  });
}

KX2_EXPORT void PostQuitMessage(int nExitCode) {
  ThreadQueue& queue = Current();
  std::lock_guard<std::mutex> guard(queue.lock);
  queue.quit = true;
  queue.quitCode = nExitCode;
  queue.Notify();
}

KX2_EXPORT BOOL GetMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
  return kx2::Guard(-1, [&]() -> BOOL {
    if (!lpMsg) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return -1;
    }
    if (hWnd && hWnd != reinterpret_cast<HWND>(static_cast<intptr_t>(-1)) && !OwnWindow(hWnd)) {
      SetLastErrorInvalidWindow();
      return -1;
    }
    Retrieve(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, PM_REMOVE, true);
    return lpMsg->message != WM_QUIT;
  });
}

KX2_EXPORT BOOL PeekMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!lpMsg) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    if (hWnd && hWnd != reinterpret_cast<HWND>(static_cast<intptr_t>(-1)) && !OwnWindow(hWnd)) {
      SetLastErrorInvalidWindow();
      return FALSE;
    }
    return Retrieve(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, wRemoveMsg, false);
  });
}

KX2_EXPORT BOOL WaitMessage() {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    MSG msg;
    Retrieve(&msg, nullptr, 0, 0, PM_NOREMOVE, true);
    return TRUE;
  });
}

KX2_EXPORT BOOL TranslateMessage(const MSG* lpMsg) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!lpMsg) return FALSE;
    const UINT m = lpMsg->message;
    if (m != WM_KEYDOWN && m != WM_KEYUP && m != WM_SYSKEYDOWN && m != WM_SYSKEYUP) return FALSE;
    // Keys an input method took, and its own keys, go to the method instead.
    if (m == WM_KEYDOWN && kx2::imm::TranslateKey(*lpMsg)) return TRUE;
    if (m == WM_KEYDOWN || m == WM_SYSKEYDOWN) {
      WCHAR ch = CharacterOf(static_cast<UINT>(lpMsg->wParam), Current().keys);
      if (ch) PostMessageW(lpMsg->hwnd, m == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR, ch, lpMsg->lParam);
    }
    return TRUE;
  });
}

KX2_EXPORT LRESULT DispatchMessageW(const MSG* lpMsg) {
  return kx2::Guard(LRESULT{0}, [&]() -> LRESULT {
    if (!lpMsg) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    if (lpMsg->message == WM_TIMER && lpMsg->lParam) {
      auto proc = reinterpret_cast<TIMERPROC>(lpMsg->lParam);
      ThreadQueue& queue = Current();
      if (queue.depth >= kMaxDepth) return 0;
      ++queue.depth;
      proc(lpMsg->hwnd, WM_TIMER, lpMsg->wParam, Now32());
      --queue.depth;
      return 0;
    }
    if (!lpMsg->hwnd) return 0;
    Window* window = OwnWindow(lpMsg->hwnd);
    if (!window) {
      SetLastErrorInvalidWindow();
      return 0;
    }
    return CallProc(window->proc.load(), lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
  });
}

KX2_EXPORT UINT RegisterWindowMessageW(LPCWSTR lpString) {
  return kx2::Guard(0u, [&]() -> UINT {
    if (!lpString || !*lpString) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    std::u16string key(kx2::View16(lpString));
    for (char16_t& c : key) c = kx2::FoldLower16(c);
    RegisteredMessages& table = Registered();
    std::lock_guard<std::mutex> guard(table.lock);
    auto it = table.byName.find(key);
    if (it != table.byName.end()) return it->second;
    if (table.next > 0xFFFF) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return 0;
    }
    UINT id = table.next++;
    table.byName.emplace(std::move(key), id);
    return id;
  });
}

KX2_EXPORT LONG GetMessageTime() { return Current().messageTime; }
KX2_EXPORT DWORD GetMessagePos() { return Current().messagePos; }

KX2_EXPORT DWORD GetQueueStatus(UINT flags) {
  ThreadQueue& queue = Current();
  std::lock_guard<std::mutex> guard(queue.lock);
  UINT status = 0;
  if (!queue.posted.empty() || queue.quit) status |= QS_POSTMESSAGE;
  if (!queue.sent.empty()) status |= QS_SENDMESSAGE;
  for (const InputEvent& e : queue.input)
    status |= e.kind == WM_KEYDOWN || e.kind == WM_KEYUP ? QS_KEY
              : e.kind == WM_MOUSEMOVE                   ? QS_MOUSEMOVE
                                                         : QS_MOUSEBUTTON;
  if (NextTimerDue(queue) <= Kx2ClockNow()) status |= QS_TIMER;
  status &= flags;
  return (status << 16) | status;
}

KX2_EXPORT BOOL GetInputState() { return (GetQueueStatus(QS_INPUT) >> 16) != 0; }
