// The Common Item Dialog stand-in: a script of user steps played by Show's modal loop, the
// events in the order the dialog fires them, results, custom controls and shell items.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "kx2/ComObject.h"
#include "kx2/FileDialogScript.h"
#include "kx2/IdleHandler.h"
#include "kx2/Ref.h"
#include "kx2/ShellIids.h"
#include "kx2/Utf.h"
#include "kx2test/TempFiles.h"
#include "win/com.h"
#include "win/shobjidl.h"
#include "win/user.h"

namespace {

using kx2::Ref;
using kx2test::WinPath;

std::u16string PathOf(IShellItem* item) {
  LPWSTR text = nullptr;
  if (!item || FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &text))) return {};
  std::u16string path(text);
  CoTaskMemFree(text);
  return path;
}

// Records every event as a word; OnFileOk answers from a queue (S_OK when it is empty).
class Recorder final : public kx2::ComObject<IFileDialogEvents, IFileDialogControlEvents> {
 public:
  std::vector<std::string> events;
  std::vector<HRESULT> fileOkAnswers;
  HRESULT folderChangingAnswer = E_NOTIMPL;
  std::u16string resultDuringFileOk;
  HWND windowSeen = nullptr;

  HRESULT STDMETHODCALLTYPE OnFileOk(IFileDialog* dialog) override {
    events.push_back("fileok");
    Ref<IShellItem> result;
    if (SUCCEEDED(dialog->GetResult(result.put()))) resultDuringFileOk = PathOf(result.get());
    if (fileOkAnswers.empty()) return S_OK;
    HRESULT hr = fileOkAnswers.front();
    fileOkAnswers.erase(fileOkAnswers.begin());
    return hr;
  }
  HRESULT STDMETHODCALLTYPE OnFolderChanging(IFileDialog*, IShellItem*) override {
    events.push_back("folderchanging");
    return folderChangingAnswer;
  }
  HRESULT STDMETHODCALLTYPE OnFolderChange(IFileDialog* dialog) override {
    events.push_back("folderchange");
    Ref<IOleWindow> window;
    if (SUCCEEDED(dialog->QueryInterface(IID_IOleWindow, window.put_void()))) window->GetWindow(&windowSeen);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnSelectionChange(IFileDialog*) override {
    events.push_back("selection");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnShareViolation(IFileDialog*, IShellItem*, FDE_SHAREVIOLATION_RESPONSE*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE OnTypeChange(IFileDialog*) override {
    events.push_back("type");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnOverwrite(IFileDialog*, IShellItem*, FDE_OVERWRITE_RESPONSE*) override {
    events.push_back("overwrite");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnItemSelected(IFileDialogCustomize*, DWORD control, DWORD item) override {
    events.push_back("item " + std::to_string(control) + " " + std::to_string(item));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnButtonClicked(IFileDialogCustomize*, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnCheckButtonToggled(IFileDialogCustomize*, DWORD, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnControlActivating(IFileDialogCustomize*, DWORD) override { return E_NOTIMPL; }
};

class ItemDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    windowsBefore_ = Kx2LiveWindowCount();
    std::filesystem::create_directory(folder_.path / "Sub");
    std::ofstream(folder_.File("a.txt")) << "a";
    std::ofstream(folder_.File("b.csv")) << "b";
  }
  void TearDown() override {
    Kx2SetFileDialogScript(nullptr);
    EXPECT_EQ(Kx2LiveWindowCount(), windowsBefore_) << "the dialog left a window";
  }

  Ref<IFileDialog> Make(bool save) {
    Ref<IFileDialog> dialog;
    EXPECT_EQ(CoCreateInstance(save ? CLSID_FileSaveDialog : CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IFileDialog, dialog.put_void()),
              S_OK);
    return dialog;
  }
  Ref<Recorder> Advise(IFileDialog* dialog) {
    Ref<Recorder> recorder(new Recorder);
    DWORD cookie = 0;
    EXPECT_EQ(dialog->Advise(recorder.get(), &cookie), S_OK);
    EXPECT_EQ(cookie, 1u);
    return recorder;
  }
  std::string Folder() const { return folder_.path.string(); }
  std::u16string WinFolder() const { return WinPath(Folder()); }

  kx2test::TempFolder folder_{"item-dialog"};
  UINT windowsBefore_ = 0;
};

TEST_F(ItemDialogTest, WithoutAScriptTheDialogCancelsAtOnceAndFiresNothing) {
  Ref<IFileDialog> dialog = Make(false);
  Ref<Recorder> recorder = Advise(dialog.get());
  EXPECT_EQ(dialog->Show(nullptr), HRESULT_FROM_WIN32(ERROR_CANCELLED));
  EXPECT_TRUE(recorder->events.empty());
  Ref<IShellItem> result;
  EXPECT_EQ(dialog->GetResult(result.put()), E_UNEXPECTED);
}

TEST_F(ItemDialogTest, StepsFireTheEventsInTheDialogsOrderAndOkGivesTheItem) {
  Ref<IFileDialog> dialog = Make(false);
  Ref<Recorder> recorder = Advise(dialog.get());
  Kx2SetFileDialogScript(("# the user's steps\nfolder " + Folder() + "\n\nselect A.TXT\nok\n").c_str());
  EXPECT_EQ(dialog->Show(nullptr), S_OK);
  EXPECT_EQ(recorder->events, (std::vector<std::string>{"folderchanging", "folderchange", "selection", "fileok"}));
  EXPECT_NE(recorder->windowSeen, nullptr);
  EXPECT_FALSE(IsWindow(recorder->windowSeen));
  Ref<IShellItem> result;
  ASSERT_EQ(dialog->GetResult(result.put()), S_OK);
  EXPECT_EQ(PathOf(result.get()), WinFolder() + u"\\a.txt");
  EXPECT_EQ(recorder->resultDuringFileOk, WinFolder() + u"\\a.txt");
  EXPECT_EQ(Kx2FileDialogScriptBadLine(), 0);

  Ref<IFileOpenDialog> open;
  ASSERT_EQ(dialog->QueryInterface(IID_IFileOpenDialog, open.put_void()), S_OK);
  Ref<IShellItemArray> results;
  ASSERT_EQ(open->GetResults(results.put()), S_OK);
  DWORD count = 0;
  EXPECT_EQ(results->GetCount(&count), S_OK);
  EXPECT_EQ(count, 1u);
  Ref<IFileSaveDialog> save;
  EXPECT_EQ(dialog->QueryInterface(IID_IFileSaveDialog, save.put_void()), E_NOINTERFACE);
}

TEST_F(ItemDialogTest, ABadLineEndsTheScriptWithItsNumberAndCancel) {
  struct Case {
    std::string script;
    int line;
    size_t events;  // events fired before the bad line
  };
  const std::vector<Case> cases = {
      {"folder " + Folder() + "\njump\nok", 2, 2},
      {"folder " + Folder() + "\nselect missing.txt\nok", 2, 2},
      {"type 1\nok", 1, 0},  // no file types were set
      {"choice 10001", 1, 0},
      {"ok now", 1, 0},
      {"type x", 1, 0},
      {"folder /no/such/folder/here", 1, 0},
      {"\n\nselect", 3, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    Ref<IFileDialog> dialog = Make(false);
    Ref<Recorder> recorder = Advise(dialog.get());
    Kx2SetFileDialogScript(c.script.c_str());
    EXPECT_EQ(dialog->Show(nullptr), HRESULT_FROM_WIN32(ERROR_CANCELLED));
    EXPECT_EQ(Kx2FileDialogScriptBadLine(), c.line);
    EXPECT_EQ(recorder->events.size(), c.events);
  }
}

TEST_F(ItemDialogTest, OnFileOkMayKeepTheDialogOpenAndAFolderChangeMayBeRefused) {
  Ref<IFileDialog> dialog = Make(false);
  Ref<Recorder> recorder = Advise(dialog.get());
  recorder->fileOkAnswers = {S_FALSE};
  Kx2SetFileDialogScript(("folder " + Folder() + "\nname b.csv\nok\nname missing.txt\nok\nname a.txt\nok").c_str());
  EXPECT_EQ(dialog->Show(nullptr), S_OK);
  // The missing file never reached OnFileOk: an open dialog wants an existing file.
  EXPECT_EQ(recorder->events, (std::vector<std::string>{"folderchanging", "folderchange", "fileok", "fileok"}));
  Ref<IShellItem> result;
  ASSERT_EQ(dialog->GetResult(result.put()), S_OK);
  EXPECT_EQ(PathOf(result.get()), WinFolder() + u"\\a.txt");

  Ref<IFileDialog> refusing = Make(false);
  Ref<Recorder> refuser = Advise(refusing.get());
  refuser->folderChangingAnswer = E_ACCESSDENIED;
  Kx2SetFileDialogScript(("folder " + Folder() + "\ncancel").c_str());
  EXPECT_EQ(refusing->Show(nullptr), HRESULT_FROM_WIN32(ERROR_CANCELLED));
  EXPECT_EQ(refuser->events, std::vector<std::string>{"folderchanging"});
}

TEST_F(ItemDialogTest, SaveDialogAddsTheTypesExtensionAndAsksBeforeOverwriting) {
  Ref<IFileDialog> dialog = Make(true);
  Ref<Recorder> recorder = Advise(dialog.get());
  COMDLG_FILTERSPEC types[] = {{u"Text (*.txt)", u"*.txt"}, {u"Values (*.csv)", u"*.csv;*.tsv"}};
  ASSERT_EQ(dialog->SetFileTypes(1, types), S_OK);
  ASSERT_EQ(dialog->SetFileTypes(2, types), S_OK);  // replaces the first list
  ASSERT_EQ(dialog->SetDefaultExtension(u"txt"), S_OK);
  Ref<IShellItem> start;
  ASSERT_EQ(SHCreateItemFromParsingName(WinFolder().c_str(), nullptr, IID_IShellItem, start.put_void()), S_OK);
  ASSERT_EQ(dialog->SetFolder(start.get()), S_OK);
  Kx2SetFileDialogScript("type 2\nname b\nok");
  EXPECT_EQ(dialog->Show(nullptr), S_OK);
  EXPECT_EQ(recorder->events, (std::vector<std::string>{"type", "overwrite", "fileok"}));
  UINT index = 0;
  EXPECT_EQ(dialog->GetFileTypeIndex(&index), S_OK);
  EXPECT_EQ(index, 2u);
  Ref<IShellItem> result;
  ASSERT_EQ(dialog->GetResult(result.put()), S_OK);
  EXPECT_EQ(PathOf(result.get()), WinFolder() + u"\\b.csv");

  Ref<IFileDialog> fresh = Make(true);
  ASSERT_EQ(fresh->SetFolder(start.get()), S_OK);
  ASSERT_EQ(fresh->SetDefaultExtension(u".map"), S_OK);
  ASSERT_EQ(fresh->SetFileName(u"new"), S_OK);
  Kx2SetFileDialogScript("ok");
  EXPECT_EQ(fresh->Show(nullptr), S_OK);
  ASSERT_EQ(fresh->GetResult(result.put()), S_OK);
  EXPECT_EQ(PathOf(result.get()), WinFolder() + u"\\new.map");
}

TEST_F(ItemDialogTest, TheOpenDropDownAnswersItsChoiceAndRefusesADisabledOne) {
  Ref<IFileDialog> dialog = Make(false);
  Ref<Recorder> recorder = Advise(dialog.get());
  Ref<IFileDialogCustomize> custom;
  ASSERT_EQ(dialog->QueryInterface(IID_IFileDialogCustomize, custom.put_void()), S_OK);
  ASSERT_EQ(custom->EnableOpenDropDown(0), S_OK);
  EXPECT_EQ(custom->EnableOpenDropDown(0), E_INVALIDARG);
  ASSERT_EQ(custom->AddControlItem(0, 10000, u"Open"), S_OK);
  ASSERT_EQ(custom->AddControlItem(0, 10001, u"Open read-only"), S_OK);
  ASSERT_EQ(custom->AddControlItem(0, 10002, u"Open as copy"), S_OK);
  EXPECT_EQ(custom->AddControlItem(0, 10002, u"again"), E_INVALIDARG);
  ASSERT_EQ(custom->SetControlItemState(0, 10002, CDCS_VISIBLE), S_OK);
  CDCONTROLSTATEF state = 0;
  EXPECT_EQ(custom->GetControlItemState(0, 10002, &state), S_OK);
  EXPECT_EQ(state, static_cast<CDCONTROLSTATEF>(CDCS_VISIBLE));
  DWORD item = 0;
  EXPECT_EQ(custom->GetSelectedControlItem(0, &item), S_OK);  // the button itself: the first item
  EXPECT_EQ(item, 10000u);

  Kx2SetFileDialogScript(("folder " + Folder() + "\nchoice 10001\nselect a.txt\nok").c_str());
  EXPECT_EQ(dialog->Show(nullptr), S_OK);
  EXPECT_EQ(recorder->events[2], "item 0 10001");
  EXPECT_EQ(custom->GetSelectedControlItem(0, &item), S_OK);
  EXPECT_EQ(item, 10001u);

  Kx2SetFileDialogScript("choice 10002\nok");
  EXPECT_EQ(dialog->Show(nullptr), HRESULT_FROM_WIN32(ERROR_CANCELLED));
  EXPECT_EQ(Kx2FileDialogScriptBadLine(), 1);
}

TEST_F(ItemDialogTest, TheScriptFileIsReadWhenNoScriptWasSet) {
  std::string file = folder_.File("steps.txt");
  std::ofstream(file) << "folder " << Folder() << "\nselect Sub\nname a.txt\nok\n";
  setenv("KX2_FILEDIALOG_SCRIPT", file.c_str(), 1);
  Ref<IFileDialog> dialog = Make(false);
  EXPECT_EQ(dialog->Show(nullptr), S_OK);
  Ref<IShellItem> result;
  ASSERT_EQ(dialog->GetResult(result.put()), S_OK);
  EXPECT_EQ(PathOf(result.get()), WinFolder() + u"\\a.txt");
  // A set script wins over the file; a file that cannot be read is a bad first line.
  Kx2SetFileDialogScript("cancel");
  EXPECT_EQ(dialog->Show(nullptr), HRESULT_FROM_WIN32(ERROR_CANCELLED));
  EXPECT_EQ(Kx2FileDialogScriptBadLine(), 0);
  setenv("KX2_FILEDIALOG_SCRIPT", folder_.File("absent.txt").c_str(), 1);
  EXPECT_EQ(dialog->Show(nullptr), HRESULT_FROM_WIN32(ERROR_CANCELLED));
  EXPECT_EQ(Kx2FileDialogScriptBadLine(), 1);
  unsetenv("KX2_FILEDIALOG_SCRIPT");
}

TEST_F(ItemDialogTest, TheIdleHandlerSeesTheShownWindowBetweenStepsAndTheOwnerIsDisabled) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"ItemDialogOwner";
  RegisterClassW(&wc);
  HWND owner = CreateWindowExW(0, u"ItemDialogOwner", u"owner", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                               nullptr, nullptr);
  ASSERT_NE(owner, nullptr);
  struct Seen {
    IFileDialog* dialog;
    HWND owner;
    int calls = 0;
    HWND window = nullptr;
    bool ownerEnabled = true;
    bool visible = false;
    bool owned = false;
  } seen{nullptr, owner};
  Ref<IFileDialog> dialog = Make(false);
  seen.dialog = dialog.get();
  Kx2SetIdleHandler(
      [](void* context) -> BOOL {
        auto* s = static_cast<Seen*>(context);
        ++s->calls;
        Ref<IOleWindow> window;
        if (SUCCEEDED(s->dialog->QueryInterface(IID_IOleWindow, window.put_void()))) window->GetWindow(&s->window);
        s->ownerEnabled = IsWindowEnabled(s->owner);
        s->visible = IsWindowVisible(s->window);
        s->owned = GetWindow(s->window, GW_OWNER) == s->owner;
        return TRUE;
      },
      &seen);
  Kx2SetFileDialogScript("name x\ncancel");
  EXPECT_EQ(dialog->Show(owner), HRESULT_FROM_WIN32(ERROR_CANCELLED));
  Kx2SetIdleHandler(nullptr, nullptr);
  EXPECT_EQ(seen.calls, 2);
  EXPECT_NE(seen.window, nullptr);
  EXPECT_TRUE(seen.owned);
  EXPECT_FALSE(seen.ownerEnabled);
  EXPECT_TRUE(seen.visible);
  EXPECT_TRUE(IsWindowEnabled(owner));
  DestroyWindow(owner);
}

// The name box and the default button of the dialog's window, as a person uses them.
HWND ChildWithId(HWND dialog, int id) {
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (GetDlgCtrlID(child) == id) return child;
  return nullptr;
}

TEST_F(ItemDialogTest, TheNameBoxShowsTheNameAndTheDefaultButtonConfirmsWhatItHolds) {
  Ref<IFileDialog> dialog = Make(false);
  ASSERT_EQ(dialog->SetFileName(u"given.txt"), S_OK);
  struct Seen {
    IFileDialog* dialog;
    std::vector<std::u16string> boxes;
    std::u16string className;
  } seen{dialog.get(), {}, {}};
  Kx2SetIdleHandler(
      [](void* context) -> BOOL {
        auto* s = static_cast<Seen*>(context);
        Ref<IOleWindow> window;
        HWND hwnd = nullptr;
        if (FAILED(s->dialog->QueryInterface(IID_IOleWindow, window.put_void())) || FAILED(window->GetWindow(&hwnd)))
          return TRUE;
        WCHAR text[64] = {};
        GetClassNameW(hwnd, text, 64);
        s->className = text;
        HWND box = ChildWithId(hwnd, 0x047C);
        if (!box) return TRUE;
        GetWindowTextW(box, text, 64);
        s->boxes.push_back(text);
        if (s->boxes.size() == 3) {
          // The user types over the name and presses the default button.
          SetWindowTextW(box, u"b.csv");
          PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
        }
        return TRUE;
      },
      &seen);
  Kx2SetFileDialogScript(("folder " + Folder() + "\nselect a.txt\nname never played\n").c_str());
  EXPECT_EQ(dialog->Show(nullptr), S_OK);
  Kx2SetIdleHandler(nullptr, nullptr);
  EXPECT_EQ(seen.className, u"#32770");
  EXPECT_EQ(seen.boxes, (std::vector<std::u16string>{u"given.txt", u"given.txt", u"a.txt"}));
  Ref<IShellItem> result;
  ASSERT_EQ(dialog->GetResult(result.put()), S_OK);
  EXPECT_EQ(PathOf(result.get()), WinFolder() + u"\\b.csv");
  LPWSTR name = nullptr;
  ASSERT_EQ(dialog->GetFileName(&name), S_OK);
  EXPECT_EQ(std::u16string(name), u"b.csv");
  CoTaskMemFree(name);
}

TEST_F(ItemDialogTest, ShellItemsAnswerAttributesNamesParentsAndComparisons) {
  Ref<IShellItem> sub, file;
  ASSERT_EQ(SHCreateItemFromParsingName((WinFolder() + u"\\Sub").c_str(), nullptr, IID_IShellItem, sub.put_void()),
            S_OK);
  ASSERT_EQ(SHCreateItemFromParsingName((WinFolder() + u"\\a.txt").c_str(), nullptr, IID_IShellItem, file.put_void()),
            S_OK);
  Ref<IShellItem> missing;
  EXPECT_EQ(SHCreateItemFromParsingName((WinFolder() + u"\\none").c_str(), nullptr, IID_IShellItem, missing.put_void()),
            HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
  SFGAOF bits = 0;
  EXPECT_EQ(sub->GetAttributes(SFGAO_FOLDER, &bits), S_OK);
  EXPECT_EQ(bits, static_cast<SFGAOF>(SFGAO_FOLDER));
  EXPECT_EQ(file->GetAttributes(SFGAO_FOLDER, &bits), S_FALSE);
  EXPECT_EQ(bits, 0u);
  LPWSTR name = nullptr;
  ASSERT_EQ(file->GetDisplayName(SIGDN_NORMALDISPLAY, &name), S_OK);
  EXPECT_EQ(std::u16string(name), u"a.txt");
  CoTaskMemFree(name);
  Ref<IShellItem> parent;
  ASSERT_EQ(file->GetParent(parent.put()), S_OK);
  EXPECT_EQ(PathOf(parent.get()), WinFolder());
  int order = 1;
  EXPECT_EQ(parent->Compare(parent.get(), SICHINT_CANONICAL, &order), S_OK);
  EXPECT_EQ(order, 0);
  Ref<IShellItem> root;
  ASSERT_EQ(SHCreateItemFromParsingName(u"Z:\\", nullptr, IID_IShellItem, root.put_void()), S_OK);
  EXPECT_EQ(root->GetParent(parent.put()), MK_E_NOOBJECT);

  EXPECT_EQ(Kx2FileDialogListFolder(WinFolder().c_str()), 3);
  EXPECT_EQ(Kx2FileDialogListFolder(u"Z:\\no\\such\\folder"), -1);
}

// QISearch: the table's first row answers IUnknown; others by identifier, counted.
TEST(QISearchTest, AnswersTheRowsInterfaceWithItsOffset) {
  struct Object final : kx2::ComObject<IFileDialogEvents, IOleWindow> {
    HRESULT STDMETHODCALLTYPE OnFileOk(IFileDialog*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnFolderChanging(IFileDialog*, IShellItem*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnFolderChange(IFileDialog*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnSelectionChange(IFileDialog*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShareViolation(IFileDialog*, IShellItem*, FDE_SHAREVIOLATION_RESPONSE*) override {
      return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnTypeChange(IFileDialog*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnOverwrite(IFileDialog*, IShellItem*, FDE_OVERWRITE_RESPONSE*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindow(HWND*) override { return E_FAIL; }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  };
  auto* object = new Object;
  static const QITAB table[] = {QITABENT(Object, IFileDialogEvents), QITABENT(Object, IOleWindow), {nullptr, 0}};
  void* out = nullptr;
  ASSERT_EQ(QISearch(object, table, IID_IOleWindow, &out), S_OK);
  EXPECT_EQ(out, static_cast<IOleWindow*>(object));
  ASSERT_EQ(QISearch(object, table, IID_IUnknown, &out), S_OK);
  EXPECT_EQ(out, static_cast<IUnknown*>(static_cast<IFileDialogEvents*>(object)));
  EXPECT_EQ(QISearch(object, table, IID_IFileDialog, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(object->Release(), 2u);
  EXPECT_EQ(object->Release(), 1u);
  EXPECT_EQ(object->Release(), 0u);
}

}  // namespace
