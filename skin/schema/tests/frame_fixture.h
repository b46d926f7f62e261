// A folder skin written for one test by the skin writer (24-bit BMP images made from a
// function of the pixel position, INI lines given by the test), loaded into a schema; a frame over a real
// window for the schema to paint and shape; and a canvas to probe what it painted.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <kx2/Utf.h>
#include <kx2test/TempFiles.h>
#include <win/gdi.h>
#include <win/module.h>
#include <win/user_window.h>

#include "ornatex/draw/draw_helpers.h"
#include "ornatex/schema/frame_data.h"
#include "ornatex/schema/resource_file.h"
#include "ornatex/schema/schema.h"
#include "ornatex/schema/skin_class.h"
#include "ornatex/schema/skin_loader.h"
#include "ornatex/schema/skin_writer.h"

namespace frame_test {

class SkinFolder {
 public:
  SkinFolder() : folder_("frameskin") {}
  void Bmp(const std::string& name, int w, int h, const std::function<COLORREF(int, int)>& pixel) const {
    CKtkSkinFolderWriter(folder_.path.string()).WriteBitmap(name, w, h, pixel);
  }
  void Solid(const std::string& name, int w, int h, COLORREF color) const {
    Bmp(name, w, h, [color](int, int) { return color; });
  }
  // The schema of these INI lines (owned by the folder).
  CKtkSkinManagerSchema* Load(const std::vector<std::u16string>& lines) {
    CKtkSkinFolderWriter(folder_.path.string()).WriteIni(lines, "skin.ini");
    readers_.push_back(std::make_unique<CKtkSkinManagerResourceFile>());
    EXPECT_TRUE(readers_.back()->Open(kx2test::WinPath(folder_.path.string()).c_str(), u"skin.ini"));
    schemas_.emplace_back(KtkLoadSkinSchema(*readers_.back()));
    if (schemas_.back()) schemas_.back()->ReloadMetrics();  // as making a skin current does
    return schemas_.back().get();
  }

 private:
  kx2test::TempFolder folder_;
  std::vector<std::unique_ptr<CKtkSkinManagerResourceFile>> readers_;
  std::vector<std::unique_ptr<CKtkSkinManagerSchema>> schemas_;
};

// A frame over a window of its own, answering for the schema what a frame object would.
class TestFrame : public CKtkSkinFrameData {
 public:
  TestFrame(CKtkSkinManagerSchema* schema, DWORD style, DWORD exStyle, int width, int height,
            const char16_t* title = u"Frame")
      : schema_(schema) {
    CKtkDrawHelpers::RegisterPlainWindowClass(GetModuleHandleW(nullptr), u"KtkFrameTest", 0, nullptr, nullptr);
    window_ = CreateWindowExW(exStyle, u"KtkFrameTest", title, style, 10, 20, width, height, nullptr, nullptr, nullptr,
                              nullptr);
    brush_ = CreateSolidBrush(RGB(1, 2, 3));
    if (schema_) m_rcBorders = schema_->GetFrameBorders(this);
  }
  ~TestFrame() override {
    DestroyWindow(window_);
    DeleteObject(brush_);
  }
  HWND FrameWindow() const override { return window_; }
  CKtkSkinManagerSchema* FrameSchema() override { return schema_; }
  CKtkSkinManagerClass* FrameSkinClass() override { return KtkSchemaClass(*schema_, u"WINDOW"); }
  HBRUSH GetClientBrush(HDC) override { return brush_; }

 private:
  CKtkSkinManagerSchema* schema_;
  HWND window_ = nullptr;
  HBRUSH brush_ = nullptr;
};

class Canvas {
 public:
  Canvas(int w, int h, COLORREF fill = RGB(255, 255, 255)) {
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, w, h);
    ReleaseDC(nullptr, screen);
    old_ = SelectObject(dc_, bitmap_);
    const RECT all{0, 0, w, h};
    HBRUSH brush = CreateSolidBrush(fill);
    FillRect(dc_, &all, brush);
    DeleteObject(brush);
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  HDC dc() const { return dc_; }
  COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
  bool Contains(const RECT& r, COLORREF color) const {
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        if (At(x, y) == color) return true;
    return false;
  }

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
};

}  // namespace frame_test
