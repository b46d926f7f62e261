// The plain fields of a format value described once, so that the context operations
// (store, load, apply, merge, compare) run the same way over every kind.
//
// A kind keeps its plain fields in a standard-layout struct and lists them in state order:
// where each lies, how wide it is and with which value type it travels to the host. Fields
// that name an entry of another kind are listed as Nested and left to the kind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include <plastrum/format/ColorRef.h>
#include <plastrum/format/FormatHash.h>
#include <plastrum/format/PropertyIO.h>
#include <plastrum/HostProperty.h>
#include <plastrum/Export.h>

// Fields are reached by their offset in the plain-field struct; GCC takes the struct's first
// member for the whole object the offset moves through and warns of writes past it.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wstringop-overflow"
#endif

namespace Present::Fields {

enum class Width : uint8_t { U8, I16, U16, I32, Color, Nested };

struct PLASTRUM_API Field {
  Width width;
  uint16_t offset;     // in the kind's plain-field struct
  uint16_t valueType;  // the host value type it is stored as
};

enum : uint8_t { kCommon = 0, kUnset = 1, kMixed = 2 };

inline int64_t GetInt(const void* data, const Field& f) {
  const auto* p = static_cast<const unsigned char*>(data) + f.offset;
  switch (f.width) {
    case Width::U8:
      return *p;
    case Width::I16: {
      int16_t v;
      std::memcpy(&v, p, 2);
      return v;
    }
    case Width::U16: {
      uint16_t v;
      std::memcpy(&v, p, 2);
      return v;
    }
    case Width::I32: {
      int32_t v;
      std::memcpy(&v, p, 4);
      return v;
    }
    default:
      return 0;
  }
}

// Stores a host integer at the field's width (the low bits, as the host's narrower types do).
inline void SetInt(void* data, const Field& f, int32_t value) {
  auto* p = static_cast<unsigned char*>(data) + f.offset;
  switch (f.width) {
    case Width::U8:
      *p = static_cast<uint8_t>(value);
      break;
    case Width::I16:
    case Width::U16: {
      const auto v = static_cast<uint16_t>(value);
      std::memcpy(p, &v, 2);
      break;
    }
    case Width::I32:
      std::memcpy(p, &value, 4);
      break;
    default:
      break;
  }
}

inline PresentColorRef& ColorAt(void* data, const Field& f) {
  return *reinterpret_cast<PresentColorRef*>(static_cast<unsigned char*>(data) + f.offset);
}
inline const PresentColorRef& ColorAt(const void* data, const Field& f) {
  return *reinterpret_cast<const PresentColorRef*>(static_cast<const unsigned char*>(data) + f.offset);
}

inline bool Same(const void* a, const void* b, const Field& f) {
  if (f.width == Width::Nested) return true;
  if (f.width == Width::Color) return ColorAt(a, f) == ColorAt(b, f);
  return GetInt(a, f) == GetInt(b, f);
}

inline void Copy(void* to, const void* from, const Field& f) {
  if (f.width == Width::Nested) return;
  if (f.width == Width::Color) {
    ColorAt(to, f) = ColorAt(from, f);
    return;
  }
  SetInt(to, f, static_cast<int32_t>(GetInt(from, f)));
}

// Every plain field equal (what interning compares).
template <size_t N>
bool AllSame(const void* a, const void* b, const Field (&fields)[N]) {
  for (const Field& f : fields)
    if (!Same(a, b, f)) return false;
  return true;
}

// A hash of every plain field (for the interning index: equal by AllSame, equal hash).
template <size_t N>
uint64_t HashAll(const void* data, const Field (&fields)[N]) {
  ValueHash h;
  for (const Field& f : fields)
    f.width == Width::Color ? h.Add(ColorAt(data, f)) : h.Add(static_cast<uint64_t>(GetInt(data, f)));
  return h.Get();
}

template <size_t N>
void CopyAll(void* to, const void* from, const Field (&fields)[N]) {
  for (const Field& f : fields) Copy(to, from, f);
}

// Context operations over the plain fields; states[k] belongs to fields[k].
template <size_t N>
int Store(IKx2PropertyObject* host, const void* data, const uint8_t* states, const Field (&fields)[N]) {
  for (size_t k = 0; k < N; ++k) {
    const Field& f = fields[k];
    if (states[k] != kCommon || f.width == Width::Nested) continue;
    const uint32_t id = 0x7000 + static_cast<uint32_t>(k);
    int ok;
    if (f.width == Width::Color) {
      const PresentColorRef& c = ColorAt(data, f);
      ok = PropertyIO::SetWords(host, id, c.value, c.Second());
    } else {
      ok = PropertyIO::SetInt(host, id, f.valueType, static_cast<int32_t>(GetInt(data, f)));
    }
    if (!ok) return 0;
  }
  return 1;
}

// Reads every plain field the host has; returns whether any was there.
template <size_t N>
bool Load(IKx2PropertyObject* host, void* data, uint8_t* states, const Field (&fields)[N]) {
  bool any = false;
  for (size_t k = 0; k < N; ++k) {
    const Field& f = fields[k];
    if (f.width == Width::Nested) continue;
    const uint32_t id = 0x7000 + static_cast<uint32_t>(k);
    if (f.width == Width::Color) {
      uint32_t low, high;
      if (!PropertyIO::GetWords(host, id, &low, &high)) continue;
      ColorAt(data, f).Assign(low, high);
    } else {
      int32_t v;
      if (!PropertyIO::GetInt(host, id, &v)) continue;
      SetInt(data, f, v);
    }
    states[k] = kCommon;
    any = true;
  }
  return any;
}

template <size_t N>
void Apply(void* target, const void* data, const uint8_t* states, const Field (&fields)[N]) {
  for (size_t k = 0; k < N; ++k)
    if (states[k] == kCommon) Copy(target, data, fields[k]);
}

// The merge rule: unset takes the value, common becomes mixed when it differs.
template <size_t N>
void Merge(void* data, const void* value, uint8_t* states, const Field (&fields)[N]) {
  for (size_t k = 0; k < N; ++k) {
    const Field& f = fields[k];
    if (f.width == Width::Nested) continue;
    if (states[k] == kUnset) {
      Copy(data, value, f);
      states[k] = kCommon;
    } else if (states[k] == kCommon && !Same(data, value, f)) {
      states[k] = kMixed;
    }
  }
}

template <size_t N>
bool Equal(const void* data, const void* value, const uint8_t* states, const Field (&fields)[N]) {
  for (size_t k = 0; k < N; ++k)
    if (states[k] == kCommon && !Same(data, value, fields[k])) return false;
  return true;
}

}  // namespace Present::Fields

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

#define KX2_FIELD(Struct, member, width, type) \
  ::Present::Fields::Field { ::Present::Fields::Width::width, static_cast<uint16_t>(offsetof(Struct, member)), type }
#define KX2_NESTED_FIELD \
  ::Present::Fields::Field { ::Present::Fields::Width::Nested, 0, 0 }
