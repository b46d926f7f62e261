// The host's handle on one drawing surface: every slot converts the host's records from
// hundredths of a point to EMU, works on the drawing canvas and its model, and converts
// results back. Unless said otherwise a null record or node answers FALSE (or does
// nothing), and a deleted node is refused.
#pragma once

#include <cstdint>
#include <memory>

#include <win/types.h>

#include <plastrum/format/PresentUnknown.h>
#include <plastrum/present/canvas/CanvasRecords.h>
#include <plastrum/present/drawing/Canvas.h>
#include <plastrum/Export.h>

class IPresentContext;
class PresentContext;
class IPresentCanvasOwner;
class Presentation;
class StyleCache;
struct PresentObjectBitmapInfo;
struct PresentImageBitmapInfo;

class IPresentCanvas : public IUnknown {
 public:
  virtual BOOL SyncObject(PresentObjectInfo* info) = 0;                            // 3
  virtual BOOL RemoveObject(PresentNode node) = 0;                                 // 4
  virtual BOOL IsObjectSelected(PresentNode node) = 0;                             // 5
  virtual BOOL SetObjectSelected(PresentNode node, BYTE flag) = 0;                 // 6
  virtual BOOL IsObjectFocused(PresentNode node) = 0;                              // 7
  virtual BOOL SetObjectFocused(PresentNode node, BYTE flag) = 0;                  // 8
  virtual BOOL IsObjectHighlighted(PresentNode node) = 0;                          // 9
  virtual BOOL SetObjectHighlighted(PresentNode node, BYTE flag) = 0;              // 10
  virtual void SetModeBit0(BYTE flag) = 0;                                         // 11
  virtual void SetModeBit1(BYTE flag) = 0;                                         // 12
  virtual BOOL SetSketch(PresentSketchInfo* info) = 0;                             // 13
  virtual BOOL HasSketches() = 0;                                                  // 14
  virtual BOOL GetImageSize(LONG* width, LONG* height) = 0;                        // 15
  virtual BOOL BlitImage(IPresentContext* context, LONG x, LONG y) = 0;            // 16
  virtual BOOL HasImage() = 0;                                                     // 17
  virtual BOOL AddEtude(PresentEtudeInfo* info) = 0;                               // 18
  virtual void SetMovingBox(const PresentMovingBoxInfo* info) = 0;                 // 19
  virtual BOOL SetFloatingShape(const PresentFloatingShapeInfo* info) = 0;         // 20
  virtual BOOL SetBlindShape(const PresentBlindShapeInfo* info) = 0;               // 21
  virtual void SetBlindPosition(const POINT* point) = 0;                           // 22
  virtual void SetFloatingPosition(const POINT* point) = 0;                        // 23
  virtual void SetMovingOutline(const POINT* points, LONG count, LONG value) = 0;  // 24
  virtual void SetMovingCalloutBox(const PresentCalloutBoxInfo* info) = 0;         // 25
  virtual void SetDroppingBox(const PresentDroppingBoxInfo* info) = 0;             // 26
  virtual void SetRelatingBox(const PresentRelatingBoxInfo* info) = 0;             // 27
  virtual BOOL SetGeometryValue(PresentNode node, LONG value) = 0;                 // 28
  virtual void BeginSelectingBox(const POINT* point) = 0;                          // 29
  virtual void UpdateSelectingBox(const POINT* point) = 0;                         // 30
  virtual BOOL HasSelectingResults() = 0;                                          // 31
  virtual PresentNode NextSelectingResult(LONG* cursor) = 0;                       // 32
  virtual LONG NextSelectingResultValue(LONG* cursor) = 0;                         // 33
  virtual LONG GetSelectingResultCount() = 0;                                      // 34
  virtual BOOL ResetState(BYTE mode) = 0;                                          // 35
  virtual void Reserved36() = 0;                                                   // 36
  virtual BOOL AttachContext(IPresentContext* context) = 0;                        // 37
  virtual BOOL PaintView(PresentViewInfo* view) = 0;                               // 38
  virtual BOOL DetachRender() = 0;                                                 // 39
  virtual BOOL PaintOverlay(LONG value) = 0;                                       // 40
  virtual void SetView(const PresentViewInfo* view) = 0;                           // 41
  virtual Present::Type::Color* SetPaletteColor(BYTE index, DWORD argb) = 0;       // 42
  virtual const BYTE* GetPalette() = 0;                                            // 43
  virtual void SetPalette(const BYTE* entries) = 0;                                // 44
  virtual IPresentCanvasOwner* GetOwner() = 0;                                     // 45
  virtual void SetOwner(IPresentCanvasOwner* owner) = 0;                           // 46
  virtual BOOL RenderObjectBitmap(PresentObjectBitmapInfo* record) = 0;            // 47
  virtual BOOL RenderImageBitmap(PresentImageBitmapInfo* record) = 0;              // 48
  virtual BOOL IntersectObjectOutline(PresentOutlineHit* hit) = 0;                 // 49

 protected:
  ~IPresentCanvas() = default;
};

class PLASTRUM_API PresentCanvas final : public CPresentUnknown<IPresentCanvas> {
 public:
  // A canvas over a new model (shared null) or over a shared one; its style bindings go
  // through the cache. Check Valid() after making one.
  PresentCanvas(Presentation* designer, StyleCache* cache, Present::Drawing::DrawingModel* shared);
  ~PresentCanvas();
  PresentCanvas(const PresentCanvas&) = delete;
  PresentCanvas& operator=(const PresentCanvas&) = delete;

  bool Valid() const { return canvas_ && canvas_->Valid(); }
  Present::Drawing::Canvas* Drawing() { return canvas_.get(); }

  BOOL SyncObject(PresentObjectInfo* info) override;
  BOOL RemoveObject(PresentNode node) override;
  BOOL IsObjectSelected(PresentNode node) override;
  BOOL SetObjectSelected(PresentNode node, BYTE flag) override;
  BOOL IsObjectFocused(PresentNode node) override;
  BOOL SetObjectFocused(PresentNode node, BYTE flag) override;
  BOOL IsObjectHighlighted(PresentNode node) override;
  BOOL SetObjectHighlighted(PresentNode node, BYTE flag) override;
  void SetModeBit0(BYTE flag) override;
  void SetModeBit1(BYTE flag) override;
  BOOL SetSketch(PresentSketchInfo* info) override;
  BOOL HasSketches() override;
  BOOL GetImageSize(LONG* width, LONG* height) override;
  BOOL BlitImage(IPresentContext* context, LONG x, LONG y) override;
  BOOL HasImage() override;
  BOOL AddEtude(PresentEtudeInfo* info) override;
  void SetMovingBox(const PresentMovingBoxInfo* info) override;
  BOOL SetFloatingShape(const PresentFloatingShapeInfo* info) override;
  BOOL SetBlindShape(const PresentBlindShapeInfo* info) override;
  void SetBlindPosition(const POINT* point) override;
  void SetFloatingPosition(const POINT* point) override;
  void SetMovingOutline(const POINT* points, LONG count, LONG value) override;
  void SetMovingCalloutBox(const PresentCalloutBoxInfo* info) override;
  void SetDroppingBox(const PresentDroppingBoxInfo* info) override;
  void SetRelatingBox(const PresentRelatingBoxInfo* info) override;
  BOOL SetGeometryValue(PresentNode node, LONG value) override;
  void BeginSelectingBox(const POINT* point) override;
  void UpdateSelectingBox(const POINT* point) override;
  BOOL HasSelectingResults() override;
  PresentNode NextSelectingResult(LONG* cursor) override;
  LONG NextSelectingResultValue(LONG* cursor) override;
  LONG GetSelectingResultCount() override;
  BOOL ResetState(BYTE mode) override;
  void Reserved36() override {}
  BOOL AttachContext(IPresentContext* context) override;
  BOOL PaintView(PresentViewInfo* view) override;
  BOOL DetachRender() override;
  BOOL PaintOverlay(LONG value) override;
  void SetView(const PresentViewInfo* view) override;
  Present::Type::Color* SetPaletteColor(BYTE index, DWORD argb) override;
  const BYTE* GetPalette() override;
  void SetPalette(const BYTE* entries) override;
  IPresentCanvasOwner* GetOwner() override;
  void SetOwner(IPresentCanvasOwner* owner) override;
  BOOL RenderObjectBitmap(PresentObjectBitmapInfo* record) override;
  BOOL RenderImageBitmap(PresentImageBitmapInfo* record) override;
  BOOL IntersectObjectOutline(PresentOutlineHit* hit) override;

  // Applies a geometry record to a node: the frame (size and angle for topics), the
  // adjust points, and a rebuild unless the frame is unchanged. False on a bad record,
  // when memory runs out or when the rebuild gives no geometry.
  static bool ApplyGeometry(Present::Drawing::Diagram& node, const PresentGeometryInfo& info);

 private:
  // Sets or clears a state bit of a node's sketch and selection entry.
  BOOL SetStateBit(PresentNode node, BYTE flag, uint8_t mask);
  // Makes or re-kinds a preview's own node for a kind; null when it cannot.
  Present::Drawing::Diagram* PreviewNode(std::unique_ptr<Present::Drawing::Diagram>& owned, uint32_t kind,
                                         uint32_t shapeId);
  bool ApplyAnchors(Present::Drawing::Diagram& node, const PresentFirstAnchor* first,
                    const PresentSecondAnchor* second);

  // The context the host passes, when the designer made it; null for anything else.
  PresentContext* KnownContext(IPresentContext* context) const;

  Presentation* designer_;
  StyleCache* cache_;
  std::unique_ptr<Present::Drawing::Canvas> canvas_;
};
