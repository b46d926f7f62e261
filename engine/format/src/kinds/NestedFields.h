// The context rules for a field that names an entry of another kind, held as a nested
// context of that kind.
#pragma once

#include <cstdint>

#include <plastrum/format/ShapeTable.h>

namespace Present::Nested {

// The merge rule for a nested field k: the first value also gives the context its identifier
// (so that a later value naming the same entry counts as equal) and the nested context merges
// the value's entry; a later value naming another entry makes the field mixed and is merged
// into the nested context as well.
template <class Ctx, class Value, class NestedCtx>
void Merge(Ctx& ctx, int k, CKx2ShapeTbl<Value>& table, uint16_t& own, uint16_t theirs, NestedCtx& nested) {
  const Value* entry = table.GetEntry(theirs);
  if (ctx.GetState(k) == Ctx::kStateUnset) {
    table.Assign(own, theirs);
    ctx.SetState(k, Ctx::kStateCommon);
    if (entry) nested.Merge(*entry);
  } else if (ctx.GetState(k) == Ctx::kStateCommon && entry != table.GetEntry(own)) {
    ctx.SetState(k, Ctx::kStateMixed);
    if (entry) nested.Merge(*entry);
  }
}

// Applies a common nested field: the nested context goes onto a copy of the target's entry,
// which is interned; the new identifier replaces the target's when interning succeeds.
template <class Value, class NestedCtx>
void Apply(bool common, CKx2ShapeTbl<Value>& table, uint16_t& targetId, NestedCtx& nested) {
  if (!common) return;
  const Value* entry = table.GetEntry(targetId);
  if (!entry) return;
  Value copy(*entry);
  nested.Apply(copy);
  const int32_t id = table.Intern(copy);
  if (id < 0) return;
  table.Release(targetId);
  targetId = static_cast<uint16_t>(id);
}

template <class Value, class NestedCtx>
bool Equal(bool common, CKx2ShapeTbl<Value>& table, uint16_t theirs, NestedCtx& nested) {
  if (!common) return true;
  const Value* entry = table.GetEntry(theirs);
  return !entry || nested.IsEqual(*entry);
}

// Reads a nested embedded record into a fresh value and interns it; the identifier replaces
// `id` when interning succeeds. 0 when the record is missing.
template <class Value>
int ReadEmbedded(CKx2DataBlock& archive, CKx2ShapeTbl<Value>& table, uint16_t& id) {
  Value fresh;
  if (!fresh.ExchangeEmbedded(archive)) return 0;
  const int32_t interned = table.Intern(fresh);
  if (interned < 0) return 1;  // the table is full: the holder keeps what it had
  table.Release(id);
  id = static_cast<uint16_t>(interned);
  return 1;
}

// Writes the embedded record of the entry an identifier names.
template <class Value>
int WriteEmbedded(CKx2DataBlock& archive, CKx2ShapeTbl<Value>& table, uint16_t id) {
  Value* entry = table.GetEntry(id);
  return entry ? entry->ExchangeEmbedded(archive) : 0;
}

}  // namespace Present::Nested
