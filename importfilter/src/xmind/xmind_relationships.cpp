// Relationships between two topics of a sheet: an object attached to the first end that
// names both ends, with its line, arrow heads, control points and title.
#include <optional>

#include <foliant/common/relationship_properties.h>
#include <foliant/common/xml_walk.h>

#include "xmind/sheet_reader.h"
#include "xmind/xmind_styles.h"

namespace foliant::xmind {
namespace {

using namespace vantorel;

constexpr int kControlPoints = 2;

std::optional<LONG> MappedValue(const TqResourceMapper& mapper, int category, const StyleMap& style,
                                const char16_t* name) {
  const std::u16string* text = StyleValue(style, name);
  TqMapRecord record{};
  if (!text || !mapper.Find(category, text->c_str(), &record)) return std::nullopt;
  return record.value;
}

bool NonEmpty(const std::u16string* text) { return text && !text->empty(); }

}  // namespace

void SheetReader::ImportRelationship(IKX2XMLElement* relationship) {
  if (!TagIs(relationship, u"relationship")) return;
  auto from = nodes_.find(AttributeText(relationship, u"end1"));
  auto to = nodes_.find(AttributeText(relationship, u"end2"));
  if (from == nodes_.end() || to == nodes_.end()) return;
  static const StyleMap kNoStyle;
  const StyleMap* style = FindStyle(state_, AttributeText(relationship, u"style-id"));
  if (!style) style = &kNoStyle;

  RelationshipProperties properties;
  properties.ends[0].topic = from->second.get();
  properties.ends[1].topic = to->second.get();
  const TqResourceMapper& mapper = state_.mapper();
  properties.shape = MappedValue(mapper, TqResourceMapper::kRelationshipLine, *style, u"shape-class");
  properties.ends[0].arrow = MappedValue(mapper, TqResourceMapper::kArrowHead, *style, u"arrow-begin-class");
  properties.ends[1].arrow = MappedValue(mapper, TqResourceMapper::kArrowHead, *style, u"arrow-end-class");
  properties.lineDash = MappedValue(mapper, TqResourceMapper::kLinePattern, *style, u"line-pattern");
  if (const std::u16string* width = StyleValue(*style, u"line-width"); NonEmpty(width))
    properties.lineWidth = LengthFromText(*width);
  if (const std::u16string* color = StyleValue(*style, u"line-color"); NonEmpty(color))
    properties.lineColor = ColorFromText(*color);

  if (kx2::Ref<IKX2XMLElement> points = ChildNamed(relationship, u"control-points")) {
    int index = 0;
    ForEachChildElement(points.get(), [&](IKX2XMLElement* point) {
      kx2::Ref<IKX2XMLElement> position =
          TagIs(point, u"position") ? kx2::Ref<IKX2XMLElement>::Share(point) : ChildNamed(point, u"position");
      RelationshipEnd& end = properties.ends[index];
      if (LPCWSTR x = Attribute(position.get(), u"svg:x")) end.controlX = LengthFromText(x);
      if (LPCWSTR y = Attribute(position.get(), u"svg:y")) end.controlY = LengthFromText(y);
      return ++index < kControlPoints;
    });
  }

  ObjectRef object = MakeRelationship(model_.get(), properties);
  if (!object) return;
  ObjectRef previous = CurrentNode();
  SetCurrent(from->second.get());
  Attach(kRoleRelationship, object.get());
  if (kx2::Ref<IKX2XMLElement> title = ChildNamed(relationship, u"title")) {
    ObjectRef member = NewObject(kClassSummaryMember);
    ObjectRef format = NewObject(kClassFormat);
    TqMapRecord shape{};
    if (format && state_.mapper().Find(TqResourceMapper::kTopicShape, u"org.xmind.topicShape.noBorder", &shape))
      SetNumber(format.get(), 0x4007, kPropEnum, shape.value);
    if (SetText(member.get(), 0x4002, ElementText(title.get()))) {
      ApplyFormat(member.get(), format.get());
      Attach(kRoleSummaryMember, member.get());
    }
  }
  if (previous) SetCurrent(previous.get());
}

}  // namespace foliant::xmind
