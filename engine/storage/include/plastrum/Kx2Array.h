// The framework's arrays of fixed-size items.
//
// CKx2MArrayBase keeps its items in blocks of a few KiB: one block while they fit,
// then a table of block pointers that grows in groups of 64 entries. Blocks never move,
// so an item's address stays valid while the array grows. CKx2DArrayBase is the
// contiguous twin (one buffer). Both construct, destroy, copy and compare items through
// virtual operations; the byte versions here suit plain records, and CKx2MArray<T> /
// CKx2DArray<T> bind them to a C++ type.
//
// Slots from `count` up to `constructed` hold constructed spare items: shrinking keeps
// them, growing reuses them without constructing again, and FreeExtra destroys them.
//
// Exhausted memory sets thread error 2 and makes the operation return 0 (or -1 for
// those that return an index); nothing throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <plastrum/Export.h>

class PLASTRUM_API CKx2MArrayBase {
 public:
  // itemSize 1..4095 bytes; a block holds ((blockShift + 1) x 1024) / itemSize items.
  CKx2MArrayBase(int itemSize, int blockShift);
  virtual ~CKx2MArrayBase();
  CKx2MArrayBase(const CKx2MArrayBase&) = delete;
  CKx2MArrayBase& operator=(const CKx2MArrayBase&) = delete;

  virtual void ConstructItem(void* item);
  virtual void DestroyItem(void* item);
  // Non-zero on success.
  virtual int CopyItem(void* destination, const void* source);
  // -1, 0 or +1 by the first differing byte; `context` is the caller's.
  virtual int CompareItems(const void* a, const void* b, void* context);

  // Address of item i; null when i is negative or beyond the constructed slots.
  void* GetAt(int32_t i) const;
  int SetSize(int32_t n);
  int SetAtGrow(int32_t i, const void* source);
  // New index, -1 on failure.
  int32_t Add(const void* source);
  // Index of the first appended item, -1 on failure.
  int32_t Append(const CKx2MArrayBase& other);
  int Copy(const CKx2MArrayBase& other);
  int InsertAt(int32_t i, const void* source, int32_t n = 1);
  int InsertAt(int32_t i, const CKx2MArrayBase& other);
  // Removes items i..i+n-1 (n cut at the end of the array); returns the number removed.
  int32_t RemoveAt(int32_t i, int32_t n = 1);
  void FreeExtra();
  // Sorts items from..to inclusive by CompareItems; to = -1 means the last item.
  void Sort(int32_t from, int32_t to, void* context);

  int32_t GetCount() const { return count_; }
  int32_t GetConstructed() const { return constructed_; }
  int ItemSize() const { return layout_ & 0xFFF; }
  int BlockShift() const { return layout_ >> 12; }
  int32_t ItemsPerBlock() const;
  int TableGroups() const { return tableGroups_; }
  bool HasStorage() const { return data_ != nullptr; }
  // The block table (segmented mode) or the single block, for tests that check the shape.
  const void* RawData() const { return data_; }

 protected:
  int InsertSpace(int32_t i, int32_t n);
  void* SlotAt(int32_t i) const;  // no checks

 private:
  bool Holds(const void* p) const;
  int EnsureBlocks(int32_t firstIndex, int32_t blocksNeeded);
  void FreeStorage();

  void* data_;
  uint16_t layout_;       // item size in bits 0-11, block shift in bits 12-15
  uint16_t tableGroups_;  // 64-entry groups of the block table; 0 = single block
  int32_t count_;
  int32_t constructed_;
};

template <class T, class ArgT = const T&>
class CKx2MArray : public CKx2MArrayBase {
 public:
  explicit CKx2MArray(int blockShift = 3) : CKx2MArrayBase(sizeof(T), blockShift) {
    static_assert(sizeof(T) <= 4095, "items are at most 4095 bytes");
  }
  ~CKx2MArray() override {
    SetSize(0);
    FreeExtra();
  }
  void ConstructItem(void* item) override {
    if (item) new (item) T();
  }
  // The slot holds exactly a T (made by ConstructItem), so its own destructor is the one to
  // run, whether or not T's is virtual.
  void DestroyItem(void* item) override { static_cast<T*>(item)->T::~T(); }

  T* GetAt(int32_t i) const { return static_cast<T*>(CKx2MArrayBase::GetAt(i)); }
  int SetAtGrow(int32_t i, ArgT value) { return CKx2MArrayBase::SetAtGrow(i, &value); }
  int32_t Add(ArgT value) { return CKx2MArrayBase::Add(&value); }
  int InsertAt(int32_t i, ArgT value, int32_t n = 1) { return CKx2MArrayBase::InsertAt(i, &value, n); }
  T& operator[](int32_t i) const { return *static_cast<T*>(SlotAt(i)); }
};

class PLASTRUM_API CKx2DArrayBase {
 public:
  explicit CKx2DArrayBase(int itemSize);
  virtual ~CKx2DArrayBase();
  CKx2DArrayBase(const CKx2DArrayBase&) = delete;
  CKx2DArrayBase& operator=(const CKx2DArrayBase&) = delete;

  virtual void ConstructItem(void* item);
  virtual void DestroyItem(void* item);
  virtual int CopyItem(void* destination, const void* source);
  virtual int CompareItems(const void* a, const void* b, void* context);

  void* GetAt(int32_t i) const;
  int SetSize(int32_t n);
  int SetAtGrow(int32_t i, const void* source);
  int32_t Add(const void* source);
  int32_t Append(const CKx2DArrayBase& other);
  int Copy(const CKx2DArrayBase& other);
  int InsertAt(int32_t i, const void* source, int32_t n = 1);
  int InsertAt(int32_t i, const CKx2DArrayBase& other);
  int32_t RemoveAt(int32_t i, int32_t n = 1);
  void FreeExtra();
  void Sort(int32_t from, int32_t to, void* context);

  int32_t GetCount() const { return count_; }
  int32_t GetConstructed() const { return constructed_; }
  int32_t GetCapacity() const { return capacity_; }
  int ItemSize() const { return itemSize_; }
  int GrowBy() const { return growBy_; }

 protected:
  // newGrowBy -1 keeps the grow-by step; 0 means automatic (count / 8, 4..1024).
  int InsertSpace(int32_t i, int32_t n, int32_t newGrowBy = -1);
  void* SlotAt(int32_t i) const { return static_cast<char*>(data_) + static_cast<size_t>(i) * itemSize_; }

 private:
  bool Holds(const void* p) const;

  void* data_;
  int32_t capacity_;
  uint16_t itemSize_;
  uint16_t growBy_;
  int32_t count_;
  int32_t constructed_;
};

template <class T, class ArgT = const T&>
class CKx2DArray : public CKx2DArrayBase {
 public:
  CKx2DArray() : CKx2DArrayBase(sizeof(T)) { static_assert(sizeof(T) <= 65535, "items are at most 65535 bytes"); }
  ~CKx2DArray() override {
    SetSize(0);
    FreeExtra();
  }
  void ConstructItem(void* item) override {
    if (item) new (item) T();
  }
  // The slot holds exactly a T (made by ConstructItem), so its own destructor is the one to
  // run, whether or not T's is virtual.
  void DestroyItem(void* item) override { static_cast<T*>(item)->T::~T(); }

  T* GetAt(int32_t i) const { return static_cast<T*>(CKx2DArrayBase::GetAt(i)); }
  int SetAtGrow(int32_t i, ArgT value) { return CKx2DArrayBase::SetAtGrow(i, &value); }
  int32_t Add(ArgT value) { return CKx2DArrayBase::Add(&value); }
  int InsertAt(int32_t i, ArgT value, int32_t n = 1) { return CKx2DArrayBase::InsertAt(i, &value, n); }
  T& operator[](int32_t i) const { return *static_cast<T*>(SlotAt(i)); }
};
