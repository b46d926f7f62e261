// Filling, reading and clearing the PropertyValue records through which the importers set
// the properties of host model objects, and the holder of one host object.
//
// A record filled here owns its payload (a system string, a GUID block, an interface
// reference or a key of its owner) until ClearPropertyValue; the importers clear every
// record after the set call, whatever its result, so the host copies what it keeps.
#pragma once

#include <vantorel/model_interfaces.h>
#include <vantorel/property_value.h>

// Empty payload of a type.
BOOL InitPropertyValue(PropertyValue* value, WORD type);
// A 32-bit payload (the two forms are the same operation).
BOOL InitPropertyValue(PropertyValue* value, WORD type, LONG payload);
BOOL InitPropertyValue(PropertyValue* value, WORD type, DWORD payload);
// A 64-bit payload: low word, then high word.
BOOL InitPropertyValue(PropertyValue* value, WORD type, DWORD low, DWORD high);
// Type 1 with a new system string; FALSE (record untouched) when it cannot be allocated.
BOOL InitPropertyString(PropertyValue* value, LPCWSTR text);
// Type 14 with a new 16-byte copy; FALSE (record untouched) when it cannot be allocated.
BOOL InitPropertyGuid(PropertyValue* value, REFGUID guid);
// Type 0x8002. FALSE for a null owner. With `raw` 0 and a non-zero value the payload is
// the key the owner gives for the value (slot 4), otherwise the value itself.
BOOL InitPropertyObject(PropertyValue* value, ULONG_PTR payload, IVtlKeyOwner* owner, BOOL raw);
// Type, payload and owner 0; frees nothing.
void ResetPropertyValue(PropertyValue* value);
// Frees the payload by its type unless flags bit 0 is set, then zeroes the record.
void ClearPropertyValue(PropertyValue* value);
// The payload of types 2 to 9; 0 for any other type.
LONG GetPropertyInt32(const PropertyValue* value);

// Code-unit order of two terminated texts (null counts as empty): -1, 0 or 1.
int CompareWide(LPCWSTR a, LPCWSTR b);
bool EqualWide(LPCWSTR a, LPCWSTR b);

// Holds one host object (a model object or a list object) and sets its properties. The
// holder owns one reference: assigning another object releases the previous one.
class PropertyHolder {
 public:
  PropertyHolder() = default;
  explicit PropertyHolder(IVtlObject* adopted) : object_(adopted) {}
  ~PropertyHolder();
  PropertyHolder(const PropertyHolder&) = delete;
  PropertyHolder& operator=(const PropertyHolder&) = delete;
  // Takes over the caller's reference.
  PropertyHolder& operator=(IVtlObject* adopted);

  IVtlObject* Get() const { return object_; }
  IVtlObject* operator->() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }
  // Gives the reference to the caller.
  IVtlObject* Detach();

  // Set through the object's set slot (12); the local record is cleared afterwards.
  BOOL SetPropertyValue(USHORT id, WORD type, DWORD payload);
  BOOL SetPropertyValue(USHORT id, WORD type, DWORD low, DWORD high);
  BOOL SetPropertyString(USHORT id, LPCWSTR text);
  BOOL SetPropertyGuid(USHORT id, REFGUID guid);
  BOOL SetPropertyObject(USHORT id, ULONG_PTR raw, IVtlKeyOwner* owner);
  // The key of a 0x8002 property (0 when the get fails or the type differs).
  ULONG_PTR GetPropertyObjectKey(USHORT id);
  // The stored record's integer (types 2 to 9), 0 when absent.
  LONG GetPropertyInt(USHORT id);

  // The same setters for a list object, whose set slot is 7 (element index, record).
  BOOL SetElementString(LONG index, LPCWSTR text);
  BOOL SetElementGuid(LONG index, REFGUID guid);
  BOOL SetElementObject(LONG index, ULONG_PTR raw, IVtlKeyOwner* owner);

  // Forwarders to the object's slots 7, 8, 9, 12 and 18.
  BOOL SetListElement(LONG index, const PropertyValue* value);
  BOOL GetProperty(USHORT id, PropertyValue* out);
  const PropertyValue* GetPropertyRecord(USHORT id);
  BOOL SetProperty(USHORT id, const PropertyValue* value);
  BOOL RemoveProperty(USHORT id);

 private:
  BOOL Set(USHORT id, PropertyValue* filled);
  BOOL SetElement(LONG index, PropertyValue* filled);

  IVtlObject* object_ = nullptr;
};
