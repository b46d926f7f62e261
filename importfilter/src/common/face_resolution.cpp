#include <foliant/common/face_resolution.h>

#include <algorithm>

#include <kx2/Ref.h>

namespace foliant {

void FaceResolver::Load() {
  loaded_ = true;
  if (!app_) return;
  kx2::Ref<IVtlResourceCache> cache(app_->GetResourceCache());
  kx2::Ref<IVtlFontSettings> settings(cache ? cache->GetFontSettings() : nullptr);
  // The host writes at most 32 units with the terminator; the rest stays zero.
  WCHAR buffer[64] = {};
  if (settings && settings->GetDefaultFaceName(0, buffer)) {
    buffer[63] = 0;
    default_ = buffer;
  }
  kx2::Ref<IVtlFontList> list(app_->GetFontList());
  if (!list) return;
  ULONG_PTR position = list->GetFirstPosition(0, 0);
  // A list cannot hold more faces than this; it also ends a position chain that loops.
  for (int guard = 0; position && guard < 100000; ++guard)
    if (LPCWSTR name = list->GetNextName(&position, 0, 0)) faces_.emplace_back(name);
}

std::u16string FaceResolver::Resolve(std::u16string_view face) {
  if (!loaded_) Load();
  if (std::find(faces_.begin(), faces_.end(), face) != faces_.end()) return std::u16string(face);
  return default_;
}

std::u16string ResolveFaceName(IVtlApplication* app, std::u16string_view face) {
  return FaceResolver(app).Resolve(face);
}

}  // namespace foliant
