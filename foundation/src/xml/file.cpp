// XML files: a tree to and from a UTF-16LE file without a byte-order mark, through the
// platform's file API. Saving writes a temporary file beside the target and renames it
// over the target only once the whole text is on disk, so a failed save leaves the old
// file as it was.
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>

#include <basalt/error.h>
#include <basalt/xml/node.h>
#include <win/fileapi.h>

#include "xml_guard.h"
#include "xml_writer.h"

namespace Basalt::XMLDom {
namespace {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "files hold UTF-16LE: units are copied as they lie in memory");

// Larger files are refused: error offsets and the parser's positions stay within 32 bits.
constexpr int64_t kMaxFileBytes = int64_t{1} << 30;
// WriteFile and ReadFile move at most this much per call.
constexpr DWORD kChunkBytes = 1u << 24;

// piDefault is shared; LoadFile copies its options and writes its report back under this
// lock, so that two loads at once do not tear it.
std::mutex& DefaultReportLock() {
  static std::mutex lock;
  return lock;
}

class FileHandle {
 public:
  explicit FileHandle(HANDLE h) : h_(h) {}
  ~FileHandle() { Close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool Valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  HANDLE Get() const { return h_; }
  bool Close() {
    if (!Valid()) return true;
    bool ok = CloseHandle(h_) != 0;
    h_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE h_;
};

bool WriteAll(HANDLE h, const unsigned char* data, size_t size) {
  while (size > 0) {
    DWORD chunk = size > kChunkBytes ? kChunkBytes : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(h, data, chunk, &written, nullptr) || written != chunk) return false;
    data += chunk;
    size -= chunk;
  }
  return true;
}

std::u16string Hex(uint64_t v) {
  std::u16string s;
  do {
    s.insert(s.begin(), u"0123456789abcdef"[v & 15]);
    v >>= 4;
  } while (v);
  return s;
}

// Creates a file that did not exist beside path; its name goes to tempPath.
HANDLE CreateTempBeside(const std::u16string& path, std::u16string& tempPath) {
  static std::atomic<uint32_t> counter{0};
  const uint64_t process = GetCurrentProcessId();
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = path + u".~" + Hex(process) + u"_" + Hex(counter.fetch_add(1)) + u".tmp";
    HANDLE h = CreateFileW(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE && h != nullptr) return h;
    DWORD e = GetLastError();
    if (e != ERROR_FILE_EXISTS && e != ERROR_ALREADY_EXISTS) break;
  }
  return INVALID_HANDLE_VALUE;
}

}  // namespace

int XMLNode::SaveFile(const char16_t* path) const {
  if (!path || !*path) return 0;
  return Guard(0, [&] {
    // A private copy of the shared option: its depth must not race with other writers.
    DispOption opt = optDefault;
    const std::u16string text = WriteXml(*this, opt);  // a failure here throws: nothing is written
    const std::u16string target(path);

    std::u16string tempPath;
    FileHandle file(CreateTempBeside(target, tempPath));
    if (!file.Valid()) {
      Error::BaseError::_SetWinError();
      return 0;
    }
    bool ok = WriteAll(file.Get(), reinterpret_cast<const unsigned char*>(text.data()), text.size() * sizeof(char16_t));
    ok = ok && FlushFileBuffers(file.Get());
    ok = file.Close() && ok;
    ok = ok && MoveFileExW(tempPath.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
    if (!ok) {
      Error::BaseError::_SetWinError();
      DWORD e = GetLastError();
      DeleteFileW(tempPath.c_str());
      SetLastError(e);
      return 0;
    }
    return 1;
  });
}

int XMLNode::LoadFile(const char16_t* path) {
  if (!path) return 0;
  return Guard(0, [&] {
    FileHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return 0;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart <= 0 || size.QuadPart > kMaxFileBytes) return 0;

    // Whole units plus a terminator, all zero: an odd last byte becomes a unit of its own.
    const size_t bytes = static_cast<size_t>(size.QuadPart);
    const size_t units = (bytes + 1) / 2 + 1;
    std::unique_ptr<char16_t[]> text(new char16_t[units]());
    auto* dst = reinterpret_cast<unsigned char*>(text.get());
    size_t got = 0;
    while (got < bytes) {
      DWORD want = bytes - got > kChunkBytes ? kChunkBytes : static_cast<DWORD>(bytes - got);
      DWORD read = 0;
      if (!ReadFile(file.Get(), dst + got, want, &read, nullptr) || read == 0) break;
      got += read;
    }
    file.Close();
    if (got == 0) return 0;
    if (got < bytes) std::memset(dst + got, 0, units * sizeof(char16_t) - got);

    ParseInfo info;
    {
      std::lock_guard<std::mutex> hold(DefaultReportLock());
      info = piDefault;
    }
    const char16_t* stop = Load(text.get(), &info);
    {
      std::lock_guard<std::mutex> hold(DefaultReportLock());
      piDefault.errorOccurred = info.errorOccurred;
      piDefault.errorOffset = info.errorOffset;
      piDefault.errorCode = info.errorCode;
      piDefault.errorText = info.errorText;
    }
    return stop && !info.errorOccurred ? 1 : 0;
  });
}

}  // namespace Basalt::XMLDom
