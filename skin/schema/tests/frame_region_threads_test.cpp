// Regions built on one thread while another reloads the metrics, which empties the
// frame-region cache: each region is whole and nothing is freed under it.
#include <gtest/gtest.h>

#include <thread>

#include "frame_fixture.h"

namespace {

TEST(FrameRegionThreads, ReloadingMetricsWhileRegionsAreBuilt) {
  frame_test::SkinFolder skin;
  skin.Bmp("caption.bmp", 40, 20, [](int x, int y) { return x + y < 3 ? RGB(255, 0, 255) : RGB(90, 90, 90); });
  CKtkSkinManagerSchema* schema = skin.Load(
      {u"[Window]", u"ImageLayout = 2", u"[Window.1]", u"ImageFile = caption.bmp", u"SizingMargins = 6, 0, 6, 0"});
  frame_test::TestFrame frame(schema, WS_POPUP | WS_CAPTION, 0, 200, 100);
  frame.m_rcBorders.top = 20;
  std::thread reloader([schema] {
    for (int i = 0; i < 200; ++i) schema->ReloadMetrics();
  });
  int whole = 0;
  for (int i = 0; i < 200; ++i) {
    HRGN region = schema->BuildFrameRegion(&frame, 200, 100);
    whole += !PtInRegion(region, 0, 0) && PtInRegion(region, 100, 50);
    DeleteObject(region);
  }
  reloader.join();
  EXPECT_EQ(whole, 200);
}

}  // namespace
