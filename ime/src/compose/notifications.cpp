// The notifications to the host: the composition and result records, the caret query and
// the placing of the input method's windows.
#include <algorithm>
#include <cstring>

#include "classes/class_set.h"
#include "compose/composition.h"
#include "dispatch/languages.h"

namespace quel {
namespace {

bool HasText(const tagImeCompBuffer& buffer) { return buffer.length != 0 && buffer.text[0] != 0; }

// A character after which a committed result may end a word.
bool EndsWord(uint16_t c) {
  if (c == 0x20 || c == 0x3000) return true;
  static constexpr char16_t kMarks[] = u"~`@#$%^&*()_+-=\\|{}[]:\"?/.,";
  for (char16_t mark : kMarks)
    if (mark && c == mark) return true;
  return false;
}

LRESULT Notify(HWND window, WPARAM kind, void* record) {
  // Only the host's own windows get the bridge's records.
  if (!window || !IsServedWindow(window)) return 0;
  return SendMessageW(window, QUEL_WM_NOTIFY, kind, reinterpret_cast<LPARAM>(record));
}

void FillResult(tagImeCompNotify& record, const uint16_t* text, size_t length) {
  std::memset(&record, 0, sizeof record);
  std::memcpy(record.text, text, std::min(length, kMaxCharacters) * sizeof(uint16_t));
  record.nonCjk = NonCjkFlag();
  const tagImeInputState* state = InputState();
  record.lastWord = state ? state->thirdWord : 0;
}

// The result record, sent; the word-boundary relay when the host leaves the last word 0.
LRESULT SendResult(HWND window, const uint16_t* text, size_t length) {
  tagImeCompNotify record;
  FillResult(record, text, length);
  const LRESULT answer = Notify(window, QUEL_NOTIFY_RESULT, &record);
  if (record.lastWord == 0 && length && EndsWord(text[length - 1])) {
    if (HWND served = TheBridge().served) SendMessageW(served, QUEL_WM_RELAY, 0x162000, 0);
  }
  return answer;
}

// The cursor the input method reports now (code page 932), else the buffer's.
uint16_t FreshCursor(HWND window, const tagImeCompBuffer& composition) {
  uint16_t cursor = composition.cursor;
  if (Info().activeCodePage == 932) {
    if (HIMC context = ImmGetContext(window)) {
      const LONG value = ImmGetCompositionStringW(context, GCS_CURSORPOS, nullptr, 0);
      if (value >= 0) cursor = static_cast<uint16_t>(std::min<LONG>(value, 0xFFFF));
      ImmReleaseContext(window, context);
    }
  }
  return std::min(cursor, composition.length);
}

}  // namespace

uint16_t NonCjkFlag() {
  const uint32_t language = CurrentLanguage();
  if (IsCjkCode(language)) return 0;
  const uint32_t page = Info().activeCodePage;
  if (language == kSystemMethod && (page == 932 || page == 936 || page == 950)) return 0;
  return 1;
}

uint16_t KoreanStyleFlag() {
  const uint32_t word = LanguageWord();
  const uint32_t language = word & 0xFFFF;
  const bool korean949 = Info().activeCodePage == 949;
  if (language == kKorean) return 1;
  if (language == kSystemMethod && korean949) return 1;
  if (((word >> 16) & 0xF0) == 0x20 && korean949) return 1;
  return word == 0xE0000 ? 1 : 0;
}

int32_t SendResultText(HWND window, const uint16_t* text, size_t length) {
  return static_cast<int32_t>(SendResult(window, text, length));
}

int32_t SendComposition(HWND window) {
  tagImeInputState* state = InputState();
  if (!state) return 0;
  tagImeCompBuffer& composition = state->buffers[kComposition];
  tagImeCompBuffer& result = state->buffers[kResult];
  LRESULT answer = 0;
  if (!HasText(result) && !HasText(composition)) {
    const uint16_t empty[1] = {0};
    answer = SendResult(window, empty, 0);
  }
  if (HasText(result)) {
    uint16_t text[kTextUnits] = {};
    const size_t length = std::min<size_t>(result.length, kMaxCharacters);
    std::memcpy(text, result.text, length * sizeof(uint16_t));
    std::memset(&result, 0, sizeof result);
    answer = SendResult(window, text, length);
    state = InputState();  // the host may have shut the bridge down meanwhile
    if (!state) return static_cast<int32_t>(answer);
  }
  tagImeCompBuffer& current = state->buffers[kComposition];
  if (HasText(current)) {
    tagImeCompNotify record{};
    const size_t length = std::min<size_t>(current.length, kMaxCharacters);
    std::memcpy(record.text, current.text, length * sizeof(uint16_t));
    std::memcpy(record.attributes, current.attributes, length * sizeof(uint16_t));
    record.koreanStyle = KoreanStyleFlag();
    record.cursor = FreshCursor(window, current);
    record.deltaStart = std::min(current.deltaStart, current.length);
    record.nonCjk = NonCjkFlag();
    record.lastWord = state->thirdWord;
    answer = Notify(window, QUEL_NOTIFY_COMPOSITION, &record);
  }
  if (answer == 0) ClearAllBuffers();
  return static_cast<int32_t>(answer);
}

void PlaceImeWindows(HWND window) {
  tagImeCaretInfo caret{};
  if (!window || !IsServedWindow(window)) return;
  SendMessageW(window, QUEL_WM_NOTIFY, QUEL_NOTIFY_CARET, reinterpret_cast<LPARAM>(&caret));
  if ((caret.marker & 0xFFFF) == QUEL_CARET_KEEP) return;
  // The low words, signed: a caret left of or above the origin stays near it.
  auto low = [](int32_t value) { return static_cast<LONG>(static_cast<int16_t>(value & 0xFFFF)); };
  const LONG left = low(caret.left), top = low(caret.top), right = low(caret.right);
  const LONG bottom = low(caret.caretTop) + low(caret.caretHeight) + 1;
  const POINT position{low(caret.caretX) + 1, bottom};
  const RECT area{left, top, right, bottom};
  COMPOSITIONFORM composition{CFS_POINT, position, area};
  CANDIDATEFORM candidate{0, CFS_EXCLUDE, position, area};
  HIMC context = ImmGetContext(window);
  if (!context) return;
  ImmSetCompositionWindow(context, &composition);
  ImmSetCandidateWindow(context, &candidate);
  ImmReleaseContext(window, context);
}

}  // namespace quel
