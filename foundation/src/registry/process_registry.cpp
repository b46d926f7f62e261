// The in-process registry tree. See process_registry.h.
#include "process_registry.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace Basalt::Base::detail {
namespace {

constexpr LONG kFailed = -1;
// Key names pass through 260-unit buffers.
constexpr size_t kMaxKeyNameUnits = 259;
// Handles of the tree's own keys: far from null and from the predefined roots.
constexpr uintptr_t kHandleBase = 0x4B580000;

const HKEY kRootHandles[3] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};
const char16_t* const kRootNames[3] = {u"HKEY_CLASSES_ROOT", u"HKEY_CURRENT_USER", u"HKEY_LOCAL_MACHINE"};

char16_t Upper(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }

bool SameKeyName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Upper(a[i]) != Upper(b[i])) return false;
  return true;
}

// The components of a key path; empty components are skipped.
std::vector<std::u16string_view> Components(const WCHAR* path) {
  std::vector<std::u16string_view> parts;
  if (!path) return parts;
  std::u16string_view rest(path);
  while (!rest.empty()) {
    size_t cut = rest.find(u'\\');
    std::u16string_view part = rest.substr(0, cut);
    if (!part.empty()) parts.push_back(part);
    if (cut == std::u16string_view::npos) break;
    rest.remove_prefix(cut + 1);
  }
  return parts;
}

RegKey* Child(RegKey* key, std::u16string_view name) {
  for (auto& c : key->children)
    if (SameKeyName(c->name, name)) return c.get();
  return nullptr;
}

bool IsDefaultName(const WCHAR* name) { return !name || !*name; }

int32_t Larger(int32_t a, size_t b) { return b > static_cast<size_t>(a) ? static_cast<int32_t>(b) : a; }

}  // namespace

ProcessRegistry& ProcessRegistry::Instance() {
  static ProcessRegistry registry;
  return registry;
}

RegKey* ProcessRegistry::Resolve(HKEY key) {
  for (int i = 0; i < 3; ++i) {
    if (key != kRootHandles[i]) continue;
    if (!roots_[i]) {
      roots_[i] = std::make_unique<RegKey>();
      roots_[i]->name = kRootNames[i];
    }
    return roots_[i].get();
  }
  auto v = reinterpret_cast<uintptr_t>(key);
  if (v <= kHandleBase) return nullptr;
  auto it = handles_.find(static_cast<uint64_t>(v - kHandleBase));
  return it == handles_.end() ? nullptr : it->second;
}

HKEY ProcessRegistry::HandleOf(RegKey* key) const {
  if (!key->parentKey) {
    for (int i = 0; i < 3; ++i)
      if (roots_[i].get() == key) return kRootHandles[i];
  }
  return reinterpret_cast<HKEY>(kHandleBase + static_cast<uintptr_t>(key->handle));
}

RegKey* ProcessRegistry::Walk(RegKey* from, const WCHAR* subKey) {
  RegKey* key = from;
  for (std::u16string_view part : Components(subKey)) {
    key = key ? Child(key, part) : nullptr;
    if (!key) return nullptr;
  }
  return key;
}

RegValue* ProcessRegistry::FindValue(RegKey* key, const WCHAR* name) {
  std::u16string_view wanted(name);
  for (RegValue& v : key->values)
    if (v.name == wanted) return &v;
  return nullptr;
}

LONG ProcessRegistry::Open(HKEY key, const WCHAR* subKey, HKEY* out) {
  std::lock_guard<std::mutex> hold(lock_);
  RegKey* k = Walk(Resolve(key), subKey);
  if (!k || !out) return kFailed;
  *out = HandleOf(k);
  return 0;
}

LONG ProcessRegistry::Create(HKEY key, const WCHAR* subKey, HKEY* out, DWORD* disposition) {
  std::lock_guard<std::mutex> hold(lock_);
  RegKey* k = Resolve(key);
  if (!k || !out) return kFailed;
  std::vector<std::u16string_view> parts = Components(subKey);
  for (std::u16string_view part : parts)
    if (part.size() > kMaxKeyNameUnits) return kFailed;
  bool created = false;
  for (std::u16string_view part : parts) {
    if (RegKey* existing = Child(k, part)) {
      k = existing;
      continue;
    }
    auto child = std::make_unique<RegKey>();
    child->name.assign(part);
    child->depth = k->depth + 1;
    child->parentKey = k;
    child->handle = nextHandle_++;
    handles_[child->handle] = child.get();
    k->children.push_back(std::move(child));
    k->subkeyCount++;
    k->maxSubkeyNameLength = Larger(k->maxSubkeyNameLength, part.size());
    k = k->children.back().get();
    created = true;
  }
  *out = HandleOf(k);
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  return 0;
}

LONG ProcessRegistry::EnumKey(HKEY key, DWORD index, WCHAR* name, DWORD cchName) {
  std::lock_guard<std::mutex> hold(lock_);
  RegKey* k = Resolve(key);
  if (!k || index >= k->children.size() || !name) return kFailed;
  const std::u16string& n = k->children[index]->name;
  if (n.size() + 1 > cchName) return ERROR_MORE_DATA;
  std::memcpy(name, n.c_str(), (n.size() + 1) * sizeof(WCHAR));
  return 0;
}

LONG ProcessRegistry::EnumValue(HKEY key, DWORD index, WCHAR* name, DWORD* cchName, DWORD* type, BYTE* data,
                                DWORD* cbData) {
  std::lock_guard<std::mutex> hold(lock_);
  RegKey* k = Resolve(key);
  if (!k || index >= k->values.size() || !name || !cchName) return kFailed;
  const RegValue& v = k->values[index];
  if (type) *type = v.valueType;
  if (v.name.size() + 1 > *cchName) return kFailed;
  if (data && !cbData) return kFailed;
  if (cbData) {
    if (*cbData < v.data.size()) return kFailed;
    *cbData = static_cast<DWORD>(v.data.size());
    if (data && !v.data.empty()) std::memcpy(data, v.data.data(), v.data.size());
  }
  std::memcpy(name, v.name.c_str(), (v.name.size() + 1) * sizeof(WCHAR));
  return 0;
}

LONG ProcessRegistry::QueryInfo(HKEY key, WCHAR* keyClass, DWORD* cchClass, DWORD* subKeys, DWORD* maxSubKeyLen,
                                DWORD* values, DWORD* maxValueNameLen, DWORD* maxValueLen) {
  std::lock_guard<std::mutex> hold(lock_);
  RegKey* k = Resolve(key);
  if (!k) return kFailed;
  if (keyClass && (!cchClass || *cchClass > 0)) keyClass[0] = 0;
  if (subKeys) *subKeys = static_cast<DWORD>(k->subkeyCount);
  if (maxSubKeyLen) *maxSubKeyLen = static_cast<DWORD>(k->maxSubkeyNameLength);
  if (values) *values = static_cast<DWORD>(k->valueCount);
  if (maxValueNameLen) *maxValueNameLen = static_cast<DWORD>(k->maxValueNameLength);
  if (maxValueLen) *maxValueLen = static_cast<DWORD>(k->maxValueDataLength);
  return 0;
}

LONG ProcessRegistry::QueryDefault(HKEY key, const WCHAR* subKey, WCHAR* data, LONG* cbData) {
  std::lock_guard<std::mutex> hold(lock_);
  RegKey* k = Walk(Resolve(key), subKey);
  if (!k || (data && !cbData)) return kFailed;
  const std::u16string& text = k->defaultText;
  if (data) {
    if (*cbData < 0 || static_cast<size_t>(*cbData) < (text.size() + 1) * sizeof(WCHAR)) {
      *cbData = static_cast<LONG>(text.size());
      return ERROR_MORE_DATA;
    }
    std::memcpy(data, text.c_str(), (text.size() + 1) * sizeof(WCHAR));
  }
  if (cbData) *cbData = static_cast<LONG>(text.size());
  return text.empty() ? kFailed : 0;
}

LONG ProcessRegistry::QueryValue(HKEY key, const WCHAR* valueName, DWORD* type, BYTE* data, DWORD* cbData) {
  std::lock_guard<std::mutex> hold(lock_);
  RegKey* k = Resolve(key);
  if (!k || (data && !cbData)) return kFailed;
  if (IsDefaultName(valueName)) {
    // The default text: its length comes back in units.
    const std::u16string& text = k->defaultText;
    if (text.empty()) return kFailed;
    if (type) *type = REG_SZ;
    if (data) {
      if (*cbData < (text.size() + 1) * sizeof(WCHAR)) {
        *cbData = static_cast<DWORD>(text.size());
        return ERROR_MORE_DATA;
      }
      std::memcpy(data, text.c_str(), (text.size() + 1) * sizeof(WCHAR));
    }
    if (cbData) *cbData = static_cast<DWORD>(text.size());
    return 0;
  }
  RegValue* v = FindValue(k, valueName);
  if (!v) return kFailed;
  if (type) *type = v->valueType;
  if (data) {
    if (*cbData < v->data.size()) {
      *cbData = static_cast<DWORD>(v->data.size());
      return ERROR_MORE_DATA;
    }
    if (!v->data.empty()) std::memcpy(data, v->data.data(), v->data.size());
  }
  if (cbData) *cbData = static_cast<DWORD>(v->data.size());
  return 0;
}

LONG ProcessRegistry::QueryText(HKEY key, const WCHAR* valueName, DWORD* type, std::u16string& text) {
  std::lock_guard<std::mutex> hold(lock_);
  RegKey* k = Resolve(key);
  if (!k) return kFailed;
  if (IsDefaultName(valueName)) {
    if (k->defaultText.empty()) return kFailed;
    if (type) *type = REG_SZ;
    text = k->defaultText;
    return 0;
  }
  RegValue* v = FindValue(k, valueName);
  if (!v) return kFailed;
  if (type) *type = v->valueType;
  text.assign(reinterpret_cast<const char16_t*>(v->data.data()), v->data.size() / sizeof(char16_t));
  return 0;
}

LONG ProcessRegistry::SetDefault(HKEY key, const WCHAR* subKey, const WCHAR* text) {
  std::lock_guard<std::mutex> hold(lock_);
  RegKey* k = Walk(Resolve(key), subKey);
  if (!k) return kFailed;
  k->defaultText = text ? text : u"";
  return 0;
}

LONG ProcessRegistry::SetValue(HKEY key, const WCHAR* valueName, DWORD type, const BYTE* data, DWORD cbData) {
  std::lock_guard<std::mutex> hold(lock_);
  RegKey* k = Resolve(key);
  if (!k || (!data && cbData)) return kFailed;
  if (IsDefaultName(valueName)) {
    // A zero-terminated text, read no further than the bytes given.
    std::u16string text;
    for (DWORD i = 0; i + 2 <= cbData; i += 2) {
      char16_t c;
      std::memcpy(&c, data + i, sizeof c);
      if (!c) break;
      text += c;
    }
    k->defaultText = std::move(text);
    return 0;
  }
  std::vector<BYTE> bytes(data, data + cbData);
  if (RegValue* v = FindValue(k, valueName)) {
    if (v->valueType != type) return kFailed;  // a value keeps its type
    v->data = std::move(bytes);
    return 0;
  }
  RegValue v;
  v.name = valueName;
  v.valueType = type;
  v.data = std::move(bytes);
  k->values.push_back(std::move(v));
  k->valueCount++;
  k->maxValueNameLength = Larger(k->maxValueNameLength, k->values.back().name.size());
  k->maxValueDataLength = Larger(k->maxValueDataLength, cbData);
  return 0;
}

LONG ProcessRegistry::DeleteKey(HKEY key, const WCHAR* subKey) {
  std::lock_guard<std::mutex> hold(lock_);
  RegKey* k = Walk(Resolve(key), subKey);
  if (!k || !k->parentKey || !k->children.empty()) return kFailed;  // roots stay
  RegKey* parent = k->parentKey;
  handles_.erase(k->handle);
  auto& kids = parent->children;
  kids.erase(std::find_if(kids.begin(), kids.end(), [&](const auto& c) { return c.get() == k; }));
  parent->subkeyCount--;
  return 0;
}

LONG ProcessRegistry::DeleteValue(HKEY key, const WCHAR* valueName) {
  std::lock_guard<std::mutex> hold(lock_);
  RegKey* k = Resolve(key);
  if (!k) return kFailed;
  if (IsDefaultName(valueName)) {
    if (k->defaultText.empty()) return kFailed;
    k->defaultText.clear();
    return 0;
  }
  RegValue* v = FindValue(k, valueName);
  if (!v) return kFailed;
  k->values.erase(k->values.begin() + (v - k->values.data()));
  k->valueCount--;
  return 0;
}

LONG ProcessRegistry::Close(HKEY key) {
  std::lock_guard<std::mutex> hold(lock_);
  return Resolve(key) ? 0 : kFailed;
}

}  // namespace Basalt::Base::detail
