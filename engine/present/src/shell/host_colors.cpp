#include <plastrum/present/shell/host_colors.h>

#include <memory>

namespace Present {

uint32_t HostColorToArgb(uint32_t hostColor) {
  const uint32_t r = hostColor & 0xFF, g = (hostColor >> 8) & 0xFF, b = (hostColor >> 16) & 0xFF;
  return ((255u * 256 + r) * 256 + g) * 256 + b;
}

bool ResolveStoredColor(uint32_t value, uint32_t kindWord, ColorPalette12 palette, StoredRgba* out) {
  if (!out || (kindWord & 0xFFFF) != 0) return false;
  std::unique_ptr<Type::Color> color(CreateColorFromStored(value, kindWord));
  if (!color) return false;
  if (color->type == 5 && !static_cast<Type::SchemeColor*>(color.get())->ResolveFromPalette(palette)) return false;
  if (color->dirty) color->UpdateRgb();
  out->a = color->A;
  out->r = color->R;
  out->g = color->G;
  out->b = color->B;
  return true;
}

uint32_t StoredColorToArgb(uint32_t value, uint32_t kindWord, ColorPalette12 palette) {
  StoredRgba c;
  if (!ResolveStoredColor(value, kindWord, palette, &c)) return 0xFF000000u;
  return ((uint32_t{c.a} * 256 + c.r) * 256 + c.g) * 256 + c.b;
}

uint32_t StoredColorToGdi(uint32_t value, uint32_t kindWord, ColorPalette12 palette) {
  StoredRgba c;
  if (!ResolveStoredColor(value, kindWord, palette, &c)) return 0;
  return uint32_t{c.b} << 16 | uint32_t{c.g} << 8 | c.r;
}

}  // namespace Present
