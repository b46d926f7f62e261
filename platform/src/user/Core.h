// Private: the window core's objects and the calls its areas share. See README.md.
//
// Locking: one tree lock guards the handle table and every window's fields (links,
// rectangles, styles, slots, text); each thread queue has its own lock for what other
// threads hand it. The tree lock may be taken before a queue lock, never after, and
// neither is held while a window procedure, hook or callback runs.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "kx2/IdleHandler.h"
#include "user/Classes.h"
#include "win/user.h"

typedef struct _cairo_surface cairo_surface_t;

namespace kx2::user {

struct ThreadQueue;

// A window's own (non-client) scroll bar: what SetScrollInfo set and which arrows are off.
struct ScrollBarState {
  bool set = false;
  int min = 0, max = 0;
  UINT page = 0;
  int pos = 0;
  int trackPos = 0;
  UINT disabled = 0;  // ESB_ flags
};

// One window. Links are raw pointers, valid while both windows are in the tree (a window
// leaves it, under the tree lock, when it is destroyed); the handle table owns the object,
// and whoever calls into a window that may be destroyed meanwhile keeps a shared_ptr.
struct Window {
  HWND handle = nullptr;
  DWORD threadId = 0;
  std::weak_ptr<ThreadQueue> queue;
  WindowClass* cls = nullptr;
  std::atomic<WNDPROC> proc{nullptr};
  DWORD style = 0;
  DWORD exStyle = 0;
  HINSTANCE instance = nullptr;
  LONG_PTR id = 0;
  HMENU menu = nullptr;        // a top-level window's menu bar (destroyed with the window)
  HMENU systemMenu = nullptr;  // its own copy of the window menu, made on first request
  LONG_PTR userData = 0;
  std::vector<BYTE> extra;
  std::u16string text;
  RECT window{};             // in the parent's client coordinates (the screen for top-level windows)
  RECT client{};             // likewise
  RECT normal{};             // the restored placement while minimised or maximised
  Window* parent = nullptr;  // the desktop for top-level windows; null for the desktop
  Window* owner = nullptr;
  std::vector<Window*> children;  // z-order, top first
  std::vector<std::pair<std::u16string, HANDLE>> props;
  bool messageOnly = false;  // made with HWND_MESSAGE: never enumerated or hit
  bool creating = true;      // until CreateWindowExW returns it
  bool destroying = false;
  std::atomic<bool> destroyed{false};
  // Painting (Painting.cpp), under the tree lock.
  HRGN update = nullptr;         // client coordinates; null: nothing invalid
  HRGN shape = nullptr;          // SetWindowRgn, window coordinates; null: the rectangle
  ScrollBarState scrollBars[2];  // SB_HORZ, SB_VERT
  bool eraseDue = false;         // WM_ERASEBKGND before the next paint
  bool frameDue = false;         // WM_NCPAINT before the next paint
  bool internalPaint = false;
  std::shared_ptr<cairo_surface_t> backing;  // top-level windows: the pixels of it and its children
};

// ---- Handle table (WindowTable.cpp) -------------------------------------------------------
std::mutex& TreeLock();
// Caller holds the tree lock. null for a stale or foreign handle.
Window* Find(HWND hwnd);
// Takes the tree lock; null with ERROR_INVALID_WINDOW_HANDLE.
std::shared_ptr<Window> Get(HWND hwnd);
// Caller holds the tree lock.
std::shared_ptr<Window> Share(Window* window);
Window* DesktopLocked();
HWND AddToTable(const std::shared_ptr<Window>& window);
void RemoveFromTable(Window* window);
// Handles of every window (for enumeration and thread exit); caller holds the tree lock.
std::vector<HWND> AllHandles();
UINT LiveCount();

// Screen offset of a window's client area; caller holds the tree lock.
POINT ClientOrigin(const Window* window);
RECT ScreenRect(const Window* window);
bool Visible(const Window* window);  // it and every ancestor have WS_VISIBLE
bool IsTopLevel(const Window* window);
Window* TopLevelOf(Window* window);
void Unlink(Window* window);  // out of its parent's list
// Into the parent's list: after `after` (null: top; (Window*)1: bottom); topmost windows
// stay above the others among top-level windows.
void LinkInto(Window* parent, Window* window, Window* after);

// ---- Thread queues (Queue.cpp) ----------------------------------------------------------
struct SentMessage {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  LRESULT result = 0;
  bool done = false;
  bool notifyOnly = false;  // SendNotifyMessageW: nobody waits
  std::shared_ptr<ThreadQueue> sender;
};

struct InputEvent {
  UINT kind = 0;  // WM_MOUSEMOVE, WM_LBUTTONDOWN ... or WM_KEYDOWN / WM_KEYUP
  POINT pt{};
  WPARAM data = 0;  // the key, or the wheel delta
  UINT scan = 0;    // keys: the scan code (0: the key's own) and extended flag
  bool extended = false;
  uint64_t methodTag = 0;  // keys: the scripted input-method action it carries
  DWORD time = 0;
  BYTE keys[256]{};  // key states after the event
};

struct WinEventHook;
struct WinEventCall {
  std::shared_ptr<WinEventHook> hook;
  DWORD event = 0;
  HWND hwnd = nullptr;
  LONG object = 0;
  LONG child = 0;
  DWORD thread = 0;
  DWORD time = 0;
};

struct Timer {
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  UINT elapse = 0;
  ULONGLONG due = 0;
  TIMERPROC proc = nullptr;
};

struct Hook;

struct ThreadQueue {
  DWORD threadId = 0;
  std::mutex lock;
  std::condition_variable wake;
  // Guarded by lock: what other threads hand this one.
  std::deque<MSG> posted;
  std::deque<std::shared_ptr<SentMessage>> sent;
  std::deque<WinEventCall> events;
  std::deque<InputEvent> input;
  std::vector<Timer> timers;
  bool quit = false;
  int quitCode = 0;
  bool alive = true;
  std::atomic<bool> hasWork{false};
  std::atomic<bool> paintMaybe{false};  // some window of the thread may need WM_PAINT  // set whenever something
                                        // arrives; the blocked thread's wake-up
  int waiters = 0;                      // threads blocked on `wake` (under lock)

  // The owning thread's alone.
  HWND focus = nullptr;
  HWND active = nullptr;
  BYTE keys[256]{};
  LONG messageTime = 0;
  DWORD messagePos = 0;
  int depth = 0;         // procedures running on the stack
  int servingSends = 0;  // procedures running for another thread's send
  Kx2IdleHandler idle = nullptr;
  void* idleContext = nullptr;
  // Mouse tracking (TrackMouseEvent) and the last press for double clicks.
  HWND trackWindow = nullptr;
  DWORD trackFlags = 0;
  ULONGLONG hoverDue = 0;
  HWND mouseWindow = nullptr;
  int mouseHit = 0;
  HWND lastPressWindow = nullptr;
  UINT lastPressMessage = 0;
  ULONGLONG lastPressTime = 0;
  POINT lastPressPoint{};
  std::vector<std::shared_ptr<Hook>> hooks;  // this thread's CBT hooks, newest first
  // The last few windows of this thread a call named (see OwnWindow).
  struct CachedWindow {
    HWND handle = nullptr;
    std::shared_ptr<Window> window;
  };
  CachedWindow cache[8];
  size_t cacheNext = 0;

  void Notify();  // after adding something, with lock held
  void Wake();    // from outside, without the lock: something may have changed
};

// The calling thread's queue, made on first use. Every message call reads it, so the
// common case is inline. The pointer keeps the default thread-storage model: the library
// may be loaded late (dlopen), where no static thread storage is left for it.
extern constinit thread_local ThreadQueue* t_currentQueue;
ThreadQueue& MakeCurrent();
inline ThreadQueue& Current() {
  ThreadQueue* queue = t_currentQueue;
  return queue ? *queue : MakeCurrent();
}
std::shared_ptr<ThreadQueue> CurrentShared();
// Another thread's queue; null when it has none (or has ended).
std::shared_ptr<ThreadQueue> QueueOf(DWORD threadId);
std::vector<std::shared_ptr<ThreadQueue>> AllQueues();

// ---- Procedures and messages (Dispatch.cpp, Messages.cpp) ---------------------------------
constexpr int kMaxDepth = 256;
// Calls a procedure on this thread, counting the depth; 0 with ERROR_STACK_OVERFLOW when
// too deep.
LRESULT CallProc(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Send to a window known to be alive (on this thread: direct; else across threads).
LRESULT SendTo(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Runs sent messages other threads queued for this one; returns whether any ran.
bool ServeSentMessages(ThreadQueue& queue);
// Drops everything queued for a window being destroyed.
void PurgeWindow(ThreadQueue& queue, HWND hwnd);
// The system DefWindowProcW of libKx2User32.so; a stand-in that answers 0 when that
// library cannot be loaded.
WNDPROC SystemDefWindowProc();
// A live window of the calling thread, from a small per-thread cache when it can (no
// lock); null when the handle is stale or names another thread's window.
Window* OwnWindow(HWND hwnd);
Window* OwnWindow(ThreadQueue& queue, HWND hwnd);
// Forget cached lookups of this thread's windows (a window of the thread was destroyed).
void ForgetCachedWindows();
POINT CursorPos();
DWORD Now32();

// ---- Hooks (Hooks.cpp) ------------------------------------------------------------------
// Runs the CBT hooks of the calling thread and the global ones; the chain's answer.
LRESULT CallCbtHooks(int code, WPARAM wParam, LPARAM lParam);
bool HasCbtHooks();
// Queues an event for every WinEvent hook that wants it.
void RaiseWinEvent(DWORD event, HWND hwnd, LONG object, LONG child);
// Runs the queued WinEvent callbacks of this thread; returns whether any ran.
bool RunWinEvents(ThreadQueue& queue);
void DropThreadHooks(ThreadQueue& queue);

// ---- Timers (Timers.cpp) ---------------------------------------------------------------
// A due timer matching the filter as a WM_TIMER message; reset when removing.
bool TakeDueTimer(ThreadQueue& queue, HWND filter, UINT first, UINT last, bool remove, MSG* out);
// When the earliest timer is due (ULLONG_MAX: none); caller holds the queue lock.
ULONGLONG NextTimerDue(const ThreadQueue& queue);
void KillWindowTimers(ThreadQueue& queue, HWND hwnd);

// ---- Input (Input.cpp, Focus.cpp) -----------------------------------------------------
// Turns one queued input event into the message to return; false when it went nowhere.
bool TranslateInput(ThreadQueue& queue, const InputEvent& event, MSG* out);
bool HasInputFor(ThreadQueue& queue);
// Focus, activation and capture leave a window being destroyed.
void ForgetWindowInput(ThreadQueue& queue, Window* window);
HWND CaptureWindow();
HWND ForegroundWindow();
void SetCaptureWindow(HWND hwnd);
// Activates a top-level window of this thread (null deactivates); the previous active one.
HWND Activate(HWND hwnd, bool mouse);
// When the window is this thread's active one, activation passes to its owner or the next
// top-level window of the thread.
void ActivateOther(HWND leaving);
void HoverTick(ThreadQueue& queue);

// ---- Placement (WindowPos.cpp) --------------------------------------------------------
BOOL SetPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL Show(HWND hwnd, int command);

// ---- Painting (Painting.cpp) -------------------------------------------------------------
// A WM_PAINT for the first window of this thread (parents first) that needs painting.
bool TakePaint(ThreadQueue& queue, HWND filter, MSG* out);
// After a move, size, show or hide: what became uncovered or changed is invalidated.
void InvalidateAfterPlacement(HWND hwnd, const RECT& oldWindow, bool shown, bool hidden, bool resized);
// A destroyed window's painting state goes (tree lock held).
void DropPaintState(Window* window);

// ---- Misc -------------------------------------------------------------------------------
void SetLastErrorInvalidWindow();
bool IsRegisteredMessage(UINT message);

}  // namespace kx2::user
