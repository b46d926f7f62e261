// Luminar's seams for tests: live handles per kind and a journal of drawing calls.
#pragma once

#include "luminar/Luminar.h"

enum LuminarKind : LONG {
  kLuminarRender = 0,
  kLuminarPen = 1,
  kLuminarBrush = 2,
  kLuminarImage = 3,
  kLuminarPath = 4,
  kLuminarRegion = 5,
};

// Handles of one kind now alive.
LUMINAR_API LONG LuminarLiveHandles(LONG kind);
// While on, each drawing call appends one line ("DrawLines 3", "FillPolygon 4 status 0" ...).
LUMINAR_API void LuminarJournalEnable(BOOL on);
LUMINAR_API void LuminarJournalClear();
// Copies the journal (lines ended by '\n') into buffer; returns the length needed.
LUMINAR_API size_t LuminarJournalRead(char* buffer, size_t size);
// The caret point DisplayCaret last recorded for a device; false when none.
LUMINAR_API BOOL LuminarCaretOf(HANDLE device, LONG* x, LONG* y);
