// MFC's CDialog over the dialog manager: the object attached from creation, its message
// map before the dialog procedure, OnInitDialog, OnOK and OnCancel, DoModal from a
// template in memory or from the resource chain.
#include <win/afx.h>

#include <cstdio>
#include <string>
#include <vector>

#include "dialog_test_support.h"
#include "kx2/ResourceContainer.h"
#include "kx2test/TempFiles.h"
#include "user_test_support.h"
#include "win/module.h"

namespace {

using dlgtest::Item;
using dlgtest::TemplateWriter;

class NameDialog : public CDialog {
 public:
  using CDialog::CDialog;
  std::vector<std::string> calls;
  bool sawCreate = false;
  std::u16string nameAtOk;
  bool keepOpenOnce = false;

  BOOL OnInitDialog() override {
    calls.push_back("init");
    CDialog::OnInitDialog();
    SetDlgItemText(101, u"from init");
    return TRUE;
  }
  void OnOK() override {
    calls.push_back("ok");
    WCHAR text[32] = {};
    GetDlgItemText(101, text, 32);
    nameAtOk = text;
    if (keepOpenOnce) {
      keepOpenOnce = false;
      return;
    }
    CDialog::OnOK();
  }
  void OnCancel() override {
    calls.push_back("cancel");
    CDialog::OnCancel();
  }
  void OnApply() {
    calls.push_back("apply");
    EndDialog(7);
  }
  int OnCreate(LPCREATESTRUCTW cs) {
    sawCreate = true;
    return CWnd::OnCreate(cs);
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(NameDialog, CDialog)
ON_WM_CREATE()
ON_BN_CLICKED(300, OnApply)
END_MESSAGE_MAP()

std::vector<BYTE> NameTemplate() {
  TemplateWriter t(true, WS_POPUP | WS_CAPTION | DS_MODALFRAME, 0, 0, 160, 80, u"Name");
  t.Font(8, u"DejaVu Sans");
  t.Add(Item{WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 5, 5, 100, 12, 101, u"DlgTestEdit", 0, u"", {}});
  t.Add(Item{
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 5, 60, 40, 14, IDOK, u"DlgTestButton", 0, u"OK", {}});
  t.Add(Item{WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 50, 60, 40, 14, IDCANCEL, u"DlgTestButton", 0, u"Cancel", {}});
  t.Add(Item{WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 95, 60, 40, 14, 300, u"DlgTestButton", 0, u"Apply", {}});
  return t.Bytes();
}

// Types the keys one per idle turn into the shown dialog.
struct Keys {
  std::vector<UINT> left;
};
BOOL TypeKeys(void* context) {
  auto* keys = static_cast<Keys*>(context);
  HWND dlg = FindWindowW(u"#32770", nullptr);
  if (!dlg || !IsWindowVisible(dlg) || keys->left.empty()) return TRUE;
  Kx2InjectKeyStroke(keys->left.front());
  keys->left.erase(keys->left.begin());
  return TRUE;
}

class AfxDialogTest : public usertest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    dlgtest::RegisterTestControls();
  }
  void TearDown() override {
    Kx2SetIdleHandler(nullptr, nullptr);
    WindowTest::TearDown();
  }
  INT_PTR Run(CDialog& dialog, std::vector<UINT> keys) {
    keys_.left = std::move(keys);
    Kx2SetIdleHandler(&TypeKeys, &keys_);
    const INT_PTR result = dialog.DoModal();
    Kx2SetIdleHandler(nullptr, nullptr);
    return result;
  }
  Keys keys_;
};

TEST_F(AfxDialogTest, DoModalRunsTheOverridesAndTheMessageMapAndReturnsTheResult) {
  const std::vector<BYTE> bytes = NameTemplate();
  struct Case {
    std::vector<UINT> keys;
    INT_PTR result;
    std::vector<std::string> calls;
  };
  const Case cases[] = {
      {{VK_RETURN}, IDOK, {"init", "ok"}},
      {{VK_ESCAPE}, IDCANCEL, {"init", "cancel"}},
      {{VK_TAB, VK_TAB, VK_TAB, VK_RETURN}, 7, {"init", "apply"}},  // Apply focused, then Enter
  };
  for (const Case& c : cases) {
    NameDialog dialog;
    ASSERT_TRUE(dialog.InitModalIndirect(reinterpret_cast<const DLGTEMPLATE*>(bytes.data())));
    EXPECT_EQ(Run(dialog, c.keys), c.result);
    EXPECT_EQ(dialog.calls, c.calls);
    EXPECT_TRUE(dialog.sawCreate) << "attached before WM_CREATE";
    EXPECT_EQ(dialog.m_hWnd, nullptr) << "the object lets go of the destroyed window";
    EXPECT_EQ(dialog.m_nModalResult, c.result);
  }
}

TEST_F(AfxDialogTest, AnOnOkThatDoesNotEndKeepsTheDialogOpen) {
  const std::vector<BYTE> bytes = NameTemplate();
  NameDialog dialog;
  dialog.keepOpenOnce = true;
  dialog.InitModalIndirect(reinterpret_cast<const DLGTEMPLATE*>(bytes.data()));
  EXPECT_EQ(Run(dialog, {VK_RETURN, VK_RETURN}), IDOK);
  const std::vector<std::string> expected = {"init", "ok", "ok"};
  EXPECT_EQ(dialog.calls, expected);
  EXPECT_EQ(dialog.nameAtOk, u"from init");
}

TEST_F(AfxDialogTest, DoModalFindsItsTemplateThroughTheResourceChainAndFailsWithoutOne) {
  kx2test::TempFolder folder("kx2-afxdlg");
  kx2::rsrc::ContainerWriter writer;
  writer.Add(uint16_t{5}, uint16_t{7000}, 0, NameTemplate());
  const std::vector<uint8_t> file = writer.Build();
  const std::string path = folder.File("names.rsrc");
  FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(file.data(), 1, file.size(), f);
  std::fclose(f);
  HMODULE module = LoadLibraryExW(kx2test::WinPath(path).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  HINSTANCE previous = AfxGetResourceHandle();
  AfxSetResourceHandle(module);
  {
    NameDialog dialog(7000);
    EXPECT_EQ(Run(dialog, {VK_ESCAPE}), IDCANCEL);
    NameDialog missing(7001);
    EXPECT_EQ(missing.DoModal(), -1);
    CDialog none;
    EXPECT_EQ(none.DoModal(), -1);
  }
  AfxSetResourceHandle(previous);
  FreeLibrary(module);
}

TEST_F(AfxDialogTest, AModelessDialogLivesUntilItsObjectGoes) {
  const std::vector<BYTE> bytes = NameTemplate();
  HWND hwnd = nullptr;
  {
    NameDialog dialog;
    ASSERT_TRUE(dialog.CreateIndirect(reinterpret_cast<const DLGTEMPLATE*>(bytes.data())));
    hwnd = dialog.m_hWnd;
    ASSERT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), &dialog);
    EXPECT_EQ(dialog.calls, std::vector<std::string>{"init"});
    EXPECT_EQ(dialog.GetDefID(), static_cast<DWORD>(MAKELONG(IDOK, DC_HASDEFID)));
    dialog.CheckDlgButton(IDCANCEL, BST_CHECKED);
    EXPECT_EQ(dialog.IsDlgButtonChecked(IDCANCEL), static_cast<UINT>(BST_CHECKED));
    RECT r{0, 0, 4, 8};
    dialog.MapDialogRect(&r);
    EXPECT_GT(r.right, 0);
    EXPECT_GT(r.bottom, 0);
  }
  EXPECT_FALSE(IsWindow(hwnd));
}

}  // namespace
