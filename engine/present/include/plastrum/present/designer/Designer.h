// The engine's designer (IPresentDesigner): the canvases of the process with the style
// cache they share, the contexts, the operations on single nodes and the image services.
//
// Canvases and contexts it made are listed: its free slots and the slots that take a
// canvas or context act only on listed objects (anything else is ignored, never read
// through), and node slots only on nodes of its canvases' models.
#pragma once

#include <cstdint>
#include <list>
#include <unordered_set>

#include <win/gdi.h>
#include <win/types.h>

#include <plastrum/format/PresentUnknown.h>
#include <plastrum/present/canvas/CanvasRecords.h>
#include <plastrum/Export.h>

class IPresentCanvas;
class IPresentContext;
class IPresentTypography;
class PresentCanvas;
class PresentContext;
class PresentGesture;
class StyleCache;
struct PresentStripInfo;

// A size in hundredths of a point with a signed value in tenths (an angle).
struct PresentTextSize {
  LONG width;
  LONG height;
  int16_t tenths;
};

struct PresentTextRectRequest {
  LONG kind;  // 400..411
  const PresentTextSize* text;
  const PresentTextSize* shape;
};

class IPresentDesigner : public IUnknown {
 public:
  virtual IPresentCanvas* NewCanvas() = 0;                                                           // 3
  virtual BOOL FreeCanvas(IPresentCanvas* canvas) = 0;                                               // 4
  virtual IPresentCanvas* CloneCanvas(IPresentCanvas* canvas) = 0;                                   // 5
  virtual BOOL DeleteDiagram(PresentNode node) = 0;                                                  // 6
  virtual BOOL IsDiagramAlive(PresentNode node) = 0;                                                 // 7
  virtual BOOL GetTextRect(const PresentTextRectRequest* request, LONG* out) = 0;                    // 8: out[6]
  virtual BOOL SetPicFrameKind(PresentNode node, LONG kind) = 0;                                     // 9
  virtual BOOL HasDiagramPoints(PresentNode node) = 0;                                               // 10
  virtual void NextDiagramPoint(POINT* out, PresentNode node, LONG* cursor) = 0;                     // 11
  virtual LONG GetDiagramPointCount(PresentNode node) = 0;                                           // 12
  virtual IUnknown* GetGesture() = 0;                                                                // 13
  virtual IPresentTypography* GetTypography() = 0;                                                   // 14
  virtual IUnknown* NewContextCalligraphy(IPresentContext* context) = 0;                             // 15
  virtual IUnknown* NewCalligraphy(void* paintRecord) = 0;                                           // 16
  virtual void FreeCalligraphy(IUnknown* calligraphy) = 0;                                           // 17
  virtual IPresentContext* NewContext() = 0;                                                         // 18
  virtual void FreeContext(IPresentContext* context) = 0;                                            // 19
  virtual HBITMAP LoadImageBitmap(const WCHAR* path, LONG width, LONG height, DWORD hostColor) = 0;  // 20
  virtual HBITMAP LoadImageHandle(const WCHAR* path, DWORD hostColor) = 0;                           // 21
  virtual BOOL SaveBitmapHandle(HBITMAP bitmap, const WCHAR* path, LONG code) = 0;                   // 22
  virtual BOOL SaveIconHandle(HICON icon, const WCHAR* path, LONG code) = 0;                         // 23
  virtual BOOL SaveDDBtoDIB(HBITMAP bitmap, HPALETTE palette, const WCHAR* path) = 0;                // 24
  virtual BOOL ResizeImageFile(const WCHAR* source, const WCHAR* target, LONG code, LONG width, LONG height,
                               LONG quality) = 0;                                                       // 25
  virtual BOOL ConvertImageFile(const WCHAR* source, const WCHAR* target, LONG code, LONG option) = 0;  // 26
  virtual BOOL GetImageFileSize(const WCHAR* path, SIZE* out, LONG dpiX, LONG dpiY) = 0;                // 27
  virtual BOOL InitImaging(LONG_PTR, LONG_PTR) = 0;                                                     // 28
  virtual BOOL RenderStripImage(PresentStripInfo* record) = 0;                                          // 29

 protected:
  ~IPresentDesigner() = default;
};

// The engine's designer. It owns the one style cache of the process.
class PLASTRUM_API Presentation final : public CPresentUnknown<IPresentDesigner> {
 public:
  Presentation();
  ~Presentation();
  Presentation(const Presentation&) = delete;
  Presentation& operator=(const Presentation&) = delete;

  StyleCache* GetStyleCache() const { return styleCache_; }

  IPresentCanvas* NewCanvas() override;
  BOOL FreeCanvas(IPresentCanvas* canvas) override;
  IPresentCanvas* CloneCanvas(IPresentCanvas* canvas) override;
  BOOL DeleteDiagram(PresentNode node) override;
  BOOL IsDiagramAlive(PresentNode node) override;
  BOOL GetTextRect(const PresentTextRectRequest* request, LONG* out) override;
  BOOL SetPicFrameKind(PresentNode node, LONG kind) override;
  BOOL HasDiagramPoints(PresentNode node) override;
  void NextDiagramPoint(POINT* out, PresentNode node, LONG* cursor) override;
  LONG GetDiagramPointCount(PresentNode node) override;
  // The designer's one gesture router, made on first use.
  IUnknown* GetGesture() override;
  IPresentTypography* GetTypography() override;
  // Calligraphies (engine/present/text/src/DesignerCalligraphy.cpp).
  IUnknown* NewContextCalligraphy(IPresentContext* context) override;
  IUnknown* NewCalligraphy(void* paintRecord) override;
  void FreeCalligraphy(IUnknown* calligraphy) override;
  IPresentContext* NewContext() override;
  void FreeContext(IPresentContext* context) override;
  HBITMAP LoadImageBitmap(const WCHAR* path, LONG width, LONG height, DWORD hostColor) override;
  HBITMAP LoadImageHandle(const WCHAR* path, DWORD hostColor) override;
  BOOL SaveBitmapHandle(HBITMAP bitmap, const WCHAR* path, LONG code) override;
  BOOL SaveIconHandle(HICON icon, const WCHAR* path, LONG code) override;
  BOOL SaveDDBtoDIB(HBITMAP bitmap, HPALETTE palette, const WCHAR* path) override;
  BOOL ResizeImageFile(const WCHAR* source, const WCHAR* target, LONG code, LONG width, LONG height,
                       LONG quality) override;
  BOOL ConvertImageFile(const WCHAR* source, const WCHAR* target, LONG code, LONG option) override;
  BOOL GetImageFileSize(const WCHAR* path, SIZE* out, LONG dpiX, LONG dpiY) override;
  BOOL InitImaging(LONG_PTR, LONG_PTR) override { return TRUE; }
  BOOL RenderStripImage(PresentStripInfo* record) override;

  // The canvas or context the host passes, when this designer made it and has not freed
  // it; null for anything else.
  PresentCanvas* FindCanvas(IPresentCanvas* canvas) const;
  PresentContext* FindContext(IPresentContext* context) const;
  // Whether a node belongs to one of the canvases' models (listed or removed).
  bool KnowsNode(PresentNode node) const;
  int32_t CanvasCount() const { return static_cast<int32_t>(canvases_.size()); }

 private:
  // Appends a canvas made over a new or shared model; null on failure.
  IPresentCanvas* AddCanvas(void* sharedModel);
  // Destroys every canvas and context still listed (the designer's end).
  void DestroyParts();

  std::list<PresentCanvas*> canvases_;
  PresentGesture* gesture_ = nullptr;
  std::unordered_set<PresentContext*> contexts_;
  StyleCache* styleCache_;
  void (*destroyCache_)(StyleCache*);  // the maker's, kept in case the maker changes meanwhile
};

// The designer's quality codes 0-4 as resize modes 0, 0, 1, 2, 3 (other codes: 0).
PLASTRUM_API int32_t ResizeModeOfQuality(LONG quality);
