// The image manager: icon sets, the strips by size, image lists, and the persisted layout.
#include "ornatex/image/image_manager.h"

#include <algorithm>

#include <kx2/Module.h>
#include <toolkit/PropExchange.h>
#include <toolkit/PropExchangeArchive.h>
#include <win/module.h>

#include "process_objects.h"

namespace {

const char16_t* const kCheckSum = u"CKtkImageManagerIcons";

std::unique_ptr<CKtkImageManager>& ManagerSlot() {
  static auto* slot = new std::unique_ptr<CKtkImageManager>;  // emptied by the library stop, never destroyed
  return *slot;
}

// Sections and enumerators the exchange hands out, given back however the scope ends.
struct SectionHold {
  CKtkPropExchange* section;
  ~SectionHold() {
    if (section) section->ExternalRelease();
  }
};

// Runs the icon's Serialize over the exchange's archive for "Data"; archive and OLE
// failures count as failure.
bool ExchangeData(CKtkImageManagerIcon& icon, CKtkPropExchange* exchange) {
  CArchive* archive = exchange->GetArchive(u"Data");
  if (!archive) return false;
  bool ok = true;
  try {
    icon.Serialize(*archive);
  } catch (CException* e) {  // MFC throws every kind as its base
    if (!dynamic_cast<CArchiveException*>(e) && !dynamic_cast<COleException*>(e)) {
      exchange->ReleaseArchive(u"Data", archive);
      throw;
    }
    e->Delete();
    ok = false;
  }
  exchange->ReleaseArchive(u"Data", archive);
  return ok;
}

}  // namespace

CKtkImageManager& KtkImageManager() {
  auto& slot = ManagerSlot();
  if (!slot) slot = std::make_unique<CKtkImageManager>();
  return *slot;
}

namespace ornatex {

void ReleaseImageManager() { ManagerSlot().reset(); }

}  // namespace ornatex

// ---- Icons and image lists -----------------------------------------------------------------

CKtkImageManagerIcon::CKtkImageManagerIcon(UINT id, int width, CKtkImageManagerIconSet* set)
    : m_id(id), m_width(width), m_pSet(set) {
  for (auto& image : m_images) image.manager = set ? set->m_pManager : nullptr;
}

CKtkImageManagerIcon::~CKtkImageManagerIcon() {
  for (auto& image : m_images) image.Clear();
}

void CKtkImageManagerIcon::ReleaseDerivedImages() {
  for (int i = 1; i < 8; ++i) m_images[i].Clear();
}

CKtkImageManagerImageList::~CKtkImageManagerImageList() {
  m_icons.clear();
  if (m_bOwned && m_hImageList) {
    typedef BOOL (*DestroyProc)(HANDLE);
    if (HMODULE comctl = GetModuleHandleW(u"COMCTL32.DLL"))
      if (auto destroy = kx2::ProcAs<DestroyProc>(GetProcAddress(comctl, "ImageList_Destroy"))) destroy(m_hImageList);
  }
}

// ---- The manager ---------------------------------------------------------------------------

CKtkImageManager::~CKtkImageManager() { RemoveAll(); }

CKtkImageManagerResource* CKtkImageManager::GetResource(int width, int height) {
  if (width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF) return nullptr;
  const DWORD key = static_cast<DWORD>(width) | (static_cast<DWORD>(height) << 16);
  auto& resource = m_resources[key];
  if (!resource) resource = std::make_unique<CKtkImageManagerResource>(width, height);
  return resource.get();
}

CKtkImageManagerIconSet* CKtkImageManager::IconSetById(UINT id) const {
  auto it = m_iconSets.find(id);
  return it == m_iconSets.end() ? nullptr : it->second.get();
}

CKtkImageManagerIconSet* CKtkImageManager::GetOrCreateIconSet(UINT id) {
  auto& set = m_iconSets[id];
  if (!set) set = std::make_unique<CKtkImageManagerIconSet>(id, this);
  return set.get();
}

void CKtkImageManager::RemoveAll() {
  m_iconSets.clear();  // icons first: their slots go back to the strips
  m_imageLists.clear();
  m_resources.clear();
}

void CKtkImageManager::Serialize(CArchive& archive) {
  CKtkPropExchangeArchive exchange(archive);
  DoPropExchange(&exchange);
}

void CKtkImageManager::DoPropExchange(CKtkPropExchange* exchange) {
  if (!exchange) return;
  std::unique_ptr<CKtkPropExchangeEnumerator> sets(exchange->GetEnumerator(u"IconSet"));
  if (!sets) return;
  if (exchange->IsLoading()) {
    RemoveAll();
    int position = sets->GetPosition(0, TRUE);
    while (position) {
      SectionHold section{sets->GetNext(position)};
      if (!section.section) break;
      LONG id = 0;
      KtkPX_Long(section.section, u"Id", id, 0);
      ExchangeIconSet(static_cast<UINT>(id), section.section);
    }
    return;
  }
  int position = sets->GetPosition(static_cast<DWORD>(m_iconSets.size()), TRUE);
  for (auto it = m_iconSets.begin(); position && it != m_iconSets.end(); ++it) {
    SectionHold section{sets->GetNext(position)};
    if (!section.section) break;
    LONG id = static_cast<LONG>(it->first);
    KtkPX_Long(section.section, u"Id", id, 0);
    ExchangeIconSet(it->first, section.section);
  }
}

void CKtkImageManager::ExchangeIconSet(UINT id, CKtkPropExchange* exchange) {
  CString check(kCheckSum);
  KtkPX_String(exchange, u"CheckSum", check, kCheckSum);
  if (exchange->IsLoading() && !(check == kCheckSum)) AfxThrowArchiveException(CArchiveException::badClass);
  m_highestId = std::max(m_highestId, id);
  std::unique_ptr<CKtkPropExchangeEnumerator> icons(exchange->GetEnumerator(u"Icon"));
  if (!icons) return;
  if (exchange->IsLoading()) {
    CKtkImageManagerIconSet* set = GetOrCreateIconSet(id);
    set->m_icons.clear();
    int position = icons->GetPosition(0, TRUE);
    while (position) {
      SectionHold section{icons->GetNext(position)};
      if (!section.section) break;
      LONG width = 16;
      KtkPX_Long(section.section, u"Width", width, 16);
      auto icon = std::make_unique<CKtkImageManagerIcon>(id, static_cast<int>(width), set);
      if (ExchangeData(*icon, section.section)) set->m_icons[static_cast<int>(width)] = std::move(icon);
    }
    return;
  }
  CKtkImageManagerIconSet* set = IconSetById(id);
  int position = icons->GetPosition(set ? static_cast<DWORD>(set->m_icons.size()) : 0, TRUE);
  if (!set) return;
  for (auto it = set->m_icons.begin(); position && it != set->m_icons.end(); ++it) {
    SectionHold section{icons->GetNext(position)};
    if (!section.section) break;
    LONG width = it->first;
    KtkPX_Long(section.section, u"Width", width, 16);
    ExchangeData(*it->second, section.section);
  }
}
