// The engine's shape handler: the host's way into the process-wide shape table (kind 264).
// It keeps no state of its own; identifiers follow the table's rules (0 none, -1 invalid,
// beyond the count reads entry 0, the fixed entries are never counted).
#pragma once

#include <cstdint>

#include <plastrum/format/PresentUnknown.h>
#include <plastrum/Export.h>

class CPresentShape;

class IPresentShapeHandler : public IUnknown {
 public:
  virtual int32_t Reserved3() = 0;             // 3: answers 0
  virtual BOOL Reserved4(LONG_PTR value) = 0;  // 4: answers FALSE
  // The table entry of an identifier (beyond the count: entry 0); null while the table is
  // empty.
  virtual CPresentShape* GetShape(int32_t id) = 0;  // 5
  // The identifier of an equal entry with one more reference, or of a new entry holding
  // the value; -1 when the table cannot grow or the value is null.
  virtual int32_t InternShape(CPresentShape* shape) = 0;  // 6
  // A new tentative entry; -1 on failure.
  virtual int32_t NewShapeSlot() = 0;  // 7
  // Fills a tentative entry; -1 when it is not one or the value is null.
  virtual int32_t ReplaceShape(int32_t id, CPresentShape* shape) = 0;  // 8
  virtual void ReleaseShape(int32_t id) = 0;                           // 9
  virtual void AddRefShape(int32_t id) = 0;                            // 10

 protected:
  ~IPresentShapeHandler() = default;
};

class PLASTRUM_API CPresentShapeHandler final : public CPresentUnknown<IPresentShapeHandler> {
 public:
  int32_t Reserved3() override { return 0; }
  BOOL Reserved4(LONG_PTR) override { return FALSE; }
  CPresentShape* GetShape(int32_t id) override;
  int32_t InternShape(CPresentShape* shape) override;
  int32_t NewShapeSlot() override;
  int32_t ReplaceShape(int32_t id, CPresentShape* shape) override;
  void ReleaseShape(int32_t id) override;
  void AddRefShape(int32_t id) override;
};
