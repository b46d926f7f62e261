// Text objects and their pool.
#include <plastrum/present/text/TextObject.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <unordered_set>
#include <vector>

#include <basalt/error.h>
#include <plastrum/present/text/FontConfig.h>

namespace Present::Text {
namespace {

constexpr size_t kPoolSize = 10;

struct Pool {
  std::vector<TextObject*> pooled;
  std::unordered_set<TextObject*> loose;  // handed out beside the pool
};

Pool& ThePool() {
  // Never destroyed: the library's stop, which runs after static destructors, empties it.
  static Pool* pool = new Pool();
  return *pool;
}

void SetFace(TextSlot* slot, const WCHAR* face) {
  CopyFaceName(slot->faceName, face, 32);
  slot->faceState = 1;
}

}  // namespace

void ResolveSlotFaces(TextFormat* format) {
  for (int s = 0; s < 2; ++s) {
    TextSlot& slot = format->slots[s];
    slot.faceName[31] = 0;
    const FontEntry* entry = FontAt(FindFace(slot.faceName));
    if (entry && (s == 0 || IsEastAsianCapable(entry->charsetMask))) {
      slot.faceState |= 1;
      continue;
    }
    const DefaultFace& sub = GetDefaultFace(kSubFace);
    if (s == 1 && sub.flag && std::memcmp(slot.faceName, sub.faceName, sizeof slot.faceName) == 0) {
      SetFace(&slot, sub.faceName);
      continue;
    }
    WCHAR substitute[kFaceUnits];
    if (SubstituteFace(slot.faceName, substitute, kFaceUnits))
      SetFace(&slot, substitute);
    else
      SetFace(&slot, GetDefaultFace(s == 0 ? kMainFace : kSubFace).faceName);
  }
}

bool SlotsDiffer(const TextSlot& a, const TextSlot& b) {
  if (a.faceState != b.faceState || a.size != b.size || a.width != b.width || a.widthPercent != b.widthPercent ||
      a.extra != b.extra)
    return true;
  for (int i = 0; i < 32; ++i) {
    if (a.faceName[i] != b.faceName[i]) return true;
    if (!a.faceName[i]) break;
  }
  return false;
}

void InitTextObject(TextObject* object, const TextFormat& format) {
  if (!object) return;
  object->useCount = 0;
  object->format = format;
  ResolveSlotFaces(&object->format);
  object->flags |= kTextObjectOneFont | kTextObjectOneSize;
  for (int s = 0; s < 2; ++s) object->fontIndex[s] = FindFace(object->format.slots[s].faceName);
  const TextSlot& a = object->format.slots[0];
  const TextSlot& b = object->format.slots[1];
  if (SlotsDiffer(a, b)) object->flags &= static_cast<uint16_t>(~kTextObjectOneFont);
  if (a.size != b.size) object->flags &= static_cast<uint16_t>(~(kTextObjectOneFont | kTextObjectOneSize));
}

TextObject* AcquireTextObject() {
  Pool& pool = ThePool();
  TextObject* object = nullptr;
  for (TextObject* p : pool.pooled)
    if (!(p->flags & kTextObjectInUse)) {
      object = p;
      object->flags |= kTextObjectInUse;
      break;
    }
  try {
    if (!object) {
      object = new TextObject{};
      if (pool.pooled.size() < kPoolSize) {
        pool.pooled.push_back(object);
        object->flags = kTextObjectInUse | kTextObjectPooled;
      } else {
        pool.loose.insert(object);
        object->flags = 0;
      }
    }
  } catch (const std::bad_alloc&) {
    delete object;
    Basalt::Error::BaseError::_SetError(2);
    return nullptr;
  }
  ++object->useCount;
  return object;
}

bool FreeTextObject(TextObject* object) {
  if (!object) return false;
  Pool& pool = ThePool();
  const bool pooled = std::find(pool.pooled.begin(), pool.pooled.end(), object) != pool.pooled.end();
  const auto loose = pool.loose.find(object);
  if (!pooled && loose == pool.loose.end()) return false;
  if (pooled && !(object->flags & kTextObjectInUse)) return false;
  --object->useCount;
  if (object->useCount > 0) return false;
  if (pooled) {
    object->flags &= static_cast<uint16_t>(~kTextObjectInUse);
  } else {
    pool.loose.erase(loose);
    delete object;
  }
  return true;
}

void ReleaseTextObjectPool() {
  Pool& pool = ThePool();
  for (TextObject* p : pool.pooled) {
    p->flags &= static_cast<uint16_t>(~kTextObjectPooled);
    p->useCount = 0;
    delete p;
  }
  pool.pooled.clear();
}

int PooledTextObjectCount() { return static_cast<int>(ThePool().pooled.size()); }

int LooseTextObjectCount() { return static_cast<int>(ThePool().loose.size()); }

}  // namespace Present::Text
