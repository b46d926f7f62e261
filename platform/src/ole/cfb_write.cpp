// Writing the in-memory tree as a version 3 compound file (512-byte sectors).
//
// Layout: the FAT sectors, the DIFAT sectors (only past 109 FAT sectors), the directory,
// the mini FAT, the mini stream, then each large stream, all from a chosen first sector:
// the sectors before it stay free in the FAT, so that a commit can write a new image
// beside the previous one without touching a sector the previous header still names. Each storage's children form a
// balanced binary tree in the format's name order, coloured so that it is a valid
// red-black tree (the nodes of the deepest level red, all others black).
#include <algorithm>
#include <new>

#include "ole/cfb_format.h"
#include "ole/cfb_model.h"

namespace kx2::cfb {
namespace {

constexpr uint32_t kSectorSize = 512;
constexpr uint32_t kFatPerSector = kSectorSize / 4;
constexpr uint32_t kEntriesPerSector = kSectorSize / kEntrySize;

uint32_t SectorsFor(uint64_t bytes, uint32_t unit) { return static_cast<uint32_t>((bytes + unit - 1) / unit); }

void WriteGuid(uint8_t* p, const GUID& g) {
  Put32(p, g.Data1);
  Put16(p + 4, g.Data2);
  Put16(p + 6, g.Data3);
  std::memcpy(p + 8, g.Data4, 8);
}

void WriteTime(uint8_t* p, const FILETIME& t) {
  Put32(p, t.dwLowDateTime);
  Put32(p + 4, t.dwHighDateTime);
}

struct Slot {
  const Entry* entry;
  uint32_t left = kNoEntry, right = kNoEntry, child = kNoEntry;
  uint8_t colour = kBlack;
  uint32_t start = kEndOfChain;
  uint64_t size = 0;
};

class Writer {
 public:
  // Lays the tree out from `firstSector`; *endSector is one past the last sector used.
  HRESULT Prepare(const Entry& root, uint32_t firstSector, uint32_t* endSector) {
    base_ = firstSector;
    NumberEntries(root);
    for (Slot& slot : slots_)
      if (slot.entry->type == kTypeStream && slot.entry->data.size() > kMaxStreamSize) return STG_E_MEDIUMFULL;
    if (!Lay()) return STG_E_MEDIUMFULL;
    *endSector = totalSectors_;
    return S_OK;
  }

  // The header followed by the sectors from the first sector on.
  void Write(std::vector<uint8_t>* out) { Emit(out); }

 private:
  // Directory numbers: the root is 0; each storage's children take consecutive numbers.
  void NumberEntries(const Entry& root) {
    slots_.push_back(Slot{&root});
    for (size_t i = 0; i < slots_.size(); ++i) {
      const Entry* storage = slots_[i].entry;
      if (!storage->IsStorage() || storage->children.empty()) continue;
      std::vector<const Entry*> sorted;
      for (const auto& child : storage->children) sorted.push_back(child.get());
      std::sort(sorted.begin(), sorted.end(),
                [](const Entry* a, const Entry* b) { return CompareNames(a->name, b->name) < 0; });
      const uint32_t first = static_cast<uint32_t>(slots_.size());
      for (const Entry* child : sorted) slots_.push_back(Slot{child});
      const int n = static_cast<int>(sorted.size());
      int deepest = 0;
      while ((2 << deepest) - 1 < n) ++deepest;  // depth of the last, partly filled level
      const bool perfect = (2 << deepest) - 1 == n;
      slots_[i].child = Balance(first, 0, n - 1, 0, perfect ? -1 : deepest);
    }
  }

  uint32_t Balance(uint32_t first, int lo, int hi, int depth, int redDepth) {
    if (lo > hi) return kNoEntry;
    const int mid = lo + (hi - lo) / 2;
    const uint32_t id = first + static_cast<uint32_t>(mid);
    slots_[id].colour = depth == redDepth ? kRed : kBlack;
    slots_[id].left = Balance(first, lo, mid - 1, depth + 1, redDepth);
    slots_[id].right = Balance(first, mid + 1, hi, depth + 1, redDepth);
    return id;
  }

  bool Lay() {
    uint64_t miniSectors = 0, bigSectors = 0;
    for (const Slot& slot : slots_) {
      if (slot.entry->type != kTypeStream) continue;
      const uint64_t size = slot.entry->data.size();
      if (size == 0) continue;
      if (size < kMiniStreamCutoff)
        miniSectors += SectorsFor(size, kMiniSectorSize);
      else
        bigSectors += SectorsFor(size, kSectorSize);
    }
    miniStreamBytes_ = miniSectors * kMiniSectorSize;
    directorySectors_ = SectorsFor(slots_.size(), kEntriesPerSector);
    miniFatSectors_ = SectorsFor(miniSectors, kFatPerSector);
    miniStreamSectors_ = SectorsFor(miniStreamBytes_, kSectorSize);
    const uint64_t data = base_ + directorySectors_ + miniFatSectors_ + miniStreamSectors_ + bigSectors;
    // The FAT covers every sector, its own, the DIFAT's and the free ones before the
    // first sector included.
    fatSectors_ = difatSectors_ = 0;
    for (;;) {
      const uint32_t fat = SectorsFor(data + fatSectors_ + difatSectors_, kFatPerSector);
      const uint32_t difat = fat > kHeaderDifatEntries ? SectorsFor(fat - kHeaderDifatEntries, kFatPerSector - 1) : 0;
      if (fat == fatSectors_ && difat == difatSectors_) break;
      fatSectors_ = fat;
      difatSectors_ = difat;
    }
    // Sector numbers stop short of the special values.
    if (data + fatSectors_ + difatSectors_ > kMaxRegularSector) return false;
    totalSectors_ = static_cast<uint32_t>(data) + fatSectors_ + difatSectors_;
    fat_.assign(static_cast<size_t>(fatSectors_) * kFatPerSector, kFreeSector);

    uint32_t next = base_;
    for (uint32_t k = 0; k < fatSectors_; ++k) fat_[next++] = kFatSector;
    firstDifat_ = difatSectors_ ? next : kEndOfChain;
    for (uint32_t k = 0; k < difatSectors_; ++k) fat_[next++] = kDifatSector;
    firstDirectory_ = Allocate(next, directorySectors_);
    firstMiniFat_ = miniFatSectors_ ? Allocate(next, miniFatSectors_) : kEndOfChain;
    slots_[0].start = miniStreamSectors_ ? Allocate(next, miniStreamSectors_) : kEndOfChain;
    slots_[0].size = miniStreamBytes_;

    uint32_t miniNext = 0;
    for (Slot& slot : slots_) {
      if (slot.entry->type != kTypeStream) {
        if (slot.entry->type == kTypeStorage) slot.start = 0;
        continue;
      }
      const uint64_t size = slot.entry->data.size();
      slot.size = size;
      if (size == 0) continue;
      if (size < kMiniStreamCutoff) {
        const uint32_t count = SectorsFor(size, kMiniSectorSize);
        slot.start = miniNext;
        for (uint32_t k = 0; k < count; ++k) miniFat_.push_back(k + 1 < count ? miniNext + k + 1 : kEndOfChain);
        miniNext += count;
      } else {
        slot.start = Allocate(next, SectorsFor(size, kSectorSize));
      }
    }
    return true;
  }

  // A run of `count` consecutive sectors from `next`, chained in the FAT.
  uint32_t Allocate(uint32_t& next, uint32_t count) {
    const uint32_t first = next;
    for (uint32_t k = 0; k < count; ++k, ++next) fat_[next] = k + 1 < count ? next + 1 : kEndOfChain;
    return first;
  }

  uint8_t* SectorAt(std::vector<uint8_t>& out, uint32_t sector) {
    return out.data() + kHeaderSize + static_cast<size_t>(sector - base_) * kSectorSize;
  }

  void Emit(std::vector<uint8_t>* result) {
    std::vector<uint8_t>& out = *result;
    out.assign(kHeaderSize + static_cast<size_t>(totalSectors_ - base_) * kSectorSize, 0);

    uint8_t* h = out.data();
    std::memcpy(h, kSignature, sizeof(kSignature));
    Put16(h + kOffMinorVersion, 0x003E);
    Put16(h + kOffMajorVersion, 3);
    Put16(h + kOffByteOrder, 0xFFFE);
    Put16(h + kOffSectorShift, 9);
    Put16(h + kOffMiniSectorShift, kMiniSectorShift);
    Put32(h + kOffFatSectors, fatSectors_);
    Put32(h + kOffFirstDirectorySector, firstDirectory_);
    Put32(h + kOffMiniStreamCutoff, kMiniStreamCutoff);
    Put32(h + kOffFirstMiniFatSector, firstMiniFat_);
    Put32(h + kOffMiniFatSectors, miniFatSectors_);
    Put32(h + kOffFirstDifatSector, firstDifat_);
    Put32(h + kOffDifatSectors, difatSectors_);
    // The FAT sectors are the first fatSectors from the first sector: 109 listed in the
    // header, the rest in the DIFAT sectors that follow them.
    for (uint32_t i = 0; i < kHeaderDifatEntries; ++i)
      Put32(h + kOffDifat + 4 * i, i < fatSectors_ ? base_ + i : kFreeSector);
    uint32_t listed = std::min(fatSectors_, kHeaderDifatEntries);
    for (uint32_t d = 0; d < difatSectors_; ++d) {
      uint8_t* s = SectorAt(out, base_ + fatSectors_ + d);
      for (uint32_t i = 0; i + 1 < kFatPerSector; ++i)
        Put32(s + 4 * i, listed < fatSectors_ ? base_ + listed++ : kFreeSector);
      Put32(s + 4 * (kFatPerSector - 1), d + 1 < difatSectors_ ? base_ + fatSectors_ + d + 1 : kEndOfChain);
    }
    for (size_t i = 0; i < fat_.size(); ++i) Put32(SectorAt(out, base_) + 4 * i, fat_[i]);

    // Directory: the used entries, then empty ones up to the end of the last sector.
    uint8_t* dir = SectorAt(out, firstDirectory_);
    for (uint32_t id = 0; id < directorySectors_ * kEntriesPerSector; ++id) {
      uint8_t* e = dir + static_cast<size_t>(id) * kEntrySize;
      Put32(e + kEntLeft, kNoEntry);
      Put32(e + kEntRight, kNoEntry);
      Put32(e + kEntChild, kNoEntry);
      if (id >= slots_.size()) continue;
      const Slot& slot = slots_[id];
      const Entry& entry = *slot.entry;
      const size_t units = std::min(entry.name.size(), kMaxNameUnits);
      for (size_t i = 0; i < units; ++i) Put16(e + kEntName + 2 * i, entry.name[i]);
      Put16(e + kEntNameLength, static_cast<uint16_t>((units + 1) * 2));
      e[kEntType] = entry.type;
      e[kEntColour] = slot.colour;
      Put32(e + kEntLeft, slot.left);
      Put32(e + kEntRight, slot.right);
      Put32(e + kEntChild, slot.child);
      if (entry.IsStorage()) {
        WriteGuid(e + kEntClsid, entry.clsid);
        Put32(e + kEntStateBits, entry.stateBits);
      }
      // Streams carry no times; the root no creation time.
      if (entry.type == kTypeStorage) WriteTime(e + kEntCreated, entry.created);
      if (entry.IsStorage()) WriteTime(e + kEntModified, entry.modified);
      Put32(e + kEntStart, slot.start);
      Put64(e + kEntSize, slot.size);
    }

    if (miniFatSectors_) {
      uint8_t* mf = SectorAt(out, firstMiniFat_);
      const size_t entries = static_cast<size_t>(miniFatSectors_) * kFatPerSector;
      for (size_t i = 0; i < entries; ++i) Put32(mf + 4 * i, i < miniFat_.size() ? miniFat_[i] : kFreeSector);
    }
    for (const Slot& slot : slots_) {
      if (slot.entry->type != kTypeStream || slot.size == 0) continue;
      const auto& data = slot.entry->data;
      uint8_t* target = slot.size < kMiniStreamCutoff
                            ? SectorAt(out, slots_[0].start) + static_cast<size_t>(slot.start) * kMiniSectorSize
                            : SectorAt(out, slot.start);
      std::memcpy(target, data.data(), data.size());
    }
  }

  std::vector<Slot> slots_;
  std::vector<uint32_t> fat_;
  std::vector<uint32_t> miniFat_;
  uint64_t miniStreamBytes_ = 0;
  uint32_t directorySectors_ = 0, miniFatSectors_ = 0, miniStreamSectors_ = 0;
  uint32_t base_ = 0;
  uint32_t fatSectors_ = 0, difatSectors_ = 0, totalSectors_ = 0;
  uint32_t firstDifat_ = kEndOfChain, firstDirectory_ = 0, firstMiniFat_ = kEndOfChain;
};

}  // namespace

HRESULT Serialize(const Entry& root, std::vector<uint8_t>* out) {
  uint32_t endSector = 0;
  return SerializeFrom(root, 0, out, &endSector);
}

HRESULT SerializeFrom(const Entry& root, uint32_t firstSector, std::vector<uint8_t>* out, uint32_t* endSector) {
  try {
    Writer writer;
    const HRESULT hr = writer.Prepare(root, firstSector, endSector);
    if (SUCCEEDED(hr)) writer.Write(out);
    return hr;
  } catch (const std::bad_alloc&) {
    return STG_E_INSUFFICIENTMEMORY;
  }
}

HRESULT MeasureFrom(const Entry& root, uint32_t firstSector, uint32_t* endSector) {
  try {
    Writer writer;
    return writer.Prepare(root, firstSector, endSector);
  } catch (const std::bad_alloc&) {
    return STG_E_INSUFFICIENTMEMORY;
  }
}

}  // namespace kx2::cfb
