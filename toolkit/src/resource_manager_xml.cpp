// The XML kind of the resource manager: strings, menus and dialog templates from an XML
// resource file, the rest from the base kind.
#include <toolkit/ResourceManager.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include <win/menu.h>

#include <toolkit/PropExchangeXMLNode.h>

namespace {

// A section the manager opened, released when it goes.
struct SectionRef {
  explicit SectionRef(CKtkPropExchange* s) : section(s) {}
  ~SectionRef() {
    if (section) section->ExternalRelease();
  }
  SectionRef(const SectionRef&) = delete;
  SectionRef& operator=(const SectionRef&) = delete;
  CKtkPropExchange* section;
};

CString Query(LPCWSTR element, UINT id) {
  CString query;
  query.Format(u"%s[@id = \"%i\"]", element, id);
  return query;
}

struct MenuItem {
  WORD flags = 0;
  WORD id = 0;
  CString caption;
};

// The "menuitem" children of a section, depth first: a popup's items follow it.
void WalkMenu(CKtkPropExchange* section, std::vector<MenuItem>& items, int depth) {
  if (depth > 64) return;  // deeper nesting than any menu has: taken as damaged
  std::unique_ptr<CKtkPropExchangeEnumerator> children(section->GetEnumerator(u"menuitem"));
  size_t last = SIZE_MAX;
  for (int position = children->GetPosition(0); position;) {
    SectionRef child(children->GetNext(position));
    if (!child.section) break;
    MenuItem item;
    LONG id = 0;
    KtkPX_Long(child.section, u"id", id, 0);
    KtkPX_String(child.section, u"caption", item.caption, u"");
    item.id = static_cast<WORD>(id);
    last = items.size();
    items.push_back(item);
    std::unique_ptr<CKtkPropExchangeEnumerator> grandChildren(child.section->GetEnumerator(u"menuitem"));
    if (grandChildren->GetPosition(0)) {
      items[last].flags |= MF_POPUP;
      WalkMenu(child.section, items, depth + 1);
    } else if (id == 0) {
      items[last].flags |= MF_SEPARATOR;
    }
  }
  if (last != SIZE_MAX) items[last].flags |= MF_END;
}

void PutWord(BYTE*& at, WORD value) {
  at[0] = static_cast<BYTE>(value);
  at[1] = static_cast<BYTE>(value >> 8);
  at += 2;
}

void PutDword(BYTE*& at, DWORD value) {
  PutWord(at, static_cast<WORD>(value));
  PutWord(at, static_cast<WORD>(value >> 16));
}

void PutText(BYTE*& at, const CString& text) {
  for (int i = 0; i < text.GetLength(); ++i) PutWord(at, text[i]);
  PutWord(at, 0);
}

size_t RoundUp4(size_t n) { return (n + 3) & ~static_cast<size_t>(3); }

struct Control {
  DWORD exStyle = 0;
  DWORD style = 0;
  RECT position{};
  DWORD id = 0;
  CString caption;
  CString className;
  DWORD resource = 0;

  size_t Size() const {
    const size_t titleUnits = resource ? 2 : static_cast<size_t>(caption.GetLength()) + 1;
    return RoundUp4(24 + 2 * (static_cast<size_t>(className.GetLength()) + 1) + 2 * titleUnits + 2);
  }
};

}  // namespace

CKtkResourceManagerXML::CKtkResourceManagerXML(LPCWSTR path) {
  root_ = new CKtkPropExchangeXMLNode(TRUE, nullptr, u"resource");
  valid_ = root_->LoadFromFile(path) && root_->OpenStorage();
}

CKtkResourceManagerXML::CKtkResourceManagerXML(CKtkPropExchangeXMLNode* root) : root_(root) {
  valid_ = root_ && root_->OpenStorage();
}

CKtkResourceManagerXML::~CKtkResourceManagerXML() { Close(); }

BOOL CKtkResourceManagerXML::Close() {
  const BOOL result = CKtkResourceManager::Close();
  if (root_) root_->ExternalRelease();
  root_ = nullptr;
  for (auto& entry : dialogs_) std::free(entry.second);
  dialogs_.clear();
  valid_ = FALSE;
  return result;
}

WORD CKtkResourceManagerXML::ReloadLanguage() {
  const LONG standard = 0x409;
  LONG language = standard;
  if (root_) KtkPX_Long(root_, u"LANGID", language, standard);
  SetLanguage(static_cast<WORD>(language));
  return static_cast<WORD>(language);
}

BOOL CKtkResourceManagerXML::LoadString(CString* out, UINT id) {
  if (out && valid_ && root_ && root_->HasSection(Query(u"string", id))) {
    SectionRef string(root_->GetSectionByQuery(Query(u"string", id)));
    out->Empty();
    KtkPX_String(string.section, u"value", *out);
    return TRUE;
  }
  return CKtkResourceManager::LoadString(out, id);
}

BOOL CKtkResourceManagerXML::LoadMenu(CMenu* menu, UINT id) {
  if (menu && valid_ && root_) {
    SectionRef section(root_->GetSectionByQuery(Query(u"menu", id)));
    if (section.section) {
      const std::vector<BYTE> menuTemplate = BuildMenuTemplate(static_cast<CKtkPropExchangeXMLNode*>(section.section));
      if (!menuTemplate.empty()) return menu->Attach(LoadMenuIndirectW(menuTemplate.data()));
    }
  }
  return CKtkResourceManager::LoadMenu(menu, id);
}

std::vector<BYTE> CKtkResourceManagerXML::BuildMenuTemplate(CKtkPropExchangeXMLNode* menu) {
  std::vector<MenuItem> items;
  if (menu) WalkMenu(menu, items, 0);
  if (items.empty()) return {};
  size_t size = 4;
  for (const MenuItem& item : items)
    size += 2 + ((item.flags & MF_POPUP) ? 0 : 2) + 2 * (static_cast<size_t>(item.caption.GetLength()) + 1);
  std::vector<BYTE> bytes(size + 6, 0);
  BYTE* at = bytes.data();
  PutWord(at, 0);  // version
  PutWord(at, 0);  // offset of the items after the header
  for (const MenuItem& item : items) {
    PutWord(at, item.flags);
    if (!(item.flags & MF_POPUP)) PutWord(at, item.id);
    PutText(at, item.caption);
  }
  return bytes;
}

const DLGTEMPLATE* CKtkResourceManagerXML::LoadDialogTemplate(UINT id) {
  if (valid_ && root_) {
    auto cached = dialogs_.find(id);
    if (cached != dialogs_.end()) return reinterpret_cast<const DLGTEMPLATE*>(cached->second);
    SectionRef section(root_->GetSectionByQuery(Query(u"dialog", id)));
    if (section.section) {
      size_t size = 0;
      BYTE* block = BuildDialogTemplate(static_cast<CKtkPropExchangeXMLNode*>(section.section), &size);
      if (block) {
        dialogs_[id] = block;
        return reinterpret_cast<const DLGTEMPLATE*>(block);
      }
    }
  }
  return CKtkResourceManager::LoadDialogTemplate(id);
}

BYTE* CKtkResourceManagerXML::BuildDialogTemplate(CKtkPropExchangeXMLNode* dialog, size_t* size) {
  if (!dialog) return nullptr;
  const RECT none{0, 0, 0, 0};
  LONG helpId = 0, style = 0, exStyle = 0, pointSize = 8;
  RECT position = none;
  CString face, caption;
  KtkPX_Long(dialog, u"id", helpId, 0);
  KtkPX_Long(dialog, u"style", style, 0);
  KtkPX_Long(dialog, u"styleex", exStyle, 0);
  KtkPX_Rect(dialog, u"position", position, none);
  KtkPX_String(dialog, u"fontface", face, u"MS Sans Serif");
  KtkPX_Long(dialog, u"fontsize", pointSize, 8);
  KtkPX_String(dialog, u"caption", caption, u"");

  std::vector<Control> controls;
  std::unique_ptr<CKtkPropExchangeEnumerator> children(dialog->GetEnumerator(u"control"));
  for (int at = children->GetPosition(0); at;) {
    SectionRef child(children->GetNext(at));
    if (!child.section) break;
    Control c;
    LONG value = 0;
    KtkPX_Long(child.section, u"style", value, 0x50020000);  // WS_CHILD | WS_VISIBLE | WS_GROUP
    c.style = static_cast<DWORD>(value);
    KtkPX_Long(child.section, u"styleex", value = 0, 0);
    c.exStyle = static_cast<DWORD>(value);
    KtkPX_Rect(child.section, u"position", c.position, none);
    KtkPX_String(child.section, u"caption", c.caption, u"");
    KtkPX_String(child.section, u"class", c.className, u"STATIC");
    KtkPX_Long(child.section, u"id", value = -1, -1);
    c.id = static_cast<DWORD>(value);
    KtkPX_Long(child.section, u"resource", value = 0, 0);
    c.resource = static_cast<DWORD>(value);
    controls.push_back(c);
  }

  // Header (26 bytes), empty menu and class (2 each), the title from byte 30, the font.
  size_t total =
      30 + 2 * (static_cast<size_t>(caption.GetLength()) + 1) + 6 + 2 * (static_cast<size_t>(face.GetLength()) + 1);
  for (const Control& c : controls) total = RoundUp4(total) + c.Size();
  BYTE* block = static_cast<BYTE*>(std::calloc(1, total));
  if (!block) return nullptr;
  BYTE* at = block;
  PutWord(at, 1);       // dlgVer
  PutWord(at, 0xFFFF);  // signature
  PutDword(at, static_cast<DWORD>(helpId));
  PutDword(at, static_cast<DWORD>(exStyle));
  PutDword(at, static_cast<DWORD>(style) | DS_SETFONT);
  PutWord(at, static_cast<WORD>(controls.size()));
  PutWord(at, static_cast<WORD>(position.left));
  PutWord(at, static_cast<WORD>(position.top));
  PutWord(at, static_cast<WORD>(position.right));
  PutWord(at, static_cast<WORD>(position.bottom));
  PutWord(at, 0);  // no menu
  PutWord(at, 0);  // the standard dialog class
  PutText(at, caption);
  PutWord(at, static_cast<WORD>(pointSize));
  PutWord(at, 0);  // weight
  *at++ = 0;       // italic
  *at++ = 0;       // character set
  PutText(at, face);
  for (const Control& c : controls) {
    at = block + RoundUp4(static_cast<size_t>(at - block));
    BYTE* start = at;
    PutDword(at, 0);  // helpID
    PutDword(at, c.exStyle);
    PutDword(at, c.style);
    PutWord(at, static_cast<WORD>(c.position.left));
    PutWord(at, static_cast<WORD>(c.position.top));
    PutWord(at, static_cast<WORD>(c.position.right));
    PutWord(at, static_cast<WORD>(c.position.bottom));
    PutDword(at, c.id);
    PutText(at, c.className);
    if (c.resource) {
      PutWord(at, 0xFFFF);
      PutWord(at, static_cast<WORD>(c.resource));
    } else {
      PutText(at, c.caption);
    }
    PutWord(at, 0);  // no creation data
    at = start + c.Size();
  }
  if (size) *size = total;
  return block;
}
