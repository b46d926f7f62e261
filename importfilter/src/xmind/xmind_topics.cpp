// The sheet and its topics: ids, structure, style, title, child topics, positions,
// numbering and folding; the other parts of a topic are read by the files beside this one.
#include <foliant/common/guid_text.h>
#include <foliant/common/import_failure.h>
#include <foliant/common/xml_walk.h>

#include "xmind/sheet_reader.h"
#include "xmind/xmind_styles.h"

namespace foliant::xmind {
namespace {

using namespace vantorel;

// Text mode codes of the host's cursor around a topic's title.
constexpr LONG kTitleTextModeOn = 33683;
constexpr LONG kTitleTextModeOff = 33696;

const StyleMap& EmptyStyle() {
  static const StyleMap empty;
  return empty;
}

// "org.xmind.numbering.roman" -> 3, ".lowercase" 2, ".uppercase" 1, anything else 0.
LONG NumberStyle(const std::u16string& format) {
  const size_t dot = format.rfind(u'.');
  const std::u16string_view kind =
      dot == std::u16string::npos ? std::u16string_view(format) : std::u16string_view(format).substr(dot + 1);
  if (kind == u"roman") return 3;
  if (kind == u"lowercase") return 2;
  if (kind == u"uppercase") return 1;
  return 0;
}

}  // namespace

SheetReader::SheetReader(XMindImport& importer, ImportState& state, IVtlDocument* document, IVtlModel* model)
    : importer_(importer), state_(state), document_(document) {
  // The session holds a reference of its own to the sheet's model, and its cursor.
  OpenModel(kx2::Ref<IVtlModel>::Share(model).release());
  ObjectRef documentObject(model->GetDocumentObject());
  GUID guid{};
  if (documentObject && documentObject->GetObjectGuid(&guid)) documentGuid_ = GuidRegistryText(guid);
}

ObjectRef SheetReader::CurrentNode() { return cursor_ ? ObjectRef(cursor_->GetCurrentNode()) : ObjectRef(); }

void SheetReader::ApplyFormat(IVtlObject* node, IVtlObject* format) {
  if (!node || !format) return;
  ObjectRef target(node->GetTarget(0));
  if (target) model_->ApplyFormat(0, target.get(), format);
}

bool SheetReader::DepthAllowed(int depth) {
  if (depth <= kMaxXMindTopicDepth) return true;
  if (Going()) state_.abort = ImportAbort{1, TooDeepText(kMaxXMindTopicDepth)};
  return false;
}

void SheetReader::ReadSheet(IKX2XMLElement* sheet) {
  if (!cursor_) return;
  ObjectRef root(model_->GetRootNode(0));
  if (!root) return;
  bool centralRead = false;
  std::vector<kx2::Ref<IKX2XMLElement>> relationships;
  ForEachChildElement(sheet, [&](IKX2XMLElement* child) {
    if (TagIs(child, u"title")) {
      document_->SetTitle(ElementText(child).c_str(), 1);
    } else if (TagIs(child, u"topic") && !centralRead) {
      centralRead = true;
      // A link to the sheet leads to its central topic.
      const std::u16string sheetId = AttributeText(sheet, u"id");
      const std::u16string topicId = AttributeText(child, u"id");
      if (!sheetId.empty() && !topicId.empty()) state_.sheetCentralTopics.try_emplace(sheetId, topicId);
      SetCurrent(root.get());
      ImportTopic(child, 0);
    } else if (TagIs(child, u"relationships")) {
      // Read after the topics, so that a relationship finds both its ends wherever the
      // sheet lists it.
      relationships.push_back(kx2::Ref<IKX2XMLElement>::Share(child));
    }
    return Going();
  });
  if (!Going()) return;
  for (const auto& list : relationships)
    ForEachChildElement(list.get(), [&](IKX2XMLElement* relationship) {
      ImportRelationship(relationship);
      return true;
    });
  SetCurrent(root.get());
  const StyleMap branch = {{u"line-class", u"org.xmind.branchConnection.straight"}};
  ApplyNodeStyle(model_.get(), root.get(), branch, state_.mapper());
}

void SheetReader::ImportTopic(IKX2XMLElement* topic, int depth) {
  if (!Going() || !DepthAllowed(depth)) return;
  ObjectRef node = CurrentNode();
  if (!node) return;

  // A topic is asked for several attributes it mostly lacks.
  const ElementAttributeSet attributes(topic);
  const std::u16string id = attributes.Text(u"id");
  if (!id.empty()) {
    nodes_.try_emplace(id, ObjectRef::Share(node.get()));
    GUID guid{};
    if (node->GetGuid(&guid)) state_.topicGuidTexts.try_emplace(id, documentGuid_ + u"|" + GuidRegistryText(guid));
  }

  TqMapRecord structure{};
  if (LPCWSTR name = attributes.Get(u"structure-class");
      name && state_.mapper().Find(TqResourceMapper::kLayout, name, &structure)) {
    ObjectRef format = NewObject(kClassFormat);
    if (SetNumber(format.get(), kPropFormatStructure, kPropEnum, structure.value))
      ApplyFormat(node.get(), format.get());
  }

  const StyleMap* style = FindStyle(state_, attributes.Text(u"style-id"), {u"topic"});
  if (!style) style = &EmptyStyle();
  ApplyNodeStyle(model_.get(), node.get(), *style, state_.mapper());

  TopicWork work;
  std::u16string title;
  ForEachChildElement(topic, [&](IKX2XMLElement* child) {
    // The tag is read once for the dozen names it is compared with.
    LPCWSTR tagName = child->GetTagName();
    const std::u16string_view tag = tagName ? tagName : u"";
    auto is = [&](std::u16string_view name) { return tagName && EqualsNoCase(tag, name); };
    if (is(u"title")) {
      title = ImportTitle(node.get(), child, *style, id);
    } else if (is(u"image") || is(u"xhtml:img")) {
      ImportPicture(node.get(), child);
    } else if (is(u"notes")) {
      ImportNotes(node.get(), child);
    } else if (is(u"position")) {
      ImportPosition(node.get(), child);
    } else if (is(u"numbering")) {
      ImportNumbering(node.get(), child);
    } else if (is(u"children")) {
      ImportChildren(node.get(), child, work, depth);
    } else if (is(u"marker-refs")) {
      ForEachChildElement(child, [&](IKX2XMLElement* ref) {
        ImportMarker(ref);
        return true;
      });
    } else if (is(u"labels")) {
      ImportLabels(child);
    } else if (is(u"boundaries")) {
      CollectRanges(child, false, work);
    } else if (is(u"summaries")) {
      CollectRanges(child, true, work);
    } else if (is(u"extensions")) {
      ForEachChildElement(child, [&](IKX2XMLElement* extension) {
        if (kx2::Ref<IKX2XMLElement> content = ChildNamed(extension, u"content")) ImportTask(content.get());
        return true;
      });
    }
    return Going();
  });
  if (!Going()) return;

  if (LPCWSTR href = attributes.Get(u"xlink:href"); href && *href) ImportHyperlink(node.get(), href, title);

  BuildRanges(node.get(), work, depth);
  SetCurrent(node.get());

  if (LPCWSTR branch = attributes.Get(u"branch"); branch && std::u16string_view(branch) == u"folded") {
    ObjectRef format = NewObject(kClassFormat);
    if (SetNumber(format.get(), kPropFormatCollapsed, kPropEnum, 1)) ApplyFormat(node.get(), format.get());
  }
}

std::u16string SheetReader::ImportTitle(IVtlObject* node, IKX2XMLElement* title, const StyleMap& style,
                                        const std::u16string& id) {
  std::u16string words = ElementText(title);
  ObjectRef text = AttachedObject(node, kRoleTextStyle);
  if (!model_->PlaceObject(0, text ? text.get() : node, -1)) return words;
  cursor_->SetTextMode(1, kTitleTextModeOn);
  model_->BeginTextInput(0, 1);
  ApplyTextStyle(model_.get(), style);
  if (!words.empty()) model_->InsertText(0, words.c_str(), -1);
  ApplyParagraphAlignment(model_.get(), style);
  if (!id.empty()) state_.topicTitles.try_emplace(id, words);
  cursor_->EndTextInput();
  cursor_->SetTextMode(0, kTitleTextModeOff);
  return words;
}

void SheetReader::ImportChildren(IVtlObject* node, IKX2XMLElement* children, TopicWork& work, int depth) {
  ForEachChildElement(children, [&](IKX2XMLElement* topics) {
    if (!TagIs(topics, u"topics")) return true;
    const std::u16string type = AttributeText(topics, u"type");
    if (EqualsNoCase(type, u"summary")) {
      // Brought in by the summary that names them.
      ForEachChildElement(topics, [&](IKX2XMLElement* topic) {
        work.summaryTopics.emplace_back(AttributeText(topic, u"id"), kx2::Ref<IKX2XMLElement>::Share(topic));
        return true;
      });
      return true;
    }
    const LONG kind = EqualsNoCase(type, u"detached")  ? kVtlInsertFloating
                      : EqualsNoCase(type, u"callout") ? kVtlInsertCallout
                                                       : kVtlInsertChild;
    ForEachChildElement(topics, [&](IKX2XMLElement* topic) {
      ObjectRef child = InsertTopic(node, kind, topic, depth + 1);
      // Ranges of boundaries and summaries count the attached topics only.
      if (kind == kVtlInsertChild) work.attached.push_back(std::move(child));
      return Going();
    });
    return Going();
  });
}

ObjectRef SheetReader::InsertTopic(IVtlObject* parent, LONG kind, IKX2XMLElement* topic, int depth) {
  if (!Going() || !DepthAllowed(depth)) return ObjectRef();
  ObjectRef format = NewObject(kClassFormat);
  if (!format) return ObjectRef();
  if (kind == kVtlInsertFloating) {
    SetNumber(format.get(), kPropFormatPositionX, kPropInt, 0);
    SetNumber(format.get(), kPropFormatPositionY, kPropInt, 0);
  }
  SetCurrent(parent);
  if (!model_->InsertTopic(0, kind, format.get())) return ObjectRef();
  ObjectRef child = CurrentNode();
  ImportTopic(topic, depth);
  SetCurrent(parent);
  return child;
}

void SheetReader::ImportPosition(IVtlObject* node, IKX2XMLElement* position) {
  ObjectRef format = NewObject(kClassFormat);
  bool any = false;
  if (LPCWSTR x = Attribute(position, u"svg:x"))
    any |= SetNumber(format.get(), kPropFormatPositionX, kPropInt, LengthFromText(x));
  if (LPCWSTR y = Attribute(position, u"svg:y"))
    any |= SetNumber(format.get(), kPropFormatPositionY, kPropInt, LengthFromText(y));
  if (any) ApplyFormat(node, format.get());
}

void SheetReader::ImportNumbering(IVtlObject* node, IKX2XMLElement* numbering) {
  const LONG style = NumberStyle(AttributeText(numbering, u"number-format"));
  const std::u16string prefix = ElementText(ChildNamed(numbering, u"prefix").get());
  const std::u16string suffix = ElementText(ChildNamed(numbering, u"suffix").get());

  ObjectRef format = NewObject(kClassFormat);
  GUID guid{};
  if (!format || !node->GetGuid(&guid)) return;
  SetNumber(format.get(), kPropFormatNumbering, kPropEnum, 1);
  SetGuid(format.get(), kPropFormatNumberingOwner, guid);
  SetNumber(format.get(), kPropFormatNumberingDepth, kPropEnum, 9);
  ObjectRef levels(format->GetObject(kClassNumbering, kClassNumbering));
  if (levels) {
    std::u16string first = prefix.empty() ? u"" : prefix + u" ";
    first += u"#1.";
    if (!suffix.empty()) first += u" " + suffix;
    SetNumber(levels.get(), 0x405a, kPropEnum, style);
    SetText(levels.get(), 0x4050, first);
    std::u16string pattern = u"#1";
    for (USHORT level = 1; level <= 8; ++level) {
      pattern += u".#";
      pattern += static_cast<char16_t>(u'1' + level);
      SetNumber(levels.get(), static_cast<USHORT>(0x405a + level), kPropEnum, style);
      SetText(levels.get(), static_cast<USHORT>(0x4050 + level), pattern);
    }
  }
  ApplyFormat(node, format.get());
}

}  // namespace foliant::xmind
