// Shell items and item arrays over full Windows paths, and SHCreateItemFromParsingName.
#include <cstring>

#include "ItemDialogFolder.h"
#include "kx2/ComObject.h"
#include "kx2/ErrorBoundary.h"
#include "kx2/ShellIids.h"
#include "kx2/Utf.h"
#include "win/fileapi.h"

namespace kx2::shell {
namespace {

HRESULT CopyOut(std::u16string_view text, LPWSTR* out) {
  auto* copy = static_cast<char16_t*>(CoTaskMemAlloc((text.size() + 1) * sizeof(char16_t)));
  if (!copy) return E_OUTOFMEMORY;
  std::memcpy(copy, text.data(), text.size() * sizeof(char16_t));
  copy[text.size()] = 0;
  *out = copy;
  return S_OK;
}

SFGAOF AttributesOfPath(const std::u16string& path, bool* exists) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  *exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (!*exists) return 0;
  SFGAOF bits = SFGAO_FILESYSTEM | SFGAO_CANCOPY | SFGAO_CANMOVE | SFGAO_CANRENAME | SFGAO_CANDELETE;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY)
    bits |= SFGAO_FOLDER | SFGAO_FILESYSANCESTOR | SFGAO_STORAGE;
  else
    bits |= SFGAO_STREAM;
  if (attributes & FILE_ATTRIBUTE_READONLY) bits |= SFGAO_READONLY;
  if (attributes & FILE_ATTRIBUTE_HIDDEN) bits |= SFGAO_HIDDEN;
  return bits;
}

class ShellItem final : public ComObject<IShellItem> {
 public:
  explicit ShellItem(std::u16string path) : path_(std::move(path)) {}

  HRESULT STDMETHODCALLTYPE BindToHandler(IBindCtx*, REFGUID, REFIID, void** ppv) override {
    if (ppv) *ppv = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetParent(IShellItem** out) override {
    return GuardCom([&] {
      if (!out) return E_POINTER;
      *out = nullptr;
      std::u16string parent = ContainingFolder(path_);
      if (parent.empty()) return MK_E_NOOBJECT;
      *out = MakeShellItem(std::move(parent)).release();
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE GetDisplayName(SIGDN form, LPWSTR* out) override {
    return GuardCom([&] {
      if (!out) return E_POINTER;
      *out = nullptr;
      switch (form) {
        case SIGDN_FILESYSPATH:
        case SIGDN_DESKTOPABSOLUTEPARSING:
        case SIGDN_DESKTOPABSOLUTEEDITING:
          return CopyOut(path_, out);
        case SIGDN_NORMALDISPLAY:
        case SIGDN_PARENTRELATIVEPARSING:
        case SIGDN_PARENTRELATIVEEDITING:
        case SIGDN_PARENTRELATIVEFORADDRESSBAR:
        case SIGDN_PARENTRELATIVE: {
          if (ContainingFolder(path_).empty()) return CopyOut(path_, out);
          return CopyOut(std::u16string_view(path_).substr(path_.find_last_of(u"\\/") + 1), out);
        }
        case SIGDN_URL: {
          std::u16string url = u"file:///" + path_;
          for (char16_t& c : url)
            if (c == u'\\') c = u'/';
          return CopyOut(url, out);
        }
      }
      return E_INVALIDARG;
    });
  }
  HRESULT STDMETHODCALLTYPE GetAttributes(SFGAOF mask, SFGAOF* out) override {
    return GuardCom([&] {
      if (!out) return E_POINTER;
      bool exists = false;
      *out = AttributesOfPath(path_, &exists) & mask;
      if (!exists) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
      return *out == mask ? S_OK : S_FALSE;
    });
  }
  HRESULT STDMETHODCALLTYPE Compare(IShellItem* other, SICHINTF, int* order) override {
    return GuardCom([&] {
      if (!other || !order) return E_POINTER;
      *order = StrICmp16(path_, PathOfItem(other));
      return *order == 0 ? S_OK : S_FALSE;
    });
  }

  const std::u16string& path() const { return path_; }

 private:
  std::u16string path_;
};

class ShellItemArray final : public ComObject<IShellItemArray> {
 public:
  explicit ShellItemArray(std::vector<Ref<IShellItem>> items) : items_(std::move(items)) {}

  HRESULT STDMETHODCALLTYPE BindToHandler(IBindCtx*, REFGUID, REFIID, void** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetPropertyStore(DWORD, REFIID, void** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetPropertyDescriptionList(const void*, REFIID, void** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetAttributes(SIATTRIBFLAGS how, SFGAOF mask, SFGAOF* out) override {
    return GuardCom([&] {
      if (!out) return E_POINTER;
      SFGAOF all = how == SIATTRIBFLAGS_OR ? 0 : mask;
      for (const Ref<IShellItem>& item : items_) {
        SFGAOF bits = 0;
        item->GetAttributes(mask, &bits);
        all = how == SIATTRIBFLAGS_OR ? (all | bits) : (all & bits);
      }
      *out = items_.empty() ? 0 : all;
      return *out == mask ? S_OK : S_FALSE;
    });
  }
  HRESULT STDMETHODCALLTYPE GetCount(DWORD* count) override {
    if (!count) return E_POINTER;
    *count = static_cast<DWORD>(items_.size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetItemAt(DWORD index, IShellItem** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (index >= items_.size()) return E_INVALIDARG;
    *out = Ref<IShellItem>::Share(items_[index].get()).release();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE EnumItems(IEnumShellItems** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }

 private:
  std::vector<Ref<IShellItem>> items_;
};

}  // namespace

Ref<IShellItem> MakeShellItem(std::u16string fullPath) { return Ref<IShellItem>(new ShellItem(std::move(fullPath))); }

std::u16string PathOfItem(IShellItem* item) {
  if (!item) return {};
  LPWSTR text = nullptr;
  if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &text)) || !text) return {};
  std::u16string path(text);
  CoTaskMemFree(text);
  return path;
}

HRESULT MakeItemArray(std::vector<Ref<IShellItem>> items, REFIID riid, void** out) {
  Ref<IShellItemArray> array(new ShellItemArray(std::move(items)));
  return array->QueryInterface(riid, out);
}

}  // namespace kx2::shell

KX2_EXPORT HRESULT SHCreateItemFromParsingName(LPCWSTR pszPath, IBindCtx*, REFIID riid, void** ppv) {
  return kx2::GuardCom([&] {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!pszPath || !*pszPath) return E_INVALIDARG;
    std::u16string full = kx2::shell::FullPathOf(pszPath);
    if (full.empty() || !kx2::shell::IsExisting(full)) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    return kx2::shell::MakeShellItem(std::move(full))->QueryInterface(riid, ppv);
  });
}
