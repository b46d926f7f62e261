// The kit's property objects and array objects.
#include <vantorel/testkit_property.h>

#include <map>
#include <new>
#include <set>

#include "core/census.h"
#include "testkit_values.h"

namespace vantorel::testkit {

struct PropertyKitState {
  std::set<uint32_t> refusedValues;
  std::set<uint32_t> refusedChildren;
  std::set<uint32_t> refusedArrays;
  std::vector<std::string> calls;
  LONG_PTR nextMark = 0x51;

  void Log(std::string line) { calls.push_back(std::move(line)); }
};

namespace {

using detail::ClearValue;
using detail::CopyValue;
using detail::Hex;
using vantorel::detail::Ref;
using vantorel::detail::RefCounted;

class KitArray : public RefCounted<IKx2PropertyArray> {
 public:
  KitArray(std::shared_ptr<PropertyKitState> state, uint32_t id, int32_t count) : state_(std::move(state)), id_(id) {
    elements_.resize(static_cast<size_t>(count));
  }
  const char* Kind() const override { return "kit property array"; }

  BOOL SetCount(int32_t count) override {
    state_->Log("SetCount " + Hex(id_) + " " + std::to_string(count));
    if (count < 0 || count > 0x100000) return FALSE;
    for (size_t i = static_cast<size_t>(count); i < elements_.size(); ++i) ClearValue(elements_[i]);
    elements_.resize(static_cast<size_t>(count));
    return TRUE;
  }
  int32_t GetCount() override { return static_cast<int32_t>(elements_.size()); }
  BOOL SetElement(int32_t index, const Kx2::PropertyValue& value) override {
    state_->Log("SetElement " + Hex(id_) + " " + std::to_string(index) + " type " + std::to_string(value.type));
    if (index < 0 || static_cast<size_t>(index) >= elements_.size()) return FALSE;
    Kx2::PropertyValue copy;
    if (!CopyValue(copy, value)) return FALSE;
    ClearValue(elements_[static_cast<size_t>(index)]);
    elements_[static_cast<size_t>(index)] = copy;
    return TRUE;
  }
  BOOL GetElement(int32_t index, Kx2::PropertyValue* out) override {
    if (!out || index < 0 || static_cast<size_t>(index) >= elements_.size()) return FALSE;
    return CopyValue(*out, elements_[static_cast<size_t>(index)]) ? TRUE : FALSE;
  }

 protected:
  void Dispose() override {
    for (auto& v : elements_) ClearValue(v);
    elements_.clear();
  }

 private:
  std::shared_ptr<PropertyKitState> state_;
  uint32_t id_;
  std::vector<Kx2::PropertyValue> elements_;
};

class KitObject : public RefCounted<IKx2PropertyObject> {
 public:
  KitObject(std::shared_ptr<PropertyKitState> state, uint32_t classCode)
      : state_(std::move(state)), classCode_(classCode) {}
  const char* Kind() const override { return "kit property object"; }

  BOOL GetValue(uint32_t id, Kx2::PropertyValue* out) override {
    state_->Log("GetValue " + Hex(id));
    if (!out) return FALSE;
    auto it = values_.find(id);
    if (it == values_.end()) return FALSE;
    return CopyValue(*out, it->second) ? TRUE : FALSE;
  }
  BOOL SetValue(uint32_t id, const Kx2::PropertyValue& value) override {
    state_->Log("SetValue " + Hex(id) + " type " + std::to_string(value.type));
    if (state_->refusedValues.count(id)) return FALSE;
    Kx2::PropertyValue copy;
    if (!CopyValue(copy, value)) return FALSE;
    auto [it, fresh] = values_.try_emplace(id, Kx2::PropertyValue{});
    ClearValue(it->second);
    it->second = copy;
    return TRUE;
  }
  BOOL HasValue(uint32_t id) override {
    state_->Log("HasValue " + Hex(id));
    return values_.count(id) || children_.count(id) || arrays_.count(id);
  }
  IKx2PropertyObject* GetChild(uint32_t id) override {
    state_->Log("GetChild " + Hex(id));
    auto it = children_.find(id);
    return it == children_.end() ? nullptr : ShareOut(it->second);
  }
  IKx2PropertyObject* CreateChild(uint32_t id, uint32_t classCode) override {
    state_->Log("CreateChild " + Hex(id) + " class " + Hex(classCode));
    if (state_->refusedChildren.count(id)) return nullptr;
    auto* child = new (std::nothrow) KitObject(state_, classCode);
    if (!child) return nullptr;
    children_[id] = Ref<KitObject>(child);
    child->AddRef();
    return child;
  }
  IKx2PropertyArray* GetArray(uint32_t id) override {
    state_->Log("GetArray " + Hex(id));
    auto it = arrays_.find(id);
    return it == arrays_.end() ? nullptr : ShareOut(it->second);
  }
  IKx2PropertyArray* CreateArray(uint32_t id, int32_t count) override {
    state_->Log("CreateArray " + Hex(id) + " " + std::to_string(count));
    if (state_->refusedArrays.count(id) || count < 0 || count > 0x100000) return nullptr;
    auto* array = new (std::nothrow) KitArray(state_, id, count);
    if (!array) return nullptr;
    arrays_[id] = Ref<KitArray>(array);
    array->AddRef();
    return array;
  }
  LONG_PTR GetStoreMark() override {
    state_->Log("GetStoreMark");
    return state_->nextMark++;
  }
  void SetStoreMark(LONG_PTR mark) override { state_->Log("SetStoreMark " + std::to_string(mark)); }

  std::vector<uint32_t> ValueIds() const {
    std::vector<uint32_t> ids;
    for (const auto& [id, value] : values_) ids.push_back(id);
    return ids;
  }
  uint32_t classCode() const { return classCode_; }

 protected:
  void Dispose() override {
    // Moved out first: clearing a value may release an object that comes back here.
    auto values = std::move(values_);
    auto children = std::move(children_);
    auto arrays = std::move(arrays_);
    values_.clear(), children_.clear(), arrays_.clear();
    for (auto& [id, v] : values) ClearValue(v);
  }

 private:
  std::shared_ptr<PropertyKitState> state_;
  uint32_t classCode_;
  std::map<uint32_t, Kx2::PropertyValue> values_;
  std::map<uint32_t, Ref<KitObject>> children_;
  std::map<uint32_t, Ref<KitArray>> arrays_;
};

}  // namespace

PropertyKit::PropertyKit() : state_(std::make_shared<PropertyKitState>()), root_(new KitObject(state_, 0)) {}

PropertyKit::~PropertyKit() { root_->Release(); }

IKx2PropertyObject* PropertyKit::NewObject(uint32_t classCode) {
  return new (std::nothrow) KitObject(state_, classCode);
}

void PropertyKit::RefuseValue(uint32_t id) { state_->refusedValues.insert(id); }
void PropertyKit::RefuseChild(uint32_t id) { state_->refusedChildren.insert(id); }
void PropertyKit::RefuseArray(uint32_t id) { state_->refusedArrays.insert(id); }
void PropertyKit::AllowAll() {
  state_->refusedValues.clear();
  state_->refusedChildren.clear();
  state_->refusedArrays.clear();
}

const std::vector<std::string>& PropertyKit::calls() const { return state_->calls; }
void PropertyKit::ClearCalls() { state_->calls.clear(); }

std::vector<uint32_t> PropertyKit::ValueIds(IKx2PropertyObject* object) {
  auto* kit = dynamic_cast<KitObject*>(object);
  return kit ? kit->ValueIds() : std::vector<uint32_t>{};
}

uint32_t PropertyKit::ClassCode(IKx2PropertyObject* object) {
  auto* kit = dynamic_cast<KitObject*>(object);
  return kit ? kit->classCode() : 0;
}

}  // namespace vantorel::testkit
