// The shape style (kind 264): what a drawing node carries, five identifiers into the line,
// fill, shadow, picture and 3-D format tables, itself interned in the shape table. The shape
// context is its expanded, editable form with a full context of each of the five formats.
//
// Orders that stored documents and hosts rely on:
//   memory and shape table:   line, fill, shadow, picture, 3-D
//   context states (0x7000+k): line, fill, shadow, 3-D, picture
//   mapped record (1000):     fill, line, shadow, 3-D, picture
//   value form:               presence words fill, line, shadow, 3-D, picture; the values
//                             after them fill, line, shadow, picture, 3-D
//   XML "m:presentShape":     fill, line, shadow, picture, 3-D
#pragma once

#include <cstddef>
#include <cstdint>

#include <plastrum/format/FormatContext.h>
#include <plastrum/format/FormatHash.h>
#include <plastrum/format/Present3DFormat.h>
#include <plastrum/format/PresentLine.h>
#include <plastrum/format/PresentShadow.h>
#include <plastrum/format/PresentUnknown.h>
#include <plastrum/Export.h>

class CKx2DataBlock;
class CPresentShape;
class IKx2ShapeMapperCtx;
struct ShapeXmlArchive;

class PLASTRUM_API IPresentShape : public IUnknown {
 public:
  virtual BOOL ExportToSink(IKx2PropertyObject* sink) = 0;  // 3
  virtual IPresentLine* GetLine() = 0;
  virtual IPresentFill* GetFill() = 0;
  virtual IPresentShadow* GetShadow() = 0;
  virtual IPresentPicture* GetPicture() = 0;
  virtual IPresent3DFormat* Get3DFormat() = 0;
  // Same fill, shadow, picture and 3-D identifiers, and lines that are the same entry or
  // hold equal values.
  virtual BOOL IsEqual(IPresentShape* other) = 0;
  // Reports every identifier the shape uses, with its kind, to the mapper's Register.
  virtual void CollectIds(IKx2ShapeMapperCtx* mapper) = 0;
  virtual int ArchiveIds(CKx2DataBlock* archive) = 0;
  virtual int ExchangeXml(ShapeXmlArchive* archive, int32_t index) = 0;
  virtual int ArchiveValues(CKx2DataBlock* archive) = 0;

 protected:
  ~IPresentShape() = default;
};

struct PLASTRUM_API ShapeIds {
  uint16_t lineID = 0;
  uint16_t fillID = 0;
  uint16_t shadowID = 0;
  uint16_t pictureID = 0;
  uint16_t format3DID = 0;
};
static_assert(offsetof(ShapeIds, lineID) == 0 && offsetof(ShapeIds, fillID) == 2 && offsetof(ShapeIds, shadowID) == 4 &&
                  offsetof(ShapeIds, pictureID) == 6 && offsetof(ShapeIds, format3DID) == 8 && sizeof(ShapeIds) == 10,
              "a shape is its line, fill, shadow, picture and 3-D identifiers, in that order");

class PLASTRUM_API CPresentShape : public CPresentUnknown<IPresentShape>, public CKx2ShapeRefCnt {
 public:
  static constexpr uint16_t kRecordTag = 1000;
  static constexpr const char16_t* kElementName = u"m:presentShape";

  CPresentShape() = default;
  CPresentShape(const CPresentShape& other);
  CPresentShape& operator=(const CPresentShape&) = delete;
  // Virtual: contexts derive from the value.
  virtual ~CPresentShape();

  // Flag 1: line 1 and fill 1 (the standard entries); flag 0: line 0 and fill 0; shadow,
  // picture and 3-D 0 in both. Old identifiers are released. Returns 1.
  int SetDefault(int flag);
  // Releases the five identifiers and the shape's style record.
  void Clear();
  // Takes the source's five identifiers (with references). Returns 1.
  int Assign(const CPresentShape& source) { return AssignValue(source); }

  bool IsSameValue(const CPresentShape& other) const;
  int AssignValue(const CPresentShape& other);
  void ClearEntry() { Clear(); }
  uint64_t HashValue() const;

  BOOL ExportToSink(IKx2PropertyObject* sink) override;
  IPresentLine* GetLine() override;
  IPresentFill* GetFill() override;
  IPresentShadow* GetShadow() override;
  IPresentPicture* GetPicture() override;
  IPresent3DFormat* Get3DFormat() override;
  BOOL IsEqual(IPresentShape* other) override;
  void CollectIds(IKx2ShapeMapperCtx* mapper) override;
  int ArchiveIds(CKx2DataBlock* archive) override;
  int ExchangeXml(ShapeXmlArchive* archive, int32_t index) override;
  int ArchiveValues(CKx2DataBlock* archive) override;

  // The value form on its own (the last slot of a plain shape).
  int ExchangeValues(CKx2DataBlock& archive);
  // The mapped form on its own.
  int MapIds(CKx2DataBlock& archive);

  ShapeIds v;
  // The style cache's vector and index of the record built from this entry, or -1.
  static constexpr Present::StyleKind kStyleKind = Present::StyleKind::Shape;
  int32_t styleSlot = -1;
};

class PLASTRUM_API IPresentShapeCtx : public IUnknown {
 public:
  virtual void SetAllStates(uint8_t state) = 0;                       // 3
  virtual void Reserved(int32_t value) = 0;                           // 4: takes one integer, does nothing
  virtual void SetState(uint32_t propertyId, uint8_t state) = 0;      // 5: 0x7000..0x7004
  virtual IPresentShape* GetShape() = 0;                              // 6
  virtual int Assign(CPresentShape* shape) = 0;                       // 7
  virtual int Store(IKx2PropertyObject* host) = 0;                    // 8
  virtual int Load(IKx2PropertyObject* host, int* nothingFound) = 0;  // 9
  virtual int Apply(CPresentShape* target) = 0;                       // 10
  // Makes the fill of the shape's line the fill of the context's line and interns that line
  // as the context's line; -1 when the line cannot be interned.
  virtual int TakeLineFill(CPresentShape* shape) = 0;  // 11
  virtual int Merge(CPresentShape* shape) = 0;         // 12
  virtual int IsEqual(CPresentShape* shape) = 0;       // 13
  virtual int Archive(CKx2DataBlock* archive) = 0;     // 14

 protected:
  ~IPresentShapeCtx() = default;
};

class PLASTRUM_API CPresentShapeCtx final : public CPresentShape,
                                            public CPresentBaseCtx<CPresentShape, 0x7000, 5>,
                                            public IPresentShapeCtx {
 public:
  enum { kLine = 0, kFill = 1, kShadow = 2, k3DFormat = 3, kPicture = 4 };

  CPresentShapeCtx();
  explicit CPresentShapeCtx(const CPresentShape& shape);
  CPresentShapeCtx(const CPresentShapeCtx&) = delete;
  CPresentShapeCtx& operator=(const CPresentShapeCtx&) = delete;
  ~CPresentShapeCtx() override = default;

  // A new context of the shape (a default context for null); null when memory runs out.
  static CPresentShapeCtx* Create(const CPresentShape* shape);
  // A new context copying another's shape, states and nested contexts; null on failure.
  static CPresentShapeCtx* Clone(const CPresentShapeCtx* source);

  // IUnknown, once for both faces.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override { return PresentQueryInterface(out); }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  // The context operations.
  int Store(IKx2PropertyObject* host) override;
  int Load(IKx2PropertyObject* host, int* nothingFound) override;
  void Apply(CPresentShape& target) override;
  void Merge(const CPresentShape& shape) override;
  int IsEqual(const CPresentShape& shape) override;
  void Assign(const CPresentShape& shape) override { AssignValue(shape); }
  int Archive(CKx2DataBlock& archive) override;

  // The shape's slots; the last is the whole-context archive.
  BOOL IsEqual(IPresentShape* other) override { return CPresentShape::IsEqual(other); }
  int ArchiveValues(CKx2DataBlock* archive) override { return Archive(archive); }

  // IPresentShapeCtx.
  void SetAllStates(uint8_t state) override { CPresentBaseCtx::SetAllStates(state); }
  void Reserved(int32_t) override {}
  void SetState(uint32_t propertyId, uint8_t state) override;
  IPresentShape* GetShape() override { return static_cast<CPresentShape*>(this); }
  int Assign(CPresentShape* shape) override;
  int Apply(CPresentShape* target) override;
  int TakeLineFill(CPresentShape* shape) override;
  int Merge(CPresentShape* shape) override;
  int IsEqual(CPresentShape* shape) override;
  int Archive(CKx2DataBlock* archive) override;

  using CPresentBaseCtx::GetState;
  using CPresentBaseCtx::SetState;

  CPresentLineCtx line;
  CPresentFillCtx fill;
  CPresentShadowCtx shadow;
  CPresentPictureCtx picture;
  CPresent3DFormatCtx format3d;

 private:
  // The nested contexts from the entries the shape names, every state common.
  void ResetNested();
};

PLASTRUM_API CKx2ShapeTbl<CPresentShape>& PresentShapeTable();
PLASTRUM_API int InitShapeTable();
PLASTRUM_API int32_t FreeShapeStyleTable();
