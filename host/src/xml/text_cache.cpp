#include "xml/text_cache.h"

#include <algorithm>
#include <cstring>

#include <kx2/Utf.h>

namespace vantorel::detail {
namespace {

// True when `kept` is the UTF-8 text `text`.
bool SameAsXml(std::u16string_view kept, const xmlChar* text) {
  size_t i = 0;
  for (; text[i] && text[i] < 0x80; ++i)
    if (i == kept.size() || kept[i] != text[i]) return false;
  if (!text[i]) return i == kept.size();
  return kept == kx2::Utf8ToUtf16(reinterpret_cast<const char*>(text));
}

}  // namespace

TextCache::Entry* TextCache::Find(Key key) {
  for (size_t i = 0; i < used_; ++i)
    if (first_[i].key == key) return &first_[i];
  for (Entry& entry : more_)
    if (entry.key == key) return &entry;
  return nullptr;
}

TextCache::Entry& TextCache::Add(Key key) {
  Entry& entry = used_ < kInlineEntries ? first_[used_++] : more_.emplace_back();
  entry = Entry{key, nullptr, 0};
  return entry;
}

char16_t* TextCache::Allocate(size_t units) {
  const size_t needed = units + 1;
  if (needed <= kInlineUnits - inlineUsed_) {
    char16_t* room = inline_ + inlineUsed_;
    inlineUsed_ += needed;
    return room;
  }
  return spilled_.emplace_back(new char16_t[needed]).get();
}

LPCWSTR TextCache::Store(Entry& entry, std::u16string_view value) {
  char16_t* room = Allocate(value.size());
  std::copy(value.begin(), value.end(), room);
  room[value.size()] = 0;
  entry.text = room;
  entry.size = value.size();
  return room;
}

LPCWSTR TextCache::Keep(Key key, std::u16string_view value) {
  Entry* entry = Find(key);
  if (entry && std::u16string_view(entry->text, entry->size) == value) return entry->text;
  return Store(entry ? *entry : Add(key), value);
}

LPCWSTR TextCache::KeepXml(Key key, const xmlChar* text) {
  static const xmlChar kEmpty[] = "";
  if (!text) text = kEmpty;
  Entry* entry = Find(key);
  if (entry && SameAsXml(std::u16string_view(entry->text, entry->size), text)) return entry->text;
  if (!entry) entry = &Add(key);
  const xmlChar* end = text;
  while (*end && *end < 0x80) ++end;
  if (*end) return Store(*entry, kx2::Utf8ToUtf16(reinterpret_cast<const char*>(text)));
  // ASCII (names and most values of a map) is widened in place, without decoding.
  const size_t length = static_cast<size_t>(end - text);
  char16_t* room = Allocate(length);
  std::copy(text, text + length, room);
  room[length] = 0;
  entry->text = room;
  entry->size = length;
  return room;
}

}  // namespace vantorel::detail
