// CVtlFileDialogVista over the Common Item Dialog stand-in: the file-type list, the initial
// folder from the host's engine, the open choices from the host's menu, the events handler
// and the repaint after a folder change. The dialog plays scripts of user steps.
#include <gtest/gtest.h>

#include <cairo.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "kx2/ComObject.h"
#include "kx2/Compositor.h"
#include "kx2/FileDialogScript.h"
#include "kx2/IdleHandler.h"
#include "kx2/Ref.h"
#include "kx2/ResourceContainer.h"
#include "kx2/ShellIids.h"
#include "kx2test/ChildProcess.h"
#include "kx2test/TempFiles.h"
#include "kx2/Utf.h"
#include "ornatex/core/process.h"
#include "ornatex/core/skin_manager.h"
#include "ornatex/core/skin_object.h"
#include "ornatex/filedialog/file_dialog_events.h"
#include "ornatex/filedialog/ornatex_app.h"
#include "ornatex/filedialog/vtl_file_dialog.h"
#include "skin_folder.h"
#include "win/gdi.h"
#include "win/menu.h"
#include "win/module.h"
#include "win/resource.h"
#include "win/user.h"

// The skin object the test's manager gives dialogs: the base object as it is.
class CKtkFileDialogProbeObject : public CKtkSkinObject {
  DECLARE_DYNCREATE(CKtkFileDialogProbeObject)
};
IMPLEMENT_DYNCREATE(CKtkFileDialogProbeObject, CKtkSkinObject)

namespace {

using kx2::Ref;
using kx2test::WinPath;

// The dialog's protected state, for the checks that need it.
class Probe : public CVtlFileDialogVista {
 public:
  using CVtlFileDialogVista::CVtlFileDialogVista;
  CFileDialogEventHandler* Handler() const { return m_pEventHandler; }
  const WCHAR* FilterBuffer() const { return m_szFilterBuffer; }
  int FilterUsed() const { return m_nFilterUsed; }
  int FilterLeft() const { return m_nFilterLeft; }
  IFileDialog* Dialog() const { return static_cast<IFileDialog*>(m_pIFileDialog); }
};

// The host's engine as the dialog calls it: a table of states and folders.
class Folders final : public IVtlEngineFolders {
 public:
  std::map<int, std::u16string> table;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  void GetStateFolder(StateID state, std::u16string& folder) override {
    auto it = table.find(state);
    folder = it == table.end() ? std::u16string() : it->second;
  }
};
class Engine final : public IVtlEngine {
 public:
  Folders folders;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  IVtlEngineFolders* GetFolders() override { return &folders; }
};

// A sink that calls back when the folder changed, after the dialog's own handler.
class FolderChangeSink final : public kx2::ComObject<IFileDialogEvents> {
 public:
  explicit FolderChangeSink(std::function<void(HWND)> onChange) : onChange_(std::move(onChange)) {}
  HRESULT STDMETHODCALLTYPE OnFileOk(IFileDialog*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnFolderChanging(IFileDialog*, IShellItem*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnFolderChange(IFileDialog* dialog) override {
    Ref<IOleWindow> window;
    HWND hwnd = nullptr;
    if (SUCCEEDED(dialog->QueryInterface(IID_IOleWindow, window.put_void())) && SUCCEEDED(window->GetWindow(&hwnd)))
      onChange_(hwnd);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnSelectionChange(IFileDialog*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShareViolation(IFileDialog*, IShellItem*, FDE_SHAREVIOLATION_RESPONSE*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE OnTypeChange(IFileDialog*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnOverwrite(IFileDialog*, IShellItem*, FDE_OVERWRITE_RESPONSE*) override {
    return E_NOTIMPL;
  }

 private:
  std::function<void(HWND)> onChange_;
};

// A menu template (RT_MENU) of plain items.
std::vector<uint8_t> MenuTemplate(const std::vector<std::pair<uint16_t, std::u16string>>& items) {
  std::vector<uint8_t> bytes = {0, 0, 0, 0};
  auto word = [&](uint16_t w) {
    bytes.push_back(static_cast<uint8_t>(w));
    bytes.push_back(static_cast<uint8_t>(w >> 8));
  };
  for (size_t i = 0; i < items.size(); ++i) {
    word(i + 1 == items.size() ? 0x80 : 0);  // MF_END on the last
    word(items[i].first);
    for (char16_t c : items[i].second) word(c);
    word(0);
  }
  return bytes;
}

class VtlFileDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    windowsBefore_ = Kx2LiveWindowCount();
    std::filesystem::create_directory(folder_.path / "Sub");
    std::ofstream(folder_.File("a.map")) << "a";
    std::ofstream(folder_.File("b.xmind")) << "b";
    savedResource_ = AfxGetResourceHandle();
  }
  void TearDown() override {
    Kx2SetFileDialogScript(nullptr);
    AfxSetResourceHandle(savedResource_);
    if (menuModule_) FreeLibrary(menuModule_);
    EXPECT_EQ(Kx2LiveWindowCount(), windowsBefore_);
  }
  // Makes a module holding menu 10003 the resource handle of the test's module state.
  void UseMenu(const std::vector<std::pair<uint16_t, std::u16string>>& items) {
    kx2::rsrc::ContainerWriter writer;
    writer.Add(uint16_t{4}, uint16_t{10003}, 0, MenuTemplate(items));
    std::vector<uint8_t> bytes = writer.Build();
    std::string file = folder_.File("host.rsrc");
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    menuModule_ = LoadLibraryExW(WinPath(file).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(menuModule_, nullptr);
    AfxSetResourceHandle(menuModule_);
  }
  void UseStandardMenu() { UseMenu({{1, u"&Open"}, {10001, u"Open &read-only"}, {10002, u"Open as &copy"}}); }
  std::string Folder() const { return folder_.path.string(); }
  std::u16string WinFolder() const { return WinPath(Folder()); }

  kx2test::TempFolder folder_{"vtl-file-dialog"};
  UINT windowsBefore_ = 0;
  HINSTANCE savedResource_ = nullptr;
  HMODULE menuModule_ = nullptr;
};

TEST_F(VtlFileDialogTest, SelectedFormatAndExtensionFollowTheFilterIndexWithinTheList) {
  Probe dialog(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST, nullptr, nullptr, 0);
  ASSERT_EQ(dialog.AddFilter(u"Maps", u"*.map", u"MAP", u"map"), 1);
  ASSERT_EQ(dialog.AddFilter(u"XMind", u"*.xmind", u"XMIND", u"xmind"), 1);
  const struct {
    DWORD index;
    const char16_t* format;
    const char16_t* ext;
  } cases[] = {{0, nullptr, nullptr}, {1, u"MAP", u"map"}, {2, u"XMIND", u"xmind"}, {3, nullptr, nullptr}};
  for (const auto& c : cases) {
    dialog.m_ofn.nFilterIndex = c.index;
    const WCHAR* format = dialog.GetSelectedFormat();
    const WCHAR* ext = dialog.GetSelectedExt();
    EXPECT_EQ(format ? std::u16string(format) : u"null", c.format ? c.format : u"null") << c.index;
    EXPECT_EQ(ext ? std::u16string(ext) : u"null", c.ext ? c.ext : u"null") << c.index;
  }
  // Emptied, the list starts again at the front and at entry 1.
  dialog.InitFilterBuf();
  EXPECT_EQ(dialog.FilterUsed(), 0);
  dialog.m_ofn.nFilterIndex = 1;
  EXPECT_EQ(dialog.GetSelectedFormat(), nullptr);
  ASSERT_EQ(dialog.AddFilter(u"Text", u"*.txt", u"TXT", u"txt"), 1);
  EXPECT_EQ(std::u16string(dialog.FilterBuffer()), u"Text (*.txt)");
  EXPECT_EQ(std::u16string(dialog.FilterBuffer() + 13), u"*.txt");
  EXPECT_EQ(std::u16string(dialog.GetSelectedFormat()), u"TXT");
  EXPECT_EQ(dialog.IsOpenFileDialog(), TRUE);
  EXPECT_EQ(dialog.QueryInterface(IID_IUnknown, nullptr), E_NOINTERFACE);
  EXPECT_EQ(dialog.AddRef(), 1u);
  EXPECT_EQ(dialog.Release(), 1u);
  EXPECT_STREQ(dialog.GetRuntimeClass()->m_lpszClassName, "CVtlFileDialogVista");
  EXPECT_TRUE(dialog.IsKindOf(RUNTIME_CLASS(CFileDialog)));
}

TEST_F(VtlFileDialogTest, AFilterThatNoLongerFitsLeavesTheListAsItWas) {
  // "D (P)" takes |P| + 5 units with its terminator, P again |P| + 1: 2|P| + 6 in all.
  const struct {
    int first;     // pattern length of a first filter that fills the list up to a point
    int second;    // pattern length of the next one
    int accepted;  // whether the second is added
  } cases[] = {
      {997, 0, 0},  // 2000 units used: nothing more fits
      {994, 0, 1},  // 6 left: "D ()" (5) and "" (1) fit exactly
      {995, 0, 0},  // 4 left: the display text does not fit
      {994, 1, 0},  // 6 left: "D (b)" fits, its pattern no longer does
      {990, 4, 1},  // 14 left: 9 + 5
      {990, 5, 0},  // 14 left: 10 fit, 6 more do not
      {998, 0, 1},  // the first does not fit at all and leaves the list empty
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.first << " then " << c.second);
    Probe dialog(TRUE, nullptr, nullptr, 0, nullptr, nullptr, 0);
    const std::u16string first(c.first, u'a'), second(c.second, u'b');
    const int firstAdded = dialog.AddFilter(u"D", first.c_str(), u"F1", u"e1");
    ASSERT_EQ(firstAdded, c.first <= 997 ? 1 : 0);
    if (c.first == 997) {
      EXPECT_EQ(dialog.FilterLeft(), 0);
    }
    const int usedBefore = dialog.FilterUsed();
    const size_t span = std::min(usedBefore + 8, CVtlFileDialogVista::kFilterBufferUnits + 1);
    const std::u16string before(dialog.FilterBuffer(), span);
    EXPECT_EQ(dialog.AddFilter(u"D", second.c_str(), u"F2", u"e2"), c.accepted);
    if (!c.accepted) {
      EXPECT_EQ(dialog.FilterUsed(), usedBefore);
      EXPECT_EQ(dialog.FilterLeft(), 2000 - usedBefore);
      EXPECT_EQ(std::u16string(dialog.FilterBuffer(), span), before);
      dialog.m_ofn.nFilterIndex = 2;
      EXPECT_EQ(dialog.GetSelectedFormat(), nullptr);
    }
    dialog.m_ofn.nFilterIndex = 1;
    if (firstAdded) {
      EXPECT_EQ(std::u16string(dialog.GetSelectedFormat()), u"F1");
    }
  }
}

TEST_F(VtlFileDialogTest, DoModalHandsTheDialogExactlyTheAddedTypes) {
  Probe dialog(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST, u"All (*.*)|*.*||", nullptr, 0);
  ASSERT_EQ(dialog.AddFilter(u"Maps", u"*.map", u"MAP", u"map"), 1);
  ASSERT_EQ(dialog.AddFilter(u"XMind", u"*.xmind", u"XMIND", u"xmind"), 1);
  Kx2SetFileDialogScript(("folder " + Folder() + "\ntype 2\nselect b.xmind\nok").c_str());
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.m_ofn.lpstrFilter, dialog.FilterBuffer());
  EXPECT_EQ(dialog.FilterBuffer()[dialog.FilterUsed() - 1], 0);
  EXPECT_EQ(dialog.FilterBuffer()[dialog.FilterUsed()], 0);  // the list ends in two NULs
  EXPECT_EQ(std::u16string(dialog.GetSelectedFormat()), u"XMIND");
  EXPECT_EQ(std::u16string(dialog.GetSelectedExt()), u"xmind");
  EXPECT_EQ(std::u16string(dialog.m_ofn.lpstrFile), WinFolder() + u"\\b.xmind");
  // A third type is not there to choose: the script stops on it.
  Kx2SetFileDialogScript("type 3\nok");
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(Kx2FileDialogScriptBadLine(), 1);
  // A new list for the next run is the one the dialog offers.
  dialog.InitFilterBuf();
  ASSERT_EQ(dialog.AddFilter(u"A", u"*.a", u"FA", u"a"), 1);
  ASSERT_EQ(dialog.AddFilter(u"B", u"*.b", u"FB", u"b"), 1);
  ASSERT_EQ(dialog.AddFilter(u"Maps", u"*.map", u"MAP3", u"map"), 1);
  Kx2SetFileDialogScript(("folder " + Folder() + "\ntype 3\nselect a.map\nok").c_str());
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(std::u16string(dialog.GetSelectedFormat()), u"MAP3");
}

TEST_F(VtlFileDialogTest, TheEnginesFolderForAStateIsWhereTheDialogStarts) {
  Engine engine;
  engine.folders.table[7] = WinFolder();
  Probe dialog(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST, nullptr, nullptr, 0);
  EXPECT_EQ(dialog.SetInitFolder(&engine, static_cast<StateID>(7)), 1);
  // A state without a folder answers 0 and changes nothing.
  EXPECT_EQ(dialog.SetInitFolder(&engine, static_cast<StateID>(8)), 0);
  EXPECT_EQ(dialog.SetInitFolder(nullptr, static_cast<StateID>(7)), 0);
  ASSERT_NE(dialog.m_ofn.lpstrInitialDir, nullptr);
  EXPECT_EQ(std::u16string(dialog.m_ofn.lpstrInitialDir), WinFolder());
  Kx2SetFileDialogScript("select a.map\nok");
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(std::u16string(dialog.m_ofn.lpstrFile), WinFolder() + u"\\a.map");
}

TEST_F(VtlFileDialogTest, TheConstructorsFileNameIsInTheNameBoxCutToTheBuffer) {
  Probe dialog(TRUE, nullptr, u"a.map", OFN_FILEMUSTEXIST, nullptr, nullptr, 0);
  struct Seen {
    IFileDialog* dialog;
    std::u16string box;
  } seen{dialog.Dialog(), {}};
  Kx2SetIdleHandler(
      [](void* context) -> BOOL {
        auto* s = static_cast<Seen*>(context);
        Ref<IOleWindow> window;
        HWND hwnd = nullptr;
        if (!s->box.empty() || FAILED(s->dialog->QueryInterface(IID_IOleWindow, window.put_void())) ||
            FAILED(window->GetWindow(&hwnd)))
          return TRUE;
        for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
          if (GetDlgCtrlID(child) != 0x047C) continue;  // the name box
          WCHAR text[64] = {};
          GetWindowTextW(child, text, 64);
          s->box = text;
        }
        return TRUE;
      },
      &seen);
  Kx2SetFileDialogScript(("folder " + Folder() + "\nok").c_str());
  ASSERT_EQ(dialog.DoModal(), IDOK);
  Kx2SetIdleHandler(nullptr, nullptr);
  EXPECT_EQ(seen.box, u"a.map");
  EXPECT_EQ(std::u16string(dialog.m_ofn.lpstrFile), WinFolder() + u"\\a.map");
  EXPECT_EQ(dialog.m_ofn.nMaxFile, 5000u);

  const std::u16string longName(6000, u'n');
  Probe cut(FALSE, nullptr, longName.c_str(), 0, nullptr, nullptr, 0);
  EXPECT_EQ(std::u16string(cut.m_ofn.lpstrFile), longName.substr(0, 4999));
}

TEST_F(VtlFileDialogTest, ChoosingAFolderGreysTheSecondAndThirdChoice) {
  UseStandardMenu();
  Probe dialog(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST, nullptr, nullptr, 1);
  Ref<IFileDialogCustomize> custom(dialog.GetIFileDialogCustomize());
  ASSERT_TRUE(custom);
  struct Seen {
    IFileDialogCustomize* custom;
    std::vector<CDCONTROLSTATEF> states;
  } seen{custom.get(), {}};
  Kx2SetIdleHandler(
      [](void* context) -> BOOL {
        auto* s = static_cast<Seen*>(context);
        CDCONTROLSTATEF a = 0, b = 0;
        s->custom->GetControlItemState(0, 10001, &a);
        s->custom->GetControlItemState(0, 10002, &b);
        s->states.push_back(a * 10 + b);
        return TRUE;
      },
      &seen);
  Kx2SetFileDialogScript(("folder " + Folder() + "\nselect Sub\nselect a.map\nselect Sub\ncancel").c_str());
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  Kx2SetIdleHandler(nullptr, nullptr);
  // Before each step: as added (greyed), after the folder, after Sub, after a.map, after Sub.
  EXPECT_EQ(seen.states, (std::vector<CDCONTROLSTATEF>{22, 22, 22, 33, 22}));
}

TEST_F(VtlFileDialogTest, TheConfirmedChoiceIsTheOpenTypeOfEveryLaterDialog) {
  UseStandardMenu();
  {
    Probe dialog(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST, nullptr, nullptr, 1);
    Kx2SetFileDialogScript(("folder " + Folder() + "\nselect a.map\nchoice 10002\nok").c_str());
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetOpenType(), 2);
  }
  Probe later(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST, nullptr, nullptr, 0);
  EXPECT_EQ(later.GetOpenType(), 2);
  {
    // An item the handler does not know keeps the dialog open; the open type stays.
    Probe dialog(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST, nullptr, nullptr, 1);
    Ref<IFileDialogCustomize> custom(dialog.GetIFileDialogCustomize());
    ASSERT_EQ(custom->AddControlItem(0, 10005, u"Other"), S_OK);
    Kx2SetFileDialogScript(("folder " + Folder() + "\nselect a.map\nchoice 10005\nok\nchoice 10000\nok").c_str());
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetOpenType(), 0);
  }
}

TEST_F(VtlFileDialogTest, TheHostsMenuLabelsTheChoicesAndItsAbsenceLeavesThemOut) {
  struct Case {
    std::vector<std::pair<uint16_t, std::u16string>> menu;  // empty: no menu 10003
    std::vector<DWORD> items;
  };
  const Case cases[] = {
      {{}, {}},
      {{{1, u"Open"}, {10002, u"Copy"}}, {10000, 10002}},
      {{{1, u"Open"}, {10001, u"Read-only"}, {10002, u"Copy"}}, {10000, 10001, 10002}},
  };
  for (const Case& c : cases) {
    if (!c.menu.empty()) UseMenu(c.menu);
    Probe dialog(TRUE, nullptr, nullptr, 0, nullptr, nullptr, 1);
    Ref<IFileDialogCustomize> custom(dialog.GetIFileDialogCustomize());
    ASSERT_TRUE(custom);
    std::vector<DWORD> present;
    for (DWORD item : {10000u, 10001u, 10002u}) {
      CDCONTROLSTATEF state = 0;
      if (SUCCEEDED(custom->GetControlItemState(0, item, &state))) present.push_back(item);
    }
    EXPECT_EQ(present, c.items);
    DWORD selected = 0;
    EXPECT_EQ(SUCCEEDED(custom->GetSelectedControlItem(0, &selected)), !c.menu.empty());
    if (menuModule_) {
      AfxSetResourceHandle(savedResource_);
      FreeLibrary(menuModule_);
      menuModule_ = nullptr;
    }
  }
}

TEST_F(VtlFileDialogTest, TheHandlersCountEndsAtZeroWithTheDialog) {
  auto* dialog = new Probe(TRUE, nullptr, nullptr, 0, nullptr, nullptr, 1);
  CFileDialogEventHandler* handler = dialog->Handler();
  ASSERT_NE(handler, nullptr);
  handler->AddRef();
  void* events = nullptr;
  ASSERT_EQ(handler->QueryInterface(IID_IFileDialogControlEvents, &events), S_OK);
  EXPECT_EQ(events, static_cast<IFileDialogControlEvents*>(handler));
  static_cast<IUnknown*>(static_cast<IFileDialogControlEvents*>(handler))->Release();
  EXPECT_EQ(handler->QueryInterface(IID_IFileDialog, &events), E_NOINTERFACE);
  delete dialog;
  EXPECT_EQ(handler->Release(), 0u);  // the dialog let go of both of its references

  Probe save(FALSE, nullptr, nullptr, 0, nullptr, nullptr, 1);
  EXPECT_EQ(save.IsOpenFileDialog(), FALSE);
}

TEST_F(VtlFileDialogTest, AfterAFolderChangeTheWholeWindowIsPaintedAgain) {
  Probe dialog(TRUE, nullptr, nullptr, 0, nullptr, nullptr, 1);
  struct Scribble {
    IFileDialog* dialog;
    int calls = 0;
  } scribble{dialog.Dialog()};
  // Before the folder step, the window's pixels are overwritten without invalidating
  // anything: only a real repaint brings the dialog's own look back.
  Kx2SetIdleHandler(
      [](void* context) -> BOOL {
        auto* s = static_cast<Scribble*>(context);
        if (s->calls++ != 0) return TRUE;
        Ref<IOleWindow> window;
        HWND hwnd = nullptr;
        if (FAILED(s->dialog->QueryInterface(IID_IOleWindow, window.put_void())) || FAILED(window->GetWindow(&hwnd)))
          return TRUE;
        HDC dc = GetWindowDC(hwnd);
        RECT all{0, 0, 2000, 2000};
        HBRUSH magenta = CreateSolidBrush(RGB(255, 0, 255));
        FillRect(dc, &all, magenta);
        DeleteObject(magenta);
        ReleaseDC(hwnd, dc);
        return TRUE;
      },
      &scribble);
  std::vector<uint32_t> pixels;
  Ref<FolderChangeSink> looker(new FolderChangeSink([&](HWND hwnd) {
    RECT frame, client;
    GetWindowRect(hwnd, &frame);
    GetClientRect(hwnd, &client);
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    cairo_surface_t* capture = Kx2CaptureWindow(hwnd);
    cairo_surface_flush(capture);
    auto at = [&](int x, int y) {
      const auto* row = cairo_image_surface_get_data(capture) + y * cairo_image_surface_get_stride(capture);
      return reinterpret_cast<const uint32_t*>(row)[x] & 0xFFFFFF;
    };
    pixels.push_back(at(origin.x - frame.left + client.right / 2, origin.y - frame.top + client.bottom / 2));
    pixels.push_back(at((frame.right - frame.left) / 2, (origin.y - frame.top) / 2));  // the caption
    cairo_surface_destroy(capture);
  }));
  DWORD cookie = 0;
  ASSERT_EQ(dialog.Dialog()->Advise(looker.get(), &cookie), S_OK);
  Kx2SetFileDialogScript(("folder " + Folder() + "\ncancel").c_str());
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  Kx2SetIdleHandler(nullptr, nullptr);
  dialog.Dialog()->Unadvise(cookie);
  ASSERT_EQ(pixels.size(), 2u);
  const uint32_t face = GetSysColor(COLOR_BTNFACE);
  const uint32_t faceArgb = ((face & 0xFF) << 16) | (face & 0xFF00) | ((face >> 16) & 0xFF);
  EXPECT_EQ(pixels[0], faceArgb);
  EXPECT_NE(pixels[1], 0xFF00FFu);
}

TEST_F(VtlFileDialogTest, AFolderChangeTakesTheSkinObjectOffTheDialogsWindow) {
  CKtkSkinManager* manager = KtkSkinManager();  // its thread hook serves this thread's new windows
  ASSERT_NE(manager, nullptr);
  manager->RegisterObjectClass(u"#32770", RUNTIME_CLASS(CKtkFileDialogProbeObject));
  Probe dialog(TRUE, nullptr, nullptr, 0, nullptr, nullptr, 1);
  struct Seen {
    CKtkSkinManager* manager;
    IFileDialog* dialog;
    std::vector<bool> skinned;
  } seen{manager, dialog.Dialog(), {}};
  Kx2SetIdleHandler(
      [](void* context) -> BOOL {
        auto* s = static_cast<Seen*>(context);
        Ref<IOleWindow> window;
        HWND hwnd = nullptr;
        if (SUCCEEDED(s->dialog->QueryInterface(IID_IOleWindow, window.put_void())) &&
            SUCCEEDED(window->GetWindow(&hwnd))) {
          WCHAR name[32] = {};
          GetClassNameW(hwnd, name, 32);
          s->skinned.push_back(std::u16string(name) == u"#32770" && s->manager->Lookup(hwnd) != nullptr);
        }
        return TRUE;
      },
      &seen);
  Kx2SetFileDialogScript(("folder " + Folder() + "\ncancel").c_str());
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  Kx2SetIdleHandler(nullptr, nullptr);
  // Before the folder step the dialog had its object; after it, none.
  EXPECT_EQ(seen.skinned, (std::vector<bool>{true, false}));
  OrnatexProcessDetach();  // the manager and its hook go again
}

TEST_F(VtlFileDialogTest, TheSkinnedFrameGoesBackToTheClassicLookAfterAFolderChange) {
  // A generated skin whose active caption is one colour, loaded on this thread: the dialog's
  // window gets the frame skin object when it is made.
  constexpr COLORREF kCaption = RGB(200, 30, 30);
  ornatex_test::SkinFolder skin("filedialogskin");
  skin.WriteBitmap("caption.bmp", 60, 48, [](int, int y) { return y < 24 ? kCaption : RGB(30, 30, 200); });
  skin.WriteBitmap("edge.bmp", 4, 16, RGB(0, 160, 0));
  std::vector<std::u16string> lines = {
      u"[SysMetrics]", u"CaptionBarHeight = 23",   u"[Window]",       u"ImageLayout = 2",
      u"[Window.1]",   u"ImageFile = caption.bmp", u"ImageCount = 2", u"SizingMargins = 8, 0, 8, 0"};
  for (int part = 7; part <= 12; ++part) {
    lines.push_back(u"[Window." + kx2::Utf8ToUtf16(std::to_string(part)) + u"]");
    lines.push_back(u"ImageFile = edge.bmp");
  }
  skin.Write(lines);
  CKtkSkinManager* manager = KtkSkinManager();
  ASSERT_NE(manager, nullptr);
  ASSERT_TRUE(manager->LoadSkin(skin.Path().c_str(), u"skin.ini"));

  struct Look {
    bool skinned = false;
    COLORREF caption = 0;
    COLORREF client = 0;
  };
  auto lookAt = [&](HWND hwnd) {
    Look look;
    look.skinned = manager->Lookup(hwnd) != nullptr;
    RECT frame{};
    GetWindowRect(hwnd, &frame);
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    RECT client{};
    GetClientRect(hwnd, &client);
    cairo_surface_t* capture = Kx2CaptureWindow(hwnd);
    cairo_surface_flush(capture);
    auto at = [&](int x, int y) {
      const auto* row = cairo_image_surface_get_data(capture) + y * cairo_image_surface_get_stride(capture);
      const uint32_t p = reinterpret_cast<const uint32_t*>(row)[x];
      return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    };
    look.caption = at((frame.right - frame.left) / 2, 6);
    look.client = at(origin.x - frame.left + client.right / 2, origin.y - frame.top + client.bottom / 2);
    cairo_surface_destroy(capture);
    return look;
  };
  Probe dialog(TRUE, nullptr, nullptr, 0, nullptr, nullptr, 1);
  struct Before {
    IFileDialog* dialog;
    std::function<Look(HWND)> lookAt;
    std::vector<Look> looks;
  } before{dialog.Dialog(), lookAt, {}};
  Kx2SetIdleHandler(
      [](void* context) -> BOOL {
        auto* b = static_cast<Before*>(context);
        Ref<IOleWindow> window;
        HWND hwnd = nullptr;
        if (b->looks.empty() && SUCCEEDED(b->dialog->QueryInterface(IID_IOleWindow, window.put_void())) &&
            SUCCEEDED(window->GetWindow(&hwnd)))
          b->looks.push_back(b->lookAt(hwnd));
        return TRUE;
      },
      &before);
  std::vector<Look> after;
  Ref<FolderChangeSink> looker(new FolderChangeSink([&](HWND hwnd) { after.push_back(lookAt(hwnd)); }));
  DWORD cookie = 0;
  ASSERT_EQ(dialog.Dialog()->Advise(looker.get(), &cookie), S_OK);
  Kx2SetFileDialogScript(("folder " + Folder() + "\ncancel").c_str());
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  Kx2SetIdleHandler(nullptr, nullptr);
  dialog.Dialog()->Unadvise(cookie);
  ASSERT_EQ(before.looks.size(), 1u);
  ASSERT_EQ(after.size(), 1u);
  EXPECT_TRUE(before.looks[0].skinned);
  EXPECT_EQ(before.looks[0].caption, kCaption);
  EXPECT_FALSE(after[0].skinned);
  EXPECT_NE(after[0].caption, kCaption);
  EXPECT_EQ(after[0].caption, GetSysColor(COLOR_ACTIVECAPTION));
  EXPECT_EQ(after[0].client, GetSysColor(COLOR_BTNFACE));
  manager->RemoveSkin();
  OrnatexProcessDetach();
}

TEST_F(VtlFileDialogTest, BeforeVistaThereAreNoChoicesAndTheDialogAnswersCancel) {
  if (!kx2test::InChild()) {
    auto child = kx2test::RunInChild("VtlFileDialogTest.BeforeVistaThereAreNoChoicesAndTheDialogAnswersCancel",
                                     {{"KX2_WINVER", "xp"}});
    EXPECT_TRUE(child.Passed()) << child.output;
    return;
  }
  UseStandardMenu();
  Probe dialog(TRUE, nullptr, u"a.map", 0, nullptr, nullptr, 1);
  EXPECT_EQ(dialog.Dialog(), nullptr);
  EXPECT_EQ(dialog.Handler(), nullptr);
  EXPECT_EQ(dialog.AddOpenChoices(), S_FALSE);
  EXPECT_EQ(dialog.GetIFileDialogCustomize(), nullptr);
  EXPECT_EQ(dialog.AddFilter(u"Maps", u"*.map", u"MAP", u"map"), 1);
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST(OrnatexAppTest, TheModuleStartsItsApplicationOnLoad) {
  AFX_MODULE_STATE* state = OrnatexModuleState();
  ASSERT_NE(state, nullptr);
  ASSERT_NE(state->m_pCurrentWinApp, nullptr);
  EXPECT_TRUE(state->m_pCurrentWinApp->InitInstance());
}

}  // namespace
