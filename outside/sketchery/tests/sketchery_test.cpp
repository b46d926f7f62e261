#include <gtest/gtest.h>

#include "luminar/LuminarTesting.h"
#include "sketchery/Sketchery.h"

TEST(Sketchery, BitmapsForItsIdsBetweenStartupAndShutdown) {
  const LONG images = LuminarLiveHandles(kLuminarImage);
  EXPECT_EQ(GetBitmapResource(3), nullptr);  // before start-up
  ASSERT_TRUE(StartupDrawing());
  for (LONG id : {1, 3, 4, 5, 10, 12}) {
    SketcheryBitmap* b = GetBitmapResource(id);
    ASSERT_NE(b, nullptr) << id;
    EXPECT_EQ(NativeImageGetType(b->image), 1);
    EXPECT_GE(NativeImageGetWidth(b->image), 7u);
    EXPECT_LE(NativeImageGetWidth(b->image), 9u);
    EXPECT_EQ(NativeImageGetHeight(b->image), NativeImageGetWidth(b->image));
  }
  for (LONG id : {0, 2, 6, 11, 13, -1}) EXPECT_EQ(GetBitmapResource(id), nullptr) << id;
  EXPECT_EQ(LuminarLiveHandles(kLuminarImage), images + 6);
  CleanupResource();
  ShutdownDrawing();
  EXPECT_EQ(GetBitmapResource(4), nullptr);
  EXPECT_EQ(LuminarLiveHandles(kLuminarImage), images);
  // A second start draws them again.
  ASSERT_TRUE(StartupDrawing());
  EXPECT_NE(GetBitmapResource(12), nullptr);
  ShutdownDrawing();
}

TEST(Sketchery, KnobsDrawOpaqueInkOnATransparentGround) {
  ASSERT_TRUE(StartupDrawing());
  SketcheryBitmap* knob = GetBitmapResource(3);
  ASSERT_NE(knob, nullptr);
  // Composited over magenta: the centre is the knob's own colour, a corner the ground.
  HBITMAP bitmap = NativeBitmapGetHPBITMAP(knob->image, 0xFFFF00FF);
  ASSERT_NE(bitmap, nullptr);
  DIBSECTION section;
  ASSERT_EQ(GetObjectW(bitmap, sizeof section, &section), int(sizeof section));
  const uint32_t* bits = static_cast<const uint32_t*>(section.dsBm.bmBits);
  const int w = section.dsBm.bmWidth;
  EXPECT_EQ(bits[0] & 0xFFFFFF, 0xFF00FFu);
  EXPECT_NE(bits[(w / 2) * w + w / 2] & 0xFFFFFF, 0xFF00FFu);
  DeleteObject(bitmap);
  ShutdownDrawing();
}
