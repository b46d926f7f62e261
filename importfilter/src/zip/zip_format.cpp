#include "foliant/zip/zip_format.h"

#include <basalt/base_compress.h>
#include <win/fileapi.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include "foliant/zip/algo_base.h"
#include "zip/reader_buffers.h"
#include "zip_names.h"

namespace {

constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kDirectorySignature = 0x02014b50;
constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr size_t kEndRecordSize = 22;
constexpr size_t kDirectoryRecordSize = 46;
constexpr size_t kLocalHeaderSize = 30;
constexpr size_t kZip64LocatorSize = 20;
constexpr size_t kSearchWindow = 65536;
constexpr uint32_t kChunk = 65536;
// The part of the file the reader holds at a time, at least, unless the caller reads less.
constexpr uint32_t kWindow = 65536;
// Room for a local header's extra field when reading an entry in one go (timestamps and
// the like take a few dozen bytes; a longer field means a second read, nothing worse).
constexpr size_t kUsualExtraBytes = 256;

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

// The platform's file calls map the Windows path and take part in its share checks. Reads
// name their offset, so each is one call with no seek before it.
bool ReadAt(HANDLE file, int64_t offset, uint8_t* out, size_t n) {
  while (n > 0) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(static_cast<uint64_t>(offset));
    at.OffsetHigh = static_cast<DWORD>(static_cast<uint64_t>(offset) >> 32);
    DWORD done = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(n, 0x40000000));
    if (!ReadFile(file, out, want, &done, &at) || done == 0) return false;
    out += done;
    offset += done;
    n -= done;
  }
  return true;
}

bool WriteAll(HANDLE file, const uint8_t* data, uint32_t n) {
  while (n > 0) {
    DWORD done = 0;
    if (!WriteFile(file, data, n, &done, nullptr) || done == 0) return false;
    data += done;
    n -= done;
  }
  return true;
}

struct HandleCloser {
  void operator()(HANDLE h) const { CloseHandle(h); }
};
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

HANDLE OpenFile(const char16_t* path, DWORD access, DWORD disposition) {
  if (path == nullptr) return nullptr;
  HANDLE h = CreateFileW(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  return h == INVALID_HANDLE_VALUE ? nullptr : h;
}

}  // namespace

bool ZipEntry::oversized() const { return uncompressedSize > ZipFormat::kMaxEntrySize; }

ZipFormat::~ZipFormat() { Close(); }

void ZipFormat::Close() {
  if (file_) CloseHandle(file_);
  file_ = nullptr;
  fileLength_ = 0;
  window_.clear();
  windowStart_ = 0;
  // The buffers go back for the next reader rather than to the allocator.
  foliant::ReturnReaderBuffer(std::move(window_));
  foliant::ReturnReaderBuffer(std::move(output_));
  window_ = {};
  output_ = {};
}

const uint8_t* ZipFormat::View(int64_t offset, size_t n, size_t reach) {
  if (!file_ || offset < 0 || offset > fileLength_ || static_cast<uint64_t>(fileLength_ - offset) < n) return nullptr;
  if (offset >= windowStart_ && static_cast<uint64_t>(offset - windowStart_) + n <= window_.size())
    return window_.data() + (offset - windowStart_);
  // A window reaches back from the end of the file when the range lies near it, so that
  // the end record, the directory and the entries before them come in one read; a range
  // that keeps growing from the same start (a directory read on) doubles the window.
  // A small entry is read as far as it goes: a whole window would copy far more than it.
  const size_t grown = offset == windowStart_ ? 2 * window_.size() : 0;
  const size_t least = reach ? std::min<size_t>(reach, kWindow) : kWindow;
  const size_t length = static_cast<size_t>(std::min<int64_t>(std::max({n, least, grown}), fileLength_));
  const int64_t start = std::min<int64_t>(offset, fileLength_ - static_cast<int64_t>(length));
  // What the window already holds from the new start on moves to its front instead of
  // being read again (an entry's data read on past its header, a directory read on).
  size_t kept = 0;
  if (start >= windowStart_ && static_cast<uint64_t>(start - windowStart_) < window_.size()) {
    kept = std::min(window_.size() - static_cast<size_t>(start - windowStart_), length);
    std::memmove(window_.data(), window_.data() + (start - windowStart_), kept);
  }
  if (window_.capacity() == 0) {
    window_ = foliant::TakeReaderBuffer();
    window_.clear();
  }
  window_.resize(length);
  if (!ReadAt(file_, start + static_cast<int64_t>(kept), window_.data() + kept, length - kept)) {
    window_.clear();
    windowStart_ = 0;
    return nullptr;
  }
  windowStart_ = start;
  return window_.data() + (offset - start);
}

int ZipFormat::Open(const char16_t* path) {
  Close();
  entries_.clear();
  file_ = OpenFile(path, GENERIC_READ, OPEN_EXISTING);
  if (!file_) return 0;
  LARGE_INTEGER length{};
  if (!GetFileSizeEx(file_, &length)) return 0;
  fileLength_ = length.QuadPart;

  EndRecord end;
  if (!FindEndRecord(end)) return 0;
  // Zip64 archives keep their real counts and offsets elsewhere; the 32-bit fields
  // then hold 0xFFFF/0xFFFFFFFF markers that would send this reader astray.
  if (end.entriesOnDisk == 0xFFFF || end.entriesTotal == 0xFFFF || end.directoryOffset == 0xFFFFFFFF ||
      end.directorySize == 0xFFFFFFFF || HasZip64Locator(end))
    return 0;
  if (end.entriesOnDisk == 0) return 1;
  // The directory is taken at the size the end record gives, as far as the end record; a
  // directory that runs on past its declared size is read further as needed.
  DirectoryCursor directory{*this, end.directoryOffset};
  const int64_t declared =
      std::min<int64_t>(end.directorySize, std::max<int64_t>(end.position - end.directoryOffset, 0));
  if (!directory.Need(static_cast<size_t>(declared))) return 0;
  entries_.reserve(end.entriesOnDisk);
  for (uint32_t i = 0; i < end.entriesOnDisk; ++i) {
    ZipEntry entry;
    if (!ReadDirectoryRecord(directory, entry)) return 0;
    entry.index = static_cast<uint32_t>(entries_.size());
    entries_.push_back(std::move(entry));
  }
  return 1;
}

const uint8_t* ZipFormat::DirectoryCursor::Need(size_t n) {
  const uint8_t* held = zip.View(start, position + n);
  return held ? held + position : nullptr;
}

bool ZipFormat::FindEndRecord(EndRecord& record) {
  // The record ends the file unless a comment follows it: a short tail finds it in most
  // archives, the longest comment's window in the others. Searching from the end, the
  // short tail finds the same record the long window would.
  for (const int64_t limit : {int64_t{4096}, static_cast<int64_t>(kSearchWindow)}) {
    const int64_t window = std::min<int64_t>(fileLength_, limit);
    if (window < static_cast<int64_t>(kEndRecordSize)) return false;
    const uint8_t* tail = View(fileLength_ - window, static_cast<size_t>(window));
    if (!tail) return false;
    for (int64_t pos = window - static_cast<int64_t>(kEndRecordSize); pos >= 0; --pos) {
      const uint8_t* p = tail + pos;
      if (U32(p) != kEndSignature) continue;
      record.signature = U32(p);
      record.diskNumber = U16(p + 4);
      record.directoryDisk = U16(p + 6);
      record.entriesOnDisk = U16(p + 8);
      record.entriesTotal = U16(p + 10);
      record.directorySize = U32(p + 12);
      record.directoryOffset = U32(p + 16);
      record.commentLength = U16(p + 20);
      record.position = fileLength_ - window + pos;
      return true;
    }
    if (window == fileLength_) return false;
  }
  return false;
}

bool ZipFormat::HasZip64Locator(const EndRecord& record) {
  if (record.position < static_cast<int64_t>(kZip64LocatorSize)) return false;
  const uint8_t* locator = View(record.position - static_cast<int64_t>(kZip64LocatorSize), kZip64LocatorSize);
  return locator && U32(locator) == kZip64LocatorSignature;
}

bool ZipFormat::ReadDirectoryRecord(DirectoryCursor& directory, ZipEntry& entry) {
  const uint8_t* r = directory.Need(kDirectoryRecordSize);
  if (!r || U32(r) != kDirectorySignature) return false;
  const uint16_t nameLength = U16(r + 28);
  const uint16_t extraLength = U16(r + 30);
  const uint16_t commentLength = U16(r + 32);
  if (nameLength == 0 || nameLength > kMaxNameBytes) return false;
  entry.flags = U16(r + 8);
  entry.codecIndex = U16(r + 10) == 8 ? 0 : 1;
  entry.crc32 = U32(r + 16);
  entry.compressedSize = U32(r + 20);
  entry.uncompressedSize = U32(r + 24);
  entry.localHeaderOffset = U32(r + 42);
  entry.targetKind = 0;
  // The name must be there; what follows it is skipped, as far as the archive goes.
  r = directory.Need(kDirectoryRecordSize + nameLength);
  if (!r) return false;
  entry.name =
      DecodeZipEntryName(std::string(reinterpret_cast<const char*>(r + kDirectoryRecordSize), nameLength), entry.flags);
  const size_t recordLength = kDirectoryRecordSize + nameLength + extraLength + commentLength;
  const int64_t recordEnd = directory.start + static_cast<int64_t>(directory.position + recordLength);
  // Like a seek past the end of the file, a record whose trailing fields run past it still
  // counts; any record after it cannot be read.
  directory.position =
      recordEnd <= fileLength_ ? directory.position + recordLength : static_cast<size_t>(fileLength_ - directory.start);
  // A record using Zip64 extra sizes has markers here; refusing the archive is safer
  // than decoding with the wrong numbers.
  return entry.compressedSize != 0xFFFFFFFF && entry.uncompressedSize != 0xFFFFFFFF &&
         entry.localHeaderOffset != 0xFFFFFFFF;
}

int64_t ZipFormat::DataStart(const ZipEntry& entry) {
  // The header, its name and extra field (their lengths are known only from the header
  // itself: the directory's say nothing certain) and the data after them.
  const size_t reach = kLocalHeaderSize + kMaxNameBytes + kUsualExtraBytes + entry.compressedSize;
  const uint8_t* h = View(entry.localHeaderOffset, kLocalHeaderSize, reach);
  if (!h || U32(h) != kLocalSignature) return -1;
  const uint16_t nameLength = U16(h + 26);
  const uint16_t extraLength = U16(h + 28);
  if (nameLength == 0) return -1;
  const int64_t dataStart = static_cast<int64_t>(entry.localHeaderOffset) + kLocalHeaderSize + nameLength + extraLength;
  if (dataStart + static_cast<int64_t>(entry.compressedSize) > fileLength_) return -1;
  return dataStart;
}

int ZipFormat::ExtractEntry(uint32_t index) {
  if (!file_ || index >= entries_.size()) return 0;
  ZipEntry& entry = entries_[index];
  entry.targetWritten = 0;
  entry.targetTaken = false;
  if (entry.encrypted() || entry.oversized()) return 0;
  const int64_t dataStart = DataStart(entry);
  if (dataStart < 0) return 0;
  std::unique_ptr<AlgoBase> codec = CreateCodec(entry.codecIndex);
  if (!codec || !codec->BeginDecompress(0)) return 0;
  bool made = false;
  const int result = Decode(entry, dataStart, *codec, &made);
  if (codec->IsActive()) codec->EndDecompress();
  if (!result && made && entry.targetNew) DeleteFileW(entry.targetPath.c_str());
  return result;
}

int ZipFormat::Decode(ZipEntry& entry, int64_t dataStart, AlgoBase& codec, bool* made) {
  OwnedHandle target;
  if (entry.targetKind == 1) {
    target.reset(OpenFile(entry.targetPath.c_str(), GENERIC_WRITE, entry.targetNew ? CREATE_NEW : CREATE_ALWAYS));
    if (!target) {
      entry.targetTaken = entry.targetNew && GetLastError() == ERROR_FILE_EXISTS;
      return 0;
    }
    *made = true;
  } else if (entry.targetKind != 2) {
    return 0;
  }

  // The output chunk is the reader's own, kept from entry to entry: fresh memory for each
  // entry costs more than decoding a small one.
  if (output_.capacity() == 0) output_ = foliant::TakeReaderBuffer();
  output_.resize(kChunk);
  // The foundation's CRC-32 runs several times faster than zlib's.
  ULONG crcState = 0;
  Basalt::Base::BaseCompress::UpdateCRC(&crcState, nullptr, 0);
  ULONG crc = 0;
  uint64_t decoded = 0;
  uint32_t remaining = entry.compressedSize;
  int64_t position = dataStart;

  while (remaining > 0) {
    const uint32_t n = std::min(remaining, kChunk);
    const uint8_t* input = View(position, n, remaining);
    if (!input) return 0;
    remaining -= n;
    position += n;
    codec.SetDecompressInput(input, n);
    int rc;
    do {
      // A buffer target takes the output in place while it has room; past that, the
      // reader's chunk catches any excess so that it is seen and refused.
      const uint64_t room =
          entry.targetKind == 2 && decoded < entry.targetBufferSize ? entry.targetBufferSize - decoded : 0;
      uint8_t* out = room > 0 ? entry.targetBuffer + decoded : output_.data();
      const uint32_t outSize = room > 0 ? static_cast<uint32_t>(std::min<uint64_t>(room, kChunk)) : kChunk;
      uint32_t produced = 0;
      rc = codec.Decompress(out, outSize, &produced);
      if (rc != kAlgoInputUsed && rc != kAlgoOutputFull) return 0;
      // Never produce more than the directory declared: a small entry that inflates
      // without end must not fill the disk or the caller's memory.
      if (decoded + produced > entry.uncompressedSize) return 0;
      if (entry.targetKind == 1) {
        if (!WriteAll(target.get(), out, produced)) return 0;
      } else if (room == 0 && produced > 0) {
        return 0;
      }
      if (produced > 0) crc = Basalt::Base::BaseCompress::UpdateCRC(&crcState, out, produced);
      decoded += produced;
      if (entry.targetKind == 2) entry.targetWritten = static_cast<uint32_t>(decoded);
    } while (rc == kAlgoOutputFull);
  }
  return decoded == entry.uncompressedSize && crc == entry.crc32 ? 1 : 0;
}
