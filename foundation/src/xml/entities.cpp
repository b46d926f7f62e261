// The entity table: decoding references to characters and encoding characters as
// references.
#include <basalt/xml/entities.h>

#include <cstring>

#include "xml_guard.h"

namespace Basalt::XMLDom {
namespace {

constexpr XmlEntiry kDefaultEntities[] = {
    {u'&', u"&amp;", 5}, {u'"', u"&quot;", 6}, {u'\'', u"&apos;", 6}, {u'<', u"&lt;", 4}, {u'>', u"&gt;", 4},
};

// Length of the run of text the caller asked for: count units, or up to the terminator
// when count is negative, and never past the terminator.
size_t RunLength(const char16_t* text, int64_t count) {
  size_t n = 0;
  if (count < 0) {
    while (text[n]) ++n;
  } else {
    while (n < static_cast<uint64_t>(count) && text[n]) ++n;
  }
  return n;
}

// Units of e's reference text, bounded to the record.
size_t ReferenceLength(const XmlEntiry& e) {
  if (e.referenceLength <= 0) return 0;
  return e.referenceLength > kEntityReferenceUnits ? kEntityReferenceUnits : static_cast<size_t>(e.referenceLength);
}

// The entry whose reference begins [p, end), or null. An entry with an empty reference
// never matches (it would decode forever).
const XmlEntiry* MatchReference(const std::vector<XmlEntiry>& entries, const char16_t* p, const char16_t* end) {
  for (const XmlEntiry& e : entries) {
    size_t len = ReferenceLength(e);
    if (len == 0 || static_cast<size_t>(end - p) < len) continue;
    if (std::memcmp(p, e.reference, len * sizeof(char16_t)) == 0) return &e;
  }
  return nullptr;
}

const XmlEntiry* MatchCharacter(const std::vector<XmlEntiry>& entries, char16_t c) {
  for (const XmlEntiry& e : entries)
    if (e.character == c) return &e;
  return nullptr;
}

}  // namespace

XMLEntitys entityDefault(kDefaultEntities, 5);

XMLEntitys::XMLEntitys(const XmlEntiry* list, int count) {
  if (list && count > 0) entries.assign(list, list + count);
}

const XmlEntiry* XMLEntitys::GetEntity(int ch) const {
  for (const XmlEntiry& e : entries)
    if (e.character == ch) return &e;
  return nullptr;
}

const XmlEntiry* XMLEntitys::GetEntity(const char16_t* text) const {
  if (!text) return nullptr;
  for (const XmlEntiry& e : entries) {
    size_t len = ReferenceLength(e), i = 0;
    while (i < len && text[i] == e.reference[i]) ++i;  // stops at text's terminator too
    if (i == len) return &e;
  }
  return nullptr;
}

int XMLEntitys::GetEntityCount(const char16_t* text) const {
  if (!text) return 0;
  int n = 0;
  for (; *text; ++text)
    if (MatchCharacter(entries, *text)) ++n;
  return n;
}

int32_t XMLEntitys::RefToEntity(const char16_t* text, std::u16string& out, int32_t count) const {
  if (!text) return 0;
  return Guard(0, [&] {
    const char16_t* p = text;
    const char16_t* end = text + RunLength(text, count);
    size_t before = out.size();
    while (p != end) {
      if (const XmlEntiry* e = MatchReference(entries, p, end)) {
        out.push_back(e->character);
        p += ReferenceLength(*e);
      } else {
        out.push_back(*p++);
      }
    }
    return static_cast<int32_t>(out.size() - before);
  });
}

std::u16string XMLEntitys::RefToEntity(const char16_t* text) const {
  std::u16string out;
  RefToEntity(text, out, -1);
  return out;
}

int32_t XMLEntitys::RefToEntity(const char16_t* text, char16_t* out, int count) const {
  if (!out) return 0;
  int32_t n = 0;
  if (text && count > 0) {
    const char16_t* p = text;
    const char16_t* end = text + RunLength(text, -1);
    while (p != end && n < count) {
      if (const XmlEntiry* e = MatchReference(entries, p, end)) {
        out[n++] = e->character;
        p += ReferenceLength(*e);
      } else {
        out[n++] = *p++;
      }
    }
  }
  if (count >= 0) out[n] = 0;
  return n;
}

int32_t XMLEntitys::EntityToRef(const char16_t* text, std::u16string& out, int32_t count) const {
  if (!text) return 0;
  return Guard(0, [&] {
    size_t before = out.size();
    const char16_t* end = text + RunLength(text, count);
    for (const char16_t* p = text; p != end; ++p) {
      if (const XmlEntiry* e = MatchCharacter(entries, *p))
        out.append(e->reference, ReferenceLength(*e));
      else
        out.push_back(*p);
    }
    return static_cast<int32_t>(out.size() - before);
  });
}

std::u16string XMLEntitys::EntityToRef(const char16_t* text) const {
  std::u16string out;
  if (!text) return out;
  if (GetEntityCount(text) == 0) return Guard(std::u16string(), [&] { return std::u16string(text); });
  EntityToRef(text, out, -1);
  return out;
}

int32_t XMLEntitys::EntityToRef(const char16_t* text, char16_t* out, int count) const {
  if (!out) return 0;
  int32_t n = 0;
  if (text && count > 0) {
    for (const char16_t* p = text; *p; ++p) {
      if (const XmlEntiry* e = MatchCharacter(entries, *p)) {
        int32_t len = static_cast<int32_t>(ReferenceLength(*e));
        if (n + len > count) break;
        std::memcpy(out + n, e->reference, len * sizeof(char16_t));
        n += len;
      } else {
        if (n + 1 > count) break;
        out[n++] = *p;
      }
    }
  }
  if (count >= 0) out[n] = 0;
  return n;
}

}  // namespace Basalt::XMLDom
