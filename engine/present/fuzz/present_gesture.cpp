// Bytes decoded into window messages routed to a small canvas (a few topics, a relation,
// some selected, with etudes): message code, parameter, held keys and buttons, message time
// steps, motion choices and owner changes, new and freed motions (the current one
// included), and freed canvases. Both handlers see drags, hovers and hit tests. Nothing may
// crash, leak or reach a freed motion.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include <kx2/InputState.h>
#include <vantorel/present_host.h>
#include <win/user_input.h>

#include "fuzz_input.h"
#include "plastrum/present/canvas/PresentCanvas.h"
#include "plastrum/present/designer/Designer.h"
#include "plastrum/present/gesture/PresentGesture.h"
#include "plastrum/present/shell/module_lifecycle.h"

namespace {

using Input = PresentFuzz::FuzzInput;

class Owner final : public IPresentCanvasOwner {
 public:
  LONG snap = 0;
  BOOL GetBinaryDataFile(LONG, VtlPathBuffer*) override { return FALSE; }
  BOOL DrawText(const void*, LONG, LONG, POINT) override { return FALSE; }
  BOOL IsPointerInClient(LONG) override { return TRUE; }
  BOOL GetPointerPosition(POINT* p) override {
    *p = POINT{snap, -snap};
    return TRUE;
  }
  BOOL AdjustDragPoint(POINT* p) override {
    p->x += snap;
    return TRUE;
  }
};

class Sink final : public IPresentGestureSink {
 public:
  IPresentMotion* motion = nullptr;
  BOOL Relay0(LONG_PTR, LONG_PTR, LONG_PTR) override { return TRUE; }
  BOOL SetCursor(const POINT* p) override { return p->x & 1; }
  BOOL Relay2(LONG_PTR) override { return TRUE; }
  BOOL Refresh() override { return TRUE; }
  BOOL CancelMode() override { return TRUE; }
  BOOL Relay5(LONG_PTR, LONG_PTR) override { return TRUE; }
  BOOL Move(const POINT*) override { return TRUE; }
  BOOL LeftRepeated(const POINT*) override { return TRUE; }
  BOOL LeftDown(const POINT*) override { return TRUE; }
  BOOL LeftUp(const POINT*) override { return TRUE; }
  BOOL MiddleDown(const POINT*) override { return TRUE; }
  BOOL MiddleUp(const POINT*) override { return TRUE; }
  BOOL RightRepeated(const POINT*) override { return TRUE; }
  BOOL RightDown(const POINT*) override { return TRUE; }
  BOOL RightUp(const POINT*) override { return TRUE; }
  BOOL AfterMove(const POINT*) override { return TRUE; }
  BOOL AfterLeftRepeated(const POINT*) override { return TRUE; }
  BOOL AfterLeftDown(const POINT*) override { return TRUE; }
  BOOL AfterLeftUp(const POINT*) override { return TRUE; }
  BOOL AfterMiddleDown(const POINT*) override { return TRUE; }
  BOOL AfterMiddleUp(const POINT*) override { return TRUE; }
  BOOL AfterRightRepeated(const POINT*) override { return TRUE; }
  BOOL AfterRightDown(const POINT*) override { return TRUE; }
  BOOL AfterRightUp(const POINT*) override { return TRUE; }
};

constexpr UINT kMessages[] = {31, 32, 512, 513, 514, 515, 516, 517, 518, 519, 520, 521, 522, 256};
constexpr UINT kKeys[] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON, VK_LCONTROL, VK_RCONTROL, VK_LSHIFT, VK_RSHIFT};

PresentNode AddNode(PresentCanvas* canvas, LONG kind, LONG x, LONG y, std::vector<POINT> points) {
  PresentGeometryInfo geometry{3600, 1800, 0, 0, points.empty() ? nullptr : points.data(), LONG(points.size())};
  PresentObjectInfo info{nullptr, kind, 1, 0, &geometry, 1, 2};
  if (!canvas->SyncObject(&info)) return nullptr;
  PresentSketchInfo sketch{};
  sketch.node = info.node;
  sketch.x = x;
  sketch.y = y;
  sketch.geometry = &geometry;
  canvas->SetSketch(&sketch);
  return info.node;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!Present::IsModuleStarted()) Present::StartModule();
  Kx2ResetInput();
  Input in{data, size};
  auto designer = std::make_unique<Presentation>();
  Owner owner;
  Sink sink;
  std::vector<IPresentCanvas*> canvases;
  for (int c = 0; c < 2; ++c) {
    auto* canvas = static_cast<PresentCanvas*>(designer->NewCanvas());
    canvas->SetOwner(&owner);
    const std::vector<POINT> relation{{0, 0}, {900, 900}, {1800, 900}, {2700, 0}};
    for (LONG i = 0; i < 4; ++i) {
      PresentNode node = AddNode(canvas, 401 + i * 3, i * 4000, 0, {});
      if (node && (i & 1)) canvas->SetObjectSelected(node, 1);
      if (node) canvas->Drawing()->NewEtude(node, Present::Drawing::PaintPosition{}, 0);
    }
    if (PresentNode node = AddNode(canvas, 200, 0, 3000, relation)) canvas->SetObjectSelected(node, 1);
    canvas->Drawing()->view.zoomX = canvas->Drawing()->view.zoomY = static_cast<float>(c + 1);
    canvases.push_back(canvas);
  }
  auto* gesture = static_cast<PresentGesture*>(designer->GetGesture());
  std::vector<IPresentMotion*> motions;  // live ones (null once freed)
  std::vector<IPresentMotion*> made;     // every one made, freed ones too: only the router sees them
  LONG time = 1000;
  while (in.size > 0) {
    const uint8_t op = in.Take<uint8_t>();
    IPresentCanvas* canvas = canvases[in.Take<uint8_t>() % canvases.size()];
    const uint8_t pick = in.Take<uint8_t>();
    IPresentMotion* motion = motions.empty() ? nullptr : motions[pick % motions.size()];
    IPresentMotion* any = made.empty() ? nullptr : made[pick % made.size()];
    switch (op % 10) {
      case 0: {
        IPresentMotion* fresh = gesture->NewMotion(in.Take<uint8_t>() % 4);
        if (!fresh) break;
        fresh->SetOwner(reinterpret_cast<LONG_PTR>(&owner));
        fresh->SetSink(&sink);
        motions.push_back(fresh);
        made.push_back(fresh);
        gesture->SetMotion(fresh, in.Take<uint8_t>() & 1);
        break;
      }
      case 1:
        if (gesture->FreeMotion(any)) {
          for (IPresentMotion*& m : motions)
            if (m == any) m = nullptr;
        }
        break;
      case 2:
        if (any)
          gesture->SetMotion(any, in.Take<uint8_t>() & 1);
        else
          gesture->RestoreDefaultMotion();
        break;
      case 3:
        if (motion) motion->SetOwner(in.Take<uint8_t>() & 1 ? 0 : reinterpret_cast<LONG_PTR>(&owner));
        break;
      case 4: {
        const uint8_t k = in.Take<uint8_t>();
        Kx2SetThreadKeyState(kKeys[k % 7], k & 0x80);
        break;
      }
      case 5:
        time += in.Take<uint8_t>() * 8;
        break;
      case 6:
        owner.snap = in.Take<int8_t>();
        break;
      case 7: {
        gesture->RelayRefresh(canvas, in.Take<uint8_t>() & 1);
        gesture->RelayToSink0(canvas, 1, 2, 3);
        if (IPresentMotion* current = gesture->GetMotion()) {
          PresentMotionInfo info{};
          current->GetHandlerRecord(&info);
          current->GetTargetKind();
          current->GetTargetValue88();
        }
        break;
      }
      case 8:
        if ((in.Take<uint8_t>() & 7) == 0 && canvases.size() > 1) {
          designer->FreeCanvas(canvases.back());  // stays routable by pointer: must be refused
        }
        break;
      default: {
        Kx2SetMessageTime(time);
        const UINT message = kMessages[in.Take<uint8_t>() % (sizeof kMessages / sizeof kMessages[0])];
        const auto param = static_cast<LPARAM>(in.Take<uint32_t>());
        gesture->RouteMouse(canvas, message, 0, param);
        break;
      }
    }
  }
  Kx2ResetInput();
  return 0;
}
