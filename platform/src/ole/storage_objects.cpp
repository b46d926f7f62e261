// The storage, stream and enumerator objects over an open document.
#include <algorithm>
#include <cstring>
#include <new>

#include <kx2/StorageIids.h>
#include <win/kernel.h>

#include "ole/storage_document.h"

namespace kx2::cfb {
namespace {

using Guard = std::lock_guard<std::recursive_mutex>;

FILETIME Now() {
  FILETIME now = {};
  GetSystemTimeAsFileTime(&now);
  return now;
}

bool ContainsName(SNB names, const std::u16string& name) {
  if (!names) return false;
  for (LPOLESTR* p = names; *p; ++p)
    if (CompareNames(*p, name) == 0) return true;
  return false;
}

std::u16string_view NameView(const OLECHAR* name) { return name ? std::u16string_view(name) : std::u16string_view(); }

void FillStat(const Entry& entry, DWORD mode, const std::u16string& name, STATSTG* stat, DWORD flags, HRESULT* hr) {
  std::memset(stat, 0, sizeof(*stat));
  if (!(flags & STATFLAG_NONAME)) {
    stat->pwcsName = TaskString(name);
    if (!stat->pwcsName) *hr = STG_E_INSUFFICIENTMEMORY;
  }
  stat->type = entry.type == kTypeStream ? STGTY_STREAM : STGTY_STORAGE;
  stat->cbSize.QuadPart = entry.type == kTypeStream ? entry.data.size() : 0;
  stat->mtime = entry.modified;
  stat->ctime = entry.created;
  stat->grfMode = mode;
  stat->clsid = entry.clsid;
  stat->grfStateBits = entry.stateBits;
}

// ---- Enumerator ---------------------------------------------------------------------------------

class EnumObject final : public kx2::ComObject<IEnumSTATSTG> {
 public:
  explicit EnumObject(std::vector<STATSTG> items) : items_(std::move(items)) {}
  ~EnumObject() override = default;

  HRESULT STDMETHODCALLTYPE Next(ULONG count, STATSTG* out, ULONG* fetched) override {
    if (!out || (count != 1 && !fetched)) return STG_E_INVALIDPOINTER;
    ULONG n = 0;
    for (; n < count && next_ < items_.size(); ++n, ++next_) {
      out[n] = items_[next_];
      out[n].pwcsName = TaskString(names_[next_]);
    }
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    const size_t left = items_.size() - next_;
    next_ += std::min<size_t>(count, left);
    return count <= left ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    next_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumSTATSTG** out) override {
    if (!out) return STG_E_INVALIDPOINTER;
    try {
      auto* copy = new EnumObject(items_);
      copy->names_ = names_;
      copy->next_ = next_;
      *out = copy;
      return S_OK;
    } catch (const std::bad_alloc&) {
      *out = nullptr;
      return STG_E_INSUFFICIENTMEMORY;
    }
  }

  std::vector<std::u16string> names_;

 private:
  std::vector<STATSTG> items_;
  size_t next_ = 0;
};

// ---- Stream ---------------------------------------------------------------------------------------

class StreamObject final : public kx2::ComObject<IStream> {
 public:
  StreamObject(std::shared_ptr<Document> document, std::shared_ptr<Entry> entry, DWORD mode, uint64_t position,
               bool counted)
      : document_(std::move(document)), entry_(std::move(entry)), mode_(mode), position_(position), counted_(counted) {
    if (counted_) ++entry_->openCount;
  }
  ~StreamObject() override {
    Guard guard(document_->Mutex());
    if (counted_) --entry_->openCount;
  }

  HRESULT STDMETHODCALLTYPE Read(void* pv, ULONG cb, ULONG* pcbRead) override {
    Guard guard(document_->Mutex());
    if (pcbRead) *pcbRead = 0;
    if (entry_->removed) return STG_E_REVERTED;
    if (!pv && cb) return STG_E_INVALIDPOINTER;
    if (!CanRead(mode_)) return STG_E_ACCESSDENIED;
    const auto& data = entry_->data;
    if (position_ >= data.size() || cb == 0) return S_OK;
    const size_t take = static_cast<size_t>(std::min<uint64_t>(cb, data.size() - position_));
    std::memcpy(pv, data.data() + position_, take);
    position_ += take;
    if (pcbRead) *pcbRead = static_cast<ULONG>(take);
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Write(const void* pv, ULONG cb, ULONG* pcbWritten) override {
    Guard guard(document_->Mutex());
    if (pcbWritten) *pcbWritten = 0;
    if (entry_->removed) return STG_E_REVERTED;
    if (!pv && cb) return STG_E_INVALIDPOINTER;
    if (!CanWrite(mode_)) return STG_E_ACCESSDENIED;
    if (cb == 0) return S_OK;
    const uint64_t end = position_ + cb;
    if (end > kMaxStreamSize) return STG_E_MEDIUMFULL;
    auto& data = entry_->data;
    try {
      if (end > data.size()) data.resize(static_cast<size_t>(end));
    } catch (const std::bad_alloc&) {
      return STG_E_INSUFFICIENTMEMORY;
    }
    std::memcpy(data.data() + position_, pv, cb);
    position_ = end;
    document_->Touch();
    if (pcbWritten) *pcbWritten = cb;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override {
    Guard guard(document_->Mutex());
    if (entry_->removed) return STG_E_REVERTED;
    int64_t base;
    switch (origin) {
      case STREAM_SEEK_SET:
        base = 0;
        break;
      case STREAM_SEEK_CUR:
        base = static_cast<int64_t>(position_);
        break;
      case STREAM_SEEK_END:
        base = static_cast<int64_t>(entry_->data.size());
        break;
      default:
        return STG_E_INVALIDFUNCTION;
    }
    const int64_t target = base + move.QuadPart;
    if ((move.QuadPart < 0 && target > base) || target < 0) return STG_E_INVALIDFUNCTION;
    position_ = static_cast<uint64_t>(target);
    if (newPosition) newPosition->QuadPart = position_;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER size) override {
    Guard guard(document_->Mutex());
    if (entry_->removed) return STG_E_REVERTED;
    if (!CanWrite(mode_)) return STG_E_ACCESSDENIED;
    if (size.QuadPart > kMaxStreamSize) return STG_E_MEDIUMFULL;
    try {
      entry_->data.resize(static_cast<size_t>(size.QuadPart));
    } catch (const std::bad_alloc&) {
      return STG_E_INSUFFICIENTMEMORY;
    }
    document_->Touch();
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE CopyTo(IStream* target, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                                   ULARGE_INTEGER* pcbWritten) override {
    if (!target) return STG_E_INVALIDPOINTER;
    if (pcbRead) pcbRead->QuadPart = 0;
    if (pcbWritten) pcbWritten->QuadPart = 0;
    uint8_t piece[4096];
    uint64_t left = cb.QuadPart;
    while (left > 0) {
      ULONG got = 0, put = 0;
      HRESULT hr = Read(piece, static_cast<ULONG>(std::min<uint64_t>(left, sizeof(piece))), &got);
      if (FAILED(hr)) return hr;
      if (got == 0) break;
      if (pcbRead) pcbRead->QuadPart += got;
      hr = target->Write(piece, got, &put);
      if (pcbWritten) pcbWritten->QuadPart += put;
      if (FAILED(hr)) return hr;
      left -= got;
    }
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Commit(DWORD) override {
    Guard guard(document_->Mutex());
    return entry_->removed ? STG_E_REVERTED : S_OK;
  }
  HRESULT STDMETHODCALLTYPE Revert() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return STG_E_INVALIDFUNCTION;
  }

  HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flags) override {
    Guard guard(document_->Mutex());
    if (!stat) return STG_E_INVALIDPOINTER;
    if (entry_->removed) return STG_E_REVERTED;
    HRESULT hr = S_OK;
    FillStat(*entry_, mode_, entry_->name, stat, flags, &hr);
    return hr;
  }

  HRESULT STDMETHODCALLTYPE Clone(IStream** out) override {
    Guard guard(document_->Mutex());
    if (!out) return STG_E_INVALIDPOINTER;
    *out = nullptr;
    if (entry_->removed) return STG_E_REVERTED;
    *out = NewStream(document_, entry_, mode_, position_, false);
    return *out ? S_OK : STG_E_INSUFFICIENTMEMORY;
  }

 private:
  std::shared_ptr<Document> document_;
  std::shared_ptr<Entry> entry_;
  DWORD mode_;
  uint64_t position_;
  bool counted_;
};

// ---- Storage ----------------------------------------------------------------------------------------

class StorageObject final : public kx2::ComObject<IStorage> {
 public:
  StorageObject(std::shared_ptr<Document> document, std::shared_ptr<Entry> entry, DWORD mode)
      : document_(std::move(document)), entry_(std::move(entry)), mode_(mode) {}
  ~StorageObject() override {
    if (!entry_) document_->RootReleased();
  }

  HRESULT STDMETHODCALLTYPE CreateStream(const OLECHAR* name, DWORD mode, DWORD, DWORD, IStream** out) override {
    if (!out) return STG_E_INVALIDPOINTER;
    *out = nullptr;
    Guard guard(document_->Mutex());
    HRESULT hr = CheckChildMode(mode, true, true);
    if (FAILED(hr)) return hr;
    std::shared_ptr<Entry> entry;
    hr = MakeChild(name, kTypeStream, mode, &entry);
    if (FAILED(hr)) return hr;
    *out = NewStream(document_, entry, mode, 0, true);
    return *out ? S_OK : STG_E_INSUFFICIENTMEMORY;
  }

  HRESULT STDMETHODCALLTYPE OpenStream(const OLECHAR* name, void*, DWORD mode, DWORD, IStream** out) override {
    if (!out) return STG_E_INVALIDPOINTER;
    *out = nullptr;
    Guard guard(document_->Mutex());
    HRESULT hr = CheckChildMode(mode, true, false);
    if (FAILED(hr)) return hr;
    std::shared_ptr<Entry> entry;
    hr = FindChild(name, kTypeStream, &entry);
    if (FAILED(hr)) return hr;
    if (entry->openCount > 0) return STG_E_ACCESSDENIED;  // opened once at a time
    *out = NewStream(document_, entry, mode, 0, true);
    return *out ? S_OK : STG_E_INSUFFICIENTMEMORY;
  }

  HRESULT STDMETHODCALLTYPE CreateStorage(const OLECHAR* name, DWORD mode, DWORD, DWORD, IStorage** out) override {
    if (!out) return STG_E_INVALIDPOINTER;
    *out = nullptr;
    Guard guard(document_->Mutex());
    HRESULT hr = CheckChildMode(mode, false, true);
    if (FAILED(hr)) return hr;
    if (Node()->Depth() + 1 > kMaxDepth) return STG_E_INVALIDFUNCTION;
    std::shared_ptr<Entry> entry;
    hr = MakeChild(name, kTypeStorage, mode, &entry);
    if (FAILED(hr)) return hr;
    *out = NewStorage(document_, entry, mode);
    return *out ? S_OK : STG_E_INSUFFICIENTMEMORY;
  }

  HRESULT STDMETHODCALLTYPE OpenStorage(const OLECHAR* name, IStorage* priority, DWORD mode, SNB exclude, DWORD,
                                        IStorage** out) override {
    if (!out) return STG_E_INVALIDPOINTER;
    *out = nullptr;
    if (priority || exclude) return STG_E_INVALIDFUNCTION;
    Guard guard(document_->Mutex());
    HRESULT hr = CheckChildMode(mode, false, false);
    if (FAILED(hr)) return hr;
    std::shared_ptr<Entry> entry;
    hr = FindChild(name, kTypeStorage, &entry);
    if (FAILED(hr)) return hr;
    *out = NewStorage(document_, entry, mode);
    return *out ? S_OK : STG_E_INSUFFICIENTMEMORY;
  }

  HRESULT STDMETHODCALLTYPE CopyTo(DWORD ciidExclude, const IID* rgiidExclude, SNB snbExclude,
                                   IStorage* target) override {
    if (!target) return STG_E_INVALIDPOINTER;
    if (ciidExclude && !rgiidExclude) return STG_E_INVALIDPOINTER;
    bool skipStorages = false, skipStreams = false;
    for (DWORD i = 0; i < ciidExclude; ++i) {
      skipStorages |= rgiidExclude[i] == IID_IStorage;
      skipStreams |= rgiidExclude[i] == IID_IStream;
    }
    Guard guard(document_->Mutex());
    if (Removed()) return STG_E_REVERTED;
    // A storage cannot be copied into itself or into one of its own storages.
    if (auto* own = dynamic_cast<StorageObject*>(target)) {
      for (const Entry* e = own->Node(); e; e = e->parent)
        if (e == Node()) return STG_E_ACCESSDENIED;
    }
    std::vector<std::shared_ptr<Entry>> children = Node()->children;
    for (const auto& child : children) {
      if (ContainsName(snbExclude, child->name)) continue;
      if (child->type == kTypeStream && skipStreams) continue;
      if (child->type == kTypeStorage && skipStorages) continue;
      HRESULT hr = CopyElement(*child, target, child->name);
      if (FAILED(hr)) return hr;
    }
    target->SetClass(Node()->clsid);
    target->SetStateBits(Node()->stateBits, 0xFFFFFFFF);
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE MoveElementTo(const OLECHAR* name, IStorage* target, const OLECHAR* newName,
                                          DWORD flags) override {
    if (!target || !name || !newName) return STG_E_INVALIDPOINTER;
    if (flags != STGMOVE_MOVE && flags != STGMOVE_COPY) return STG_E_INVALIDFLAG;
    Guard guard(document_->Mutex());
    if (Removed()) return STG_E_REVERTED;
    std::shared_ptr<Entry> entry = Node()->Find(NameView(name));
    if (!entry) return STG_E_FILENOTFOUND;
    if (flags == STGMOVE_MOVE && !CanWrite(mode_)) return STG_E_ACCESSDENIED;
    if (auto* own = dynamic_cast<StorageObject*>(target)) {
      for (const Entry* e = own->Node(); e; e = e->parent)
        if (e == entry.get()) return STG_E_ACCESSDENIED;
    }
    HRESULT hr = CopyElement(*entry, target, std::u16string(NameView(newName)));
    if (FAILED(hr)) return hr;
    return flags == STGMOVE_MOVE ? DestroyElement(name) : S_OK;
  }

  HRESULT STDMETHODCALLTYPE Commit(DWORD) override {
    Guard guard(document_->Mutex());
    if (Removed()) return STG_E_REVERTED;
    // Children write through to the root's tree; only the root reaches the file.
    if (entry_ || !document_->Writable()) return S_OK;
    return document_->Save();
  }

  HRESULT STDMETHODCALLTYPE Revert() override {
    Guard guard(document_->Mutex());
    if (Removed()) return STG_E_REVERTED;
    return entry_ ? S_OK : document_->Revert();
  }

  HRESULT STDMETHODCALLTYPE EnumElements(DWORD, void*, DWORD, IEnumSTATSTG** out) override {
    if (!out) return STG_E_INVALIDPOINTER;
    *out = nullptr;
    Guard guard(document_->Mutex());
    if (Removed()) return STG_E_REVERTED;
    try {
      std::vector<std::shared_ptr<Entry>> children = Node()->children;
      std::sort(children.begin(), children.end(),
                [](const auto& a, const auto& b) { return CompareNames(a->name, b->name) < 0; });
      std::vector<STATSTG> items;
      std::vector<std::u16string> names;
      for (const auto& child : children) {
        STATSTG stat;
        HRESULT ignored = S_OK;
        FillStat(*child, 0, child->name, &stat, STATFLAG_NONAME, &ignored);
        items.push_back(stat);
        names.push_back(child->name);
      }
      auto* enumerator = new EnumObject(std::move(items));
      enumerator->names_ = std::move(names);
      *out = enumerator;
      return S_OK;
    } catch (const std::bad_alloc&) {
      return STG_E_INSUFFICIENTMEMORY;
    }
  }

  HRESULT STDMETHODCALLTYPE DestroyElement(const OLECHAR* name) override {
    if (!name) return STG_E_INVALIDPOINTER;
    Guard guard(document_->Mutex());
    if (Removed()) return STG_E_REVERTED;
    if (!CanWrite(mode_)) return STG_E_ACCESSDENIED;
    auto& children = Node()->children;
    auto it = std::find_if(children.begin(), children.end(),
                           [&](const auto& c) { return CompareNames(c->name, NameView(name)) == 0; });
    if (it == children.end()) return STG_E_FILENOTFOUND;
    MarkRemoved(**it);
    (*it)->parent = nullptr;
    children.erase(it);
    Changed();
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE RenameElement(const OLECHAR* oldName, const OLECHAR* newName) override {
    if (!oldName || !newName) return STG_E_INVALIDPOINTER;
    Guard guard(document_->Mutex());
    if (Removed()) return STG_E_REVERTED;
    if (!CanWrite(mode_)) return STG_E_ACCESSDENIED;
    if (!IsValidName(NameView(newName))) return STG_E_INVALIDNAME;
    std::shared_ptr<Entry> entry = Node()->Find(NameView(oldName));
    if (!entry) return STG_E_FILENOTFOUND;
    std::shared_ptr<Entry> clash = Node()->Find(NameView(newName));
    if (clash && clash != entry) return STG_E_FILEALREADYEXISTS;
    entry->name = newName;
    Changed();
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE SetElementTimes(const OLECHAR* name, const FILETIME* created, const FILETIME*,
                                            const FILETIME* modified) override {
    Guard guard(document_->Mutex());
    if (Removed()) return STG_E_REVERTED;
    if (!CanWrite(mode_)) return STG_E_ACCESSDENIED;
    Entry* entry = Node();
    std::shared_ptr<Entry> child;
    if (name) {
      child = Node()->Find(NameView(name));
      if (!child) return STG_E_FILENOTFOUND;
      entry = child.get();
    }
    if (created) entry->created = *created;
    if (modified) entry->modified = *modified;
    document_->Touch();
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE SetClass(REFCLSID clsid) override {
    Guard guard(document_->Mutex());
    if (Removed()) return STG_E_REVERTED;
    if (!CanWrite(mode_)) return STG_E_ACCESSDENIED;
    Node()->clsid = clsid;
    document_->Touch();
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE SetStateBits(DWORD bits, DWORD mask) override {
    Guard guard(document_->Mutex());
    if (Removed()) return STG_E_REVERTED;
    if (!CanWrite(mode_)) return STG_E_ACCESSDENIED;
    Node()->stateBits = (Node()->stateBits & ~mask) | (bits & mask);
    document_->Touch();
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flags) override {
    if (!stat) return STG_E_INVALIDPOINTER;
    Guard guard(document_->Mutex());
    if (Removed()) return STG_E_REVERTED;
    HRESULT hr = S_OK;
    FillStat(*Node(), mode_, entry_ ? entry_->name : document_->Name(), stat, flags, &hr);
    return hr;
  }

  Entry* Node() const { return entry_ ? entry_.get() : document_->Root().get(); }

 private:
  bool Removed() const { return entry_ && entry_->removed; }

  void Changed() {
    Node()->modified = Now();
    document_->Touch();
  }

  HRESULT CheckChildMode(DWORD mode, bool stream, bool create) const {
    if (Removed()) return STG_E_REVERTED;
    HRESULT hr = CheckMode(mode);
    if (FAILED(hr)) return hr;
    // Elements inside a compound file are opened by one object at a time.
    if ((mode & 0x70) != STGM_SHARE_EXCLUSIVE) return STG_E_INVALIDFLAG;
    if (mode & STGM_DELETEONRELEASE) return STG_E_INVALIDFUNCTION;
    if (stream && (mode & STGM_TRANSACTED)) return STG_E_INVALIDFUNCTION;
    if ((create || CanWrite(mode)) && !CanWrite(mode_)) return STG_E_ACCESSDENIED;
    if (create && !CanWrite(mode)) return STG_E_INVALIDFLAG;
    return S_OK;
  }

  HRESULT FindChild(const OLECHAR* name, uint8_t type, std::shared_ptr<Entry>* out) const {
    if (!name) return STG_E_INVALIDPOINTER;
    if (!IsValidName(NameView(name))) return STG_E_INVALIDNAME;
    std::shared_ptr<Entry> entry = Node()->Find(NameView(name));
    if (!entry || entry->type != type) return STG_E_FILENOTFOUND;
    *out = std::move(entry);
    return S_OK;
  }

  // A new element; with STGM_CREATE it replaces one of the same name.
  HRESULT MakeChild(const OLECHAR* name, uint8_t type, DWORD mode, std::shared_ptr<Entry>* out) {
    if (!name) return STG_E_INVALIDPOINTER;
    if (!IsValidName(NameView(name))) return STG_E_INVALIDNAME;
    auto& children = Node()->children;
    auto it = std::find_if(children.begin(), children.end(),
                           [&](const auto& c) { return CompareNames(c->name, NameView(name)) == 0; });
    if (it != children.end()) {
      if (!(mode & STGM_CREATE)) return STG_E_FILEALREADYEXISTS;
      if ((*it)->openCount > 0) return STG_E_ACCESSDENIED;
    }
    try {
      auto entry = std::make_shared<Entry>();
      entry->name = name;
      entry->type = type;
      entry->parent = Node();
      if (type == kTypeStorage) entry->created = entry->modified = Now();
      if (it != children.end()) {
        MarkRemoved(**it);
        (*it)->parent = nullptr;
        *it = entry;
      } else {
        children.push_back(entry);
      }
      *out = std::move(entry);
    } catch (const std::bad_alloc&) {
      return STG_E_INSUFFICIENTMEMORY;
    }
    Changed();
    return S_OK;
  }

  // Copies one element (and all under it) into another storage, through its interface.
  HRESULT CopyElement(const Entry& element, IStorage* target, const std::u16string& name) {
    const DWORD mode = STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE;
    if (element.type == kTypeStream) {
      IStream* stream = nullptr;
      HRESULT hr = target->CreateStream(name.c_str(), mode, 0, 0, &stream);
      if (FAILED(hr)) return hr;
      const std::vector<uint8_t> data = element.data;  // the target may be this document
      size_t done = 0;
      while (SUCCEEDED(hr) && done < data.size()) {
        ULONG put = 0;
        const ULONG want = static_cast<ULONG>(std::min<size_t>(data.size() - done, 1u << 30));
        hr = stream->Write(data.data() + done, want, &put);
        if (SUCCEEDED(hr) && put == 0) hr = STG_E_WRITEFAULT;
        done += put;
      }
      stream->Release();
      return hr;
    }
    IStorage* storage = nullptr;
    HRESULT hr = target->CreateStorage(name.c_str(), mode, 0, 0, &storage);
    if (FAILED(hr)) return hr;
    const std::vector<std::shared_ptr<Entry>> children = element.children;
    for (const auto& child : children) {
      hr = CopyElement(*child, storage, child->name);
      if (FAILED(hr)) break;
    }
    if (SUCCEEDED(hr)) {
      storage->SetClass(element.clsid);
      storage->SetStateBits(element.stateBits, 0xFFFFFFFF);
    }
    storage->Release();
    return hr;
  }

  std::shared_ptr<Document> document_;
  std::shared_ptr<Entry> entry_;  // null for the root, which follows the document's tree
  DWORD mode_;
};

}  // namespace

IStorage* NewRootStorage(std::shared_ptr<Document> document) {
  try {
    const DWORD mode = document->Mode();
    return new StorageObject(std::move(document), nullptr, mode);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

IStorage* NewStorage(std::shared_ptr<Document> document, std::shared_ptr<Entry> entry, DWORD mode) {
  try {
    return new StorageObject(std::move(document), std::move(entry), mode);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

IStream* NewStream(std::shared_ptr<Document> document, std::shared_ptr<Entry> entry, DWORD mode, uint64_t position,
                   bool counted) {
  try {
    return new StreamObject(std::move(document), std::move(entry), mode, position, counted);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace kx2::cfb
