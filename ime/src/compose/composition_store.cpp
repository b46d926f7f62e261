// Reading the input method's composition into the buffers. Whatever the input method
// answers is checked: an error is no data, lengths are cut to the buffers, and the cursor
// and delta start stay within the composition.
#include <algorithm>
#include <cstring>

#include "compose/composition.h"
#include "openclose/open_close.h"

namespace quel {
namespace {

constexpr size_t kReadBytes = 640;

// A string or array of the context into a zeroed 640-byte buffer; the bytes it holds.
size_t Read(HIMC context, DWORD index, uint8_t (&bytes)[kReadBytes]) {
  std::memset(bytes, 0, sizeof bytes);
  const LONG got = ImmGetCompositionStringW(context, index, bytes, sizeof bytes);
  if (got <= 0) return 0;
  return std::min(static_cast<size_t>(got), sizeof bytes);
}

// A text of at most 319 characters into a buffer; its length.
uint16_t ReadText(HIMC context, DWORD index, tagImeCompBuffer& buffer) {
  uint8_t bytes[kReadBytes];
  const size_t units = std::min(Read(context, index, bytes) / 2, kMaxCharacters);
  std::memset(buffer.text, 0, sizeof buffer.text);
  std::memcpy(buffer.text, bytes, units * 2);
  buffer.length = static_cast<uint16_t>(units);
  return buffer.length;
}

// The clause offsets (32-bit) as 16-bit words, copied while a word does not exceed the
// buffer's length.
void ReadClauses(HIMC context, DWORD index, tagImeCompBuffer& buffer) {
  uint8_t bytes[kReadBytes];
  const size_t words = Read(context, index, bytes) / 2;
  std::memset(buffer.clauses, 0, sizeof buffer.clauses);
  for (size_t i = 0; i < words && i < kTextUnits; ++i) {
    const uint16_t word = static_cast<uint16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    if (word > buffer.length) break;
    buffer.clauses[i] = word;
  }
}

void ReadAttributes(HIMC context, DWORD index, tagImeCompBuffer& buffer, bool fixed) {
  uint8_t bytes[kReadBytes];
  const size_t count = std::min(Read(context, index, bytes), kTextUnits);
  std::memset(buffer.attributes, 0, sizeof buffer.attributes);
  for (size_t i = 0; i < count; ++i) buffer.attributes[i] = fixed ? ATTR_FIXEDCONVERTED : bytes[i];
}

// A value (cursor, delta start) of the context; -1 when it has none.
LONG ReadValue(HIMC context, DWORD index) {
  const LONG value = ImmGetCompositionStringW(context, index, nullptr, 0);
  return value >= 0 ? value : -1;
}

}  // namespace

int CompleteComposition() {
  HWND served = TheBridge().served;
  HIMC context = served ? ImmGetContext(served) : nullptr;
  if (!context) return 1;
  ImmNotifyIME(context, NI_COMPOSITIONSTR, CPS_COMPLETE, 0);
  ImmReleaseContext(served, context);
  TheBridge().compositionActive = false;
  return 2;
}

void ReadComposition(HWND window, LPARAM flags) {
  tagImeInputState* state = InputState();
  if (!state) return;
  tagImeCompBuffer& spare = state->buffers[kSpare];
  tagImeCompBuffer& reading = state->buffers[kReading];
  tagImeCompBuffer& composition = state->buffers[kComposition];
  tagImeCompBuffer& result = state->buffers[kResult];
  HIMC context = ImmGetContext(window);
  if (flags & GCS_CURSORPOS) {
    const LONG cursor = ReadValue(context, GCS_CURSORPOS);
    if (cursor >= 0) composition.cursor = spare.cursor = static_cast<uint16_t>(std::min<LONG>(cursor, 0xFFFF));
  }
  if (flags & GCS_DELTASTART) {
    const LONG delta = ReadValue(context, GCS_DELTASTART);
    if (delta >= 0) composition.deltaStart = static_cast<uint16_t>(std::min<LONG>(delta, 0xFFFF));
  }
  if (flags & GCS_RESULTSTR) {
    std::memset(&result, 0, sizeof result);
    if (ReadText(context, GCS_RESULTSTR, result)) {
      if (flags & GCS_RESULTCLAUSE) ReadClauses(context, GCS_RESULTCLAUSE, result);
      if (flags & GCS_RESULTREADSTR) ReadText(context, GCS_RESULTREADSTR, reading);
      if (flags & GCS_RESULTREADCLAUSE) ReadClauses(context, GCS_RESULTREADCLAUSE, reading);
    }
  } else {
    std::memset(&result, 0, sizeof result);
  }
  if (flags & GCS_COMPSTR) {
    if (ReadText(context, GCS_COMPSTR, composition)) TheBridge().compositionActive = true;
    if (flags & GCS_COMPATTR) ReadAttributes(context, GCS_COMPATTR, composition, OpenCloseCodePage() == 949);
    if (flags & GCS_COMPCLAUSE) ReadClauses(context, GCS_COMPCLAUSE, composition);
    if (flags & GCS_COMPREADSTR) ReadText(context, GCS_COMPREADSTR, reading);
    if (flags & GCS_COMPREADATTR) ReadAttributes(context, GCS_COMPREADATTR, reading, false);
    if (flags & GCS_COMPREADCLAUSE) ReadClauses(context, GCS_COMPREADCLAUSE, reading);
  } else {
    TheBridge().compositionActive = false;
    std::memset(&composition, 0, sizeof composition);
  }
  if (flags == 0) ClearAllBuffers();
  composition.cursor = std::min(composition.cursor, composition.length);
  composition.deltaStart = std::min(composition.deltaStart, composition.length);
  if (context) ImmReleaseContext(window, context);
}

}  // namespace quel
