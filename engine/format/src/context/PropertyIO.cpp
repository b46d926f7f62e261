#include <plastrum/format/PropertyIO.h>

namespace Present::PropertyIO {
namespace {

int Set(IKx2PropertyObject* host, uint32_t id, Kx2::ScopedPropertyValue& value) {
  return host && host->SetValue(id, *value) ? 1 : 0;
}

// The host's copy of property id in `value`; false when it is absent.
bool Get(IKx2PropertyObject* host, uint32_t id, Kx2::ScopedPropertyValue& value) {
  return host && host->GetValue(id, value.get());
}

}  // namespace

int SetInt(IKx2PropertyObject* host, uint32_t id, uint16_t type, int32_t value) {
  Kx2::ScopedPropertyValue v;
  v->type = type;
  v->i32 = value;
  return Set(host, id, v);
}

int SetWords(IKx2PropertyObject* host, uint32_t id, uint32_t low, uint32_t high) {
  Kx2::ScopedPropertyValue v;
  v->type = Kx2::kValueUInt64;
  v->words[0] = low;
  v->words[1] = high;
  return Set(host, id, v);
}

int SetFloat(IKx2PropertyObject* host, uint32_t id, float value) {
  Kx2::ScopedPropertyValue v;
  v->type = Kx2::kValueFloat;
  v->f32 = value;
  return Set(host, id, v);
}

int SetDouble(IKx2PropertyObject* host, uint32_t id, double value) {
  Kx2::ScopedPropertyValue v;
  v->type = Kx2::kValueDouble;
  v->f64 = value;
  return Set(host, id, v);
}

bool GetInt(IKx2PropertyObject* host, uint32_t id, int32_t* out) {
  Kx2::ScopedPropertyValue v;
  if (!Get(host, id, v)) return false;
  *out = (v->type >= Kx2::kValueInt8 && v->type <= Kx2::kValueULong) ? v->i32 : 0;
  return true;
}

bool GetWords(IKx2PropertyObject* host, uint32_t id, uint32_t* low, uint32_t* high) {
  Kx2::ScopedPropertyValue v;
  if (!Get(host, id, v)) return false;
  const bool wide = v->type == Kx2::kValueInt64 || v->type == Kx2::kValueUInt64;
  *low = wide ? v->words[0] : 0;
  *high = wide ? v->words[1] : 0;
  return true;
}

bool GetFloat(IKx2PropertyObject* host, uint32_t id, float* out) {
  Kx2::ScopedPropertyValue v;
  if (!Get(host, id, v)) return false;
  if (v->type == Kx2::kValueFloat)
    *out = v->f32;
  else if (v->type == Kx2::kValueDouble)
    *out = static_cast<float>(v->f64);
  else
    *out = 0.0f;
  return true;
}

}  // namespace Present::PropertyIO
