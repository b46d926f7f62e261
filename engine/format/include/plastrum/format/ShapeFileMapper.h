// The per-document identifier mapper: translates between a stored document's file
// identifiers (1-based positions in per-kind lists of format values stored with the
// document) and the process's table identifiers.
//
// It handles the eight format kinds 256..263 itself and hands every other code (shapes,
// colours and any code of the caller's own) to the caller's outer mapper unchanged.
//
//   saving:  Register every identifier used, BeginWrite, ExchangeCounts(Xml),
//            ExchangeLists(Xml), then the document's values (MapOut)
//   loading: ExchangeCounts(Xml), ExchangeLists(Xml) (every entry interned), then the
//            document's values (MapIn); destroying the mapper gives the lists' references back
//
// While a list exchange runs, the archive maps through this mapper whatever mapper it held.
#pragma once

#include <cstdint>

#include <plastrum/format/PresentUnknown.h>
#include <plastrum/format/ShapeMapper.h>
#include <plastrum/Export.h>

class PLASTRUM_API CKx2FilePresentationShapeMapper final : public CPresentUnknown<IKx2SubShapeMapperCtx> {
 public:
  static constexpr int kListCount = 13;
  // Lists grow by this many items at a time.
  static constexpr int32_t kGrowStep = 256;

  // A list of 32-bit items in storage from malloc/realloc: writing, the registered table
  // identifiers sorted ascending without duplicates; reading, the table identifier each
  // stored entry was interned to, in file order (-1 where interning failed).
  struct RemapList {
    uint32_t* items = nullptr;
    int32_t count = 0;

    RemapList() = default;
    RemapList(const RemapList&) = delete;
    RemapList& operator=(const RemapList&) = delete;
    ~RemapList() { Free(); }

    // Appends an item; false (error 2 set, thrown in throw mode) when the list cannot grow.
    bool Append(uint32_t item);
    // Inserts a key at its sorted place unless it is there; false when the list cannot grow.
    bool Insert(uint32_t key);
    // The position of the key, or -1 with *insertAt the first position whose item is greater.
    int32_t Find(uint32_t key, int32_t* insertAt) const;
    void Free();

   private:
    bool Reserve();
  };

  explicit CKx2FilePresentationShapeMapper(IKx2ShapeMapperCtx* outer) : outer_(outer) {}
  ~CKx2FilePresentationShapeMapper();
  CKx2FilePresentationShapeMapper(const CKx2FilePresentationShapeMapper&) = delete;
  CKx2FilePresentationShapeMapper& operator=(const CKx2FilePresentationShapeMapper&) = delete;

  IKx2ShapeMapperCtx* GetMapper(int32_t which) override;
  // Counters by the low 8 bits of the code; codes past the 13 counters read 0 and are not
  // stored.
  int32_t GetCount(uint32_t code) override;
  void SetCount(uint32_t code, int32_t value) override;
  uint32_t MapIn(int32_t code, int32_t fileId) override;
  int32_t MapOut(int32_t code, uint32_t tableId) override;
  void Reserved(int32_t, int32_t) override {}
  int32_t Register(uint32_t code, uint32_t tableId) override;
  void BeginWrite() override;
  // The 13 counters as 52 bytes straight in the byte store, outside any record.
  int ExchangeCounts(CKx2DataBlock* archive) override;
  int ExchangeLists(CKx2DataBlock* archive, IKx2StepSink* sink) override;
  int ExchangeCountsXml(ShapeXmlArchive* archive) override;
  int ExchangeListsXml(ShapeXmlArchive* archive, IKx2StepSink* sink) override;

  enum : uint32_t { kModeNew = 0, kModeReading = 1, kModeWriting = 2 };
  uint32_t Mode() const { return mode_ & 3; }
  const RemapList& List(int index) const { return lists_[index]; }

 private:
  bool IsOwnKind(int64_t code) const { return code >= 256 && code <= 263; }
  void BeginRead() { mode_ = (mode_ & ~2u) | 1u; }
  template <class Value>
  int ReadList(CKx2DataBlock& archive, int k, IKx2StepSink* sink);
  template <class Value>
  int WriteList(CKx2DataBlock& archive, int k, IKx2StepSink* sink);
  template <class Value>
  int ReadListXml(ShapeXmlArchive& archive, int k, const char16_t* listName, IKx2StepSink* sink);
  template <class Value>
  void WriteListXml(ShapeXmlArchive& archive, int k, const char16_t* listName, IKx2StepSink* sink);

  IKx2ShapeMapperCtx* outer_;
  uint32_t mode_ = kModeNew;
  int32_t counts_[kListCount] = {};
  RemapList lists_[kListCount];
};
