// The common controls made by the dialog manager from a template that names their classes:
// each answers its messages as it does anywhere, notifies the dialog, and paints inside the
// dialog's picture.
#include <cairo.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "kx2/Compositor.h"
#include "win/dialog.h"

#include "comctl_test_support.h"
#include "dialog_test_support.h"
#include "user_test_support.h"

namespace {

std::vector<UINT> notified;  // WM_NOTIFY codes the dialog received

INT_PTR DialogProc(HWND, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_NOTIFY) notified.push_back(reinterpret_cast<const NMHDR*>(lParam)->code);
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

enum : DWORD {
  kTrackbar = 101,
  kProgress,
  kUpDown,
  kTab,
  kHeader,
  kListView,
  kTreeView,
  kToolbar,
  kStatus,
  kDateTime,
  kMonthCal,
};

class ComCtlInDialog : public usertest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    notified.clear();
    const DWORD child = WS_CHILD | WS_VISIBLE;
    auto item = [&](DWORD id, const char16_t* cls, DWORD style, SHORT x, SHORT y, SHORT cx, SHORT cy) {
      dlgtest::Item i;
      i.id = id;
      i.className = cls;
      i.style = child | style;
      i.x = x, i.y = y, i.cx = cx, i.cy = cy;
      return i;
    };
    dlgtest::TemplateWriter writer(true, WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME, 0, 0, 300, 220);
    writer.Font(8, u"DejaVu Sans")
        .Add(item(kTrackbar, u"msctls_trackbar32", TBS_AUTOTICKS, 5, 5, 120, 20))
        .Add(item(kProgress, u"msctls_progress32", 0, 5, 30, 120, 12))
        .Add(item(kUpDown, u"msctls_updown32", 0, 130, 5, 12, 20))
        .Add(item(kTab, u"SysTabControl32", 0, 150, 5, 140, 40))
        .Add(item(kHeader, u"SysHeader32", 0, 5, 50, 140, 12))
        .Add(item(kListView, u"SysListView32", LVS_REPORT, 5, 65, 140, 50))
        .Add(item(kTreeView, u"SysTreeView32", 0, 150, 50, 140, 65))
        .Add(item(kToolbar, u"ToolbarWindow32", CCS_NORESIZE | CCS_NOPARENTALIGN, 5, 120, 140, 20))
        .Add(item(kStatus, u"msctls_statusbar32", 0, 0, 0, 0, 0))
        .Add(item(kDateTime, u"SysDateTimePick32", DTS_SHOWNONE, 150, 120, 100, 14))
        .Add(item(kMonthCal, u"SysMonthCal32", 0, 5, 140, 140, 70));
    bytes_ = writer.Bytes();
    dialog_ =
        CreateDialogIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(bytes_.data()), nullptr, &DialogProc, 0);
  }
  void TearDown() override {
    if (dialog_) DestroyWindow(dialog_);
    WindowTest::TearDown();
  }
  HWND Item(DWORD id) const { return GetDlgItem(dialog_, static_cast<int>(id)); }
  LRESULT Send(DWORD id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return SendMessageW(Item(id), message, wParam, lParam);
  }

  std::vector<BYTE> bytes_;
  HWND dialog_ = nullptr;
};

TEST_F(ComCtlInDialog, EveryControlOfTheTemplateAnswersItsMessages) {
  ASSERT_NE(dialog_, nullptr);
  for (DWORD id = kTrackbar; id <= kMonthCal; ++id) {
    ASSERT_NE(Item(id), nullptr) << id;
    EXPECT_EQ(GetParent(Item(id)), dialog_) << id;
  }
  const std::u16string longText(300, u'x');
  struct Row {
    const char* what;
    std::function<LRESULT()> run;
    LRESULT expected;
  };
  const std::vector<Row> rows = {
      {"trackbar ticks for 0..100 every 10",
       [&] {
         Send(kTrackbar, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
         Send(kTrackbar, TBM_SETTICFREQ, 10);
         return Send(kTrackbar, TBM_GETNUMTICS);
       },
       11},
      {"trackbar position past the range",
       [&] {
         Send(kTrackbar, TBM_SETPOS, TRUE, 250);
         return Send(kTrackbar, TBM_GETPOS);
       },
       100},
      {"progress step answers the old position",
       [&] {
         Send(kProgress, PBM_SETRANGE32, 0, 200);
         Send(kProgress, PBM_SETPOS, 50);
         return Send(kProgress, PBM_STEPIT);
       },
       50},
      {"progress after the step", [&] { return Send(kProgress, PBM_GETPOS); }, 60},
      {"up-down position clamped to its range",
       [&] {
         Send(kUpDown, UDM_SETRANGE32, static_cast<WPARAM>(-5), 5);
         Send(kUpDown, UDM_SETPOS32, 0, 9);
         return Send(kUpDown, UDM_GETPOS32);
       },
       5},
      {"tab items",
       [&] {
         TCITEMW tab{};
         tab.mask = TCIF_TEXT;
         for (const char16_t* text : {u"One", u"Two", u"Three"}) {
           tab.pszText = const_cast<char16_t*>(text);
           Send(kTab, TCM_INSERTITEMW, 99, reinterpret_cast<LPARAM>(&tab));
         }
         return Send(kTab, TCM_GETITEMCOUNT);
       },
       3},
      {"tab selection out of range", [&] { return Send(kTab, TCM_SETCURSEL, 7); }, -1},
      {"header items",
       [&] {
         HDITEMW h{};
         h.mask = HDI_TEXT | HDI_WIDTH;
         h.cxy = 60;
         h.pszText = const_cast<char16_t*>(u"Name");
         Send(kHeader, HDM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&h));
         Send(kHeader, HDM_INSERTITEMW, 1, reinterpret_cast<LPARAM>(&h));
         return Send(kHeader, HDM_GETITEMCOUNT);
       },
       2},
      {"list view items",
       [&] {
         LVCOLUMNW c{};
         c.mask = LVCF_TEXT | LVCF_WIDTH;
         c.cx = 80;
         c.pszText = const_cast<char16_t*>(u"Name");
         Send(kListView, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&c));
         LVITEMW i{};
         i.mask = LVIF_TEXT;
         for (int k = 0; k < 3; ++k) {
           i.iItem = k;
           i.pszText = const_cast<char16_t*>(u"row");
           Send(kListView, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&i));
         }
         return Send(kListView, LVM_GETITEMCOUNT);
       },
       3},
      {"list view deleting an item it lacks", [&] { return Send(kListView, LVM_DELETEITEM, 7); }, FALSE},
      {"tree view items",
       [&] {
         TVINSERTSTRUCTW t{};
         t.hParent = TVI_ROOT;
         t.hInsertAfter = TVI_LAST;
         t.item.mask = TVIF_TEXT;
         t.item.pszText = const_cast<char16_t*>(u"node");
         Send(kTreeView, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&t));
         Send(kTreeView, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&t));
         return Send(kTreeView, TVM_GETCOUNT);
       },
       2},
      {"tree view deleting a handle it never gave",
       [&] { return Send(kTreeView, TVM_DELETEITEM, 0, static_cast<LPARAM>(0x1230)); }, FALSE},
      {"toolbar text over 256 units comes whole",
       [&] {
         TBBUTTON b[2] = {};
         b[0].iBitmap = b[1].iBitmap = I_IMAGENONE;
         b[0].idCommand = 201;
         b[1].idCommand = 202;
         b[0].fsState = b[1].fsState = TBSTATE_ENABLED;
         b[0].iString = reinterpret_cast<INT_PTR>(longText.c_str());
         b[1].iString = reinterpret_cast<INT_PTR>(u"Go");
         Send(kToolbar, TB_ADDBUTTONSW, 2, reinterpret_cast<LPARAM>(b));
         return Send(kToolbar, TB_GETBUTTONTEXTW, 201);
       },
       300},
      {"toolbar buttons", [&] { return Send(kToolbar, TB_BUTTONCOUNT); }, 2},
      {"status bar parts",
       [&] {
         const int right[3] = {80, 160, -1};
         Send(kStatus, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(right));
         return Send(kStatus, SB_GETPARTS);
       },
       3},
      {"date-time picker with no date",
       [&] {
         SYSTEMTIME t{};
         Send(kDateTime, DTM_SETSYSTEMTIME, GDT_NONE, reinterpret_cast<LPARAM>(&t));
         return Send(kDateTime, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&t));
       },
       GDT_NONE},
      {"month calendar selection",
       [&] {
         SYSTEMTIME t{2026, 12, 4, 10, 0, 0, 0, 0};
         Send(kMonthCal, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&t));
         SYSTEMTIME back{};
         Send(kMonthCal, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&back));
         return LRESULT{back.wDay};
       },
       10},
  };
  for (const Row& row : rows) EXPECT_EQ(row.run(), row.expected) << row.what;
}

TEST_F(ComCtlInDialog, ControlsNotifyTheDialogAndPaintInItsPicture) {
  ASSERT_NE(dialog_, nullptr);
  TCITEMW tab{};
  tab.mask = TCIF_TEXT;
  for (const char16_t* text : {u"One", u"Two"}) {
    tab.pszText = const_cast<char16_t*>(text);
    Send(kTab, TCM_INSERTITEMW, 9, reinterpret_cast<LPARAM>(&tab));
  }
  RECT second{};
  ASSERT_TRUE(Send(kTab, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second)));
  const LPARAM at = MAKELPARAM((second.left + second.right) / 2, (second.top + second.bottom) / 2);
  Send(kTab, WM_LBUTTONDOWN, MK_LBUTTON, at);
  Send(kTab, WM_LBUTTONUP, 0, at);
  EXPECT_EQ(Send(kTab, TCM_GETCURSEL), 1);
  EXPECT_NE(std::find(notified.begin(), notified.end(), TCN_SELCHANGE), notified.end());

  // A full progress bar paints its bar colour over the dialog's face.
  Send(kProgress, PBM_SETRANGE32, 0, 10);
  Send(kProgress, PBM_SETPOS, 10);
  RedrawWindow(dialog_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  RECT bar{};
  GetWindowRect(Item(kProgress), &bar);
  RECT frame{};
  GetWindowRect(dialog_, &frame);
  cairo_surface_t* picture = Kx2CaptureWindow(dialog_);
  ASSERT_NE(picture, nullptr);
  cairo_surface_flush(picture);
  const auto* pixels = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(picture));
  const int stride = cairo_image_surface_get_stride(picture) / 4;
  auto rgb = [&](int x, int y) { return pixels[(y - frame.top) * stride + (x - frame.left)] & 0xFFFFFFu; };
  const uint32_t face = GetSysColor(COLOR_BTNFACE);
  const uint32_t faceRgb = (face & 0xFF) << 16 | (face & 0xFF00) | (face >> 16 & 0xFF);
  EXPECT_NE(rgb((bar.left + bar.right) / 2, (bar.top + bar.bottom) / 2), faceRgb);
  EXPECT_EQ(rgb(frame.right - 4, (bar.top + bar.bottom) / 2), faceRgb) << "the dialog's face beside the controls";
  if (const char* dir = std::getenv("KX2_TEST_OUTPUT"))
    cairo_surface_write_to_png(picture, (std::string(dir) + "/comctl-in-dialog.png").c_str());
  cairo_surface_destroy(picture);
}

}  // namespace
