// Read-only storage over one zip package (XMind ".xmind", MindManager ".mmap"): lists
// the entries, answers whether one exists and how large it is, and decodes one into a
// file or into a caller's buffer.
//
// Entry names use "\" between folder levels ("/" in the archive becomes "\"), and are
// matched with ASCII letters folded, by every operation alike.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class ZipFormat;

// Owns the archive reader of one storage.
class ZipResolver {
 public:
  ZipResolver();
  ~ZipResolver();
  ZipFormat& Format() { return *format_; }

 private:
  std::unique_ptr<ZipFormat> format_;
};

class TqXMLStorage {
 public:
  struct Item {
    uint32_t kind = 1;
    std::u16string name;
    std::u16string second;  // empty when reading
    std::unique_ptr<uint8_t[]> data;
    uint32_t size = 0;
  };

  // ReadEntry's result when nothing was read (an empty entry reads as 0 bytes).
  static constexpr int32_t kReadFailed = -1;

  TqXMLStorage();
  virtual ~TqXMLStorage();
  TqXMLStorage(const TqXMLStorage&) = delete;
  TqXMLStorage& operator=(const TqXMLStorage&) = delete;

  // The declared uncompressed size of the first matching entry; 0 when there is none.
  virtual uint32_t GetEntrySize(const char16_t* name);
  // Decodes the first matching entry into a file created at `targetPath`: 1 when the
  // whole entry was decoded and checked, else 0.
  virtual int ExtractEntry(const char16_t* name, const char16_t* targetPath);
  // The same into a file made new at `targetPath`: a file already there under that name
  // (in any case) is left alone and the result is kNameTaken, so that a caller can name
  // its temporary files without looking for each name first.
  enum NewFileResult { kNotExtracted = 0, kExtracted = 1, kNameTaken = 2 };
  NewFileResult ExtractEntryToNewFile(const char16_t* name, const char16_t* targetPath);
  // Decodes the first matching entry into `buffer` from its start and returns the
  // number of bytes decoded, or kReadFailed. A terminator (two zero bytes, or one when
  // only one fits) follows the data when the buffer has room, so callers that allocate
  // size + 2 get terminated text.
  virtual int32_t ReadEntry(const char16_t* name, void* buffer, uint32_t size);
  // 1 when some entry's name matches, else 0.
  virtual int HasEntry(const char16_t* name);

  // Opens the archive at `path` (replacing anything opened before): 1 on success, also
  // for an archive without entries; 0 when the file can't be opened or its directory
  // can't be read.
  int Open(const char16_t* path);
  // Empties the item list and closes the archive; 1.
  int Close();

  const std::vector<Item>& Items() const { return items_; }

 private:
  int FindEntry(const char16_t* name) const;

  std::unique_ptr<ZipResolver> resolver_;
  std::vector<Item> items_;
  // Entry names with ASCII letters folded, as far as their first NUL (how names compare),
  // to the first entry in directory order with that name.
  std::unordered_map<std::u16string, int> index_;
};
