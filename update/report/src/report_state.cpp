// The report's registry state under the launcher's key: "RunCount" and "LastestRun".
#include <cstring>

#include <fennic/Report.h>
#include <kx2/Registry.h>
#include <kx2/Utf.h>
#include <win/registry.h>

namespace fennic {

namespace {

constexpr size_t kDateLength = 8;

// The reads of one value: opening the key and querying it in one registry transaction.
class ReadGroup {
 public:
  ReadGroup() : open_(Kx2RegBeginRead(HKEY_CURRENT_USER) == ERROR_SUCCESS) {}
  ~ReadGroup() {
    if (open_) Kx2RegEndUpdate(HKEY_CURRENT_USER, TRUE);
  }
  ReadGroup(const ReadGroup&) = delete;
  ReadGroup& operator=(const ReadGroup&) = delete;

 private:
  bool open_;
};

class Key {
 public:
  Key(const ReportArguments& args, bool write) {
    std::u16string name = ReportKeyName(args);
    if (write)
      RegCreateKeyExW(HKEY_CURRENT_USER, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    else
      RegOpenKeyExW(HKEY_CURRENT_USER, name.c_str(), 0, KEY_READ, &key_);
  }
  ~Key() {
    if (key_) RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

DWORD RunCountOf(HKEY key) {
  DWORD type = 0, value = 0, size = sizeof value;
  if (!key ||
      RegQueryValueExW(key, u"RunCount", nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size) != ERROR_SUCCESS)
    return 0;
  return type == REG_DWORD && size == sizeof value ? value : 0;
}

// "RunCount" lowered from `now` by what was sent, and today's date, into an open key.
bool WriteRecord(HKEY key, DWORD now, DWORD sent) {
  DWORD left = now > sent ? now - sent : 0;
  std::u16string date = kx2::Utf8ToUtf16(Today());
  return RegSetValueExW(key, u"RunCount", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&left), sizeof left) ==
             ERROR_SUCCESS &&
         RegSetValueExW(key, u"LastestRun", 0, REG_SZ, reinterpret_cast<const BYTE*>(date.data()),
                        static_cast<DWORD>(date.size() * sizeof(char16_t))) == ERROR_SUCCESS;
}

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

std::u16string ReportKeyName(const ReportArguments& args) {
  return u"Software\\" + kx2::Utf8ToUtf16(args.product) + u"\\Fennic\\" + kx2::Utf8ToUtf16(args.version) + u"_" +
         kx2::Utf8ToUtf16(args.language) + u"_" + kx2::Utf8ToUtf16(args.type);
}

std::string ReadLastestRun(const ReportArguments& args) {
  ReadGroup group;
  Key key(args, false);
  if (!key.Get()) return "";
  // Stored as eight UTF-16 characters without a terminator: read by its byte count.
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key.Get(), u"LastestRun", nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return "";
  if (type != REG_SZ || size != kDateLength * sizeof(char16_t)) return "";
  char16_t text[kDateLength];
  if (RegQueryValueExW(key.Get(), u"LastestRun", nullptr, &type, reinterpret_cast<LPBYTE>(text), &size) !=
          ERROR_SUCCESS ||
      size != sizeof text)
    return "";
  return kx2::Utf16ToUtf8(std::u16string_view(text, kDateLength));
}

bool ReportedToday(const ReportArguments& args) { return EqualsIgnoringCase(ReadLastestRun(args), Today()); }

DWORD ReadRunCount(const ReportArguments& args) {
  ReadGroup group;
  Key key(args, false);
  return RunCountOf(key.Get());
}

void RecordReport(const ReportArguments& args, DWORD sent) {
  bool inUpdate = Kx2RegBeginUpdate(HKEY_CURRENT_USER) == ERROR_SUCCESS;
  bool written = false;
  {
    Key key(args, true);
    if (key.Get()) written = WriteRecord(key.Get(), RunCountOf(key.Get()), sent);
  }
  if (inUpdate) Kx2RegEndUpdate(HKEY_CURRENT_USER, written ? TRUE : FALSE);
}

ReportRecord::ReportRecord(const ReportArguments& args) : args_(args) {
  open_ = Kx2RegBeginDeferredUpdate(HKEY_CURRENT_USER) == ERROR_SUCCESS;
  // Opened for the record as well: a count above 0 means the key is there to write to.
  RegOpenKeyExW(HKEY_CURRENT_USER, ReportKeyName(args).c_str(), 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key_);
  count_ = RunCountOf(key_);
}

ReportRecord::~ReportRecord() {
  if (key_) RegCloseKey(key_);
  if (open_) Kx2RegEndUpdate(HKEY_CURRENT_USER, FALSE);
}

void ReportRecord::Record(DWORD sent) {
  bool kept = false;
  if (open_) {
    // The first write takes the write lock, and fails when the hive changed since the count
    // was read (the launcher counted a run meanwhile): the whole is then done again.
    const bool written = key_ && WriteRecord(key_, count_, sent);
    kept = Kx2RegEndUpdate(HKEY_CURRENT_USER, written ? TRUE : FALSE) == ERROR_SUCCESS && written;
    open_ = false;
  }
  if (key_) RegCloseKey(key_);
  key_ = nullptr;
  if (!kept) RecordReport(args_, sent);
}

}  // namespace fennic
