// Item caches: the documented cases, then long random sequences against a plain model.
#include "basalt/base_cache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <map>
#include <random>
#include <vector>

namespace {

using namespace Basalt::Base;

struct Item {
  uint32_t key;
  uint32_t serial;  // which put stored this copy
  int32_t size;
  uint32_t unused;
};

enum class HashKind { Key, Constant, KeyMod3 };

// The callback's side: records releases and answers by simple rules on the key.
struct Harness {
  HashKind hash = HashKind::Key;
  bool varyCopy = false;  // some keys copied by the callback, some refused
  std::vector<uint32_t> released;
  int prepared = 0;

  static bool CallbackCopies(uint32_t key) { return key % 7 == 3; }
  static bool CallbackRefuses(uint32_t key) { return key % 11 == 5; }

  static int Callback(int command, void* item, void* other, LONG_PTR user) {
    auto* h = reinterpret_cast<Harness*>(user);
    auto* it = static_cast<Item*>(item);
    auto* ot = static_cast<const Item*>(other);
    switch (command) {
      case kCacheHash:
        return h->hash == HashKind::Constant  ? 12345
               : h->hash == HashKind::KeyMod3 ? int(it->key % 3)
                                              : int(it->key * 2654435761u);
      case kCacheCompare:
        return it->key == ot->key;
      case kCachePrepare:
        ++h->prepared;
        return 0;
      case kCacheRelease:
        h->released.push_back(it->serial);
        return 0;
      case kCacheSize:
        return it->size;
      case kCacheCopy:
        if (h->varyCopy && CallbackRefuses(ot->key)) return 2;
        if (h->varyCopy && CallbackCopies(ot->key)) {
          *it = *ot;
          return 1;
        }
        return 0;
    }
    return 0;
  }
};

KX2CACHEINFO Info(Harness& h, int32_t maxCount, int32_t maxSize, int32_t minCount, uint32_t buckets) {
  return KX2CACHEINFO{sizeof(KX2CACHEINFO),           sizeof(Item),      maxCount, maxSize, minCount, buckets,
                      reinterpret_cast<LONG_PTR>(&h), &Harness::Callback};
}

std::vector<uint32_t> RingKeys(void* cache, bool fromHead) {
  std::vector<uint32_t> keys;
  void* cursor = BaseCache::_CacheEnum(cache, fromHead ? 1 : 0);
  while (cursor) {
    auto* it =
        static_cast<Item*>(fromHead ? BaseCache::_CacheNext(cache, &cursor) : BaseCache::_CachePrev(cache, &cursor));
    keys.push_back(it->key);
  }
  return keys;
}

TEST(Cache, CreationChecksItsRecord) {
  Harness h;
  KX2CACHEINFO info = Info(h, 0, 0, 0, 7);
  void* c = BaseCache::_CacheCreate(&info);
  ASSERT_NE(c, nullptr);
  BaseCache::_CacheDelete(c);
  for (auto bad : {KX2CACHEINFO{32, 16, 0, 0, 0, 7, 0, nullptr}, Info(h, 0, 0, 0, 0), Info(h, 0, 0, 0, 65531)})
    EXPECT_EQ(BaseCache::_CacheCreate(&bad), nullptr);
  info = Info(h, 0, 0, 0, 65530);
  c = BaseCache::_CacheCreate(&info);
  EXPECT_NE(c, nullptr);
  KX2CACHESTAT stat{28};
  EXPECT_EQ(BaseCache::_CacheGetStat(c, &stat), 0);
  stat.size = sizeof(KX2CACHESTAT);
  ASSERT_EQ(BaseCache::_CacheGetStat(c, &stat), 1);
  EXPECT_EQ(stat.emptyBuckets, 65530);
  EXPECT_EQ(stat.cache, c);
  BaseCache::_CacheDelete(c);
}

TEST(Cache, SecondPutOfAMatchingItemIsRefused) {
  Harness h;
  KX2CACHEINFO info = Info(h, 0, 0, 0, 7);
  void* c = BaseCache::_CacheCreate(&info);
  Item a{1, 1, 0, 0}, b{2, 2, 0, 0}, a2{1, 3, 0, 0};
  BaseCache::_CachePut(c, &a);
  BaseCache::_CachePut(c, &b);
  EXPECT_EQ(BaseCache::_CachePut(c, &a2), nullptr);
  EXPECT_EQ(static_cast<Item*>(BaseCache::_CacheFind(c, &a2))->serial, 1u);
  EXPECT_EQ(RingKeys(c, true), (std::vector<uint32_t>{2, 1}));
  BaseCache::_CacheDelete(c);
  EXPECT_EQ(h.released.size(), 2u);
}

TEST(Cache, PutEvictsLeastRecentAddEvictsOldest) {
  struct Case {
    bool put;
    std::vector<uint32_t> evicted;  // after A B C, then get, then D
    uint32_t got;
  } cases[] = {{true, {1, 3}, 2}, {false, {1, 3}, 3}};
  for (const Case& k : cases) {
    Harness h;
    KX2CACHEINFO info = Info(h, 2, 0, 0, 7);
    void* c = BaseCache::_CacheCreate(&info);
    auto store = [&](uint32_t key) {
      Item it{key, key, 0, 0};
      return k.put ? BaseCache::_CachePut(c, &it) : BaseCache::_CacheAdd(c, &it);
    };
    store(1), store(2), store(3);
    Item key{k.got, 0, 0, 0};
    EXPECT_NE(BaseCache::_CacheGet(c, &key), nullptr);
    store(4);
    EXPECT_EQ(h.released, k.evicted) << (k.put ? "put" : "add");
    BaseCache::_CacheDelete(c);
  }
}

TEST(Cache, SizeLimitAndMinimumCount) {
  Harness h;
  KX2CACHEINFO info = Info(h, 0, 100, 0, 3);
  void* c = BaseCache::_CacheCreate(&info);
  Item big{1, 1, 100, 0};
  EXPECT_EQ(BaseCache::_CachePut(c, &big), nullptr);  // reaches the limit on its own
  Item a{2, 2, 60, 0}, b{3, 3, 60, 0};
  EXPECT_NE(BaseCache::_CachePut(c, &a), nullptr);
  EXPECT_NE(BaseCache::_CachePut(c, &b), nullptr);  // evicts a, never itself
  EXPECT_EQ(h.released, std::vector<uint32_t>{2});
  BaseCache::_CacheDelete(c);

  // Under the minimum count the size limit neither refuses nor evicts.
  Harness h2;
  info = Info(h2, 0, 100, 2, 3);
  c = BaseCache::_CacheCreate(&info);
  EXPECT_NE(BaseCache::_CachePut(c, &big), nullptr);
  EXPECT_NE(BaseCache::_CachePut(c, &a), nullptr);
  EXPECT_TRUE(h2.released.empty());
  EXPECT_NE(BaseCache::_CachePut(c, &b), nullptr);
  EXPECT_EQ(h2.released, std::vector<uint32_t>{1});
  KX2CACHESTAT stat{sizeof(KX2CACHESTAT)};
  BaseCache::_CacheGetStat(c, &stat);
  EXPECT_EQ(stat.count, 2);
  EXPECT_EQ(stat.totalSize, 120);
  BaseCache::_CacheDelete(c);
}

TEST(Cache, EnumerationAndRemoval) {
  Harness h;
  KX2CACHEINFO info = Info(h, 0, 0, 0, 7);
  void* c = BaseCache::_CacheCreate(&info);
  EXPECT_EQ(BaseCache::_CacheEnum(c, 1), nullptr);
  EXPECT_EQ(BaseCache::_CacheEnum(c, 0), nullptr);
  Item a{1, 1, 0, 0};
  BaseCache::_CacheAdd(c, &a);
  EXPECT_EQ(RingKeys(c, true), std::vector<uint32_t>{1});
  EXPECT_EQ(RingKeys(c, false), std::vector<uint32_t>{1});
  for (uint32_t k = 2; k <= 5; ++k) {
    Item it{k, k, 0, 0};
    BaseCache::_CacheAdd(c, &it);
  }
  EXPECT_EQ(RingKeys(c, true), (std::vector<uint32_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(RingKeys(c, false), (std::vector<uint32_t>{5, 4, 3, 2, 1}));
  Item k3{3, 0, 0, 0};
  EXPECT_EQ(BaseCache::_CacheRemove(c, &k3), 1);
  EXPECT_EQ(BaseCache::_CacheRemove(c, &k3), 0);
  EXPECT_EQ(BaseCache::_CacheRemove(c, nullptr), 1);
  std::sort(h.released.begin(), h.released.end());
  EXPECT_EQ(h.released, (std::vector<uint32_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(BaseCache::_CacheGetCount(c, -1), 0);
  EXPECT_NE(BaseCache::_CachePut(c, &a), nullptr);  // still usable
  EXPECT_EQ(BaseCache::_CacheGetCount(c, -1), 1);
  BaseCache::_CacheDelete(c);
}

TEST(Cache, TextHashFoldsAsciiLettersOnly) {
  EXPECT_EQ(BaseCache::_CacheGetHashStr(u"Arial Black"), BaseCache::_CacheGetHashStr(u"ARIAL bLACK"));
  EXPECT_NE(BaseCache::_CacheGetHashStr(u"\u00e9"), BaseCache::_CacheGetHashStr(u"\u00c9"));
  EXPECT_EQ(BaseCache::_CacheGetHashStr(u"ab"), int(('A' * 33) + 'B'));
  EXPECT_EQ(BaseCache::_CacheGetHashStr(u""), 0);
}

// ---- the model ----

struct Model {
  KX2CACHEINFO info;
  Harness* h;
  std::vector<std::deque<uint32_t>> chains;  // serials, chain order
  std::deque<uint32_t> ring;                 // serials, head first
  std::map<uint32_t, Item> items;
  int32_t total = 0;
  std::vector<uint32_t> released;

  uint32_t BucketOf(uint32_t key) const {
    Item it{key, 0, 0, 0};
    return static_cast<uint32_t>(Harness::Callback(kCacheHash, &it, nullptr, reinterpret_cast<LONG_PTR>(h))) %
           info.bucketCount;
  }
  int Find(uint32_t key) const {
    for (uint32_t s : chains[BucketOf(key)])
      if (items.at(s).key == key) return static_cast<int>(s);
    return -1;
  }
  void Delete(uint32_t serial) {
    auto& chain = chains[BucketOf(items.at(serial).key)];
    chain.erase(std::find(chain.begin(), chain.end(), serial));
    ring.erase(std::find(ring.begin(), ring.end(), serial));
    total -= info.maxSize ? items.at(serial).size : 0;
    items.erase(serial);
    released.push_back(serial);
  }
  int Put(const Item& it, bool putMode) {
    if (Find(it.key) >= 0) return -1;
    if (info.maxSize && it.size >= info.maxSize && int(items.size()) + 1 > info.minCount) return -1;
    if (h->varyCopy && Harness::CallbackRefuses(it.key)) {
      released.push_back(0);
      return -1;
    }
    const uint32_t b = BucketOf(it.key);
    items[it.serial] = it;
    total += info.maxSize ? it.size : 0;
    if (putMode) {
      chains[b].push_front(it.serial);
      ring.push_front(it.serial);
    } else {
      chains[b].push_back(it.serial);
      ring.push_back(it.serial);
    }
    if ((info.maxCount || info.maxSize) && chains[b].size() > 128 && int(items.size()) > info.minCount)
      Delete(putMode ? chains[b].back() : chains[b].front());
    while ((info.maxSize && total > info.maxSize && int(items.size()) > info.minCount) ||
           (info.maxCount && int(items.size()) > info.maxCount)) {
      const uint32_t victim = putMode ? ring.back() : ring.front();
      if (victim == it.serial) break;
      Delete(victim);
    }
    return static_cast<int>(it.serial);
  }
  int Get(uint32_t key) {
    const int s = Find(key);
    if (s >= 0 && ring.front() != uint32_t(s)) {
      auto& chain = chains[BucketOf(key)];
      chain.erase(std::find(chain.begin(), chain.end(), uint32_t(s)));
      chain.push_front(s);
      ring.erase(std::find(ring.begin(), ring.end(), uint32_t(s)));
      ring.push_front(s);
    }
    return s;
  }
};

int SerialOf(void* item) { return item ? static_cast<int>(static_cast<Item*>(item)->serial) : -1; }

TEST(Cache, RandomSequencesAgreeWithModel) {
  struct Config {
    int32_t maxCount, maxSize, minCount;
    uint32_t buckets;
    HashKind hash;
    uint32_t keys;
  };
  const Config configs[] = {
      {2, 0, 0, 7, HashKind::Key, 10},          {50, 0, 0, 1009, HashKind::Key, 120},
      {0, 500, 0, 7, HashKind::Key, 60},        {0, 500, 3, 3, HashKind::KeyMod3, 60},
      {20, 300, 5, 1, HashKind::Constant, 40},  {300, 0, 0, 1, HashKind::Constant, 400},
      {0, 5000, 10, 2, HashKind::KeyMod3, 600}, {200, 0, 150, 1, HashKind::Constant, 500},
      {0, 0, 0, 7, HashKind::Key, 50},          {1, 40, 0, 5, HashKind::Key, 8},
  };
  std::mt19937 rng(99);
  uint32_t serial = 1;
  for (size_t ci = 0; ci < std::size(configs); ++ci) {
    const Config& cf = configs[ci];
    for (bool varyCopy : {false, true}) {
      Harness h;
      h.hash = cf.hash;
      h.varyCopy = varyCopy;
      KX2CACHEINFO info = Info(h, cf.maxCount, cf.maxSize, cf.minCount, cf.buckets);
      void* c = BaseCache::_CacheCreate(&info);
      ASSERT_NE(c, nullptr);
      Model m{info, &h, std::vector<std::deque<uint32_t>>(cf.buckets)};
      for (int op = 0; op < 3000; ++op) {
        const uint32_t key = rng() % cf.keys;
        Item probe{key, 0, 0, 0};
        const unsigned kind = rng() % 100;
        int expect = -1, got = -1;
        const bool removeAll = kind == 99;
        if (kind < 45) {
          Item it{key, serial++, static_cast<int32_t>(1 + rng() % 120), 0};
          const bool put = rng() % 2;
          expect = m.Put(it, put);
          got = SerialOf(put ? BaseCache::_CachePut(c, &it) : BaseCache::_CacheAdd(c, &it));
        } else if (kind < 70) {
          expect = m.Get(key);
          got = SerialOf(BaseCache::_CacheGet(c, &probe));
        } else if (kind < 85) {
          expect = m.Find(key);
          got = SerialOf(BaseCache::_CacheFind(c, &probe));
        } else if (!removeAll) {
          const int s = m.Find(key);
          if (s >= 0) m.Delete(s);
          expect = s >= 0;
          got = BaseCache::_CacheRemove(c, &probe);
        } else {
          while (!m.ring.empty()) m.Delete(m.ring.front());
          expect = 1;
          got = BaseCache::_CacheRemove(c, nullptr);
          std::sort(m.released.begin(), m.released.end());
          std::sort(h.released.begin(), h.released.end());
        }
        ASSERT_EQ(got, expect) << "config " << ci << " op " << op << " kind " << kind;
        ASSERT_EQ(h.released, m.released) << "config " << ci << " op " << op;
        ASSERT_EQ(BaseCache::_CacheGetCount(c, -1), int(m.items.size()));
        if (op % 50 == 0 || removeAll) {
          std::vector<uint32_t> ring;
          for (uint32_t s : m.ring) ring.push_back(m.items.at(s).key);
          ASSERT_EQ(RingKeys(c, true), ring) << "config " << ci << " op " << op;
          KX2CACHESTAT stat{sizeof(KX2CACHESTAT)};
          BaseCache::_CacheGetStat(c, &stat);
          ASSERT_EQ(stat.totalSize, m.total);
          for (uint32_t b = 0; b < cf.buckets && b < 16; ++b)
            ASSERT_EQ(BaseCache::_CacheGetCount(c, int(b)), int(m.chains[b].size()));
        }
      }
      // Every stored item is released exactly once, the refused copies included.
      const size_t live = m.items.size();
      BaseCache::_CacheDelete(c);
      EXPECT_EQ(h.released.size(), m.released.size() + live);
      std::vector<uint32_t> all = h.released;
      std::sort(all.begin(), all.end());
      const auto zeros = std::count(all.begin(), all.end(), 0u);
      EXPECT_EQ(std::adjacent_find(all.begin() + zeros, all.end()), all.end());
      EXPECT_EQ(h.prepared, int(all.size()));
    }
  }
}

}  // namespace
