// Private: the in-memory form of a compound file, and its conversion from and to the
// file format (versions 3 and 4 read, version 3 written).
//
// A document is read whole into this tree when it is opened, worked on in memory, and
// written whole when it is committed. Reading checks every structure of the file: a
// chain that loops, crosses another or leaves the file, a directory tree that loops, a
// size its chain cannot hold, are all STG_E_DOCFILECORRUPT, never a crash or a loop.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <win/ole.h>

namespace kx2::cfb {

enum : uint8_t { kTypeEmpty = 0, kTypeStorage = 1, kTypeStream = 2, kTypeRoot = 5 };

// Names are at most 31 UTF-16 units and hold none of / \ : !.
constexpr size_t kMaxNameUnits = 31;
// Storages nest at most this deep (a bound for the recursive walks over the tree).
constexpr int kMaxDepth = 128;
// Streams are written with a 32-bit size.
constexpr uint64_t kMaxStreamSize = 0xFFFFFFFFull;

struct Entry {
  std::u16string name;
  uint8_t type = kTypeStream;
  CLSID clsid = {};
  uint32_t stateBits = 0;
  FILETIME created = {};
  FILETIME modified = {};
  std::vector<uint8_t> data;                     // streams
  std::vector<std::shared_ptr<Entry>> children;  // storages and the root
  Entry* parent = nullptr;
  // Destroyed, replaced or reverted while objects still refer to it: they answer
  // STG_E_REVERTED from then on.
  bool removed = false;
  // Streams opened on it (a stream is opened by one object at a time).
  int openCount = 0;

  bool IsStorage() const { return type == kTypeStorage || type == kTypeRoot; }
  // The child of that name (compared as the file format orders names), or null.
  std::shared_ptr<Entry> Find(std::u16string_view childName) const;
  int Depth() const;
};

// Marks an entry and everything under it as removed.
void MarkRemoved(Entry& entry);

// The order of names in a storage's tree: shorter first, then unit by unit in upper case.
int CompareNames(std::u16string_view a, std::u16string_view b);
bool IsValidName(std::u16string_view name);

// True when the bytes begin with the compound-file signature.
bool HasSignature(const uint8_t* bytes, size_t size);

// Reads a whole file. S_OK with the root; STG_E_FILEALREADYEXISTS when the bytes are not a
// compound file; STG_E_INVALIDHEADER or STG_E_DOCFILECORRUPT when they are damaged;
// STG_E_INSUFFICIENTMEMORY when memory runs out.
HRESULT Parse(const uint8_t* bytes, size_t size, std::shared_ptr<Entry>* root);
// Byte offsets in a file: [from, to); empty when from == to.
struct UsedBytes {
  uint64_t from = 0;
  uint64_t to = 0;
};
// The same, and the bytes the sectors of the document lie in (the header excluded).
HRESULT Parse(const uint8_t* bytes, size_t size, std::shared_ptr<Entry>* root, UsedBytes* used);

// Writes the tree as a version 3 file.
HRESULT Serialize(const Entry& root, std::vector<uint8_t>* out);
// Writes the tree as a version 3 file whose sectors begin at firstSector (those before it
// are free): *out is the 512-byte header followed by sectors firstSector .. *endSector - 1.
HRESULT SerializeFrom(const Entry& root, uint32_t firstSector, std::vector<uint8_t>* out, uint32_t* endSector);
// Only the *endSector that SerializeFrom would give.
HRESULT MeasureFrom(const Entry& root, uint32_t firstSector, uint32_t* endSector);

// A new, empty root.
std::shared_ptr<Entry> NewRoot();

}  // namespace kx2::cfb
