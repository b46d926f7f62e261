// Realised fonts shared between font objects: dialogs and frames create and delete the same
// few fonts for every paint, and realising one opens its face twice and renders every glyph
// afresh. The instances of the last requests are kept, keyed by everything a realisation
// reads, and dropped when the faces a request can match change.
#include <cstring>
#include <mutex>
#include <vector>

#include "Font.h"
#include "FontFaces.h"

namespace kx2::gdi {
namespace {

// Enough for a few windows' frames, captions, dialog faces and control fonts.
constexpr size_t kKept = 32;

struct Realised {
  LOGFONTW logfont;
  double scale;
  std::shared_ptr<FontInstance> instance;
};

struct Kept {
  std::mutex lock;
  uint64_t generation = 0;
  std::vector<Realised> recent;  // the most recently used last
};

Kept& TheKept() {
  static Kept* kept = new Kept;
  return *kept;
}

// The request as realising reads it: the face name's units after its end say nothing.
LOGFONTW Normalised(const LOGFONTW& lf) {
  LOGFONTW out;
  std::memset(&out, 0, sizeof out);
  out.lfHeight = lf.lfHeight;
  out.lfWidth = lf.lfWidth;
  out.lfEscapement = lf.lfEscapement;
  out.lfOrientation = lf.lfOrientation;
  out.lfWeight = lf.lfWeight;
  out.lfItalic = lf.lfItalic;
  out.lfUnderline = lf.lfUnderline;
  out.lfStrikeOut = lf.lfStrikeOut;
  out.lfCharSet = lf.lfCharSet;
  out.lfOutPrecision = lf.lfOutPrecision;
  out.lfClipPrecision = lf.lfClipPrecision;
  out.lfQuality = lf.lfQuality;
  out.lfPitchAndFamily = lf.lfPitchAndFamily;
  for (int i = 0; i < LF_FACESIZE - 1 && lf.lfFaceName[i]; ++i) out.lfFaceName[i] = lf.lfFaceName[i];
  return out;
}

}  // namespace

std::shared_ptr<FontInstance> RealizeFont(Font& font, double deviceScale, bool drawing) {
  // Metrics-only instances serve enumeration, which asks for each family once.
  if (!drawing) return RealizeUncached(font.logfont, deviceScale, false);
  const LOGFONTW key = Normalised(font.logfont);
  const uint64_t generation = FaceGeneration();
  Kept& kept = TheKept();
  {
    std::lock_guard<std::mutex> guard(kept.lock);
    if (kept.generation != generation) {
      kept.recent.clear();
      kept.generation = generation;
    }
    for (size_t i = kept.recent.size(); i-- > 0;) {
      Realised& r = kept.recent[i];
      if (r.scale != deviceScale || std::memcmp(&r.logfont, &key, sizeof key) != 0) continue;
      auto instance = r.instance;
      if (i + 1 != kept.recent.size()) {
        Realised moved = std::move(r);
        kept.recent.erase(kept.recent.begin() + static_cast<ptrdiff_t>(i));
        kept.recent.push_back(std::move(moved));
      }
      return instance;
    }
  }
  // Realised outside the lock: it reads font files.
  auto instance = RealizeUncached(key, deviceScale, true);
  if (!instance) return nullptr;
  std::shared_ptr<FontInstance> dropped;  // released outside the lock
  std::lock_guard<std::mutex> guard(kept.lock);
  // Faces added or removed meanwhile: this instance may answer for a face no longer chosen.
  if (kept.generation != generation) return instance;
  if (kept.recent.size() >= kKept) {
    dropped = std::move(kept.recent.front().instance);
    kept.recent.erase(kept.recent.begin());
  }
  kept.recent.push_back(Realised{key, deviceScale, instance});
  return instance;
}

}  // namespace kx2::gdi
