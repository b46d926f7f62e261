// Reading one zip archive (PKWARE APPNOTE): its central directory and the decoding of
// single entries into a file or a caller's buffer, each checked against its CRC-32.
//
// Packages arrive from other people's machines, so every field is distrusted: names,
// sizes and offsets are checked before use, decoding never writes past what the
// directory declared, and what this reader does not support (encryption, Zip64) is
// refused explicitly rather than by accident.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct ZipEntry {
  uint32_t index = 0;
  uint32_t targetKind = 0;  // 0 as read, 1 decode into a file, 2 into a buffer
  uint32_t codecIndex = 1;  // 0 Deflate (method 8), 1 stored copy
  std::u16string name;
  std::u16string targetPath;
  uint8_t* targetBuffer = nullptr;
  uint32_t targetBufferSize = 0;
  uint32_t targetWritten = 0;  // bytes decoded into the buffer by the last decode
  uint32_t crc32 = 0;
  uint32_t compressedSize = 0;
  uint32_t uncompressedSize = 0;
  uint32_t localHeaderOffset = 0;
  uint16_t flags = 0;
  bool encrypted() const { return (flags & 0x0001) != 0; }
  // Larger declared sizes are refused: they drive callers' allocations.
  bool oversized() const;
};

class ZipFormat {
 public:
  // The largest uncompressed entry this reader decodes.
  static constexpr uint32_t kMaxEntrySize = 512u * 1024 * 1024;
  // A directory record's name field holds 259 bytes and a terminator.
  static constexpr uint32_t kMaxNameBytes = 259;

  ZipFormat() = default;
  ~ZipFormat();
  ZipFormat(const ZipFormat&) = delete;
  ZipFormat& operator=(const ZipFormat&) = delete;

  // Opens the archive and reads its directory; 1 on success (also for no entries), 0
  // otherwise. Zip64 archives are refused.
  int Open(const char16_t* path);
  void Close();
  bool IsOpen() const { return file_ != nullptr; }

  std::vector<ZipEntry>& Entries() { return entries_; }
  const std::vector<ZipEntry>& Entries() const { return entries_; }

  // Decodes entry `index` to its target (set in the entry beforehand); 1 when the whole
  // entry decoded to its declared size and its CRC matched, else 0.
  int ExtractEntry(uint32_t index);

  struct EndRecord {
    uint32_t signature = 0;
    uint16_t diskNumber = 0;
    uint16_t directoryDisk = 0;
    uint16_t entriesOnDisk = 0;
    uint16_t entriesTotal = 0;
    uint32_t directorySize = 0;
    uint32_t directoryOffset = 0;
    uint16_t commentLength = 0;
    int64_t position = -1;  // where it was found
    bool hasZip64Locator = false;
  };

 private:
  bool FindEndRecord(EndRecord& record);
  bool HasZip64Locator(const EndRecord& record);
  // The directory as read so far, from its start: more is read from the file on demand.
  struct DirectoryCursor {
    std::FILE* file;
    std::vector<uint8_t>& buffer;
    size_t position = 0;
    bool Need(size_t n);  // n bytes from the position on are held
    const uint8_t* At() const { return buffer.data() + position; }
  };
  bool ReadDirectoryRecord(DirectoryCursor& directory, ZipEntry& entry);
  bool SkipLocalHeader(const ZipEntry& entry);
  int Decode(ZipEntry& entry, class AlgoBase& codec);

  std::FILE* file_ = nullptr;
  int64_t fileLength_ = 0;
  std::vector<ZipEntry> entries_;
  std::vector<uint8_t> scratch_;  // the directory while it is read, then compressed input
  std::vector<uint8_t> output_;   // decoded output on its way to a file
};
