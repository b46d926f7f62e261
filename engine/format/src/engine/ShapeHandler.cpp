// The shape handler's slots over the process-wide shape table.
#include <plastrum/format/ShapeHandler.h>

#include <plastrum/format/PresentShape.h>

CPresentShape* CPresentShapeHandler::GetShape(int32_t id) {
  return PresentShapeTable().GetEntry(static_cast<uint32_t>(id));
}

int32_t CPresentShapeHandler::InternShape(CPresentShape* shape) {
  if (!shape || PresentShapeTable().GetCount() == 0) return -1;
  return PresentShapeTable().Intern(*shape);
}

int32_t CPresentShapeHandler::NewShapeSlot() { return PresentShapeTable().NewEntry(); }

int32_t CPresentShapeHandler::ReplaceShape(int32_t id, CPresentShape* shape) {
  if (!shape) return -1;
  return PresentShapeTable().Replace(*shape, static_cast<uint32_t>(id));
}

// The table ignores none, -1, the fixed entries and identifiers beyond it, and never counts
// below zero.
void CPresentShapeHandler::ReleaseShape(int32_t id) { PresentShapeTable().Release(static_cast<uint32_t>(id)); }

void CPresentShapeHandler::AddRefShape(int32_t id) { PresentShapeTable().AddRef(static_cast<uint32_t>(id)); }
