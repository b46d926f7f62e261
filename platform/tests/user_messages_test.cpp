// MessageBoxW's sink, FormatMessageW's system table and inserts, wsprintfW.
#include <gtest/gtest.h>

#include "kx2/MessageBoxSink.h"
#include "win/user.h"

namespace {

TEST(UserMessageBox, RecordsWithoutBlockingAndAnswersWithTheDefaultButton) {
  kx2::SetMessageBoxEcho(false);
  kx2::TakeMessageBoxes();
  EXPECT_EQ(MessageBoxW(nullptr, u"Resource file missing", u"Initialization Error", MB_ICONERROR), IDOK);
  EXPECT_EQ(MessageBoxW(nullptr, u"Save?", u"Q", MB_YESNO | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(MessageBoxW(nullptr, u"Disk?", u"Q", MB_RETRYCANCEL), IDCANCEL);  // never loops on Retry
  EXPECT_EQ(MessageBoxW(nullptr, u"no caption", nullptr, MB_OK), IDOK);
  kx2::SetMessageBoxAnswer(IDYES);
  EXPECT_EQ(MessageBoxA(nullptr, "caf\xe9", "A", MB_YESNO), IDYES);
  kx2::SetMessageBoxAnswer(0);
  std::vector<kx2::MessageBoxRecord> boxes = kx2::TakeMessageBoxes();
  ASSERT_EQ(boxes.size(), 5u);
  EXPECT_EQ(boxes[0].text, u"Resource file missing");
  EXPECT_EQ(boxes[0].caption, u"Initialization Error");
  EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_ICONERROR));
  EXPECT_EQ(boxes[3].caption, u"Error");
  EXPECT_EQ(boxes[4].text, u"caf\x00E9");  // from the ANSI code page
  EXPECT_EQ(kx2::PendingMessageBoxes(), 0u);
  kx2::SetMessageBoxEcho(true);
}

TEST(UserFormatMessage, SystemTextsInsertsAndBuffers) {
  LPWSTR text = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, 5, 0x400, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::u16string(text), u"Access is denied.\r\n");
  EXPECT_EQ(n, 19u);
  LocalFree(text);

  // An HRESULT of the Win32 facility, the maximum-width mask, and an argument array.
  WCHAR buf[128];
  DWORD_PTR inserts[] = {reinterpret_cast<DWORD_PTR>(u"C:\\x.exe")};
  n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ARGUMENT_ARRAY | 0xFF, nullptr, 0x800700C1, 0, buf,
                     128, reinterpret_cast<va_list*>(inserts));
  EXPECT_EQ(std::u16string(buf), u"C:\\x.exe is not a valid Win32 application. ");
  FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, 193, 0, buf, 128, nullptr);
  EXPECT_EQ(std::u16string(buf), u"%1 is not a valid Win32 application.\r\n");

  DWORD_PTR numbers[] = {42, reinterpret_cast<DWORD_PTR>(u"two")};
  FormatMessageW(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY, u"%2 %1!04d!%n100%% %0tail", 0, 0, buf,
                 128, reinterpret_cast<va_list*>(numbers));
  EXPECT_EQ(std::u16string(buf), u"two 0042\r\n100% ");

  EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 0x12345, 0, buf, 128, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND));
  EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, 2, 0, buf, 10, nullptr),
            0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST(UserWsprintf, FormatsWideTextWithinItsLimit) {
  WCHAR buf[1100];
  EXPECT_EQ(wsprintfW(buf, u"%s=%d", u"x", 5), 3);
  EXPECT_EQ(std::u16string(buf), u"x=5");
  std::u16string longText(2000, u'a');
  EXPECT_EQ(wsprintfW(buf, u"%s", longText.c_str()), 1023);
}

}  // namespace
