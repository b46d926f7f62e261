// vantorel skin-make run as a program: the demo skin it writes loads through LoadSkin in
// folder and in module form alike, and a window made under either shows it (caption and
// edge colours, a transparent rounded corner, the close button's colour by state).
#include <gtest/gtest.h>

#include <cairo.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <kx2/Compositor.h>
#include <kx2test/TempFiles.h>
#include <kx2test/VantorelRun.h>
#include <ornatex/core/caption_button.h>
#include <ornatex/core/frame_object.h>
#include <ornatex/core/skin_manager.h>
#include <ornatex/schema/demo_skin.h>
#include <ornatex/schema/schema.h>
#include <win/user.h>

namespace {

struct Capture {
  explicit Capture(HWND window) : surface(Kx2CaptureWindow(window)) {}
  ~Capture() {
    if (surface) cairo_surface_destroy(surface);
  }
  uint32_t Argb(int x, int y) const {
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    return *reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(surface) + x * 4);
  }
  COLORREF At(int x, int y) const {
    const uint32_t p = Argb(x, y);
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  cairo_surface_t* surface;
};

TEST(VantorelSkinMake, BothFormsLoadAndShowTheDemoSkin) {
  kx2test::TempFolder folder("vantorel-skin-make");
  const std::string skin = folder.File("demo-skin"), module = folder.File("demo.skin");
  const std::string out = kx2test::RunVantorelIn(folder.path.string(), "skin-make demo-skin --module demo.skin");
  ASSERT_NE(out.find("exit 0"), std::string::npos) << out;
  ASSERT_TRUE(std::filesystem::is_regular_file(folder.File("demo-skin/demo.ini"))) << out;
  ASSERT_TRUE(std::filesystem::is_regular_file(module)) << out;

  CKtkSkinManager* manager = KtkSkinManager();
  ASSERT_NE(manager, nullptr);
  WNDCLASSW wc{};
  wc.lpfnWndProc = &DefWindowProcW;  // system code: the skin object subclasses it
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = u"VtlSkinMakeTest";
  RegisterClassW(&wc);
  const struct {
    const char* form;
    std::u16string package;
    const char16_t* ini;
  } forms[] = {{"folder", kx2test::WinPath(skin), kKtkDemoSkinIni}, {"module", kx2test::WinPath(module), u""}};
  for (const auto& form : forms) {
    SCOPED_TRACE(form.form);
    ASSERT_TRUE(manager->LoadSkin(form.package.c_str(), form.ini));
    EXPECT_EQ(manager->GetSchema()->GetMetricsColor(COLOR_WINDOW), KtkDemoSkinSysColor(COLOR_WINDOW));
    HWND window = CreateWindowExW(0, u"VtlSkinMakeTest", u"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 60, 320, 200,
                                  nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    SetForegroundWindow(window);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    auto* frame = dynamic_cast<CKtkSkinObjectFrame*>(manager->Lookup(window));
    ASSERT_NE(frame, nullptr);
    ASSERT_FALSE(frame->m_captionButtons.empty());
    const CCaptionButton& close = *frame->m_captionButtons.front();
    EXPECT_EQ(close.m_nPart, 18);
    RECT box{};
    GetWindowRect(window, &box);
    const int width = box.right - box.left, height = box.bottom - box.top, top = frame->m_rcBorders.top;
    {
      Capture capture(window);
      ASSERT_NE(capture.surface, nullptr);
      if (const char* output = std::getenv("KX2_TEST_OUTPUT"))
        Kx2WriteCapturePng(capture.surface,
                           kx2test::WinPath(std::string(output) + "/skin_make_" + form.form + ".png").c_str());
      EXPECT_EQ(capture.Argb(0, 0) >> 24, 0u);                      // the rounded corner is cut away
      EXPECT_EQ(capture.Argb(width - 1, 0) >> 24, 0u);              // on both sides
      EXPECT_EQ(capture.Argb(width - 1, height - 1) >> 24, 0xFFu);  // the bottom is square
      EXPECT_EQ(capture.At(width / 3, top / 2), KtkDemoSkinCaptionColor(TRUE));
      EXPECT_EQ(capture.At(1, height / 2), KtkDemoSkinEdgeColor(TRUE));
      EXPECT_EQ(capture.At(close.m_rect.left + 4, (close.m_rect.top + close.m_rect.bottom) / 2),
                KtkDemoSkinPartColor(u"WINDOW", 18, 1));
    }
    DestroyWindow(window);
    manager->RemoveSkin();
  }
}

TEST(VantorelSkinMake, FailuresAreReportedAndNothingCounts) {
  kx2test::TempFolder folder("vantorel-skin-make-fail");
  std::ofstream(folder.File("plain")) << "a file, not a folder";
  const struct {
    std::string args;
    const char* exit;
  } cases[] = {
      {"skin-make", "exit 2"},                                // no folder
      {"skin-make a b", "exit 2"},                            // two folders
      {"skin-make demo --module", "exit 2"},                  // no module file
      {"skin-make plain/skin", "exit 1"},                     // the folder cannot be made
      {"skin-make demo --module plain/demo.skin", "exit 1"},  // nor the module
  };
  for (const auto& c : cases) {
    const std::string out = kx2test::RunVantorelIn(folder.path.string(), c.args);
    EXPECT_NE(out.find(c.exit), std::string::npos) << c.args << ": " << out;
    if (std::string(c.exit) == "exit 1") {
      EXPECT_NE(out.find("plain/"), std::string::npos) << out;  // the file it could not write
    }
  }
}

}  // namespace
