// The Common Item Dialog stand-in: one object serves the open and the save form (its
// QueryInterface answers only the form it was made as), keeps the dialog's settings, and
// while shown plays the thread's file-dialog script step by step in a modal loop around a
// real dialog window.
#pragma once

#include <string>
#include <vector>

#include "ItemDialogControls.h"
#include "ItemDialogFolder.h"
#include "ItemDialogScript.h"
#include "kx2/ComObject.h"
#include "kx2/ShellIids.h"
#include "kx2/Ref.h"
#include "win/shobjidl.h"

namespace kx2::shell {

// The result of Show when the user did not confirm an item.
inline const HRESULT kDialogCancelled = HRESULT_FROM_WIN32(ERROR_CANCELLED);

class ItemDialog final : public ComObject<IFileOpenDialog, IFileSaveDialog, IFileDialogCustomize, IOleWindow> {
 public:
  explicit ItemDialog(bool save);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;

  // IModalWindow
  HRESULT STDMETHODCALLTYPE Show(HWND owner) override;

  // IFileDialog
  HRESULT STDMETHODCALLTYPE SetFileTypes(UINT count, const COMDLG_FILTERSPEC* specs) override;
  HRESULT STDMETHODCALLTYPE SetFileTypeIndex(UINT index) override;
  HRESULT STDMETHODCALLTYPE GetFileTypeIndex(UINT* index) override;
  HRESULT STDMETHODCALLTYPE Advise(IFileDialogEvents* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE SetOptions(FILEOPENDIALOGOPTIONS options) override;
  HRESULT STDMETHODCALLTYPE GetOptions(FILEOPENDIALOGOPTIONS* options) override;
  HRESULT STDMETHODCALLTYPE SetDefaultFolder(IShellItem* item) override;
  HRESULT STDMETHODCALLTYPE SetFolder(IShellItem* item) override;
  HRESULT STDMETHODCALLTYPE GetFolder(IShellItem** item) override;
  HRESULT STDMETHODCALLTYPE GetCurrentSelection(IShellItem** item) override;
  HRESULT STDMETHODCALLTYPE SetFileName(LPCWSTR name) override;
  HRESULT STDMETHODCALLTYPE GetFileName(LPWSTR* name) override;
  HRESULT STDMETHODCALLTYPE SetTitle(LPCWSTR title) override;
  HRESULT STDMETHODCALLTYPE SetOkButtonLabel(LPCWSTR text) override;
  HRESULT STDMETHODCALLTYPE SetFileNameLabel(LPCWSTR label) override;
  HRESULT STDMETHODCALLTYPE GetResult(IShellItem** item) override;
  HRESULT STDMETHODCALLTYPE AddPlace(IShellItem* item, FDAP where) override;
  HRESULT STDMETHODCALLTYPE SetDefaultExtension(LPCWSTR extension) override;
  HRESULT STDMETHODCALLTYPE Close(HRESULT hr) override;
  HRESULT STDMETHODCALLTYPE SetClientGuid(REFGUID guid) override;
  HRESULT STDMETHODCALLTYPE ClearClientData() override;
  HRESULT STDMETHODCALLTYPE SetFilter(IShellItemFilter* filter) override;

  // IFileOpenDialog
  HRESULT STDMETHODCALLTYPE GetResults(IShellItemArray** items) override;
  HRESULT STDMETHODCALLTYPE GetSelectedItems(IShellItemArray** items) override;

  // IFileSaveDialog
  HRESULT STDMETHODCALLTYPE SetSaveAsItem(IShellItem* item) override;
  HRESULT STDMETHODCALLTYPE SetProperties(IPropertyStore* store) override;
  HRESULT STDMETHODCALLTYPE SetCollectedProperties(IPropertyDescriptionList* list, BOOL appendDefault) override;
  HRESULT STDMETHODCALLTYPE GetProperties(IPropertyStore** store) override;
  HRESULT STDMETHODCALLTYPE ApplyProperties(IShellItem* item, IPropertyStore* store, HWND hwnd,
                                            IFileOperationProgressSink* sink) override;

  // IFileDialogCustomize
  HRESULT STDMETHODCALLTYPE EnableOpenDropDown(DWORD id) override;
  HRESULT STDMETHODCALLTYPE AddMenu(DWORD id, LPCWSTR label) override;
  HRESULT STDMETHODCALLTYPE AddPushButton(DWORD id, LPCWSTR label) override;
  HRESULT STDMETHODCALLTYPE AddComboBox(DWORD id) override;
  HRESULT STDMETHODCALLTYPE AddRadioButtonList(DWORD id) override;
  HRESULT STDMETHODCALLTYPE AddCheckButton(DWORD id, LPCWSTR label, BOOL checked) override;
  HRESULT STDMETHODCALLTYPE AddEditBox(DWORD id, LPCWSTR text) override;
  HRESULT STDMETHODCALLTYPE AddSeparator(DWORD id) override;
  HRESULT STDMETHODCALLTYPE AddText(DWORD id, LPCWSTR text) override;
  HRESULT STDMETHODCALLTYPE SetControlLabel(DWORD id, LPCWSTR label) override;
  HRESULT STDMETHODCALLTYPE GetControlState(DWORD id, CDCONTROLSTATEF* state) override;
  HRESULT STDMETHODCALLTYPE SetControlState(DWORD id, CDCONTROLSTATEF state) override;
  HRESULT STDMETHODCALLTYPE GetEditBoxText(DWORD id, WCHAR** text) override;
  HRESULT STDMETHODCALLTYPE SetEditBoxText(DWORD id, LPCWSTR text) override;
  HRESULT STDMETHODCALLTYPE GetCheckButtonState(DWORD id, BOOL* checked) override;
  HRESULT STDMETHODCALLTYPE SetCheckButtonState(DWORD id, BOOL checked) override;
  HRESULT STDMETHODCALLTYPE AddControlItem(DWORD id, DWORD item, LPCWSTR label) override;
  HRESULT STDMETHODCALLTYPE RemoveControlItem(DWORD id, DWORD item) override;
  HRESULT STDMETHODCALLTYPE RemoveAllControlItems(DWORD id) override;
  HRESULT STDMETHODCALLTYPE GetControlItemState(DWORD id, DWORD item, CDCONTROLSTATEF* state) override;
  HRESULT STDMETHODCALLTYPE SetControlItemState(DWORD id, DWORD item, CDCONTROLSTATEF state) override;
  HRESULT STDMETHODCALLTYPE GetSelectedControlItem(DWORD id, DWORD* item) override;
  HRESULT STDMETHODCALLTYPE SetSelectedControlItem(DWORD id, DWORD item) override;
  HRESULT STDMETHODCALLTYPE StartVisualGroup(DWORD id, LPCWSTR label) override;
  HRESULT STDMETHODCALLTYPE EndVisualGroup() override;
  HRESULT STDMETHODCALLTYPE MakeProminent(DWORD id) override;
  HRESULT STDMETHODCALLTYPE SetControlItemText(DWORD id, DWORD item, LPCWSTR label) override;

  // IOleWindow
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* hwnd) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enterMode) override;

  // The window procedure's ways in: the user closed the window, or pressed the default
  // button (confirmed as the script's "ok" is, by the modal loop).
  void CancelFromWindow();
  void OkFromWindow() { okFromWindow_ = true; }

 private:
  ~ItemDialog() override = default;

  enum class StepEnd { kGoOn, kBad, kClosed };
  struct Sink {
    DWORD cookie;
    Ref<IFileDialogEvents> events;
  };

  IFileDialog* Self();
  std::vector<Sink> SinksNow() const { return sinks_; }
  std::u16string StartFolder() const;
  std::u16string PathInFolder(const std::u16string& name) const;
  std::u16string WithDefaultExtension(const std::u16string& path) const;

  HRESULT RunModal(HWND owner, const FileDialogScript& script);
  StepEnd Play(const FileDialogStep& step, std::string* why);
  StepEnd GoToFolder(const std::u16string& path, std::string* why);
  StepEnd Select(const std::u16string& name, std::string* why);
  StepEnd Confirm(std::string* why);
  StepEnd Choose(DWORD item, std::string* why);
  void FireSelectionChange();
  // The name box shows fileName_; before a confirmation fileName_ takes what the box holds.
  void ShowFileName();
  void ReadFileName();

  bool save_;
  FILEOPENDIALOGOPTIONS options_;
  std::vector<std::pair<std::u16string, std::u16string>> types_;
  UINT typeIndex_ = 0;
  std::vector<Sink> sinks_;
  DWORD nextCookie_ = 1;
  Ref<IShellItem> defaultFolder_;
  Ref<IShellItem> folder_;
  std::u16string fileName_;
  std::u16string title_;
  std::u16string okLabel_;
  std::u16string nameLabel_ = u"File &name:";
  std::u16string defaultExtension_;
  DialogControls controls_;

  // While shown.
  HWND hwnd_ = nullptr;
  std::u16string shownFolder_;
  std::vector<FolderEntry> listing_;
  int selected_ = -1;
  bool closing_ = false;
  bool okFromWindow_ = false;
  HRESULT closeResult_ = S_OK;
  // The confirmed item: while OnFileOk runs, and after Show answered S_OK.
  Ref<IShellItem> result_;
  bool resultFinal_ = false;
  bool inFileOk_ = false;
};

}  // namespace kx2::shell
