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
