// The designer's calligraphy slots: a calligraphy over a render made for one of its
// contexts, and freeing the calligraphies it made (anything else is ignored).
#include <algorithm>
#include <cmath>
#include <unordered_set>

#include <luminar/Luminar.h>

#include <plastrum/present/designer/Designer.h>
#include <plastrum/present/shell/present_context.h>
#include <plastrum/present/text/Calligraphy.h>

namespace {

// Calligraphies the designers made and have not freed.
std::unordered_set<IUnknown*>& Made() {
  static auto* made = new std::unordered_set<IUnknown*>();
  return *made;
}

}  // namespace

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
  IPresentCalligraphy* calligraphy = Present::NewCalligraphy(
      Present::Text::ContextCalligraphySettings(render, known->ScaleX(), known->ScaleY(), r.originX, r.originY));
  if (!calligraphy) return nullptr;
  try {
    Made().insert(calligraphy);
  } catch (...) {
    Present::FreeCalligraphy(calligraphy);
    return nullptr;
  }
  return calligraphy;
}

void Presentation::FreeCalligraphy(IUnknown* calligraphy) {
  auto& made = Made();
  const auto it = made.find(calligraphy);
  if (it == made.end()) return;
  made.erase(it);
  Present::FreeCalligraphy(static_cast<IPresentCalligraphy*>(calligraphy));
}
