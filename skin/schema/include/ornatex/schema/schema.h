// A loaded skin's properties, addressed as visual styles address theirs: class code,
// part, state and property identifier, with a fixed inheritance chain for lookups.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <win/afx.h>
#include <win/gdi.h>

#include "ornatex/core/skin_metrics.h"
#include "ornatex/export.h"

class CKtkSkinManagerResourceFile;
class CKtkSkinManagerClass;
struct KtkFrameRegionRecord;
class CKtkSkinManager;
class CKtkSkinImage;
class CKtkSkinFrameData;
struct ScrollBarPosInfo;

// Property record types.
#define KTK_PT_STRING 1
#define KTK_PT_INT 2
#define KTK_PT_BOOL 3
#define KTK_PT_COLOR 4
#define KTK_PT_RECT 5
#define KTK_PT_FONT 6
#define KTK_PT_ENUM 8
#define KTK_PT_POSITION 9

// Class codes of "GLOBALS" and "WINDOW".
#define KTK_CLASS_GLOBALS 1
#define KTK_CLASS_WINDOW 6
#define KTK_CLASS_COUNT 30
#define KTK_MAX_PART_STATE 63
#define KTK_MAX_PROPERTY_ID 16383

class ORNATEX_API CKtkSkinManagerSchemaProperty {
 public:
  CKtkSkinManagerSchemaProperty() = default;
  ~CKtkSkinManagerSchemaProperty() { Free(); }
  CKtkSkinManagerSchemaProperty(CKtkSkinManagerSchemaProperty&& other) noexcept;
  CKtkSkinManagerSchemaProperty& operator=(CKtkSkinManagerSchemaProperty&& other) noexcept;
  CKtkSkinManagerSchemaProperty(const CKtkSkinManagerSchemaProperty&) = delete;
  CKtkSkinManagerSchemaProperty& operator=(const CKtkSkinManagerSchemaProperty&) = delete;

  void SetString(std::u16string_view text);
  void SetFont(const LOGFONTW& font);
  void SetValues(int type, const LONG* values, int count);
  // Frees an owned string or font; the type becomes 0.
  void Free();

  int m_type = 0;
  LONG m_values[4] = {};  // integer, boolean, colour, enumeration: [0]; rectangle: 4; position: 2
  char16_t* m_string = nullptr;
  LOGFONTW* m_font = nullptr;
};

class ORNATEX_API CKtkSkinManagerSchema : public CCmdTarget {
 public:
  // Holds the reader (which may be null while no reader exists) and makes the metrics.
  explicit CKtkSkinManagerSchema(CKtkSkinManagerResourceFile* reader = nullptr);
  ~CKtkSkinManagerSchema() override;

  static int ClassCodeOf(LPCWSTR className);
  // state x 2^26 + part x 2^20 + class x 2^14 + identifier, in 32-bit arithmetic.
  static uint32_t PropertyKey(int classCode, int part, int state, int id);

  // (class, part, state), (class, part, 0), (class, 0, state), (class, 0, 0), then
  // ("GLOBALS", 0, 0): the first record found.
  const CKtkSkinManagerSchemaProperty* FindProperty(int classCode, int part, int state, int id) const;
  // S_OK and the value; E_INVALIDARG (output untouched) for a record of another type;
  // E_FAIL without a record. Colours pass the colour filters.
  HRESULT GetIntValue(int classCode, int part, int state, int id, int* value) const;
  HRESULT GetColorValue(int classCode, int part, int state, int id, COLORREF* value) const;
  HRESULT GetFontValue(int classCode, int part, int state, int id, LOGFONTW* value) const;
  COLORREF GetMetricsColor(int index) const { return m_metrics->GetColor(index); }
  // The image a file name of the class names (loaded once through the reader, kept by the
  // class); null for an empty name or an image that cannot be loaded.
  CKtkSkinImage* GetImage(CKtkSkinManagerClass* skinClass, LPCWSTR fileName);
  // That image's width and height, or (0, 0).
  SIZE GetImageSize(CKtkSkinManagerClass* skinClass, LPCWSTR fileName);
  // The manager's colour filters over one colour (none without a manager).
  void ApplyColorFilters(COLORREF& color) const;
  // What the skin covers (the manager's apply options; everything without a manager).
  DWORD GetApplyOptions() const;

  // Skinned frames: the non-client area of a window from the "WINDOW" class.
  // Caption, edges, icon, caption buttons and title, in window coordinates.
  virtual void DrawFrame(HDC dc, CKtkSkinFrameData* frame);
  // Left, top (caption included), right and bottom widths of the frame for these styles.
  virtual RECT GetFrameBorders(DWORD style, DWORD exStyle);
  virtual RECT GetFrameBorders(CKtkSkinFrameData* frame);
  // The window region cutting away the frame images' transparent pixels (the caller owns it).
  virtual HRGN BuildFrameRegion(CKtkSkinFrameData* frame, int width, int height);

  // A whole scroll bar from the "SCROLLBAR" class: arrows, track, thumb and gripper in the
  // states the frame's tracking or hot piece gives them.
  virtual void DrawScrollBar(HDC dc, CKtkSkinFrameData* frame, ScrollBarPosInfo* bar);

  // Border lines of the frame (edges, border, thick frame) and, when asked, the client edge.
  int CountFrameBorders(DWORD style, DWORD exStyle, BOOL frame, BOOL clientEdge) const;
  // The frame of a window without a full caption; the rectangle shrinks by what was drawn.
  void DrawPlainFrame(HDC dc, RECT& rect, CKtkSkinFrameData* frame);
  // The client edge: the window's skin border when its class fills borders, else the
  // classic sunken edge; the rectangle shrinks by 2.
  void DrawClientEdge(HDC dc, RECT& rect, CKtkSkinFrameData* frame);
  // Places and draws the frame's caption buttons; the x where the first of them begins.
  int LayoutCaptionButtons(HDC dc, CKtkSkinFrameData* frame);
  // A caption button of this height in the proportions of the close button's image.
  static SIZE GetCaptionButtonSize(CKtkSkinManagerClass* windowClass, int height);
  static HICON GetWindowIcon(HWND window, BOOL smallIcon);

  // Empties the frame-region cache and refreshes the metrics.
  virtual void ReloadMetrics();
  virtual COLORREF GetSizeBoxColor() { return GetMetricsColor(15); }

  // The loader's way in: the record for a key, replaced.
  CKtkSkinManagerSchemaProperty& SetProperty(int classCode, int part, int state, int id);
  size_t PropertyCount() const { return m_properties.size(); }

  std::unordered_map<uint32_t, CKtkSkinManagerSchemaProperty> m_properties;
  CKtkSkinManagerResourceFile* m_pReader;
  CKtkSkinManager* m_pManager;  // the reader's manager; null without a reader
  int m_globalsCode;
  int m_windowCode;
  std::unique_ptr<CKtkSkinManagerMetrics> m_metrics;
  // The classes asked for so far, by upper-case name (KtkSchemaClass).
  std::map<std::u16string, std::unique_ptr<CKtkSkinManagerClass>> m_classes;
  // The frame-region records made so far for windows of the skin's frame sizes. They are
  // looked up, added and emptied (ReloadMetrics) only under m_frameLock, which also keeps
  // two threads from painting captions at once; a record in use is held by its own
  // reference, so emptying the cache never frees it under a region being built.
  std::vector<std::shared_ptr<const KtkFrameRegionRecord>> m_frameRegions;
  std::mutex m_frameLock;

 private:
  // The records of one class and identifier by part and state, so that a lookup walks
  // its chain with one hash probe (records stay where the property table put them).
  struct Variant {
    uint8_t part;
    uint8_t state;
    const CKtkSkinManagerSchemaProperty* record;
  };
  // Most identifiers of a class have one record: it is kept in the table's node itself.
  struct Variants {
    Variant first;
    std::unique_ptr<std::vector<Variant>> more;  // rarely there: kept out of the slot
  };
  // An open-addressed table by (class << 14 | identifier): a lookup probes the slots
  // array itself instead of following a bucket to a node.
  struct Slot {
    uint32_t key = 0;
    bool used = false;
    Variants variants{};
  };
  Variants* AddVariants(uint32_t key, const Variant& first, bool* fresh);
  std::vector<Slot> slots_;
  size_t slotsUsed_ = 0;
};
