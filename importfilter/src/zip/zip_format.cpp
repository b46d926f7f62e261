#include "foliant/zip/zip_format.h"

#include <basalt/base_compress.h>
#include <win/crt.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>

#include "foliant/zip/algo_base.h"
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

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

bool ReadExactly(std::FILE* f, void* out, size_t n) { return n == 0 || std::fread(out, 1, n, f) == n; }
// Offsets go through the C library's long, which is 64-bit on this build.
bool SeekTo(std::FILE* f, int64_t offset) {
  return offset >= 0 && std::fseek(f, static_cast<long>(offset), SEEK_SET) == 0;
}

// The platform's wide file calls map the Windows path (and take part in its share checks).
std::FILE* OpenForReading(const char16_t* path) {
  if (path == nullptr) return nullptr;
  return _wfopen(path, u"rb");
}

}  // namespace

bool ZipEntry::oversized() const { return uncompressedSize > ZipFormat::kMaxEntrySize; }

ZipFormat::~ZipFormat() { Close(); }

void ZipFormat::Close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  fileLength_ = 0;
}

int ZipFormat::Open(const char16_t* path) {
  Close();
  entries_.clear();
  file_ = OpenForReading(path);
  if (!file_) return 0;
  if (std::fseek(file_, 0, SEEK_END) != 0) return 0;
  fileLength_ = std::ftell(file_);

  EndRecord end;
  if (!FindEndRecord(end)) return 0;
  // Zip64 archives keep their real counts and offsets elsewhere; the 32-bit fields
  // then hold 0xFFFF/0xFFFFFFFF markers that would send this reader astray.
  if (end.entriesOnDisk == 0xFFFF || end.entriesTotal == 0xFFFF || end.directoryOffset == 0xFFFFFFFF ||
      end.directorySize == 0xFFFFFFFF || HasZip64Locator(end))
    return 0;
  if (!SeekTo(file_, end.directoryOffset)) return 0;
  if (end.entriesOnDisk == 0) return 1;
  entries_.reserve(end.entriesOnDisk);
  for (uint32_t i = 0; i < end.entriesOnDisk; ++i) {
    ZipEntry entry;
    if (!ReadDirectoryRecord(entry)) return 0;
    entry.index = static_cast<uint32_t>(entries_.size());
    entries_.push_back(std::move(entry));
  }
  return 1;
}

bool ZipFormat::FindEndRecord(EndRecord& record) {
  const int64_t window = std::min<int64_t>(fileLength_, kSearchWindow);
  if (window < static_cast<int64_t>(kEndRecordSize)) return false;
  if (!SeekTo(file_, fileLength_ - window)) return false;
  std::vector<uint8_t> buffer(static_cast<size_t>(window));
  if (!ReadExactly(file_, buffer.data(), buffer.size())) return false;
  for (int64_t pos = window - static_cast<int64_t>(kEndRecordSize); pos >= 0; --pos) {
    const uint8_t* p = buffer.data() + pos;
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
  return false;
}

bool ZipFormat::HasZip64Locator(const EndRecord& record) {
  if (record.position < static_cast<int64_t>(kZip64LocatorSize)) return false;
  uint8_t locator[kZip64LocatorSize];
  if (!SeekTo(file_, record.position - static_cast<int64_t>(kZip64LocatorSize)) ||
      !ReadExactly(file_, locator, sizeof locator))
    return false;
  return U32(locator) == kZip64LocatorSignature;
}

bool ZipFormat::ReadDirectoryRecord(ZipEntry& entry) {
  uint8_t r[kDirectoryRecordSize];
  if (!ReadExactly(file_, r, sizeof r) || U32(r) != kDirectorySignature) return false;
  const uint16_t nameLength = U16(r + 28);
  const uint16_t extraLength = U16(r + 30);
  const uint16_t commentLength = U16(r + 32);
  if (nameLength == 0 || nameLength > kMaxNameBytes) return false;
  std::string name(nameLength, '\0');
  if (!ReadExactly(file_, name.data(), nameLength)) return false;
  if (std::fseek(file_, static_cast<long>(extraLength) + commentLength, SEEK_CUR) != 0) return false;

  entry.flags = U16(r + 8);
  entry.codecIndex = U16(r + 10) == 8 ? 0 : 1;
  entry.crc32 = U32(r + 16);
  entry.compressedSize = U32(r + 20);
  entry.uncompressedSize = U32(r + 24);
  entry.localHeaderOffset = U32(r + 42);
  entry.name = DecodeZipEntryName(name, entry.flags);
  entry.targetKind = 0;
  // A record using Zip64 extra sizes has markers here; refusing the archive is safer
  // than decoding with the wrong numbers.
  return entry.compressedSize != 0xFFFFFFFF && entry.uncompressedSize != 0xFFFFFFFF &&
         entry.localHeaderOffset != 0xFFFFFFFF;
}

bool ZipFormat::SkipLocalHeader(const ZipEntry& entry) {
  uint8_t h[kLocalHeaderSize];
  if (!SeekTo(file_, entry.localHeaderOffset) || !ReadExactly(file_, h, sizeof h) || U32(h) != kLocalSignature)
    return false;
  const uint16_t nameLength = U16(h + 26);
  const uint16_t extraLength = U16(h + 28);
  if (nameLength == 0) return false;
  const int64_t dataStart = static_cast<int64_t>(entry.localHeaderOffset) + kLocalHeaderSize + nameLength + extraLength;
  if (dataStart + static_cast<int64_t>(entry.compressedSize) > fileLength_) return false;
  return SeekTo(file_, dataStart);
}

int ZipFormat::ExtractEntry(uint32_t index) {
  if (!file_ || index >= entries_.size()) return 0;
  ZipEntry& entry = entries_[index];
  entry.targetWritten = 0;
  if (entry.encrypted() || entry.oversized()) return 0;
  if (!SkipLocalHeader(entry)) return 0;
  std::unique_ptr<AlgoBase> codec = CreateCodec(entry.codecIndex);
  if (!codec || !codec->BeginDecompress(0)) return 0;
  const int result = Decode(entry, *codec);
  if (codec->IsActive()) codec->EndDecompress();
  return result;
}

int ZipFormat::Decode(ZipEntry& entry, AlgoBase& codec) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> target(nullptr, &std::fclose);
  if (entry.targetKind == 1) {
    target.reset(_wfopen(entry.targetPath.c_str(), u"wb"));
    if (!target) return 0;
  } else if (entry.targetKind != 2) {
    return 0;
  }

  std::vector<uint8_t> input(std::min<uint32_t>(kChunk, std::max<uint32_t>(entry.compressedSize, 1)));
  std::vector<uint8_t> output(kChunk);
  // The foundation's CRC-32 runs several times faster than zlib's.
  ULONG crcState = 0;
  Basalt::Base::BaseCompress::UpdateCRC(&crcState, nullptr, 0);
  ULONG crc = 0;
  uint64_t decoded = 0;
  uint32_t remaining = entry.compressedSize;

  while (remaining > 0) {
    const uint32_t n = std::min(remaining, kChunk);
    if (!ReadExactly(file_, input.data(), n)) return 0;
    remaining -= n;
    codec.SetDecompressInput(input.data(), n);
    int rc;
    do {
      uint32_t produced = 0;
      rc = codec.Decompress(output.data(), kChunk, &produced);
      if (rc != kAlgoInputUsed && rc != kAlgoOutputFull) return 0;
      // Never produce more than the directory declared: a small entry that inflates
      // without end must not fill the disk or the caller's memory.
      if (decoded + produced > entry.uncompressedSize) return 0;
      if (entry.targetKind == 1) {
        if (produced > 0 && std::fwrite(output.data(), 1, produced, target.get()) != produced) return 0;
      } else {
        if (decoded + produced > entry.targetBufferSize) return 0;
        std::copy_n(output.data(), produced, entry.targetBuffer + decoded);
      }
      if (produced > 0) crc = Basalt::Base::BaseCompress::UpdateCRC(&crcState, output.data(), produced);
      decoded += produced;
      if (entry.targetKind == 2) entry.targetWritten = static_cast<uint32_t>(decoded);
    } while (rc == kAlgoOutputFull);
  }
  if (target && std::fflush(target.get()) != 0) return 0;
  return decoded == entry.uncompressedSize && crc == entry.crc32 ? 1 : 0;
}
