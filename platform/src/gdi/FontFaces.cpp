// The face registry and realised fonts: fontconfig lists the faces, FreeType reads them,
// cairo-ft draws them.
#include <cairo-ft.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_OUTLINE_H

#include <cmath>
#include <cstring>
#include <mutex>

#include <kx2/Utf.h>

#include "FontFaces.h"
#include "Marlett.h"

namespace kx2::gdi {

std::mutex& FontLock() {
  static std::mutex* lock = new std::mutex;
  return *lock;
}

namespace {

FT_Library Library() {
  static FT_Library library = [] {
    FT_Library l = nullptr;
    FT_Init_FreeType(&l);
    return l;
  }();
  return library;
}

std::u16string Utf16(const char* s) {
  std::u16string out;
  if (!s) return out;
  // Family names are ASCII or UTF-8.
  const auto* p = reinterpret_cast<const unsigned char*>(s);
  while (*p) {
    char32_t c = *p++;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    if (extra) c &= (0x3F >> extra);
    for (; extra && (*p & 0xC0) == 0x80; --extra) c = (c << 6) | (*p++ & 0x3F);
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

FT_Face OpenFace(const FaceSource& s) {
  FT_Face face = nullptr;
  FT_Error error;
  if (s.bytes)
    error = FT_New_Memory_Face(Library(), s.bytes->data(), static_cast<FT_Long>(s.bytes->size()), s.index, &face);
  else
    error = FT_New_Face(Library(), s.file.c_str(), s.index, &face);
  if (error) return nullptr;
  if (!FT_IS_SFNT(face)) {
    FT_Done_Face(face);
    return nullptr;
  }
  return face;
}

// Fills a source's description from its FreeType face.
void Describe(FaceSource& s, FT_Face face) {
  // The family field holds 31 units and a NUL, whatever the font says.
  s.family = Utf16(face->family_name).substr(0, LF_FACESIZE - 1);
  s.style = Utf16(face->style_name);
  s.italic = (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
  s.fixedPitch = FT_IS_FIXED_WIDTH(face);
  s.weight = (face->style_flags & FT_STYLE_FLAG_BOLD) ? FW_BOLD : FW_NORMAL;
  const std::string style = face->style_name ? face->style_name : "";
  s.condensed = style.find("Condensed") != std::string::npos;
  if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2))) {
    s.hasOs2 = true;
    if (os2->usWeightClass >= 1 && os2->usWeightClass <= 1000) s.weight = os2->usWeightClass;
    s.signature.fsUsb[0] = static_cast<DWORD>(os2->ulUnicodeRange1);
    s.signature.fsUsb[1] = static_cast<DWORD>(os2->ulUnicodeRange2);
    s.signature.fsUsb[2] = static_cast<DWORD>(os2->ulUnicodeRange3);
    s.signature.fsUsb[3] = static_cast<DWORD>(os2->ulUnicodeRange4);
    if (os2->version >= 1) {
      s.signature.fsCsb[0] = static_cast<DWORD>(os2->ulCodePageRange1);
      s.signature.fsCsb[1] = static_cast<DWORD>(os2->ulCodePageRange2);
    }
  }
}

// What decides which face a request gets: the family asked for (case folded, without a
// vertical "@"), the weight and the slant.
struct MatchKey {
  std::u16string name;
  long weight = FW_NORMAL;
  bool italic = false;
  bool operator==(const MatchKey&) const = default;
};

struct MatchKeyHash {
  size_t operator()(const MatchKey& k) const {
    return std::hash<std::u16string>()(k.name) ^ (static_cast<size_t>(k.weight) << 1) ^ (k.italic ? 0x9E3779B9u : 0);
  }
};

struct Registry {
  bool listed = false;
  std::vector<std::shared_ptr<FaceSource>> system;
  std::vector<std::shared_ptr<FaceSource>> added;
  // Faces already matched to requests; the answers hold until a font is added or removed.
  std::unordered_map<MatchKey, std::shared_ptr<FaceSource>, MatchKeyHash> matches;
  uint64_t generation = 0;  // counts the changes to `added`

  void Changed() {
    matches.clear();
    ++generation;
  }
};

Registry& Faces() {
  static Registry* r = new Registry;
  return *r;
}

void ListSystemFaces(Registry& r) {
  if (r.listed) return;
  r.listed = true;
  FcPattern* pattern = FcPatternCreate();
  FcObjectSet* set = FcObjectSetBuild(FC_FILE, FC_INDEX, FC_FONTFORMAT, nullptr);
  FcFontSet* fonts = FcFontList(nullptr, pattern, set);
  for (int i = 0; fonts && i < fonts->nfont; ++i) {
    FcChar8* file = nullptr;
    int index = 0;
    FcChar8* format = nullptr;
    if (FcPatternGetString(fonts->fonts[i], FC_FILE, 0, &file) != FcResultMatch) continue;
    FcPatternGetInteger(fonts->fonts[i], FC_INDEX, 0, &index);
    if (FcPatternGetString(fonts->fonts[i], FC_FONTFORMAT, 0, &format) == FcResultMatch &&
        std::strcmp(reinterpret_cast<char*>(format), "TrueType") != 0 &&
        std::strcmp(reinterpret_cast<char*>(format), "CFF") != 0)
      continue;
    auto s = std::make_shared<FaceSource>();
    s->file = reinterpret_cast<char*>(file);
    s->index = index & 0xFFFF;
    FT_Face face = OpenFace(*s);
    if (!face) continue;
    Describe(*s, face);
    FT_Done_Face(face);
    r.system.push_back(s);
  }
  if (fonts) FcFontSetDestroy(fonts);
  FcObjectSetDestroy(set);
  FcPatternDestroy(pattern);
}

bool SameName(const std::u16string& a, const char16_t* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    char16_t x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char16_t>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<char16_t>(y + 32);
    if (x != y) return false;
  }
  return i == a.size() && !b[i];
}

char16_t Folded(char16_t c) { return c >= 'A' && c <= 'Z' ? static_cast<char16_t>(c + 32) : c; }

// The face for a request, chosen among the registry's faces (the added ones first);
// FontLock held.
std::shared_ptr<FaceSource> MatchFace(Registry& r, const char16_t* name, long weight, bool italic) {
  std::shared_ptr<FaceSource> best;
  long bestScore = 0;
  auto consider = [&](const char16_t* family) {
    for (const auto* list : {&r.added, &r.system})
      for (auto& f : *list) {
        if (!SameName(f->family, family)) continue;
        const long score = std::labs(f->weight - weight) + ((f->italic != italic) ? 1000 : 0) +
                           (f->condensed ? 500 : 0) + (f->priv ? 0 : 1);
        if (!best || score < bestScore) best = f, bestScore = score;
      }
  };
  if (name[0]) consider(name);
  if (best) return best;
  // GDI's logical dialog faces name no installed font: they stand for the system's dialog
  // face, the one the stock GUI font uses here (fontconfig's closest match for the name
  // can be any face, even one whose lines are three times as tall).
  if (SameName(u"MS Shell Dlg", name) || SameName(u"MS Shell Dlg 2", name)) consider(u"DejaVu Sans");
  if (best) return best;
  // Not installed: fontconfig's closest match for the name (or the default sans face).
  std::string utf8;
  for (const char16_t* p = name; *p && utf8.size() < 200; ++p) utf8 += *p < 0x80 ? static_cast<char>(*p) : '?';
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(utf8.empty() ? "DejaVu Sans" : utf8.c_str()));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcChar8* family = nullptr;
  if (match && FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch)
    consider(Utf16(reinterpret_cast<char*>(family)).c_str());
  if (match) FcPatternDestroy(match);
  FcPatternDestroy(pattern);
  if (!best) consider(u"DejaVu Sans");
  if (!best) best = !r.added.empty() ? r.added.front() : !r.system.empty() ? r.system.front() : nullptr;
  return best;
}

}  // namespace

std::shared_ptr<FaceSource> FindFace(const LOGFONTW& lf, bool remember) {
  const char16_t* name = lf.lfFaceName;
  if (name[0] == u'@') ++name;
  MatchKey key;
  for (const char16_t* p = name; *p && key.name.size() < LF_FACESIZE; ++p) key.name += Folded(*p);
  key.weight = lf.lfWeight ? lf.lfWeight : FW_NORMAL;
  key.italic = lf.lfItalic != 0;
  std::lock_guard<std::mutex> guard(FontLock());
  Registry& r = Faces();
  ListSystemFaces(r);
  if (remember) {
    // Matching walks every face and may ask fontconfig: each request is matched once.
    auto known = r.matches.find(key);
    if (known != r.matches.end()) return known->second;
  }
  auto face = MatchFace(r, name, key.weight, key.italic);
  if (remember && face) r.matches.emplace(std::move(key), face);
  return face;
}

uint64_t FaceGeneration() {
  std::lock_guard<std::mutex> guard(FontLock());
  return Faces().generation;
}

namespace {

const cairo_user_data_key_t kFaceKey{};

bool IsCjk(BYTE charset) {
  return charset == SHIFTJIS_CHARSET || charset == HANGUL_CHARSET || charset == GB2312_CHARSET ||
         charset == CHINESEBIG5_CHARSET || charset == JOHAB_CHARSET;
}

}  // namespace

std::vector<BYTE> CharsetsOf(const FaceSource& face) {
  static const struct {
    int bit;
    BYTE charset;
  } table[] = {{0, ANSI_CHARSET},       {1, EASTEUROPE_CHARSET},   {2, RUSSIAN_CHARSET},   {3, GREEK_CHARSET},
               {4, TURKISH_CHARSET},    {5, HEBREW_CHARSET},       {6, ARABIC_CHARSET},    {7, BALTIC_CHARSET},
               {8, VIETNAMESE_CHARSET}, {16, THAI_CHARSET},        {17, SHIFTJIS_CHARSET}, {18, GB2312_CHARSET},
               {19, HANGUL_CHARSET},    {20, CHINESEBIG5_CHARSET}, {21, JOHAB_CHARSET},    {31, SYMBOL_CHARSET}};
  std::vector<BYTE> out;
  for (auto& t : table)
    if (face.signature.fsCsb[0] >> t.bit & 1) out.push_back(t.charset);
  if (out.empty()) out.push_back(ANSI_CHARSET);
  return out;
}

std::vector<std::shared_ptr<FaceSource>> AllFaces() {
  std::lock_guard<std::mutex> guard(FontLock());
  Registry& r = Faces();
  ListSystemFaces(r);
  std::vector<std::shared_ptr<FaceSource>> out = r.added;
  out.insert(out.end(), r.system.begin(), r.system.end());
  return out;
}

int AddFaces(const std::string& file, std::shared_ptr<std::vector<uint8_t>> bytes, const void* owner) {
  int added = 0;
  std::lock_guard<std::mutex> guard(FontLock());
  FaceSource probe;
  probe.file = file;
  probe.bytes = bytes;
  FT_Face first = OpenFace(probe);
  if (!first) return 0;
  const long count = std::min<long>(first->num_faces, 64);
  FT_Done_Face(first);
  for (long i = 0; i < count; ++i) {
    auto s = std::make_shared<FaceSource>();
    s->file = file;
    s->bytes = bytes;
    s->index = static_cast<int>(i);
    s->priv = true;
    s->owner = owner;
    FT_Face face = OpenFace(*s);
    if (!face) continue;
    Describe(*s, face);
    FT_Done_Face(face);
    if (s->family.empty()) continue;
    Faces().added.push_back(s);
    ++added;
  }
  if (added) Faces().Changed();
  return added;
}

bool RemoveFaces(const std::string& file, const void* owner) {
  std::lock_guard<std::mutex> guard(FontLock());
  auto& added = Faces().added;
  const size_t before = added.size();
  std::erase_if(added, [&](const std::shared_ptr<FaceSource>& s) {
    return owner ? s->owner == owner : (!s->owner && s->file == file);
  });
  if (added.size() == before) return false;
  Faces().Changed();
  return true;
}

FontInstance::~FontInstance() {
  if (scaled) cairo_scaled_font_destroy(scaled);
  if (face) FT_Done_Face(face);
}

unsigned FontInstance::GlyphOf(char32_t c) const { return marlett ? c : FT_Get_Char_Index(face, c); }

void FontInstance::Bearings(unsigned glyph, int* left, int* width) const {
  *left = 0, *width = 0;
  if (marlett) {
    *width = static_cast<int>(std::lround(em));
    return;
  }
  std::lock_guard<std::mutex> guard(FontLock());
  if (FT_Load_Glyph(face, glyph, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP | FT_LOAD_IGNORE_TRANSFORM)) return;
  *left = static_cast<int>(std::lround(face->glyph->metrics.horiBearingX / 64.0 * xScale));
  *width = static_cast<int>(std::lround(face->glyph->metrics.width / 64.0 * xScale));
}

int FontInstance::Advance(unsigned glyph) const {
  if (marlett) return static_cast<int>(std::lround(em));
  std::lock_guard<std::mutex> guard(FontLock());
  auto known = advances_.find(glyph);
  if (known != advances_.end()) return known->second;
  int result = 0;
  if (!FT_Load_Glyph(face, glyph, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP | FT_LOAD_IGNORE_TRANSFORM)) {
    const double advance = face->glyph->advance.x / 64.0 * xScale;
    result = static_cast<int>(std::lround(advance)) + (syntheticBold ? 1 : 0);
  }
  advances_.emplace(glyph, result);
  return result;
}

const GlyphImage& FontInstance::Glyph(unsigned glyph) {
  std::lock_guard<std::mutex> guard(FontLock());
  return GlyphLocked(glyph);
}

void FontInstance::Glyphs(const unsigned* glyphs, size_t count, const GlyphImage** out) {
  std::lock_guard<std::mutex> guard(FontLock());
  const GlyphImage* last = nullptr;
  unsigned lastGlyph = 0;
  for (size_t i = 0; i < count; ++i) {
    if (!last || glyphs[i] != lastGlyph) last = &GlyphLocked(glyphs[i]), lastGlyph = glyphs[i];
    out[i] = last;
  }
}

const GlyphImage& FontInstance::GlyphLocked(unsigned glyph) {
  auto found = glyphs_.find(glyph);
  if (found != glyphs_.end()) return found->second;
  GlyphImage& image = glyphs_[glyph];
  if (marlett) {
    // The symbol drawn once into coverage, its box the em square from the cell's top.
    const int size = static_cast<int>(std::ceil(em));
    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_A8, size);
    std::vector<uint8_t> pixels(static_cast<size_t>(stride) * size, 0);
    cairo_surface_t* surface = cairo_image_surface_create_for_data(pixels.data(), CAIRO_FORMAT_A8, size, size, stride);
    cairo_t* cr = cairo_create(surface);
    cairo_set_antialias(cr, antialias ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
    const bool drawn = EmitMarlettGlyph(cr, glyph, 0, 0, em);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    cairo_surface_destroy(surface);
    if (!drawn) return image;
    image.left = 0;
    image.top = tm.tmAscent;
    image.width = image.height = size;
    image.coverage.resize(static_cast<size_t>(size) * size);
    for (int y = 0; y < size; ++y)
      std::memcpy(image.coverage.data() + static_cast<size_t>(y) * size,
                  pixels.data() + static_cast<size_t>(y) * stride, static_cast<size_t>(size));
    return image;
  }
  FT_Matrix shape{static_cast<FT_Fixed>(std::lround(xScale * 65536)), 0, 0, 0x10000};
  // A synthetic slant leans the glyph by about 12 degrees.
  if (syntheticItalic) shape.xy = 0x3800;
  FT_Set_Transform(face, &shape, nullptr);
  const FT_Int32 load = FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP | (antialias ? 0 : FT_LOAD_TARGET_MONO);
  const bool loaded = FT_Load_Glyph(face, glyph, load) == 0;
  FT_Set_Transform(face, nullptr, nullptr);
  if (!loaded) return image;
  FT_GlyphSlot slot = face->glyph;
  if (syntheticBold && slot->format == FT_GLYPH_FORMAT_OUTLINE)
    FT_Outline_Embolden(&slot->outline, static_cast<FT_Pos>(std::lround(em * 64 / 24)));
  if (FT_Render_Glyph(slot, antialias ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO)) return image;
  const FT_Bitmap& bitmap = slot->bitmap;
  image.left = slot->bitmap_left;
  image.top = slot->bitmap_top;
  image.width = static_cast<int>(bitmap.width);
  image.height = static_cast<int>(bitmap.rows);
  image.coverage.assign(static_cast<size_t>(image.width) * image.height, 0);
  for (int y = 0; y < image.height; ++y) {
    const unsigned char* row = bitmap.buffer + static_cast<ptrdiff_t>(y) * bitmap.pitch;
    uint8_t* out = image.coverage.data() + static_cast<size_t>(y) * image.width;
    for (int x = 0; x < image.width; ++x)
      out[x] = bitmap.pixel_mode == FT_PIXEL_MODE_MONO ? ((row[x >> 3] >> (7 - (x & 7)) & 1) ? 255 : 0) : row[x];
  }
  return image;
}

std::shared_ptr<FontInstance> RealizeUncached(const LOGFONTW& lf, double deviceScale, bool drawing) {
  auto source = FindFace(lf);
  if (!source) return nullptr;
  std::lock_guard<std::mutex> guard(FontLock());
  FT_Face face = OpenFace(*source);
  if (!face) return nullptr;
  auto inst = std::make_shared<FontInstance>();
  inst->source = source;
  inst->face = face;
  inst->unitsPerEm = face->units_per_EM ? face->units_per_EM : 2048;
  const auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  const auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
  double winAscent = os2 ? os2->usWinAscent : face->ascender;
  double winDescent = os2 ? os2->usWinDescent : -face->descender;
  if (winAscent + winDescent <= 0) winAscent = inst->unitsPerEm * 0.8, winDescent = inst->unitsPerEm * 0.2;
  const double upem = inst->unitsPerEm;
  // Negative heights give the em size, positive ones the cell (ascent plus descent).
  const double height = std::fabs(lf.lfHeight * deviceScale);
  double em = lf.lfHeight < 0 ? height : lf.lfHeight > 0 ? height * upem / (winAscent + winDescent) : 12.0 * 96 / 72;
  if (em < 1) em = 1;
  if (em > 4096) em = 4096;
  inst->em = em;
  FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(std::lround(em * 64)), 72, 72);
  const double avg = os2 && os2->xAvgCharWidth > 0 ? os2->xAvgCharWidth * em / upem : em / 2;
  if (lf.lfWidth != 0) inst->xScale = std::fabs(lf.lfWidth * deviceScale) / avg;
  if (inst->xScale > 100) inst->xScale = 100;
  inst->angle = lf.lfEscapement / 10.0 * M_PI / 180.0;
  inst->vertical = lf.lfFaceName[0] == u'@';
  inst->antialias = lf.lfQuality != NONANTIALIASED_QUALITY;
  const int weight = lf.lfWeight ? lf.lfWeight : FW_NORMAL;
  inst->syntheticBold = weight >= FW_SEMIBOLD && source->weight < FW_SEMIBOLD;
  const bool syntheticItalic = lf.lfItalic && !source->italic;
  inst->syntheticItalic = syntheticItalic;
  inst->marlett = SameName(u"marlett", lf.lfFaceName);
  inst->charset = lf.lfCharSet == DEFAULT_CHARSET ? CharsetsOf(*source).front() : lf.lfCharSet;

  TEXTMETRICW& tm = inst->tm;
  tm.tmAscent = static_cast<LONG>(std::lround(winAscent * em / upem));
  tm.tmDescent = static_cast<LONG>(std::lround(winDescent * em / upem));
  tm.tmHeight = tm.tmAscent + tm.tmDescent;
  tm.tmInternalLeading = std::max<LONG>(0, tm.tmHeight - static_cast<LONG>(std::lround(em)));
  if (hhea) {
    const double lineGap = hhea->Ascender - hhea->Descender + hhea->Line_Gap - (winAscent + winDescent);
    tm.tmExternalLeading = std::max<LONG>(0, static_cast<LONG>(std::lround(lineGap * em / upem)));
  }
  tm.tmAveCharWidth = static_cast<LONG>(std::lround(avg * inst->xScale));
  tm.tmMaxCharWidth = static_cast<LONG>(std::lround((face->bbox.xMax - face->bbox.xMin) * em / upem * inst->xScale));
  tm.tmWeight = weight;
  tm.tmOverhang = 0;
  tm.tmDigitizedAspectX = tm.tmDigitizedAspectY = 96;
  tm.tmFirstChar = os2 ? static_cast<WCHAR>(os2->usFirstCharIndex) : 0x20;
  tm.tmLastChar = os2 ? static_cast<WCHAR>(os2->usLastCharIndex) : 0xFFFF;
  tm.tmDefaultChar = 0x1F;
  tm.tmBreakChar = 0x20;
  tm.tmItalic = lf.lfItalic ? 1 : 0;
  tm.tmUnderlined = lf.lfUnderline ? 1 : 0;
  tm.tmStruckOut = lf.lfStrikeOut ? 1 : 0;
  // The low bit set means a variable pitch, as GDI has it.
  tm.tmPitchAndFamily = static_cast<BYTE>((source->fixedPitch ? 0 : TMPF_FIXED_PITCH) | TMPF_VECTOR | TMPF_TRUETYPE |
                                          (lf.lfPitchAndFamily & 0xF0));
  tm.tmCharSet = inst->charset;

  if (!drawing) return inst;
  // Cairo gets a face of its own: it sizes the face it draws with as it likes.
  FT_Face drawFace = OpenFace(*source);
  if (!drawFace) return nullptr;
  cairo_font_face_t* cface = cairo_ft_font_face_create_for_ft_face(drawFace, FT_LOAD_NO_HINTING);
  auto* keep = new std::shared_ptr<FaceSource>(source);  // memory fonts' bytes outlive the face
  struct Holder {
    FT_Face face;
    std::shared_ptr<FaceSource>* source;
  };
  auto* holder = new Holder{drawFace, keep};
  cairo_font_face_set_user_data(cface, &kFaceKey, holder, [](void* p) {
    auto* h = static_cast<Holder*>(p);
    FT_Done_Face(h->face);
    delete h->source;
    delete h;
  });
  unsigned synth = 0;
  if (inst->syntheticBold) synth |= CAIRO_FT_SYNTHESIZE_BOLD;
  if (syntheticItalic) synth |= CAIRO_FT_SYNTHESIZE_OBLIQUE;
  cairo_ft_font_face_set_synthesize(cface, synth);
  cairo_matrix_t matrix, ctm;
  cairo_matrix_init_scale(&matrix, em * inst->xScale, em);
  if (inst->angle != 0) {
    cairo_matrix_t rotate;
    cairo_matrix_init_rotate(&rotate, -inst->angle);
    cairo_matrix_multiply(&matrix, &matrix, &rotate);
  }
  cairo_matrix_init_identity(&ctm);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_antialias(options, inst->antialias ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
  inst->scaled = cairo_scaled_font_create(cface, &matrix, &ctm, options);
  cairo_font_options_destroy(options);
  cairo_font_face_destroy(cface);
  return inst;
}

bool CharsetIsCjk(BYTE charset) { return IsCjk(charset); }

}  // namespace kx2::gdi
