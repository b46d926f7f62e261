#include <plastrum/present/painting/Painters.h>

#include <plastrum/present/drawing/Diagram.h>
#include <plastrum/present/drawing/Outline.h>

namespace Present::Painting {

DeviceMap MapOf(const PaintContext& context) {
  DeviceMap map;
  map.scaleX = context.scaleX;
  map.scaleY = context.scaleY;
  const bool recording = context.render && context.render->recordingOn;
  map.originX = recording ? 0 : context.originX;
  map.originY = recording ? 0 : context.originY;
  return map;
}

NativeRender CurrentRender(const PaintContext& context) {
  if (!context.render || !context.render->current) return nullptr;
  const Rendering::RenderRecord& record = *context.render->current;
  return record.Valid() ? record.render : nullptr;
}

std::vector<PointF> DeviceOutline(const Drawing::Diagram& node, const DeviceMap& map, const PaintPosition& at) {
  std::vector<PointF> out;
  if (!node.geometry) return out;
  Drawing::FlatOutline flat(node.geometry->segments);
  out.reserve(static_cast<size_t>(flat.Count()));
  for (int32_t i = 0; i < flat.Count(); ++i) out.push_back(map.ToDevice(flat.Points()[i], at));
  return out;
}

}  // namespace Present::Painting
