// The tagged value record that carries shape-format values to and from the host's property
// objects, and its release.
//
// Laid out like an OLE VARIANT with one extra word, as the host reads it: 20 bytes on
// 32-bit Windows, 24 here because the owner word carries a pointer.
#pragma once

#include <cstddef>
#include <cstdint>

#include <win/ole.h>
#include <win/types.h>
#include <plastrum/Export.h>

// The object that issued the key of a value of type 0x8002 (picture data in the host's
// binary-data store): clearing the value hands the key back through ReleaseReference.
class PLASTRUM_API IKx2ReferenceOwner : public IUnknown {
 public:
  virtual LONG_PTR Reserved3() = 0;  // 3
  // A key holding `value` (for a key of this owner, the same key with one more reference).
  virtual ULONG_PTR AddReference(ULONG_PTR value) = 0;  // 4
  virtual LONG_PTR Reserved5() = 0;                     // 5
  // Drops one reference to a key; FALSE for a key this owner does not know.
  virtual BOOL ReleaseReference(ULONG_PTR key) = 0;  // 6

 protected:
  ~IKx2ReferenceOwner() = default;
};

namespace Kx2 {

// Value types.
enum : uint16_t {
  kValueEmpty = 0,
  kValueText = 1,  // BSTR, freed with SysFreeString
  kValueInt8 = 2,
  kValueInt16 = 3,
  kValueInt32 = 4,
  kValueLong = 5,
  kValueUInt8 = 6,
  kValueUInt16 = 7,
  kValueUInt32 = 8,
  kValueULong = 9,
  kValueInt64 = 10,
  kValueUInt64 = 11,  // a colour reference travels as two 32-bit words
  kValueFloat = 12,
  kValueDouble = 13,
  kValueBlock16 = 14,  // pointer to a 16-byte block from new, released with delete
  kValueUnknown = 0x8000,
  kValueDispatch = 0x8001,
  kValueReference = 0x8002,  // key issued by `owner`
};

enum : uint16_t { kValueNotOwned = 0x0001 };

// A 16-byte block of a value of type 14.
struct PLASTRUM_API ValueBlock16 {
  uint8_t bytes[16];
};

struct PLASTRUM_API PropertyValue {
  uint16_t type;
  uint16_t flags;     // bit 0: the record does not own its payload
  uint32_t reserved;  // untouched
  union {
    uint64_t u64;
    int32_t i32;
    uint32_t u32;
    uint32_t words[2];
    float f32;
    double f64;
    BSTR text;
    ValueBlock16* block;
    IUnknown* iface;
    ULONG_PTR key;
  };
  IKx2ReferenceOwner* owner;  // type 0x8002 only

  // Releases what the record owns (unless flags bit 0 says it owns nothing), then empties
  // it: type, flags, payload and owner become 0. Clearing twice is harmless.
  void Clear();
};

static_assert(sizeof(PropertyValue) == 24, "20 bytes on Win32, 24 with a pointer-sized owner");
static_assert(offsetof(PropertyValue, flags) == 2 && offsetof(PropertyValue, reserved) == 4 &&
                  offsetof(PropertyValue, u64) == 8 && offsetof(PropertyValue, owner) == 16,
              "the host reads the record by this layout");

// Clears the record when it leaves scope, also when an exception leaves the scope.
class PLASTRUM_API ScopedPropertyValue {
 public:
  ScopedPropertyValue() : value_{} {}
  ~ScopedPropertyValue() { value_.Clear(); }
  ScopedPropertyValue(const ScopedPropertyValue&) = delete;
  ScopedPropertyValue& operator=(const ScopedPropertyValue&) = delete;
  PropertyValue* operator->() { return &value_; }
  PropertyValue& operator*() { return value_; }
  PropertyValue* get() { return &value_; }

 private:
  PropertyValue value_;
};

}  // namespace Kx2
