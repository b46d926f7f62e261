// Boundaries and summaries: an object on each attached child a range names, or on the
// topic itself for the range "master"; a summary also brings in its summary topic.
#include <optional>

#include <foliant/common/xml_walk.h>

#include "xmind/sheet_reader.h"
#include "xmind/xmind_styles.h"

namespace foliant::xmind {
namespace {

using namespace vantorel;

struct IndexRange {
  size_t first;
  size_t last;
};

// "(first,last)" of two whole numbers, first <= last, clamped to the children present;
// nullopt for any other text and for a range that names no child.
std::optional<IndexRange> ParseRange(std::u16string_view text, size_t children) {
  if (text.size() < 5 || text.front() != u'(' || text.back() != u')') return std::nullopt;
  const std::u16string_view inner = text.substr(1, text.size() - 2);
  const size_t comma = inner.find(u',');
  if (comma == std::u16string_view::npos) return std::nullopt;
  auto number = [](std::u16string_view digits) -> std::optional<int64_t> {
    while (!digits.empty() && digits.front() == u' ') digits.remove_prefix(1);
    while (!digits.empty() && digits.back() == u' ') digits.remove_suffix(1);
    if (digits.empty() || digits.size() > 18) return std::nullopt;
    int64_t value = 0;
    for (char16_t c : digits) {
      if (c < u'0' || c > u'9') return std::nullopt;
      value = value * 10 + (c - u'0');
    }
    return value;
  };
  const auto first = number(inner.substr(0, comma));
  const auto last = number(inner.substr(comma + 1));
  if (!first || !last || *first > *last || children == 0 || static_cast<size_t>(*first) >= children)
    return std::nullopt;
  return IndexRange{static_cast<size_t>(*first), std::min(static_cast<size_t>(*last), children - 1)};
}

}  // namespace

void SheetReader::CollectRanges(IKX2XMLElement* list, bool summary, TopicWork& work) {
  ForEachChildElement(list, [&](IKX2XMLElement* element) {
    if (!TagIs(element, summary ? u"summary" : u"boundary")) return true;
    RangeRecord record;
    record.summary = summary;
    record.styleId = AttributeText(element, u"style-id");
    record.range = AttributeText(element, u"range");
    if (summary)
      record.topicId = AttributeText(element, u"topic-id");
    else
      record.title = ElementText(ChildNamed(element, u"title").get());
    work.ranges.push_back(std::move(record));
    return true;
  });
}

// The title member of a boundary: its text, and the same text written with the title text
// style of the boundary's style, as a topic's title is.
ObjectRef SheetReader::MakeRangeTitle(const std::u16string& title, const StyleMap& style) {
  ObjectRef member = NewObject(kClassSummaryMember);
  if (!member) return ObjectRef();
  // Written before the member has properties of its own: the style the text starts from is
  // the member's own.
  if (model_->PlaceObject(0, member.get(), -1) && model_->BeginTextInput(0, 1)) {
    ApplyTextStyle(model_.get(), style);
    model_->InsertText(0, title.c_str(), -1);
    ApplyParagraphAlignment(model_.get(), style);
    cursor_->EndTextInput();
  }
  if (!SetText(member.get(), 0x4002, title)) return ObjectRef();
  return member;
}

void SheetReader::BuildRanges(IVtlObject* node, TopicWork& work, int depth) {
  static const StyleMap kNoStyle;
  std::vector<bool> summaryTopicUsed(work.summaryTopics.size(), false);
  for (const RangeRecord& record : work.ranges) {
    const StyleMap* style = FindStyle(state_, record.styleId, {record.summary ? u"summary" : u"boundary", u"topic"});
    if (!style) style = &kNoStyle;
    ObjectRef object = NewObject(kClassBoundary);
    if (!object) continue;
    SetNumber(object.get(), 0x4000, kPropNumber, record.summary ? 4 : 3);
    TqMapRecord shape{};
    if (const std::u16string* name = StyleValue(*style, u"shape-class");
        name && state_.mapper().Find(TqResourceMapper::kBoundaryShape, name->c_str(), &shape))
      SetNumber(object.get(), 0x4001, kPropNumber, shape.value);
    ApplyLineAndFill(model_.get(), object.get(), -1, *style, state_.mapper(), u"solid");

    std::vector<IVtlObject*> holders;
    if (record.range == u"master") {
      holders.push_back(node);
    } else if (auto range = ParseRange(record.range, work.attached.size())) {
      for (size_t i = range->first; i <= range->last; ++i)
        if (work.attached[i]) holders.push_back(work.attached[i].get());
    }
    ObjectRef member;
    if (!record.title.empty() && !holders.empty()) member = MakeRangeTitle(record.title, *style);
    for (IVtlObject* holder : holders) {
      SetCurrent(holder);
      Attach(kRoleBoundary, object.get());
      if (member) Attach(kRoleSummaryMember, member.get());
    }
    SetCurrent(node);

    if (record.summary)
      for (size_t i = 0; i < work.summaryTopics.size(); ++i)
        if (!summaryTopicUsed[i] && work.summaryTopics[i].first == record.topicId) {
          summaryTopicUsed[i] = true;
          InsertTopic(node, kVtlInsertFloating, work.summaryTopics[i].second.get(), depth + 1);
          break;
        }
  }
  // A summary topic no summary names still holds what the user wrote: it comes in as a
  // floating topic too.
  for (size_t i = 0; i < work.summaryTopics.size(); ++i)
    if (!summaryTopicUsed[i]) InsertTopic(node, kVtlInsertFloating, work.summaryTopics[i].second.get(), depth + 1);
  SetCurrent(node);
}

}  // namespace foliant::xmind
