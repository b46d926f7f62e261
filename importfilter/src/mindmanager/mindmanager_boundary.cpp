// The boundary of a topic ("ap:OneBoundary"): its shape, fill and line, and the topic it
// carries.
#include "mindmanager/mindmanager_reader.h"

#include <foliant/host_binding.h>
#include <foliant/property_values.h>
#include <foliant/common/xml_walk.h>

#include "mindmanager/mm_values.h"

using namespace foliant::mindmanager;

namespace {

using namespace vantorel;

// Boundary kinds and shapes of the host.
enum : LONG { kBoundaryLines = 1, kBoundaryRectangle = 3, kBoundarySummary = 4, kShapeCurved = 4 };

}  // namespace

bool MindManagerReader::ReadBoundaryShape(ImportBase& context, IKX2XMLElement* boundary, IVtlObject* object) {
  HeldPath shapeHolder(context, boundary, {u"ap:Boundary"});
  if (!shapeHolder) return true;
  LONG kind = kBoundaryLines, shape = kShapeCurved;
  kx2::Ref<IKX2XMLElement> shapeElement(context.FindChildElementByName(shapeHolder.get(), u"ap:BoundaryShape"));
  if (LPCWSTR name = shapeElement ? context.GetAttributeText(shapeElement.get(), u"BoundaryShape") : nullptr) {
    const std::u16string_view text(name);
    shape = 0;
    TqMapRecord record{};
    if (text == u"urn:mindjet:Rectangle") {
      kind = kBoundaryRectangle;
    } else if (text == u"urn:mindjet:CurvedRectangle") {
      kind = kBoundaryRectangle;
      shape = kShapeCurved;
    } else if (mapper_.Find(TqResourceMapper::kBoundaryShape, name, &record)) {
      shape = record.value;
      if (shape >= 5 && shape <= 8) kind = kBoundarySummary;
    }
  }
  object->AddRef();
  PropertyHolder holder(object);
  holder.SetPropertyValue(0x4000, kPropNumber, static_cast<DWORD>(kind));
  holder.SetPropertyValue(0x4001, kPropNumber, static_cast<DWORD>(shape));
  return true;
}

bool MindManagerReader::ReadBoundaryFillAndLine(ImportBase& context, IKX2XMLElement* boundary, IVtlObject* format,
                                                bool* changed) {
  HeldPath element(context, boundary, {u"ap:Boundary"});
  if (!element) return true;
  PropertyHolder fill(format->GetSubObject(kPropSubFill));
  PropertyHolder line(format->GetSubObject(kPropSubLine));
  PropertyHolder color(line ? line->GetSubObject(kPropSubLine) : nullptr);
  bool result = fill && line && color;

  auto text = [&](LPCWSTR child, LPCWSTR attribute) {
    return context.GetChildAttributeText(element.get(), child, attribute);
  };
  if (auto fillText = text(u"ap:Color", u"FillColor"))
    if (auto argb = ParseArgbColor(*fillText)) {
      *changed = true;
      if (result)
        result = fill.SetPropertyValue(kPropSubFill, kPropWide, ColorWord(*argb), foliant::kHostColorSecondWord) &&
                 fill.SetPropertyValue(kPropSubTransparency, kPropShort, static_cast<DWORD>(TransparencyOf(*argb))) &&
                 fill.SetPropertyValue(kPropSubLine, kPropEnum, 1);
    }
  if (auto lineText = text(u"ap:Color", u"LineColor"))
    if (auto argb = ParseArgbColor(*lineText)) {
      *changed = true;
      if (result)
        result =
            color.SetPropertyValue(kPropSubFill, kPropWide, ColorWord(*argb), foliant::kHostColorSecondWord) != FALSE;
    }
  if (auto dash = text(u"ap:LineStyle", u"LineDashStyle")) {
    *changed = true;
    TqMapRecord record{};
    if (line && mapper_.Find(TqResourceMapper::kLinePattern, dash->c_str(), &record))
      line.SetPropertyValue(0x7003, kPropEnum, static_cast<DWORD>(record.value));
  }
  if (auto width = text(u"ap:LineStyle", u"LineWidth")) {
    *changed = true;
    if (auto hundredths = HundredthsOf(*width); line && hundredths)
      line.SetPropertyValue(kPropSubFill, kPropInt, static_cast<DWORD>(*hundredths));
  }
  return result;
}

bool MindManagerReader::ReadBoundary(ImportBase& context, IKX2XMLElement* boundary, IVtlObject* topic, int depth) {
  PropertyHolder object(FoliantCreateObject(kClassBoundary));
  if (!object) return false;
  ReadBoundaryShape(context, boundary, object.Get());
  if (!SetCurrent(topic) || !Attach(kRoleBoundary, object.Get())) return false;

  // The boundary's line and fill live in the format the model keeps for it.
  PropertyHolder format(FoliantCreateObject(kClassPictureFormat));
  if (!format) return false;
  kx2::Ref<IVtlObject> target(object->GetTarget(0));
  if (target && model_->GetFormat(target.get(), format.Get(), -1)) {
    bool changed = false;
    if (!ReadBoundaryFillAndLine(context, boundary, format.Get(), &changed)) return false;
    if (changed && !model_->SetFormat(0, target.get(), format.Get(), -1)) return false;
  }

  HeldPath labelTopic(context, boundary, {u"ap:Topic"});
  if (!labelTopic) return true;
  CurrentElement current(context, labelTopic.get());
  kx2::Ref<IVtlObject> remembered(cursor_->GetCurrentNode());
  const bool built = BuildTopic(context, labelTopic.get(), kBoundaryTopic, TopicRecord{}, depth + 1);
  if (remembered) cursor_->SetCurrentNode(0, remembered.get(), 0);
  return built;
}
