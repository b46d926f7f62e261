// Test kit: the host's property objects as the shape-format model calls them.
//
// A PropertyKit makes property objects (IKx2PropertyObject) that keep typed values by
// property identifier, child objects and array objects, count their references in the host's
// object census, record every call made on them, and can be told to refuse a property: a
// refused identifier makes SetValue answer FALSE, CreateChild or CreateArray answer null.
// Every object a kit makes, and every child and array those hand out, shares the kit's
// switches and call record.
//
// A property is present (HasValue) when it holds a value, a child object or an array.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <plastrum/HostProperty.h>

namespace vantorel::testkit {

struct PropertyKitState;

class PropertyKit {
 public:
  PropertyKit();
  ~PropertyKit();
  PropertyKit(const PropertyKit&) = delete;
  PropertyKit& operator=(const PropertyKit&) = delete;

  // The kit's first object (class code 0), owned by the kit: released when the kit goes.
  IKx2PropertyObject* root() const { return root_; }
  // A further object of the kit with one reference for the caller.
  IKx2PropertyObject* NewObject(uint32_t classCode = 0);

  void RefuseValue(uint32_t id);  // SetValue of the property answers FALSE
  void RefuseChild(uint32_t id);  // CreateChild under the property answers null
  void RefuseArray(uint32_t id);  // CreateArray under the property answers null
  void AllowAll();

  // One line per call, e.g. "SetValue 0x7000 type 6", "CreateChild 0x7001 class 0x4003".
  const std::vector<std::string>& calls() const;
  void ClearCalls();

  // Reading aids for tests (no call is recorded): the identifiers of the values an object
  // holds in ascending order, and the class code it was made with.
  static std::vector<uint32_t> ValueIds(IKx2PropertyObject* object);
  static uint32_t ClassCode(IKx2PropertyObject* object);

 private:
  std::shared_ptr<PropertyKitState> state_;
  IKx2PropertyObject* root_;
};

}  // namespace vantorel::testkit
