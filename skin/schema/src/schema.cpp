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

void CKtkSkinManagerSchemaProperty::SetString(const std::u16string& text) {
  Free();
  m_string = new char16_t[text.size() + 1];
  std::memcpy(m_string, text.c_str(), (text.size() + 1) * sizeof(char16_t));
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
  variants_.clear();
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

const CKtkSkinManagerSchemaProperty* CKtkSkinManagerSchema::FindProperty(int classCode, int part, int state,
                                                                         int id) const {
  // The chain's steps by rank: (class, part, state) 0, (class, part, 0) 1, then for a part
  // other than 0 (class, 0, state) 2 and (class, 0, 0) 3.
  auto best = [&](int c, int p, int s) -> const CKtkSkinManagerSchemaProperty* {
    auto it = variants_.find(static_cast<uint32_t>(c) << 14 | static_cast<uint32_t>(id));
    if (it == variants_.end()) return nullptr;
    const CKtkSkinManagerSchemaProperty* found = nullptr;
    int rank = 4;
    auto consider = [&](const Variant& v) {
      int r = 4;
      if (s != 0 && v.part == p && v.state == s)
        r = 0;
      else if (v.part == p && v.state == 0)
        r = 1;
      else if (p != 0 && v.part == 0 && s != 0 && v.state == s)
        r = 2;
      else if (p != 0 && v.part == 0 && v.state == 0)
        r = 3;
      if (r < rank) rank = r, found = v.record;
    };
    consider(it->second.first);
    for (const Variant& v : it->second.more) consider(v);
    // A record is typed as soon as the loader has filled it; a freed one answers nothing.
    return found && found->m_type != 0 ? found : nullptr;
  };
  if (classCode < 0 || part < 0 || state < 0 || part > KTK_MAX_PART_STATE || state > KTK_MAX_PART_STATE) return nullptr;
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
    auto [slot, fresh] = variants_.try_emplace(static_cast<uint32_t>(classCode) << 14 | static_cast<uint32_t>(id),
                                               Variants{variant, {}});
    if (!fresh) slot->second.more.push_back(variant);
  }
  return it->second;
}
