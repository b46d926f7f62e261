// Hashed item caches: bucket chains for lookup, a circular doubly linked ring for
// recency, and eviction by count and by summed size.
#include "basalt/base_cache.h"

#include "basalt/error.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace Basalt::Base {
namespace {

// The creation and statistics records are checked against this build's sizes: their
// user value, callback and handle fields are pointer-sized here.
static_assert(sizeof(KX2CACHEINFO) == 6 * sizeof(uint32_t) + 2 * sizeof(void*));
static_assert(sizeof(KX2CACHESTAT) == 6 * sizeof(uint32_t) + sizeof(void*));

constexpr uint32_t kMaxBuckets = 0xFFFA;
// A bucket longer than this loses a node on every put while a limit is set.
constexpr int32_t kBucketTrimLength = 128;

enum PutMode { kAddMode = 0, kPutMode = 1 };

CACHEBUCKET* Buckets(CACHEDES* des) { return reinterpret_cast<CACHEBUCKET*>(des + 1); }

uint8_t* ItemOf(tagCACHENODE* node) { return reinterpret_cast<uint8_t*>(node + 1); }

// The callback, or plain defaults without one: every item in one bucket, items equal
// when their bytes are, the cache copying them.
int Call(CACHEDES* des, int command, void* item, const void* other) {
  if (des->info.callback) return des->info.callback(command, item, const_cast<void*>(other), des->info.user);
  switch (command) {
    case kCacheCompare:
      return std::memcmp(item, other, des->info.itemLength) == 0;
    case kCacheSize:
      return static_cast<int>(des->info.itemLength);
    default:
      return 0;
  }
}

uint32_t BucketOf(CACHEDES* des, const void* key) {
  return static_cast<uint32_t>(Call(des, kCacheHash, const_cast<void*>(key), nullptr)) % des->info.bucketCount;
}

tagCACHENODE* FindNode(CACHEDES* des, const void* key, uint32_t* bucketOut) {
  const uint32_t bucket = BucketOf(des, key);
  if (bucketOut) *bucketOut = bucket;
  for (tagCACHENODE* n = Buckets(des)[bucket].first; n; n = n->chain)
    if (Call(des, kCacheCompare, ItemOf(n), key)) return n;
  return nullptr;
}

void UnlinkFromRing(CACHEDES* des, tagCACHENODE* node) {
  if (des->head == node) des->head = node->next == node ? nullptr : node->next;
  node->prev->next = node->next;
  node->next->prev = node->prev;
  node->next = node->prev = node;
}

// Links the node just before the head, that is as the ring's tail.
void LinkAsTail(CACHEDES* des, tagCACHENODE* node) {
  tagCACHENODE* head = des->head;
  if (!head) {
    node->next = node->prev = node;
    des->head = node;
    return;
  }
  node->next = head;
  node->prev = head->prev;
  head->prev->next = node;
  head->prev = node;
}

void UnlinkFromChain(CACHEBUCKET& bucket, tagCACHENODE* node) {
  for (tagCACHENODE** link = &bucket.first; *link; link = &(*link)->chain) {
    if (*link == node) {
      *link = node->chain;
      node->chain = nullptr;
      return;
    }
  }
}

// Takes the node out of its bucket chain and the ring, and out of the totals.
void UnlinkNode(CACHEDES* des, tagCACHENODE* node, uint32_t bucket) {
  UnlinkFromChain(Buckets(des)[bucket], node);
  --Buckets(des)[bucket].count;
  UnlinkFromRing(des, node);
  des->totalSize -= node->size;
  --des->count;
}

void FreeNode(CACHEDES* des, tagCACHENODE* node) {
  Call(des, kCacheRelease, ItemOf(node), nullptr);
  std::free(node);
}

void DeleteNode(CACHEDES* des, tagCACHENODE* node, uint32_t bucket) {
  UnlinkNode(des, node, bucket);
  FreeNode(des, node);
}

void InsertNode(CACHEDES* des, tagCACHENODE* node, uint32_t bucket, PutMode mode) {
  CACHEBUCKET& b = Buckets(des)[bucket];
  if (mode == kPutMode) {
    node->chain = b.first;
    b.first = node;
  } else {
    tagCACHENODE** link = &b.first;
    while (*link) link = &(*link)->chain;
    node->chain = nullptr;
    *link = node;
  }
  const bool wasEmpty = des->head == nullptr;
  LinkAsTail(des, node);
  if (mode == kPutMode || wasEmpty) des->head = node;
}

void ShiftOut(CACHEDES* des, tagCACHENODE* node, uint32_t bucket, PutMode mode) {
  const KX2CACHEINFO& info = des->info;
  CACHEBUCKET& b = Buckets(des)[bucket];
  if ((info.maxCount || info.maxSize) && b.count > kBucketTrimLength && des->count > info.minCount) {
    tagCACHENODE* victim = b.first;
    if (mode == kPutMode)
      while (victim->chain) victim = victim->chain;
    DeleteNode(des, victim, bucket);
  }
  while ((info.maxSize && des->totalSize > info.maxSize && des->count > info.minCount) ||
         (info.maxCount && des->count > info.maxCount)) {
    tagCACHENODE* victim = mode == kPutMode ? des->head->prev : des->head;
    if (victim == node) break;
    DeleteNode(des, victim, BucketOf(des, ItemOf(victim)));
  }
}

// A new node holding a copy of the item, or null (out of memory, or the callback
// refused the copy).
tagCACHENODE* AddNewNode(CACHEDES* des, const void* item, int32_t size) {
  const size_t itemBytes = std::max<size_t>(des->info.itemLength, 4);
  auto* node = static_cast<tagCACHENODE*>(std::calloc(1, sizeof(tagCACHENODE) + itemBytes));
  if (!node) {
    Error::BaseError::_SetError(Error::kErrorOutOfMemory);
    return nullptr;
  }
  node->next = node->prev = node;
  node->size = size;
  uint8_t* storage = ItemOf(node);
  Call(des, kCachePrepare, storage, nullptr);
  const int copied = Call(des, kCacheCopy, storage, item);
  if (copied == 0) {
    std::memcpy(storage, item, des->info.itemLength);
  } else if (copied != 1) {
    FreeNode(des, node);
    return nullptr;
  }
  return node;
}

void* PutItem(CACHEDES* des, const void* item, PutMode mode) {
  if (!des || !item) return nullptr;
  uint32_t bucket = 0;
  if (FindNode(des, item, &bucket)) return nullptr;
  int32_t size = 0;
  if (des->info.maxSize) {
    size = Call(des, kCacheSize, const_cast<void*>(item), nullptr);
    if (size >= des->info.maxSize && des->count + 1 > des->info.minCount) return nullptr;
  }
  tagCACHENODE* node = AddNewNode(des, item, size);
  if (!node) return nullptr;
  des->totalSize += size;
  ++des->count;
  ++Buckets(des)[bucket].count;
  InsertNode(des, node, bucket, mode);
  ShiftOut(des, node, bucket, mode);
  return ItemOf(node);
}

}  // namespace

void* BaseCache::_CacheCreate(const KX2CACHEINFO* info) {
  if (!info || info->size != sizeof(KX2CACHEINFO) || info->bucketCount < 1 || info->bucketCount > kMaxBuckets)
    return nullptr;
  auto* des = static_cast<CACHEDES*>(std::calloc(1, sizeof(CACHEDES) + info->bucketCount * sizeof(CACHEBUCKET)));
  if (!des) {
    Error::BaseError::_SetError(Error::kErrorOutOfMemory);
    return nullptr;
  }
  des->info = *info;
  return des;
}

void BaseCache::_CacheSetUserCacheFunc(void* cache, KX2CACHEPROC callback, LONG_PTR user) {
  if (auto* des = static_cast<CACHEDES*>(cache)) {
    des->info.callback = callback;
    des->info.user = user;
  }
}

void BaseCache::_CacheDelete(void* cache) {
  if (!cache) return;
  _CacheRemove(cache, nullptr);
  std::free(cache);
}

void* BaseCache::_CacheGet(void* cache, const void* key) {
  auto* des = static_cast<CACHEDES*>(cache);
  if (!des || !key) return nullptr;
  uint32_t bucket = 0;
  tagCACHENODE* node = FindNode(des, key, &bucket);
  if (!node) return nullptr;
  if (des->head != node) {
    CACHEBUCKET& b = Buckets(des)[bucket];
    UnlinkFromChain(b, node);
    node->chain = b.first;
    b.first = node;
    UnlinkFromRing(des, node);
    LinkAsTail(des, node);
    des->head = node;
  }
  return ItemOf(node);
}

void* BaseCache::_CacheFind(void* cache, const void* key) {
  auto* des = static_cast<CACHEDES*>(cache);
  if (!des || !key) return nullptr;
  tagCACHENODE* node = FindNode(des, key, nullptr);
  return node ? ItemOf(node) : nullptr;
}

void* BaseCache::_CachePut(void* cache, const void* item) {
  return PutItem(static_cast<CACHEDES*>(cache), item, kPutMode);
}

void* BaseCache::_CacheAdd(void* cache, const void* item) {
  return PutItem(static_cast<CACHEDES*>(cache), item, kAddMode);
}

int BaseCache::_CacheRemove(void* cache, const void* key) {
  auto* des = static_cast<CACHEDES*>(cache);
  if (!des) return 0;
  if (key) {
    uint32_t bucket = 0;
    tagCACHENODE* node = FindNode(des, key, &bucket);
    if (!node) return 0;
    DeleteNode(des, node, bucket);
    return 1;
  }
  // Everything: the ring visits every node once.
  tagCACHENODE* node = des->head;
  if (node) node->prev->next = nullptr;
  des->head = nullptr;
  while (node) {
    tagCACHENODE* next = node->next;
    FreeNode(des, node);
    node = next;
  }
  std::memset(Buckets(des), 0, des->info.bucketCount * sizeof(CACHEBUCKET));
  des->totalSize = 0;
  des->count = 0;
  return 1;
}

void* BaseCache::_CacheEnum(void* cache, int fromHead) {
  auto* des = static_cast<CACHEDES*>(cache);
  if (!des || !des->head) return nullptr;
  return fromHead ? des->head : des->head->prev;
}

void* BaseCache::_CacheNext(void* cache, void** cursor) {
  auto* des = static_cast<CACHEDES*>(cache);
  if (!des || !cursor || !*cursor) return nullptr;
  auto* node = static_cast<tagCACHENODE*>(*cursor);
  *cursor = node->next == des->head ? nullptr : node->next;
  return ItemOf(node);
}

void* BaseCache::_CachePrev(void* cache, void** cursor) {
  auto* des = static_cast<CACHEDES*>(cache);
  if (!des || !cursor || !*cursor) return nullptr;
  auto* node = static_cast<tagCACHENODE*>(*cursor);
  *cursor = node == des->head ? nullptr : node->prev;
  return ItemOf(node);
}

int BaseCache::_CacheGetCount(void* cache, int bucket) {
  auto* des = static_cast<CACHEDES*>(cache);
  if (!des) return 0;
  if (bucket == -1) return des->count;
  if (bucket < 0 || static_cast<uint32_t>(bucket) >= des->info.bucketCount) return 0;
  return Buckets(des)[bucket].count;
}

int BaseCache::_CacheGetStat(void* cache, KX2CACHESTAT* stat) {
  auto* des = static_cast<CACHEDES*>(cache);
  if (!des || !stat || stat->size != sizeof(KX2CACHESTAT)) return 0;
  int32_t largest = 0, smallest = 0, empty = 0;
  for (uint32_t i = 0; i < des->info.bucketCount; ++i) {
    const int32_t c = Buckets(des)[i].count;
    if (c == 0) {
      ++empty;
      continue;
    }
    largest = std::max(largest, c);
    smallest = smallest == 0 ? c : std::min(smallest, c);
  }
  stat->count = des->count;
  stat->totalSize = des->totalSize;
  stat->largestBucket = largest;
  stat->smallestBucket = smallest;
  stat->emptyBuckets = empty;
  stat->cache = des;
  return 1;
}

int BaseCache::_CacheGetHashStr(const char16_t* text) {
  uint32_t h = 0;
  for (; text && *text; ++text) {
    uint32_t c = *text;
    if (c >= u'a' && c <= u'z') c -= u'a' - u'A';
    h = h * 33 + c;
  }
  return static_cast<int>(h);
}

int CacheItem::GetHash() const { return 0; }
int CacheItem::GetSize() const { return 0; }
int CacheItem::Compare(const CacheItem*) const { return 0; }
int CacheItem::Copy(const CacheItem*) { return 0; }

}  // namespace Basalt::Base
