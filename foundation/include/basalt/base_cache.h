// Hashed caches of fixed-length items with a recency ring, optional limits on the item
// count and on the summed item sizes, and one callback that hashes, compares,
// prepares, copies, sizes and releases items.
#pragma once

#include <basalt/export.h>

namespace Basalt::Base {

// Commands the cache gives its callback.
enum : int {
  kCacheHash = 0,     // item or key -> hash code (reduced modulo the bucket count)
  kCacheCompare = 1,  // stored item, key -> non-zero when they match
  kCachePrepare = 2,  // storage of a new item, before the copy
  kCacheRelease = 3,  // stored item, just before its node is freed
  kCacheSize = 4,     // item being put -> its size (asked only under a size limit)
  kCacheCopy = 5,     // storage, item being put -> 0: cache copies; 1: callback copied; else refuse
};

// `user` is the value given at creation, passed back unchanged (pointer-sized here,
// so that it can carry a pointer).
typedef int (*KX2CACHEPROC)(int command, void* item, void* other, LONG_PTR user);

struct KX2CACHEINFO {
  uint32_t size;         // sizeof(KX2CACHEINFO)
  uint32_t itemLength;   // bytes of one item; items are stored as copies of this many
  int32_t maxCount;      // 0 = no count limit
  int32_t maxSize;       // largest sum of item sizes; 0 = no size limit
  int32_t minCount;      // the size limit never evicts below this many items
  uint32_t bucketCount;  // 1..65530
  LONG_PTR user;
  KX2CACHEPROC callback;
};

struct KX2CACHESTAT {
  uint32_t size;  // sizeof(KX2CACHESTAT)
  int32_t count;
  int32_t totalSize;
  int32_t largestBucket;
  int32_t smallestBucket;  // fewest nodes in a bucket that has any (0 when all are empty)
  int32_t emptyBuckets;
  void* cache;
};

// One stored item: its links in the recency ring and its bucket chain, its size, then
// the item bytes (at least 4).
struct tagCACHENODE {
  tagCACHENODE* next;
  tagCACHENODE* prev;
  tagCACHENODE* chain;
  int32_t size;
};

struct CACHEBUCKET {
  tagCACHENODE* first;
  int32_t count;
};

// The cache handle, one zeroed allocation: this header, then `info.bucketCount`
// buckets.
struct CACHEDES {
  KX2CACHEINFO info;
  int32_t totalSize;
  int32_t count;
  tagCACHENODE* head;  // front of the recency ring; head->prev is its tail
};

class BASALT_API BaseCache {
 public:
  static void* _CacheCreate(const KX2CACHEINFO* info);
  static void _CacheSetUserCacheFunc(void* cache, KX2CACHEPROC callback, LONG_PTR user);
  static void _CacheDelete(void* cache);

  // A hit becomes the front of its bucket chain and the head of the ring.
  static void* _CacheGet(void* cache, const void* key);
  // Looks up without moving anything.
  static void* _CacheFind(void* cache, const void* key);
  // Store a copy of the item (its own key); null when a matching item is present,
  // the item is too large, the copy is refused or memory runs out (error 2). Put
  // keeps the ring in recency order and evicts the least recent; Add keeps it in
  // order of arrival and evicts the oldest.
  static void* _CachePut(void* cache, const void* item);
  static void* _CacheAdd(void* cache, const void* item);
  // Removes the matching item (1) or, with a null key, every item (1); 0 when none
  // matches.
  static int _CacheRemove(void* cache, const void* key);

  // Cursor at the ring's head (non-zero `fromHead`) or tail; null when empty.
  static void* _CacheEnum(void* cache, int fromHead);
  // The cursor's item; the cursor moves towards the tail (Next) or the head (Prev)
  // and becomes null when it would wrap round.
  static void* _CacheNext(void* cache, void** cursor);
  static void* _CachePrev(void* cache, void** cursor);

  // Items in all (-1) or in one bucket.
  static int _CacheGetCount(void* cache, int bucket);
  static int _CacheGetStat(void* cache, KX2CACHESTAT* stat);
  // Hash of a text for callbacks keyed by text: ASCII letters fold to upper case.
  static int _CacheGetHashStr(const char16_t* text);
};

// A base for cache items; nothing in the library calls these.
class BASALT_API CacheItem {
 public:
  virtual ~CacheItem() = default;
  virtual int GetHash() const;
  virtual int GetSize() const;
  virtual int Compare(const CacheItem* other) const;
  virtual int Copy(const CacheItem* other);
};

}  // namespace Basalt::Base
