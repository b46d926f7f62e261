// Bytes decoded into sequences of canvas and designer slot calls with small records: sync,
// sketch, remove, delete, selection bits, every preview setter, reset, clone and free
// canvas, paint view. Node and canvas handles are drawn from everything the slots ever
// handed out, stale ones included, so the slots' lookups are tried with pointers that are
// no longer the canvas's. Nothing may crash, leak or read freed memory.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "fuzz_input.h"
#include "plastrum/format/PresentEngine.h"
#include "plastrum/present/canvas/PresentCanvas.h"
#include "plastrum/present/shell/module_lifecycle.h"

namespace {

struct Input : PresentFuzz::FuzzInput {
  using FuzzInput::FuzzInput;
  // A length of -2..13 inches in hundredths of a point, or an odd value.
  LONG Length() {
    const uint8_t b = Take<uint8_t>();
    if (b == 255) return Take<int32_t>();
    return (LONG(b) - 32) * 450;
  }
};

constexpr LONG kKinds[] = {100, 103, 107, 200, 201, 202, 203, 300, 304, 305, 308, 400, 401,
                           402, 403, 404, 405, 406, 407, 408, 409, 410, 411, 99,  199, 412};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!Present::IsModuleStarted()) Present::StartModule();
  Input in{data, size};
  auto designer = std::make_unique<Presentation>();
  std::vector<IPresentCanvas*> canvases;
  std::vector<PresentNode> nodes;
  canvases.push_back(designer->NewCanvas());
  auto canvas = [&]() -> IPresentCanvas* { return canvases[in.Take<uint8_t>() % canvases.size()]; };
  auto node = [&]() -> PresentNode {
    if (nodes.empty()) return nullptr;
    const uint8_t i = in.Take<uint8_t>();
    return i == 255 ? nullptr : nodes[i % nodes.size()];
  };
  auto points = [&](std::vector<POINT>& out) {
    out.resize(in.Take<uint8_t>() % 7);
    for (POINT& p : out) p = {in.Length(), in.Length()};
  };
  int steps = 0;
  while (in.size > 0 && ++steps < 400) {
    IPresentCanvas* c = canvas();
    if (!c) break;
    const uint8_t op = in.Take<uint8_t>();
    std::vector<POINT> pts;
    switch (op % 24) {
      case 0:
      case 1: {
        points(pts);
        PresentGeometryInfo g{in.Length(),     in.Length(), in.Take<int16_t>(), 0, pts.empty() ? nullptr : pts.data(),
                              LONG(pts.size())};
        if (in.Take<uint8_t>() == 7) g.count = -g.count;
        PresentObjectInfo info{op & 1 ? node() : nullptr,
                               kKinds[in.Take<uint8_t>() % std::size(kKinds)],
                               in.Take<uint8_t>() % 4,
                               in.Take<uint16_t>(),
                               in.Take<uint8_t>() & 1 ? &g : nullptr,
                               1,
                               2};
        if (c->SyncObject(&info)) nodes.push_back(info.node);
        break;
      }
      case 2: {
        points(pts);
        PresentGeometryInfo g{in.Length(), in.Length(), 0, 0, pts.empty() ? nullptr : pts.data(), LONG(pts.size())};
        PresentFirstAnchor first{in.Take<uint8_t>(), in.Length(), in.Length()};
        PresentSecondAnchor second{in.Take<uint8_t>(),  in.Length(),         in.Length(),
                                   {in.Length(), 1, 2}, in.Take<uint32_t>(), in.Take<uint32_t>()};
        PresentSketchInfo s{};
        s.node = node();
        s.x = in.Length();
        s.y = in.Length();
        s.marginsFlag = in.Take<uint8_t>() & 1;
        s.geometry = &g;
        s.first = in.Take<uint8_t>() & 1 ? &first : nullptr;
        s.second = in.Take<uint8_t>() & 1 ? &second : nullptr;
        s.geometryFlag = in.Take<uint8_t>() % 3;
        s.lengths[0] = in.Length();
        s.lengths[1] = in.Length();
        c->SetSketch(&s);
        break;
      }
      case 3:
        c->RemoveObject(node());
        break;
      case 4:
        designer->DeleteDiagram(node());
        designer->IsDiagramAlive(node());
        break;
      case 5: {
        const uint8_t flag = in.Take<uint8_t>();
        PresentNode n = node();
        switch (flag % 3) {
          case 0:
            c->SetObjectSelected(n, flag & 8);
            break;
          case 1:
            c->SetObjectFocused(n, flag & 8);
            break;
          default:
            c->SetObjectHighlighted(n, flag & 8);
            break;
        }
        c->IsObjectFocused(n);
        break;
      }
      case 6: {
        PresentEtudeInfo e{node(), in.Length(), in.Length(), in.Take<uint8_t>() % 8, nullptr, nullptr};
        c->AddEtude(&e);
        break;
      }
      case 7: {
        PresentMovingBoxInfo m{node(),      in.Length(),        in.Length(),       in.Length(),
                               in.Length(), in.Take<int32_t>(), in.Take<uint8_t>()};
        c->SetMovingBox(in.Take<uint8_t>() & 1 ? &m : nullptr);
        break;
      }
      case 8: {
        PresentFloatingShapeInfo f{kKinds[in.Take<uint8_t>() % std::size(kKinds)], 1, u"Z:\\none.png", in.Length(),
                                   in.Length()};
        c->SetFloatingShape(&f);
        const POINT p{in.Length(), in.Length()};
        c->SetFloatingPosition(in.Take<uint8_t>() & 1 ? &p : nullptr);
        break;
      }
      case 9: {
        points(pts);
        PresentGeometryInfo g{in.Length(), in.Length(), 0, 0, pts.empty() ? nullptr : pts.data(), LONG(pts.size())};
        PresentBlindShapeInfo b{kKinds[in.Take<uint8_t>() % std::size(kKinds)], 1, &g};
        c->SetBlindShape(&b);
        const POINT p{in.Length(), in.Length()};
        c->SetBlindPosition(in.Take<uint8_t>() & 1 ? &p : nullptr);
        break;
      }
      case 10:
        points(pts);
        c->SetMovingOutline(in.Take<uint8_t>() & 1 ? pts.data() : nullptr,
                            in.Take<uint8_t>() == 3 ? -1 : LONG(pts.size()), 1);
        break;
      case 11: {
        PresentCalloutBoxInfo b{node(), in.Length(), in.Length(), in.Length(), in.Length()};
        c->SetMovingCalloutBox(in.Take<uint8_t>() & 1 ? &b : nullptr);
        PresentDroppingBoxInfo d{node(), in.Length(), in.Length(), {in.Length(), in.Length(), 1, 1}, in.Take<int8_t>()};
        c->SetDroppingBox(in.Take<uint8_t>() & 1 ? &d : nullptr);
        break;
      }
      case 12: {
        PresentRelatingBoxInfo r{};
        r.from = node();
        r.to = node();
        r.relationKind = kKinds[in.Take<uint8_t>() % std::size(kKinds)];
        r.shapeId = 1;
        for (POINT& p : r.points) p = {in.Length(), in.Length()};
        r.mode = in.Take<uint8_t>() % 6;
        c->SetRelatingBox(in.Take<uint8_t>() & 1 ? &r : nullptr);
        break;
      }
      case 13: {
        const POINT a{in.Length(), in.Length()}, b{in.Length(), in.Length()};
        c->BeginSelectingBox(&a);
        c->UpdateSelectingBox(in.Take<uint8_t>() & 1 ? &b : nullptr);
        LONG cursor = in.Take<int8_t>();
        while (c->NextSelectingResult(&cursor) && cursor != 0) {}
        break;
      }
      case 14:
        c->ResetState(in.Take<uint8_t>() % 6);
        break;
      case 15:
        if (IPresentCanvas* clone = designer->CloneCanvas(c)) canvases.push_back(clone);
        break;
      case 16:
        // A freed canvas is never called again; a second free must be refused.
        if (designer->FreeCanvas(c)) {
          canvases.erase(std::find(canvases.begin(), canvases.end(), c));
          if (designer->FreeCanvas(c)) __builtin_trap();
          if (canvases.empty()) canvases.push_back(designer->NewCanvas());
        }
        break;
      case 17: {
        LONG page = in.Take<uint8_t>() % 3;
        PresentViewInfo v{in.Length(), in.Length(), {1, 2, 3, 4}, in.Length(),
                          in.Length(), in.Length(), in.Length(),  &page};
        c->PaintView(&v);
        c->PaintOverlay(in.Take<uint8_t>());
        break;
      }
      case 18: {
        const POINT b{in.Length(), in.Length()};
        PresentOutlineHit hit{in.Length(), in.Length(), &b, node(), 0, 0};
        c->IntersectObjectOutline(&hit);
        c->SetGeometryValue(node(), 5);
        break;
      }
      case 19: {
        c->SetPaletteColor(in.Take<uint8_t>() % 14, in.Take<uint32_t>());
        uint8_t record[144];
        for (uint8_t& b : record) b = in.Take<uint8_t>();
        c->SetPalette(record);
        c->GetPalette();
        break;
      }
      case 20: {
        POINT p{};
        PresentNode n = node();
        LONG cursor = in.Take<int8_t>();
        designer->NextDiagramPoint(&p, n, &cursor);
        designer->SetPicFrameKind(n, 398 + in.Take<uint8_t>() % 16);
        designer->GetDiagramPointCount(n);
        break;
      }
      case 21: {
        const PresentTextSize text{in.Length(), in.Length(), in.Take<int16_t>()};
        const PresentTextSize shape{in.Length(), in.Length(), in.Take<int16_t>()};
        PresentTextRectRequest r{398 + in.Take<uint8_t>() % 16, in.Take<uint8_t>() & 1 ? &text : nullptr,
                                 in.Take<uint8_t>() & 1 ? &shape : nullptr};
        LONG out[6];
        designer->GetTextRect(&r, out);
        break;
      }
      case 22:
        canvases.push_back(designer->NewCanvas());
        break;
      default:
        c->SetModeBit0(in.Take<uint8_t>() & 1);
        c->HasSketches();
        break;
    }
  }
  return 0;
}
