#include <libxml/parser.h>

#include <cstring>
#include <ctime>
#include <map>
#include <unordered_map>
#include <set>

#include <kx2/Utf.h>
#include <vantorel/host_api.h>

#include "app/application.h"
#include "core/bstr.h"
#include "core/guid_source.h"
#include "report/value_format.h"
#include "model/document.h"

namespace vantorel {

std::string PrintableUtf8(std::u16string_view text) {
  std::u16string clean(text);
  for (size_t i = 0; i < clean.size(); ++i) {
    char16_t c = clean[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < clean.size() && clean[i + 1] >= 0xDC00 && clean[i + 1] <= 0xDFFF) {
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      clean[i] = 0xFFFD;
    }
  }
  return kx2::Utf16ToUtf8(clean);
}

IVtlDocumentManager* DocumentManager() { return &detail::TheApplication().documents(); }

int OpenDocument(bool acceptsImport) {
  detail::VtlDocument* doc = detail::TheApplication().documents().Open();
  if (!doc) return 0;
  doc->SetAcceptsImport(acceptsImport);
  return doc->number();
}

int DocumentCount() { return static_cast<int>(detail::TheApplication().documents().documents().size()); }

namespace detail {
namespace {

std::string Hex(unsigned v, int width = 4) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%0*x", width, v);
  return buf;
}

std::string RoleName(ULONG tag) {
  switch (tag) {
    case kRoleTextStyle:
      return "text-style";
    case kRolePicture:
      return "picture";
    case kRoleMarker:
      return "marker";
    case kRoleLabels:
      return "labels";
    case kRoleTask:
      return "task";
    case kRoleHyperlink:
      return "hyperlink";
    case kRoleNotes:
      return "notes";
    case kRoleAttachment:
      return "attachment";
    case kRoleRelationship:
      return "relationship";
    case kRoleSummaryMember:
      return "summary-member";
    case kRoleBoundary:
      return "boundary";
    default:
      if (IsRoleTag(tag) && (tag & 0xFF) >= 0x20 && (tag & 0xFF) < 0x7F)
        return std::string("role #so") + char(tag & 0xFF);
      return "role " + Hex(tag, 8);
  }
}

std::string ClassName(LONG cls) {
  switch (cls) {
    case kClassTextStyle:
      return "text-style";
    case kClassParagraphStyle:
      return "paragraph-style";
    case kClassTableEntry:
      return "table-entry";
    case kClassTableGroup:
      return "table-group";
    case kClassMarker:
      return "marker";
    case kClassLabels:
      return "labels";
    case kClassTaskSchedule:
      return "schedule";
    case kClassTask:
      return "task";
    case kClassFormat:
      return "format";
    case kClassImage:
      return "image";
    case kClassHyperlink:
      return "hyperlink";
    case kClassNumbering:
      return "numbering";
    case kClassRelationship:
      return "relationship";
    case kClassBoundary:
      return "boundary";
    case kClassSummaryMember:
      return "summary-member";
    case kClassNotes:
      return "notes";
    case kClassAttachment:
      return "attachment";
    case kClassPictureFormat:
      return "line-and-fill";
    case kClassList:
      return "list";
    case kClassSubRecord:
      return "record";
    default:
      return "class " + std::to_string(cls);
  }
}

// Names of the properties the modules set, by class.
std::string PropertyName(LONG cls, USHORT id, WORD type) {
  struct Name {
    LONG cls;
    USHORT id;
    const char* name;
  };
  static const Name kNames[] = {
      {kClassFormat, 0x4001, "width"},
      {kClassFormat, 0x4002, "height"},
      {kClassFormat, 0x4003, "margin-left"},
      {kClassFormat, 0x4004, "margin-right"},
      {kClassFormat, 0x4005, "margin-top"},
      {kClassFormat, 0x4006, "margin-bottom"},
      {kClassFormat, 0x4007, "shape"},
      {kClassFormat, 0x4008, "structure"},
      {kClassFormat, 0x4009, "line-shape"},
      {kClassFormat, 0x400c, "numbering"},
      {kClassFormat, 0x400d, "numbering-depth"},
      {kClassFormat, 0x400e, "connection-point"},
      {kClassFormat, 0x4012, "folded"},
      {kClassFormat, 0x4013, "x"},
      {kClassFormat, 0x4014, "y"},
      {kClassFormat, 0x4015, "distance-from-parent"},
      {kClassFormat, 0x4016, "distance-between-siblings"},
      {kClassFormat, 0x4017, "image-placement"},
      {kClassFormat, 0x4018, "horizontal-alignment"},
      {kClassFormat, 0x4019, "vertical-alignment"},
      {kClassFormat, 0x4066, "numbering-owner"},
      {kClassTableEntry, 0x4000, "guid"},
      {kClassTableEntry, 0x4001, "kind"},
      {kClassTableEntry, 0x4002, "name"},
      {kClassTableEntry, 0x4003, "file"},
      {kClassTableGroup, 0x4000, "guid"},
      {kClassTableGroup, 0x4001, "kind"},
      {kClassTableGroup, 0x4002, "name"},
      {kClassMarker, 0x4000, "marker"},
      {kClassLabels, 0x4001, "labels"},
      {kClassTaskSchedule, 0x4001, "start"},
      {kClassTaskSchedule, 0x4002, "end"},
      {kClassTaskSchedule, 0x4003, "duration-unit"},
      {kClassTaskSchedule, 0x4004, "duration"},
      {kClassTaskSchedule, 0x4005, "progress"},
      {kClassTask, 0x4001, "resources"},
      {kClassImage, 0x4002, "width"},
      {kClassImage, 0x4003, "height"},
      {kClassImage, 0x4004, "crop-left"},
      {kClassImage, 0x4005, "crop-top"},
      {kClassImage, 0x4006, "crop-right"},
      {kClassImage, 0x4007, "crop-bottom"},
      {kClassHyperlink, 0x4001, "link"},
      {kClassRelationship, 0x4001, "shape"},
      {kClassRelationship, 0x4002, "auto-routing"},
      {kClassRelationship, 0x4003, "from"},
      {kClassRelationship, 0x4004, "to"},
      {kClassBoundary, 0x4000, "kind"},
      {kClassBoundary, 0x4001, "shape"},
      {kClassSummaryMember, 0x4002, "title"},
      {kClassAttachment, 0x4001, "file-name"},
      {kClassAttachment, 0x4002, "file-size"},
      {kClassTextStyle, 0x4000, "face"},
      {kClassTextStyle, 0x4001, "face-alt"},
      {kClassTextStyle, 0x402a, "bold"},
      {kClassTextStyle, 0x402b, "italic"},
      {kClassTextStyle, 0x4034, "color"},
      {kClassTextStyle, 0x4036, "underline"},
      {kClassTextStyle, 0x403b, "strike"},
      {kClassTextStyle, 0x403f, "size"},
      {kClassParagraphStyle, 0x4007, "align"},
  };
  for (const Name& n : kNames)
    if (n.cls == cls && n.id == id) return n.name;
  if (cls == kClassNumbering && id >= 0x4050 && id <= 0x4058)
    return "level-" + std::to_string(id - 0x4050) + "-pattern";
  if (cls == kClassNumbering && id >= 0x405a && id <= 0x4062) return "level-" + std::to_string(id - 0x405a) + "-style";
  if (cls == kClassSubRecord || cls == kClassPictureFormat) {
    switch (id) {
      case 0x7000:
        return "kind";
      case 0x7001:
        return type == kPropWide ? "color" : "width";
      case 0x7002:
        return "transparency";
      case 0x7003:
        return "dash";
      case 0x7006:
        return "begin-arrow";
      case 0x7008:
        return "end-arrow";
      default:
        break;
    }
  }
  return Hex(id);
}

std::string SubObjectName(LONG ownerClass, USHORT id, LONG subClass) {
  if (subClass == kClassList) return PropertyName(ownerClass, id, kPropEmpty);
  if (subClass == kClassNumbering) return "numbering";
  if (subClass == kClassTaskSchedule) return "schedule";
  if (ownerClass == kClassRelationship && (id == 0x4005 || id == 0x4006))
    return id == 0x4005 ? "first-control-point" : "second-control-point";
  if (id == 0x7000) return "line";
  if (id == 0x7001) return "fill";
  return ClassName(subClass) + " " + Hex(id);
}

bool IsDateProperty(LONG cls, USHORT id) { return cls == kClassTaskSchedule && (id == 0x4001 || id == 0x4002); }

class Describer {
 public:
  explicit Describer(const DescribeOptions& options) : options_(options) {}

  Value Documents() {
    Value list = Value::MakeArray();
    for (const auto& doc : TheApplication().documents().documents()) list.Push(Document(*doc));
    Value root = Value::MakeObject();
    root.Set("documents", std::move(list));
    return root;
  }

  // The same as Documents, printed member by member after `head`'s members: no more than
  // one topic's description is held at a time.
  void WriteDocuments(const Value& head, bool json, std::ostream& out) {
    ObjectWriter root(out, json, 0);
    for (const auto& [key, value] : head.members()) root.Member(key, value);
    const auto& documents = TheApplication().documents().documents();
    if (documents.empty()) {
      root.Member("documents", Value::MakeArray());
    } else {
      root.ArrayOfObjects("documents", documents.size(), [&](ObjectWriter& writer, size_t i) {
        VtlDocument& doc = *documents[i];
        const Value head = DocumentHead(doc);
        for (const auto& [key, value] : head.members()) writer.Member(key, value);
        if (VtlModel* model = doc.model(); model && model->root()) {
          writer.ObjectMember("topic", [&](ObjectWriter& topic) { WriteTopic(model->root(), topic); });
          const Value tail = DocumentTail();
          for (const auto& [key, value] : tail.members()) writer.Member(key, value);
        }
        writer.End();
      });
    }
    root.End();
    if (json) out << "\n";
  }

 private:
  Value Document(VtlDocument& doc) {
    Value out = DocumentHead(doc);
    VtlModel* model = doc.model();
    if (!model || !model->root()) return out;
    out.Set("topic", Topic(model->root()));
    const Value tail = DocumentTail();
    for (const auto& [key, value] : tail.members()) out.Set(key, value);
    return out;
  }

  // What comes before the topic tree; it also indexes the tree's paths.
  Value DocumentHead(VtlDocument& doc) {
    paths_.clear(), guidTopics_.clear(), relationships_.clear(), boundaries_.clear();
    root_ = nullptr, guidsIndexed_ = false;
    Value out = Value::MakeObject();
    out.Set("number", doc.number());
    if (!doc.title().empty()) out.Set("title", Text(doc.title()));
    if (!doc.templatePath().empty()) out.Set("template", Path(doc.templatePath()));
    if (!doc.type().empty()) out.Set("type", Text(doc.type()));
    if (!doc.options().empty()) out.Set("options", Text(doc.options()));
    VtlModel* model = doc.model();
    if (!model || !model->root()) return out;
    if (model->sheetsDone()) out.Set("sheets-done", model->sheetsDone());
    table_ = model->table();
    documentGuid_ = GuidText(model->documentObject()->guid());
    root_ = model->root();
    return out;
  }

  // What comes after the topic tree: the object table, and the relationships, boundaries
  // and summaries met on the way through it.
  Value DocumentTail() {
    Value out = Value::MakeObject();
    Value objects = ObjectTable();
    if (!objects.empty()) out.Set("objects", std::move(objects));
    if (!relationships_.empty()) {
      Value list = Value::MakeArray();
      for (const auto& [object, from] : relationships_) {
        Value r = Value::MakeObject();
        r.Set("attached-to", PathOf(from));
        Merge(r, Object(object, 0));
        list.Push(std::move(r));
      }
      out.Set("relationships", std::move(list));
    }
    Value boundaries = Value::MakeArray(), summaries = Value::MakeArray();
    for (const auto& [object, topics] : boundaries_) {
      Value b = Value::MakeObject();
      Value where = Value::MakeArray();
      for (const VtlTopic* t : topics) where.Push(PathOf(t));
      b.Set("topics", std::move(where));
      Merge(b, Object(object, 0));
      (IsSummary(object) ? summaries : boundaries).Push(std::move(b));
    }
    if (!boundaries.empty()) out.Set("boundaries", std::move(boundaries));
    if (!summaries.empty()) out.Set("summaries", std::move(summaries));
    table_ = nullptr;
    return out;
  }

  static bool IsSummary(VtlObject* o) {
    const PropertyValue* kind = o->GetPropertyRecord(0x4000);
    return kind && kind->type == kPropNumber && kind->i32 == 4;
  }

  // Topic paths: the texts from the central topic down, joined by "/"; a topic without
  // text shows its place among its siblings. Made when first asked for: a large map's
  // description names few topics by path.
  const std::string& PathOf(const VtlTopic* t) {
    if (auto it = paths_.find(t); it != paths_.end()) return it->second;
    std::string name = PrintableUtf8(t->textObject() ? FirstLine(t->textObject()->PlainText()) : u"");
    const VtlTopic* parent = t->parent();
    if (name.empty()) {
      size_t place = 0;
      if (parent)
        for (auto& c : parent->children()) {
          if (c.topic.get() == t) break;
          ++place;
        }
      name = "#" + std::to_string(place + 1);
    }
    std::string path = parent ? PathOf(parent) + "/" + name : name;
    return paths_.emplace(t, std::move(path)).first->second;
  }

  // True for a topic of the tree being described.
  bool InTree(const VtlTopic* t) const {
    while (t && t->parent()) t = t->parent();
    return t && t == root_;
  }

  // The topic of the tree a GUID names (the last in tree order when several share it).
  const VtlTopic* TopicOfGuid(const GUID& guid) {
    if (!guidsIndexed_) {
      guidsIndexed_ = true;
      if (root_) IndexGuids(root_);
    }
    auto it = guidTopics_.find(GuidKey(guid));
    return it == guidTopics_.end() ? nullptr : it->second;
  }
  const VtlTopic* TopicOfGuid(const std::string& text) {
    GUID guid{};
    return ParseGuid(text, &guid) ? TopicOfGuid(guid) : nullptr;
  }
  void IndexGuids(VtlTopic* t) {
    guidTopics_[GuidKey(t->guid())] = t;
    for (auto& c : t->children()) IndexGuids(c.topic.get());
  }
  static std::string GuidKey(const GUID& g) {
    std::string key(sizeof g.Data1 + sizeof g.Data2 + sizeof g.Data3 + sizeof g.Data4, '\0');
    std::memcpy(key.data(), &g.Data1, 4), std::memcpy(key.data() + 4, &g.Data2, 2);
    std::memcpy(key.data() + 6, &g.Data3, 2), std::memcpy(key.data() + 8, g.Data4, 8);
    return key;
  }
  // The registry form GuidText writes, read back; false for any other text.
  static bool ParseGuid(const std::string& text, GUID* out) {
    if (text.size() != 38 || text[0] != '{' || text[37] != '}') return false;
    uint8_t bytes[16];
    size_t at = 1;
    for (int i = 0; i < 16; ++i) {
      if (at == 9 || at == 14 || at == 19 || at == 24) {
        if (text[at] != '-') return false;
        ++at;
      }
      auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
      };
      const int high = digit(text[at]), low = digit(text[at + 1]);
      if (high < 0 || low < 0) return false;
      bytes[i] = static_cast<uint8_t>(high << 4 | low);
      at += 2;
    }
    out->Data1 = static_cast<DWORD>(bytes[0]) << 24 | bytes[1] << 16 | bytes[2] << 8 | bytes[3];
    out->Data2 = static_cast<WORD>(bytes[4] << 8 | bytes[5]);
    out->Data3 = static_cast<WORD>(bytes[6] << 8 | bytes[7]);
    std::memcpy(out->Data4, bytes + 8, 8);
    return true;
  }

  static std::u16string FirstLine(const std::u16string& s) { return s.substr(0, s.find(u'\n')); }

  Value Topic(VtlTopic* t) {
    Value out = TopicHead(t);
    Value children = Value::MakeArray();
    for (auto& c : t->children()) children.Push(Topic(c.topic.get()));
    if (!children.empty()) out.Set("children", std::move(children));
    return out;
  }

  void WriteTopic(VtlTopic* t, ObjectWriter& writer) {
    const Value head = TopicHead(t);
    for (const auto& [key, value] : head.members()) writer.Member(key, value);
    auto& children = t->children();
    if (!children.empty())
      writer.ArrayOfObjects("children", children.size(),
                            [&](ObjectWriter& child, size_t i) { WriteTopic(children[i].topic.get(), child); });
    writer.End();
  }

  // A topic without its children.
  Value TopicHead(VtlTopic* t) {
    Value out = Value::MakeObject();
    VtlObject* text = t->textObject();
    out.Set("text", Text(text ? text->PlainText() : u""));
    if (t->insertKind() == kVtlInsertFloating) out.Set("placement", "floating");
    if (t->insertKind() == kVtlInsertCallout) out.Set("placement", "callout");
    if (text) {
      Value style = Properties(text, 0);
      if (!style.empty()) out.Set("style", std::move(style));
      AddRuns(out, text);
    }
    if (t->format() && !t->format()->Empty()) out.Set("format", Object(t->format(), 0, false));
    for (auto& [index, format] : t->formats())
      if (!format->Empty()) out.Set("line-and-fill " + std::to_string(index), Object(format.get(), 0, false));
    Value attached = Value::MakeArray();
    for (Attachment& a : t->attachments()) {
      if (a.tag == kRoleTextStyle && a.object.get() == static_cast<IVtlObject*>(text)) continue;
      attached.Push(Attached(t, a));
    }
    if (!attached.empty()) out.Set("attached", std::move(attached));
    return out;
  }

  Value Attached(VtlTopic* t, Attachment& a) {
    Value out = Value::MakeObject();
    out.Set("role", RoleName(a.tag));
    auto* object = dynamic_cast<VtlObject*>(a.object.get());
    if (!object) return out;
    if (object->classId() == kClassRelationship) {
      relationships_.push_back({object, t});
      out.Set("relationship", static_cast<int>(relationships_.size()));
      return out;
    }
    if (object->classId() == kClassBoundary) {
      for (size_t i = 0; i < boundaries_.size(); ++i)
        if (boundaries_[i].first == object) {
          boundaries_[i].second.push_back(t);
          out.Set(IsSummary(object) ? "summary" : "boundary", static_cast<int>(i + 1));
          return out;
        }
      boundaries_.push_back({object, {t}});
      out.Set(IsSummary(object) ? "summary" : "boundary", static_cast<int>(boundaries_.size()));
      return out;
    }
    Merge(out, Object(object, 0));
    return out;
  }

  static void Merge(Value& into, Value from) {
    for (const auto& [k, v] : from.members()) into.Set(k, v);
  }

  Value Object(VtlObject* o, int depth, bool withClass = true) {
    Value out = Value::MakeObject();
    if (withClass) out.Set("class", ClassName(o->classId()));
    if (depth > 6) return out;
    Merge(out, Properties(o, depth));
    for (const auto& [id, sub] : o->subObjects()) {
      if (sub->classId() == kClassList) {
        Value items = Value::MakeArray();
        for (const PropertyValue& v : sub->listElements()) items.Push(Property(kClassList, 0, v, depth + 1));
        out.Set(SubObjectName(o->classId(), id, kClassList), std::move(items));
      } else if (!sub->Empty() || !sub->subObjects().empty()) {
        out.Set(SubObjectName(o->classId(), id, sub->classId()), Object(sub.get(), depth + 1, false));
      }
    }
    for (auto& [index, format] : o->formats())
      if (!format->Empty()) out.Set("format " + std::to_string(index), Object(format.get(), depth + 1));
    if (!o->paragraphs().empty() && o->classId() != kClassTextStyle) {
      out.Set("text", Text(o->PlainText()));
      AddRuns(out, o);
    }
    return out;
  }

  Value Properties(VtlObject* o, int depth) {
    Value out = Value::MakeObject();
    for (const auto& [id, value] : o->properties().InIdOrder()) {
      if ((o->classId() == kClassTableEntry || o->classId() == kClassTableGroup) && id == kPropEntryGuid) continue;
      out.Set(PropertyName(o->classId(), id, value->type), Property(o->classId(), id, *value, depth));
    }
    return out;
  }

  // Runs written with a style of their own, and paragraph styles.
  void AddRuns(Value& out, VtlObject* text) {
    Value runs = Value::MakeArray(), paragraphs = Value::MakeArray();
    auto& ps = text->paragraphs();
    for (size_t i = 0; i < ps.size(); ++i) {
      for (const TextRun& r : ps[i].runs) {
        if (!r.style) continue;
        Value style = Properties(r.style.get(), 1);
        if (style.empty()) continue;
        Value run = Value::MakeObject();
        run.Set("text", Text(r.text));
        run.Set("style", std::move(style));
        runs.Push(std::move(run));
      }
      if (ps[i].paragraphStyle && !ps[i].paragraphStyle->Empty()) {
        Value p = Value::MakeObject();
        p.Set("paragraph", static_cast<int>(i + 1));
        Merge(p, Properties(ps[i].paragraphStyle.get(), 1));
        paragraphs.Push(std::move(p));
      }
    }
    if (!runs.empty()) out.Set("runs", std::move(runs));
    if (!paragraphs.empty()) out.Set("paragraphs", std::move(paragraphs));
  }

  Value Property(LONG cls, USHORT id, const PropertyValue& v, int depth) {
    switch (v.type) {
      case kPropEmpty:
        return Value();
      case kPropText: {
        std::u16string text = v.text ? std::u16string(v.text, BstrLength(v.text)) : u"";
        if (cls == kClassHyperlink && id == kPropHyperlinkText) return Hyperlink(text);
        return Path(text);
      }
      case kPropWide:
        return IsDateProperty(cls, id) ? Date(static_cast<int64_t>(v.u64)) : Color(v.u64);
      case kPropGuid:
        return v.guid ? Guid(*v.guid) : Value();
      case kPropUnknown:
      case kPropDispatch: {
        if (auto* topic = dynamic_cast<VtlTopic*>(v.iface)) {
          return InTree(topic) ? Value("topic " + PathOf(topic)) : Value("topic of another document");
        }
        if (auto* o = dynamic_cast<VtlObject*>(v.iface)) return Object(o, depth + 1);
        return v.iface ? Value("interface") : Value();
      }
      case kPropKey:
        return StoredFileValue(v.key);
      default:
        if (v.type >= 2 && v.type <= 9)
          return Value(static_cast<int64_t>(v.type == 7 ? static_cast<int16_t>(v.u32) : v.i32));
        return Value("type " + std::to_string(v.type) + " " + Hex(static_cast<unsigned>(v.u64), 8));
    }
  }

  Value StoredFileValue(ULONG_PTR key) {
    StoredFile file;
    if (!TheApplication().files().Lookup(key, &file)) return Value("unknown key");
    Value out = Value::MakeObject();
    if (file.sourcePath.empty()) {
      out.Set("value", static_cast<int64_t>(file.rawValue));
      return out;
    }
    out.Set("stored-file", file.number);
    out.Set("bytes", static_cast<int64_t>(file.size));
    std::u16string relative;
    if (Relative(file.sourcePath, &relative)) out.Set("path", PrintableUtf8(relative));
    return out;
  }

  // Topics, the document and table entries have GUIDs of their own: the cheap lookups go
  // first, so that a map's markers do not make the topics' index.
  Value Guid(const GUID& g) {
    std::string text = GuidText(g);
    if (text == documentGuid_) return Value("document");
    if (table_)
      if (TableItem* item = table_->Find(g)) {
        const PropertyValue* name = item->props->GetPropertyRecord(kPropEntryName);
        if (name && name->type == kPropText && name->text) return Text(name->text);
      }
    if (const VtlTopic* topic = TopicOfGuid(g)) return Value("topic " + PathOf(topic));
    return Value(text);
  }

  static Value Color(ULONGLONG v) {
    const DWORD argb = static_cast<DWORD>(v);
    char buf[16];
    if ((argb >> 24) == 0xFF)
      std::snprintf(buf, sizeof buf, "#%06X", argb & 0xFFFFFF);
    else
      std::snprintf(buf, sizeof buf, "#%08X", argb);
    return Value(buf);
  }

  static Value Date(int64_t seconds) {
    time_t t = static_cast<time_t>(seconds);
    struct tm parts {};
    if (seconds <= 0 || !localtime_r(&t, &parts)) return Value(seconds);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &parts);
    return Value(buf);
  }

  Value Hyperlink(const std::u16string& description) {
    std::string xml = PrintableUtf8(description);
    xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, nullptr,
                                  XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    xmlNodePtr root = doc ? xmlDocGetRootElement(doc) : nullptr;
    if (!root) {
      if (doc) xmlFreeDoc(doc);
      return Text(description);
    }
    Value out = Value::MakeObject();
    for (xmlNodePtr c = root->children; c; c = c->next) {
      if (c->type != XML_ELEMENT_NODE) continue;
      xmlChar* content = xmlNodeGetContent(c);
      std::u16string value = content ? kx2::Utf8ToUtf16(reinterpret_cast<const char*>(content)) : u"";
      xmlFree(content);
      out.Set(reinterpret_cast<const char*>(c->name), Path(value));
    }
    xmlFreeDoc(doc);
    return out;
  }

  // A text; one that names a path below the map's folder is shown relative to it, and a
  // link to a topic ("{document GUID}|{topic GUID}") as the topic's path.
  Value Path(const std::u16string& text) {
    if (text.size() == 77 && text[38] == u'|') {
      const std::string document = PrintableUtf8(text.substr(0, 38)), topic = PrintableUtf8(text.substr(39));
      if (document == documentGuid_)
        if (const VtlTopic* found = TopicOfGuid(topic)) return Value("topic " + PathOf(found));
    }
    std::u16string relative;
    if (Relative(text, &relative)) return Value(PrintableUtf8(relative));
    return Text(text);
  }

  bool Relative(const std::u16string& path, std::u16string* out) const {
    const std::u16string& folder = options_.mapFolder;
    if (folder.empty() || path.size() < folder.size()) return false;
    if (!kx2::EqualsI16(std::u16string_view(path).substr(0, folder.size()), folder)) return false;
    *out = path.substr(folder.size());
    return true;
  }

  static Value Text(const std::u16string& text) { return Value(PrintableUtf8(text)); }

  Value ObjectTable() {
    Value groups = Value::MakeArray();
    if (!table_) return groups;
    for (TableItem* group : table_->topLevel()) {
      bool changedEntry = false;
      for (TableItem* e : group->children) changedEntry |= !e->stock || e->changed;
      if (group->stock && !group->changed && !changedEntry) continue;
      Value g = Object(group->props.get(), 0, false);
      if (group->stock) g.Set("stock", true);
      Value entries = Value::MakeArray();
      for (TableItem* e : group->children) {
        if (e->stock && !e->changed) continue;
        Value entry = Object(e->props.get(), 0, false);
        if (e->stock) entry.Set("stock", true);
        entries.Push(std::move(entry));
      }
      if (!entries.empty()) g.Set("entries", std::move(entries));
      groups.Push(std::move(g));
    }
    return groups;
  }

  const DescribeOptions& options_;
  VtlObjectTable* table_ = nullptr;
  std::string documentGuid_;
  VtlTopic* root_ = nullptr;
  std::unordered_map<const VtlTopic*, std::string> paths_;
  std::unordered_map<std::string, const VtlTopic*> guidTopics_;  // by GuidKey
  bool guidsIndexed_ = false;
  std::vector<std::pair<VtlObject*, VtlTopic*>> relationships_;
  std::vector<std::pair<VtlObject*, std::vector<VtlTopic*>>> boundaries_;
};

}  // namespace
}  // namespace detail

Value DescribeDocuments(const DescribeOptions& options) { return detail::Describer(options).Documents(); }

void WriteDocuments(const DescribeOptions& options, const Value& head, bool json, std::ostream& out) {
  detail::Describer(options).WriteDocuments(head, json, out);
}

}  // namespace vantorel
