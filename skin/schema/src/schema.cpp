#include "ornatex/schema/schema.h"

#include <cstring>

#include "ornatex/core/skin_manager.h"
#include "ornatex/draw/draw_helpers.h"
#include "ornatex/schema/resource_file.h"
#include "ornatex/schema/skin_class.h"
#include "ornatex/schema/skin_image.h"

namespace {

constexpr const char16_t* kClassNames[KTK_CLASS_COUNT] = {
    u"Globals",    u"Documentation", u"SysMetrics", u"ListBox",    u"Dialog",      u"WINDOW",
    u"BUTTON",     u"REBAR",         u"TOOLBAR",    u"STATUS",     u"MENU",        u"LISTVIEW",
    u"HEADER",     u"PROGRESS",      u"TAB",        u"TRACKBAR",   u"TOOLTIP",     u"TREEVIEW",
    u"SPIN",       u"PAGE",          u"SCROLLBAR",  u"EDIT",       u"COMBOBOX",    u"CLOCK",
    u"TRAYNOTIFY", u"TASKBAR",       u"TASKBAND",   u"STARTPANEL", u"EXPLORERBAR", u"MENUBAND",
};

}  // namespace

// ---- Records -------------------------------------------------------------------------------

CKtkSkinManagerSchemaProperty::CKtkSkinManagerSchemaProperty(CKtkSkinManagerSchemaProperty&& other) noexcept {
  *this = std::move(other);
}

CKtkSkinManagerSchemaProperty& CKtkSkinManagerSchemaProperty::operator=(
    CKtkSkinManagerSchemaProperty&& other) noexcept {
  if (this == &other) return *this;
  Free();
  m_type = other.m_type;
  std::memcpy(m_values, other.m_values, sizeof m_values);
  m_string = other.m_string;
  m_font = other.m_font;
  other.m_type = 0;
  other.m_string = nullptr;
  other.m_font = nullptr;
  return *this;
}

void CKtkSkinManagerSchemaProperty::Free() {
  delete[] m_string;
  delete m_font;
  m_string = nullptr;
  m_font = nullptr;
  m_type = 0;
}

void CKtkSkinManagerSchemaProperty::SetString(std::u16string_view text) {
  Free();
  m_string = new char16_t[text.size() + 1];
  std::memcpy(m_string, text.data(), text.size() * sizeof(char16_t));
  m_string[text.size()] = 0;
  m_type = KTK_PT_STRING;
}

void CKtkSkinManagerSchemaProperty::SetFont(const LOGFONTW& font) {
  Free();
  m_font = new LOGFONTW(font);
  m_type = KTK_PT_FONT;
}

void CKtkSkinManagerSchemaProperty::SetValues(int type, const LONG* values, int count) {
  Free();
  std::memset(m_values, 0, sizeof m_values);
  for (int i = 0; i < count && i < 4; ++i) m_values[i] = values[i];
  m_type = type;
}

// ---- The schema ----------------------------------------------------------------------------

CKtkSkinManagerSchema::CKtkSkinManagerSchema(CKtkSkinManagerResourceFile* reader)
    : m_pReader(reader),
      m_pManager(reader ? reader->m_pManager : nullptr),
      m_globalsCode(ClassCodeOf(u"GLOBALS")),
      m_windowCode(ClassCodeOf(u"WINDOW")),
      m_metrics(std::make_unique<CKtkSkinManagerMetrics>(this)) {
  if (m_pReader) m_pReader->InternalAddRef();
}

CKtkSkinManagerSchema::~CKtkSkinManagerSchema() {
  m_classes.clear();  // their caches point into the property table
  slots_.clear();
  m_properties.clear();
  m_frameRegions.clear();
  m_metrics.reset();
  if (m_pReader) m_pReader->InternalRelease();
}

int CKtkSkinManagerSchema::ClassCodeOf(LPCWSTR className) {
  if (!className || !*className) return 0;
  const size_t length = std::char_traits<char16_t>::length(className);
  for (int i = 0; i < KTK_CLASS_COUNT; ++i)
    if (std::char_traits<char16_t>::length(kClassNames[i]) == length &&
        CompareNoCaseW(className, kClassNames[i], length) == 0)
      return i + 1;
  return 0;
}

uint32_t CKtkSkinManagerSchema::PropertyKey(int classCode, int part, int state, int id) {
  return static_cast<uint32_t>(state) * (1u << 26) + static_cast<uint32_t>(part) * (1u << 20) +
         static_cast<uint32_t>(classCode) * (1u << 14) + static_cast<uint32_t>(id);
}

namespace {

size_t SlotOf(uint32_t key, size_t mask) { return (static_cast<size_t>(key) * 0x9E3779B97F4A7C15ull >> 32) & mask; }

// The rank of a record for (part, state) in the chain: (class, part, state) 0,
// (class, part, 0) 1, then for a part other than 0 (class, 0, state) 2 and (class, 0, 0) 3;
// 4 for a record the chain never uses.
inline int RankOf(int vp, int vs, int p, int s) {
  if (vp == p) return vs == s && s != 0 ? 0 : vs == 0 ? 1 : 4;
  if (vp != 0 || p == 0) return 4;
  return vs == s && s != 0 ? 2 : vs == 0 ? 3 : 4;
}

}  // namespace

const CKtkSkinManagerSchemaProperty* CKtkSkinManagerSchema::FindProperty(int classCode, int part, int state,
                                                                         int id) const {
  if (classCode < 0 || part < 0 || state < 0 || part > KTK_MAX_PART_STATE || state > KTK_MAX_PART_STATE) return nullptr;
  if (slots_.empty()) return nullptr;
  const size_t mask = slots_.size() - 1;
  // The records of one (class, identifier) probed in place, then the best-ranked one.
  auto best = [&](int c, int p, int s) -> const CKtkSkinManagerSchemaProperty* {
    const uint32_t key = static_cast<uint32_t>(c) << 14 | static_cast<uint32_t>(id);
    const Slot* slot = nullptr;
    for (size_t i = SlotOf(key, mask);; i = (i + 1) & mask) {
      if (!slots_[i].used) return nullptr;
      if (slots_[i].key == key) {
        slot = &slots_[i];
        break;
      }
    }
    const Variants& variants = slot->variants;
    int rank = RankOf(variants.first.part, variants.first.state, p, s);
    const CKtkSkinManagerSchemaProperty* found = rank < 4 ? variants.first.record : nullptr;
    if (variants.more)
      for (const Variant& v : *variants.more) {
        const int r = RankOf(v.part, v.state, p, s);
        if (r < rank) rank = r, found = v.record;
      }
    // A record is typed as soon as the loader has filled it; a freed one answers nothing.
    return found && found->m_type != 0 ? found : nullptr;
  };
  if (auto* r = best(classCode, part, state)) return r;
  return best(m_globalsCode, 0, 0);
}

HRESULT CKtkSkinManagerSchema::GetIntValue(int classCode, int part, int state, int id, int* value) const {
  const auto* r = FindProperty(classCode, part, state, id);
  if (!r) return E_FAIL;
  if (r->m_type != KTK_PT_INT) return E_INVALIDARG;
  if (value) *value = r->m_values[0];
  return S_OK;
}

HRESULT CKtkSkinManagerSchema::GetColorValue(int classCode, int part, int state, int id, COLORREF* value) const {
  const auto* r = FindProperty(classCode, part, state, id);
  if (!r) return E_FAIL;
  if (r->m_type != KTK_PT_COLOR) return E_INVALIDARG;
  COLORREF color = static_cast<COLORREF>(r->m_values[0]);
  ApplyColorFilters(color);
  if (value) *value = color;
  return S_OK;
}

HRESULT CKtkSkinManagerSchema::GetFontValue(int classCode, int part, int state, int id, LOGFONTW* value) const {
  const auto* r = FindProperty(classCode, part, state, id);
  if (!r) return E_FAIL;
  if (r->m_type != KTK_PT_FONT || !r->m_font) return E_INVALIDARG;
  if (value) *value = *r->m_font;
  return S_OK;
}

CKtkSkinImage* CKtkSkinManagerSchema::GetImage(CKtkSkinManagerClass* skinClass, LPCWSTR fileName) {
  if (!skinClass || !fileName) return nullptr;
  return skinClass->GetImage(fileName);
}

SIZE CKtkSkinManagerSchema::GetImageSize(CKtkSkinManagerClass* skinClass, LPCWSTR fileName) {
  CKtkSkinImage* image = GetImage(skinClass, fileName);
  return image ? image->GetExtent() : SIZE{0, 0};
}

void CKtkSkinManagerSchema::ApplyColorFilters(COLORREF& color) const {
  if (m_pManager) m_pManager->ApplyColorFilters(color);
}

DWORD CKtkSkinManagerSchema::GetApplyOptions() const { return m_pManager ? m_pManager->m_applyOptions : KTK_APPLY_ALL; }

void CKtkSkinManagerSchema::ReloadMetrics() {
  {
    std::lock_guard<std::mutex> lock(m_frameLock);
    m_frameRegions.clear();
  }
  m_metrics->RefreshMetrics();
}

CKtkSkinManagerSchemaProperty& CKtkSkinManagerSchema::SetProperty(int classCode, int part, int state, int id) {
  auto [it, added] = m_properties.try_emplace(PropertyKey(classCode, part, state, id));
  it->second.Free();
  if (added) {
    const Variant variant{static_cast<uint8_t>(part), static_cast<uint8_t>(state), &it->second};
    bool fresh = false;
    Variants* variants =
        AddVariants(static_cast<uint32_t>(classCode) << 14 | static_cast<uint32_t>(id), variant, &fresh);
    if (!fresh) {
      if (!variants->more) variants->more = std::make_unique<std::vector<Variant>>();
      variants->more->push_back(variant);
    }
  }
  return it->second;
}

CKtkSkinManagerSchema::Variants* CKtkSkinManagerSchema::AddVariants(uint32_t key, const Variant& first, bool* fresh) {
  // Kept at most half full, so that every probe ends at an empty slot soon.
  if ((slotsUsed_ + 1) * 2 > slots_.size()) {
    std::vector<Slot> old;
    old.swap(slots_);
    slots_.resize(old.empty() ? 64 : old.size() * 2);
    const size_t mask = slots_.size() - 1;
    for (Slot& s : old) {
      if (!s.used) continue;
      size_t i = SlotOf(s.key, mask);
      while (slots_[i].used) i = (i + 1) & mask;
      slots_[i] = std::move(s);
    }
  }
  const size_t mask = slots_.size() - 1;
  size_t i = SlotOf(key, mask);
  for (; slots_[i].used; i = (i + 1) & mask) {
    if (slots_[i].key == key) {
      *fresh = false;
      return &slots_[i].variants;
    }
  }
  slots_[i].used = true;
  slots_[i].key = key;
  slots_[i].variants = Variants{first, {}};
  ++slotsUsed_;
  *fresh = true;
  return &slots_[i].variants;
}
