#include <foliant/common/relationship_properties.h>

#include <foliant/common/color_text.h>
#include <foliant/host_binding.h>
#include <foliant/property_values.h>

namespace foliant {
namespace {

using namespace vantorel;

enum : USHORT {
  kPropShape = 0x4001,
  kPropRouting = 0x4002,
  kPropFirstEnd = 0x4003,
  kPropFirstControlPoint = 0x4005,
  kPropLineWidth = 0x7001,
  kPropLineDash = 0x7003,
  kPropFirstArrow = 0x7006,
  kPropSecondArrow = 0x7008,
};

bool SetEnum(PropertyHolder& holder, USHORT id, const std::optional<LONG>& value, WORD type = kPropEnum) {
  return !value || holder.SetPropertyValue(id, type, static_cast<DWORD>(*value));
}

bool FillLine(IVtlObject* format, const RelationshipProperties& p) {
  if (!p.ends[0].arrow && !p.ends[1].arrow && !p.lineWidth && !p.lineDash && !p.lineColor) return true;
  PropertyHolder line(format->GetSubObject(kPropSubLine));
  if (!line || !SetEnum(line, kPropFirstArrow, p.ends[0].arrow) || !SetEnum(line, kPropSecondArrow, p.ends[1].arrow) ||
      !SetEnum(line, kPropLineWidth, p.lineWidth, kPropInt) || !SetEnum(line, kPropLineDash, p.lineDash))
    return false;
  if (!p.lineColor) return true;
  PropertyHolder color(line->GetSubObject(kPropSubLine));
  return color && color.SetPropertyValue(kPropSubLine, kPropEnum, 1) &&
         color.SetPropertyValue(kPropSubFill, kPropWide, *p.lineColor, kHostColorSecondWord);
}

}  // namespace

kx2::Ref<IVtlObject> MakeRelationship(IVtlModel* model, const RelationshipProperties& p) {
  if (!model || !p.ends[0].topic || !p.ends[1].topic) return {};
  PropertyHolder object(FoliantCreateObject(kClassRelationship));
  kx2::Ref<IVtlObject> format(FoliantCreateObject(kClassPictureFormat));
  if (!object || !format) return {};
  if (!SetEnum(object, kPropShape, p.shape) ||
      (p.autoRouting && !object.SetPropertyValue(kPropRouting, kPropEnum, *p.autoRouting ? 1 : 0)))
    return {};
  for (int i = 0; i < 2; ++i) {
    const RelationshipEnd& end = p.ends[i];
    GUID guid{};
    if (!end.topic->GetGuid(&guid) || !object.SetPropertyGuid(static_cast<USHORT>(kPropFirstEnd + i), guid)) return {};
    if (!end.controlX && !end.controlY) continue;
    PropertyHolder point(object->GetObject(static_cast<USHORT>(kPropFirstControlPoint + i), kClassFormat));
    if (!point || !SetEnum(point, kPropFormatPositionX, end.controlX, kPropInt) ||
        !SetEnum(point, kPropFormatPositionY, end.controlY, kPropInt))
      return {};
  }
  if (!FillLine(format.get(), p) || !model->SetFormat(0, object.Get(), format.get(), -1)) return {};
  return kx2::Ref<IVtlObject>(object.Detach());
}

}  // namespace foliant
