// vantorel skin-demo run as a program: the plain picture shows the classic look, the skinned
// one the demo skin's colours at the same controls (folder and module forms alike), the open
// menu shows the skin's popup parts, and a failure writes nothing.
#include <gtest/gtest.h>

#include <cairo.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include <kx2test/TempFiles.h>
#include <kx2test/VantorelRun.h>
#include <ornatex/menu/popup_menu.h>
#include <ornatex/schema/demo_skin.h>
#include <win/user.h>

namespace {

// Control ids of the demo dialog.
enum : int { kPush = 102, kCheck = 104, kListView = 116, kTreeView = 117, kToolbar = 124 };

// A picture vantorel wrote and the boxes it printed ("dialog", "popup", "control ID").
struct Demo {
  Demo(const std::string& folder, const std::string& args) {
    out = kx2test::RunVantorelIn(folder, "skin-demo -o demo.png " + args);
    std::istringstream lines(out);
    std::string kind;
    while (lines >> kind) {
      RECT r{};
      int id = 0;
      if (kind == "control" && lines >> id >> r.left >> r.top >> r.right >> r.bottom) {
        boxes[id] = r;
      } else if ((kind == "dialog" || kind == "popup") && lines >> r.left >> r.top >> r.right >> r.bottom) {
        (kind == "dialog" ? dialog : popup) = r;
      } else {
        lines.ignore(1 << 16, '\n');
      }
    }
    const std::string png = folder + "/demo.png";
    if (std::filesystem::exists(png)) surface = cairo_image_surface_create_from_png(png.c_str());
    if (surface && cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
      cairo_surface_destroy(surface);
      surface = nullptr;
    }
  }
  ~Demo() {
    if (surface) cairo_surface_destroy(surface);
  }
  bool Ok() const { return surface && out.find("exit 0") != std::string::npos; }
  uint32_t Argb(int x, int y) const {
    const unsigned char* data = cairo_image_surface_get_data(surface);
    return *reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(surface) + x * 4);
  }
  COLORREF At(int x, int y) const {
    const uint32_t p = Argb(x, y);
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  int Width() const { return cairo_image_surface_get_width(surface); }
  // The pixels of colour `c` in a box.
  int Count(RECT r, COLORREF c) const {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += At(x, y) == c;
    return n;
  }
  // The dark pixels in a box.
  int Dark(RECT r) const {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) {
        const COLORREF c = At(x, y);
        n += GetRValue(c) < 0x80 && GetGValue(c) < 0x80 && GetBValue(c) < 0x80;
      }
    return n;
  }
  std::string out;
  std::map<int, RECT> boxes;
  RECT dialog{}, popup{};
  cairo_surface_t* surface = nullptr;
};

int MidY(const RECT& r) { return (r.top + r.bottom) / 2; }

class SkinDemo : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new kx2test::TempFolder("vantorel-skin-demo");
    skinMade_ = kx2test::RunVantorelIn(folder_->path.string(), "skin-make demo-skin --module demo.skin");
  }
  static void TearDownTestSuite() {
    delete folder_;
    folder_ = nullptr;
  }
  void SetUp() override { ASSERT_NE(skinMade_.find("exit 0"), std::string::npos) << skinMade_; }
  static std::string Folder() { return folder_->path.string(); }
  static kx2test::TempFolder* folder_;
  static std::string skinMade_;
};
kx2test::TempFolder* SkinDemo::folder_ = nullptr;
std::string SkinDemo::skinMade_;

TEST_F(SkinDemo, PlainPictureShowsTheClassicLook) {
  Demo demo(Folder(), "");
  ASSERT_TRUE(demo.Ok()) << demo.out;
  ASSERT_EQ(demo.boxes.size(), 27u) << demo.out;
  EXPECT_EQ(demo.Argb(0, 0) >> 24, 0xFFu) << "square corners";
  EXPECT_EQ(demo.At(demo.Width() / 2, 8), GetSysColor(COLOR_ACTIVECAPTION));
  const RECT push = demo.boxes[kPush];
  EXPECT_EQ(demo.At(push.left + 5, MidY(push)), GetSysColor(COLOR_BTNFACE));
  // The checked box's mark: dark pixels inside its white square.
  const RECT check = demo.boxes[kCheck];
  const RECT inside{check.left + 2, MidY(check) - 5, check.left + 11, MidY(check) + 4};
  EXPECT_EQ(demo.At(inside.left, inside.top), GetSysColor(COLOR_WINDOW));
  EXPECT_GE(demo.Dark(inside), 6);
  EXPECT_EQ(demo.At(demo.boxes[kListView].right - 5, demo.boxes[kListView].bottom - 5), GetSysColor(COLOR_WINDOW));
}

TEST_F(SkinDemo, SkinnedPictureShowsTheSkinInBothForms) {
  const struct {
    const char* form;
    std::string args;
  } forms[] = {{"folder", "--skin demo-skin --ini demo.ini"}, {"module", "--skin demo.skin"}};
  for (const auto& form : forms) {
    SCOPED_TRACE(form.form);
    Demo demo(Folder(), form.args);
    ASSERT_TRUE(demo.Ok()) << demo.out;
    const int width = demo.Width();
    EXPECT_EQ(demo.Argb(0, 0) >> 24, 0u) << "the rounded caption corner is cut away";
    EXPECT_EQ(demo.Argb(width - 1, 0) >> 24, 0u);
    EXPECT_EQ(demo.At(width / 3, 8), KtkDemoSkinCaptionColor(TRUE));
    const RECT push = demo.boxes[kPush], check = demo.boxes[kCheck], toolbar = demo.boxes[kToolbar];
    EXPECT_EQ(demo.At(push.left + 5, MidY(push)), KtkDemoSkinPartColor(u"BUTTON", 1, 1));
    EXPECT_EQ(demo.At(check.left + 4, MidY(check)), KtkDemoSkinPartColor(u"BUTTON", 3, 5)) << "checked";
    EXPECT_EQ(demo.At(toolbar.left + 3, MidY(toolbar)), KtkDemoSkinPartColor(u"TOOLBAR", 1, 1));
    for (int view : {kListView, kTreeView}) {
      const RECT r = demo.boxes[view];
      EXPECT_EQ(demo.At(r.right - 5, r.bottom - 5), KtkDemoSkinSysColor(COLOR_WINDOW)) << view;
    }
    // Every control that draws the skin's parts shows them in the state it is in.
    const struct {
      int id;
      const char16_t* skinClass;
      int part, state;
      const char* what;
    } parts[] = {
        {1, u"BUTTON", 1, 5, "default button"},
        {105, u"BUTTON", 3, 9, "three-state box, mixed"},
        {106, u"BUTTON", 2, 5, "radio button, chosen"},
        {107, u"BUTTON", 4, 1, "group box"},
        {110, u"COMBOBOX", 1, 1, "drop-down combo box's button"},
        {111, u"COMBOBOX", 1, 1, "drop-down list's button"},
        {112, u"SCROLLBAR", 1, 9, "horizontal bar's left arrow"},
        {112, u"SCROLLBAR", 4, 1, "horizontal bar's track"},
        {113, u"SCROLLBAR", 1, 1, "vertical bar's up arrow"},
        {113, u"SCROLLBAR", 1, 5, "vertical bar's down arrow"},
        {113, u"SCROLLBAR", 9, 1, "vertical thumb's gripper"},
        {114, u"TAB", 9, 1, "tab pane"},
        {114, u"TAB", 6, 3, "selected tab"},
        {115, u"HEADER", 1, 1, "header items"},
        {118, u"TRACKBAR", 1, 1, "trackbar's channel"},
        {119, u"PROGRESS", 1, 1, "progress bar"},
        {119, u"PROGRESS", 3, 1, "progress chunks"},
        {121, u"SPIN", 1, 1, "spin's up arrow"},
        {121, u"SPIN", 2, 1, "spin's down arrow"},
        {kToolbar, u"TOOLBAR", 1, 5, "checked toolbar button"},
        {kToolbar, u"TOOLBAR", 3, 1, "split toolbar button"},
        {kToolbar, u"TOOLBAR", 4, 1, "split button's drop part"},
    };
    for (const auto& p : parts)
      EXPECT_GE(demo.Count(demo.boxes[p.id], KtkDemoSkinPartColor(p.skinClass, p.part, p.state)), 40) << p.what;
  }
}

TEST_F(SkinDemo, HoverShowsTheHotState) {
  Demo demo(Folder(), "--skin demo-skin --ini demo.ini --hover 102");
  ASSERT_TRUE(demo.Ok()) << demo.out;
  const RECT push = demo.boxes[kPush];
  EXPECT_EQ(demo.At(push.left + 5, MidY(push)), KtkDemoSkinPartColor(u"BUTTON", 1, 2));
}

TEST_F(SkinDemo, OpenMenuShowsTheSkinsMenuParts) {
  const struct {
    const char* form;
    std::string args;
  } forms[] = {{"folder", "--skin demo-skin --menu 0"}, {"module", "--skin demo.skin --menu 0"}};
  for (const auto& form : forms) {
    SCOPED_TRACE(form.form);
    Demo demo(Folder(), form.args);
    ASSERT_TRUE(demo.Ok()) << demo.out;
    const RECT p = demo.popup;
    ASSERT_FALSE(IsRectEmpty(&p)) << demo.out;
    EXPECT_GT(demo.Width(), demo.dialog.right) << "a screen capture";
    EXPECT_EQ(demo.At(p.left + 1, p.top + 1), KtkDemoSkinPartColor(u"MENU", KTK_MENU_POPUPBORDERS, 1));
    EXPECT_EQ(demo.At(p.right - 12, p.top + 8), KtkDemoSkinPartColor(u"MENU", KTK_MENU_POPUPITEM, 2))
        << "the first item highlighted";
  }
  Demo plain(Folder(), "--menu 0");
  ASSERT_TRUE(plain.Ok()) << plain.out;
  const RECT p = plain.popup;
  ASSERT_FALSE(IsRectEmpty(&p)) << plain.out;
  EXPECT_EQ(plain.At(p.right - 12, p.top + 8), GetSysColor(COLOR_HIGHLIGHT)) << "the classic popup's selection";
  EXPECT_EQ(plain.At(p.right - 12, p.bottom - 6), GetSysColor(COLOR_MENU));
}

TEST_F(SkinDemo, FailuresWriteNothing) {
  const struct {
    std::string args;
    const char* exit;
  } cases[] = {
      {"--skin no-such-skin", "exit 1"},  // the package cannot be loaded
      {"--menu 3", "exit 1"},             // the bar has three menus
      {"--hover 999", "exit 1"},          // no such control
      {"--ini demo.ini", "exit 2"},       // an INI without a package
      {"--menu", "exit 2"},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(Folder() + "/demo.png");
    Demo demo(Folder(), c.args);
    EXPECT_NE(demo.out.find(c.exit), std::string::npos) << c.args << ": " << demo.out;
    EXPECT_FALSE(std::filesystem::exists(Folder() + "/demo.png")) << c.args;
  }
}

}  // namespace
