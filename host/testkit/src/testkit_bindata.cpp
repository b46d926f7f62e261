// The kit's binary-data store.
#include <vantorel/testkit_bindata.h>

#include <cstring>
#include <new>

#include "core/census.h"

namespace vantorel::testkit {

struct BinDataKitState {
  struct Entry {
    std::vector<uint8_t> bytes;
    int32_t refs = 0;
  };
  std::vector<Entry> entries;  // identifier i + 1
  bool keepsData = false;
  int32_t badReleases = 0;
  std::vector<std::string> calls;

  Entry* Find(ULONG_PTR id) {
    if (id == 0 || id > entries.size()) return nullptr;
    return &entries[id - 1];
  }
  uint16_t Add(std::vector<uint8_t> bytes) {
    if (entries.size() >= 0xFFFE) return 0;
    entries.push_back(Entry{std::move(bytes), 0});
    return static_cast<uint16_t>(entries.size());
  }
};

namespace {

using vantorel::detail::RefCounted;

// Data larger than this is refused when read back: a damaged word must not make the store
// allocate without bound.
constexpr uint32_t kMaxDataBytes = 16u << 20;

uint32_t Checksum(const std::vector<uint8_t>& bytes) {
  uint32_t h = 2166136261u;
  for (uint8_t b : bytes) h = (h ^ b) * 16777619u;
  return h;
}

void Describe(const std::vector<uint8_t>& bytes, Kx2::ValueBlock16* block, uint32_t* word) {
  const auto size = static_cast<uint32_t>(bytes.size());
  const uint32_t sum = Checksum(bytes);
  if (word) *word = size;
  if (block) {
    std::memset(block->bytes, 0, 16);
    std::memcpy(block->bytes, &size, 4);
    std::memcpy(block->bytes + 4, &sum, 4);
  }
}

class KitStore : public RefCounted<IKx2BinDataStore> {
 public:
  explicit KitStore(std::shared_ptr<BinDataKitState> state) : state_(std::move(state)) {}
  const char* Kind() const override { return "kit binary-data store"; }

  LONG_PTR Reserved3() override { return 0; }
  LONG_PTR Reserved5() override { return 0; }

  ULONG_PTR AddReference(ULONG_PTR id) override {
    BinDataKitState::Entry* entry = state_->Find(id);
    state_->calls.push_back("AddRefData " + std::to_string(id));
    if (!entry) return 0;
    ++entry->refs;
    return id;
  }
  BOOL ReleaseReference(ULONG_PTR id) override {
    BinDataKitState::Entry* entry = state_->Find(id);
    state_->calls.push_back("ReleaseData " + std::to_string(id));
    if (!entry || entry->refs <= 0) {
      ++state_->badReleases;
      return FALSE;
    }
    --entry->refs;
    return TRUE;
  }
  BOOL SameData(ULONG_PTR a, ULONG_PTR b) override {
    state_->calls.push_back("SameData " + std::to_string(a) + " " + std::to_string(b));
    if (a == b) return TRUE;
    const BinDataKitState::Entry* x = state_->Find(a);
    const BinDataKitState::Entry* y = state_->Find(b);
    return x && y && x->bytes == y->bytes;
  }
  ULONG_PTR ExchangeData(IKx2DataStream* stream, ULONG_PTR id, Kx2::ValueBlock16* block, uint32_t* word,
                         BOOL writing) override {
    state_->calls.push_back(std::string(writing ? "ExchangeData write " : "ExchangeData read ") + std::to_string(id));
    if (!stream || !block || !word) return 0;
    if (writing) {
      const BinDataKitState::Entry* entry = state_->Find(id);
      if (!entry) {
        Describe({}, block, word);
        return 0;
      }
      Describe(entry->bytes, block, word);
      const auto size = static_cast<int32_t>(entry->bytes.size());
      if (size > 0 && stream->WriteBytes(entry->bytes.data(), size) != size) return 0;
      return id;
    }
    if (*word > kMaxDataBytes) return 0;
    std::vector<uint8_t> bytes(*word);
    if (!bytes.empty() &&
        stream->ReadBytes(bytes.data(), static_cast<int32_t>(bytes.size())) != static_cast<int32_t>(bytes.size()))
      return 0;
    Kx2::ValueBlock16 expected;
    uint32_t size;
    Describe(bytes, &expected, &size);
    if (std::memcmp(expected.bytes, block->bytes, 8) != 0) return 0;
    // Equal data shares one identifier, as the host keeps each picture once.
    for (size_t i = 0; i < state_->entries.size(); ++i) {
      if (state_->entries[i].bytes == bytes) {
        ++state_->entries[i].refs;
        return i + 1;
      }
    }
    const uint16_t fresh = state_->Add(std::move(bytes));
    if (fresh) state_->Find(fresh)->refs = 1;
    return fresh;
  }
  BOOL KeepsData() override { return state_->keepsData ? TRUE : FALSE; }

 private:
  std::shared_ptr<BinDataKitState> state_;
};

}  // namespace

BinDataKit::BinDataKit() : state_(std::make_shared<BinDataKitState>()), store_(new KitStore(state_)) {}

BinDataKit::~BinDataKit() { store_->Release(); }

uint16_t BinDataKit::AddData(std::vector<uint8_t> bytes) { return state_->Add(std::move(bytes)); }

int32_t BinDataKit::RefCount(uint32_t id) const {
  const BinDataKitState::Entry* entry = state_->Find(id);
  return entry ? entry->refs : -1;
}

int64_t BinDataKit::TotalReferences() const {
  int64_t total = 0;
  for (const auto& e : state_->entries) total += e.refs;
  return total;
}

int32_t BinDataKit::BadReleases() const { return state_->badReleases; }

const std::vector<uint8_t>* BinDataKit::Data(uint32_t id) const {
  const BinDataKitState::Entry* entry = state_->Find(id);
  return entry ? &entry->bytes : nullptr;
}

void BinDataKit::SetKeepsData(bool keeps) { state_->keepsData = keeps; }

const std::vector<std::string>& BinDataKit::calls() const { return state_->calls; }
void BinDataKit::ClearCalls() { state_->calls.clear(); }

}  // namespace vantorel::testkit
