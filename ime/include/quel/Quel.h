// The input-method bridge's exports (libQuel.so): plain C functions with undecorated names.
//
// The bridge serves only the host windows whose class the host has registered with it
// (the class set: 20 slots of 16-bit class atoms). It asks such a window for information
// with the private message QUEL_WM_REQUEST; the host's window fills the record and answers
// non-zero. The thin input-context exports pass straight to the input method manager.
//
// Everything here runs on the host's UI thread; every export is an error boundary (nothing
// thrown leaves it: the failure result comes back with the thread's last error set).
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <win/imm.h>
#include <win/types.h>

#define QUEL_API extern "C" __attribute__((visibility("default")))

// The request message: wParam = (low word of the calling process id << 16) | request code,
// lParam = the address of the record the window fills; the window answers non-zero when it
// has filled it.
#define QUEL_WM_REQUEST 0x1401

// Request 561: whether a key the input method took (VK_PROCESSKEY) is to be traced by its
// scan code. The window sets traceByScanCode non-zero for yes.
#define QUEL_REQUEST_KEY_TRACE 561
struct tagImeKeyTraceRequest {
  int32_t reserved;
  int32_t traceByScanCode;
};

// Request 562: the record is one window handle (pointer-sized); an invisible window writes
// the visible window to serve in its place.
#define QUEL_REQUEST_VISIBLE_WINDOW 562

// The number of class slots.
#define QUEL_CLASS_SLOTS 20

// 1 when the atom is in the set afterwards (already present, or stored in the first empty
// slot); 0 when all slots are taken, or for atom 0 (never a class). Only the low 16 bits of
// the argument are the atom.
QUEL_API int _ExpImGlobalAdd(UINT atom);
// 1; empties the slot holding the atom. An atom not present, or 0, changes nothing.
QUEL_API int _ExpImGlobalDelete(UINT atom);
// 1 when the index is at most 19 and that slot holds the (non-zero) atom, else 0.
QUEL_API int _ExpImGlobalCmp(UINT index, UINT atom);
// The number of occupied slots.
QUEL_API int _ExpImGlobalSize();

// Sends QUEL_WM_REQUEST with the code and data to the window: 1 when the window is alive,
// of a class in the set and answers non-zero; 0 (and nothing sent) otherwise, or when data
// is null.
QUEL_API int _ExpImRequest(HWND window, UINT code, void* data);

// 0 for a window of the set (it keeps its context) or one that is gone. Otherwise destroys
// the window's input context and leaves the window with none; the result of
// ImmDestroyContext (0 for a thread's default context, which cannot be destroyed).
QUEL_API BOOL _ExpImRelease(HWND window);
// ImmDestroyContext; the bridge forgets the context when it was the one it made.
QUEL_API BOOL _ExpImDestroyContext(HIMC context);
QUEL_API HIMC _ExpImGetContext(HWND window);
QUEL_API BOOL _ExpImReleaseContext(HWND window, HIMC context);
// The previous context.
QUEL_API HIMC _ExpImAssociateContext(HWND window, HIMC context);
QUEL_API BOOL _ExpImNotify(HIMC context, DWORD action, DWORD index, DWORD value);
QUEL_API UINT _ExpImGetVirtualKey(HWND window);
// 0: no enabling procedure is installed in this system.
QUEL_API int _ExpImSystemEnable(HWND window, BOOL enable);

// --- The bridge --------------------------------------------------------------------------
//
// One hidden bridge window per process (class "_KX2IMECLASS_") holds the input state: the
// current input language, the composition buffers and the input handler of each language.
// The host feeds it through _ExpImControl: the focus, activation and input-method messages
// of its edit windows, every message of its loop before translation (QUEL_WM_PRETRANSLATE),
// and control requests (QUEL_WM_CONTROL). The bridge answers with notifications to the
// host's window (QUEL_WM_NOTIFY) and relays (QUEL_WM_RELAY).
//
// The bridge runs on the thread that prepared it: calls from any other thread answer 0.
// The host may call _ExpImControl from inside a notification, up to QUEL_MAX_NESTING calls
// deep (deeper calls answer 0); a shutdown asked for inside a call takes effect when the
// outermost call returns.

#define QUEL_WM_NOTIFY 0x1400
#define QUEL_WM_RELAY 0x1402
#define QUEL_WM_CONTROL 0x1408
#define QUEL_WM_PRETRANSLATE 0x1409

#define QUEL_MAX_NESTING 8

// QUEL_WM_NOTIFY kinds (wParam); lParam is the record's address, valid during the call.
#define QUEL_NOTIFY_COMPOSITION 0x100
#define QUEL_NOTIFY_RESULT 0x101
#define QUEL_NOTIFY_CARET 0x210

// The composition or result the host shows (1290 bytes, on the bridge's stack).
struct tagImeCompNotify {
  uint16_t text[320];        // the composition (up to 319 characters) or the result, zero-filled
  uint16_t attributes[320];  // one per composition character (ATTR_INPUT ...); 0 for a result
  uint16_t koreanStyle;      // composition: 1 for Korean-style composing
  uint16_t cursor;           // composition: the cursor, in characters
  uint16_t deltaStart;       // composition: the first changed character
  uint16_t nonCjk;           // 1 unless the language is Japanese or Chinese
  uint16_t lastWord;         // a result whose last word the host leaves 0 may end a word
};
static_assert(sizeof(tagImeCompNotify) == 1290);
static_assert(offsetof(tagImeCompNotify, attributes) == 640 && offsetof(tagImeCompNotify, koreanStyle) == 1280 &&
              offsetof(tagImeCompNotify, cursor) == 1282 && offsetof(tagImeCompNotify, deltaStart) == 1284 &&
              offsetof(tagImeCompNotify, nonCjk) == 1286 && offsetof(tagImeCompNotify, lastWord) == 1288);

// The caret the host reports before each composition change (only the low 16 bits of each
// value count, read as signed).
struct tagImeCaretInfo {
  int32_t left;  // the edit area
  int32_t top;
  int32_t right;
  int32_t unused;
  int32_t caretX;
  int32_t caretTop;
  int32_t caretHeight;
  int32_t marker;  // QUEL_CARET_KEEP: the input-method windows stay where they are
};
static_assert(sizeof(tagImeCaretInfo) == 32);
#define QUEL_CARET_KEEP 0xF123

// The process's system information; the host may read it and set the legacy and composing
// flags. The context, layout and procedure are pointer-sized.
struct tagImeSystemInfo {
  int32_t koreanInputMethod;
  int32_t legacy;
  uint32_t ansiCodePage;
  uint32_t activeCodePage;
  int32_t countryCode;
  int32_t reserved1;
  int32_t reserved2;
  int32_t openStatus;
  HIMC inputContext;
  HKL keyboardLayout;
  uint32_t conversionMode;
  uint32_t sentenceMode;
  int32_t composing;
  int32_t languageChanged;
  int32_t reserved3;
  uint32_t imeProperty;
  int (*openClose)(HWND window, int open);
};
static_assert(offsetof(tagImeSystemInfo, openStatus) == 28 && offsetof(tagImeSystemInfo, inputContext) == 32 &&
              offsetof(tagImeSystemInfo, keyboardLayout) == 40 && offsetof(tagImeSystemInfo, conversionMode) == 48 &&
              offsetof(tagImeSystemInfo, composing) == 56 && offsetof(tagImeSystemInfo, imeProperty) == 68 &&
              offsetof(tagImeSystemInfo, openClose) == 72 && sizeof(tagImeSystemInfo) == 80);

// The host's messages and control requests (see above); 0 before _ExpImPrepare and after
// shutdown. QUEL_WM_CONTROL: wParam = sub-code << 16 | operation (above 32 bits: 0). The
// result is pointer-sized, as one request answers the bridge window.
QUEL_API LRESULT _ExpImControl(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Makes the bridge on the first call (and after a shutdown); the bridge window, or null.
QUEL_API HWND _ExpImPrepare(HWND mainEditWindow);
QUEL_API tagImeSystemInfo* _ExpImSystemInformation();
// The host window the bridge currently serves.
QUEL_API HWND _ExpImGetParentWnd();
// 0: no event window is provided.
QUEL_API int _ExpImGetEventMessages(int a, int b, int c, int* out);
