// The style cache: render-side records of table entries, built on first use.
#include <plastrum/format/StyleCache.h>

#include <new>

#include <plastrum/format/PresentEngine.h>
#include <plastrum/format/PresentShape.h>

namespace Present::Style {

float ToEmu(int64_t v) {
  const float inches = static_cast<float>(static_cast<double>(v) / 7200.0);
  return static_cast<float>(static_cast<double>(inches) * 914400.0);
}

}  // namespace Present::Style

namespace {

using namespace Present::Style;

ColorPtr MakeColor(const PresentColorRef& c) { return ColorPtr(Present::CreateColorFromStored(c.value, c.Second())); }

float Thousandths(int64_t v) { return static_cast<float>(static_cast<double>(v) / 1000.0); }
float Tenths(int64_t v) { return static_cast<float>(static_cast<double>(v) / 10.0); }

// The shared steps of every kind's lookup: no record for 0, for identifiers past the table
// or for free slots; a record is valid while the entry's slot names it; a new one is stored
// at the identifier and the entry's slot set.
template <class Record, class Entry, class Build>
Record* Lookup(std::vector<std::unique_ptr<Record>>& records, CKx2ShapeTbl<Entry>& table, uint32_t id, Build build) {
  if (id == 0 || id >= static_cast<uint32_t>(table.GetCount())) return nullptr;
  Entry* entry = table.GetEntry(id);
  if (!entry || (entry->refCount <= 0 && id >= static_cast<uint32_t>(table.GetFixedCount()))) return nullptr;
  if (id < records.size() && records[id]) {
    if (entry->styleSlot == static_cast<int32_t>(id)) return records[id].get();
    records[id].reset();  // the identifier was freed and reused since
  }
  std::unique_ptr<Record> record(new (std::nothrow) Record);
  if (!record) return nullptr;
  record->id = static_cast<int32_t>(id);
  try {
    build(*record, *entry);
    if (id >= records.size()) records.resize(id + 1);
  } catch (...) {
    return nullptr;
  }
  records[id] = std::move(record);
  entry->styleSlot = static_cast<int32_t>(id);
  return records[id].get();
}

template <class Record>
bool FreeAt(std::vector<std::unique_ptr<Record>>& records, uint32_t id) {
  if (id >= records.size() || !records[id]) return false;
  records[id].reset();
  return true;
}

template <class Record>
const void* PeekAt(const std::vector<std::unique_ptr<Record>>& records, uint32_t id) {
  return id < records.size() ? records[id].get() : nullptr;
}

StyleCache* MakeCache() { return new (std::nothrow) StyleCache(); }
void DestroyCache(StyleCache* cache) { delete cache; }
const bool g_makerRegistered = (Present::SetStyleCacheMaker({&MakeCache, &DestroyCache}), true);

}  // namespace

namespace Present {

void FreeStyleRecord(StyleKind kind, int32_t& slot) {
  if (slot >= 0)
    if (StyleCache* cache = GetStyleCache()) cache->Free(kind, static_cast<uint32_t>(slot));
  slot = -1;
}

}  // namespace Present

// Every vector starts with the empty element of identifier 0.
StyleCache::StyleCache()
    : shapes_(1),
      lines_(1),
      fills_(1),
      gradients_(1),
      textures_(1),
      hatches_(1),
      shadows_(1),
      formats3d_(1),
      pictures_(1) {}

// The members go in reverse order: pictures first, shapes last.
StyleCache::~StyleCache() = default;

PictureRecord* StyleCache::GetPicture(uint32_t id) {
  return Lookup(pictures_, PresentPictureTable(), id, [](PictureRecord& r, const CPresentPicture& e) {
    r.binDataId = e.v.binDataId;
    r.recolor = e.v.recolor;
    r.recolorColor = MakeColor(e.v.recolorColor);
    r.brightness = Thousandths(e.v.brightness);
    r.contrast = Thousandths(e.v.contrast);
    r.transparency = Thousandths(e.v.transparency);
  });
}

GradientRecord* StyleCache::GetGradient(uint32_t id) {
  return Lookup(gradients_, PresentGradientTable(), id, [](GradientRecord& r, const CPresentGradient& e) {
    r.type = e.v.type;
    r.direction = e.v.direction;
    r.angle = Tenths(e.v.angle);
    r.stopCount = e.v.Stops();
    for (int i = 0; i < r.stopCount; ++i) {
      r.position[i] = Thousandths(e.v.stopPosition[i]);
      r.color[i] = MakeColor(e.v.stopColor[i]);
      r.transparency[i] = Thousandths(e.v.stopTransparency[i]);
    }
    r.rotateWith = e.v.rotateWith ? 1 : 0;
  });
}

TextureRecord* StyleCache::GetTexture(uint32_t id) {
  return Lookup(textures_, PresentTextureTable(), id, [this](TextureRecord& r, const CPresentTexture& e) {
    r.picture = GetPicture(e.v.pictureID);
    r.mode = e.v.mode;
    r.offsetX = Present::Style::ToEmu(e.v.offsetX);
    r.scaleX = Thousandths(e.v.scaleX);
    r.offsetY = Present::Style::ToEmu(e.v.offsetY);
    r.scaleY = Thousandths(e.v.scaleY);
    r.alignment = e.v.alignment;
    r.mirrorType = e.v.mirrorType;
    r.offsetLeft = Thousandths(e.v.offsetLeft);
    r.offsetRight = Thousandths(e.v.offsetRight);
    r.offsetTop = Thousandths(e.v.offsetTop);
    r.offsetBottom = Thousandths(e.v.offsetBottom);
    r.transparency = Thousandths(e.v.transparency);
    r.rotateWith = e.v.rotateWith ? 1 : 0;
  });
}

HatchRecord* StyleCache::GetHatch(uint32_t id) {
  return Lookup(hatches_, PresentHatchTable(), id, [](HatchRecord& r, const CPresentHatch& e) {
    r.style = e.v.style;
    r.foreColor = MakeColor(e.v.foreColor);
    r.backColor = MakeColor(e.v.backColor);
    r.rotateWith = e.v.rotateWith ? 1 : 0;
  });
}

FillRecord* StyleCache::GetFill(uint32_t id) {
  return Lookup(fills_, PresentFillTable(), id, [this](FillRecord& r, const CPresentFill& e) {
    r.type = e.v.type;
    r.solidColor = MakeColor(e.v.solidColor);
    r.transparency = Thousandths(e.v.transparency);
    r.gradient = GetGradient(e.v.gradientID);
    r.texture = GetTexture(e.v.textureID);
    r.hatch = GetHatch(e.v.hatchID);
  });
}

LineRecord* StyleCache::GetLine(uint32_t id) {
  return Lookup(lines_, PresentLineTable(), id, [this](LineRecord& r, const CPresentLine& e) {
    r.fill = GetFill(e.v.fillID);
    r.width = Present::Style::ToEmu(e.v.width);
    r.compoundType = e.v.compoundType;
    r.dashType = e.v.dashType;
    r.capType = e.v.capType;
    r.joinType = e.v.joinType;
    r.beginArrowType = e.v.beginArrowType;
    r.beginArrowSize = e.v.beginArrowSize;
    r.endArrowType = e.v.endArrowType;
    r.endArrowSize = e.v.endArrowSize;
  });
}

ShadowRecord* StyleCache::GetShadow(uint32_t id) {
  return Lookup(shadows_, PresentShadowTable(), id, [](ShadowRecord& r, const CPresentShadow& e) {
    r.type = e.v.type;
    r.color = MakeColor(e.v.color);
    r.transparency = Thousandths(e.v.transparency);
    r.size = Thousandths(e.v.size);
    r.blur = Present::Style::ToEmu(e.v.blur);
    r.angle = Tenths(e.v.angle);
    r.distance = Present::Style::ToEmu(e.v.distance);
  });
}

Format3DRecord* StyleCache::Get3DFormat(uint32_t id) {
  return Lookup(formats3d_, Present3DFormatTable(), id, [](Format3DRecord& r, const CPresent3DFormat& e) {
    const Format3DFields& f = e.v;
    using Present::Style::ToEmu;
    r.bevelTopType = f.bevelTopType;
    r.bevelTopWidth = ToEmu(f.bevelTopWidth);
    r.bevelTopHeight = ToEmu(f.bevelTopHeight);
    r.bevelBottomType = f.bevelBottomType;
    r.bevelBottomWidth = ToEmu(f.bevelBottomWidth);
    r.bevelBottomHeight = ToEmu(f.bevelBottomHeight);
    r.depthColor = MakeColor(f.depthColor);
    r.depthValue = ToEmu(f.depthValue);
    r.contourColor = MakeColor(f.contourColor);
    r.contourSize = ToEmu(f.contourSize);
    r.surfaceMaterial = f.surfaceMaterial;
    r.surfaceLighting = f.surfaceLighting;
    r.surfaceAngle = Tenths(f.surfaceAngle);
    r.surfacePreset = f.surfacePreset;
    r.rotationX = Tenths(f.rotationX);
    r.rotationY = Tenths(f.rotationY);
    r.rotationZ = Tenths(f.rotationZ);
    r.perspective = Tenths(f.perspective);
    r.keepTextFlat = f.keepTextFlat ? 1 : 0;
    r.objectDistance = ToEmu(f.objectDistance);
  });
}

ShapeRecord* StyleCache::BuildShape(uint32_t id) {
  return Lookup(shapes_, PresentShapeTable(), id, [this](ShapeRecord& r, const CPresentShape& e) {
    r.line = GetLine(e.v.lineID);
    r.fill = GetFill(e.v.fillID);
    r.shadow = GetShadow(e.v.shadowID);
    r.format3d = Get3DFormat(e.v.format3DID);
    r.picture = GetPicture(e.v.pictureID);
  });
}

template <class Self, class Visit>
auto StyleCache::WithVector(Self& self, Present::StyleKind kind, Visit&& visit) {
  using Present::StyleKind;
  switch (kind) {
    case StyleKind::Shape:
      return visit(&self.shapes_);
    case StyleKind::Line:
      return visit(&self.lines_);
    case StyleKind::Fill:
      return visit(&self.fills_);
    case StyleKind::Gradient:
      return visit(&self.gradients_);
    case StyleKind::Texture:
      return visit(&self.textures_);
    case StyleKind::Hatch:
      return visit(&self.hatches_);
    case StyleKind::Shadow:
      return visit(&self.shadows_);
    case StyleKind::Format3D:
      return visit(&self.formats3d_);
    case StyleKind::Picture:
      return visit(&self.pictures_);
  }
  return visit(static_cast<decltype(&self.pictures_)>(nullptr));
}

bool StyleCache::Free(Present::StyleKind kind, uint32_t id) {
  return WithVector(*this, kind, [id](auto* records) { return records && FreeAt(*records, id); });
}

const void* StyleCache::Peek(Present::StyleKind kind, uint32_t id) const {
  return WithVector(*this, kind, [id](const auto* records) { return records ? PeekAt(*records, id) : nullptr; });
}
