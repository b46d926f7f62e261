// The faces GDI knows (fontconfig's sfnt faces plus fonts added by the process) and the
// realised fonts drawn with: a FreeType face for metrics and a Cairo scaled font for ink.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "Font.h"

typedef struct FT_FaceRec_* FT_Face;
typedef struct _cairo_scaled_font cairo_scaled_font_t;

namespace kx2::gdi {

struct FaceSource {
  std::string file;                             // empty for a memory font
  std::shared_ptr<std::vector<uint8_t>> bytes;  // a memory font's own copy
  int index = 0;
  std::u16string family;  // at most 31 units
  std::u16string style;
  int weight = FW_NORMAL;
  bool italic = false;
  bool fixedPitch = false;
  bool condensed = false;
  FONTSIGNATURE signature{};
  bool hasOs2 = false;
  bool priv = false;
  const void* owner = nullptr;  // the memory resource that added it
};

// A glyph's coverage as drawn upright at the font's size: `left` and `top` place its
// first pixel relative to the pen position on the baseline (top counts upwards).
struct GlyphImage {
  int left = 0, top = 0, width = 0, height = 0;
  std::vector<uint8_t> coverage;
};

struct FontInstance {
  ~FontInstance();
  std::shared_ptr<FaceSource> source;
  FT_Face face = nullptr;  // metrics, sized to `em`
  cairo_scaled_font_t* scaled = nullptr;
  double em = 16;     // device pixels
  double xScale = 1;  // lfWidth against the natural width
  double angle = 0;   // escapement, radians counter-clockwise
  bool vertical = false;
  bool antialias = true;
  bool syntheticBold = false;
  int unitsPerEm = 2048;
  TEXTMETRICW tm{};
  BYTE charset = ANSI_CHARSET;
  // Advance of a glyph in device pixels, FreeType's unhinted advance rounded.
  int Advance(unsigned glyph) const;
  unsigned GlyphOf(char32_t c) const;
  // The ink's left bearing and width in device pixels.
  void Bearings(unsigned glyph, int* left, int* width) const;
  // The glyph's image (rendered once, kept for the life of the instance).
  const GlyphImage& Glyph(unsigned glyph);
  // The images of many glyphs at once (one lock for the whole string).
  void Glyphs(const unsigned* glyphs, size_t count, const GlyphImage** out);
  bool syntheticItalic = false;
  bool marlett = false;
  // The kerning pairs in the character set's codes, read once (KerningPairs()).
  std::shared_ptr<const std::vector<KERNINGPAIR>> kerning;  // our own symbol glyphs; glyph numbers are the characters

 private:
  const GlyphImage& GlyphLocked(unsigned glyph);
  std::unordered_map<unsigned, GlyphImage> glyphs_;  // node-based: references stay valid
  mutable std::unordered_map<unsigned, int> advances_;
};

// The realised font of a DC's selected font at the DC's scale.
// `drawing` false: metrics only, without the Cairo font (enumeration).
// Fonts drawn with are shared by every font object asking for the same thing at the same
// scale (FontInstanceCache.cpp): an instance never changes once made, beyond the glyphs
// and widths it keeps.
std::shared_ptr<FontInstance> RealizeFont(Font& font, double deviceScale, bool drawing = true);
// A new instance, shared with nobody.
std::shared_ptr<FontInstance> RealizeUncached(const LOGFONTW& lf, double deviceScale, bool drawing);
// The face a request is drawn with; `remember` false matches it afresh, without the
// answers kept from earlier requests.
std::shared_ptr<FaceSource> FindFace(const LOGFONTW& lf, bool remember = true);
// Held around every use of a realised font's FreeType face (one face serves every
// thread that draws with the instance).
std::mutex& FontLock();
// Counts the changes to the faces a request can match (fonts added or removed).
uint64_t FaceGeneration();
class Dc;
std::shared_ptr<FontInstance> InstanceOf(Dc& dc);
// Every face of the registry (the process's added fonts included).
std::vector<std::shared_ptr<FaceSource>> AllFaces();
// Charsets a face supports, from its OS/2 code-page ranges.
std::vector<BYTE> CharsetsOf(const FaceSource& face);

}  // namespace kx2::gdi
