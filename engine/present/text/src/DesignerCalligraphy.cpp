// The designer's calligraphy slots: a calligraphy over the render of a paint the canvas is
// drawing, or over a render made for one of its contexts, and freeing the calligraphies it
// made (anything else is ignored).
#include <algorithm>
#include <cmath>
#include <unordered_set>

#include <luminar/Luminar.h>

#include <plastrum/present/designer/Designer.h>
#include <plastrum/present/drawing/PaintContext.h>
#include <plastrum/present/shell/present_context.h>
#include <plastrum/present/text/Calligraphy.h>

namespace {

// Calligraphies the designers made and have not freed.
std::unordered_set<IUnknown*>& Made() {
  static auto* made = new std::unordered_set<IUnknown*>();
  return *made;
}

// Registers a new calligraphy as made here; frees it and answers null when that fails.
IUnknown* Keep(IPresentCalligraphy* calligraphy) {
  if (!calligraphy) return nullptr;
  try {
    Made().insert(calligraphy);
  } catch (...) {
    Present::FreeCalligraphy(calligraphy);
    return nullptr;
  }
  return calligraphy;
}

}  // namespace

IUnknown* Presentation::NewCalligraphy(void* paintRecord) {
  // Only a record the canvas handed its owner, during that call: anything else the host
  // passes would be read as a paint.
  const Present::Drawing::TextPaint* record = Present::Drawing::TextPaintLease::Find(paintRecord);
  const Present::Drawing::PaintContext* paint = record ? record->paint : nullptr;
  if (!paint || !paint->render || !paint->render->current || !paint->render->current->Valid()) return nullptr;
  const Present::Rendering::PaintRenderBlock& block = *paint->render;
  const Present::ContextRecord& context = block.settings;
  // The record's own flag is read as "drawing straight to the device": while a metafile
  // records, text follows the zoom like the rest of the recording.
  const bool plain = context.device && !context.target && context.flag1 && context.mode == 0 && !block.recordingOn;
  // The calligraphy keeps its own reference on the paint's render, so that one a host keeps
  // past the paint draws nowhere instead of into a freed render.
  NativeRender render = block.current->render;
  if (NativeAddRef(render) <= 0) return nullptr;
  Present::Text::CalligraphySettings settings =
      Present::Text::PaintCalligraphySettings(render, block.current->dpiX, block.current->dpiY, plain, context.zoomX,
                                              context.zoomY, context.originX, context.originY);
  settings.ownsRender = true;
  return Keep(Present::NewCalligraphy(settings));
}

IUnknown* Presentation::NewContextCalligraphy(IPresentContext* context) {
  PresentContext* known = FindContext(context);
  if (!known || !known->Record()) return nullptr;
  const Present::ContextRecord& r = *known->Record();
  NativeRender render = GetNativeRender();
  if (!render) return nullptr;
  HDC dc = static_cast<HDC>(r.device);
  const BOOL bound = r.target ? NativeCreateRenderDevice(render, dc, r.target) : NativeCreateRenderDC(render, dc);
  if (!dc || !bound) {
    ReleaseNativeRender(render);
    return nullptr;
  }
  return Keep(Present::NewCalligraphy(
      Present::Text::ContextCalligraphySettings(render, known->ScaleX(), known->ScaleY(), r.originX, r.originY)));
}

void Presentation::FreeCalligraphy(IUnknown* calligraphy) {
  auto& made = Made();
  const auto it = made.find(calligraphy);
  if (it == made.end()) return;
  made.erase(it);
  Present::FreeCalligraphy(static_cast<IPresentCalligraphy*>(calligraphy));
}
