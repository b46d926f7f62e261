// The content elements of a topic: its text, icons, text labels, task, image, comments,
// attachments and notes.
#include "mindmanager/mindmanager_reader.h"

#include <memory>

#include <basalt/xml/node.h>
#include <foliant/host_binding.h>
#include <foliant/property_values.h>
#include <foliant/time_value.h>
#include <foliant/common/marker_guid.h>
#include <foliant/common/object_table.h>
#include <foliant/common/rich_text_writer.h>
#include <foliant/common/xml_walk.h>
#include <foliant/mindmanager/mindmanager_notes.h>
#include <win/crt.h>

#include "mindmanager/mm_values.h"

using namespace foliant::mindmanager;

namespace {

// Comments of a topic are kept as XML text in this property of its format.
constexpr USHORT kPropFormatComments = 0x4070;
// The host group of task resources.
constexpr LONG kResourceGroup = 601;

// The text object of a topic (attached under the text-style role tag).
kx2::Ref<IVtlObject> TextObjectOf(IVtlObject* topic) {
  const ULONG_PTR handle = topic->FindAttached(vantorel::kRoleTextStyle);
  return kx2::Ref<IVtlObject>(handle ? topic->GetObject(handle, vantorel::kRoleTextStyle) : nullptr);
}

// The font of an "ap:Text" or "ap:FontRange": the attributes of its "ap:Font" child, and
// of the element itself where the child does not give them.
HTML::TextRun ReadFont(IKX2XMLElement* holder) {
  kx2::Ref<IKX2XMLElement> font(foliant::FindChildNoCase(holder, u"ap:Font"));
  auto attribute = [&](LPCWSTR name) -> LPCWSTR {
    LPCWSTR value = font ? font->GetAttribute(name) : nullptr;
    return value ? value : holder->GetAttribute(name);
  };
  HTML::TextRun run;
  if (LPCWSTR name = attribute(u"Name"); name && *name) {
    run.flags |= HTML::kRunFace;
    run.face = name;
  }
  if (LPCWSTR size = attribute(u"Size"))
    if (auto hundredths = HundredthsOf(size); hundredths && *hundredths > 0) {
      run.flags |= HTML::kRunSize;
      run.size = *hundredths;
    }
  if (LPCWSTR color = attribute(u"Color"))
    if (auto argb = ParseArgbColor(color)) {
      run.flags |= HTML::kRunColor;
      run.color[0] = ColorWord(*argb);
      run.color[1] = foliant::kHostColorSecondWord;
    }
  struct Switch {
    const char16_t* name;
    DWORD flag;
  };
  for (const Switch& s : {Switch{u"Bold", HTML::kRunBold}, Switch{u"Italic", HTML::kRunItalic},
                          Switch{u"Underline", HTML::kRunUnderline}, Switch{u"Strikethrough", HTML::kRunStrike}}) {
    const std::u16string_view value = attribute(s.name) ? attribute(s.name) : u"";
    if (value == u"true" || value == u"TRUE") run.flags |= s.flag;
  }
  return run;
}

// The names of a "Resources" text: separated by ";" (or ","), blanks around them dropped.
std::vector<std::u16string> SplitNames(std::u16string_view text) {
  std::vector<std::u16string> names;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of(u";,", start);
    if (end == std::u16string_view::npos) end = text.size();
    std::u16string_view name = text.substr(start, end - start);
    while (!name.empty() && (name.front() == u' ' || name.front() == u'\t')) name.remove_prefix(1);
    while (!name.empty() && (name.back() == u' ' || name.back() == u'\t')) name.remove_suffix(1);
    if (!name.empty()) names.emplace_back(name);
    start = end + 1;
  }
  return names;
}

}  // namespace

bool MindManagerReader::ReadText(IKX2XMLElement* text, IVtlObject* topic) {
  const HTML::TextRun whole = ReadFont(text);
  if (whole.flags) {
    kx2::Ref<IVtlObject> object(TextObjectOf(topic));
    if (!object || !foliant::SetRunStyle(object.get(), whole, nullptr)) return false;
  }
  LPCWSTR plain = text->GetAttribute(u"PlainText");
  if (!plain || !*plain) return true;
  const std::u16string_view body(plain);

  // Ranges of the text with a font of their own: "From" the first character "To" the one
  // after the last.
  std::map<LONG, HTML::TextRun> runs;
  foliant::ForEachChildElement(text, [&](IKX2XMLElement* range) {
    if (!foliant::TagIsNoCase(range, u"ap:FontRange")) return true;
    LPCWSTR fromText = range->GetAttribute(u"From");
    LPCWSTR toText = range->GetAttribute(u"To");
    if (!fromText || !toText) return true;
    const LONG size = static_cast<LONG>(body.size());
    const LONG from = _wtoi(fromText), to = std::min(static_cast<LONG>(_wtoi(toText)), size);
    if (from < 0 || from >= to) return true;
    HTML::TextRun run = ReadFont(range);
    if (!run.flags) return true;
    run.start = from;
    run.end = to - 1;
    runs[from] = std::move(run);
    return true;
  });

  foliant::RichTextWriter writer(model_.get(), nullptr);
  if (!writer.Begin(topic)) return false;
  TqMapRecord alignment{};
  if (LPCWSTR align = text->GetAttribute(u"TextAlignment");
      align && mapper_.Find(TqResourceMapper::kHorizontalAlignment, align, &alignment) &&
      !writer.ApplyAlignment(alignment.value))
    return false;
  return writer.WriteRuns(body, runs);
}

bool MindManagerReader::EnsureMarkerEntry(const TqMapRecord& record, LPCWSTR name, GUID* marker) {
  *marker = foliant::MarkerEntryGuid(record);
  if (foliant::IsNullGuid(*marker) || foliant::HasObjectTableEntry(model_.get(), *marker)) return true;
  const GUID group = foliant::MarkerGroupGuid(record);
  if (!foliant::HasObjectTableEntry(model_.get(), group)) return true;
  return foliant::AddObjectTableItem(model_.get(), &group, vantorel::kClassTableEntry, *marker,
                                     foliant::kTableKindMarkers, name, nullptr, marker);
}

// One marker object per icon: a stock icon by its "IconType", a custom icon by its
// signature (registered from its own image when the map's marker sets did not).
bool MindManagerReader::ReadIcons(IKX2XMLElement* group) {
  auto icon = [&](IKX2XMLElement* element) {
    if (!foliant::TagIsNoCase(element, u"ap:Icon")) return true;
    GUID marker{};
    if (LPCWSTR type = element->GetAttribute(u"IconType")) {
      TqMapRecord record{};
      if (!mapper_.Find(TqResourceMapper::kMarkers, type, &record)) return true;
      if (!EnsureMarkerEntry(record, type, &marker)) return false;
    } else if (LPCWSTR signature = element->GetAttribute(u"IconSignature")) {
      if (auto known = customIcons_.find(signature); known != customIcons_.end()) {
        marker = known->second;
      } else {
        kx2::Ref<IKX2XMLElement> data(foliant::FindChildNoCase(element, u"ap:CustomIconImageData"));
        const std::u16string uri = DescendantText(data ? data.get() : element, u"cor:Uri", 2);
        // An icon whose picture the package lacks shows nothing; the map still imports.
        if (uri.empty() || !RegisterCustomIcon(u"", uri, &marker)) return true;
        customIcons_[signature] = marker;
      }
    }
    return foliant::IsNullGuid(marker) || AttachMarker(marker);
  };
  return foliant::ForEachChildElement(group, [&](IKX2XMLElement* child) {
    if (foliant::TagIsNoCase(child, u"ap:Icons")) return foliant::ForEachChildElement(child, icon);
    return icon(child);
  });
}

// The labels of a topic, as entries of the map's label sets; a label no set declares is
// left out.
bool MindManagerReader::ReadTextLabels(IKX2XMLElement* labels) {
  std::vector<GUID> entries;
  foliant::ForEachChildElement(labels, [&](IKX2XMLElement* label) {
    if (LPCWSTR name = label->GetAttribute(u"TextLabelName"))
      if (auto it = labels_.find(name); it != labels_.end()) entries.push_back(it->second);
    return true;
  });
  if (entries.empty()) return true;
  PropertyHolder object(FoliantCreateObject(vantorel::kClassLabels));
  if (!object) return false;
  PropertyHolder list(object->CreateList(vantorel::kPropLabelList, static_cast<LONG>(entries.size())));
  if (!list) return false;
  for (size_t i = 0; i < entries.size(); ++i)
    if (!list.SetElementGuid(static_cast<LONG>(i), entries[i])) return false;
  return Attach(vantorel::kRoleLabels, object.Get());
}

bool MindManagerReader::ReadTask(IKX2XMLElement* task) {
  using namespace vantorel;
  PropertyHolder object(FoliantCreateObject(kClassTask));
  if (!object) return false;
  PropertyHolder schedule(object->GetObject(0x4002, kClassTaskSchedule));
  if (!schedule) return false;
  auto date = [&](LPCWSTR name, USHORT id) {
    LPCWSTR text = task->GetAttribute(name);
    auto value = text ? ParseDateTime(text) : std::nullopt;
    if (!value) return true;
    const auto bits = static_cast<uint64_t>(*value);
    return schedule.SetPropertyValue(id, kPropWide, static_cast<DWORD>(bits), static_cast<DWORD>(bits >> 32)) != FALSE;
  };
  if (!date(u"StartDate", 0x4001) || !date(u"DeadlineDate", 0x4002)) return false;
  if (LPCWSTR hoursText = task->GetAttribute(u"DurationHours"); hoursText && *hoursText) {
    const LONG hours = _wtoi(hoursText);
    const std::u16string_view unit = task->GetAttribute(u"DurationUnit") ? task->GetAttribute(u"DurationUnit") : u"";
    struct Unit {
      const char16_t* name;
      LONG code, hours;
    };
    Unit chosen{u"", 0, 1};
    for (const Unit& u :
         {Unit{u"urn:mindjet:Day", 1, 8}, Unit{u"urn:mindjet:Week", 2, 40}, Unit{u"urn:mindjet:Month", 3, 160}})
      if (unit == u.name) chosen = u;
    if (!schedule.SetPropertyValue(0x4003, kPropEnum, static_cast<DWORD>(chosen.code)) ||
        !schedule.SetPropertyValue(0x4004, kPropInt, static_cast<DWORD>(hours / chosen.hours)))
      return false;
  }
  // Progress and priority are markers of the host's progress and priority groups.
  for (const auto& [name, progress] : {std::pair{u"TaskPercentage", true}, std::pair{u"TaskPriority", false}}) {
    LPCWSTR value = task->GetAttribute(name);
    if (!value || !*value) continue;
    if (progress && !schedule.SetPropertyValue(0x4005, kPropInt, static_cast<DWORD>(_wtoi(value)))) return false;
    TqMapRecord record{};
    GUID marker{};
    if (!mapper_.Find(TqResourceMapper::kMarkers, value, &record)) continue;
    if (!EnsureMarkerEntry(record, value, &marker)) return false;
    if (!foliant::IsNullGuid(marker) && !AttachMarker(marker)) return false;
  }
  if (LPCWSTR text = task->GetAttribute(u"Resources")) {
    std::vector<GUID> entries;
    const GUID group = TqResourceMapper::NumberGuid(kResourceGroup);
    for (const std::u16string& name : SplitNames(text)) {
      if (auto it = resources_.find(name); it != resources_.end()) {
        entries.push_back(it->second);
        continue;
      }
      GUID entry{};
      if (!foliant::HasObjectTableEntry(model_.get(), group) ||
          !foliant::AddObjectTableItem(model_.get(), &group, kClassTableEntry, GUID{}, foliant::kTableKindLabels,
                                       name.c_str(), nullptr, &entry))
        continue;
      resources_[name] = entry;
      entries.push_back(entry);
    }
    if (!entries.empty()) {
      PropertyHolder list(object->CreateList(0x4001, static_cast<LONG>(entries.size())));
      if (!list) return false;
      for (size_t i = 0; i < entries.size(); ++i)
        if (!list.SetElementGuid(static_cast<LONG>(i), entries[i])) return false;
    }
  }
  return Attach(kRoleTask, object.Get());
}

bool MindManagerReader::ReadImage(IKX2XMLElement* image) {
  using namespace vantorel;
  PropertyHolder object(FoliantCreateObject(kClassImage));
  if (!object) return false;
  kx2::Ref<IKX2XMLElement> size(FindDescendant(image, u"ap:ImageSize", 3));
  if (size) {
    for (auto [name, id] : {std::pair{u"Width", kPropImageWidth}, std::pair{u"Height", kPropImageHeight}})
      if (auto length = LengthAttribute(size.get(), name);
          length && !object.SetPropertyValue(id, kPropNumber, static_cast<DWORD>(*length)))
        return false;
  }
  for (USHORT id = 0x4004; id <= 0x4007; ++id)
    if (!object.SetPropertyValue(id, kPropInt, 0)) return false;

  kx2::Ref<IKX2XMLElement> data(FindDescendant(image, u"ap:ImageData", 3));
  const std::u16string uri = data ? DescendantText(data.get(), u"cor:Uri", 2) : std::u16string();
  if (!uri.empty()) {
    // The host's file store keeps a copy of the picture, named by the picture format bound
    // to the image.
    if (const foliant::StoredFile* file = StoreEntry(PackageEntryOf(uri), u"bin")) {
      PropertyHolder picture(FoliantCreateObject(kClassPictureFormat));
      if (!picture || !picture.SetPropertyObject(kPropEntryFile, file->key(), file->store()) ||
          !model_->SetFormat(0, object.Get(), picture.Get(), -1))
        return false;
    } else if (files_.TooLarge()) {
      return false;
    }
  }
  return Attach(kRolePicture, object.Get());
}

// The comments of a topic become one XML text: "comments" with one "comment" (its "name",
// "date" and "text") each.
bool MindManagerReader::ReadComments(IKX2XMLElement* comments, IVtlObject* topic) {
  using Basalt::XMLDom::XMLNode;
  std::unique_ptr<XMLNode> root(XMLNode::CreateNode(u"comments", nullptr));
  if (!root) return false;
  int count = 0;
  bool made = foliant::ForEachChildElement(comments, [&](IKX2XMLElement* comment) {
    LPCWSTR text = comment->GetAttribute(u"Text");
    LPCWSTR author = comment->GetAttribute(u"AuthorName");
    LPCWSTR when = comment->GetAttribute(u"DateTime");
    if (!text && !author && !when) return true;
    std::u16string date;
    if (auto seconds = when ? ParseDateTime(when) : std::nullopt) date = TimeValue(*seconds).Format(u"%x %X");
    XMLNode* node = root->AppendChild(u"comment", nullptr);
    if (!node || !node->AppendChild(u"name", author ? author : u"") || !node->AppendChild(u"date", date.c_str()) ||
        !node->AppendChild(u"text", text ? text : u""))
      return false;
    ++count;
    return true;
  });
  if (!made) return false;
  if (!count) return true;
  Basalt::XMLDom::DispOption option = Basalt::XMLDom::optDefault;
  const std::u16string xml = root->GetXML(&option);
  PropertyHolder format(FoliantCreateObject(vantorel::kClassFormat));
  kx2::Ref<IVtlObject> target(topic->GetTarget(0));
  return format && target && format.SetPropertyString(kPropFormatComments, xml.c_str()) &&
         model_->ApplyFormat(0, target.get(), format.Get());
}

// Attachments: every element (of the group or one level below it) that names a
// "FileName"; the file itself is the package entry its "cor:Uri" names.
bool MindManagerReader::ReadAttachments(IKX2XMLElement* group) {
  using namespace vantorel;
  auto attachment = [&](IKX2XMLElement* element) {
    LPCWSTR name = element->GetAttribute(u"FileName");
    PropertyHolder object(FoliantCreateObject(kClassAttachment));
    if (!object || !object.SetPropertyString(0x4001, name)) return false;
    if (LPCWSTR size = element->GetAttribute(u"FileSize")) {
      const uint64_t bytes = wcstoull(size, nullptr, 10);
      if (!object.SetPropertyValue(0x4002, kPropInt, static_cast<DWORD>(bytes > 0x7FFFFFFF ? 0x7FFFFFFF : bytes)))
        return false;
    }
    const std::u16string uri = DescendantText(element, u"cor:Uri", 3);
    if (!uri.empty()) {
      const foliant::StoredFile* file = StoreEntry(PackageEntryOf(uri), u"bin");
      if (file && !object.SetPropertyObject(0x4003, file->key(), file->store())) return false;
      if (!file && files_.TooLarge()) return false;
    }
    return Attach(kRoleAttachment, object.Get());
  };
  return foliant::ForEachChildElement(group, [&](IKX2XMLElement* child) {
    if (child->HasAttribute(u"FileName")) return attachment(child);
    return foliant::ForEachChildElement(
        child, [&](IKX2XMLElement* inner) { return inner->HasAttribute(u"FileName") ? attachment(inner) : true; });
  });
}

bool MindManagerReader::ReadNotes(IKX2XMLElement* notesGroup, IVtlObject* topic) {
  PropertyHolder notes(FoliantCreateObject(vantorel::kClassNotes));
  if (!notes) return false;
  NotesText content;
  if (!content.Read(notesGroup)) return false;
  // The line feed that ends the last paragraph starts no paragraph of its own.
  std::u16string_view text = content.Text();
  while (!text.empty() && text.back() == u'\n') text.remove_suffix(1);
  if (text.empty()) return true;
  if (!SetCurrent(topic) || !Attach(vantorel::kRoleNotes, notes.Get())) return false;
  kx2::Ref<IVtlObject> target(notes->GetTarget(0));
  foliant::RichTextWriter writer(model_.get(), faces_);
  return target && writer.Begin(target.get()) && writer.WriteRuns(text, content.Runs());
}
