// Values as a MindManager "Document.xml" writes them (colours, lengths in millimetres,
// dates, package references), and the small XML walks the importer repeats.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include <foliant/import_base.h>
#include <foliant/common/color_text.h>
#include <foliant/common/xml_walk.h>
#include <vantorel/xml_interfaces.h>

namespace foliant::mindmanager {

// An attribute colour: exactly eight hexadecimal digits, alpha, red, green, blue
// ("ffc6c6c6"), without "#". Anything else is no colour.
std::optional<DWORD> ParseArgbColor(std::u16string_view text);
// The host colour words of an ARGB colour: 0xFFRRGGBB (always opaque) and 0x00FF0000.
DWORD ColorWord(DWORD argb);
// Transparency in thousandths: (255 - alpha) / 255 x 1000, truncated.
LONG TransparencyOf(DWORD argb);

// Millimetres to hundredths of a point: MulDiv(mm x 10, 283465, 1000) / 10, the product
// truncated first; lengths beyond what the host keeps are held at its limit.
LONG MillimetresToHundredths(double millimetres);
// A decimal text times 100, truncated ("12." gives 1200); nullopt for an empty text or one
// that is not a finite number.
std::optional<LONG> HundredthsOf(std::u16string_view text);
// A decimal attribute in millimetres, in hundredths of a point; nullopt when absent or
// unusable.
std::optional<LONG> LengthAttribute(IKX2XMLElement* element, LPCWSTR name);
// "2024-03-04T09:00:00" (or with blanks): exactly six numbers, as local time; nullopt when
// they are not six or the time cannot be represented.
std::optional<int64_t> ParseDateTime(std::u16string_view text);
// "true"/"TRUE", "false"/"FALSE", or a number of hexadecimal digits (as MindManager writes
// its "Dirty" masks, non-zero meaning true); nullopt for anything else.
std::optional<bool> ParseFlag(std::u16string_view text);

// The package entry a "cor:Uri" names ("mmarch://bin/a.png" is "bin\a.png"): the text
// after the scheme, every "/" a "\".
std::u16string PackageEntryOf(std::u16string_view uri);

// The text of the first descendant element so named, at most `depth` levels down; empty
// when there is none.
std::u16string DescendantText(IKX2XMLElement* element, std::u16string_view tag, int depth);
// The first descendant element so named (one new reference), or null.
IKX2XMLElement* FindDescendant(IKX2XMLElement* element, std::u16string_view tag, int depth);

// An element path resolved with ImportBase::FindElementByPath, released when it goes.
class HeldPath {
 public:
  HeldPath(ImportBase& context, IKX2XMLElement* from, std::initializer_list<LPCWSTR> names)
      : context_(context), element_(context.FindElementByPath(from, names, &handle_)) {}
  ~HeldPath() {
    if (element_) context_.ReleasePath(handle_);
  }
  HeldPath(const HeldPath&) = delete;
  HeldPath& operator=(const HeldPath&) = delete;
  IKX2XMLElement* get() const { return element_; }
  explicit operator bool() const { return element_ != nullptr; }

 private:
  ImportBase& context_;
  int handle_ = 0;
  IKX2XMLElement* element_;
};

// Makes an element current for as long as it lives, then puts the previous one back.
class CurrentElement {
 public:
  CurrentElement(ImportBase& context, IKX2XMLElement* element)
      : context_(context), previous_(context.SetCurrentElement(element)) {}
  ~CurrentElement() { context_.SetCurrentElement(previous_); }
  CurrentElement(const CurrentElement&) = delete;
  CurrentElement& operator=(const CurrentElement&) = delete;

 private:
  ImportBase& context_;
  IKX2XMLElement* previous_;
};

// Calls visit(element) for `first` and every following sibling element of the same tag
// (ASCII letters folded): a set of markers is a run of like elements, and an element of
// another kind after it is no marker of the set. Stops, returning false, when visit does.
template <class Visit>
bool ForElementAndSiblings(IKX2XMLElement* first, Visit&& visit) {
  if (!first) return true;
  if (!visit(first)) return false;
  LPCWSTR tag = first->GetTagName();
  const std::u16string name = tag ? tag : u"";
  IKX2XMLNode* node = first->GetNextSibling();
  while (node) {
    if (node->GetNodeType() == KX2XML_ELEMENT)
      if (auto* element = dynamic_cast<IKX2XMLElement*>(node);
          element && TagIsNoCase(element, name) && !visit(element)) {
        node->Release();
        return false;
      }
    IKX2XMLNode* next = node->GetNextSibling();
    node->Release();
    node = next;
  }
  return true;
}

}  // namespace foliant::mindmanager
