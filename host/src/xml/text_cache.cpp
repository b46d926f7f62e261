#include "xml/text_cache.h"

#include <algorithm>

#include <kx2/Utf.h>

#include "xml/node_memory.h"

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

// The UTF-16 length of a UTF-8 text from its byte count: one unit per lead byte, two for
// a four-byte sequence (exact for well-formed text, a guess for any other).
size_t Utf16Units(const xmlChar* text, size_t bytes) {
  size_t units = 0;
  for (size_t i = 0; i < bytes; ++i) units += (text[i] & 0xC0) != 0x80 ? (text[i] >= 0xF0 ? 2 : 1) : 0;
  return units;
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
  spilled_.reserve(spilled_.size() + 1);
  char16_t* block = node_memory::TakeText(needed);
  spilled_.push_back({block, needed});
  return block;
}

TextCache::~TextCache() {
  for (const Spilled& spilled : spilled_) node_memory::GiveText(spilled.block, spilled.units);
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
  const size_t ascii = static_cast<size_t>(end - text);
  if (!*end) {
    // ASCII (names and most values of a map) is widened in place.
    char16_t* room = Allocate(ascii);
    std::copy(text, end, room);
    room[ascii] = 0;
    entry->text = room;
    entry->size = ascii;
    return room;
  }
  // Other text is decoded straight into the store, after its ASCII start.
  while (*end) ++end;
  const size_t bytes = static_cast<size_t>(end - text);
  const size_t units = ascii + Utf16Units(text + ascii, bytes - ascii);
  char16_t* room = Allocate(units);
  const std::string_view rest(reinterpret_cast<const char*>(text + ascii), bytes - ascii);
  if (kx2::Utf8ToUtf16Into(rest, room + ascii, units - ascii) != units - ascii)
    return Store(*entry, kx2::Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(text), bytes)));
  std::copy(text, text + ascii, room);
  room[units] = 0;
  entry->text = room;
  entry->size = units;
  return room;
}

}  // namespace vantorel::detail
