#include <foliant/common/topic_text.h>

#include <string>

#include <kx2/Ref.h>

namespace foliant {

bool WriteHostText(IVtlModel* model, std::u16string_view text) {
  if (!model) return false;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] >= 0x20) continue;
    // The host takes the count, so the piece is handed over in place.
    if (i > start && !model->InsertText(0, text.data() + start, static_cast<LONG>(i - start))) return false;
    start = i + 1;
    if (i == text.size()) break;
    if (text[i] == u'\t') {
      if (!model->InsertControl(0, 9, 0)) return false;
    } else if (text[i] == u'\n') {
      if (!model->InsertParagraphBreak(0, 0, 0)) return false;
    }
  }
  return true;
}

LONG GetTopicDisplayText(IVtlModel* model, IVtlObject* textObject, LPWSTR buffer, LONG size) {
  if (!model || !textObject || !buffer || size < 1) return 0;
  kx2::Ref<IVtlTextReader> reader(model->GetTextReader());
  if (!reader || !model->PlaceObject(0, textObject, -1)) return 0;
  if (!reader->Open(0x505, 0, 0) || !reader->Rewind(0, 0)) return 0;

  constexpr LONG kMaxVisible = 100;
  std::u16string taken;
  LONG visible = 0;
  bool ended = false;
  LPCWSTR chunk = nullptr;
  LONG length = 0;
  while (!ended && reader->ReadChunk(&chunk, &length)) {
    for (LONG i = 0; chunk && i < length; ++i) {
      if (static_cast<LONG>(taken.size()) >= size - 1 || visible >= kMaxVisible) {
        ended = true;
        break;
      }
      const char16_t c = chunk[i];
      if (c == u'\t' || c == u' ') {
        if (visible > 0) taken += u' ';
      } else if (c == u'\n') {
        if (visible > 0) {
          ended = true;
          break;
        }
      } else if (c >= 0x20) {
        taken += c;
        ++visible;
      }
    }
  }
  if (taken.empty()) return 0;
  if (static_cast<LONG>(taken.size()) >= size - 1) {
    taken.resize(static_cast<size_t>(size - 1));
    taken.copy(buffer, taken.size());
    buffer[size - 1] = 0;
    return size - 1;
  }
  taken.copy(buffer, taken.size());
  buffer[taken.size()] = 0;
  return visible;
}

}  // namespace foliant
