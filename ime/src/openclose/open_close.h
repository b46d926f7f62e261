// The procedures that open and close the system input method of a window, one per ANSI code
// page family, and the process-wide state they share.
#pragma once

#include "quel_internal.h"

namespace quel {

// (window, open flag) -> int.
using OpenCloseProc = int (*)(HWND window, int open);

QUEL_TEST_API int OpenCloseJapanese(HWND window, int open);            // 932
QUEL_TEST_API int OpenCloseSimplifiedChinese(HWND window, int open);   // 936
QUEL_TEST_API int OpenCloseTraditionalChinese(HWND window, int open);  // 950
QUEL_TEST_API int OpenCloseDefault(HWND window, int open);             // every other code page

// The procedure for a code page, and for the system's ANSI code page (GetACP), which is
// asked each time.
QUEL_TEST_API OpenCloseProc OpenCloseProcFor(UINT codePage);
QUEL_TEST_API OpenCloseProc ChooseOpenCloseProc();

// Set while a procedure runs (also while one runs inside another, from a notification).
QUEL_TEST_API bool OpenCloseBusy();
// The open flag of the last procedure that ran to its end.
QUEL_TEST_API int OpenCloseResultFlag();
// The code page the default procedure read from the keyboard layout's language; 0 until it
// has read one.
QUEL_TEST_API UINT OpenCloseCodePage();
// A code page's number as the locale gives it: decimal digits of a code page this system
// knows; false (codePage untouched) for anything else.
QUEL_TEST_API bool ParseCodePage(const char16_t* text, UINT* codePage);
// The context a procedure made or took, null when none.
QUEL_TEST_API HIMC RememberedContext();
// Called once the context is destroyed: the procedures stop using it.
void ForgetContext(HIMC context);
// Back to the start: no context remembered, no modes saved, code page 0.
QUEL_TEST_API void ResetOpenCloseState();

}  // namespace quel
