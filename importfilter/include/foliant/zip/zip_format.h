// Reading one zip archive (PKWARE APPNOTE): its central directory and the decoding of
// single entries into a file or a caller's buffer, each checked against its CRC-32.
//
// Packages arrive from other people's machines, so every field is distrusted: names,
// sizes and offsets are checked before use, decoding never writes past what the
// directory declared, and what this reader does not support (encryption, Zip64) is
// refused explicitly rather than by accident.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ZipEntry {
  uint32_t index = 0;
  uint32_t targetKind = 0;  // 0 as read, 1 decode into a file, 2 into a buffer
  // The file target is made new: a file already there is left alone (targetTaken), and a
  // new file that could not be filled whole is removed again.
  bool targetNew = false;
  bool targetTaken = false;
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
  };

 private:
  bool FindEndRecord(EndRecord& record);
  bool HasZip64Locator(const EndRecord& record);
  // The directory from its start: `Need` gives the record at the position with n bytes
  // of it held, reading on as needed.
  struct DirectoryCursor {
    ZipFormat& zip;
    int64_t start;
    size_t position = 0;
    const uint8_t* Need(size_t n);
  };
  bool ReadDirectoryRecord(DirectoryCursor& directory, ZipEntry& entry);
  // Where the entry's data starts, checked against its local header; -1 when it cannot be.
  int64_t DataStart(const ZipEntry& entry);
  // *made is set once a file target has been opened.
  int Decode(ZipEntry& entry, int64_t dataStart, class AlgoBase& codec, bool* made);
  // n bytes of the file from `offset`, held in the reader's window (valid until the next
  // call); null past the end of the file or when reading fails. `reach`, when known, is
  // how far from `offset` the caller reads next (an entry's header and data): a window
  // read for it takes no more than that.
  const uint8_t* View(int64_t offset, size_t n, size_t reach = 0);

  void* file_ = nullptr;  // the platform file handle, null when closed
  int64_t fileLength_ = 0;
  std::vector<ZipEntry> entries_;
  std::vector<uint8_t> window_;  // the file from windowStart_ on
  int64_t windowStart_ = 0;
  std::vector<uint8_t> output_;  // decoded output on its way to a file
};
