// The system's arrow cursor: one shared cursor, its hot spot at the tip, drawn black with a
// white inside over what lies under it.
#include <gtest/gtest.h>

#include "win/gdi.h"
#include "win/kernel.h"
#include "win/user_draw.h"
#include "win/userres.h"

namespace {

TEST(UserresSystemCursor, TheArrow) {
  HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  ASSERT_TRUE(arrow);
  EXPECT_EQ(LoadCursorW(nullptr, IDC_ARROW), arrow) << "the system's cursor is shared";
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(arrow, &info));
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(info.xHotspot, 0u);
  EXPECT_EQ(info.yHotspot, 0u);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);

  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateBitmap(40, 40, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT all{0, 0, 40, 40};
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(dc, &all, red);
  ASSERT_TRUE(DrawIconEx(dc, 0, 0, arrow, 32, 32, 0, nullptr, DI_NORMAL));
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 0)) << "the tip";
  EXPECT_EQ(GetPixel(dc, 1, 5), RGB(255, 255, 255)) << "inside";
  EXPECT_EQ(GetPixel(dc, 20, 2), RGB(255, 0, 0)) << "beside it, the background shows";
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteObject(red);
  DeleteDC(dc);

  SetLastError(0);
  EXPECT_EQ(LoadCursorW(nullptr, MAKEINTRESOURCEW(32513)), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

}  // namespace
