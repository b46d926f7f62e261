// Arbitrary kinds, frames, angles and adjust points (NaN, infinities, huge values,
// negative counts) through BuildGeometry, the transforms, flattening, TextRect and the
// inside and distance tests: any result will do, but nothing may crash, read or write
// out of bounds, overflow a conversion or hang.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "fuzz_input.h"
#include "plastrum/present/drawing/Outline.h"
#include "plastrum/present/drawing/Presets.h"

using namespace Present::Drawing;

namespace {

struct Input : PresentFuzz::FuzzInput {
  using FuzzInput::FuzzInput;
  PointF Point() { return PointF{Take<float>(), Take<float>()}; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in{data, size};
  // Kinds mostly within the tables, sometimes anywhere.
  const uint16_t kindWord = in.Take<uint16_t>();
  const uint32_t kind = kindWord < 0xF000 ? 100 + kindWord % 320 : in.Take<uint32_t>();
  ShapeFrame frame;
  frame.width = in.Take<float>();
  frame.height = in.Take<float>();
  frame.angle = in.Take<float>();
  const int32_t wanted = in.Take<int32_t>();
  std::vector<PointF> points;
  while (in.size >= 8 && points.size() < 512 && int32_t(points.size()) < wanted) points.push_back(in.Point());
  frame.SetPoints(points.data(), int32_t(points.size()));
  if (wanted < 0) frame.count = wanted;  // a negative stored count

  std::unique_ptr<Geometry> g(BuildGeometry(frame, kind));
  const auto text = TextRect(kind, frame);
  (void)text;
  if (!g) return 0;
  const uint8_t steps = in.Take<uint8_t>() % 8;
  for (uint8_t i = 0; i < steps; ++i) {
    const uint8_t op = in.Take<uint8_t>();
    const float a = in.Take<float>(), b = in.Take<float>();
    switch (op % 5) {
      case 0:
        g->Translate(a, b);
        break;
      case 1:
        g->Scale(a, b);
        break;
      case 2:
        g->Rotate(a, in.Point());
        break;
      case 3:
        g->sanctuary.Rotate(a, in.Point());
        break;
      default:
        g->mode = int32_t(op);
        break;
    }
  }
  std::vector<PointF> flat(size_t(g->segments.FlattenedCount()));
  if (g->segments.Flatten(flat.data()) != g->segments.FlattenedCount()) __builtin_trap();
  const PointF probe = in.Point();
  const float tolerance = in.Take<float>();
  volatile bool hit = StrokeHit(g->segments, probe, tolerance);
  hit = OutlineContains(g->segments, probe);
  (void)hit;
  return 0;
}
