// The value texts of XMind files, and the marker entry GUIDs all importers share.
#include <gtest/gtest.h>

#include <climits>

#include <foliant/time_value.h>
#include <foliant/common/marker_guid.h>
#include <kx2/Ref.h>
#include <vantorel/exports.h>
#include <vantorel/testing/leak_check.h>

#include "xmind/xmind_values.h"

namespace {

using namespace foliant::xmind;

TEST(XMindValues, LengthsAreHundredthsHeldWithin32Bits) {
  const struct {
    const char16_t* text;
    LONG hundredths;
  } cases[] = {
      {u"12.345", 1234}, {u"3pt", 300},         {u"-80", -8000},        {u"", 0},
      {u"none", 0},      {u"1e300", INT32_MAX}, {u"-1e300", INT32_MIN}, {u"nan", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(LengthFromText(c.text), c.hundredths) << std::string(c.text, c.text + 3);
}

TEST(XMindValues, ColoursNeedANumberSignAndSixDigits) {
  EXPECT_EQ(ColorFromText(u"#DCE6F2"), 0xFFDCE6F2u);
  EXPECT_EQ(ColorFromText(u"#00ff00"), 0xFF00FF00u);
  for (const char16_t* text : {u"", u"#", u"none", u"#12345", u"#AABBCCDD", u"DCE6F2", u"#GG0000"})
    EXPECT_FALSE(ColorFromText(text).has_value());
}

TEST(XMindValues, DatesNeedSixNumbers) {
  EXPECT_EQ(DateFromText(u"2011-03-05 10:20:30"), TimeValue(2011, 3, 5, 10, 20, 30, -1).GetTime());
  EXPECT_EQ(DateFromText(u"2011-03-05  10:20:30"), TimeValue(2011, 3, 5, 10, 20, 30, -1).GetTime());
  for (const char16_t* text :
       {u"2011-03-05", u"2011-03-05 10:20:30:40", u"", u"2011-13-05 10:20:30", u"-2147483648-2147483647-1 0:0:0"})
    EXPECT_FALSE(DateFromText(text).has_value());
}

TEST(XMindValues, DurationsInDaysOrHours) {
  const struct {
    const char16_t* text;
    LONG unit, count;
  } cases[] = {{u"3d", 1, 3}, {u"5h", 0, 5}, {u"7", 0, 7}, {u"", 0, 0}, {u"12 days", 1, 12}};
  for (const auto& c : cases) {
    const Duration d = DurationFromText(c.text);
    EXPECT_EQ(d.unit, c.unit);
    EXPECT_EQ(d.count, c.count);
  }
}

// An element's attribute set answers every name as Attribute does: the name as written
// first, else the first whose name matches with letters folded, else none.
class XMindAttributeSet : public vantorel::testing::HostLeakCheck {};

TEST_F(XMindAttributeSet, AnswersAsAttributeDoes) {
  kx2::Ref<IKX2XMLFactory> factory(VtlGetApplication()->GetXMLFactory());
  kx2::Ref<IKX2XMLParser> parser(factory->CreateParser());
  const std::string xml =
      "<topic xmlns:xlink='urn:x' ID='upper' id='exact' Style-ID='s1' STYLE-id='s2' xlink:HREF='h' branch=''/>";
  kx2::Ref<IKX2XMLDocument> doc(
      parser->Parse(reinterpret_cast<const BYTE*>(xml.data()), static_cast<ULONG>(xml.size())));
  ASSERT_TRUE(doc);
  kx2::Ref<IKX2XMLElement> topic(doc->GetDocumentElement());
  const ElementAttributeSet set(topic.get());
  for (const char16_t* name :
       {u"id", u"ID", u"Id", u"style-id", u"STYLE-id", u"xlink:href", u"branch", u"structure-class", u"xmlns:xlink"}) {
    LPCWSTR expected = Attribute(topic.get(), name);
    LPCWSTR got = set.Get(name);
    ASSERT_EQ(expected == nullptr, got == nullptr) << std::u16string(name).size();
    if (expected) {
      EXPECT_EQ(std::u16string(expected), std::u16string(got));
    }
  }
  EXPECT_EQ(set.Text(u"id"), u"exact");
  EXPECT_EQ(set.Text(u"Id"), u"upper");
  EXPECT_EQ(set.Text(u"style-id"), u"s1");
  EXPECT_EQ(set.Text(u"xlink:href"), u"h");
  EXPECT_EQ(set.Get(u"structure-class"), nullptr);
}

TEST(MarkerGuid, FirstWordIsTheResourceNumber) {
  TqResourceMapper mapper;
  ASSERT_EQ(mapper.Init(TqResourceMapper::kXMind), 1);
  TqMapRecord flag{};
  ASSERT_TRUE(mapper.Find(TqResourceMapper::kMarkers, u"flag-red", &flag));
  const GUID entry = foliant::MarkerEntryGuid(flag), group = foliant::MarkerGroupGuid(flag);
  EXPECT_EQ(entry.Data1, 345u);
  EXPECT_EQ(group.Data1, 341u);
  EXPECT_EQ(entry.Data2 | entry.Data3 | entry.Data4[0] | entry.Data4[7], 0);
  EXPECT_TRUE(foliant::IsNullGuid(GUID{}));
  EXPECT_FALSE(foliant::IsNullGuid(entry));

  TqMapRecord shape{};
  ASSERT_TRUE(mapper.Find(TqResourceMapper::kTopicShape, u"org.xmind.topicShape.rect", &shape));
  EXPECT_TRUE(foliant::IsNullGuid(foliant::MarkerEntryGuid(shape))) << "a style value is no marker";
}

}  // namespace
