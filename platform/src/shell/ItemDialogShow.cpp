// Showing the item dialog: its window on the calling thread, the modal loop, and the user's
// steps from the script, each firing the events the dialog fires for it.
#include "ItemDialog.h"
#include "ItemDialogWindow.h"
#include "kx2/ErrorBoundary.h"
#include "kx2/IdleHandler.h"
#include "kx2/Utf.h"
#include "win/user.h"

namespace kx2::shell {
namespace {

// A sink's answer that lets the dialog go on: S_OK, or a sink that does not handle the event.
bool Accepts(HRESULT hr) { return hr == S_OK || hr == E_NOTIMPL; }

bool IsAbsolute(std::u16string_view path) {
  return (path.size() >= 2 && path[1] == u':') || (!path.empty() && (path[0] == u'\\' || path[0] == u'/'));
}

// The extension of the first pattern of a file type ("*.txt;*.text" gives "txt"); empty for
// a wildcard extension.
std::u16string ExtensionOfPattern(std::u16string_view pattern) {
  pattern = pattern.substr(0, pattern.find(u';'));
  size_t dot = pattern.rfind(u'.');
  if (dot == std::u16string_view::npos) return {};
  std::u16string_view ext = pattern.substr(dot + 1);
  if (ext.empty() || ext.find_first_of(u"*?") != std::u16string_view::npos) return {};
  return std::u16string(ext);
}

}  // namespace

HRESULT ItemDialog::Show(HWND owner) {
  return GuardCom([&]() -> HRESULT {
    if (hwnd_) return E_UNEXPECTED;
    result_.reset();
    resultFinal_ = false;
    std::optional<FileDialogScript> script = TakeFileDialogScript();
    if (!script) {
      // No user to play: the dialog answers as one who cancels at once, and never waits.
      ReportFileDialogScriptEnd(0, {});
      return kDialogCancelled;
    }
    return RunModal(owner, *script);
  });
}

std::u16string ItemDialog::StartFolder() const {
  for (IShellItem* item : {folder_.get(), defaultFolder_.get()}) {
    std::u16string path = PathOfItem(item);
    if (!path.empty() && IsExistingFolder(path)) return path;
  }
  return FullPathOf(u".");
}

std::u16string ItemDialog::PathInFolder(const std::u16string& name) const {
  return FullPathOf(IsAbsolute(name) ? name : JoinPath(shownFolder_, name));
}

std::u16string ItemDialog::WithDefaultExtension(const std::u16string& path) const {
  if (defaultExtension_.empty()) return path;
  size_t nameStart = path.find_last_of(u"\\/");
  nameStart = nameStart == std::u16string::npos ? 0 : nameStart + 1;
  if (path.find(u'.', nameStart) != std::u16string::npos) return path;
  // The chosen file type's own extension wins over the default one, as in the system's dialog.
  std::u16string ext;
  if (typeIndex_ >= 1 && typeIndex_ <= types_.size()) ext = ExtensionOfPattern(types_[typeIndex_ - 1].second);
  return path + u"." + (ext.empty() ? defaultExtension_ : ext);
}

HRESULT ItemDialog::RunModal(HWND owner, const FileDialogScript& script) {
  if (typeIndex_ == 0 && !types_.empty()) typeIndex_ = 1;
  shownFolder_ = StartFolder();
  if (!ListFolder(shownFolder_, &listing_)) listing_.clear();
  selected_ = -1;
  closing_ = false;
  closeResult_ = kDialogCancelled;

  hwnd_ = CreateItemDialogWindow(owner, ItemDialogTexts{title_, nameLabel_, okLabel_}, this);
  if (!hwnd_) return HRESULT_FROM_WIN32(GetLastError() ? GetLastError() : ERROR_INVALID_WINDOW_HANDLE);
  bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  ShowFileName();
  ShowWindow(hwnd_, SW_SHOW);
  UpdateWindow(hwnd_);

  int badLine = 0;
  std::string why;
  HRESULT hr = kDialogCancelled;
  auto pump = [&] {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        // The thread is quitting: the dialog ends and the quit goes on to the outer loop.
        PostQuitMessage(static_cast<int>(msg.wParam));
        closing_ = true;
        closeResult_ = kDialogCancelled;
        return;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  };
  size_t next = 0;
  for (;;) {
    pump();
    if (!closing_) {
      Kx2RunIdleHandler();
      pump();
    }
    if (okFromWindow_ && !closing_ && IsWindow(hwnd_)) {
      // The default button: the user's own step, between the script's.
      okFromWindow_ = false;
      if (Confirm(&why) == StepEnd::kClosed) {
        hr = closeResult_;
        break;
      }
      continue;
    }
    if (closing_ || !IsWindow(hwnd_)) {
      hr = closing_ ? closeResult_ : kDialogCancelled;
      break;
    }
    if (next >= script.steps.size()) {
      badLine = script.badLine;
      why = script.why;
      break;
    }
    const FileDialogStep& step = script.steps[next++];
    StepEnd end = Play(step, &why);
    if (end == StepEnd::kBad) {
      badLine = step.line;
      break;
    }
    if (end == StepEnd::kClosed) {
      hr = closeResult_;
      break;
    }
  }

  ReadFileName();
  if (ownerWasEnabled) EnableWindow(owner, TRUE);
  DestroyItemDialogWindow(hwnd_);
  hwnd_ = nullptr;
  listing_.clear();
  selected_ = -1;
  // The folder shown last is where the next showing starts.
  if (!shownFolder_.empty()) folder_ = MakeShellItem(shownFolder_);
  ReportFileDialogScriptEnd(badLine, why);
  resultFinal_ = hr == S_OK && result_;
  if (!resultFinal_) result_.reset();
  return hr;
}

ItemDialog::StepEnd ItemDialog::Play(const FileDialogStep& step, std::string* why) {
  using K = FileDialogStep::Kind;
  StepEnd end = StepEnd::kGoOn;
  switch (step.kind) {
    case K::kFolder:
      end = GoToFolder(FullPathOf(step.text), why);
      break;
    case K::kSelect:
      end = Select(step.text, why);
      break;
    case K::kType:
      if (step.number < 1 || step.number > types_.size()) {
        *why = "no file type " + std::to_string(step.number);
        return StepEnd::kBad;
      }
      typeIndex_ = step.number;
      for (const Sink& sink : SinksNow()) sink.events->OnTypeChange(Self());
      break;
    case K::kChoice:
      end = Choose(step.number, why);
      break;
    case K::kName:
      fileName_ = step.text;
      ShowFileName();
      break;
    case K::kOk:
      end = Confirm(why);
      break;
    case K::kCancel:
      closing_ = true;
      closeResult_ = kDialogCancelled;
      break;
  }
  if (end == StepEnd::kGoOn && closing_) return StepEnd::kClosed;
  return end;
}

ItemDialog::StepEnd ItemDialog::GoToFolder(const std::u16string& path, std::string* why) {
  if (path.empty() || !IsExistingFolder(path)) {
    *why = "no folder \"" + Utf16ToUtf8(path) + "\"";
    return StepEnd::kBad;
  }
  Ref<IShellItem> item = MakeShellItem(path);
  for (const Sink& sink : SinksNow()) {
    if (!Accepts(sink.events->OnFolderChanging(Self(), item.get()))) return StepEnd::kGoOn;  // refused
  }
  std::vector<FolderEntry> entries;
  if (!ListFolder(path, &entries)) {
    *why = "cannot list \"" + Utf16ToUtf8(path) + "\"";
    return StepEnd::kBad;
  }
  shownFolder_ = path;
  listing_ = std::move(entries);
  bool hadSelection = selected_ >= 0;
  selected_ = -1;
  for (const Sink& sink : SinksNow()) sink.events->OnFolderChange(Self());
  if (hadSelection) FireSelectionChange();
  return StepEnd::kGoOn;
}

ItemDialog::StepEnd ItemDialog::Select(const std::u16string& name, std::string* why) {
  for (size_t i = 0; i < listing_.size(); ++i) {
    if (!EqualsI16(listing_[i].name, name)) continue;
    selected_ = static_cast<int>(i);
    if (!listing_[i].folder) {
      fileName_ = listing_[i].name;
      ShowFileName();
    }
    FireSelectionChange();
    return StepEnd::kGoOn;
  }
  *why = "no \"" + Utf16ToUtf8(name) + "\" in the folder";
  return StepEnd::kBad;
}

void ItemDialog::FireSelectionChange() {
  for (const Sink& sink : SinksNow()) sink.events->OnSelectionChange(Self());
}

ItemDialog::StepEnd ItemDialog::Choose(DWORD item, std::string* why) {
  DWORD control = 0;
  if (!controls_.ChooseItem(item, &control)) {
    *why = "no item " + std::to_string(item) + " to choose";
    return StepEnd::kBad;
  }
  auto* customize = static_cast<IFileDialogCustomize*>(this);
  for (const Sink& sink : SinksNow()) {
    Ref<IFileDialogControlEvents> controlEvents;
    if (SUCCEEDED(sink.events->QueryInterface(IID_IFileDialogControlEvents, controlEvents.put_void())) && controlEvents)
      controlEvents->OnItemSelected(customize, control, item);
  }
  return StepEnd::kGoOn;
}

void ItemDialog::ShowFileName() {
  if (HWND box = NameBoxOf(hwnd_)) SetWindowTextW(box, fileName_.c_str());
}

void ItemDialog::ReadFileName() {
  HWND box = NameBoxOf(hwnd_);
  if (!box) return;
  std::u16string text(static_cast<size_t>(GetWindowTextLengthW(box)) + 1, u'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(box, text.data(), static_cast<int>(text.size()))));
  fileName_ = std::move(text);
}

ItemDialog::StepEnd ItemDialog::Confirm(std::string*) {
  ReadFileName();
  std::u16string name = fileName_;
  if (name.empty()) {
    // Nothing typed: a selected folder is opened, otherwise the button does nothing.
    if (selected_ >= 0 && listing_[selected_].folder) {
      std::string ignored;
      GoToFolder(JoinPath(shownFolder_, listing_[selected_].name), &ignored);
    }
    return StepEnd::kGoOn;
  }
  std::u16string path = PathInFolder(name);
  if (path.empty()) return StepEnd::kGoOn;
  if (IsExistingFolder(path)) {
    fileName_.clear();
    ShowFileName();
    std::string ignored;
    GoToFolder(path, &ignored);
    return StepEnd::kGoOn;
  }
  if (!IsExisting(path)) path = WithDefaultExtension(path);
  bool exists = IsExisting(path);
  // What the system's dialog would refuse with a message keeps it open here.
  if ((options_ & FOS_FILEMUSTEXIST) && !exists) return StepEnd::kGoOn;
  std::u16string parent = ContainingFolder(path);
  if ((options_ & FOS_PATHMUSTEXIST) && !parent.empty() && !IsExistingFolder(parent)) return StepEnd::kGoOn;
  Ref<IShellItem> item = MakeShellItem(path);
  if (save_ && exists && (options_ & FOS_OVERWRITEPROMPT)) {
    for (const Sink& sink : SinksNow()) {
      FDE_OVERWRITE_RESPONSE response = FDEOR_DEFAULT;
      HRESULT hr = sink.events->OnOverwrite(Self(), item.get(), &response);
      if (SUCCEEDED(hr) && response == FDEOR_REFUSE) return StepEnd::kGoOn;
    }
  }
  result_ = item;
  inFileOk_ = true;
  bool accepted = true;
  for (const Sink& sink : SinksNow()) {
    if (!Accepts(sink.events->OnFileOk(Self()))) {
      accepted = false;
      break;
    }
  }
  inFileOk_ = false;
  if (closing_) return StepEnd::kClosed;
  if (!accepted) {
    result_.reset();
    return StepEnd::kGoOn;
  }
  closing_ = true;
  closeResult_ = S_OK;
  return StepEnd::kClosed;
}

}  // namespace kx2::shell
