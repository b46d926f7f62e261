// The item dialog's settings, its interfaces and its custom controls; Show and the steps it
// plays are in ItemDialogShow.cpp.
#include <cstring>

#include "ItemDialog.h"
#include "ItemDialogFactory.h"
#include "kx2/ErrorBoundary.h"
#include "kx2/Utf.h"
#include "win/user.h"

namespace kx2::shell {
namespace {

HRESULT CopyText(const std::u16string& text, LPWSTR* out) {
  if (!out) return E_POINTER;
  auto* copy = static_cast<WCHAR*>(CoTaskMemAlloc((text.size() + 1) * sizeof(WCHAR)));
  if (!copy) return E_OUTOFMEMORY;
  std::memcpy(copy, text.c_str(), (text.size() + 1) * sizeof(WCHAR));
  *out = copy;
  return S_OK;
}

}  // namespace

HRESULT CreateItemDialog(bool save, REFIID riid, void** out) {
  return GuardCom([&] {
    Ref<ItemDialog> dialog(new ItemDialog(save));
    return dialog->QueryInterface(riid, out);
  });
}

ItemDialog::ItemDialog(bool save)
    : save_(save),
      options_(save ? FOS_OVERWRITEPROMPT | FOS_NOREADONLYRETURN | FOS_PATHMUSTEXIST | FOS_NOCHANGEDIR
                    : FOS_PATHMUSTEXIST | FOS_FILEMUSTEXIST | FOS_NOCHANGEDIR),
      title_(save ? u"Save As" : u"Open"),
      okLabel_(save ? u"&Save" : u"&Open") {}

HRESULT ItemDialog::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  // One object serves both forms: it answers only the one it was made as.
  if (riid == (save_ ? IID_IFileOpenDialog : IID_IFileSaveDialog)) return E_NOINTERFACE;
  if (save_ && (riid == IID_IFileDialog || riid == IID_IModalWindow)) {
    *out = Self();
    AddRef();
    return S_OK;
  }
  return ComObject::QueryInterface(riid, out);
}

IFileDialog* ItemDialog::Self() {
  if (save_) return static_cast<IFileSaveDialog*>(this);
  return static_cast<IFileOpenDialog*>(this);
}

HRESULT ItemDialog::SetFileTypes(UINT count, const COMDLG_FILTERSPEC* specs) {
  return GuardCom([&] {
    if (!specs) return E_INVALIDARG;
    if (hwnd_) return E_UNEXPECTED;
    if (count == 0) return E_INVALIDARG;
    // A dialog shown again may be given new types: they replace the old ones, so that the
    // index the user chooses always counts in the list its caller holds.
    std::vector<std::pair<std::u16string, std::u16string>> types;
    for (UINT i = 0; i < count; ++i)
      types.emplace_back(std::u16string(View16(specs[i].pszName)), std::u16string(View16(specs[i].pszSpec)));
    types_ = std::move(types);
    if (typeIndex_ > types_.size()) typeIndex_ = 1;
    return S_OK;
  });
}

HRESULT ItemDialog::SetFileTypeIndex(UINT index) {
  typeIndex_ = index == 0 ? 1 : index;
  return S_OK;
}

HRESULT ItemDialog::GetFileTypeIndex(UINT* index) {
  if (!index) return E_POINTER;
  *index = typeIndex_;
  return S_OK;
}

HRESULT ItemDialog::Advise(IFileDialogEvents* sink, DWORD* cookie) {
  return GuardCom([&] {
    if (!sink || !cookie) return E_INVALIDARG;
    *cookie = nextCookie_++;
    sinks_.push_back(Sink{*cookie, Ref<IFileDialogEvents>::Share(sink)});
    return S_OK;
  });
}

HRESULT ItemDialog::Unadvise(DWORD cookie) {
  for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
    if (it->cookie == cookie) {
      sinks_.erase(it);
      return S_OK;
    }
  }
  return E_INVALIDARG;
}

HRESULT ItemDialog::SetOptions(FILEOPENDIALOGOPTIONS options) {
  options_ = options;
  return S_OK;
}

HRESULT ItemDialog::GetOptions(FILEOPENDIALOGOPTIONS* options) {
  if (!options) return E_POINTER;
  *options = options_;
  return S_OK;
}

HRESULT ItemDialog::SetDefaultFolder(IShellItem* item) {
  if (!item) return E_INVALIDARG;
  defaultFolder_ = Ref<IShellItem>::Share(item);
  return S_OK;
}

HRESULT ItemDialog::SetFolder(IShellItem* item) {
  return GuardCom([&] {
    if (!item) return E_INVALIDARG;
    if (!hwnd_) {
      folder_ = Ref<IShellItem>::Share(item);
      return S_OK;
    }
    // While shown it navigates, as a "folder" step does.
    std::string why;
    return GoToFolder(PathOfItem(item), &why) == StepEnd::kBad ? E_INVALIDARG : S_OK;
  });
}

HRESULT ItemDialog::GetFolder(IShellItem** item) {
  return GuardCom([&] {
    if (!item) return E_POINTER;
    *item = nullptr;
    if (hwnd_) {
      *item = MakeShellItem(shownFolder_).release();
      return S_OK;
    }
    IShellItem* known = folder_ ? folder_.get() : defaultFolder_.get();
    if (!known) return E_FAIL;
    *item = Ref<IShellItem>::Share(known).release();
    return S_OK;
  });
}

HRESULT ItemDialog::GetCurrentSelection(IShellItem** item) {
  return GuardCom([&] {
    if (!item) return E_POINTER;
    *item = nullptr;
    if (selected_ >= 0 && static_cast<size_t>(selected_) < listing_.size()) {
      *item = MakeShellItem(JoinPath(shownFolder_, listing_[selected_].name)).release();
      return S_OK;
    }
    ReadFileName();
    if (fileName_.empty()) return E_FAIL;
    std::u16string path = PathInFolder(fileName_);
    if (path.empty()) return E_FAIL;
    *item = MakeShellItem(std::move(path)).release();
    return S_OK;
  });
}

HRESULT ItemDialog::SetFileName(LPCWSTR name) {
  return GuardCom([&] {
    fileName_ = View16(name);
    ShowFileName();
    return S_OK;
  });
}

HRESULT ItemDialog::GetFileName(LPWSTR* name) {
  return GuardCom([&] {
    ReadFileName();
    return CopyText(fileName_, name);
  });
}

HRESULT ItemDialog::SetTitle(LPCWSTR title) {
  return GuardCom([&] {
    title_ = View16(title);
    if (hwnd_) SetWindowTextW(hwnd_, title_.c_str());
    return S_OK;
  });
}

HRESULT ItemDialog::SetOkButtonLabel(LPCWSTR text) {
  return GuardCom([&] {
    okLabel_ = View16(text);
    return S_OK;
  });
}

HRESULT ItemDialog::SetFileNameLabel(LPCWSTR label) {
  return GuardCom([&] {
    nameLabel_ = View16(label);
    return S_OK;
  });
}

HRESULT ItemDialog::GetResult(IShellItem** item) {
  if (!item) return E_POINTER;
  *item = nullptr;
  if (!result_ || !(inFileOk_ || resultFinal_)) return E_UNEXPECTED;
  *item = Ref<IShellItem>::Share(result_.get()).release();
  return S_OK;
}

HRESULT ItemDialog::AddPlace(IShellItem* item, FDAP) { return item ? S_OK : E_INVALIDARG; }

HRESULT ItemDialog::SetDefaultExtension(LPCWSTR extension) {
  return GuardCom([&] {
    std::u16string_view text = View16(extension);
    if (!text.empty() && text.front() == u'.') text.remove_prefix(1);
    defaultExtension_ = text;
    return S_OK;
  });
}

HRESULT ItemDialog::Close(HRESULT hr) {
  if (!hwnd_) return E_UNEXPECTED;
  closing_ = true;
  closeResult_ = hr;
  return S_OK;
}

void ItemDialog::CancelFromWindow() {
  if (!hwnd_) return;
  closing_ = true;
  closeResult_ = kDialogCancelled;
}

HRESULT ItemDialog::SetClientGuid(REFGUID) { return S_OK; }
HRESULT ItemDialog::ClearClientData() { return S_OK; }
HRESULT ItemDialog::SetFilter(IShellItemFilter*) { return S_OK; }

HRESULT ItemDialog::GetResults(IShellItemArray** items) {
  return GuardCom([&] {
    if (!items) return E_POINTER;
    *items = nullptr;
    if (!result_ || !resultFinal_) return E_UNEXPECTED;
    return MakeItemArray({result_}, IID_IShellItemArray, reinterpret_cast<void**>(items));
  });
}

HRESULT ItemDialog::GetSelectedItems(IShellItemArray** items) {
  return GuardCom([&] {
    if (!items) return E_POINTER;
    *items = nullptr;
    Ref<IShellItem> current;
    if (FAILED(GetCurrentSelection(current.put()))) return E_FAIL;
    return MakeItemArray({current}, IID_IShellItemArray, reinterpret_cast<void**>(items));
  });
}

HRESULT ItemDialog::SetSaveAsItem(IShellItem* item) {
  return GuardCom([&] {
    std::u16string path = PathOfItem(item);
    if (path.empty()) return E_INVALIDARG;
    std::u16string parent = ContainingFolder(path);
    if (!parent.empty()) folder_ = MakeShellItem(parent);
    fileName_ = path.substr(path.find_last_of(u"\\/") + 1);
    return S_OK;
  });
}

HRESULT ItemDialog::SetProperties(IPropertyStore*) { return E_NOTIMPL; }
HRESULT ItemDialog::SetCollectedProperties(IPropertyDescriptionList*, BOOL) { return E_NOTIMPL; }
HRESULT ItemDialog::GetProperties(IPropertyStore** store) {
  if (store) *store = nullptr;
  return E_NOTIMPL;
}
HRESULT ItemDialog::ApplyProperties(IShellItem*, IPropertyStore*, HWND, IFileOperationProgressSink*) {
  return E_NOTIMPL;
}

// ---- Custom controls ----------------------------------------------------------------------
using Kind = DialogControls::Kind;

HRESULT ItemDialog::EnableOpenDropDown(DWORD id) {
  return GuardCom([&] { return controls_.Add(id, Kind::kOpenDropDown, nullptr); });
}
HRESULT ItemDialog::AddMenu(DWORD id, LPCWSTR label) {
  return GuardCom([&] { return controls_.Add(id, Kind::kMenu, label); });
}
HRESULT ItemDialog::AddPushButton(DWORD id, LPCWSTR label) {
  return GuardCom([&] { return controls_.Add(id, Kind::kPushButton, label); });
}
HRESULT ItemDialog::AddComboBox(DWORD id) {
  return GuardCom([&] { return controls_.Add(id, Kind::kComboBox, nullptr); });
}
HRESULT ItemDialog::AddRadioButtonList(DWORD id) {
  return GuardCom([&] { return controls_.Add(id, Kind::kRadioList, nullptr); });
}
HRESULT ItemDialog::AddCheckButton(DWORD id, LPCWSTR label, BOOL checked) {
  return GuardCom([&] {
    HRESULT hr = controls_.Add(id, Kind::kCheckButton, label);
    if (SUCCEEDED(hr)) controls_.SetChecked(id, checked);
    return hr;
  });
}
HRESULT ItemDialog::AddEditBox(DWORD id, LPCWSTR text) {
  return GuardCom([&] { return controls_.Add(id, Kind::kEditBox, text); });
}
HRESULT ItemDialog::AddSeparator(DWORD id) {
  return GuardCom([&] { return controls_.Add(id, Kind::kSeparator, nullptr); });
}
HRESULT ItemDialog::AddText(DWORD id, LPCWSTR text) {
  return GuardCom([&] { return controls_.Add(id, Kind::kText, text); });
}
HRESULT ItemDialog::SetControlLabel(DWORD id, LPCWSTR label) {
  return GuardCom([&] { return controls_.SetLabel(id, label); });
}
HRESULT ItemDialog::GetControlState(DWORD id, CDCONTROLSTATEF* state) { return controls_.GetState(id, state); }
HRESULT ItemDialog::SetControlState(DWORD id, CDCONTROLSTATEF state) { return controls_.SetState(id, state); }
HRESULT ItemDialog::GetEditBoxText(DWORD id, WCHAR** text) { return controls_.GetEditText(id, text); }
HRESULT ItemDialog::SetEditBoxText(DWORD id, LPCWSTR text) {
  return GuardCom([&] { return controls_.SetEditText(id, text); });
}
HRESULT ItemDialog::GetCheckButtonState(DWORD id, BOOL* checked) { return controls_.GetChecked(id, checked); }
HRESULT ItemDialog::SetCheckButtonState(DWORD id, BOOL checked) { return controls_.SetChecked(id, checked); }
HRESULT ItemDialog::AddControlItem(DWORD id, DWORD item, LPCWSTR label) {
  return GuardCom([&] { return controls_.AddItem(id, item, label); });
}
HRESULT ItemDialog::RemoveControlItem(DWORD id, DWORD item) { return controls_.RemoveItem(id, item); }
HRESULT ItemDialog::RemoveAllControlItems(DWORD id) { return controls_.RemoveAllItems(id); }
HRESULT ItemDialog::GetControlItemState(DWORD id, DWORD item, CDCONTROLSTATEF* state) {
  return controls_.GetItemState(id, item, state);
}
HRESULT ItemDialog::SetControlItemState(DWORD id, DWORD item, CDCONTROLSTATEF state) {
  return controls_.SetItemState(id, item, state);
}
HRESULT ItemDialog::GetSelectedControlItem(DWORD id, DWORD* item) { return controls_.GetSelected(id, item); }
HRESULT ItemDialog::SetSelectedControlItem(DWORD id, DWORD item) { return controls_.SetSelected(id, item); }
HRESULT ItemDialog::StartVisualGroup(DWORD id, LPCWSTR label) {
  return GuardCom([&] { return controls_.StartGroup(id, label); });
}
HRESULT ItemDialog::EndVisualGroup() {
  controls_.EndGroup();
  return S_OK;
}
HRESULT ItemDialog::MakeProminent(DWORD id) { return controls_.MakeProminent(id); }
HRESULT ItemDialog::SetControlItemText(DWORD id, DWORD item, LPCWSTR label) {
  return GuardCom([&] { return controls_.SetItemText(id, item, label); });
}

// ---- IOleWindow ------------------------------------------------------------------------------
HRESULT ItemDialog::GetWindow(HWND* hwnd) {
  if (!hwnd) return E_POINTER;
  *hwnd = hwnd_;
  return hwnd_ ? S_OK : E_FAIL;
}

HRESULT ItemDialog::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

}  // namespace kx2::shell
