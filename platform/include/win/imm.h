// The input method manager: input contexts, their open and conversion state, the
// composition an input method builds, and where its windows go.
//
// Each thread has a default context, which every window of the thread uses until
// ImmAssociateContext gives it another (or none). A context's notifications go to its
// window: the focus window when it uses the context, else the window last associated with
// it (or last asked for it). A stale or made-up HIMC or HKL gives 0 with
// ERROR_INVALID_HANDLE. The input method itself is played by a script (kx2/ImeScript.h).
#pragma once

#include "win/types.h"
#include "win/user.h"

// HIMC is a HANDLE (win/types.h).

#define IMM_ERROR_NODATA (-1)
#define IMM_ERROR_GENERAL (-2)

// ImmGetCompositionStringW indexes (also the flags of WM_IME_COMPOSITION's lParam).
#define GCS_COMPREADSTR 0x0001
#define GCS_COMPREADATTR 0x0002
#define GCS_COMPREADCLAUSE 0x0004
#define GCS_COMPSTR 0x0008
#define GCS_COMPATTR 0x0010
#define GCS_COMPCLAUSE 0x0020
#define GCS_CURSORPOS 0x0080
#define GCS_DELTASTART 0x0100
#define GCS_RESULTREADSTR 0x0200
#define GCS_RESULTREADCLAUSE 0x0400
#define GCS_RESULTSTR 0x0800
#define GCS_RESULTCLAUSE 0x1000
#define CS_INSERTCHAR 0x2000
#define CS_NOMOVECARET 0x4000

#define ATTR_INPUT 0x00
#define ATTR_TARGET_CONVERTED 0x01
#define ATTR_CONVERTED 0x02
#define ATTR_TARGET_NOTCONVERTED 0x03
#define ATTR_INPUT_ERROR 0x04
#define ATTR_FIXEDCONVERTED 0x05

// WM_IME_NOTIFY codes.
#define IMN_CLOSESTATUSWINDOW 0x0001
#define IMN_OPENSTATUSWINDOW 0x0002
#define IMN_CHANGECANDIDATE 0x0003
#define IMN_CLOSECANDIDATE 0x0004
#define IMN_OPENCANDIDATE 0x0005
#define IMN_SETCONVERSIONMODE 0x0006
#define IMN_SETSENTENCEMODE 0x0007
#define IMN_SETOPENSTATUS 0x0008
#define IMN_SETCANDIDATEPOS 0x0009
#define IMN_SETCOMPOSITIONFONT 0x000A
#define IMN_SETCOMPOSITIONWINDOW 0x000B
#define IMN_SETSTATUSWINDOWPOS 0x000C
#define IMN_GUIDELINE 0x000D
#define IMN_PRIVATE 0x000E

// WM_IME_SETCONTEXT lParam show flags.
#define ISC_SHOWUICANDIDATEWINDOW 0x00000001
#define ISC_SHOWUICOMPOSITIONWINDOW 0x80000000
#define ISC_SHOWUIGUIDELINE 0x40000000
#define ISC_SHOWUIALLCANDIDATEWINDOW 0x0000000F
#define ISC_SHOWUIALL 0xC000000F

// ImmNotifyIME
#define NI_OPENCANDIDATE 0x0010
#define NI_CLOSECANDIDATE 0x0011
#define NI_SELECTCANDIDATESTR 0x0012
#define NI_CHANGECANDIDATELIST 0x0013
#define NI_COMPOSITIONSTR 0x0015
#define CPS_COMPLETE 0x0001
#define CPS_CONVERT 0x0002
#define CPS_REVERT 0x0003
#define CPS_CANCEL 0x0004

// Conversion and sentence modes.
#define IME_CMODE_ALPHANUMERIC 0x0000
#define IME_CMODE_NATIVE 0x0001
#define IME_CMODE_CHINESE IME_CMODE_NATIVE
#define IME_CMODE_HANGUL IME_CMODE_NATIVE
#define IME_CMODE_JAPANESE IME_CMODE_NATIVE
#define IME_CMODE_KATAKANA 0x0002
#define IME_CMODE_LANGUAGE 0x0003
#define IME_CMODE_FULLSHAPE 0x0008
#define IME_CMODE_ROMAN 0x0010
#define IME_CMODE_CHARCODE 0x0020
#define IME_CMODE_HANJACONVERT 0x0040
#define IME_CMODE_SOFTKBD 0x0080
#define IME_CMODE_NOCONVERSION 0x0100
#define IME_SMODE_NONE 0x0000
#define IME_SMODE_PLAURALCLAUSE 0x0001
#define IME_SMODE_SINGLECONVERT 0x0002
#define IME_SMODE_AUTOMATIC 0x0004
#define IME_SMODE_PHRASEPREDICT 0x0008
#define IME_SMODE_CONVERSATION 0x0010

// ImmGetProperty
#define IGP_GETIMEVERSION (static_cast<DWORD>(-4))
#define IGP_PROPERTY 0x00000004
#define IGP_CONVERSION 0x00000008
#define IGP_SENTENCE 0x0000000C
#define IGP_UI 0x00000010
#define IGP_SETCOMPSTR 0x00000014
#define IGP_SELECT 0x00000018
#define IME_PROP_AT_CARET 0x00010000
#define IME_PROP_SPECIAL_UI 0x00020000
#define IME_PROP_CANDLIST_START_FROM_1 0x00040000
#define IME_PROP_UNICODE 0x00080000
#define IME_PROP_COMPLETE_ON_UNSELECT 0x00100000
#define IMEVER_0400 0x00040000
#define SCS_CAP_COMPSTR 0x00000001
#define SCS_CAP_MAKEREAD 0x00000002
#define SELECT_CAP_CONVERSION 0x00000001
#define SELECT_CAP_SENTENCE 0x00000002

// Composition and candidate windows.
#define CFS_DEFAULT 0x0000
#define CFS_RECT 0x0001
#define CFS_POINT 0x0002
#define CFS_FORCE_POSITION 0x0020
#define CFS_CANDIDATEPOS 0x0040
#define CFS_EXCLUDE 0x0080

struct COMPOSITIONFORM {
  DWORD dwStyle;
  POINT ptCurrentPos;
  RECT rcArea;
};
typedef COMPOSITIONFORM* LPCOMPOSITIONFORM;
struct CANDIDATEFORM {
  DWORD dwIndex;  // 0 to 3
  DWORD dwStyle;
  POINT ptCurrentPos;
  RECT rcArea;
};
typedef CANDIDATEFORM* LPCANDIDATEFORM;

KX2_EXPORT HIMC ImmCreateContext();
// FALSE for a thread's default context (it lives as long as the thread). Windows that used
// the destroyed context go back to their thread's default one.
KX2_EXPORT BOOL ImmDestroyContext(HIMC hIMC);
// The window's context, null when it has none (or the window is gone).
KX2_EXPORT HIMC ImmGetContext(HWND hWnd);
KX2_EXPORT BOOL ImmReleaseContext(HWND hWnd, HIMC hIMC);
// Gives the window the context (null: none); returns the previous one.
KX2_EXPORT HIMC ImmAssociateContext(HWND hWnd, HIMC hIMC);

// Changes send WM_IME_NOTIFY at once to the context's window. Closing during a
// composition completes it.
KX2_EXPORT BOOL ImmGetOpenStatus(HIMC hIMC);
KX2_EXPORT BOOL ImmSetOpenStatus(HIMC hIMC, BOOL fOpen);
KX2_EXPORT BOOL ImmGetConversionStatus(HIMC hIMC, LPDWORD lpfdwConversion, LPDWORD lpfdwSentence);
KX2_EXPORT BOOL ImmSetConversionStatus(HIMC hIMC, DWORD fdwConversion, DWORD fdwSentence);

// Strings in bytes without terminator; dwBufLen 0 asks the size; a short buffer gets the
// whole characters (attribute bytes, clause offsets) that fit. GCS_CURSORPOS and
// GCS_DELTASTART return the value. IMM_ERROR_GENERAL for a stale context, an unknown index
// or a bad buffer; IMM_ERROR_NODATA where the method gave none (a reading).
KX2_EXPORT LONG ImmGetCompositionStringW(HIMC hIMC, DWORD dwIndex, LPVOID lpBuf, DWORD dwBufLen);

// NI_COMPOSITIONSTR with CPS_COMPLETE (the composition becomes the result) or CPS_CANCEL;
// FALSE without a composition or for another action.
KX2_EXPORT BOOL ImmNotifyIME(HIMC hIMC, DWORD dwAction, DWORD dwIndex, DWORD dwValue);

KX2_EXPORT BOOL ImmSetCompositionWindow(HIMC hIMC, LPCOMPOSITIONFORM lpCompForm);
// FALSE until one was set.
KX2_EXPORT BOOL ImmGetCompositionWindow(HIMC hIMC, LPCOMPOSITIONFORM lpCompForm);
KX2_EXPORT BOOL ImmSetCandidateWindow(HIMC hIMC, LPCANDIDATEFORM lpCandidate);
KX2_EXPORT BOOL ImmGetCandidateWindow(HIMC hIMC, DWORD dwIndex, LPCANDIDATEFORM lpCandidate);

// 0 for a layout without an input method.
KX2_EXPORT DWORD ImmGetProperty(HKL hKL, DWORD fdwIndex);
KX2_EXPORT BOOL ImmIsIME(HKL hKL);
// The key an input method took (queued as VK_PROCESSKEY) until TranslateMessage has seen
// it; VK_PROCESSKEY after that or when none was taken.
KX2_EXPORT UINT ImmGetVirtualKey(HWND hWnd);
