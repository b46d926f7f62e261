// PresentTypography: the slots of IPresentTypography over the font configuration and the
// text-object pool.
#include <plastrum/present/text/Typography.h>

#include <kx2/ErrorBoundary.h>

#include <plastrum/format/PresentUnknown.h>
#include <plastrum/present/text/CharClass.h>

namespace Present {
namespace {

using namespace Present::Text;

bool IsEastAsianCharset(BYTE charset) {
  return charset == 128 || charset == 129 || charset == 130 || charset == 134 || charset == 136;
}

class PresentTypography final : public CPresentUnknown<IPresentTypography> {
 public:
  TextObject* STDMETHODCALLTYPE NewTextObject(const TextFormat* format) override {
    return kx2::Guard(static_cast<TextObject*>(nullptr), [&]() -> TextObject* {
      TextObject* object = AcquireTextObject();
      if (!object) return nullptr;
      const int16_t uses = object->useCount;
      InitTextObject(object, format ? *format : TextFormat{});
      object->useCount = uses;
      return object;
    });
  }

  BOOL STDMETHODCALLTYPE FreeTextObject(TextObject* object) override {
    return kx2::Guard(FALSE, [&] { return Text::FreeTextObject(object) ? TRUE : FALSE; });
  }

  BOOL STDMETHODCALLTYPE IsFontAvailable(BYTE flag, const WCHAR* face) override {
    return kx2::Guard(FALSE, [&]() -> BOOL {
      const FontEntry* e = FontAt(FindFace(face));
      if (!e) return FALSE;
      if (flag == 1 && !(e->flags & kFontStyleBits)) return FALSE;
      return TRUE;
    });
  }

  int STDMETHODCALLTYPE EnumFonts(BOOL eastAsianOnly, FaceEnumProc callback, LONG_PTR user) override {
    return kx2::Guard(0, [&] { return EnumerateFaces(eastAsianOnly != FALSE, callback, user); });
  }

  const WCHAR* STDMETHODCALLTYPE MapFaceName(BYTE charset, const WCHAR* face, int* substituted) override {
    return kx2::Guard(static_cast<const WCHAR*>(nullptr), [&]() -> const WCHAR* {
      static WCHAR mapped[kFaceUnits];
      if (substituted) *substituted = 0;
      const bool eastAsian = IsEastAsianCharset(charset);
      const FontEntry* e = FontAt(FindFace(face));
      if (e && (!eastAsian || IsEastAsianCapable(e->charsetMask))) {
        CopyFaceName(mapped, e->faceName, kFaceUnits);
      } else if (face && SubstituteFace(face, mapped, kFaceUnits)) {
        if (substituted) *substituted = 1;
      } else {
        CopyFaceName(mapped, GetDefaultFace(eastAsian ? kSubFace : kMainFace).faceName, kFaceUnits);
      }
      return mapped;
    });
  }

  BOOL STDMETHODCALLTYPE TestCreateFont(WCHAR* face, LONG_PTR, const WCHAR* fullName) override {
    return kx2::Guard(FALSE, [&] { return FaceForFullName(fullName, face, LF_FACESIZE) ? TRUE : FALSE; });
  }

  BOOL STDMETHODCALLTYPE CompareFonts(const WCHAR* face, WCHAR* member) override {
    return kx2::Guard(FALSE, [&] { return NextClassMember(face, false, member, LF_FACESIZE) ? TRUE : FALSE; });
  }

  BYTE STDMETHODCALLTYPE GetCharClass(WCHAR unit) override {
    return kx2::Guard(BYTE{kClassOther}, [&] { return static_cast<BYTE>(GetTextCharClass(unit)); });
  }

  BOOL STDMETHODCALLTYPE FindSubstitute(BYTE flag, const WCHAR* face, WCHAR* name, int* group, int* entry) override {
    return kx2::Guard(FALSE, [&]() -> BOOL {
      WCHAR substitute[kFaceUnits];
      int rule = -1, index = -1;
      if (!face || !SubstituteFace(face, substitute, kFaceUnits, &rule, &index) || index < 0) return FALSE;
      const FontEntry* e = FontAt(FindFace(substitute));
      if (!e) return FALSE;
      if (flag == 1 && !(e->flags & kFontStyleBits)) return FALSE;
      if (name) CopyFaceName(name, substitute, LF_FACESIZE);
      if (group) *group = rule;
      if (entry) *entry = index;
      return TRUE;
    });
  }

  BOOL STDMETHODCALLTYPE TestMapping(const WCHAR* face, FontFullName* record) override {
    return kx2::Guard(FALSE, [&] { return GetFontFullName(face, record) ? TRUE : FALSE; });
  }

  DWORD STDMETHODCALLTYPE GetFontFlags(const WCHAR* face) override {
    return kx2::Guard(DWORD{0}, [&]() -> DWORD {
      const FontEntry* e = FontAt(FindFace(face));
      return e ? e->flags : 0;
    });
  }

  BOOL STDMETHODCALLTYPE TestFontFlags(FontCharsetQuery* record, DWORD flags) override {
    return kx2::Guard(FALSE, [&] { return QueryCharset(flags, record) ? TRUE : FALSE; });
  }
};

}  // namespace

IPresentTypography* GetPresentTypography() {
  static PresentTypography typography;
  return &typography;
}

}  // namespace Present
