// What the shape-format model calls on the host's property objects: property bags of the
// host's document model into which a format value or context is stored and from which one
// is loaded. The host implements these; the model only uses them.
//
// Property identifiers are 32-bit (format field k travels as 0x7000 + k); values are
// Kx2::PropertyValue records; child objects are made with the class codes below. Every
// object or array an operation returns carries a reference that the caller releases.
#pragma once

#include <cstdint>

#include <plastrum/PropertyValue.h>
#include <plastrum/Export.h>

namespace Kx2 {

// Class codes of child objects.
enum : uint32_t {
  kPropertyClassGradient = 0x4000,
  kPropertyClassTexture = 0x4001,
  kPropertyClassHatch = 0x4002,
  kPropertyClassFill = 0x4003,
  kPropertyClassLine = 0x4004,
  kPropertyClassShadow = 0x4005,
  kPropertyClass3DFormat = 0x4006,
  kPropertyClassPicture = 0x4007,
};

// The first format field's property identifier; property 5 carries the host's mode for
// the field-map walker.
constexpr uint32_t kFormatPropertyBase = 0x7000;
constexpr uint32_t kFieldMapModeProperty = 5;

}  // namespace Kx2

// A counted list of values kept under one property.
class PLASTRUM_API IKx2PropertyArray : public IUnknown {
 public:
  virtual BOOL SetCount(int32_t count) = 0;
  virtual int32_t GetCount() = 0;
  virtual BOOL SetElement(int32_t index, const Kx2::PropertyValue& value) = 0;
  // A copy of element i in *out, which the caller clears; FALSE when there is none.
  virtual BOOL GetElement(int32_t index, Kx2::PropertyValue* out) = 0;

 protected:
  ~IKx2PropertyArray() = default;
};

class PLASTRUM_API IKx2PropertyObject : public IUnknown {
 public:
  // A copy of the value in *out, which the caller clears; FALSE when the property is absent.
  virtual BOOL GetValue(uint32_t id, Kx2::PropertyValue* out) = 0;
  // The object keeps its own copy. FALSE when it refuses the value, which ends a store.
  virtual BOOL SetValue(uint32_t id, const Kx2::PropertyValue& value) = 0;
  virtual BOOL HasValue(uint32_t id) = 0;

  // The child object kept under a property, or null.
  virtual IKx2PropertyObject* GetChild(uint32_t id) = 0;
  // A new child object of the class under a property; null ends a store with failure.
  virtual IKx2PropertyObject* CreateChild(uint32_t id, uint32_t classCode) = 0;

  virtual IKx2PropertyArray* GetArray(uint32_t id) = 0;
  virtual IKx2PropertyArray* CreateArray(uint32_t id, int32_t count) = 0;

  // The pair every store begins with: the mark one operation gives is handed straight to
  // the other before any property is written. What it means is the host's.
  virtual LONG_PTR GetStoreMark() = 0;
  virtual void SetStoreMark(LONG_PTR mark) = 0;

 protected:
  ~IKx2PropertyObject() = default;
};
