#include "model/model_object.h"

#include <algorithm>
#include <new>
#include <string_view>

#include "core/bstr.h"
#include "core/guid_source.h"
#include "model/property_copy.h"

namespace vantorel::detail {

namespace {

// A large map makes several model objects per topic, and short-lived ones besides: they are
// counted by kind without the census's lock.
CensusTally& ObjectTally() {
  static CensusTally tally("model object");
  return tally;
}

CensusTally& TopicTally() {
  static CensusTally tally("topic");
  return tally;
}

}  // namespace

VtlObject::VtlObject(LONG classId) : RefCounted<IVtlObject>(ObjectTally()), classId_(classId) {}

VtlObject::VtlObject(LONG classId, CensusTally& tally) : RefCounted<IVtlObject>(tally), classId_(classId) {}

VtlObject::~VtlObject() { DropContents(); }

void VtlObject::DropContents() {
  // Moved out first: releasing a held object may come back to this one.
  auto props = std::move(props_);
  auto subs = std::move(subs_);
  auto attachments = std::move(attachments_);
  auto paragraphs = std::move(paragraphs_);
  auto rare = std::move(rare_);
  subs_.clear(), attachments_.clear(), paragraphs_.clear();
  props.ForEach([](USHORT, PropertyValue& value) { ClearOwnedValue(value); });
  if (rare)
    for (auto& value : rare->list) ClearOwnedValue(value);
}

VtlObject::Rare* VtlObject::EnsureRare() {
  if (!rare_) rare_.reset(new (std::nothrow) Rare);
  return rare_.get();
}

const std::vector<PropertyValue>& VtlObject::listElements() const {
  static const std::vector<PropertyValue> kNone;
  return rare_ ? rare_->list : kNone;
}

const VtlObject::Formats& VtlObject::formats() const {
  static const Formats kNone;
  return rare_ ? rare_->formats : kNone;
}

VtlObject* VtlObject::FindFormat(LONG index) const {
  for (const auto& [at, format] : formats())
    if (at == index) return format.get();
  return nullptr;
}

bool VtlObject::KeepFormat(LONG index, Ref<VtlObject> format) {
  Rare* rare = EnsureRare();
  if (!rare) return false;
  auto& formats = rare->formats;
  auto at = std::lower_bound(formats.begin(), formats.end(), index,
                             [](const auto& entry, LONG key) { return entry.first < key; });
  if (at != formats.end() && at->first == index) {
    // The old format goes after the new one is in place: releasing it may come back here.
    Ref<VtlObject> old = std::move(at->second);
    at->second = std::move(format);
    return true;
  }
  // A topic keeps two line formats: room for both at once.
  const auto offset = at - formats.begin();
  if (formats.capacity() == 0) formats.reserve(2);
  formats.insert(formats.begin() + offset, {index, std::move(format)});
  return true;
}

const GUID& VtlObject::guid() {
  if (!hasGuid_) setGuid(NextGuid());
  return guid_;
}

IVtlObject* VtlObject::GetTarget(LONG) {
  AddRef();
  return this;
}

BOOL VtlObject::GetGuid(GUID* out) {
  if (!out) return FALSE;
  *out = guid();
  return TRUE;
}

BOOL VtlObject::SetListElement(LONG index, const PropertyValue* value) {
  const size_t count = listElements().size();
  if (classId_ != kClassList || !value || index < 0 || static_cast<size_t>(index) >= count) return FALSE;
  PropertyValue copy;
  if (!CopyPropertyValue(copy, *value)) return FALSE;
  auto& list = rare_->list;
  ClearOwnedValue(list[index]);
  list[index] = copy;
  return TRUE;
}

BOOL VtlObject::GetProperty(USHORT id, PropertyValue* out) {
  if (!out) return FALSE;
  const PropertyValue* held = props_.Find(id);
  if (!held) return FALSE;
  return CopyPropertyValue(*out, *held) ? TRUE : FALSE;
}

const PropertyValue* VtlObject::GetPropertyRecord(USHORT id) { return props_.Find(id); }

VtlObject::SubObjects::iterator VtlObject::SubSlot(USHORT id) {
  return std::lower_bound(subs_.begin(), subs_.end(), id,
                          [](const auto& entry, USHORT key) { return entry.first < key; });
}

VtlObject* VtlObject::SubObject(USHORT id, LONG classId) {
  auto at = SubSlot(id);
  if (at != subs_.end() && at->first == id) return at->second.get();
  auto* sub = new (std::nothrow) VtlObject(classId);
  if (!sub) return nullptr;
  subs_.insert(at, {id, Ref<VtlObject>(sub)});
  return sub;
}

IVtlObject* VtlObject::GetSubObject(USHORT id) {
  VtlObject* sub = SubObject(id, kClassSubRecord);
  if (sub) sub->AddRef();
  return sub;
}

BOOL VtlObject::SetProperty(USHORT id, const PropertyValue* value) {
  if (!value) return FALSE;
  PropertyValue copy;
  if (!CopyPropertyValue(copy, *value)) return FALSE;
  PropertyValue* held = props_.Emplace(id);
  if (!held) {
    ClearOwnedValue(copy);
    return FALSE;
  }
  // The old value goes after the new one is in place: releasing it may come back here.
  PropertyValue old = *held;
  *held = copy;
  ClearOwnedValue(old);
  return TRUE;
}

ULONG_PTR VtlObject::FindAttached(ULONG tag) {
  for (size_t i = 0; i < attachments_.size(); ++i)
    if (attachments_[i].tag == tag) return i + 1;
  return 0;
}

IVtlObject* VtlObject::GetObject(ULONG_PTR first, ULONG second) {
  if (IsRoleTag(second)) {
    if (first == 0 || first > attachments_.size()) return nullptr;
    const Attachment& a = attachments_[first - 1];
    if (a.tag != second) return nullptr;
    return ShareOut(a.object);
  }
  if (first > 0xFFFF) return nullptr;
  VtlObject* sub = SubObject(static_cast<USHORT>(first), static_cast<LONG>(second));
  if (sub) sub->AddRef();
  return sub;
}

IVtlObject* VtlObject::CreateList(USHORT id, LONG count) {
  if (count < 0 || count > 0x100000) return nullptr;
  auto* list = new (std::nothrow) VtlObject(kClassList);
  if (!list || !list->EnsureRare()) {
    if (list) list->Release();
    return nullptr;
  }
  list->rare_->list.resize(static_cast<size_t>(count));
  auto at = SubSlot(id);
  if (at != subs_.end() && at->first == id) {
    Ref<VtlObject> old = std::move(at->second);
    at->second = Ref<VtlObject>::Share(list);
  } else {
    subs_.insert(at, {id, Ref<VtlObject>::Share(list)});
  }
  return list;
}

BOOL VtlObject::RemoveProperty(USHORT id) {
  PropertyValue old;
  if (!props_.Take(id, &old)) return FALSE;
  ClearOwnedValue(old);
  return TRUE;
}

BOOL VtlObject::InitFrom(IVtlObject* base) {
  auto* from = AsModelObject(base);
  if (!from) return FALSE;
  return MergeFrom(*from) ? TRUE : FALSE;
}

bool VtlObject::MergeFrom(const VtlObject& from) {
  if (&from == this) return true;
  bool copied = true;
  from.props_.ForEach([&](USHORT id, const PropertyValue& value) {
    if (copied && !SetProperty(id, &value)) copied = false;
  });
  if (!copied) return false;
  for (const auto& [id, sub] : from.subs_) {
    VtlObject* mine = SubObject(id, sub->classId_);
    if (!mine) return false;
    if (sub->classId_ == kClassList) {
      const std::vector<PropertyValue>& from = sub->listElements();
      Rare* rare = mine->EnsureRare();
      if (!rare) return false;
      for (auto& v : rare->list) ClearOwnedValue(v);
      rare->list.assign(from.size(), PropertyValue{});
      for (size_t i = 0; i < from.size(); ++i)
        if (!CopyPropertyValue(rare->list[i], from[i])) return false;
    }
    if (!mine->MergeFrom(*sub)) return false;
  }
  return true;
}

Ref<VtlObject> VtlObject::Clone() const {
  auto copy = Ref<VtlObject>(new (std::nothrow) VtlObject(classId_));
  if (!copy || !copy->MergeFrom(*this)) return nullptr;
  return copy;
}

namespace {

bool SamePlainValue(const PropertyValue& a, const PropertyValue& b) {
  if (a.type != b.type) return false;
  switch (a.type) {
    case kPropText: {
      const UINT length = a.text ? BstrLength(a.text) : 0;
      return length == (b.text ? BstrLength(b.text) : 0) &&
             (length == 0 || std::u16string_view(a.text, length) == std::u16string_view(b.text, length));
    }
    case kPropGuid:
      return a.guid && b.guid ? *a.guid == *b.guid : a.guid == b.guid;
    case kPropUnknown:
    case kPropDispatch:
    case kPropKey:
      return false;  // a reference, never taken for another
    default:
      return a.u64 == b.u64;
  }
}

}  // namespace

bool VtlObject::SameContent(const VtlObject& other) const {
  if (&other == this) return true;
  auto bare = [](const VtlObject& o) {
    return !o.hasGuid_ && o.attachments_.empty() && o.paragraphs_.empty() &&
           (!o.rare_ || (o.rare_->list.empty() && o.rare_->formats.empty()));
  };
  if (classId_ != other.classId_ || !bare(*this) || !bare(other)) return false;
  if (props_.size() != other.props_.size() || subs_.size() != other.subs_.size()) return false;
  bool same = true;
  props_.ForEach([&](USHORT id, const PropertyValue& value) {
    const PropertyValue* theirs = same ? other.props_.Find(id) : nullptr;
    same = theirs && SamePlainValue(value, *theirs);
  });
  if (!same) return false;
  for (size_t i = 0; i < subs_.size(); ++i)
    if (subs_[i].first != other.subs_[i].first || !subs_[i].second->SameContent(*other.subs_[i].second)) return false;
  return true;
}

std::u16string VtlObject::PlainText() const {
  std::u16string text;
  for (size_t i = 0; i < paragraphs_.size(); ++i) {
    if (i) text += u'\n';
    for (const TextRun& run : paragraphs_[i].runs) text += run.text;
  }
  return text;
}

VtlTopic::VtlTopic(VtlModel* model, VtlTopic* parent, LONG insertKind)
    : VtlObject(kClassTopic, TopicTally()), model_(model), parent_(parent), insertKind_(insertKind) {
  setGuid(NextGuid());
  // The format target and the line-and-fill formats are made when first asked for: most
  // topics of a large map never have one, and a read of one not kept yet gives nothing.
  text_ = Ref<VtlObject>(new VtlObject(kClassTextStyle));
  attachments().push_back({kRoleTextStyle, Ref<IVtlObject>::Share(text_.get())});
}

VtlObject* VtlTopic::EnsureFormat() {
  if (!format_) format_ = Ref<VtlObject>(new (std::nothrow) VtlObject(kClassFormat));
  return format_.get();
}

IVtlObject* VtlTopic::GetTarget(LONG) { return ShareOut(Ref<VtlObject>::Share(EnsureFormat())); }

VtlTopic* VtlTopic::AddChild(LONG kind) {
  auto* child = new (std::nothrow) VtlTopic(model_, this, kind);
  if (!child) return nullptr;
  // Room for a few at once: a list grown one child at a time is made anew at 1, 2 and 4.
  if (children_.capacity() == 0) children_.reserve(4);
  children_.push_back({Ref<VtlTopic>(child), kind});
  return child;
}

void VtlTopic::DropTree() {
  auto children = std::move(children_);
  children_.clear();
  for (Child& c : children) c.topic->DropTree();
  if (format_) format_->DropContents();
  if (text_) text_->DropContents();
  format_.reset();
  text_.reset();
  DropContents();
}

VtlObject* NewModelObject(LONG classId) {
  switch (classId) {
    case kClassTextStyle:
    case kClassParagraphStyle:
    case kClassTableEntry:
    case kClassTableGroup:
    case kClassMarker:
    case kClassLabels:
    case kClassTaskSchedule:
    case kClassTask:
    case kClassFormat:
    case kClassImage:
    case kClassHyperlink:
    case kClassNumbering:
    case kClassRelationship:
    case kClassBoundary:
    case kClassSummaryMember:
    case kClassNotes:
    case kClassAttachment:
    case kClassPictureFormat:
      return new (std::nothrow) VtlObject(classId);
    default:
      return nullptr;
  }
}

}  // namespace vantorel::detail
