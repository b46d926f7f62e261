// The process-wide store of the toolkit's icons and images: icon sets by command
// identifier, icons by width inside a set, eight image references per icon, and strips of
// equal-sized images packed side by side to save GDI handles. Icon sets persist through
// the property exchange in a fixed layout.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include <win/afx.h>
#include <win/gdi.h>
#include <win/user_draw.h>

#include "ornatex/export.h"

class CKtkImageManager;
class CKtkImageManagerResource;
class CKtkImageManagerIconSet;
class CKtkPropExchange;

// A place in a strip: the image's rectangle, whether it holds premultiplied colour pixels
// (and no mask), and the strip.
struct KTK_IMAGERESOURCE_INFO {
  RECT rect;
  BOOL alpha;
  CKtkImageManagerResource* resource;
};

// One image: an icon, a premultiplied 32-bit bitmap, or a slot in a strip.
class ORNATEX_API CKtkImageManagerImageRef {
 public:
  CKtkImageManagerImageRef() = default;
  ~CKtkImageManagerImageRef() { Clear(); }
  CKtkImageManagerImageRef(const CKtkImageManagerImageRef&) = delete;
  CKtkImageManagerImageRef& operator=(const CKtkImageManagerImageRef&) = delete;

  // Clears, then owns the handle and takes its size.
  void SetIcon(HICON icon);
  void SetBitmap(HBITMAP bitmap, void* bits = nullptr);
  // Clears, then holds a copy: in the manager's strip for the source's size when allowed,
  // else duplicated handles.
  void Copy(const CKtkImageManagerImageRef& source);
  // The premultiplied pixels (a bitmap is made premultiplied on first request); null for
  // an icon or a slot.
  void* GetPremultipliedBits();
  // Destroys what is owned and gives the slot back.
  void Clear();
  bool IsEmpty() const { return (!icon && !bitmap && !slot) || (width == 0 && height == 0); }

  HICON icon = nullptr;
  HBITMAP bitmap = nullptr;
  void* bits = nullptr;
  KTK_IMAGERESOURCE_INFO* slot = nullptr;
  CKtkImageManager* manager = nullptr;
  int width = 0;
  int height = 0;
  BOOL mayUseResources = TRUE;
  BOOL owned = FALSE;
};

// The strip of one image size.
class ORNATEX_API CKtkImageManagerResource {
 public:
  CKtkImageManagerResource(int width, int height) : m_width(width), m_height(height) {}
  ~CKtkImageManagerResource() { Clear(); }
  CKtkImageManagerResource(const CKtkImageManagerResource&) = delete;
  CKtkImageManagerResource& operator=(const CKtkImageManagerResource&) = delete;

  // A free slot when there is one, else the strip grows by one image.
  KTK_IMAGERESOURCE_INFO* AllocateSlot();
  // The slot becomes free; when every image of the strip is free the strip goes.
  void FreeSlot(KTK_IMAGERESOURCE_INFO* slot);
  // Copies a non-empty image of exactly this size into a new slot; null otherwise.
  KTK_IMAGERESOURCE_INFO* StoreImage(const CKtkImageManagerImageRef& image);
  // The slot's image as a bitmap (alpha slot) or an icon (colour and mask) the reference
  // owns.
  void ExtractImage(const KTK_IMAGERESOURCE_INFO* slot, CKtkImageManagerImageRef& image);
  void Clear();

  bool HasStrip() const { return m_color != nullptr; }
  int UsedWidth() const { return m_usedWidth; }
  size_t AllocatedSlots() const { return m_allocated.size(); }
  size_t FreeSlots() const { return m_free.size(); }

  HBITMAP m_color = nullptr;  // 32-bit bottom-up section
  uint32_t* m_colorBits = nullptr;
  HBITMAP m_mask = nullptr;  // one bit per pixel
  int m_width;
  int m_height;

 private:
  bool Grow();
  int m_usedWidth = 0;
  std::vector<std::unique_ptr<KTK_IMAGERESOURCE_INFO>> m_allocated;
  std::vector<KTK_IMAGERESOURCE_INFO*> m_free;
  std::recursive_mutex m_lock;
};

class ORNATEX_API CKtkImageManagerIcon : public CCmdTarget {
 public:
  CKtkImageManagerIcon(UINT id, int width, CKtkImageManagerIconSet* set);
  ~CKtkImageManagerIcon() override;
  // The icon's binary layout: height, schema (38), images 0, 6, 3, then 4 (schema > 7)
  // and 5 (schema > 16), each as a colour and a mask DIB record.
  void Serialize(CArchive& archive) override;
  void ReleaseDerivedImages();

  UINT m_id;
  int m_width;
  int m_height = 15;
  CKtkImageManagerIconSet* m_pSet;
  CKtkImageManagerImageRef m_images[8];
};

class ORNATEX_API CKtkImageManagerIconSet : public CCmdTarget {
 public:
  CKtkImageManagerIconSet(UINT id, CKtkImageManager* manager) : m_id(id), m_pManager(manager) {}
  UINT m_id;
  CKtkImageManager* m_pManager;
  std::map<int, std::unique_ptr<CKtkImageManagerIcon>> m_icons;  // by width
};

// An image list the manager holds: destroyed when owned, its icons released.
class ORNATEX_API CKtkImageManagerImageList {
 public:
  CKtkImageManagerImageList(HANDLE imageList, BOOL owned) : m_hImageList(imageList), m_bOwned(owned) {}
  ~CKtkImageManagerImageList();
  HANDLE m_hImageList;
  BOOL m_bOwned;
  std::map<int, std::unique_ptr<CKtkImageManagerImageRef>> m_icons;
};

class ORNATEX_API CKtkImageManager : public CCmdTarget {
 public:
  CKtkImageManager() = default;
  ~CKtkImageManager() override;

  CKtkImageManagerResource* GetResource(int width, int height);
  CKtkImageManagerIconSet* IconSetById(UINT id) const;
  CKtkImageManagerIconSet* GetOrCreateIconSet(UINT id);
  void RemoveAll();
  void Serialize(CArchive& archive) override;
  // Loading first removes everything; a wrong "CheckSum" throws the archive exception
  // (badClass) with the sets read before it kept.
  void DoPropExchange(CKtkPropExchange* exchange);
  void ExchangeIconSet(UINT id, CKtkPropExchange* exchange);

  std::map<UINT, std::unique_ptr<CKtkImageManagerIconSet>> m_iconSets;
  std::vector<std::unique_ptr<CKtkImageManagerImageList>> m_imageLists;
  std::map<DWORD, std::unique_ptr<CKtkImageManagerResource>> m_resources;
  BOOL m_bUseResources = TRUE;
  UINT m_highestId = 0x10AAA;
};

// The single instance, made on first use and freed when the library stops.
ORNATEX_API CKtkImageManager& KtkImageManager();
