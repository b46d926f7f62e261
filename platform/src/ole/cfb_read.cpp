// Reading a compound file into the in-memory tree.
//
// Every sector (and every mini sector) may belong to one chain only: a chain that comes
// back to a sector already taken has looped or crossed another, and the file is damaged.
// That also bounds the work and the memory to the size of the file.
#include <algorithm>
#include <new>
#include <utility>

#include "ole/cfb_format.h"
#include "ole/cfb_model.h"

namespace kx2::cfb {
namespace {

struct Corrupt {};  // thrown inside the reader, turned into STG_E_DOCFILECORRUPT

GUID ReadGuid(const uint8_t* p) {
  GUID g;
  g.Data1 = Get32(p);
  g.Data2 = Get16(p + 4);
  g.Data3 = Get16(p + 6);
  std::memcpy(g.Data4, p + 8, 8);
  return g;
}

FILETIME ReadTime(const uint8_t* p) { return FILETIME{Get32(p), Get32(p + 4)}; }

class Reader {
 public:
  Reader(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}

  HRESULT ReadHeader() {
    if (!HasSignature(bytes_, size_)) return STG_E_FILEALREADYEXISTS;
    const uint8_t* h = bytes_;
    const uint16_t major = Get16(h + kOffMajorVersion);
    const uint16_t shift = Get16(h + kOffSectorShift);
    if (Get16(h + kOffByteOrder) != 0xFFFE) return STG_E_INVALIDHEADER;
    if (!((major == 3 && shift == 9) || (major == 4 && shift == 12))) return STG_E_INVALIDHEADER;
    if (Get16(h + kOffMiniSectorShift) != kMiniSectorShift) return STG_E_INVALIDHEADER;
    if (Get32(h + kOffMiniStreamCutoff) != kMiniStreamCutoff) return STG_E_INVALIDHEADER;
    version_ = major;
    sectorShift_ = shift;
    sectorSize_ = 1u << shift;
    headerBytes_ = sectorSize_;  // a version 4 header fills a whole 4096-byte sector
    if (size_ < headerBytes_) return STG_E_DOCFILECORRUPT;
    const uint64_t sectors = (size_ - headerBytes_ + sectorSize_ - 1) / sectorSize_;
    sectorCount_ = static_cast<uint32_t>(std::min<uint64_t>(sectors, kMaxRegularSector));
    used_.assign(sectorCount_, 0);
    return S_OK;
  }

  void Load(std::shared_ptr<Entry>* root) {
    LoadFat();
    LoadDirectory();
    LoadMiniStream();
    BuildTree(root);
  }

  // The bytes from the first to the end of the last sector the document uses.
  UsedBytes Used() const {
    UsedBytes span;
    size_t first = 0;
    while (first < used_.size() && !used_[first]) ++first;
    if (first == used_.size()) return span;
    size_t last = used_.size() - 1;
    while (!used_[last]) --last;
    span.from = headerBytes_ + static_cast<uint64_t>(first) * sectorSize_;
    span.to = headerBytes_ + static_cast<uint64_t>(last + 1) * sectorSize_;
    return span;
  }

 private:
  // A copy of one sector; a last sector cut short by the end of the file reads as zeros.
  void ReadSector(uint32_t sector, uint8_t* out) const {
    if (sector >= sectorCount_) throw Corrupt();
    const uint64_t offset = headerBytes_ + static_cast<uint64_t>(sector) * sectorSize_;
    const uint64_t available = offset < size_ ? std::min<uint64_t>(size_ - offset, sectorSize_) : 0;
    std::memcpy(out, bytes_ + offset, available);
    std::memset(out + available, 0, sectorSize_ - available);
  }

  void Claim(uint32_t sector) {
    if (sector >= sectorCount_ || used_[sector]) throw Corrupt();
    used_[sector] = 1;
  }

  // The sectors of a chain: `count` of them, or (count = 0) up to the end of the chain.
  std::vector<uint32_t> Chain(uint32_t start, uint64_t count) {
    std::vector<uint32_t> sectors;
    uint32_t sector = start;
    while (count == 0 ? sector != kEndOfChain : sectors.size() < count) {
      if (sector >= fat_.size()) throw Corrupt();
      Claim(sector);
      sectors.push_back(sector);
      sector = fat_[sector];
    }
    return sectors;
  }

  std::vector<uint8_t> ReadChain(uint32_t start, uint64_t bytes) {
    const uint64_t count = (bytes + sectorSize_ - 1) / sectorSize_;
    if (count > sectorCount_) throw Corrupt();
    std::vector<uint8_t> data(count * sectorSize_);
    uint8_t* out = data.data();
    for (uint32_t sector : Chain(start, count)) {
      ReadSector(sector, out);
      out += sectorSize_;
    }
    data.resize(bytes);
    return data;
  }

  void LoadFat() {
    const uint8_t* h = bytes_;
    const uint32_t fatSectors = Get32(h + kOffFatSectors);
    const uint32_t perSector = sectorSize_ / 4;
    if (fatSectors > sectorCount_) throw Corrupt();
    std::vector<uint32_t> fatList;
    for (uint32_t i = 0; i < kHeaderDifatEntries && fatList.size() < fatSectors; ++i)
      fatList.push_back(Get32(h + kOffDifat + 4 * i));
    // The rest of the list is in the DIFAT chain: each sector holds perSector - 1
    // entries and the number of the next one.
    std::vector<uint8_t> sector(sectorSize_);
    uint32_t difat = Get32(h + kOffFirstDifatSector);
    const uint32_t difatSectors = Get32(h + kOffDifatSectors);
    for (uint32_t n = 0; fatList.size() < fatSectors; ++n) {
      if (n >= difatSectors || difat == kEndOfChain || difat == kFreeSector) throw Corrupt();
      Claim(difat);
      ReadSector(difat, sector.data());
      for (uint32_t i = 0; i + 1 < perSector && fatList.size() < fatSectors; ++i)
        fatList.push_back(Get32(sector.data() + 4 * i));
      difat = Get32(sector.data() + 4 * (perSector - 1));
    }
    fat_.resize(static_cast<size_t>(fatSectors) * perSector);
    for (size_t k = 0; k < fatList.size(); ++k) {
      Claim(fatList[k]);
      ReadSector(fatList[k], sector.data());
      for (uint32_t i = 0; i < perSector; ++i) fat_[k * perSector + i] = Get32(sector.data() + 4 * i);
    }
  }

  void LoadDirectory() {
    const uint32_t first = Get32(bytes_ + kOffFirstDirectorySector);
    const std::vector<uint32_t> sectors = Chain(first, 0);
    if (sectors.empty()) throw Corrupt();
    directory_.resize(sectors.size() * sectorSize_);
    for (size_t k = 0; k < sectors.size(); ++k) ReadSector(sectors[k], directory_.data() + k * sectorSize_);
    entryCount_ = static_cast<uint32_t>(directory_.size() / kEntrySize);
    if (EntryAt(0)[kEntType] != kTypeRoot) throw Corrupt();
  }

  const uint8_t* EntryAt(uint32_t id) const { return directory_.data() + static_cast<size_t>(id) * kEntrySize; }

  uint64_t EntrySize(const uint8_t* e) const {
    // Version 3 files keep only 32 bits of size; the high word may hold anything.
    return version_ == 3 ? Get32(e + kEntSize) : Get64(e + kEntSize);
  }

  void LoadMiniStream() {
    const uint8_t* root = EntryAt(0);
    const uint64_t size = EntrySize(root);
    if (size > static_cast<uint64_t>(sectorCount_) * sectorSize_) throw Corrupt();
    if (size) miniStream_ = ReadChain(Get32(root + kEntStart), size);
    miniUsed_.assign((miniStream_.size() + kMiniSectorSize - 1) / kMiniSectorSize, 0);

    const uint32_t miniFatSectors = Get32(bytes_ + kOffMiniFatSectors);
    if (miniFatSectors == 0) return;
    if (miniFatSectors > sectorCount_) throw Corrupt();
    const std::vector<uint32_t> sectors = Chain(Get32(bytes_ + kOffFirstMiniFatSector), miniFatSectors);
    std::vector<uint8_t> sector(sectorSize_);
    for (uint32_t s : sectors) {
      ReadSector(s, sector.data());
      for (uint32_t i = 0; i < sectorSize_ / 4; ++i) miniFat_.push_back(Get32(sector.data() + 4 * i));
    }
  }

  std::vector<uint8_t> ReadMiniChain(uint32_t start, uint64_t bytes) {
    const uint64_t count = (bytes + kMiniSectorSize - 1) / kMiniSectorSize;
    if (count > miniUsed_.size()) throw Corrupt();
    std::vector<uint8_t> data(bytes);
    uint32_t sector = start;
    for (uint64_t k = 0; k < count; ++k) {
      if (sector >= miniFat_.size() || sector >= miniUsed_.size() || miniUsed_[sector]) throw Corrupt();
      miniUsed_[sector] = 1;
      const size_t offset = static_cast<size_t>(sector) * kMiniSectorSize;
      const size_t take = static_cast<size_t>(std::min<uint64_t>(kMiniSectorSize, bytes - k * kMiniSectorSize));
      if (offset + take > miniStream_.size()) throw Corrupt();
      std::memcpy(data.data() + k * kMiniSectorSize, miniStream_.data() + offset, take);
      sector = miniFat_[sector];
    }
    return data;
  }

  std::shared_ptr<Entry> MakeEntry(uint32_t id) {
    const uint8_t* e = EntryAt(id);
    auto entry = std::make_shared<Entry>();
    entry->type = e[kEntType];
    const uint32_t nameBytes = std::min<uint32_t>(Get16(e + kEntNameLength), 64);
    for (uint32_t i = 0; i + 1 < nameBytes; i += 2) {
      const char16_t c = Get16(e + kEntName + i);
      if (c == 0) break;
      entry->name.push_back(c);
    }
    entry->clsid = ReadGuid(e + kEntClsid);
    entry->stateBits = Get32(e + kEntStateBits);
    entry->created = ReadTime(e + kEntCreated);
    entry->modified = ReadTime(e + kEntModified);
    if (entry->type == kTypeStream) {
      const uint64_t size = EntrySize(e);
      if (size > static_cast<uint64_t>(sectorCount_) * sectorSize_ || size > kMaxStreamSize) throw Corrupt();
      if (size == 0)
        ;
      else if (size < kMiniStreamCutoff)
        entry->data = ReadMiniChain(Get32(e + kEntStart), size);
      else
        entry->data = ReadChain(Get32(e + kEntStart), size);
    } else if (entry->type != kTypeStorage) {
      throw Corrupt();  // only storages and streams stand in a storage's tree
    }
    return entry;
  }

  // The children of a storage: the entries of the sibling tree under `child`, walked with
  // an explicit stack. Each entry may appear once in the whole directory.
  std::vector<uint32_t> SiblingTree(uint32_t child) {
    std::vector<uint32_t> ids, pending;
    if (child != kNoEntry) pending.push_back(child);
    while (!pending.empty()) {
      const uint32_t id = pending.back();
      pending.pop_back();
      if (id >= entryCount_ || visited_[id]) throw Corrupt();
      visited_[id] = 1;
      ids.push_back(id);
      const uint8_t* e = EntryAt(id);
      for (uint32_t next : {Get32(e + kEntLeft), Get32(e + kEntRight)})
        if (next != kNoEntry) pending.push_back(next);
    }
    return ids;
  }

  void BuildTree(std::shared_ptr<Entry>* out) {
    visited_.assign(entryCount_, 0);
    visited_[0] = 1;
    auto root = NewRoot();
    const uint8_t* r = EntryAt(0);
    root->clsid = ReadGuid(r + kEntClsid);
    root->stateBits = Get32(r + kEntStateBits);
    root->created = ReadTime(r + kEntCreated);
    root->modified = ReadTime(r + kEntModified);

    struct Work {
      Entry* storage;
      uint32_t child;
      int depth;
    };
    std::vector<Work> work{{root.get(), Get32(r + kEntChild), 0}};
    while (!work.empty()) {
      const Work w = work.back();
      work.pop_back();
      for (uint32_t id : SiblingTree(w.child)) {
        std::shared_ptr<Entry> entry = MakeEntry(id);
        if (w.storage->Find(entry->name)) throw Corrupt();  // two children of one name
        entry->parent = w.storage;
        if (entry->type == kTypeStorage) {
          if (w.depth + 1 > kMaxDepth) throw Corrupt();
          work.push_back({entry.get(), Get32(EntryAt(id) + kEntChild), w.depth + 1});
        }
        w.storage->children.push_back(std::move(entry));
      }
    }
    *out = std::move(root);
  }

  const uint8_t* bytes_;
  size_t size_;
  uint16_t version_ = 3;
  uint32_t sectorShift_ = 9;
  uint32_t sectorSize_ = 512;
  uint32_t headerBytes_ = 512;
  uint32_t sectorCount_ = 0;
  std::vector<uint8_t> used_;
  std::vector<uint32_t> fat_;
  std::vector<uint8_t> directory_;
  uint32_t entryCount_ = 0;
  std::vector<uint8_t> visited_;
  std::vector<uint8_t> miniStream_;
  std::vector<uint32_t> miniFat_;
  std::vector<uint8_t> miniUsed_;
};

}  // namespace

bool HasSignature(const uint8_t* bytes, size_t size) {
  return bytes && size >= kHeaderSize && std::memcmp(bytes, kSignature, sizeof(kSignature)) == 0;
}

HRESULT Parse(const uint8_t* bytes, size_t size, std::shared_ptr<Entry>* root) {
  UsedBytes used;
  return Parse(bytes, size, root, &used);
}

HRESULT Parse(const uint8_t* bytes, size_t size, std::shared_ptr<Entry>* root, UsedBytes* used) {
  try {
    Reader reader(bytes, size);
    const HRESULT header = reader.ReadHeader();
    if (FAILED(header)) return header;
    reader.Load(root);
    *used = reader.Used();
    return S_OK;
  } catch (const Corrupt&) {
    return STG_E_DOCFILECORRUPT;
  } catch (const std::bad_alloc&) {
    return STG_E_INSUFFICIENTMEMORY;
  }
}

}  // namespace kx2::cfb
