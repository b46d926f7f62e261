#include "xmind/xmind_values.h"

#include <algorithm>
#include <climits>
#include <iterator>
#include <cmath>
#include <vector>

#include <basalt/string_util.h>
#include <foliant/host_binding.h>
#include <foliant/kx2_app.h>
#include <foliant/property_values.h>
#include <foliant/time_value.h>
#include <foliant/common/color_text.h>
#include <foliant/common/xml_walk.h>
#include <win/crt.h>

namespace foliant::xmind {
namespace {

bool Put(IVtlObject* object, USHORT id, PropertyValue& value) {
  const BOOL done = object->SetProperty(id, &value);
  ClearPropertyValue(&value);
  return done != FALSE;
}

}  // namespace

ObjectRef NewObject(LONG classId) { return ObjectRef(FoliantCreateObject(classId)); }

bool SetNumber(IVtlObject* object, USHORT id, WORD type, LONG value) {
  if (!object) return false;
  PropertyValue v{};
  InitPropertyValue(&v, type, value);
  return Put(object, id, v);
}

bool SetText(IVtlObject* object, USHORT id, const std::u16string& text) {
  PropertyValue v{};
  if (!object || !InitPropertyString(&v, text.c_str())) return false;
  return Put(object, id, v);
}

bool SetGuid(IVtlObject* object, USHORT id, const GUID& guid) {
  PropertyValue v{};
  if (!object || !InitPropertyGuid(&v, guid)) return false;
  return Put(object, id, v);
}

bool SetWide(IVtlObject* object, USHORT id, uint64_t value) {
  if (!object) return false;
  PropertyValue v{};
  InitPropertyValue(&v, vantorel::kPropWide, static_cast<DWORD>(value), static_cast<DWORD>(value >> 32));
  return Put(object, id, v);
}

bool SetColor(IVtlObject* object, USHORT id, DWORD argb) {
  return SetWide(object, id, static_cast<uint64_t>(kHostColorSecondWord) << 32 | argb);
}

bool SetInterface(IVtlObject* object, USHORT id, IVtlUnknown* iface) {
  if (!object || !iface) return false;
  iface->AddRef();
  PropertyValue v{};
  v.type = vantorel::kPropUnknown;
  v.iface = iface;
  return Put(object, id, v);  // clearing gives the reference back
}

bool SetStoredFile(IVtlObject* object, USHORT id, IVtlFileStore* store, ULONG_PTR key) {
  PropertyValue v{};
  if (!object || !InitPropertyObject(&v, key, store, FALSE)) return false;
  return Put(object, id, v);
}

bool SetListGuid(IVtlObject* list, LONG index, const GUID& guid) {
  PropertyValue v{};
  if (!list || !InitPropertyGuid(&v, guid)) return false;
  const BOOL done = list->SetListElement(index, &v);
  ClearPropertyValue(&v);
  return done != FALSE;
}

ObjectRef AttachedObject(IVtlObject* node, ULONG tag) {
  if (!node) return ObjectRef();
  const ULONG_PTR handle = node->FindAttached(tag);
  return handle ? ObjectRef(node->GetObject(handle, tag)) : ObjectRef();
}

bool TagIs(IKX2XMLElement* element, std::u16string_view name) { return TagIsNoCase(element, name); }

LPCWSTR Attribute(IKX2XMLElement* element, std::u16string_view name) {
  if (!element) return nullptr;
  // The host takes a terminated name: the short names asked for are terminated on the stack.
  char16_t onStack[64];
  std::u16string onHeap;
  const char16_t* terminated = onStack;
  if (name.size() < std::size(onStack)) {
    std::copy(name.begin(), name.end(), onStack);
    onStack[name.size()] = 0;
  } else {
    onHeap.assign(name);
    terminated = onHeap.c_str();
  }
  if (LPCWSTR exact = element->GetAttribute(terminated)) return exact;
  const LONG count = element->GetAttributeCount();
  for (LONG i = 0; i < count; ++i) {
    LPCWSTR candidate = element->GetAttributeName(i);
    if (candidate && EqualsNoCase(candidate, name)) return element->GetAttribute(candidate);
  }
  return nullptr;
}

ElementAttributeSet::ElementAttributeSet(IKX2XMLElement* element) : element_(element) {
  const LONG count = element ? element->GetAttributeCount() : 0;
  names_.reserve(static_cast<size_t>(std::max<LONG>(count, 0)));
  for (LONG i = 0; i < count; ++i) names_.push_back(element->GetAttributeName(i));
}

LPCWSTR ElementAttributeSet::Get(std::u16string_view name) const {
  for (LPCWSTR candidate : names_)
    if (candidate && name == candidate) return element_->GetAttribute(candidate);
  for (LPCWSTR candidate : names_)
    if (candidate && EqualsNoCase(candidate, name)) return element_->GetAttribute(candidate);
  // Namespace declarations are no attributes the element lists, but the element answers
  // their names.
  if (name.substr(0, 5) == u"xmlns") return Attribute(element_, name);
  return nullptr;
}

std::u16string ElementText(IKX2XMLElement* element) {
  LPCWSTR text = element ? element->GetText() : nullptr;
  return text ? std::u16string(text) : std::u16string();
}

kx2::Ref<IKX2XMLElement> ChildNamed(IKX2XMLElement* parent, std::u16string_view name) {
  return kx2::Ref<IKX2XMLElement>(FindChildNoCase(parent, name));
}

LONG LengthFromText(std::u16string_view text) {
  const std::u16string terminated(text);
  return HundredthsFromText(terminated.c_str());
}

std::optional<DWORD> ColorFromText(std::u16string_view text) {
  // Only "#RRGGBB" is a colour here; its value is read by the one colour reader.
  if (!ParseHashColor(text)) return std::nullopt;
  const std::u16string terminated(text);
  return foliant::ColorFromText(terminated.c_str());
}

LONG IntegerFromText(std::u16string_view text) {
  const std::u16string terminated(text);
  return _wtoi(terminated.c_str());
}

std::optional<int64_t> DateFromText(std::u16string_view text) {
  std::vector<LONG> numbers;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != u' ' && text[i] != u'-' && text[i] != u':') continue;
    if (i > start) {
      if (numbers.size() == 6) return std::nullopt;
      numbers.push_back(IntegerFromText(text.substr(start, i - start)));
    }
    start = i + 1;
  }
  if (numbers.size() != 6) return std::nullopt;
  // Fields far outside the calendar are not a date (and would overflow the runtime's
  // arithmetic); the runtime still normalises what lies within these bounds.
  const auto within = [](LONG v, LONG low, LONG high) { return v >= low && v <= high; };
  if (!within(numbers[0], 1900, 9999) || !within(numbers[1], 1, 12) || !within(numbers[2], 1, 31) ||
      !within(numbers[3], 0, 23) || !within(numbers[4], 0, 59) || !within(numbers[5], 0, 60))
    return std::nullopt;
  const TimeValue time(numbers[0], numbers[1], numbers[2], numbers[3], numbers[4], numbers[5], -1);
  if (time.GetTime() == -1) return std::nullopt;
  return time.GetTime();
}

Duration DurationFromText(std::u16string_view text) {
  const size_t cut = text.find_first_of(u"dh");
  if (cut == std::u16string_view::npos) return {0, IntegerFromText(text)};
  return {text[cut] == u'd' ? 1 : 0, IntegerFromText(text.substr(0, cut))};
}

}  // namespace foliant::xmind
