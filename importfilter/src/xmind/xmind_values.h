// Small pieces the XMind reader uses everywhere: host objects made and filled one property
// at a time, attribute and tag reads with ASCII letters folded, and the value texts of
// XMind files (lengths, colours, dates, durations).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>
#include <string>
#include <string_view>

#include <kx2/Ref.h>
#include <vantorel/app_interfaces.h>

namespace foliant::xmind {

using ObjectRef = kx2::Ref<IVtlObject>;

// A new host model object of a class, or null.
ObjectRef NewObject(LONG classId);

// Each fills a record, sets it on the object and clears it; false when the record cannot be
// made or the object refuses it.
bool SetNumber(IVtlObject* object, USHORT id, WORD type, LONG value);
bool SetText(IVtlObject* object, USHORT id, const std::u16string& text);
bool SetGuid(IVtlObject* object, USHORT id, const GUID& guid);
bool SetWide(IVtlObject* object, USHORT id, uint64_t value);
// A colour as the host keeps it: 0xAARRGGBB and the second word 0x00FF0000.
bool SetColor(IVtlObject* object, USHORT id, DWORD argb);
// An interface reference (type 0x8000); the object takes its own reference.
bool SetInterface(IVtlObject* object, USHORT id, IVtlUnknown* iface);
// A key of the file store (type 0x8002, the store as owner).
bool SetStoredFile(IVtlObject* object, USHORT id, IVtlFileStore* store, ULONG_PTR key);
// Element `index` of a list object set to a GUID.
bool SetListGuid(IVtlObject* list, LONG index, const GUID& guid);

// The first object attached to a node under a role tag, or null.
ObjectRef AttachedObject(IVtlObject* node, ULONG tag);

// Tags and attribute names compared with ASCII letters folded.
bool TagIs(IKX2XMLElement* element, std::u16string_view name);
// The attribute as written, else the first whose name matches with letters folded.
LPCWSTR Attribute(IKX2XMLElement* element, std::u16string_view name);
inline std::u16string AttributeText(IKX2XMLElement* element, std::u16string_view name) {
  LPCWSTR text = Attribute(element, name);
  return text ? std::u16string(text) : std::u16string();
}

// The attributes of one element, their names read once: look-ups answer as Attribute does,
// but a name the element lacks costs a pass over names already read rather than asking
// the element for every name again. The element must outlive the set.
class ElementAttributeSet {
 public:
  explicit ElementAttributeSet(IKX2XMLElement* element);
  LPCWSTR Get(std::u16string_view name) const;
  std::u16string Text(std::u16string_view name) const {
    LPCWSTR text = Get(name);
    return text ? std::u16string(text) : std::u16string();
  }

 private:
  IKX2XMLElement* element_;
  std::vector<LPCWSTR> names_;
};
// The element's text (every descendant text node), empty when none.
std::u16string ElementText(IKX2XMLElement* element);
// The first child element whose tag matches (one reference), or null.
kx2::Ref<IKX2XMLElement> ChildNamed(IKX2XMLElement* parent, std::u16string_view name);

// A length or position: the leading decimal number times 100, truncated toward zero and
// held within 32 bits ("12.345" gives 1234, "3pt" 300).
LONG LengthFromText(std::u16string_view text);
// "#RRGGBB" to the opaque 0xFFRRGGBB; anything else (also "none") is no colour.
std::optional<DWORD> ColorFromText(std::u16string_view text);
// A date of exactly six numbers (year, month, day, hour, minute, second, separated by
// blanks, "-" or ":") as the runtime's 64-bit local time; nullopt for any other count.
std::optional<int64_t> DateFromText(std::u16string_view text);
// "3d" gives unit 1 (days) and 3; "5h" or a bare number unit 0 (hours).
struct Duration {
  LONG unit;
  LONG count;
};
Duration DurationFromText(std::u16string_view text);
// The number a text begins with, as _wtoi reads it.
LONG IntegerFromText(std::u16string_view text);

}  // namespace foliant::xmind
