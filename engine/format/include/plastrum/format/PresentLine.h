// The line format (kind 260): the stroke of a shape's outline: the fill that paints it, its
// width and eight small codes (compound, dash, cap, join, type and size of both arrowheads).
// A line holds one reference on its fill identifier.
#pragma once

#include <cstdint>

#include <plastrum/format/FormatContext.h>
#include <plastrum/format/PresentFill.h>
#include <plastrum/format/PresentUnknown.h>
#include <plastrum/format/ShapeTable.h>
#include <plastrum/HostProperty.h>
#include <plastrum/Export.h>

class CKx2DataBlock;
class IKx2ShapeMapperCtx;
struct ShapeXmlArchive;

class PLASTRUM_API IPresentLine : public IUnknown {
 public:
  virtual BOOL ExportToSink(IKx2PropertyObject* sink) = 0;  // 3
  virtual IPresentFill* GetFill() = 0;
  virtual int32_t GetWidth() = 0;
  virtual uint8_t GetCompoundType() = 0;
  virtual uint8_t GetDashType() = 0;
  virtual uint8_t GetCapType() = 0;
  virtual uint8_t GetJoinType() = 0;
  virtual uint8_t GetBeginArrowType() = 0;
  virtual uint8_t GetBeginArrowSize() = 0;
  virtual uint8_t GetEndArrowType() = 0;
  virtual uint8_t GetEndArrowSize() = 0;

 protected:
  ~IPresentLine() = default;
};

struct PLASTRUM_API LineFields {
  uint16_t fillID = 0;  // held with a reference
  int32_t width = 0;    // hundredths of a point
  uint8_t compoundType = 0, dashType = 0, capType = 0, joinType = 0;
  uint8_t beginArrowType = 0, beginArrowSize = 0, endArrowType = 0, endArrowSize = 0;
};

class PLASTRUM_API CPresentLine : public CPresentUnknown<IPresentLine>, public CKx2ShapeRefCnt {
 public:
  static constexpr uint16_t kRecordTag = 996;
  static constexpr const char16_t* kElementName = u"m:presentLine";

  CPresentLine() = default;
  CPresentLine(const CPresentLine& other);
  CPresentLine& operator=(const CPresentLine&) = delete;
  // Virtual: contexts derive from the value.
  virtual ~CPresentLine();

  // The standard line: fill 1, 2 pt, medium arrowheads of no type.
  static CPresentLine StandardEntry();
  static void SetFill(CPresentLine& value, uint32_t id);
  // Assigns the fill with references and copies width and codes; returns 1.
  static int Assign(CPresentLine& target, const CPresentLine& source) { return target.AssignValue(source); }
  // Width and the eight codes equal, whatever the fills.
  static bool EqualFields(const CPresentLine& a, const CPresentLine& b);

  bool IsSameValue(const CPresentLine& other) const { return v.fillID == other.v.fillID && EqualFields(*this, other); }
  int AssignValue(const CPresentLine& other);
  void ClearEntry();
  uint64_t HashValue() const;

  BOOL ExportToSink(IKx2PropertyObject* sink) override;
  IPresentFill* GetFill() override;
  int32_t GetWidth() override { return v.width; }
  uint8_t GetCompoundType() override { return v.compoundType; }
  uint8_t GetDashType() override { return v.dashType; }
  uint8_t GetCapType() override { return v.capType; }
  uint8_t GetJoinType() override { return v.joinType; }
  uint8_t GetBeginArrowType() override { return v.beginArrowType; }
  uint8_t GetBeginArrowSize() override { return v.beginArrowSize; }
  uint8_t GetEndArrowType() override { return v.endArrowType; }
  uint8_t GetEndArrowSize() override { return v.endArrowSize; }

  int ExchangeMapped(CKx2DataBlock& archive);
  // The record with the raw fill identifier, followed by the fill's embedded record.
  int ExchangeEmbedded(CKx2DataBlock& archive);
  int ExchangeXml(ShapeXmlArchive& archive, int32_t index);

  LineFields v;
  // The style cache's vector and index of the record built from this entry, or -1.
  static constexpr Present::StyleKind kStyleKind = Present::StyleKind::Line;
  int32_t styleSlot = -1;
};

class PLASTRUM_API CPresentLineCtx : public CPresentFormatCtx<CPresentLine, 10, 1012, &CPresentLine::ExchangeMapped> {
 public:
  CPresentLineCtx() = default;
  explicit CPresentLineCtx(const CPresentLine& value);
  CPresentLineCtx(const CPresentLineCtx& other);
  CPresentLineCtx& operator=(const CPresentLineCtx&) = delete;

  int Store(IKx2PropertyObject* host) override;
  int Load(IKx2PropertyObject* host, int* nothingFound) override;
  void Apply(CPresentLine& target) override;
  void Merge(const CPresentLine& value) override;
  int IsEqual(const CPresentLine& value) override;
  int Archive(CKx2DataBlock& archive) override;

  static int CopyFrom(CPresentLineCtx& target, const CPresentLineCtx& source);
  void ResetFrom(const CPresentLine& value);

  CPresentFillCtx fill;
};

PLASTRUM_API CKx2ShapeTbl<CPresentLine>& PresentLineTable();
PLASTRUM_API int InitLineTable();
PLASTRUM_API int32_t FreeLineTable();
