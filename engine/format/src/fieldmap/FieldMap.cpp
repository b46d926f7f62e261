// The field-map walker.
#include <plastrum/format/FieldMap.h>

#include <cstring>
#include <new>

#include <plastrum/Kx2String.h>

namespace {

using Kx2::ScopedPropertyValue;

// Arrays larger than this are a broken map, not a record.
constexpr uint32_t kMaxArrayElements = 1u << 16;

bool IsIntType(uint16_t t) { return t >= kFieldInt8 && t <= kFieldULong; }
bool Is64Type(uint16_t t) { return t == kFieldInt64 || t == kFieldUInt64; }
bool IsSignedType(uint16_t t) { return (t >= kFieldInt8 && t <= kFieldLong) || t == kFieldInt64; }

int WidthOf(uint16_t t) {
  switch (t) {
    case kFieldInt8:
    case kFieldUInt8:
      return 1;
    case kFieldInt16:
    case kFieldUInt16:
      return 2;
    case kFieldInt32:
    case kFieldLong:
    case kFieldUInt32:
    case kFieldULong:
    case kFieldFloat:
      return 4;
    case kFieldInt64:
    case kFieldUInt64:
    case kFieldDouble:
      return 8;
    case kFieldBlock16:
      return 16;
    default:
      return 0;
  }
}

// The host value type a scalar field of type t is written as (16 -> 2 ... 28 -> 14).
uint16_t HostTypeOf(uint16_t t) { return static_cast<uint16_t>(t - 14); }

// A field read as a 64-bit integer, sign- or zero-extended by its type.
int64_t LoadInt(const unsigned char* p, uint16_t t) {
  switch (WidthOf(t)) {
    case 1: {
      uint8_t v;
      std::memcpy(&v, p, 1);
      return IsSignedType(t) ? static_cast<int8_t>(v) : v;
    }
    case 2: {
      uint16_t v;
      std::memcpy(&v, p, 2);
      return IsSignedType(t) ? static_cast<int16_t>(v) : v;
    }
    case 4: {
      uint32_t v;
      std::memcpy(&v, p, 4);
      return IsSignedType(t) ? static_cast<int32_t>(v) : static_cast<int64_t>(v);
    }
    default: {
      uint64_t v;
      std::memcpy(&v, p, 8);
      return static_cast<int64_t>(v);
    }
  }
}

void StoreInt(unsigned char* p, uint16_t t, uint64_t v) {
  switch (WidthOf(t)) {
    case 1: {
      const auto w = static_cast<uint8_t>(v);
      std::memcpy(p, &w, 1);
      break;
    }
    case 2: {
      const auto w = static_cast<uint16_t>(v);
      std::memcpy(p, &w, 2);
      break;
    }
    case 4: {
      const auto w = static_cast<uint32_t>(v);
      std::memcpy(p, &w, 4);
      break;
    }
    default:
      std::memcpy(p, &v, 8);
      break;
  }
}

bool Unbounded32(uint32_t low) { return low == kFieldUnbounded; }
bool Unbounded64(uint32_t low, int32_t high) { return low == kFieldUnbounded && high == -1; }

// Range check of a 32-bit family value (types 16..23), signed for 16..19. The lower bound of a
// signed bit field is its sign width, not a bound.
bool InRange32(const FieldMapEntry& e, int64_t v, bool ignoreLower) {
  const bool hasMin = !Unbounded32(e.minLow) && !ignoreLower;
  const bool hasMax = !Unbounded32(e.maxLow);
  if (IsSignedType(e.type)) {
    const auto value = static_cast<int32_t>(v);
    if (hasMin && value < static_cast<int32_t>(e.minLow)) return false;
    if (hasMax && value > static_cast<int32_t>(e.maxLow)) return false;
  } else {
    const auto value = static_cast<uint32_t>(v);
    if (hasMin && value < e.minLow) return false;
    if (hasMax && value > e.maxLow) return false;
  }
  return true;
}

bool InRange64(const FieldMapEntry& e, uint64_t v, bool ignoreLower) {
  const bool hasMin = !Unbounded64(e.minLow, e.minHigh) && !ignoreLower;
  const bool hasMax = !Unbounded64(e.maxLow, e.maxHigh);
  const uint64_t min = (static_cast<uint64_t>(static_cast<uint32_t>(e.minHigh)) << 32) | e.minLow;
  const uint64_t max = (static_cast<uint64_t>(static_cast<uint32_t>(e.maxHigh)) << 32) | e.maxLow;
  if (e.type == kFieldInt64) {
    const auto value = static_cast<int64_t>(v);
    if (hasMin && value < static_cast<int64_t>(min)) return false;
    if (hasMax && value > static_cast<int64_t>(max)) return false;
  } else {
    if (hasMin && v < min) return false;
    if (hasMax && v > max) return false;
  }
  return true;
}

bool IsArray(const FieldMapEntry& e) { return !Unbounded32(e.minLow) && Unbounded32(e.maxLow); }

// The integer payload of a host value read for a field of type t: types 2..9 for the 32-bit
// family (sign-extended for signed fields), 10 and 11 for 64-bit fields; 0 for anything else.
uint64_t IntPayload(const Kx2::PropertyValue& v, uint16_t t) {
  if (Is64Type(t)) return (v.type == Kx2::kValueInt64 || v.type == Kx2::kValueUInt64) ? v.u64 : 0;
  if (v.type < Kx2::kValueInt8 || v.type > Kx2::kValueULong) return 0;
  return IsSignedType(t) ? static_cast<uint64_t>(static_cast<int64_t>(v.i32)) : v.u32;
}

// Fills `out` with the host value of one element or scalar held at p.
bool MakeValue(const unsigned char* p, uint16_t t, Kx2::PropertyValue& out) {
  out.type = HostTypeOf(t);
  if (t == kFieldFloat) {
    std::memcpy(&out.f32, p, 4);
  } else if (t == kFieldDouble) {
    std::memcpy(&out.f64, p, 8);
  } else if (t == kFieldBlock16) {
    out.block = new (std::nothrow) Kx2::ValueBlock16;
    if (!out.block) {
      out.type = Kx2::kValueEmpty;
      return false;
    }
    std::memcpy(out.block->bytes, p, 16);
  } else if (Is64Type(t)) {
    out.u64 = static_cast<uint64_t>(LoadInt(p, t));
  } else {
    out.i32 = static_cast<int32_t>(LoadInt(p, t));
  }
  return true;
}

// Stores a host value read for one element or scalar at p (0 for a value of another type).
void TakeValue(unsigned char* p, uint16_t t, const Kx2::PropertyValue& v) {
  if (t == kFieldFloat || t == kFieldDouble) {
    double d = 0.0;
    if (v.type == Kx2::kValueFloat) d = v.f32;
    if (v.type == Kx2::kValueDouble) d = v.f64;
    if (t == kFieldFloat) {
      const auto f = static_cast<float>(d);
      std::memcpy(p, &f, 4);
    } else {
      std::memcpy(p, &d, 8);
    }
  } else if (t == kFieldBlock16) {
    if (v.type == Kx2::kValueBlock16 && v.block)
      std::memcpy(p, v.block->bytes, 16);
    else
      std::memset(p, 0, 16);
  } else {
    StoreInt(p, t, IntPayload(v, t));
  }
}

bool ExchangeBits(IKx2PropertyObject* host, unsigned char* p, const FieldMapEntry& e, int direction) {
  const int fieldBits = WidthOf(e.type) * 8;
  if (e.bitWidth == 0 || e.bitShift >= fieldBits || e.bitShift + e.bitWidth > fieldBits) return false;
  const uint64_t mask = e.bitWidth >= 64 ? ~0ull : (1ull << e.bitWidth) - 1;
  const uint64_t raw = static_cast<uint64_t>(LoadInt(p, e.type));
  const bool isSigned = IsSignedType(e.type);
  if (direction == kFieldMapWrite) {
    uint64_t v = (raw >> e.bitShift) & mask;
    if (isSigned && e.minLow >= 1 && e.minLow < 64 && ((v >> (e.minLow - 1)) & 1)) v |= ~((1ull << e.minLow) - 1);
    ScopedPropertyValue value;
    const int w = e.bitWidth;
    if (Is64Type(e.type) && w > 32) {
      value->type = isSigned ? Kx2::kValueInt64 : Kx2::kValueUInt64;
      value->u64 = v;
    } else {
      if (isSigned)
        value->type = w <= 8    ? Kx2::kValueInt8
                      : w <= 16 ? Kx2::kValueInt16
                      : w <= 32 ? Kx2::kValueInt32
                                : Kx2::kValueLong;
      else
        value->type = w <= 8    ? Kx2::kValueUInt8
                      : w <= 16 ? Kx2::kValueUInt16
                      : w <= 32 ? Kx2::kValueUInt32
                                : Kx2::kValueULong;
      value->i32 = static_cast<int32_t>(v);
    }
    return host->SetValue(e.propertyId, *value) != FALSE;
  }
  ScopedPropertyValue value;
  host->GetValue(e.propertyId, value.get());
  const uint64_t v = IntPayload(*value, e.type);
  if (Is64Type(e.type) ? !InRange64(e, v, isSigned) : !InRange32(e, static_cast<int64_t>(v), isSigned)) return false;
  StoreInt(p, e.type, (raw & ~(mask << e.bitShift)) | ((v & mask) << e.bitShift));
  return true;
}

bool ExchangeArray(IKx2PropertyObject* host, unsigned char* p, const FieldMapEntry& e, int direction) {
  const uint32_t count = e.minLow;
  const int width = WidthOf(e.type);
  if (count > kMaxArrayElements || width == 0) return false;
  IKx2PropertyArray* array = host->GetArray(e.propertyId);
  if (direction == kFieldMapWrite) {
    if (!array) array = host->CreateArray(e.propertyId, static_cast<int32_t>(count));
    if (!array) return false;
    bool ok = array->GetCount() >= static_cast<int32_t>(count) || array->SetCount(static_cast<int32_t>(count));
    for (uint32_t i = 0; ok && i < count; ++i) {
      ScopedPropertyValue value;
      ok = MakeValue(p + static_cast<size_t>(i) * width, e.type, *value) &&
           array->SetElement(static_cast<int32_t>(i), *value);
    }
    array->Release();
    return ok;
  }
  if (!array) return true;
  for (uint32_t i = 0; i < count; ++i) {
    ScopedPropertyValue value;
    if (!array->GetElement(static_cast<int32_t>(i), value.get())) value->Clear();
    TakeValue(p + static_cast<size_t>(i) * width, e.type, *value);
  }
  array->Release();
  return true;
}

bool ExchangeScalar(IKx2PropertyObject* host, unsigned char* p, const FieldMapEntry& e, int direction) {
  if (direction == kFieldMapWrite) {
    ScopedPropertyValue value;
    return MakeValue(p, e.type, *value) && host->SetValue(e.propertyId, *value);
  }
  ScopedPropertyValue value;
  host->GetValue(e.propertyId, value.get());
  if (IsIntType(e.type) || Is64Type(e.type)) {
    const uint64_t v = IntPayload(*value, e.type);
    if (Is64Type(e.type) ? !InRange64(e, v, false) : !InRange32(e, static_cast<int64_t>(v), false)) return false;
    StoreInt(p, e.type, v);
    return true;
  }
  TakeValue(p, e.type, *value);
  return true;
}

// Length of a text of at most `limit` units.
size_t BoundedLength(const char16_t* text, size_t limit) {
  size_t n = 0;
  if (text)
    while (n < limit && text[n]) ++n;
  return n;
}

bool ExchangeText(IKx2PropertyObject* host, unsigned char* p, const FieldMapEntry& e, int direction) {
  if (e.type == kFieldReserved48 || e.type == kFieldReserved51) return true;
  if (direction == kFieldMapWrite) {
    ScopedPropertyValue value;
    value->type = Kx2::kValueText;
    if (e.type == kFieldTextBuffer) {
      if (e.minLow == 0 || e.minLow == kFieldUnbounded) return false;
      const auto* buffer = reinterpret_cast<const char16_t*>(p);
      value->text = SysAllocStringLen(buffer, static_cast<UINT>(BoundedLength(buffer, e.minLow)));
    } else if (e.type == kFieldSysString) {
      BSTR held;
      std::memcpy(&held, p, sizeof held);
      value->text = SysAllocString(held ? held : u"");
    } else {
      value->text = SysAllocString(reinterpret_cast<const CKx2String*>(p)->GetString());
    }
    if (!value->text) return false;
    return host->SetValue(e.propertyId, *value) != FALSE;
  }
  ScopedPropertyValue value;
  host->GetValue(e.propertyId, value.get());
  const char16_t* text = u"";
  size_t length = 0;
  if (value->type == Kx2::kValueText) {
    if (!value->text) return false;
    text = value->text;
    length = SysStringLen(value->text);
  }
  if (e.type == kFieldTextBuffer) {
    if (e.minLow == 0 || e.minLow == kFieldUnbounded) return false;
    if (length > e.minLow - 1) length = e.minLow - 1;
    auto* buffer = reinterpret_cast<char16_t*>(p);
    std::memcpy(buffer, text, length * sizeof(char16_t));
    buffer[length] = 0;
    return true;
  }
  if (e.type == kFieldSysString) {
    BSTR copy = SysAllocStringLen(text, static_cast<UINT>(length));
    if (!copy) return false;
    BSTR old;
    std::memcpy(&old, p, sizeof old);
    SysFreeString(old);
    std::memcpy(p, &copy, sizeof copy);
    return true;
  }
  return reinterpret_cast<CKx2String*>(p)->Assign(text, static_cast<int32_t>(length)) != 0;
}

bool ExchangeTableId(IKx2PropertyObject* host, unsigned char* p, const FieldMapEntry& e, int direction) {
  uint16_t id;
  std::memcpy(&id, p, 2);
  if (direction == kFieldMapWrite) {
    IKx2FieldIdService* service = e.accessor ? e.accessor() : nullptr;
    return service && service->ExportIdentifier(host, e.propertyId, id);
  }
  ScopedPropertyValue value;
  host->GetValue(e.propertyId, value.get());
  if (value->type != Kx2::kValueReference) return false;
  auto* service = dynamic_cast<IKx2FieldIdService*>(value->owner);
  if (!service) return false;
  const uint16_t fresh = service->InternObject(*value);
  if (fresh == 0) return false;
  if (id != 0) service->ReleaseIdentifier(id);
  std::memcpy(p, &fresh, 2);
  return true;
}

bool ExchangeNested(IKx2PropertyObject* host, unsigned char* p, const FieldMapEntry& e, int direction) {
  if (!e.nested) return false;
  IKx2PropertyObject* child = host->GetChild(e.propertyId);
  if (!child && direction == kFieldMapWrite) child = host->CreateChild(e.propertyId, e.minLow);
  if (!child) return false;
  const int ok = FieldMap::ExchangeAll(child, p, e.nested, direction);
  child->Release();
  return ok != 0;
}

}  // namespace

bool FieldMap::ExchangeField(IKx2PropertyObject* host, void* record, const FieldMapEntry& e, int direction) {
  if (direction == kFieldMapRead && !host->HasValue(e.propertyId)) return true;
  if (e.offset < 0) return false;
  unsigned char* p = static_cast<unsigned char*>(record) + e.offset;
  switch (e.type) {
    case kFieldNested:
      return ExchangeNested(host, p, e, direction);
    case kFieldCallback:
    case kFieldCallback2:
      return e.callback && e.callback(record, direction, host, e.propertyId) != 0;
    case kFieldReserved48:
    case kFieldTextBuffer:
    case kFieldSysString:
    case kFieldReserved51:
    case kFieldKx2String:
      return ExchangeText(host, p, e, direction);
    case kFieldTableId:
      return ExchangeTableId(host, p, e, direction);
    default:
      break;
  }
  if (WidthOf(e.type) == 0) return false;
  if ((IsIntType(e.type) || Is64Type(e.type)) && e.bitShift != kFieldNoBits) return ExchangeBits(host, p, e, direction);
  if (IsArray(e)) return ExchangeArray(host, p, e, direction);
  return ExchangeScalar(host, p, e, direction);
}

int FieldMap::ExchangeAll(IKx2PropertyObject* host, void* record, const FieldMapEntry* map, int direction) {
  if (!host || !record || !map) return 0;
  bool hasMode = false;
  int32_t mode = 0;
  if (direction == kFieldMapWrite) {
    ScopedPropertyValue value;
    if (host->GetValue(Kx2::kFieldMapModeProperty, value.get()) && value->type >= Kx2::kValueInt8 &&
        value->type <= Kx2::kValueULong) {
      hasMode = true;
      mode = value->i32;
    }
  }
  for (const FieldMapEntry* e = map; e->type != kFieldEnd; ++e) {
    if (hasMode && e->type == kFieldNested) {
      IKx2PropertyObject* child = host->GetChild(e->propertyId);
      if (!child) continue;
      child->Release();
    }
    if (hasMode && mode == 2 && e->type != kFieldNested) continue;
    ExchangeField(host, record, *e, direction);
  }
  return 1;
}
