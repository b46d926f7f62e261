// Format contexts: an editable copy of one format value with one state byte per field.
//
// A context collects the values of several shapes (Merge), tells which fields they share
// (state 0, common) and which differ (state 2, mixed, keeping the first value), exchanges the
// common fields with the host's property objects (Store, Load), puts them onto a shape's
// value (Apply) and is archived with its states. A field that no value has reached yet has
// state 1. Field k travels to the host as property 0x7000 + k.
//
// A kind's context class derives from CPresentFormatCtx over the kind's value class (so it is
// a complete value itself, with the states of CPresentBaseCtx), which carries what every kind
// does alike, and implements the operations its fields need; a kind whose fields are all
// plain takes them from CPresentPlainCtx. A field naming an entry of another kind is
// represented by a nested context of that kind, held inline. The helpers below carry the
// rules every kind shares.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include <plastrum/format/ShapeTable.h>
#include <plastrum/HostProperty.h>
#include <plastrum/Kx2Archive.h>

namespace Present::Fields {
struct Field;
}

template <class Value, uint32_t PropertyBase, int N>
class CPresentBaseCtx {
 public:
  enum : uint8_t { kStateCommon = 0, kStateUnset = 1, kStateMixed = 2 };
  static constexpr int kFieldCount = N;
  static constexpr uint32_t PropertyId(int k) { return PropertyBase + static_cast<uint32_t>(k); }

  // A default context: nothing collected yet.
  CPresentBaseCtx() { states_.fill(kStateUnset); }
  // A context made from a value: every field common.
  explicit CPresentBaseCtx(uint8_t state) { states_.fill(state); }
  CPresentBaseCtx(const CPresentBaseCtx&) = default;
  CPresentBaseCtx& operator=(const CPresentBaseCtx&) = default;
  virtual ~CPresentBaseCtx() = default;

  // Writes every common field into the host object; nested contexts into child objects the
  // host creates for their property. 1, or 0 at the first refusal (what went before stays).
  virtual int Store(IKx2PropertyObject* host) = 0;
  // Reads every field the host object has and makes it common; nested values are interned
  // and their identifiers stored. *nothingFound (when given) tells whether no property at all
  // was there. 1, or 0 when a nested load or intern fails.
  virtual int Load(IKx2PropertyObject* host, int* nothingFound) = 0;
  // Copies every common field onto the target; nested fields are applied to a copy of the
  // target's entry, interned, and the identifier replaces the target's.
  virtual void Apply(Value& target) = 0;
  // Folds one more value in by the merge rule.
  virtual void Merge(const Value& value) = 0;
  // 1 when every common field equals the value's.
  virtual int IsEqual(const Value& value) = 0;
  // Copies every field of the value, leaving the states as they are.
  virtual void Assign(const Value& value) = 0;
  // Writes or reads the states record and the value, by the archive's direction.
  virtual int Archive(CKx2DataBlock& archive) = 0;

  uint8_t GetState(int k) const { return states_[static_cast<size_t>(k)]; }
  void SetState(int k, uint8_t state) { states_[static_cast<size_t>(k)] = state; }
  void SetAllStates(uint8_t state) { states_.fill(state); }
  bool IsCommon(int k) const { return GetState(k) == kStateCommon; }
  const std::array<uint8_t, N>& States() const { return states_; }

 protected:
  // The merge rule for a field whose equality is `same`: unset takes the value and becomes
  // common; common becomes mixed when the value differs; mixed stays mixed. Returns whether
  // the field took the value (for nested fields: whether the nested context merges too).
  bool MergeState(int k, bool same) {
    switch (GetState(k)) {
      case kStateUnset:
        SetState(k, kStateCommon);
        return true;
      case kStateCommon:
        if (!same) SetState(k, kStateMixed);
        return false;
      default:
        return false;
    }
  }
  template <class F>
  void MergeField(int k, F& mine, const F& theirs) {
    if (MergeState(k, mine == theirs)) mine = theirs;
  }
  template <class F>
  void ApplyField(int k, F& target, const F& mine) const {
    if (IsCommon(k)) target = mine;
  }
  template <class F>
  bool FieldEquals(int k, const F& mine, const F& theirs) const {
    return !IsCommon(k) || mine == theirs;
  }

  // The pair every store begins with: one operation's result is handed straight to the
  // other before any property is written.
  static void BeginStore(IKx2PropertyObject* host) { host->SetStoreMark(host->GetStoreMark()); }

  // Stores a nested context into a child object made under field k's property.
  template <class NestedCtx>
  static int StoreNested(IKx2PropertyObject* host, int k, uint32_t classCode, NestedCtx& nested) {
    IKx2PropertyObject* child = host->CreateChild(PropertyId(k), classCode);
    if (!child) return 0;
    const int ok = nested.Store(child);
    child->Release();
    return ok;
  }

  // Loads a nested context from the child object under field k's property (nothing when
  // there is none), interns the loaded value and hands the reference to `id` (the old one is
  // dropped). *found tells whether a child was there. 1, or 0 when the nested load or the
  // intern fails, leaving `id` unchanged.
  template <class NestedCtx, class NestedValue, class Field>
  int LoadNested(IKx2PropertyObject* host, int k, NestedCtx& nested, CKx2ShapeTbl<NestedValue>& table, Field& id,
                 bool* found) {
    *found = false;
    IKx2PropertyObject* child = host->GetChild(PropertyId(k));
    if (!child) return 1;
    *found = true;
    int nestedNothing = 0;
    int ok = nested.Load(child, &nestedNothing);
    child->Release();
    if (!ok) return 0;
    const int32_t interned = table.Intern(static_cast<const NestedValue&>(nested));
    if (interned < 0) return 0;
    table.Release(static_cast<uint32_t>(id));
    id = static_cast<Field>(interned);
    SetState(k, kStateCommon);
    return 1;
  }

  // The record of the states, with the value's own form nested under it: the nesting level
  // rises around both, so that skipping the states record skips the value too. `valueForm`
  // is called with the archive and returns 1 or 0. A state read from a file that is not 0,
  // 1 or 2 reads as 1 (not set).
  template <class ValueForm>
  int ArchiveWithStates(CKx2DataBlock& archive, uint16_t tag, ValueForm valueForm) {
    archive.SetLevel(archive.GetLevel() + 1);
    int ok;
    if (archive.IsReading()) {
      ok = archive.OpenRecord(tag) == tag ? 1 : 0;
      if (ok) {
        std::array<uint8_t, N> read{};
        archive.Read(read.data(), N);
        for (auto& s : read)
          if (s > kStateMixed) s = kStateUnset;
        states_ = read;
      }
      archive.EndRecord();
    } else {
      ok = archive.BeginRecord(tag);
      if (ok) {
        archive.Write(states_.data(), N);
        ok = archive.EndRecord();
      }
    }
    if (ok) ok = valueForm(archive);
    archive.SetLevel(archive.GetLevel() - 1);
    return ok;
  }

  std::array<uint8_t, N> states_;
};

// The frame of a kind's context: construction, Assign, the archive form (the states record,
// then the value's record form `ValueForm`), and copying and resetting a context whose fields
// hold no nested context (a kind with nested contexts hides CopyFrom and ResetFrom).
template <class Value, int N, uint16_t StatesTag, int (Value::*ValueForm)(CKx2DataBlock&)>
class CPresentFormatCtx : public Value, public CPresentBaseCtx<Value, 0x7000, N> {
  using StateBase = CPresentBaseCtx<Value, 0x7000, N>;

 public:
  static constexpr uint16_t kStatesTag = StatesTag;

  CPresentFormatCtx() = default;
  // A context of one value: every field common.
  explicit CPresentFormatCtx(const Value& value) : Value(value), StateBase(StateBase::kStateCommon) {}
  CPresentFormatCtx(const CPresentFormatCtx& other) : Value(other), StateBase(other) {}
  CPresentFormatCtx& operator=(const CPresentFormatCtx&) = delete;

  void Assign(const Value& value) override { this->AssignValue(value); }
  int Archive(CKx2DataBlock& archive) override {
    return this->ArchiveWithStates(archive, StatesTag, [this](CKx2DataBlock& ar) { return (this->*ValueForm)(ar); });
  }

  // The value and the states of another context.
  int CopyFrom(const CPresentFormatCtx& other) {
    this->AssignValue(other);
    this->states_ = other.States();
    return 1;
  }
  // The value of a table entry with every state common.
  void ResetFrom(const Value& value) {
    this->AssignValue(value);
    this->SetAllStates(StateBase::kStateCommon);
  }
};

// The context of a kind whose fields are all plain (no identifier of another kind, no
// arrays): the five operations run over the kind's field table, `Value::PlainFields()`
// (defined in PlainContext.h, which the kind's header includes).
template <class Value, int N, uint16_t StatesTag, int (Value::*ValueForm)(CKx2DataBlock&)>
class CPresentPlainCtx : public CPresentFormatCtx<Value, N, StatesTag, ValueForm> {
  using Frame = CPresentFormatCtx<Value, N, StatesTag, ValueForm>;

 public:
  using Frame::Frame;

  int Store(IKx2PropertyObject* host) override;
  int Load(IKx2PropertyObject* host, int* nothingFound) override;
  void Apply(Value& target) override;
  void Merge(const Value& value) override;
  int IsEqual(const Value& value) override;
};

namespace Present {

// Stores a value into a host property object through a context made from it, holding the
// object for the call. FALSE for a null object or a refused store.
template <class Ctx, class Value>
BOOL ExportThroughContext(const Value& value, IKx2PropertyObject* sink) {
  if (!sink) return FALSE;
  sink->AddRef();
  int ok;
  {
    Ctx ctx(value);
    ok = ctx.Store(sink);
  }
  sink->Release();
  return ok ? TRUE : FALSE;
}

}  // namespace Present
