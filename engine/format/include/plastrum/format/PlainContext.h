// The operations of a context whose fields are all plain, over the kind's field table.
#pragma once

#include <plastrum/format/FormatContext.h>
#include <plastrum/format/FormatFields.h>

template <class Value, int N, uint16_t StatesTag, int (Value::*ValueForm)(CKx2DataBlock&)>
inline int CPresentPlainCtx<Value, N, StatesTag, ValueForm>::Store(IKx2PropertyObject* host) {
  if (!host) return 0;
  this->BeginStore(host);
  return Present::Fields::Store(host, &this->v, this->states_.data(), Value::PlainFields());
}

template <class Value, int N, uint16_t StatesTag, int (Value::*ValueForm)(CKx2DataBlock&)>
inline int CPresentPlainCtx<Value, N, StatesTag, ValueForm>::Load(IKx2PropertyObject* host, int* nothingFound) {
  const bool any = host && Present::Fields::Load(host, &this->v, this->states_.data(), Value::PlainFields());
  if (nothingFound) *nothingFound = any ? 0 : 1;
  return 1;
}

template <class Value, int N, uint16_t StatesTag, int (Value::*ValueForm)(CKx2DataBlock&)>
inline void CPresentPlainCtx<Value, N, StatesTag, ValueForm>::Apply(Value& target) {
  Present::Fields::Apply(&target.v, &this->v, this->states_.data(), Value::PlainFields());
}

template <class Value, int N, uint16_t StatesTag, int (Value::*ValueForm)(CKx2DataBlock&)>
inline void CPresentPlainCtx<Value, N, StatesTag, ValueForm>::Merge(const Value& value) {
  Present::Fields::Merge(&this->v, &value.v, this->states_.data(), Value::PlainFields());
}

template <class Value, int N, uint16_t StatesTag, int (Value::*ValueForm)(CKx2DataBlock&)>
inline int CPresentPlainCtx<Value, N, StatesTag, ValueForm>::IsEqual(const Value& value) {
  return Present::Fields::Equal(&this->v, &value.v, this->states_.data(), Value::PlainFields()) ? 1 : 0;
}
