// Keyboard layouts, key names and the input-method window messages (include win/user.h).
//
// A layout (HKL) is the layout identifier zero-extended: the low word is the language, the
// high word the device (0xE001 for an input-method layout). Layouts differ only in
// language, character set, input method and keyboard type; characters always come from the
// US table. A thread starts on the input-method layout of the user's language (KX2_LCID)
// when there is one, else on US (0x04090409).
#pragma once

#include "win/types.h"

typedef struct Kx2KeyboardLayout* HKL;

#define WM_INPUTLANGCHANGEREQUEST 0x0050
#define WM_INPUTLANGCHANGE 0x0051
#define WM_IME_STARTCOMPOSITION 0x010D
#define WM_IME_ENDCOMPOSITION 0x010E
#define WM_IME_COMPOSITION 0x010F
#define WM_IME_KEYLAST 0x010F
#define WM_IME_SETCONTEXT 0x0281
#define WM_IME_NOTIFY 0x0282
#define WM_IME_CONTROL 0x0283
#define WM_IME_COMPOSITIONFULL 0x0284
#define WM_IME_SELECT 0x0285
#define WM_IME_CHAR 0x0286
#define WM_IME_REQUEST 0x0288
#define WM_IME_KEYDOWN 0x0290
#define WM_IME_KEYUP 0x0291

#define HKL_PREV 0
#define HKL_NEXT 1
#define KLF_ACTIVATE 0x00000001
#define KLF_SETFORPROCESS 0x00000100

#define MAPVK_VK_TO_VSC 0
#define MAPVK_VSC_TO_VK 1
#define MAPVK_VK_TO_CHAR 2
#define MAPVK_VSC_TO_VK_EX 3

// The calling thread's layout for idThread 0 or the caller's id; another thread's when it
// has one, else the layout a new thread starts on.
KX2_EXPORT HKL GetKeyboardLayout(DWORD idThread);
// hkl: a layout of the list, HKL_NEXT or HKL_PREV. Returns the previous layout; 0 with
// ERROR_INVALID_HANDLE for an unknown layout. Sends nothing (WM_INPUTLANGCHANGE comes from
// DefWindowProcW's WM_INPUTLANGCHANGEREQUEST).
KX2_EXPORT HKL ActivateKeyboardLayout(HKL hkl, UINT Flags);
// The installed layouts: the count, copying at most nBuff of them (nBuff 0 asks the count).
KX2_EXPORT int GetKeyboardLayoutList(int nBuff, HKL* lpList);
// 0: the type, 1: the subtype, 2: the number of function keys (12), of the calling
// thread's layout; 0 for another index.
KX2_EXPORT int GetKeyboardType(int nTypeFlag);
// Scan code set 1 of the US keyboard. Navigation keys give their keypad scan code;
// VK_HANGUL is 0xF2 and VK_HANJA 0xF1. 0 where there is no translation.
KX2_EXPORT UINT MapVirtualKeyW(UINT uCode, UINT uMapType);
// The US keyboard's English name of the key in bits 16-24 of lParam (bit 24: extended);
// bit 25 merges the left and right keys. Copies at most cchSize - 1 units and a terminator;
// returns the units copied, 0 for a nameless key.
KX2_EXPORT int GetKeyNameTextW(LONG lParam, LPWSTR lpString, int cchSize);
