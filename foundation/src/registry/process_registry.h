// The in-process registry tree behind BaseRegistry's non-zero store flag: three roots
// with keys, default texts and typed values, kept in memory for the life of the process.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include <win/registry.h>

namespace Basalt::Base::detail {

struct RegValue {
  std::u16string name;
  DWORD valueType = 0;
  std::vector<BYTE> data;
};

struct RegKey {
  std::u16string name;
  int32_t depth = 1;
  std::u16string defaultText;
  int32_t subkeyCount = 0;
  int32_t maxSubkeyNameLength = 0;
  int32_t valueCount = 0;
  int32_t maxValueNameLength = 0;
  int32_t maxValueDataLength = 0;
  std::vector<RegValue> values;  // creation order
  RegKey* parentKey = nullptr;
  std::vector<std::unique_ptr<RegKey>> children;  // creation order
  uint64_t handle = 0;                            // its entry in the handle table; 0 for a root
};

// Results: 0 success, -1 failure, ERROR_MORE_DATA for a caller's buffer that is too small.
class ProcessRegistry {
 public:
  static ProcessRegistry& Instance();

  LONG Open(HKEY key, const WCHAR* subKey, HKEY* out);
  LONG Create(HKEY key, const WCHAR* subKey, HKEY* out, DWORD* disposition);
  LONG EnumKey(HKEY key, DWORD index, WCHAR* name, DWORD cchName);
  LONG EnumValue(HKEY key, DWORD index, WCHAR* name, DWORD* cchName, DWORD* type, BYTE* data, DWORD* cbData);
  LONG QueryInfo(HKEY key, WCHAR* keyClass, DWORD* cchClass, DWORD* subKeys, DWORD* maxSubKeyLen, DWORD* values,
                 DWORD* maxValueNameLen, DWORD* maxValueLen);
  LONG QueryDefault(HKEY key, const WCHAR* subKey, WCHAR* data, LONG* cbData);
  LONG QueryValue(HKEY key, const WCHAR* valueName, DWORD* type, BYTE* data, DWORD* cbData);
  // The value as UTF-16 text (a named value's bytes, or the default text).
  LONG QueryText(HKEY key, const WCHAR* valueName, DWORD* type, std::u16string& text);
  LONG SetDefault(HKEY key, const WCHAR* subKey, const WCHAR* text);
  LONG SetValue(HKEY key, const WCHAR* valueName, DWORD type, const BYTE* data, DWORD cbData);
  LONG DeleteKey(HKEY key, const WCHAR* subKey);
  LONG DeleteValue(HKEY key, const WCHAR* valueName);
  LONG Close(HKEY key);

 private:
  RegKey* Resolve(HKEY key);
  RegKey* Walk(RegKey* from, const WCHAR* subKey);
  HKEY HandleOf(RegKey* key) const;
  static RegValue* FindValue(RegKey* key, const WCHAR* name);

  std::mutex lock_;
  std::unique_ptr<RegKey> roots_[3];
  std::unordered_map<uint64_t, RegKey*> handles_;
  uint64_t nextHandle_ = 1;
};

}  // namespace Basalt::Base::detail
