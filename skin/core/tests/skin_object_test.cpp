// Skin objects beside windows: which window gets which object, attaching with and without
// subclassing, routing messages, the un-subclassing and opt-out protocols, the page test,
// and telling objects the skin changed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include <kx2/Clock.h>
#include <kx2/Utf.h>
#include <win/afx.h>
#include <win/dialog.h>
#include <win/user.h>

#include "ornatex/core/skin_manager.h"
#include "ornatex/core/skin_object.h"

namespace {

constexpr UINT kProbe = WM_USER + 1;  // the test objects answer it with 55
constexpr UINT kOther = WM_USER + 2;
constexpr UINT kThrow = WM_USER + 3;  // their handler of it throws

std::vector<UINT>& Journal() {
  static std::vector<UINT> journal;
  return journal;
}

bool Journaled(UINT message) {
  for (UINT m : Journal())
    if (m == message) return true;
  return false;
}

LRESULT AppProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= WM_USER || message == WM_COMMAND || message == WM_SETCURSOR || message == WM_NOTIFY ||
      message == WM_ACTIVATE) {
    Journal().push_back(message);
    if (message == KtkWmQueryState) return GetPropW(window, u"OptOut") != nullptr;
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

// Handles the probe and the four pass messages in its map; routes even for an application
// procedure, so that what reaches the previous procedure shows.
class CKtkTestSkinObject : public CKtkSkinObject {
  DECLARE_DYNCREATE(CKtkTestSkinObject)
 public:
  CKtkTestSkinObject() { m_bAlwaysSubclass = TRUE; }
  BOOL IsDefWindowProcMessage(UINT) override { return FALSE; }
  void OnSkinChanged(BOOL, BOOL) override { ++changes; }
  void OnHookDetached(BOOL destroying) override {
    ++detaches;
    CKtkSkinObject::OnHookDetached(destroying);
  }
  LRESULT OnAnswer(WPARAM, LPARAM) {
    stateSeen = AfxGetModuleState();
    return 55;
  }
  AFX_MODULE_STATE* stateSeen = nullptr;
  LRESULT OnThrow(WPARAM, LPARAM) { throw std::runtime_error("a failing handler"); }
  int changes = 0;
  int detaches = 0;

 protected:
  DECLARE_MESSAGE_MAP()
};

IMPLEMENT_DYNCREATE(CKtkTestSkinObject, CKtkSkinObject)
BEGIN_MESSAGE_MAP(CKtkTestSkinObject, CKtkSkinObject)
ON_MESSAGE(kProbe, OnAnswer)
ON_MESSAGE(kThrow, OnThrow)
ON_MESSAGE(WM_COMMAND, OnAnswer)
ON_MESSAGE(WM_SETCURSOR, OnAnswer)
ON_MESSAGE(WM_NOTIFY, OnAnswer)
ON_MESSAGE(WM_ACTIVATE, OnAnswer)
END_MESSAGE_MAP()

// The base object as it is: subclasses only system procedures.
class CKtkTestPlainSkinObject : public CKtkSkinObject {
  DECLARE_DYNCREATE(CKtkTestPlainSkinObject)
};
IMPLEMENT_DYNCREATE(CKtkTestPlainSkinObject, CKtkSkinObject)

namespace {

class SkinObjects : public ::testing::Test {
 protected:
  void SetUp() override {
    manager_ = KtkSkinManager();
    ASSERT_NE(manager_, nullptr);
    Register(u"KtkTestApp", &AppProc, 0);
    Register(u"KtkTestPlain", &AppProc, 0);
    Register(u"KtkTestSystem", &DefWindowProcW, 0);
    manager_->RegisterObjectClass(u"KtkTestApp", RUNTIME_CLASS(CKtkTestSkinObject));
    manager_->RegisterObjectClass(u"KtkTestSystem", RUNTIME_CLASS(CKtkTestPlainSkinObject));
    manager_->RegisterObjectClass(u"KtkTestPlain", RUNTIME_CLASS(CKtkTestPlainSkinObject));
    Journal().clear();
  }
  void TearDown() override {
    for (HWND w : windows_)
      if (IsWindow(w)) DestroyWindow(w);
    manager_->m_enabled = FALSE;
  }
  static void Register(LPCWSTR name, WNDPROC proc, int extra) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.cbWndExtra = extra;
    wc.lpszClassName = name;
    RegisterClassW(&wc);  // a second registration in the same process fails harmlessly
  }
  HWND Make(LPCWSTR cls, DWORD style = WS_OVERLAPPED, HWND parent = nullptr) {
    HWND w = CreateWindowExW(0, cls, u"", style, 0, 0, 100, 100, parent, nullptr, nullptr, nullptr);
    windows_.push_back(w);
    return w;
  }
  CKtkTestSkinObject* TestObject(HWND w) { return static_cast<CKtkTestSkinObject*>(manager_->Lookup(w)); }

  CKtkSkinManager* manager_ = nullptr;
  std::vector<HWND> windows_;
};

TEST_F(SkinObjects, ClassNamesChooseTheObject) {
  manager_->RegisterObjectClass(u"KtkTestRow", RUNTIME_CLASS(CKtkTestSkinObject));
  manager_->RegisterObjectClass(u"Tooltips_Class32", RUNTIME_CLASS(CKtkTestSkinObject));
  CRuntimeClass* frame = CRuntimeClass::FromName("CKtkSkinObjectApplicationFrame");
  const struct {
    const char16_t* name;
    CRuntimeClass* expected;  // null: no object
    BOOL windowsForms;
  } cases[] = {
      {u"#32768", nullptr, FALSE},
      {u"SysPager", nullptr, FALSE},
      {u"KtkSkinManagerMenu", nullptr, FALSE},
      {u"tooltips_class32", nullptr, FALSE},  // only this spelling is skipped
      {u"Tooltips_Class32", RUNTIME_CLASS(CKtkTestSkinObject), FALSE},
      {u"ime", nullptr, FALSE},
      {u"WorkerW", nullptr, FALSE},
      {u"Internet Explorer_Server", nullptr, FALSE},
      {u"WindowsForms10.KtkTestRow.app.0.1", RUNTIME_CLASS(CKtkTestSkinObject), TRUE},
      {u"WindowsForms10.Window", frame, TRUE},  // fewer than two dots: an application frame
      {u"WindowsForms10..app", frame, TRUE},    // nothing between the dots
      {u"KtkNeverRegistered", frame, FALSE},
  };
  HWND w = Make(u"KtkTestPlain");
  for (const auto& c : cases) {
    manager_->Remove(w);
    CKtkSkinObject* object = manager_->SetHook(w, c.name, nullptr, FALSE);
    if (!c.expected) {
      EXPECT_EQ(object, nullptr) << kx2::Utf16ToUtf8(c.name);
      continue;
    }
    ASSERT_NE(object, nullptr) << kx2::Utf16ToUtf8(c.name);
    EXPECT_EQ(object->GetRuntimeClass(), c.expected) << kx2::Utf16ToUtf8(c.name);
    EXPECT_EQ(object->m_bWindowsForms, c.windowsForms) << kx2::Utf16ToUtf8(c.name);
    EXPECT_EQ(manager_->Lookup(w), object);
  }
}

TEST_F(SkinObjects, NewWindowsGetOneObjectAndRemovingNoneDoesNothing) {
  const size_t before = manager_->ObjectCount();
  HWND w = Make(u"KtkTestPlain");
  CKtkSkinObject* object = manager_->Lookup(w);
  ASSERT_NE(object, nullptr);  // attached from its creation by the thread hook
  EXPECT_EQ(manager_->ObjectCount(), before + 1);
  EXPECT_EQ(manager_->SetHook(w, u"KtkTestPlain", nullptr, FALSE), object);  // not attached twice
  EXPECT_EQ(manager_->ObjectCount(), before + 1);
  manager_->Remove(w);
  EXPECT_EQ(manager_->Lookup(w), nullptr);
  manager_->Remove(w);  // no object: nothing
  manager_->Remove(nullptr);
  EXPECT_EQ(manager_->ObjectCount(), before);
}

TEST_F(SkinObjects, OnlySystemProceduresAreSubclassed) {
  HWND app = Make(u"KtkTestPlain");
  HWND sys = Make(u"KtkTestSystem");
  CKtkSkinObject* appObject = manager_->Lookup(app);
  CKtkSkinObject* sysObject = manager_->Lookup(sys);
  ASSERT_TRUE(appObject && sysObject);
  EXPECT_FALSE(appObject->m_bSubclassed);
  EXPECT_EQ(GetWindowLongPtrW(app, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&AppProc));
  EXPECT_TRUE(sysObject->m_bSubclassed);
  EXPECT_TRUE(sysObject->m_bSystemProc);
  EXPECT_EQ(GetWindowLongPtrW(sys, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&CKtkSkinObject::SkinWindowProc));
  manager_->Remove(sys);
  EXPECT_EQ(GetWindowLongPtrW(sys, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&DefWindowProcW));
}

TEST_F(SkinObjects, PassMessagesReachThePreviousProcedure) {
  HWND w = Make(u"KtkTestApp");
  ASSERT_TRUE(TestObject(w) && TestObject(w)->m_bSubclassed);
  // Disabled: everything passes.
  EXPECT_EQ(SendMessageW(w, kProbe, 0, 0), 0);
  EXPECT_TRUE(Journaled(kProbe));
  Journal().clear();
  manager_->m_enabled = TRUE;
  {
    AFX_MODULE_STATE other;  // the sender's module: the handler runs in the manager's
    AFX_MAINTAIN_STATE2 sender(&other);
    EXPECT_EQ(SendMessageW(w, kProbe, 0, 0), 55);  // the object's handler
    EXPECT_EQ(TestObject(w)->stateSeen, manager_->m_pModuleState);
  }
  EXPECT_FALSE(Journaled(kProbe));
  for (UINT message : {WM_ACTIVATE, WM_SETCURSOR, WM_NOTIFY, WM_COMMAND}) {
    EXPECT_EQ(SendMessageW(w, message, 0, 0), 0) << message;
    EXPECT_TRUE(Journaled(message)) << message;
  }
  EXPECT_EQ(SendMessageW(w, kThrow, 0, 0), 0);  // answered 0; nothing leaves through the window system
  EXPECT_FALSE(Journaled(kThrow));
  EXPECT_EQ(TestObject(w)->PendingCount(), 0u);
}

TEST_F(SkinObjects, AnOptedOutWindowIsLeftAlone) {
  HWND w = Make(u"KtkTestApp");
  manager_->m_enabled = TRUE;
  EXPECT_EQ(SendMessageW(w, kProbe, 0, 0), 55);
  SetPropW(w, u"OptOut", reinterpret_cast<HANDLE>(1));
  SendMessageW(w, KtkWmUpdateState, 0, 0);
  EXPECT_TRUE(TestObject(w)->m_bOptedOut);
  EXPECT_FALSE(TestObject(w)->IsSkinActive());
  Journal().clear();
  EXPECT_EQ(SendMessageW(w, kProbe, 0, 0), 0);
  EXPECT_TRUE(Journaled(kProbe));
  RemovePropW(w, u"OptOut");
  SendMessageW(w, KtkWmUpdateState, 0, 0);  // asked again
  EXPECT_EQ(SendMessageW(w, kProbe, 0, 0), 55);
}

TEST_F(SkinObjects, TheSkinProcedureOfAWindowNeverSkinnedAnswersZero) {
  HWND w = Make(u"KtkTestPlain");
  manager_->Remove(w);
  EXPECT_EQ(CKtkSkinObject::SkinWindowProc(w, kProbe, 0, 0), 0);
  EXPECT_FALSE(Journaled(kProbe));
}

// A subclasser above the skin's procedure, cooperating or not.
WNDPROC g_saved = nullptr;
bool g_cooperates = true;
LRESULT LaterProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == KtkWmSinkRemoved && g_cooperates && reinterpret_cast<WNDPROC>(wParam) == g_saved) {
    g_saved = reinterpret_cast<WNDPROC>(lParam);
    return 1;
  }
  return CallWindowProcW(g_saved, window, message, wParam, lParam);
}

TEST_F(SkinObjects, ALaterSubclasserKeepsItsPlaceAfterRemove) {
  for (bool cooperates : {true, false}) {
    SCOPED_TRACE(cooperates ? "cooperating" : "not answering");
    g_cooperates = cooperates;
    HWND w = Make(u"KtkTestApp");
    ASSERT_TRUE(TestObject(w)->m_bSubclassed);
    g_saved = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LaterProc)));
    manager_->Remove(w);
    EXPECT_EQ(GetWindowLongPtrW(w, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&LaterProc));
    if (cooperates) {
      EXPECT_EQ(g_saved, &AppProc);
    }
    Journal().clear();
    SendMessageW(w, kOther, 0, 0);  // through the later subclasser to the application
    EXPECT_TRUE(Journaled(kOther));
    DestroyWindow(w);
  }
}

TEST_F(SkinObjects, AttachingAgainUnderASubclasserTakesTheSkinsOldPlace) {
  g_cooperates = false;
  HWND w = Make(u"KtkTestApp");
  g_saved = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LaterProc)));
  manager_->Remove(w);  // the skin procedure stays below the subclasser, passing through
  CKtkSkinObject* object = manager_->SetHook(w, u"KtkTestApp", nullptr, FALSE);
  ASSERT_NE(object, nullptr);
  EXPECT_TRUE(object->m_bSubclassed);
  EXPECT_EQ(object->m_pfnPrevious, &AppProc);  // not the subclasser: the skin procedure is met once
  EXPECT_EQ(GetWindowLongPtrW(w, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&LaterProc));
  manager_->m_enabled = TRUE;
  EXPECT_EQ(SendMessageW(w, kProbe, 0, 0), 55);
  Journal().clear();
  SendMessageW(w, kOther, 0, 0);
  EXPECT_EQ(std::count(Journal().begin(), Journal().end(), kOther), 1);
}

TEST_F(SkinObjects, SkinChangesReachLiveObjectsAndDropDeadWindows) {
  HWND live = Make(u"KtkTestPlain");
  manager_->Remove(live);
  manager_->RegisterObjectClass(u"KtkTestChanges", RUNTIME_CLASS(CKtkTestSkinObject));
  auto* object = static_cast<CKtkTestSkinObject*>(manager_->SetHook(live, u"KtkTestChanges", nullptr, FALSE));
  ASSERT_NE(object, nullptr);
  object->m_bAlwaysSubclass = FALSE;
  HWND dead = Make(u"KtkTestPlain");  // an application procedure: its destruction goes unseen
  DestroyWindow(dead);
  ASSERT_NE(manager_->Lookup(dead), nullptr);
  manager_->OnSkinChanged(FALSE, FALSE);
  EXPECT_EQ(object->changes, 1);
  EXPECT_EQ(manager_->Lookup(dead), nullptr);
}

// ---- The z-order event -------------------------------------------------------------------

std::vector<UINT_PTR> g_timers;
void RecordTimer(HWND, UINT, UINT_PTR id, DWORD) { g_timers.push_back(id); }

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

TEST_F(SkinObjects, AReorderedFramedWindowGetsItsRepaintTimerWhileEnabled) {
  Kx2ClockSetManual(TRUE, 1000000);
  TIMERPROC saved = KtkFrameTimerProc();
  KtkFrameTimerProc() = &RecordTimer;
  HWND framed = Make(u"KtkTestPlain", WS_OVERLAPPED | WS_BORDER);
  HWND bare = Make(u"KtkTestPlain", WS_POPUP);
  g_timers.clear();
  const struct {
    BOOL enabled;
    DWORD options;
    HWND window;
    LONG object;
    size_t timers;
  } cases[] = {
      {TRUE, KTK_APPLY_ALL, framed, OBJID_WINDOW, 1},
      {FALSE, KTK_APPLY_ALL, framed, OBJID_WINDOW, 0},
      {TRUE, KTK_APPLY_ALL & ~KTK_APPLY_FRAMES, framed, OBJID_WINDOW, 0},
      {TRUE, KTK_APPLY_ALL, framed, OBJID_CLIENT, 0},
      {TRUE, KTK_APPLY_ALL, bare, OBJID_WINDOW, 0},  // no border, frame or scroll bar
  };
  for (const auto& c : cases) {
    g_timers.clear();
    manager_->m_enabled = c.enabled;
    manager_->m_applyOptions = c.options;
    NotifyWinEvent(EVENT_OBJECT_REORDER, c.window, c.object, CHILDID_SELF);
    Pump();  // the event reaches the hook's thread
    Kx2ClockAdvance(1000);
    Pump();
    EXPECT_EQ(g_timers.size(), c.timers) << c.enabled << " " << c.options << " " << c.object;
    if (!g_timers.empty()) {
      EXPECT_EQ(g_timers[0], 2765u);
    }
    KillTimer(c.window, 2765);
  }
  manager_->m_applyOptions = KTK_APPLY_ALL;
  KtkFrameTimerProc() = saved;
  Kx2ClockSetManual(FALSE, 0);
}

// ---- The page test -------------------------------------------------------------------------

struct SheetRecord {
  HWND sheet;
  uint32_t second;
  uint32_t flags;
};

LRESULT SheetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER + 116) return reinterpret_cast<LRESULT>(GetPropW(window, u"Tab"));
  return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(SkinObjects, PagesOfPropertySheetsAndWizards) {
  Register(u"KtkTestSheet", &SheetProc, 32);
  // The pages are the platform's own dialogs: a class or object of the test's own for them
  // would stay for the rest of the process and take every later dialog.
  HWND sheet = Make(u"KtkTestSheet", WS_OVERLAPPED);
  HWND tab = Make(u"KtkTestPlain", WS_CHILD, sheet);
  SetPropW(sheet, u"Tab", tab);
  SheetRecord record{sheet, 0, 0};
  SheetRecord foreign{tab, 0, 0};
  const struct {
    LONG_PTR user;
    uint32_t flags;
    DWORD style;
    int kind;
  } cases[] = {
      {reinterpret_cast<LONG_PTR>(&record), 0, WS_CHILD | DS_CONTROL, KTK_DIALOG_KIND_PAGE},
      {reinterpret_cast<LONG_PTR>(&record), 0x20, WS_CHILD | DS_CONTROL, KTK_DIALOG_KIND_DIALOG},  // a wizard
      {reinterpret_cast<LONG_PTR>(&record), 0x1000000, WS_CHILD | DS_CONTROL, KTK_DIALOG_KIND_DIALOG},
      {reinterpret_cast<LONG_PTR>(&record), 0, WS_CHILD, KTK_DIALOG_KIND_DIALOG},  // no DS_CONTROL
      {reinterpret_cast<LONG_PTR>(&foreign), 0, WS_CHILD | DS_CONTROL, KTK_DIALOG_KIND_DIALOG},
      {0x12345678, 0, WS_CHILD | DS_CONTROL, KTK_DIALOG_KIND_DIALOG},  // any number a dialog keeps there
      {-8, 0, WS_CHILD | DS_CONTROL, KTK_DIALOG_KIND_DIALOG},
      {0, 0, WS_CHILD | DS_CONTROL, KTK_DIALOG_KIND_DIALOG},
  };
  for (const auto& c : cases) {
    record.flags = c.flags;
    SetWindowLongPtrW(sheet, DWLP_USER, c.user);
    HWND page = Make(u"#32770", c.style, sheet);
    CKtkSkinObject* object = manager_->Lookup(page);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->m_nDialogKind, c.kind) << std::hex << c.user << " " << c.flags;
    DestroyWindow(page);
    manager_->Remove(page);
  }
  // A page of a page's parent that is itself a page.
  SetWindowLongPtrW(sheet, DWLP_USER, reinterpret_cast<LONG_PTR>(&record));
  record.flags = 0;
  HWND page = Make(u"#32770", WS_CHILD | DS_CONTROL, sheet);
  SetPropW(page, u"Tab", nullptr);
  HWND inner = Make(u"#32770", WS_CHILD | DS_CONTROL, page);
  ASSERT_NE(manager_->Lookup(inner), nullptr);
  EXPECT_EQ(manager_->Lookup(inner)->m_nDialogKind, KTK_DIALOG_KIND_PAGE);
}

}  // namespace
