// The registry form of GUIDs.
#include <string>

#include <gtest/gtest.h>

#include "win/ole.h"

namespace {

TEST(OleGuidText, RegistryFormInUpperCaseWithBraces) {
  const GUID guid = {0x0012abcd, 0xef01, 0x0a0b, {0xc0, 0xd1, 0x02, 0x03, 0xe4, 0xf5, 0x66, 0x7f}};
  OLECHAR text[39];
  EXPECT_EQ(StringFromGUID2(guid, text, 39), 39);
  EXPECT_EQ(std::u16string(text), u"{0012ABCD-EF01-0A0B-C0D1-0203E4F5667F}");
  EXPECT_EQ(StringFromGUID2(GUID{}, text, 40), 39);
  EXPECT_EQ(std::u16string(text), u"{00000000-0000-0000-0000-000000000000}");
  text[0] = u'x';
  EXPECT_EQ(StringFromGUID2(guid, text, 38), 0);  // no room for the terminator
  EXPECT_EQ(text[0], u'x');
  EXPECT_EQ(StringFromGUID2(guid, nullptr, 39), 0);
}

}  // namespace
