// A dialog of the standard controls under a generated skin whose parts each fill with a
// colour of their own per state: probes on the composed dialog show every control's parts
// in their normal, hot (an injected mouse move), pressed and disabled states, the edit's
// skin border and brush, and removing the skin brings back every classic probe.
#include <gtest/gtest.h>

#include <cairo.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <kx2/Compositor.h>
#include <kx2/IdleHandler.h>
#include <kx2/InputState.h>
#include <kx2/PathMap.h>
#include <win/user.h>

#include "ornatex/core/skin_manager.h"
#include "skin_dialog_fixture.h"
#include "skin_folder.h"

namespace {

using ornatex_test::ProbeColour;

struct Probe {
  const char* what;
  HWND* control;
  POINT at;  // in the control's window coordinates
};

class SkinDialogProbe : public ::testing::Test {
 protected:
  void SetUp() override {
    manager_ = KtkSkinManager();
    ASSERT_NE(manager_, nullptr);
    Kx2ResetInput();
    skin_.Write(ornatex_test::ProbeSkinLines());
    dialog_ = std::make_unique<ornatex_test::ProbeDialog>();
    ASSERT_NE(dialog_->dialog, nullptr);
    Park();
  }
  void TearDown() override {
    Kx2SetIdleHandler(nullptr, nullptr);
    dialog_.reset();
    manager_->RemoveSkin();
    Kx2ResetInput();
  }
  void LoadSkin() { ASSERT_TRUE(manager_->LoadSkin(skin_.Path().c_str(), u"skin.ini")); }
  static void Pump() {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  // The pointer over an empty spot of the dialog: nothing hot.
  void Park() { MoveTo(dialog_->dialog, POINT{400, 300}); }
  static void MoveTo(HWND window, POINT p) {
    RECT box{};
    GetWindowRect(window, &box);
    Kx2InjectMouseMove(box.left + p.x, box.top + p.y);
    Pump();
  }
  // The composed dialog's colour at a point of one of its controls.
  // Whatever waits to be painted is painted, then the control again (frame, background and
  // client), before the dialog is read.
  COLORREF At(HWND control, POINT p) {
    RedrawWindow(dialog_->dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return Read(control, p);
  }
  COLORREF Read(HWND control, POINT p) const {
    RECT box{}, frame{};
    GetWindowRect(control, &box);
    GetWindowRect(dialog_->dialog, &frame);
    cairo_surface_t* capture = Kx2CaptureWindow(dialog_->dialog);
    cairo_surface_flush(capture);
    const int x = box.left - frame.left + p.x, y = box.top - frame.top + p.y;
    const auto* row = cairo_image_surface_get_data(capture) + y * cairo_image_surface_get_stride(capture);
    const uint32_t argb = reinterpret_cast<const uint32_t*>(row)[x];
    cairo_surface_destroy(capture);
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
  }
  // A picture of the dialog for a person, when the run names a folder for them.
  void Save(const char* name) {
    const char* out = std::getenv("KX2_TEST_OUTPUT");
    if (!out) return;
    dialog_->Paint();
    cairo_surface_t* capture = Kx2CaptureWindow(dialog_->dialog);
    Kx2WriteCapturePng(capture, kx2::ToWindowsPath(std::string(out) + "/" + name).c_str());
    cairo_surface_destroy(capture);
  }
  std::vector<COLORREF> Take(const std::vector<Probe>& probes) {
    std::vector<COLORREF> colours;
    for (const Probe& p : probes) colours.push_back(At(*p.control, p.at));
    return colours;
  }
  // Holds the left button down at a control's point and reads a probe while it is held
  // (inside whatever loop the press starts), then lets go.
  COLORREF WhilePressed(HWND control, POINT p, HWND probed, POINT probe) {
    COLORREF seen = CLR_INVALID;
    steps_ = {[&] {
                dialog_->Paint();
                seen = Read(probed, probe);
                PostMessageW(dialog_->dialog, WM_NULL, 0, 0);
              },
              [] { Kx2InjectMouseButton(VK_LBUTTON, FALSE); }};
    next_ = 0;
    Kx2SetIdleHandler(
        [](void* context) -> BOOL {
          auto* self = static_cast<SkinDialogProbe*>(context);
          if (self->next_ < self->steps_.size()) self->steps_[self->next_++]();
          return TRUE;
        },
        this);
    MoveTo(control, p);
    Kx2InjectMouseButton(VK_LBUTTON, TRUE);
    Pump();
    Kx2SetIdleHandler(nullptr, nullptr);
    Pump();
    return seen;
  }

  CKtkSkinManager* manager_ = nullptr;
  ornatex_test::SkinFolder skin_{"dialogprobeskin"};
  std::unique_ptr<ornatex_test::ProbeDialog> dialog_;
  std::vector<std::function<void()>> steps_;
  size_t next_ = 0;
};

constexpr int kButton = ornatex_test::kProbeButton, kBar = ornatex_test::kProbeScrollBar,
              kCombo = ornatex_test::kProbeComboBox;

TEST_F(SkinDialogProbe, PartsInEveryStateAndTheClassicLookBack) {
  ornatex_test::ProbeDialog& d = *dialog_;
  // Points of each control's parts: the push button's face, the check box's and radio
  // button's glyph (13 x 13 at the left, centred), the group box's frame, the bars' first
  // and second arrows, the edit's border and the brush inside it, the picker's box border,
  // the calendar's title band, the list box's border and brush, the combo boxes' fields
  // (border) and drop buttons.
  const POINT face{5, 5}, glyph{6, 10}, groupFrame{5, 50}, up{8, 5}, down{8, 115}, left{5, 8}, right{195, 8},
      border{0, 12}, inside{1, 12}, title{3, 3}, listBorder{0, 30}, listInside{1, 30}, field{0, 8}, button{105, 8};
  const std::vector<Probe> probes = {
      {"push", &d.push, face},
      {"check", &d.check, glyph},
      {"radio", &d.radio, glyph},
      {"group", &d.group, groupFrame},
      {"up arrow", &d.vbar, up},
      {"down arrow", &d.vbar, down},
      {"left arrow", &d.hbar, left},
      {"right arrow", &d.hbar, right},
      {"edit border", &d.edit, border},
      {"edit brush", &d.edit, inside},
      {"picker border", &d.picker, border},
      {"calendar title", &d.calendar, title},
      {"list border", &d.list, listBorder},
      {"list brush", &d.list, listInside},
      {"simple field", &d.simple, field},
      {"drop-down border", &d.dropDown, field},
      {"drop-down button", &d.dropDown, button},
      {"drop list button", &d.dropList, button},
  };
  const std::vector<COLORREF> classic = Take(probes);
  Save("skin_dialog_classic.png");

  LoadSkin();
  const std::vector<COLORREF> normal = {
      ProbeColour(kButton, 1, 1),     ProbeColour(kButton, 3, 1), ProbeColour(kButton, 2, 1),
      ProbeColour(kButton, 4, 1),     ProbeColour(kBar, 1, 1),    ProbeColour(kBar, 1, 5),
      ProbeColour(kBar, 1, 9),        ProbeColour(kBar, 1, 13),   ornatex_test::kProbeEditBorder,
      ornatex_test::kProbeWindow,     ProbeColour(kCombo, 0, 1),  ornatex_test::kProbeTitle,
      ornatex_test::kProbeListBorder, ornatex_test::kProbeWindow, ornatex_test::kProbeEditBorder,
      ProbeColour(kCombo, 0, 1),      ProbeColour(kCombo, 1, 1),  ProbeColour(kCombo, 1, 1),
  };
  const std::vector<COLORREF> skinned = Take(probes);
  Save("skin_dialog_skinned.png");
  ASSERT_EQ(normal.size(), probes.size());
  for (size_t i = 0; i < probes.size(); ++i) {
    EXPECT_EQ(skinned[i], normal[i]) << probes[i].what << " normal";
    EXPECT_NE(classic[i], normal[i]) << probes[i].what << " the classic look differs";
  }

  // Hot under an injected move; the group box never turns hot.
  const struct {
    const char* what;
    HWND control;
    POINT at;
    COLORREF hot;
  } hot[] = {
      {"push", d.push, face, ProbeColour(kButton, 1, 2)},
      {"check", d.check, glyph, ProbeColour(kButton, 3, 2)},
      {"radio", d.radio, glyph, ProbeColour(kButton, 2, 2)},
      {"group", d.group, groupFrame, ProbeColour(kButton, 4, 1)},
      {"down arrow", d.vbar, down, ProbeColour(kBar, 1, 6)},
      {"right arrow", d.hbar, right, ProbeColour(kBar, 1, 14)},
      {"picker", d.picker, border, ProbeColour(kCombo, 0, 2)},
      {"drop-down border", d.dropDown, field, ProbeColour(kCombo, 0, 2)},
      {"drop list button", d.dropList, button, ProbeColour(kCombo, 1, 2)},
  };
  for (const auto& h : hot) {
    MoveTo(h.control, h.at);
    EXPECT_EQ(At(h.control, h.at), h.hot) << h.what << " hot";
    Park();
  }
  // The hot look goes once the pointer has left.
  EXPECT_EQ(At(d.push, face), ProbeColour(kButton, 1, 1));

  // Pressed: buttons by their state message, a bar's arrow while the button is held on it.
  for (HWND button : {d.push, d.check, d.radio}) SendMessageW(button, BM_SETSTATE, TRUE, 0);
  EXPECT_EQ(At(d.push, face), ProbeColour(kButton, 1, 3));
  EXPECT_EQ(At(d.check, glyph), ProbeColour(kButton, 3, 3));
  EXPECT_EQ(At(d.radio, glyph), ProbeColour(kButton, 2, 3));
  for (HWND button : {d.push, d.check, d.radio}) SendMessageW(button, BM_SETSTATE, FALSE, 0);
  EXPECT_EQ(WhilePressed(d.vbar, down, d.vbar, down), ProbeColour(kBar, 1, 7)) << "down arrow pressed";
  Park();
  // A combo box is pressed while its list is dropped and the button still held.
  MoveTo(d.dropList, button);
  Kx2InjectMouseButton(VK_LBUTTON, TRUE);
  Pump();
  EXPECT_TRUE(SendMessageW(d.dropList, CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_EQ(At(d.dropList, button), ProbeColour(kCombo, 1, 3)) << "drop list pressed";
  Kx2InjectMouseButton(VK_LBUTTON, FALSE);
  Pump();
  SendMessageW(d.dropList, CB_SHOWDROPDOWN, FALSE, 0);
  Park();

  // Disabled wins over everything.
  const HWND disabling[] = {d.push, d.check, d.radio, d.group, d.vbar, d.hbar, d.picker, d.dropDown, d.dropList};
  for (HWND control : disabling) EnableWindow(control, FALSE);
  SendMessageW(d.push, BM_SETSTATE, TRUE, 0);
  const std::vector<COLORREF> disabled = {
      ProbeColour(kButton, 1, 4), ProbeColour(kButton, 3, 4), ProbeColour(kButton, 2, 4), ProbeColour(kButton, 4, 2),
      ProbeColour(kBar, 1, 4),    ProbeColour(kBar, 1, 8),    ProbeColour(kBar, 1, 12),   ProbeColour(kBar, 1, 16),
  };
  for (size_t i = 0; i < disabled.size(); ++i)
    EXPECT_EQ(At(*probes[i].control, probes[i].at), disabled[i]) << probes[i].what << " disabled";
  EXPECT_EQ(At(d.picker, border), ProbeColour(kCombo, 0, 4)) << "picker disabled";
  EXPECT_EQ(At(d.dropDown, field), ProbeColour(kCombo, 0, 4)) << "drop-down disabled";
  EXPECT_EQ(At(d.dropList, button), ProbeColour(kCombo, 1, 4)) << "drop list disabled";
  SendMessageW(d.push, BM_SETSTATE, FALSE, 0);
  for (HWND control : disabling) EnableWindow(control, TRUE);

  // A checked box and radio button.
  SendMessageW(d.check, BM_SETCHECK, BST_CHECKED, 0);
  SendMessageW(d.radio, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(At(d.check, glyph), ProbeColour(kButton, 3, 5));
  EXPECT_EQ(At(d.radio, glyph), ProbeColour(kButton, 2, 5));
  SendMessageW(d.check, BM_SETCHECK, BST_UNCHECKED, 0);
  SendMessageW(d.radio, BM_SETCHECK, BST_UNCHECKED, 0);

  manager_->RemoveSkin();
  const std::vector<COLORREF> back = Take(probes);
  Save("skin_dialog_removed.png");
  for (size_t i = 0; i < probes.size(); ++i) EXPECT_EQ(back[i], classic[i]) << probes[i].what << " classic again";
}

}  // namespace
