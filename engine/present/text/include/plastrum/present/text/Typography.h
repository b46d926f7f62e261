// The typography service of the designer (IPresentTypography): pooled text objects and the
// font questions of the font configuration. The designer's GetTypography hands out the one
// object GetPresentTypography returns; it is stateless and lives with the library.
//
// Every slot but GetCharClass works on the font configuration state (FontConfig.h), which
// the engine library's start builds; before that, the tables are empty.
#pragma once

#include <win/ole.h>
#include <win/types.h>

#include <plastrum/Export.h>
#include <plastrum/present/text/FontConfig.h>
#include <plastrum/present/text/TextObject.h>

// Slots 0-2 are COM's, answering E_NOINTERFACE and 1 (nothing is counted).
class IPresentTypography : public IUnknown {
 public:
  // 3: a text object filled from the format, with one use; null (error 2) without memory.
  virtual Present::Text::TextObject* STDMETHODCALLTYPE NewTextObject(const Present::Text::TextFormat* format) = 0;
  // 4: one use less; true when the object was given back (pooled) or freed.
  virtual BOOL STDMETHODCALLTYPE FreeTextObject(Present::Text::TextObject* object) = 0;
  // 5: the face is in the font table (flag 1: and has style bits).
  virtual BOOL STDMETHODCALLTYPE IsFontAvailable(BYTE flag, const WCHAR* face) = 0;
  // 6: the font table through the callback (only East-Asian capable faces when asked).
  virtual int STDMETHODCALLTYPE EnumFonts(BOOL eastAsianOnly, Present::Text::FaceEnumProc callback, LONG_PTR user) = 0;
  // 7: the face to draw for a face name: its own when installed, else its substitute (out
  // value 1), else the default face of the character set (main, or sub for the East-Asian
  // sets). Valid until the next call.
  virtual const WCHAR* STDMETHODCALLTYPE MapFaceName(BYTE charset, const WCHAR* face, int* substituted) = 0;
  // 8: the system face (32 units) of the font whose full names include `fullName`.
  virtual BOOL STDMETHODCALLTYPE TestCreateFont(WCHAR* face, LONG_PTR reserved, const WCHAR* fullName) = 0;
  // 9: the next installed member (32 units) of the class that holds the face.
  virtual BOOL STDMETHODCALLTYPE CompareFonts(const WCHAR* face, WCHAR* member) = 0;
  // 10: the character class of a unit.
  virtual BYTE STDMETHODCALLTYPE GetCharClass(WCHAR unit) = 0;
  // 11: the substitute (32 units) and where the rules hold it.
  virtual BOOL STDMETHODCALLTYPE FindSubstitute(BYTE flag, const WCHAR* face, WCHAR* name, int* group, int* entry) = 0;
  // 12: the face's full name and its language.
  virtual BOOL STDMETHODCALLTYPE TestMapping(const WCHAR* face, Present::Text::FontFullName* record) = 0;
  // 13: the face's flag word, 0 when not in the table.
  virtual DWORD STDMETHODCALLTYPE GetFontFlags(const WCHAR* face) = 0;
  // 14: the charset query.
  virtual BOOL STDMETHODCALLTYPE TestFontFlags(Present::Text::FontCharsetQuery* record, DWORD flags) = 0;

 protected:
  ~IPresentTypography() = default;
};

namespace Present {

// The designer's typography service (slot 14 of the designer).
PLASTRUM_API IPresentTypography* GetPresentTypography();

}  // namespace Present
