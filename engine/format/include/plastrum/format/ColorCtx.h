// The engine's colour service: it interns colour modifier sets from the host's property
// objects into the colour table, hands entries out, and adds and drops colour-table
// references for the host. A colour reference passed by value travels as its two words.
#pragma once

#include <cstdint>

#include <plastrum/format/ColorRef.h>
#include <plastrum/format/PresentUnknown.h>
#include <plastrum/HostProperty.h>
#include <plastrum/Export.h>

class CKx2DataBlock;
class IKx2SubShapeMapperCtx;
class IPresentColor;
struct ShapeXmlArchive;

class PLASTRUM_API IPresentColorCtx : public IUnknown {
 public:
  // Reads a colour modifier set from the host object and interns it: the identifier (with
  // one reference) in *id and TRUE; FALSE (id untouched) when it cannot be read or interned.
  virtual BOOL InternColor(int32_t* id, IKx2PropertyObject* host) = 0;  // 3
  // The entry of an identifier (beyond the table: entry 0); null for 0 and -1.
  virtual IPresentColor* GetColor(int32_t id) = 0;  // 4
  // Exports the entry's fields to a host property sink; FALSE when there is no entry.
  virtual BOOL ResolveColor(int32_t id, IKx2PropertyObject* sink) = 0;  // 5
  // Registers the reference's colour identifier (when not 0) with the mapper under 265.
  virtual void RemapColor(IKx2SubShapeMapperCtx* mapper, uint32_t value, uint32_t second) = 0;  // 6
  // The reference through the mapped record form (identifier mapped under 265).
  virtual BOOL ArchiveColorRef(CKx2DataBlock* archive, PresentColorRef* ref) = 0;  // 7
  // The reference through the XML form under an element of the given name.
  virtual BOOL XmlColorRef(ShapeXmlArchive* archive, const char16_t* name, PresentColorRef* ref) = 0;  // 8
  // The reference through the unmapped record form; reading overwrites *ref only on success.
  virtual BOOL ArchiveColorValue(CKx2DataBlock* archive, PresentColorRef* ref) = 0;  // 9
  // Counts one more, or one less, reference on the reference's colour identifier (none for
  // 0 and the fixed entries).
  virtual void AddRefColor(uint32_t value, uint32_t second) = 0;   // 10
  virtual void ReleaseColor(uint32_t value, uint32_t second) = 0;  // 11

 protected:
  ~IPresentColorCtx() = default;
};

class PLASTRUM_API CPresentColorCtx : public CPresentUnknown<IPresentColorCtx> {
 public:
  CPresentColorCtx() = default;
  ~CPresentColorCtx() = default;

  BOOL InternColor(int32_t* id, IKx2PropertyObject* host) override;
  IPresentColor* GetColor(int32_t id) override;
  BOOL ResolveColor(int32_t id, IKx2PropertyObject* sink) override;
  void RemapColor(IKx2SubShapeMapperCtx* mapper, uint32_t value, uint32_t second) override;
  BOOL ArchiveColorRef(CKx2DataBlock* archive, PresentColorRef* ref) override;
  BOOL XmlColorRef(ShapeXmlArchive* archive, const char16_t* name, PresentColorRef* ref) override;
  BOOL ArchiveColorValue(CKx2DataBlock* archive, PresentColorRef* ref) override;
  void AddRefColor(uint32_t value, uint32_t second) override;
  void ReleaseColor(uint32_t value, uint32_t second) override;
};
