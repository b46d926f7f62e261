// The template reader: field by field, little-endian, every read checked against the
// bound, so that a damaged resource fails instead of reading beyond its end.
#include "DialogTemplate.h"

#include <utility>

namespace kx2::user32 {
namespace {

class Reader {
 public:
  Reader(const BYTE* data, size_t size) : data_(data), size_(size) {}

  bool Ok() const { return ok_; }
  size_t Offset() const { return at_; }

  bool Has(size_t count) {
    if (!ok_ || count > size_ - at_) ok_ = false;
    return ok_;
  }
  WORD Word() {
    if (!Has(2)) return 0;
    const WORD value = static_cast<WORD>(data_[at_] | (data_[at_ + 1] << 8));
    at_ += 2;
    return value;
  }
  DWORD Dword() {
    const DWORD low = Word();
    return low | (static_cast<DWORD>(Word()) << 16);
  }
  BYTE Byte() {
    if (!Has(1)) return 0;
    return data_[at_++];
  }
  SHORT Short() { return static_cast<SHORT>(Word()); }
  // A terminated UTF-16 text.
  std::u16string Text() {
    std::u16string text;
    while (ok_) {
      const WORD unit = Word();
      if (!ok_ || unit == 0) break;
      text.push_back(static_cast<char16_t>(unit));
    }
    return text;
  }
  NameOrOrdinal Name() {
    NameOrOrdinal name;
    const WORD first = Word();
    if (!ok_ || first == 0) return name;
    name.present = true;
    if (first == 0xFFFF) {
      name.isOrdinal = true;
      name.ordinal = Word();
      return name;
    }
    name.text.push_back(static_cast<char16_t>(first));
    name.text += Text();
    return name;
  }
  void Bytes(size_t count, std::vector<BYTE>* out) {
    if (!Has(count)) return;
    out->assign(data_ + at_, data_ + at_ + count);
    at_ += count;
  }
  void AlignTo4() {
    const size_t aligned = (at_ + 3) & ~static_cast<size_t>(3);
    if (aligned > size_) {
      // The last item may end the template without its padding; nothing more can follow.
      at_ = size_;
      return;
    }
    at_ = aligned;
  }

 private:
  const BYTE* data_;
  size_t size_;
  size_t at_ = 0;
  bool ok_ = true;
};

bool ReadItem(Reader& in, bool extended, DialogItemSpec* item) {
  in.AlignTo4();
  if (extended) {
    item->helpId = in.Dword();
    item->exStyle = in.Dword();
    item->style = in.Dword();
  } else {
    item->style = in.Dword();
    item->exStyle = in.Dword();
  }
  item->x = in.Short();
  item->y = in.Short();
  item->cx = in.Short();
  item->cy = in.Short();
  item->id = extended ? in.Dword() : in.Word();
  item->className = in.Name();
  item->title = in.Name();
  const WORD extra = in.Word();
  if (extra) {
    std::vector<BYTE> bytes;
    in.Bytes(extra, &bytes);
    item->creationData.reserve(bytes.size() + 2);
    item->creationData.push_back(static_cast<BYTE>(extra & 0xFF));
    item->creationData.push_back(static_cast<BYTE>(extra >> 8));
    item->creationData.insert(item->creationData.end(), bytes.begin(), bytes.end());
  }
  if (!in.Ok()) return false;
  // A class ordinal outside the predefined ones names no class.
  return !(item->className.isOrdinal && !PredefinedClassName(item->className.ordinal)) && item->className.present;
}

}  // namespace

LPCWSTR PredefinedClassName(WORD ordinal) {
  switch (ordinal) {
    case 0x80:
      return u"Button";
    case 0x81:
      return u"Edit";
    case 0x82:
      return u"Static";
    case 0x83:
      return u"ListBox";
    case 0x84:
      return u"ScrollBar";
    case 0x85:
      return u"ComboBox";
    default:
      return nullptr;
  }
}

bool ReadDialogTemplate(const void* data, size_t size, DialogSpec* out) {
  if (!data || !out) return false;
  Reader in(static_cast<const BYTE*>(data), size);
  DialogSpec spec;
  const WORD first = in.Word();
  const WORD second = in.Word();
  spec.extended = first == 1 && second == 0xFFFF;
  WORD count = 0;
  if (spec.extended) {
    spec.helpId = in.Dword();
    spec.exStyle = in.Dword();
    spec.style = in.Dword();
  } else {
    spec.style = first | (static_cast<DWORD>(second) << 16);
    spec.exStyle = in.Dword();
  }
  count = in.Word();
  spec.x = in.Short();
  spec.y = in.Short();
  spec.cx = in.Short();
  spec.cy = in.Short();
  spec.menu = in.Name();
  spec.className = in.Name();
  NameOrOrdinal title = in.Name();
  if (title.isOrdinal) return false;  // a caption is always a text
  spec.title = title.text;
  if (spec.style & 0x40L) {  // DS_SETFONT
    spec.hasFont = true;
    spec.pointSize = in.Word();
    if (spec.extended) {
      spec.weight = in.Word();
      spec.italic = in.Byte();
      spec.charSet = in.Byte();
    }
    spec.face = in.Text();
  }
  if (!in.Ok()) return false;
  // A dialog class given by ordinal can only be the dialog class itself.
  if (spec.className.isOrdinal) spec.className = NameOrOrdinal{};
  // Items are added as they are read: a count the bytes cannot back fails on the way
  // without reserving room for it.
  for (WORD i = 0; i < count; ++i) {
    DialogItemSpec item;
    if (!ReadItem(in, spec.extended, &item)) return false;
    spec.items.push_back(std::move(item));
  }
  *out = std::move(spec);
  return true;
}

}  // namespace kx2::user32
