// The styles of "styles.xml" and what they set on the host's nodes, texts and lines.
#pragma once

#include <string>
#include <unordered_map>

#include "xmind/xmind_state.h"

namespace foliant::xmind {

// Lists every "style" child of a styles element in the table (by its "id"); a later style
// with the same id replaces an earlier. A style's family and the property names XMind
// styles carry are read from it when FindStyle first asks for it.
void ReadStyles(IKX2XMLElement* styles, std::unordered_map<std::u16string, StyleRecord>& table);

// The properties of the style `id` when its family is one of those given (any family when
// none is given); null when there is no such style.
const StyleMap* FindStyle(const ImportState& state, const std::u16string& id,
                          std::initializer_list<const char16_t*> families = {});

// A style property's text, or null.
const std::u16string* StyleValue(const StyleMap& style, std::u16string_view name);

// Applies a style to a topic: its shape and branch line (format object, class 538, through
// the mapper: 0x4007 shape, 0x4009 line shape), its fill (line-and-fill format -1) and its
// branch line's colour, width and pattern (line-and-fill format 1).
void ApplyNodeStyle(IVtlModel* model, IVtlObject* node, const StyleMap& style, const TqResourceMapper& mapper);

// Which properties of a style a line-and-fill object is filled from: the fill alone, the
// line alone, or both.
enum class LineAndFillParts { kFill, kLine, kBoth };

// Fills a line-and-fill object (class 0x4008) from a style: "svg:fill" (a colour, or "none"
// for no fill), "line-color", "line-width" and "line-pattern" (`defaultPattern` when the
// style has none; null for no default). True when anything was set.
bool FillLineAndFill(IVtlObject* format, const StyleMap& style, const TqResourceMapper& mapper,
                     const char16_t* defaultPattern, LineAndFillParts parts = LineAndFillParts::kBoth);
// The same into the line-and-fill format a target keeps under `index` (model slots 57, 58).
void ApplyLineAndFill(IVtlModel* model, IVtlObject* target, LONG index, const StyleMap& style,
                      const TqResourceMapper& mapper, const char16_t* defaultPattern,
                      LineAndFillParts parts = LineAndFillParts::kBoth);

// Makes the text style for what is written next into the placed text: a copy of the
// placed text's base style with the style's font family, size, weight, slant, decoration
// and colour.
bool ApplyTextStyle(IVtlModel* model, const StyleMap& style);
// The paragraph alignment of "fo:text-align": "center" 3, "right" 2, anything else 1.
bool ApplyParagraphAlignment(IVtlModel* model, const StyleMap& style);

}  // namespace foliant::xmind
