// Relationships between two topics of a sheet: an object attached to the first end that
// names both ends, with its line, arrow heads, control points and title.
#include <foliant/common/xml_walk.h>

#include "xmind/sheet_reader.h"
#include "xmind/xmind_styles.h"

namespace foliant::xmind {
namespace {

using namespace vantorel;

constexpr USHORT kRelationBeginArrow = 0x4000;
constexpr USHORT kRelationShape = 0x4001;
constexpr USHORT kRelationFrom = 0x4003;
constexpr USHORT kRelationTo = 0x4004;
constexpr USHORT kRelationEndArrow = 0x4008;
// Control points as positions (format records 538) under these properties.
constexpr USHORT kRelationFirstControlPoint = 0x4005;
constexpr int kControlPoints = 2;

bool MappedValue(const TqResourceMapper& mapper, int category, const StyleMap& style, const char16_t* name,
                 LONG* value) {
  const std::u16string* text = StyleValue(style, name);
  TqMapRecord record{};
  if (!text || !mapper.Find(category, text->c_str(), &record)) return false;
  *value = record.value;
  return true;
}

}  // namespace

void SheetReader::ImportRelationship(IKX2XMLElement* relationship) {
  if (!TagIs(relationship, u"relationship")) return;
  auto from = nodes_.find(AttributeText(relationship, u"end1"));
  auto to = nodes_.find(AttributeText(relationship, u"end2"));
  if (from == nodes_.end() || to == nodes_.end()) return;
  static const StyleMap kNoStyle;
  const StyleMap* style = FindStyle(state_, AttributeText(relationship, u"style-id"));
  if (!style) style = &kNoStyle;

  ObjectRef object = NewObject(kClassRelationship);
  if (!object) return;
  LONG value = 0;
  if (MappedValue(state_.mapper, TqResourceMapper::kArrowHead, *style, u"arrow-begin-class", &value))
    SetNumber(object.get(), kRelationBeginArrow, kPropEnum, value);
  if (MappedValue(state_.mapper, TqResourceMapper::kRelationshipLine, *style, u"shape-class", &value))
    SetNumber(object.get(), kRelationShape, kPropEnum, value);
  SetInterface(object.get(), kRelationFrom, from->second.get());
  SetInterface(object.get(), kRelationTo, to->second.get());
  if (MappedValue(state_.mapper, TqResourceMapper::kArrowHead, *style, u"arrow-end-class", &value))
    SetNumber(object.get(), kRelationEndArrow, kPropEnum, value);
  ApplyLineAndFill(model_.get(), object.get(), -1, *style, state_.mapper, nullptr);

  if (kx2::Ref<IKX2XMLElement> points = ChildNamed(relationship, u"control-points")) {
    int index = 0;
    ForEachChildElement(points.get(), [&](IKX2XMLElement* point) {
      kx2::Ref<IKX2XMLElement> position =
          TagIs(point, u"position") ? kx2::Ref<IKX2XMLElement>::Share(point) : ChildNamed(point, u"position");
      LPCWSTR x = Attribute(position.get(), u"svg:x");
      LPCWSTR y = Attribute(position.get(), u"svg:y");
      if (x || y) {
        ObjectRef record(object->GetObject(static_cast<USHORT>(kRelationFirstControlPoint + index), kClassFormat));
        if (x) SetNumber(record.get(), kPropFormatPositionX, kPropInt, LengthFromText(x));
        if (y) SetNumber(record.get(), kPropFormatPositionY, kPropInt, LengthFromText(y));
      }
      return ++index < kControlPoints;
    });
  }

  ObjectRef previous = CurrentNode();
  SetCurrent(from->second.get());
  Attach(kRoleRelationship, object.get());
  if (kx2::Ref<IKX2XMLElement> title = ChildNamed(relationship, u"title")) {
    ObjectRef member = NewObject(kClassSummaryMember);
    ObjectRef format = NewObject(kClassFormat);
    TqMapRecord shape{};
    if (format && state_.mapper.Find(TqResourceMapper::kTopicShape, u"org.xmind.topicShape.noBorder", &shape))
      SetNumber(format.get(), 0x4007, kPropEnum, shape.value);
    if (SetText(member.get(), 0x4002, ElementText(title.get()))) {
      ApplyFormat(member.get(), format.get());
      Attach(kRoleSummaryMember, member.get());
    }
  }
  if (previous) SetCurrent(previous.get());
}

}  // namespace foliant::xmind
