// The shape context: a shape style with full contexts of its five formats.
#include <plastrum/format/PresentShape.h>

#include <new>

#include "NestedFields.h"

namespace {

auto& Lines() { return PresentLineTable(); }
auto& Fills() { return PresentFillTable(); }
auto& Shadows() { return PresentShadowTable(); }
auto& Pictures() { return PresentPictureTable(); }
auto& Formats3D() { return Present3DFormatTable(); }

// The host holds one more reference on its object for the length of a call.
class HostHold {
 public:
  explicit HostHold(IKx2PropertyObject* host) : host_(host) {
    if (host_) host_->AddRef();
  }
  ~HostHold() {
    if (host_) host_->Release();
  }
  HostHold(const HostHold&) = delete;
  HostHold& operator=(const HostHold&) = delete;

 private:
  IKx2PropertyObject* host_;
};

}  // namespace

CPresentShapeCtx::CPresentShapeCtx() = default;

CPresentShapeCtx::CPresentShapeCtx(const CPresentShape& shape) : CPresentShape(shape), CPresentBaseCtx(kStateCommon) {
  ResetNested();
}

void CPresentShapeCtx::ResetNested() {
  if (const CPresentLine* e = Lines().GetEntry(v.lineID)) line.ResetFrom(*e);
  if (const CPresentFill* e = Fills().GetEntry(v.fillID)) fill.ResetFrom(*e);
  if (const CPresentShadow* e = Shadows().GetEntry(v.shadowID)) shadow.ResetFrom(*e);
  if (const CPresentPicture* e = Pictures().GetEntry(v.pictureID)) picture.ResetFrom(*e);
  if (const CPresent3DFormat* e = Formats3D().GetEntry(v.format3DID)) format3d.ResetFrom(*e);
}

CPresentShapeCtx* CPresentShapeCtx::Create(const CPresentShape* shape) {
  return shape ? new (std::nothrow) CPresentShapeCtx(*shape) : new (std::nothrow) CPresentShapeCtx();
}

CPresentShapeCtx* CPresentShapeCtx::Clone(const CPresentShapeCtx* source) {
  if (!source) return nullptr;
  auto* copy = new (std::nothrow) CPresentShapeCtx();
  if (!copy) return nullptr;
  copy->AssignValue(*source);
  copy->states_ = source->States();
  const bool ok = CPresentLineCtx::CopyFrom(copy->line, source->line) &&
                  CPresentFillCtx::CopyFrom(copy->fill, source->fill) && copy->shadow.CopyFrom(source->shadow) &&
                  copy->format3d.CopyFrom(source->format3d) && copy->picture.CopyFrom(source->picture);
  if (!ok) {
    delete copy;
    return nullptr;
  }
  return copy;
}

int CPresentShapeCtx::Store(IKx2PropertyObject* host) {
  if (!host) return 0;
  HostHold hold(host);
  if (IsCommon(kLine) && !StoreNested(host, kLine, Kx2::kPropertyClassLine, line)) return 0;
  if (IsCommon(kFill) && !StoreNested(host, kFill, Kx2::kPropertyClassFill, fill)) return 0;
  if (IsCommon(kShadow) && !StoreNested(host, kShadow, Kx2::kPropertyClassShadow, shadow)) return 0;
  if (IsCommon(k3DFormat) && !StoreNested(host, k3DFormat, Kx2::kPropertyClass3DFormat, format3d)) return 0;
  if (IsCommon(kPicture) && !StoreNested(host, kPicture, Kx2::kPropertyClassPicture, picture)) return 0;
  return 1;
}

int CPresentShapeCtx::Load(IKx2PropertyObject* host, int* nothingFound) {
  if (nothingFound) *nothingFound = 1;
  if (!host) return 0;
  HostHold hold(host);
  bool found = false, any = false;
  int ok = LoadNested(host, kLine, line, Lines(), v.lineID, &found);
  any = any || found;
  if (ok) ok = LoadNested(host, kFill, fill, Fills(), v.fillID, &found), any = any || found;
  if (ok) ok = LoadNested(host, kShadow, shadow, Shadows(), v.shadowID, &found), any = any || found;
  if (ok) ok = LoadNested(host, k3DFormat, format3d, Formats3D(), v.format3DID, &found), any = any || found;
  if (ok) ok = LoadNested(host, kPicture, picture, Pictures(), v.pictureID, &found), any = any || found;
  if (nothingFound) *nothingFound = any ? 0 : 1;
  return ok;
}

void CPresentShapeCtx::Apply(CPresentShape& target) {
  Present::Nested::Apply(IsCommon(kLine), Lines(), target.v.lineID, line);
  Present::Nested::Apply(IsCommon(kFill), Fills(), target.v.fillID, fill);
  Present::Nested::Apply(IsCommon(kShadow), Shadows(), target.v.shadowID, shadow);
  Present::Nested::Apply(IsCommon(k3DFormat), Formats3D(), target.v.format3DID, format3d);
  Present::Nested::Apply(IsCommon(kPicture), Pictures(), target.v.pictureID, picture);
}

void CPresentShapeCtx::Merge(const CPresentShape& shape) {
  Present::Nested::Merge(*this, kLine, Lines(), v.lineID, shape.v.lineID, line);
  Present::Nested::Merge(*this, kFill, Fills(), v.fillID, shape.v.fillID, fill);
  Present::Nested::Merge(*this, kShadow, Shadows(), v.shadowID, shape.v.shadowID, shadow);
  Present::Nested::Merge(*this, k3DFormat, Formats3D(), v.format3DID, shape.v.format3DID, format3d);
  Present::Nested::Merge(*this, kPicture, Pictures(), v.pictureID, shape.v.pictureID, picture);
}

int CPresentShapeCtx::IsEqual(const CPresentShape& shape) {
  return Present::Nested::Equal(IsCommon(kLine), Lines(), shape.v.lineID, line) &&
                 Present::Nested::Equal(IsCommon(kFill), Fills(), shape.v.fillID, fill) &&
                 Present::Nested::Equal(IsCommon(kShadow), Shadows(), shape.v.shadowID, shadow) &&
                 Present::Nested::Equal(IsCommon(k3DFormat), Formats3D(), shape.v.format3DID, format3d) &&
                 Present::Nested::Equal(IsCommon(kPicture), Pictures(), shape.v.pictureID, picture)
             ? 1
             : 0;
}

int CPresentShapeCtx::Archive(CKx2DataBlock& archive) {
  const int ok = ArchiveWithStates(archive, kRecordTag, [this](CKx2DataBlock& ar) { return ExchangeValues(ar); });
  // Each nested context follows the entry its format now names.
  if (v.lineID)
    if (const CPresentLine* e = Lines().GetEntry(v.lineID)) line.ResetFrom(*e);
  if (v.fillID)
    if (const CPresentFill* e = Fills().GetEntry(v.fillID)) fill.ResetFrom(*e);
  if (v.shadowID)
    if (const CPresentShadow* e = Shadows().GetEntry(v.shadowID)) shadow.ResetFrom(*e);
  if (v.pictureID)
    if (const CPresentPicture* e = Pictures().GetEntry(v.pictureID)) picture.ResetFrom(*e);
  if (v.format3DID)
    if (const CPresent3DFormat* e = Formats3D().GetEntry(v.format3DID)) format3d.ResetFrom(*e);
  return ok;
}

int CPresentShapeCtx::Archive(CKx2DataBlock* archive) {
  if (!archive) return 0;
  // The archive's throw mode ends the exchange here: no exception leaves the library.
  try {
    return Archive(*archive);
  } catch (...) {
    return 0;
  }
}

void CPresentShapeCtx::SetState(uint32_t propertyId, uint8_t state) {
  if (propertyId >= 0x7000 && propertyId <= 0x7004)
    CPresentBaseCtx::SetState(static_cast<int>(propertyId - 0x7000), state);
}

int CPresentShapeCtx::Assign(CPresentShape* shape) {
  if (!shape) return 0;
  AssignValue(*shape);
  return 1;
}

int CPresentShapeCtx::Apply(CPresentShape* target) {
  if (!target) return 0;
  Apply(*target);
  return 1;
}

int CPresentShapeCtx::Merge(CPresentShape* shape) {
  if (!shape) return 0;
  Merge(*shape);
  return 1;
}

int CPresentShapeCtx::IsEqual(CPresentShape* shape) { return shape ? IsEqual(*shape) : 0; }

int CPresentShapeCtx::TakeLineFill(CPresentShape* shape) {
  if (!shape) return -1;
  const CPresentLine* theirs = Lines().GetEntry(shape->v.lineID);
  const CPresentFill* theirFill = theirs ? Fills().GetEntry(theirs->v.fillID) : nullptr;
  if (theirFill) {
    const int32_t fillId = Fills().Intern(*theirFill);
    if (fillId >= 0) {
      Fills().Release(line.v.fillID);
      line.v.fillID = static_cast<uint16_t>(fillId);
    }
  }
  const int32_t lineId = Lines().Intern(static_cast<const CPresentLine&>(line));
  if (lineId < 0) return -1;
  Lines().Release(v.lineID);
  v.lineID = static_cast<uint16_t>(lineId);
  return 1;
}
