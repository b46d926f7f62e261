// The host's edit window for the input-method bridge: a one-line editor that shows the
// composition the bridge sends, inserts results at its caret and reports its caret. Its
// class is one of the bridge's served classes; its loop sends every message through the
// bridge before translating it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <quel/Accelerators.h>
#include <win/user.h>

namespace vantorel::edit {

inline constexpr char16_t kEditClass[] = u"VantorelEdit";

// Registers the class (once per process) and adds its atom to the bridge's served classes.
bool RegisterEditClass();
// A top-level edit window, not yet shown (show it once the bridge is prepared, so that its
// focus reaches the bridge).
HWND CreateEditWindow(int x, int y, int width, int height);

// Each notification the window receives, as one line of text (UTF-8).
void SetJournal(HWND window, std::function<void(const std::string&)> journal);
// The answers to the bridge's requests: 561 (trace taken keys by their scan code) and 562
// (the visible window to serve instead; null: none).
void SetKeyTrace(HWND window, bool traceByScanCode);
void SetVisibleSubstitute(HWND window, HWND visible);

// The window's accelerators: its loop interprets every message with them first (before the
// bridge), and the window prints each command it receives ("command N") and answers 0.
// An empty list removes them.
void SetAccelerators(HWND window, const std::vector<tagAccelEntry>& entries);

std::u16string Text(HWND window);
std::u16string Composition(HWND window);

// One retrieved message as the host handles it: through the accelerators, then the bridge,
// then translated and dispatched unless one of them took it. Returns whether it was
// dispatched.
bool ProcessMessage(MSG& msg);
// The host's loop until WM_QUIT (or a failed retrieval: -1); the quit's exit code.
int RunMessageLoop();

// UTF-16 as UTF-8, and a quoted form for the journal.
std::string Utf8(const std::u16string& text);
std::string Quoted(const std::u16string& text);

}  // namespace vantorel::edit
