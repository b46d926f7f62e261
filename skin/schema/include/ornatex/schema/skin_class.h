// One skin class of a schema ("BUTTON", "SCROLLBAR" ...): typed property readers with
// defaults over the schema's lookups, a cache of what they found, the images its
// properties name, and the drawing of its parts (theme backgrounds, border fills, glyphs).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <unordered_map>

#include <win/afx.h>
#include <win/gdi.h>

#include "ornatex/export.h"
#include "ornatex/schema/schema.h"

class CKtkSkinImage;

class ORNATEX_API CKtkSkinManagerClass : public CCmdTarget {
 public:
  CKtkSkinManagerClass(CKtkSkinManagerSchema* schema, const std::u16string& name, int classCode);
  ~CKtkSkinManagerClass() override;

  // Each reader answers the default when the property is missing or of another type.
  std::u16string GetString(int part, int state, int id, const std::u16string& defaultValue = u"");
  int GetInt(int part, int state, int id, int defaultValue);
  BOOL GetBool(int part, int state, int id, BOOL defaultValue);
  COLORREF GetColor(int part, int state, int id, COLORREF defaultValue);  // through the colour filters
  RECT GetRect(int part, int state, int id, const RECT& defaultValue);
  int GetEnum(int part, int state, int id, int defaultValue);
  POINT GetPosition(int part, int state, int id, const POINT& defaultValue);

  // The image a property names, loaded through the schema's reader once and kept here.
  CKtkSkinImage* GetImage(const std::u16string& fileName);

  // The size of a part's image: kind 1 the frame size; kind 2, for a sizing type other
  // than true size, the rectangle's size (0 x 0 without one; with uniform sizing its width
  // follows its height in the frame's proportion), else the frame size. Only for image
  // backgrounds; FALSE without an image, `size` then untouched.
  BOOL GetPartSize(int part, int state, const RECT* rect, int kind, SIZE* size);
  // Text in the part's colour, inside its caption margins, with its shadow when it has
  // one; the background stays as it is.
  BOOL DrawText(HDC dc, int part, int state, const std::u16string& text, UINT format, const RECT& rect);

  // Theme part drawing: 1 when drawn or when there is nothing to draw, 0 when an image is
  // missing.
  BOOL DrawThemeBackground(HDC dc, int part, int state, const RECT& rect);
  BOOL DrawBorderFill(HDC dc, int part, int state, const RECT& rect);
  BOOL DrawGlyph(HDC dc, int part, int state, const RECT& rect);

  std::u16string m_name;
  int m_classCode;
  CKtkSkinManagerSchema* m_pSchema;

 private:
  const CKtkSkinManagerSchemaProperty* Lookup(int part, int state, int id, int type);
  std::u16string SizeChosenGlyphFile(int part, int state, const RECT& content);
  SIZE FrameSize(CKtkSkinImage* image, int count, bool horizontal) const;

  std::unordered_map<uint32_t, const CKtkSkinManagerSchemaProperty*> cache_;
  std::map<std::u16string, std::unique_ptr<CKtkSkinImage>> images_;
};

// The class of a schema for a visual-style class name (created on first use; null for a
// name that is no skin class).
ORNATEX_API CKtkSkinManagerClass* KtkSchemaClass(CKtkSkinManagerSchema& schema, LPCWSTR className);
