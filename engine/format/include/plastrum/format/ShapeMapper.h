// The identifier mappers that translate between a stored document's file identifiers and
// the process's table identifiers, and the step sink the mapper reports progress to.
//
// The outer mapper belongs to the caller (the host); the engine makes the inner, per-file
// mapper for each save or load and hands every kind code outside the eight format kinds
// (256..263) to the outer one. A record archive carries the mapper of its save or load as
// its context; the kinds ask it for GetMapper(1).
#pragma once

#include <cstdint>

#include <win/ole.h>
#include <win/types.h>
#include <plastrum/Export.h>

class CKx2DataBlock;
struct ShapeXmlArchive;

class PLASTRUM_API IKx2ShapeMapperCtx : public IUnknown {
 public:
  // 0: the outer mapper, 1: this mapper, anything else: null.
  virtual IKx2ShapeMapperCtx* GetMapper(int32_t which) = 0;  // 3
  virtual int32_t GetCount(uint32_t code) = 0;               // 4
  virtual void SetCount(uint32_t code, int32_t value) = 0;   // 5
  // File identifier to table identifier (0 when unknown).
  virtual uint32_t MapIn(int32_t code, int32_t fileId) = 0;  // 6
  // Table identifier to file identifier (0 when unknown).
  virtual int32_t MapOut(int32_t code, uint32_t tableId) = 0;  // 7
  virtual void Reserved(int32_t first, int32_t second) = 0;    // 8
  // Adds a table identifier to the set a save writes; the result means nothing.
  virtual int32_t Register(uint32_t code, uint32_t tableId) = 0;  // 9

 protected:
  ~IKx2ShapeMapperCtx() = default;
};

// Receives one step per list entry the mapper writes or reads.
class PLASTRUM_API IKx2StepSink {
 public:
  virtual int32_t Reserved0(int32_t value) = 0;  // 0
  virtual int32_t Step(int32_t units) = 0;       // 1: the mapper passes 2

 protected:
  ~IKx2StepSink() = default;
};

// The per-file mapper the engine makes.
class PLASTRUM_API IKx2SubShapeMapperCtx : public IKx2ShapeMapperCtx {
 public:
  virtual void BeginWrite() = 0;                                                   // 10
  virtual int ExchangeCounts(CKx2DataBlock* archive) = 0;                          // 11
  virtual int ExchangeLists(CKx2DataBlock* archive, IKx2StepSink* sink) = 0;       // 12
  virtual int ExchangeCountsXml(ShapeXmlArchive* archive) = 0;                     // 13
  virtual int ExchangeListsXml(ShapeXmlArchive* archive, IKx2StepSink* sink) = 0;  // 14

 protected:
  ~IKx2SubShapeMapperCtx() = default;
};
