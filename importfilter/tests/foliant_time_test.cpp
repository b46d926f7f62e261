// Time values, their conversions, the checked OLE date conversion and the framework's
// small operations.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include <basalt/error.h>
#include <foliant/kx2_app.h>
#include <foliant/time_value.h>
#include <win/fileapi.h>
#include <win/module.h>

namespace {

void SetZone(const char* tz) {
  setenv("TZ", tz, 1);
  tzset();
}

TEST(FoliantTime, UtcConversionsAgreeWithTheCLibraryForEveryDay) {
  const time_t first = 0, last = 4133980799;  // 1970-01-01 .. 2100-12-31 23:59:59 UTC
  int checked = 0;
  for (time_t day = first; day <= last; day += 86400, ++checked) {
    const time_t t = day + (checked * 3671) % 86400;  // a different time of day each day
    struct tm g {};
    ASSERT_TRUE(gmtime_r(&t, &g));
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(g.tm_year + 1900), st.wMonth = static_cast<WORD>(g.tm_mon + 1);
    st.wDay = static_cast<WORD>(g.tm_mday), st.wHour = static_cast<WORD>(g.tm_hour);
    st.wMinute = static_cast<WORD>(g.tm_min), st.wSecond = static_cast<WORD>(g.tm_sec);
    st.wMilliseconds = 999;  // ignored
    FILETIME ft = TimeValue::SystemTimeToFileTimeUtc(st);
    ASSERT_EQ(TimeValue::FileTimeToSeconds(ft), t) << g.tm_year + 1900 << "-" << g.tm_mon + 1 << "-" << g.tm_mday;
    SYSTEMTIME back{};
    ASSERT_TRUE(TimeValue::FileTimeToSystemTimeUtc(TimeValue::SecondsToFileTime(t), &back));
    ASSERT_TRUE(back.wYear == st.wYear && back.wMonth == st.wMonth && back.wDay == st.wDay && back.wHour == st.wHour &&
                back.wMinute == st.wMinute && back.wSecond == st.wSecond && back.wMilliseconds == 0 &&
                back.wDayOfWeek == g.tm_wday)
        << t;
  }
  EXPECT_EQ(checked, 47847);
}

TEST(FoliantTime, FileTimeArithmetic) {
  FILETIME epoch = TimeValue::SecondsToFileTime(0);
  EXPECT_EQ((static_cast<ULONGLONG>(epoch.dwHighDateTime) << 32) | epoch.dwLowDateTime, 116444736000000000ull);
  FILETIME later{};
  const ULONGLONG ticks = 116444736000000000ull + 25 * 10000000ull + 1234567;
  later.dwLowDateTime = static_cast<DWORD>(ticks), later.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  LONG nanoseconds = 0;
  EXPECT_EQ(TimeValue::FileTimeToSeconds(later, &nanoseconds), 25);
  EXPECT_EQ(nanoseconds, 123456700);
}

TEST(FoliantTime, PartsAreLocalTimeUnderEveryZone) {
  struct Case {
    int y, mo, d, h, mi, s;
  } cases[] = {{2011, 3, 5, 10, 20, 30},  {2011, 3, 27, 2, 30, 0}, {2011, 10, 30, 2, 30, 0},
               {2024, 2, 29, 23, 59, 59}, {1970, 1, 1, 0, 0, 0},   {2037, 12, 31, 12, 0, 0}};
  for (const char* zone : {"CET-1CEST,M3.5.0,M10.5.0/3", "JST-9", "UTC0"}) {
    SetZone(zone);
    for (const Case& c : cases) {
      struct tm parts {};
      parts.tm_year = c.y - 1900, parts.tm_mon = c.mo - 1, parts.tm_mday = c.d;
      parts.tm_hour = c.h, parts.tm_min = c.mi, parts.tm_sec = c.s, parts.tm_isdst = -1;
      // The runtime's 64-bit time ends at 1970-01-01 00:00 UTC: earlier times give -1.
      const time_t local = mktime(&parts);
      const __time64_t expected = local < 0 ? -1 : local;
      EXPECT_EQ(TimeValue(c.y, c.mo, c.d, c.h, c.mi, c.s, -1).GetTime(), expected) << zone << " " << c.y << "-" << c.mo;
    }
    TimeValue v(2011, 3, 5, 10, 20, 30, -1);
    EXPECT_EQ(v.GetYear(), 2011);
    EXPECT_EQ(v.GetMonth(), 3);
    EXPECT_EQ(v.GetDay(), 5);
    EXPECT_EQ(v.GetHour(), 10);
    EXPECT_EQ(v.GetMinute(), 20);
    EXPECT_EQ(v.GetSecond(), 30);
    EXPECT_EQ(v.GetDayOfWeek(), 7) << "a Saturday, Sunday being 1";
    SYSTEMTIME st{};
    ASSERT_EQ(v.GetAsSystemTime(&st), 1);
    EXPECT_EQ(TimeValue(st, -1), v);
    EXPECT_EQ(v.Format(u"%Y-%m-%d %H:%M:%S"), u"2011-03-05 10:20:30");
  }
  SetZone("UTC0");
  EXPECT_EQ(TimeValue(2011, 3, 5, 10, 20, 30).FormatGmt(u"%H:%M"), u"10:20");
}

TEST(FoliantTime, UnrepresentableTimesAndNullFormats) {
  SetZone("UTC0");
  TimeValue v(2011, 3, 5, 10, 20, 30);
  EXPECT_EQ(v.Format(nullptr), u"");
  SYSTEMTIME old{};
  old.wYear = 1899, old.wMonth = 12, old.wDay = 31;
  EXPECT_EQ(TimeValue(old).GetTime(), 0);
  TimeValue bad(static_cast<__time64_t>(-1) << 62);
  EXPECT_EQ(bad.GetYear(), 0);
  EXPECT_EQ(bad.GetDayOfWeek(), 0);
  EXPECT_EQ(bad.GetHour(), -1);
  EXPECT_EQ(bad.Format(u"%Y"), u"");
  SYSTEMTIME st{};
  EXPECT_EQ(bad.GetAsSystemTime(&st), 0);
  v.Clear();
  EXPECT_EQ(v.GetTime(), 0);
}

TEST(FoliantTime, SpansAndArithmetic) {
  TimeSpan span(1, 2, 3, 4);
  EXPECT_EQ(span.GetTotalSeconds(), 93784);
  EXPECT_EQ(span.GetTotalHours(), 26);
  EXPECT_EQ(span.GetHours(), 2);
  EXPECT_EQ(span.GetMinutes(), 3);
  EXPECT_EQ(span.GetSeconds(), 4);
  EXPECT_EQ(span.GetDays(), 1);
  TimeSpan negative(-1, 0, 0, -1);
  EXPECT_EQ(negative.GetDays(), -1) << "truncated toward zero";
  EXPECT_EQ(negative.GetSeconds(), -1);
  TimeValue a(1000), b = a + span;
  EXPECT_EQ(b - a, span);
  EXPECT_LT(a, b);
  b -= span;
  EXPECT_EQ(a, b);
}

TEST(FoliantTime, CheckedOleDatesRefuse31FebruaryThatTimeValuesNormalise) {
  SYSTEMTIME feb31{};
  feb31.wYear = 2011, feb31.wMonth = 2, feb31.wDay = 31, feb31.wHour = 8;
  double date = 0;
  EXPECT_EQ(SystemTimeToCheckedVariantTime(&feb31, &date), 0);
  EXPECT_TRUE(CheckedDateTime(2011, 2, 31, 8, 0, 0).m_invalid);
  SetZone("UTC0");
  EXPECT_EQ(TimeValue(2011, 2, 31, 8, 0, 0), TimeValue(2011, 3, 3, 8, 0, 0));

  SYSTEMTIME good = feb31;
  good.wDay = 28, good.wMinute = 30;
  ASSERT_EQ(SystemTimeToCheckedVariantTime(&good, &date), 1);
  EXPECT_DOUBLE_EQ(date, 40602 + 8.5 / 24);
  CheckedDateTime checked(2011, 2, 28, 8, 30, 0);
  EXPECT_FALSE(checked.m_invalid);
  // Before 1899-12-30 the fraction counts forward from the whole day.
  SYSTEMTIME early{};
  early.wYear = 1899, early.wMonth = 12, early.wDay = 29, early.wHour = 6;
  ASSERT_EQ(SystemTimeToCheckedVariantTime(&early, &date), 1);
  EXPECT_DOUBLE_EQ(date, -1.25);
  bool raised = false;
  try {
    SystemTimeToCheckedVariantTime(&good, nullptr);
  } catch (CException* e) {
    raised = dynamic_cast<COleException*>(e) && static_cast<COleException*>(e)->m_sc == E_FAIL;
    e->Delete();
  }
  EXPECT_TRUE(raised) << "a null output raises E_FAIL";
}

TEST(FoliantFramework, ComErrorsAndExceptionTexts) {
  for (HRESULT hr : {E_OUTOFMEMORY, E_FAIL, E_INVALIDARG}) {
    try {
      RaiseComError(hr);
    } catch (CException* e) {
      if (hr == E_OUTOFMEMORY) {
        EXPECT_NE(dynamic_cast<CMemoryException*>(e), nullptr);
      } else {
        auto* ole = dynamic_cast<COleException*>(e);
        ASSERT_NE(ole, nullptr);
        EXPECT_EQ(ole->m_sc, hr);
      }
      e->Delete();
    }
  }
  Basalt::Error::BaseError::_ClearError();
  ExceptionToErrorText(new CSimpleException(u"Line one\r\n\tline two"));
  Basalt::Error::tagKx2ErrorBuf buf{};
  Basalt::Error::BaseError::_StoreError(&buf);
  EXPECT_EQ(buf.code, Basalt::Error::kErrorMessage);
  EXPECT_EQ(std::u16string(buf.text), u"Line oneline two");
  Basalt::Error::BaseError::_ClearError();

  EXPECT_EQ(foliant::HundredthsFromText(u"12.345"), 1234);
  EXPECT_EQ(foliant::HundredthsFromText(u"-0.5"), -50);
  // Values past the 32-bit range saturate instead of converting out of range.
  EXPECT_EQ(foliant::HundredthsFromText(u"1e300"), INT32_MAX);
  EXPECT_EQ(foliant::HundredthsFromText(u"-21474837"), INT32_MIN);
  EXPECT_EQ(foliant::HundredthsFromText(u"nan"), 0);
  EXPECT_EQ(foliant::HundredthsFromText(nullptr), 0);
  struct ColorCase {
    const char16_t* text;
    DWORD color;
    LONG transparency;
  } colors[] = {{u"#336699", 0xFF336699, 1000}, {u"#80336699", 0xFF336699, 498}, {u"#FF000000", 0xFF000000, 0},
                {u"#", 0xFF000000, 1000},       {nullptr, 0xFF000000, 1000},     {u"#zz", 0xFF000000, 1000}};
  for (const ColorCase& c : colors) {
    LONG t = -1;
    EXPECT_EQ(foliant::ColorFromText(c.text, &t), c.color);
    EXPECT_EQ(t, c.transparency);
  }
  GUID a{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}}, b = a;
  EXPECT_TRUE(foliant::IsEqualGUID(a, b));
  b.Data4[7] = 0;
  EXPECT_TRUE(foliant::IsNotEqualGUID(a, b));
  void* block = ::operator new(16);
  FreeBlock(block);
}

}  // namespace
