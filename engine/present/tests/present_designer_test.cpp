// The designer: its canvases and contexts, node slots and image services.
#include <gtest/gtest.h>

#include <cairo.h>
#include <memory>

#include <kx2/GdiCairo.h>
#include <plastrum/present/shell/present_context.h>

#include "present_canvas_support.h"
#include "present_image_support.h"

using namespace Present::Drawing;

namespace {

class PresentDesigner : public present_test::EngineFixture {};

constexpr LONG kW = 7200, kH = 3600;

TEST_F(PresentDesigner, CanvasesAreFreedOnceAndOnlyByTheirDesigner) {
  IPresentCanvas* canvas = designer_->NewCanvas();
  ASSERT_NE(canvas, nullptr);
  EXPECT_EQ(designer_->CanvasCount(), 1);
  Presentation other;
  IPresentCanvas* foreign = other.NewCanvas();
  EXPECT_FALSE(designer_->FreeCanvas(foreign));
  EXPECT_EQ(designer_->CloneCanvas(foreign), nullptr);
  EXPECT_TRUE(designer_->FreeCanvas(canvas));
  EXPECT_FALSE(designer_->FreeCanvas(canvas));  // already freed: never read
  EXPECT_FALSE(designer_->FreeCanvas(nullptr));
  EXPECT_EQ(designer_->CanvasCount(), 0);
  // The other designer's canvas ends with it.
}

TEST_F(PresentDesigner, DeletingANodeNoCanvasListsLeavesItMarked) {
  PresentCanvas* canvas = NewCanvas();
  PresentNode node = Sync(canvas, 402, kW, kH);
  EXPECT_TRUE(designer_->IsDiagramAlive(node));
  ASSERT_TRUE(canvas->RemoveObject(node));
  EXPECT_FALSE(designer_->DeleteDiagram(node));
  EXPECT_EQ(node->deleted, 1);
  EXPECT_FALSE(designer_->IsDiagramAlive(node));
  Figure stranger;
  EXPECT_FALSE(designer_->DeleteDiagram(&stranger));
  EXPECT_EQ(stranger.deleted, 0);
  EXPECT_FALSE(designer_->IsDiagramAlive(nullptr));

  PresentNode listed = Sync(canvas, 402, kW, kH);
  EXPECT_TRUE(designer_->DeleteDiagram(listed));
  EXPECT_FALSE(designer_->IsDiagramAlive(listed));
}

TEST_F(PresentDesigner, DiagramPointsRunFromOneBackToZero) {
  PresentCanvas* canvas = NewCanvas();
  PresentNode node = Sync(canvas, 402, kW, kH);
  node->geometry->sites.items.clear();
  for (float x : {127.0f, 254.0f, 381.0f}) node->geometry->sites.Add(PointF{x, 2 * x});
  EXPECT_TRUE(designer_->HasDiagramPoints(node));
  EXPECT_EQ(designer_->GetDiagramPointCount(node), 3);
  POINT p{9, 9};
  LONG cursor = 1;
  for (LONG expected : {1, 2, 3}) {
    designer_->NextDiagramPoint(&p, node, &cursor);
    EXPECT_EQ(p.x, expected);
    EXPECT_EQ(p.y, 2 * expected);
  }
  EXPECT_EQ(cursor, 0);
  for (LONG start : {0, 4, -3}) {
    cursor = start;
    p = POINT{9, 9};
    designer_->NextDiagramPoint(&p, node, &cursor);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
    EXPECT_EQ(cursor, 0);
  }
  cursor = 2;
  designer_->NextDiagramPoint(&p, nullptr, &cursor);
  EXPECT_EQ(cursor, 2);  // a null node leaves the cursor
  PresentNode branch = Sync(canvas, 100, 0, 0, {{7200, 0}, {4800, 1800}, {2400, 1800}, {0, 3600}});
  EXPECT_FALSE(designer_->HasDiagramPoints(branch));
  EXPECT_EQ(designer_->GetDiagramPointCount(branch), 0);
}

TEST_F(PresentDesigner, PictureFrameKindsChangeWithinTheTopicShapes) {
  PresentCanvas* canvas = NewCanvas();
  PresentNode frame = Sync(canvas, 401, kW, kH);
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->Kind(), 402u);
  const Geometry* built = frame->geometry.get();
  EXPECT_FALSE(designer_->SetPicFrameKind(frame, 399));
  EXPECT_FALSE(designer_->SetPicFrameKind(frame, 412));
  EXPECT_TRUE(designer_->SetPicFrameKind(frame, 402));
  EXPECT_EQ(frame->geometry.get(), built);  // same kind: no rebuild
  EXPECT_TRUE(designer_->SetPicFrameKind(frame, 405));
  EXPECT_EQ(frame->Kind(), 405u);
  PresentNode topic = Sync(canvas, 402, kW, kH);
  EXPECT_FALSE(designer_->SetPicFrameKind(topic, 405));
}

TEST_F(PresentDesigner, TextRectanglesForAShapeOrATextSize) {
  LONG out[6] = {};
  const PresentTextSize shape{kW, kH, 0};
  PresentTextRectRequest request{405, nullptr, &shape};  // text is the middle 0.6 of the width
  ASSERT_TRUE(designer_->GetTextRect(&request, out));
  EXPECT_EQ(out[0], kW);
  EXPECT_EQ(out[1], kH);
  EXPECT_EQ(out[2], 1440);
  EXPECT_EQ(out[4], 4320);
  const PresentTextSize text{2160, 3600, 0};  // half the text width: half the shape
  request.text = &text;
  ASSERT_TRUE(designer_->GetTextRect(&request, out));
  EXPECT_EQ(out[0], 3600);
  EXPECT_EQ(out[4], 2160);
  request.kind = 399;
  EXPECT_FALSE(designer_->GetTextRect(&request, out));
  request.kind = 405;
  const PresentTextSize flat{kW, 0, 0};
  request.shape = &flat;  // a text rectangle without height cannot be scaled
  EXPECT_FALSE(designer_->GetTextRect(&request, out));
  request.shape = nullptr;
  request.text = nullptr;
  EXPECT_FALSE(designer_->GetTextRect(&request, out));
  EXPECT_FALSE(designer_->GetTextRect(nullptr, out));
}

TEST_F(PresentDesigner, ContextsAreTheDesignersOwn) {
  IPresentContext* context = designer_->NewContext();
  ASSERT_NE(context, nullptr);
  PresentContext foreign;
  designer_->FreeContext(&foreign);  // ignored
  IPresentCanvas* canvas = designer_->NewCanvas();
  EXPECT_FALSE(canvas->AttachContext(context));  // no device
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 50, 50);
  HDC dc = Kx2GdiCreateDcForSurface(surface);
  context->SetDevice(dc);
  foreign.SetDevice(dc);
  EXPECT_FALSE(canvas->AttachContext(&foreign));  // not made by this designer
  EXPECT_TRUE(canvas->AttachContext(context));
  EXPECT_TRUE(canvas->DetachRender());
  EXPECT_FALSE(canvas->DetachRender());
  designer_->FreeContext(context);
  EXPECT_FALSE(canvas->AttachContext(context));  // freed: never read
  DeleteDC(dc);
  cairo_surface_destroy(surface);
}

TEST_F(PresentDesigner, ImageSlotsGoThroughTheWrappers) {
  present_test::TempFolder folder;
  const std::string source = folder.File("picture.png");
  present_test::WritePng(source, 30, 20, {{0, 0, 30, 20, 0xFF00FF00}});
  const std::u16string path = present_test::WinPath(source);
  SIZE size{};
  ASSERT_TRUE(designer_->GetImageFileSize(path.c_str(), &size, 96, 96));
  EXPECT_EQ(size.cx, 30);
  EXPECT_EQ(size.cy, 20);
  ASSERT_TRUE(designer_->GetImageFileSize(path.c_str(), &size, 192, 96));
  EXPECT_EQ(size.cx, 60);
  EXPECT_EQ(size.cy, 20);
  EXPECT_FALSE(designer_->GetImageFileSize(u"Z:\\no\\such.png", &size, 96, 96));
  EXPECT_TRUE(designer_->InitImaging(1, 2));
  EXPECT_NE(designer_->GetTypography(), nullptr);

  const LONG qualities[] = {0, 1, 2, 3, 4, 7};
  const int32_t modes[] = {0, 0, 1, 2, 3, 0};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(ResizeModeOfQuality(qualities[i]), modes[i]);

  const std::string target = folder.File("out.png");
  ASSERT_TRUE(designer_->ResizeImageFile(path.c_str(), present_test::WinPath(target).c_str(), 0x99, 10, 10, 4));
  EXPECT_EQ(present_test::ReadPng(target).width, 10);
  ASSERT_TRUE(designer_->ConvertImageFile(path.c_str(), present_test::WinPath(target).c_str(), 0x12, 15));
  EXPECT_EQ(present_test::ReadPng(target).width, 15);

  HBITMAP bitmap = designer_->LoadImageBitmap(path.c_str(), 12, 8, 0x0000FF);
  ASSERT_NE(bitmap, nullptr);
  const std::string saved = folder.File("saved.bmp");
  EXPECT_TRUE(designer_->SaveBitmapHandle(bitmap, present_test::WinPath(saved).c_str(), 0x11));
  DeleteObject(bitmap);
  HBITMAP handle = designer_->LoadImageHandle(path.c_str(), 0);
  ASSERT_NE(handle, nullptr);
  DeleteObject(handle);
}

}  // namespace
