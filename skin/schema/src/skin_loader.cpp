#include "ornatex/schema/skin_loader.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iterator>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <win/gdi.h>

#include "ornatex/draw/draw_helpers.h"

namespace {

struct Known {
  const char16_t* name;
  int id;
  int type;
};

// The identifiers the drawing and metrics read, with their types.
constexpr Known kKnown[] = {
    {u"CaptionFont", 801, KTK_PT_FONT},
    {u"SmallCaptionFont", 802, KTK_PT_FONT},
    {u"MenuFont", 803, KTK_PT_FONT},
    {u"ScrollbarWidth", 1202, KTK_PT_INT},
    {u"ScrollbarHeight", 1203, KTK_PT_INT},
    {u"CaptionBarHeight", 1205, KTK_PT_INT},
    {u"SmCaptionBarHeight", 1207, KTK_PT_INT},
    {u"Scrollbar", 1601, KTK_PT_COLOR},
    {u"Background", 1602, KTK_PT_COLOR},
    {u"ActiveCaption", 1603, KTK_PT_COLOR},
    {u"InactiveCaption", 1604, KTK_PT_COLOR},
    {u"Menu", 1605, KTK_PT_COLOR},
    {u"Window", 1606, KTK_PT_COLOR},
    {u"WindowFrame", 1607, KTK_PT_COLOR},
    {u"MenuText", 1608, KTK_PT_COLOR},
    {u"WindowText", 1609, KTK_PT_COLOR},
    {u"CaptionText", 1610, KTK_PT_COLOR},
    {u"ActiveBorder", 1611, KTK_PT_COLOR},
    {u"InactiveBorder", 1612, KTK_PT_COLOR},
    {u"AppWorkspace", 1613, KTK_PT_COLOR},
    {u"Highlight", 1614, KTK_PT_COLOR},
    {u"HighlightText", 1615, KTK_PT_COLOR},
    {u"BtnFace", 1616, KTK_PT_COLOR},
    {u"BtnShadow", 1617, KTK_PT_COLOR},
    {u"GrayText", 1618, KTK_PT_COLOR},
    {u"BtnText", 1619, KTK_PT_COLOR},
    {u"InactiveCaptionText", 1620, KTK_PT_COLOR},
    {u"BtnHighlight", 1621, KTK_PT_COLOR},
    {u"DkShadow3d", 1622, KTK_PT_COLOR},
    {u"Light3d", 1623, KTK_PT_COLOR},
    {u"InfoText", 1624, KTK_PT_COLOR},
    {u"InfoBk", 1625, KTK_PT_COLOR},
    {u"ButtonAlternateFace", 1626, KTK_PT_COLOR},
    {u"HotTracking", 1627, KTK_PT_COLOR},
    {u"GradientActiveCaption", 1628, KTK_PT_COLOR},
    {u"GradientInactiveCaption", 1629, KTK_PT_COLOR},
    {u"MenuHilight", 1630, KTK_PT_COLOR},
    {u"MenuBar", 1631, KTK_PT_COLOR},
    {u"Transparent", 2201, KTK_PT_BOOL},
    {u"BorderOnly", 2203, KTK_PT_BOOL},
    {u"GlyphTransparent", 2206, KTK_PT_BOOL},
    {u"MirrorImage", 2209, KTK_PT_BOOL},
    {u"UniformSizing", 2210, KTK_PT_BOOL},
    {u"ImageCount", 2401, KTK_PT_INT},
    {u"BorderSize", 2403, KTK_PT_INT},
    {u"TrueSizeStretchMark", 2419, KTK_PT_INT},
    {u"ImageFile", 3001, KTK_PT_STRING},
    {u"ImageFile1", 3002, KTK_PT_STRING},
    {u"ImageFile2", 3003, KTK_PT_STRING},
    {u"ImageFile3", 3004, KTK_PT_STRING},
    {u"ImageFile4", 3005, KTK_PT_STRING},
    {u"ImageFile5", 3006, KTK_PT_STRING},
    {u"GlyphImageFile", 3008, KTK_PT_STRING},
    {u"TextShadowOffset", 3402, KTK_PT_POSITION},
    {u"SizingMargins", 3601, KTK_PT_RECT},
    {u"ContentMargins", 3602, KTK_PT_RECT},
    {u"CaptionMargins", 3603, KTK_PT_RECT},
    {u"BorderColor", 3801, KTK_PT_COLOR},
    {u"FillColor", 3802, KTK_PT_COLOR},
    {u"TextColor", 3803, KTK_PT_COLOR},
    {u"TransparentColor", 3809, KTK_PT_COLOR},
    {u"TextShadowColor", 3818, KTK_PT_COLOR},
    {u"BgType", 4001, KTK_PT_ENUM},
    {u"SizingType", 4004, KTK_PT_ENUM},
    {u"ContentAlignment", 4006, KTK_PT_ENUM},
    {u"VAlign", 4007, KTK_PT_ENUM},
    {u"TextShadowType", 4010, KTK_PT_ENUM},
    {u"ImageLayout", 4011, KTK_PT_ENUM},
    {u"GlyphType", 4012, KTK_PT_ENUM},
    {u"ImageSelectType", 4013, KTK_PT_ENUM},
};

std::u16string_view Trim(std::u16string_view s) {
  while (!s.empty() && (s.front() == u' ' || s.front() == u'\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == u' ' || s.back() == u'\t' || s.back() == u'\r' || s.back() == u'\n'))
    s.remove_suffix(1);
  return s;
}

bool SameName(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && CompareNoCaseW(a.data(), b.data(), a.size()) == 0;
}

// A decimal number within [low, high].
bool Number(std::u16string_view text, long low, long high, long* out) {
  text = Trim(text);
  if (text.empty() || text.size() > 11) return false;
  bool negative = false;
  size_t i = 0;
  if (text[0] == u'-' || text[0] == u'+') negative = text[0] == u'-', i = 1;
  if (i == text.size()) return false;
  long long value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < u'0' || text[i] > u'9') return false;
    value = value * 10 + (text[i] - u'0');
  }
  if (negative) value = -value;
  if (value < low || value > high) return false;
  *out = static_cast<long>(value);
  return true;
}

// The comma-separated fields of a value. No value type has more than four, so a few more
// are kept in place and any beyond only count (such a value is refused by its size).
class FieldList {
 public:
  size_t size() const { return count_; }
  std::u16string_view operator[](size_t i) const { return fields_[i]; }
  void push_back(std::u16string_view field) {
    if (count_ < kKept) fields_[count_] = field;
    ++count_;
  }

 private:
  static constexpr size_t kKept = 8;
  std::u16string_view fields_[kKept];
  size_t count_ = 0;
};

FieldList Fields(std::u16string_view text) {
  FieldList out;
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(u',', start);
    out.push_back(
        Trim(text.substr(start, comma == std::u16string_view::npos ? std::u16string_view::npos : comma - start)));
    if (comma == std::u16string_view::npos) return out;
    start = comma + 1;
  }
}

// The length and four sampled characters, mixed: the known names already differ there,
// and a hash over every character would cost more than the lookup it serves.
constexpr size_t kNameSlots = 256;

size_t NameHash(std::u16string_view name) {
  const size_t n = name.size();
  if (n == 0) return 0;
  uint64_t h = (n * 0x9E3779B97F4A7C15ull) ^ name[0] ^ (static_cast<uint64_t>(name[n / 3]) << 16) ^
               (static_cast<uint64_t>(name[n / 2]) << 32) ^ (static_cast<uint64_t>(name[n - 1]) << 48);
  h ^= h >> 29;
  h *= 0xBF58476D1CE4E5B9ull;
  return static_cast<size_t>(h ^ (h >> 32));
}

}  // namespace

bool KtkSkinPropertyByName(std::u16string_view name, int* id, int* type) {
  // The table by lower-case name (open addressing in a power-of-two table kept under a
  // third full: a lookup is a mask and a compare or two) and by identifier, made once.
  struct Index {
    struct Slot {
      std::u16string name;
      const Known* known = nullptr;
    };
    std::array<Slot, kNameSlots> byName;
    std::unordered_map<int, const Known*> byId;
    Index() {
      static_assert(std::size(kKnown) * 3 < kNameSlots, "the name table stays under a third full");
      for (const Known& k : kKnown) {
        std::u16string lower(k.name);
        for (char16_t& c : lower)
          if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        size_t i = NameHash(lower) & (kNameSlots - 1);
        while (byName[i].known) i = (i + 1) & (kNameSlots - 1);
        byName[i] = Slot{std::move(lower), &k};
        byId.emplace(k.id, &k);
      }
    }
    const Known* Find(std::u16string_view lower) const {
      for (size_t i = NameHash(lower) & (kNameSlots - 1); byName[i].known; i = (i + 1) & (kNameSlots - 1))
        if (byName[i].name == lower) return byName[i].known;
      return nullptr;
    }
  };
  static const Index index;
  const Known* known = nullptr;
  long number = 0;
  name = Trim(name);
  const bool numeric = !name.empty() && ((name[0] >= u'0' && name[0] <= u'9') || name[0] == u'+' || name[0] == u'-');
  if (numeric && Number(name, 1, KTK_MAX_PROPERTY_ID, &number)) {
    auto it = index.byId.find(static_cast<int>(number));
    if (it != index.byId.end()) known = it->second;
  } else if (!numeric) {
    const std::u16string_view trimmed = name;
    char16_t lower[48];
    if (trimmed.size() > std::size(lower)) return false;  // longer than every known name
    for (size_t i = 0; i < trimmed.size(); ++i) {
      const char16_t c = trimmed[i];
      lower[i] = c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
    }
    known = index.Find(std::u16string_view(lower, trimmed.size()));
  }
  if (!known) return false;
  *id = known->id;
  *type = known->type;
  return true;
}

bool CKtkSkinPropertyLoader::Refuse(const char* reason) {
  errors_.push_back(KtkSkinLoadError{line_, reason});
  return false;
}

bool CKtkSkinPropertyLoader::LoadLine(std::u16string_view raw) {
  ++line_;
  const std::u16string_view line = Trim(raw);
  if (line.empty() || line[0] == u';') return true;
  if (line[0] == u'[') {
    if (line.back() != u']') return Refuse("a section without its closing bracket");
    return Section(line.substr(1, line.size() - 2));
  }
  const size_t equals = line.find(u'=');
  if (equals == std::u16string_view::npos) return Refuse("neither a section nor a key = value line");
  if (class_ == 0) return Refuse("a value before any section");
  return Entry(Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)));
}

bool CKtkSkinPropertyLoader::Section(std::u16string_view text) {
  text = Trim(text);
  long part = 0, state = 0;
  std::u16string_view name = text;
  const size_t dot = text.find(u'.');
  if (dot != std::u16string_view::npos) {
    name = text.substr(0, dot);
    std::u16string_view rest = text.substr(dot + 1);
    const size_t open = rest.find(u'(');
    if (open != std::u16string_view::npos) {
      if (rest.back() != u')' || !Number(rest.substr(open + 1, rest.size() - open - 2), 0, KTK_MAX_PART_STATE, &state))
        return Refuse("a state that is not a number from 0 to 63");
      rest = rest.substr(0, open);
    }
    if (!Number(rest, 0, KTK_MAX_PART_STATE, &part)) return Refuse("a part that is not a number from 0 to 63");
  }
  const std::u16string className(Trim(name));
  const int code = CKtkSkinManagerSchema::ClassCodeOf(className.c_str());
  // A refused section leaves no section current, so its keys are refused too.
  class_ = 0;
  if (code == 0) return Refuse("an unknown class");
  class_ = code;
  part_ = static_cast<int>(part);
  state_ = static_cast<int>(state);
  return true;
}

bool CKtkSkinPropertyLoader::Entry(std::u16string_view key, std::u16string_view value) {
  int id = 0, type = 0;
  const size_t colon = key.find(u':');
  if (colon != std::u16string_view::npos) {
    long number = 0, kind = 0;
    if (!Number(key.substr(0, colon), 1, KTK_MAX_PROPERTY_ID, &number)) return Refuse("an identifier out of range");
    if (!Number(key.substr(colon + 1), 1, 9, &kind) || kind == 7) return Refuse("an unknown type");
    id = static_cast<int>(number);
    type = static_cast<int>(kind);
  } else if (!KtkSkinPropertyByName(key, &id, &type)) {
    return Refuse("an unknown property");
  }
  if (type == KTK_PT_STRING) {
    schema_.SetProperty(class_, part_, state_, id).SetString(value);
    return true;
  }
  const auto fields = Fields(value);
  LONG values[4] = {};
  auto numbers = [&](size_t count, long low, long high) {
    if (fields.size() != count) return false;
    for (size_t i = 0; i < count; ++i) {
      long n = 0;
      if (!Number(fields[i], low, high, &n)) return false;
      values[i] = static_cast<LONG>(n);
    }
    return true;
  };
  switch (type) {
    case KTK_PT_INT:
    case KTK_PT_ENUM:
      if (!numbers(1, -2147483647L - 1, 2147483647L)) return Refuse("not a whole number");
      break;
    case KTK_PT_BOOL:
      if (SameName(value, u"true"))
        values[0] = 1;
      else if (!SameName(value, u"false"))
        return Refuse("not true or false");
      break;
    case KTK_PT_COLOR:
      if (!numbers(3, 0, 255)) return Refuse("not a colour: red, green, blue from 0 to 255");
      values[0] = static_cast<LONG>(RGB(values[0], values[1], values[2]));
      values[1] = values[2] = 0;
      break;
    case KTK_PT_RECT:
      if (!numbers(4, -32768, 32767)) return Refuse("not four numbers");
      break;
    case KTK_PT_POSITION:
      if (!numbers(2, -32768, 32767)) return Refuse("not two numbers");
      break;
    case KTK_PT_FONT: {
      long points = 0;
      if (fields.size() < 2 || fields.size() > 4 || fields[0].empty() || fields[0].size() >= LF_FACESIZE ||
          !Number(fields[1], 1, 1000, &points))
        return Refuse("not a font: face, points[, bold][, italic]");
      LOGFONTW font{};
      font.lfHeight = -static_cast<LONG>((points * 96 + 36) / 72);
      font.lfWeight = FW_NORMAL;
      for (size_t i = 2; i < fields.size(); ++i) {
        if (SameName(fields[i], u"bold"))
          font.lfWeight = FW_BOLD;
        else if (SameName(fields[i], u"italic"))
          font.lfItalic = 1;
        else
          return Refuse("a font style other than bold or italic");
      }
      std::memcpy(font.lfFaceName, fields[0].data(), fields[0].size() * sizeof(char16_t));
      schema_.SetProperty(class_, part_, state_, id).SetFont(font);
      return true;
    }
    default:
      return Refuse("an unknown type");
  }
  schema_.SetProperty(class_, part_, state_, id).SetValues(type, values, 4);
  return true;
}
