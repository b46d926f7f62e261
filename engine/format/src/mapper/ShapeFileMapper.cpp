// The per-document identifier mapper: lists, mapping, counters and the binary and XML forms
// of the lists.
#include <plastrum/format/ShapeFileMapper.h>

#include <cstdlib>
#include <new>

#include <basalt/error.h>
#include <plastrum/format/Present3DFormat.h>
#include <plastrum/format/PresentColor.h>
#include <plastrum/format/PresentEngine.h>
#include <plastrum/format/PresentFill.h>
#include <plastrum/format/PresentLine.h>
#include <plastrum/format/PresentShadow.h>
#include <plastrum/format/XmlConventions.h>
#include <plastrum/Kx2Archive.h>
#include <plastrum/Kx2Failure.h>

namespace {

// What the mapper needs of each kind it stores: its table, its record and its XML element.
template <class Value>
struct KindOf;

#define KX2_KIND(Value, table, tagValue)                                                      \
  template <>                                                                                 \
  struct KindOf<Value> {                                                                      \
    static CKx2ShapeTbl<Value>& Table() { return table(); }                                   \
    static constexpr uint16_t kTag = tagValue;                                                \
    static int Record(Value& v, CKx2DataBlock& archive) { return v.ExchangeMapped(archive); } \
  };
KX2_KIND(CPresentGradient, PresentGradientTable, CPresentGradient::kRecordTag)
KX2_KIND(CPresentTexture, PresentTextureTable, CPresentTexture::kRecordTag)
KX2_KIND(CPresentHatch, PresentHatchTable, CPresentHatch::kRecordTag)
KX2_KIND(CPresentFill, PresentFillTable, CPresentFill::kRecordTag)
KX2_KIND(CPresentLine, PresentLineTable, CPresentLine::kRecordTag)
KX2_KIND(CPresentShadow, PresentShadowTable, CPresentShadow::kRecordTag)
KX2_KIND(CPresentPicture, PresentPictureTable, CPresentPicture::kRecordTag)
KX2_KIND(CPresent3DFormat, Present3DFormatTable, CPresent3DFormat::kRecordTag)
#undef KX2_KIND

template <>
struct KindOf<CPresentColor> {
  static CKx2ShapeTbl<CPresentColor>& Table() { return PresentColorTable(); }
  static constexpr uint16_t kTag = CPresentColor::kRecordTag;
  static int Record(CPresentColor& v, CKx2DataBlock& archive) { return v.Exchange(archive); }
};

constexpr int kColorList = 9;
// Stored lists come in this order, so that every list precedes the lists whose values name
// its entries.
constexpr int kListOrder[9] = {kColorList, 6, 0, 1, 2, 3, 4, 5, 7};
// Reading, the references are given back in this order (colours last: the formats released
// before them never held colour references of their own).
constexpr int kReleaseOrder[9] = {0, 1, 2, 3, 4, 5, 7, 6, kColorList};

constexpr const char16_t* kCountNames[9] = {
    u"m:gradientCount", u"m:textureCount", u"m:hatchCount",    u"m:fillCount",  u"m:lineCount",
    u"m:shadowCount",   u"m:pictureCount", u"m:format3DCount", u"m:shapeCount",
};

void Step(IKx2StepSink* sink) {
  if (sink) sink->Step(2);
}

// Swaps in the mapper an archive maps through, and puts the old one back.
class ArchiveMapperSwap {
 public:
  ArchiveMapperSwap(CKx2DataBlock& archive, IKx2ShapeMapperCtx* mapper)
      : archive_(archive), saved_(archive.GetContext()) {
    archive.SetContext(mapper);
  }
  ~ArchiveMapperSwap() { archive_.SetContext(saved_); }

 private:
  CKx2DataBlock& archive_;
  void* saved_;
};

class XmlMapperSwap {
 public:
  XmlMapperSwap(ShapeXmlArchive& archive, IKx2ShapeMapperCtx* mapper) : archive_(archive), saved_(archive.mapper) {
    archive.mapper = mapper;
  }
  ~XmlMapperSwap() { archive_.mapper = saved_; }

 private:
  ShapeXmlArchive& archive_;
  IKx2ShapeMapperCtx* saved_;
};

template <class Value>
void ReleaseAll(const CKx2FilePresentationShapeMapper::RemapList& list) {
  CKx2ShapeTbl<Value>& table = KindOf<Value>::Table();
  for (int32_t i = 0; i < list.count; ++i)
    if (list.items[i] != 0 && list.items[i] != 0xFFFFFFFFu) table.Release(list.items[i]);
}

// Names a kind's value class to a generic lambda.
template <class Value>
struct KindTag {
  using type = Value;
};

// Runs `step` for the value class of list k (one list per kind; the shapes have none) and
// returns what it returns; 1 for an index that names no list.
template <class Step>
int ForList(int k, Step&& step) {
  switch (k) {
    case 0:
      return step(KindTag<CPresentGradient>{});
    case 1:
      return step(KindTag<CPresentTexture>{});
    case 2:
      return step(KindTag<CPresentHatch>{});
    case 3:
      return step(KindTag<CPresentFill>{});
    case 4:
      return step(KindTag<CPresentLine>{});
    case 5:
      return step(KindTag<CPresentShadow>{});
    case 6:
      return step(KindTag<CPresentPicture>{});
    case 7:
      return step(KindTag<CPresent3DFormat>{});
    case kColorList:
      return step(KindTag<CPresentColor>{});
    default:
      return 1;
  }
}

}  // namespace

// ---- Lists -------------------------------------------------------------------------------------

bool CKx2FilePresentationShapeMapper::RemapList::Reserve() {
  if (count % kGrowStep != 0) return true;
  const size_t capacity = static_cast<size_t>(count / kGrowStep + 1) * kGrowStep;
  void* grown = items ? std::realloc(items, capacity * sizeof(uint32_t)) : std::malloc(capacity * sizeof(uint32_t));
  if (!grown || count > 0x7FFFFFFF - kGrowStep) {
    if (grown) items = static_cast<uint32_t*>(grown);
    Basalt::Error::BaseError::_SetError(Basalt::Error::kErrorOutOfMemory);
    Kx2::ThrowIfEnabled();
    return false;
  }
  items = static_cast<uint32_t*>(grown);
  return true;
}

bool CKx2FilePresentationShapeMapper::RemapList::Append(uint32_t item) {
  if (!Reserve()) return false;
  items[count++] = item;
  return true;
}

int32_t CKx2FilePresentationShapeMapper::RemapList::Find(uint32_t key, int32_t* insertAt) const {
  int32_t lo = 0, hi = count - 1, at = 0;
  while (lo <= hi) {
    const int32_t mid = lo + (hi - lo) / 2;
    if (items[mid] == key) return mid;
    if (key > items[mid]) {
      lo = mid + 1;
      at = lo;
    } else {
      hi = mid - 1;
      at = mid;
    }
  }
  if (insertAt) *insertAt = at;
  return -1;
}

bool CKx2FilePresentationShapeMapper::RemapList::Insert(uint32_t key) {
  int32_t at = 0;
  if (Find(key, &at) >= 0) return true;
  if (!Reserve()) return false;
  for (int32_t i = count; i > at; --i) items[i] = items[i - 1];
  items[at] = key;
  ++count;
  return true;
}

void CKx2FilePresentationShapeMapper::RemapList::Free() {
  std::free(items);
  items = nullptr;
  count = 0;
}

// ---- Mapping -----------------------------------------------------------------------------------

CKx2FilePresentationShapeMapper::~CKx2FilePresentationShapeMapper() {
  if (Mode() == kModeReading)
    for (int k : kReleaseOrder)
      ForList(k, [&](auto kind) {
        ReleaseAll<typename decltype(kind)::type>(lists_[k]);
        return 1;
      });
  for (RemapList& list : lists_) list.Free();
}

IKx2ShapeMapperCtx* CKx2FilePresentationShapeMapper::GetMapper(int32_t which) {
  if (which == 0) return outer_;
  if (which == 1) return this;
  return nullptr;
}

int32_t CKx2FilePresentationShapeMapper::GetCount(uint32_t code) {
  const uint32_t k = code & 0xFF;
  return k < kListCount ? counts_[k] : 0;
}

void CKx2FilePresentationShapeMapper::SetCount(uint32_t code, int32_t value) {
  const uint32_t k = code & 0xFF;
  if (k < kListCount) counts_[k] = value;
}

uint32_t CKx2FilePresentationShapeMapper::MapIn(int32_t code, int32_t fileId) {
  if (!IsOwnKind(code)) return outer_ ? outer_->MapIn(code, fileId) : 0;
  const RemapList& list = lists_[code - 256];
  if (fileId < 1 || fileId > list.count) return 0;
  return list.items[fileId - 1];
}

int32_t CKx2FilePresentationShapeMapper::MapOut(int32_t code, uint32_t tableId) {
  if (!IsOwnKind(code)) return outer_ ? outer_->MapOut(code, tableId) : 0;
  if (tableId == 0) return 0;
  const int32_t at = lists_[code - 256].Find(tableId, nullptr);
  return at < 0 ? 0 : at + 1;
}

int32_t CKx2FilePresentationShapeMapper::Register(uint32_t code, uint32_t tableId) {
  if (!IsOwnKind(code)) return outer_ ? outer_->Register(code, tableId) : 0;
  // None and "no identifier" name nothing a document could store.
  if (tableId == 0 || tableId >= Present::kNoIdentifier) return 0;
  bool ok = true;
  if (code == Present::kKindFill) {
    if (const CPresentFill* fill = PresentFillTable().GetEntry(tableId)) {
      if (fill->v.gradientID) ok = lists_[0].Insert(fill->v.gradientID) && ok;
      if (fill->v.textureID) ok = lists_[1].Insert(fill->v.textureID) && ok;
      if (fill->v.hatchID) ok = lists_[2].Insert(fill->v.hatchID) && ok;
    }
  }
  return lists_[code - 256].Insert(tableId) && ok ? 1 : 0;
}

void CKx2FilePresentationShapeMapper::BeginWrite() {
  mode_ = (mode_ & ~1u) | 2u;
  for (int k = 0; k < 8; ++k) counts_[k] = lists_[k].count;
}

int CKx2FilePresentationShapeMapper::ExchangeCounts(CKx2DataBlock* archive) {
  if (!archive) return 0;
  try {
    if (archive->IsReading()) {
      for (int32_t& count : counts_) count = static_cast<int32_t>(archive->ReadRawU32());
      return 1;
    }
    int ok = 1;
    for (int32_t count : counts_) ok = archive->WriteRawU32(static_cast<uint32_t>(count)) && ok;
    return ok;
  } catch (...) {
    return 0;
  }
}

// ---- Binary lists ------------------------------------------------------------------------------

template <class Value>
int CKx2FilePresentationShapeMapper::WriteList(CKx2DataBlock& archive, int k, IKx2StepSink* sink) {
  CKx2ShapeTbl<Value>& table = KindOf<Value>::Table();
  const RemapList& list = lists_[k];
  for (int32_t i = 0; i < list.count; ++i) {
    Value* entry = table.GetEntry(list.items[i]);
    if (!entry || !KindOf<Value>::Record(*entry, archive)) return 0;
    Step(sink);
  }
  return 1;
}

template <class Value>
int CKx2FilePresentationShapeMapper::ReadList(CKx2DataBlock& archive, int k, IKx2StepSink* sink) {
  CKx2ShapeTbl<Value>& table = KindOf<Value>::Table();
  // The counter says how many entries to expect; the records present say how many there are.
  for (int32_t i = 0; i < counts_[k]; ++i) {
    if (archive.PeekRecord() != KindOf<Value>::kTag) break;
    Value value;
    if (!KindOf<Value>::Record(value, archive)) break;
    const int32_t id = table.Intern(value);
    if (id < 0) Kx2::ThrowIfEnabled();
    if (!lists_[k].Append(id < 0 ? 0xFFFFFFFFu : static_cast<uint32_t>(id))) {
      // The entry has no place: what follows could no longer be found by its position.
      if (id > 0) table.Release(static_cast<uint32_t>(id));
      return 0;
    }
    Step(sink);
  }
  return 1;
}

int CKx2FilePresentationShapeMapper::ExchangeLists(CKx2DataBlock* archive, IKx2StepSink* sink) {
  if (!archive) return 0;
  const bool reading = archive->IsReading();
  if (reading) BeginRead();
  ArchiveMapperSwap swap(*archive, this);
  try {
    int ok = 1;
    for (int k : kListOrder) {
      if (!ok) break;
      ok = ForList(k, [&](auto kind) {
        using Value = typename decltype(kind)::type;
        return reading ? ReadList<Value>(*archive, k, sink) : WriteList<Value>(*archive, k, sink);
      });
    }
    return ok;
  } catch (...) {
    // Throw mode ends the exchange; the error stays in the thread's record.
    return 0;
  }
}

// ---- XML -----------------------------------------------------------------------------------------

int CKx2FilePresentationShapeMapper::ExchangeCountsXml(ShapeXmlArchive* archive) {
  using namespace Present::ShapeXml;
  if (!archive) return 0;
  if (!archive->IsReading()) {
    IKX2XMLElement* element = CreateElement(*archive, u"m:presentMapping");
    if (!element) return 0;
    char16_t text[16];
    for (int k = 0; k < 9; ++k) {
      FormatInt(text, counts_[k]);
      SetAttribute(*archive, element, kCountNames[k], text);
    }
    AppendToCurrent(*archive, element);
    return 1;
  }
  Present::XmlRef<IKX2XMLElement> element(Present::XmlChildElement(archive->current, u"m:presentMapping"));
  if (!element) return 1;
  for (int k = 0; k < 9; ++k) {
    const char16_t* text = element->GetAttribute(kCountNames[k]);
    counts_[k] = text && *text ? Saturate<int32_t>(ParseInteger(text)) : 0;
  }
  return 1;
}

namespace {

struct ListXml {
  int k;
  const char16_t* listName;
};
constexpr ListXml kXmlLists[9] = {
    {kColorList, u"m:presentColorShapeList"}, {6, u"m:presentPictureShapeList"}, {0, u"m:presentGradientShapeList"},
    {1, u"m:presentTextureShapeList"},        {2, u"m:presentHatchShapeList"},   {3, u"m:presentFillShapeList"},
    {4, u"m:presentLineShapeList"},           {5, u"m:presentShadowShapeList"},  {7, u"m:present3DShapeList"},
};

}  // namespace

template <class Value>
void CKx2FilePresentationShapeMapper::WriteListXml(ShapeXmlArchive& archive, int k, const char16_t* listName,
                                                   IKx2StepSink* sink) {
  using namespace Present::ShapeXml;
  const RemapList& list = lists_[k];
  if (list.count == 0) return;
  IKX2XMLElement* element = CreateElement(archive, listName);
  if (!element) return;
  char16_t text[16];
  FormatInt(text, list.count);
  SetAttribute(archive, element, u"m:count", text);
  CKx2ShapeTbl<Value>& table = KindOf<Value>::Table();
  IKX2XMLElement* saved = archive.current;
  for (int32_t i = 0; i < list.count; ++i) {
    if (Value* entry = table.GetEntry(list.items[i])) {
      archive.current = element;
      entry->ExchangeXml(archive, i + 1);
      archive.current = saved;
    }
    Step(sink);
  }
  if (element->HasChildNodes() && archive.current) archive.current->AppendChild(element);
  element->Release();
}

template <class Value>
int CKx2FilePresentationShapeMapper::ReadListXml(ShapeXmlArchive& archive, int k, const char16_t* listName,
                                                 IKx2StepSink* sink) {
  using namespace Present::ShapeXml;
  if (!archive.current) return 1;
  Present::XmlRef<IKX2XMLNodeList> lists(archive.current->GetChildren(listName));
  if (!lists) return 1;
  CKx2ShapeTbl<Value>& table = KindOf<Value>::Table();
  const LONG listCount = lists->GetCount();
  for (LONG j = 0; j < listCount; ++j) {
    Present::XmlRef<IKX2XMLElement> element(Present::XmlListElement(lists.get(), j));
    if (!element) continue;
    const char16_t* text = element->GetAttribute(u"m:count");
    int64_t n = text && *text ? ParseInteger(text) : 0;
    // Only the entries that are there are read: a count beyond them names nothing.
    Present::XmlRef<IKX2XMLNodeList> entries(element->GetChildren(Value::kElementName));
    const LONG present = entries ? entries->GetCount() : 0;
    if (n > present) n = present;
    IKX2XMLElement* saved = archive.current;
    archive.current = element.get();
    int ok = 1;
    for (int64_t i = 0; ok && i < n; ++i) {
      Value value;
      value.ExchangeXml(archive, static_cast<int32_t>(i));
      const int32_t id = table.Intern(value);
      if (id < 0) Kx2::ThrowIfEnabled();
      if (!lists_[k].Append(id < 0 ? 0xFFFFFFFFu : static_cast<uint32_t>(id))) {
        if (id > 0) table.Release(static_cast<uint32_t>(id));
        ok = 0;
      }
      Step(sink);
    }
    archive.current = saved;
    if (!ok) return 0;
  }
  return 1;
}

int CKx2FilePresentationShapeMapper::ExchangeListsXml(ShapeXmlArchive* archive, IKx2StepSink* sink) {
  if (!archive) return 0;
  const bool reading = archive->IsReading();
  if (reading) BeginRead();
  XmlMapperSwap swap(*archive, this);
  try {
    int ok = 1;
    for (const ListXml& list : kXmlLists) {
      if (!ok) break;
      ok = ForList(list.k, [&](auto kind) {
        using Value = typename decltype(kind)::type;
        if (reading) return ReadListXml<Value>(*archive, list.k, list.listName, sink);
        WriteListXml<Value>(*archive, list.k, list.listName, sink);
        return 1;
      });
    }
    return ok;
  } catch (...) {
    return 0;
  }
}

// ---- The engine's maker ------------------------------------------------------------------------

namespace {

IKx2SubShapeMapperCtx* MakeMapper(IKx2ShapeMapperCtx* outer) {
  return new (std::nothrow) CKx2FilePresentationShapeMapper(outer);
}

void DestroyMapper(IKx2SubShapeMapperCtx* mapper) { delete static_cast<CKx2FilePresentationShapeMapper*>(mapper); }

const bool g_makerRegistered = (Present::SetShapeMapperMaker({&MakeMapper, &DestroyMapper}), true);

}  // namespace
