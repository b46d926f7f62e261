// The resource container: the file format of language resource modules ("BasaltRes.ENU")
// and of a module's own resources (the ".rsrc" file beside a library or program).
//
// Little-endian, field by field:
//
//   header, 16 bytes
//     0  4  magic "KX2R"
//     4  u16 version (1)
//     6  u16 size of one directory entry (24)
//     8  u32 number of entries
//    12  u32 size of the whole file in bytes
//   directory: one 24-byte entry per resource, from offset 16
//     0  u32 type      an id 1..65535, or kNamedFlag | offset of a name
//     4  u32 name      the same
//     8  u16 language  (a LANGID, 0 = neutral)
//    10  u16 reserved  0
//    12  u32 offset of the data from the start of the file
//    16  u32 size of the data in bytes
//    20  u32 reserved  0
//   names: u16 length (1..kMaxNameLength) then that many UTF-16 code units, upper-cased,
//          each at an even offset
//   data:  each block at an offset that is a multiple of 8
//
// Every offset and size must lie inside the file and no (type, name, language) may occur
// twice; a reader refuses anything else as a whole. String tables keep the Win32 layout:
// block (id / 16) + 1 of type RT_STRING holds 16 entries, each a u16 length followed by
// that many UTF-16 units (no terminators). RT_BITMAP data start with the
// BITMAPINFOHEADER, as in a .bmp file without its 14-byte file header.
//
// ContainerWriter builds such a file; the resource compiler (kx2rc) and tests use it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <variant>
#include <vector>

namespace kx2::rsrc {

inline constexpr char kMagic[4] = {'K', 'X', '2', 'R'};
inline constexpr uint16_t kVersion = 1;
inline constexpr uint32_t kHeaderSize = 16;
inline constexpr uint32_t kEntrySize = 24;
inline constexpr uint32_t kNamedFlag = 0x80000000u;
inline constexpr uint32_t kMaxNameLength = 1024;
inline constexpr uint32_t kDataAlignment = 8;

// A resource type or name: a number or an upper-cased string.
using ResId = std::variant<uint16_t, std::u16string>;

// Upper-cases ASCII letters, as resource names are compared.
inline std::u16string UpperName(std::u16string s) {
  for (auto& c : s)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
  return s;
}

class ContainerWriter {
 public:
  // Adds a resource; false when (type, name, language) is already present or an id or
  // name is out of range.
  bool Add(const ResId& type, const ResId& name, uint16_t language, std::vector<uint8_t> data) {
    if (!Valid(type) || !Valid(name)) return false;
    Key key{Norm(type), Norm(name), language};
    return items_.emplace(std::move(key), std::move(data)).second;
  }

  bool Contains(const ResId& type, const ResId& name, uint16_t language) const {
    return items_.count(Key{Norm(type), Norm(name), language}) != 0;
  }

  std::vector<uint8_t> Build() const {
    std::vector<uint8_t> out(kHeaderSize + kEntrySize * items_.size(), 0);
    std::map<std::u16string, uint32_t> names;
    auto nameRef = [&](const ResId& id) -> uint32_t {
      if (auto* n = std::get_if<uint16_t>(&id)) return *n;
      const auto& s = std::get<std::u16string>(id);
      auto it = names.find(s);
      if (it != names.end()) return kNamedFlag | it->second;
      if (out.size() % 2) out.push_back(0);
      uint32_t at = static_cast<uint32_t>(out.size());
      Put16(out, static_cast<uint16_t>(s.size()));
      for (char16_t c : s) Put16(out, c);
      names.emplace(s, at);
      return kNamedFlag | at;
    };
    size_t i = 0;
    for (const auto& [key, data] : items_) {
      size_t e = kHeaderSize + kEntrySize * i++;
      Set32(out, e + 0, nameRef(std::get<0>(key)));
      Set32(out, e + 4, nameRef(std::get<1>(key)));
      Set16(out, e + 8, std::get<2>(key));
    }
    i = 0;
    for (const auto& [key, data] : items_) {
      while (out.size() % kDataAlignment) out.push_back(0);
      size_t e = kHeaderSize + kEntrySize * i++;
      Set32(out, e + 12, static_cast<uint32_t>(out.size()));
      Set32(out, e + 16, static_cast<uint32_t>(data.size()));
      out.insert(out.end(), data.begin(), data.end());
    }
    std::copy(kMagic, kMagic + 4, out.begin());
    Set16(out, 4, kVersion);
    Set16(out, 6, static_cast<uint16_t>(kEntrySize));
    Set32(out, 8, static_cast<uint32_t>(items_.size()));
    Set32(out, 12, static_cast<uint32_t>(out.size()));
    return out;
  }

  // The 16 counted strings of one string-table block from up to 16 texts.
  static std::vector<uint8_t> StringBlock(const std::u16string (&texts)[16]) {
    std::vector<uint8_t> out;
    for (const auto& t : texts) {
      Put16(out, static_cast<uint16_t>(t.size()));
      for (char16_t c : t) Put16(out, c);
    }
    return out;
  }

 private:
  using Key = std::tuple<ResId, ResId, uint16_t>;

  static bool Valid(const ResId& id) {
    if (auto* n = std::get_if<uint16_t>(&id)) return *n != 0;
    const auto& s = std::get<std::u16string>(id);
    return !s.empty() && s.size() <= kMaxNameLength;
  }
  static ResId Norm(const ResId& id) {
    if (auto* s = std::get_if<std::u16string>(&id)) return UpperName(*s);
    return id;
  }
  static void Put16(std::vector<uint8_t>& v, uint16_t x) {
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
  }
  static void Set16(std::vector<uint8_t>& v, size_t at, uint16_t x) {
    v[at] = static_cast<uint8_t>(x);
    v[at + 1] = static_cast<uint8_t>(x >> 8);
  }
  static void Set32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    for (int k = 0; k < 4; ++k) v[at + k] = static_cast<uint8_t>(x >> (8 * k));
  }

  std::map<Key, std::vector<uint8_t>> items_;
};

}  // namespace kx2::rsrc
