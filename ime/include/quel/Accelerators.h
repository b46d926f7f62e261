// Keyboard accelerators (libQuel.so): tables of one- and two-chord accelerators, their key
// text, and the interpretation of key-downs of the host's loop into WM_COMMAND.
//
// A chord is a virtual key (bits 0-15) with Shift (0x10000), Ctrl (0x20000) and Alt
// (0x40000); 0 is no chord. A two-chord accelerator waits in the host's loop (its
// messages) for the second chord.
#pragma once

#include <stdint.h>

#include <quel/Quel.h>

#define QUEL_CHORD_SHIFT 0x10000u
#define QUEL_CHORD_CTRL 0x20000u
#define QUEL_CHORD_ALT 0x40000u

// 12 bytes, as the host builds it.
struct tagAccelEntry {
  uint32_t firstChord;
  uint32_t secondChord;  // 0: one chord
  uint16_t command;      // WM_COMMAND's wParam; 0 ends an array given with count -1
  uint16_t reserved;
};
static_assert(sizeof(tagAccelEntry) == 12);

// A two-chord sequence that no entry had (both 0: empty). The library fills it only when
// empty; the host clears it.
struct tagAccelPending {
  uint32_t firstChord;
  uint32_t secondChord;
};
static_assert(sizeof(tagAccelPending) == 8);

// The library's copy of an array (on the C heap).
struct tagAccelTable {
  int32_t count;
  tagAccelEntry* entries;
};

// A table of `count` entries (-1: up to the first with command 0); null for a null array or
// a count below -1.
QUEL_API tagAccelTable* _ExpAcceleratorCreate(const tagAccelEntry* entries, int32_t count);
// 1; 0 for a null table.
QUEL_API int _ExpAcceleratorRelease(tagAccelTable* table);
// The entries copied (at most capacity; a negative capacity copies nothing); with a null
// destination the entry count; 0 for a null table.
QUEL_API int _ExpAcceleratorCopy(const tagAccelTable* table, tagAccelEntry* out, int32_t capacity);
// Copies the first entry of the command: 1; 0 when none, or for a null table or output.
QUEL_API int _ExpAcceleratorBinding(const tagAccelTable* table, uint16_t command, tagAccelEntry* out);

// The key text of the entry ("Ctrl+K,D"). The buffer must hold QUEL_ACCEL_TEXT_UNITS units:
// the text never exceeds 157 characters and the terminator (each key name is cut at 63).
// 1 when the first chord has a text; 0 (the buffer untouched) otherwise, or for null arguments.
#define QUEL_ACCEL_TEXT_UNITS 158
QUEL_API int _ExpAcceleratorString(const tagAccelEntry* entry, char16_t* out);

// The message (read and possibly overwritten by the messages a two-chord wait takes) as an
// accelerator of the table: 0 no accelerator (the host handles the message now in the
// record), 1 consumed, else what the window answered to the command. A WM_QUIT met while
// waiting ends the wait with 1 and is posted again with its exit code.
QUEL_API LRESULT _ExpAcceleratorInterpretWithKey(HWND window, const tagAccelTable* table, MSG* msg,
                                                 tagAccelPending* pending);
QUEL_API LRESULT _ExpAcceleratorInterpret(HWND window, const tagAccelTable* table, MSG* msg);
