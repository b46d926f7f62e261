// The input method as a script: each line a step a person or the method takes, played on
// the calling thread (keys go through the window system's queue, the method's messages are
// posted to the context's window, so they pass through the program's own loop).
//
// Text form, one step a line; blank lines and lines starting with # are skipped; numbers
// are decimal or 0x-hexadecimal; texts are "UTF-8" with \" \\ \n \t and \uXXXX escapes.
//   layout HKL                  WM_INPUTLANGCHANGEREQUEST (0, HKL) posted to the focus window
//   open | close                the focus window's context (ImmSetOpenStatus)
//   mode CONVERSION SENTENCE    ImmSetConversionStatus on the focus window's context
//   key KEY [shift] [ctrl] [alt] [ACTION]
//                               press and release KEY (A-Z, 0-9, a name as SPACE, RETURN,
//                               ESCAPE, BACK, TAB, LEFT, F1..F12, or a virtual-key number)
//   hangul [ralt] [ACTION]      VK_HANGUL with scan code 0xF2, or as right Alt (0x38 extended)
//   hanja [rctrl] [ACTION]      VK_HANJA with scan code 0xF1, or as right Ctrl (0x1D extended)
//   char "TEXT"                 WM_IME_CHAR for each unit, posted to the context's window
//   fail                        the next ImmGetCompositionStringW answers IMM_ERROR_GENERAL
//   clock MS                    steps the platform clock
// A key without ACTION is not the method's: it reaches the window as itself. ACTION is
// what the method does with a key it takes (only while the context is open on an
// input-method layout; the key is then queued as VK_PROCESSKEY):
//   comp "TEXT" [attr N...] [clause N...] [cursor N] [delta N]
//        [read "TEXT"] [readattr N...] [readclause N...]
//                               the composition becomes TEXT (defaults: attributes 0, one
//                               clause, the cursor at the end); inconsistent data is kept
//   result "TEXT" [resultclause N...] [resultread "TEXT"] [resultreadclause N...]
//                               TEXT is committed; with comp too, both at once (Korean)
//   cancel                      the composition is dropped
//   hidden                      the key is taken and nothing happens (it stays VK_PROCESSKEY)
// A bad line stops the script there: the steps before it play, and its number is reported.
#pragma once

#include <cstddef>

#include "win/imm.h"

typedef struct Kx2ImeScript Kx2ImeScript;

// Never null. The steps up to the first bad line.
KX2_EXPORT Kx2ImeScript* Kx2ImeScriptParse(const char* text, size_t length);
KX2_EXPORT void Kx2ImeScriptFree(Kx2ImeScript* script);
// The number (from 1) of the first bad line, 0 when every line is good.
KX2_EXPORT int Kx2ImeScriptBadLine(const Kx2ImeScript* script);
// Steps not yet played.
KX2_EXPORT size_t Kx2ImeScriptStepsLeft(const Kx2ImeScript* script);
// Plays the next step; FALSE when none is left.
KX2_EXPORT BOOL Kx2ImeScriptStep(Kx2ImeScript* script);
// Plays the script as the thread's idle handler: each time the thread would block, steps
// until one gives it something to do. When the script ends, posts WM_QUIT (exit code the
// bad line's number, else 0) if asked, and removes the handler. The script must outlive it.
KX2_EXPORT void Kx2ImeScriptPlayWhenIdle(Kx2ImeScript* script, BOOL quitWhenDone);

// Keyboard types for a layout beyond the built-in ones (type < 0 forgets the override).
KX2_EXPORT void Kx2SetKeyboardType(HKL hkl, int type, int subtype);
// The calling thread back on its starting layout; overrides forgotten.
KX2_EXPORT void Kx2ResetKeyboardLayout();
// Between tests: associations and made contexts forgotten, default contexts closed and
// empty, pending method actions dropped.
KX2_EXPORT void Kx2ImeReset();
// What DefWindowProcW keeps of WM_IME_SETCONTEXT's show flags, per window.
KX2_EXPORT void Kx2ImeSetShowFlags(HWND hwnd, LPARAM flags);
KX2_EXPORT LPARAM Kx2ImeShowFlags(HWND hwnd);
