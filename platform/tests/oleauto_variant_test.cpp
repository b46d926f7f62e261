// VARIANT coercion, SAFEARRAY bounds and element ownership, OLE dates.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "win/oleauto.h"

namespace {

struct Owned : VARIANT {
  Owned() { VariantInit(this); }
  ~Owned() { VariantClear(this); }
};

VARIANT Text(const char16_t* s) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocString(s);
  return v;
}

std::u16string AsText(const VARIANT& v) {
  Owned out;
  EXPECT_EQ(VariantChangeTypeEx(&out, &v, 0x0409, 0, VT_BSTR), S_OK);
  return out.vt == VT_BSTR ? std::u16string(out.bstrVal, SysStringLen(out.bstrVal)) : u"?";
}

TEST(OleAutoVariant, ToText) {
  VARIANT v;
  VariantInit(&v);
  struct Case {
    VARTYPE vt;
    double number;
    const char16_t* text;
  } cases[] = {
      {VT_I4, -42, u"-42"},
      {VT_UI1, 200, u"200"},
      {VT_R8, 0.1, u"0.1"},
      {VT_R8, 1e20, u"1E+20"},
      {VT_R4, 1.5, u"1.5"},
      {VT_BOOL, 1, u"-1"},
      {VT_BOOL, 0, u"0"},
      {VT_DATE, 45000.5, u"3/15/2023 12:00:00 PM"},
      {VT_DATE, 45000, u"3/15/2023"},
      {VT_DATE, 0.25, u"6:00:00 AM"},
      {VT_CY, 12.3456, u"12.3456"},
      {VT_CY, -2.5, u"-2.5"},
  };
  for (const Case& c : cases) {
    v.vt = c.vt;
    switch (c.vt) {
      case VT_I4:
        v.lVal = static_cast<LONG>(c.number);
        break;
      case VT_UI1:
        v.bVal = static_cast<BYTE>(c.number);
        break;
      case VT_R8:
        v.dblVal = c.number;
        break;
      case VT_R4:
        v.fltVal = static_cast<float>(c.number);
        break;
      case VT_BOOL:
        v.boolVal = c.number ? VARIANT_TRUE : VARIANT_FALSE;
        break;
      case VT_DATE:
        v.date = c.number;
        break;
      case VT_CY:
        v.cyVal.int64 = std::llround(c.number * 10000);
        break;
    }
    EXPECT_EQ(AsText(v), c.text) << c.vt << " " << c.number;
  }
  v.vt = VT_BOOL;
  v.boolVal = VARIANT_TRUE;
  Owned alpha;
  ASSERT_EQ(VariantChangeType(&alpha, &v, VARIANT_ALPHABOOL, VT_BSTR), S_OK);
  EXPECT_EQ(std::u16string(alpha.bstrVal), u"True");
}

TEST(OleAutoVariant, FromTextAndRanges) {
  struct Case {
    const char16_t* text;
    VARTYPE vt;
    HRESULT hr;
    double value;
  } cases[] = {
      {u" 12 ", VT_I4, S_OK, 12},
      {u"2.5", VT_I4, S_OK, 2},  // half to even
      {u"3.5", VT_I2, S_OK, 4},
      {u"70000", VT_I2, DISP_E_OVERFLOW, 0},
      {u"abc", VT_R8, DISP_E_TYPEMISMATCH, 0},
      {u"-1", VT_UI4, DISP_E_OVERFLOW, 0},
      {u"true", VT_BOOL, S_OK, -1},
      {u"0", VT_BOOL, S_OK, 0},
      {u"3/15/2023 12:00:00 PM", VT_DATE, S_OK, 45000.5},
      {u"2023-03-15", VT_DATE, S_OK, 45000},
      {u"2/30/2023", VT_DATE, DISP_E_TYPEMISMATCH, 0},
      {u"1.23456", VT_CY, S_OK, 1.2346},
  };
  for (const Case& c : cases) {
    VARIANT text = Text(c.text);
    Owned out;
    EXPECT_EQ(VariantChangeType(&out, &text, 0, c.vt), c.hr) << std::string(c.text, c.text + 3);
    if (c.hr == S_OK) {
      Owned real;
      ASSERT_EQ(VariantChangeType(&real, &out, 0, VT_R8), S_OK);
      EXPECT_NEAR(real.dblVal, c.value, 1e-9);
    } else {
      EXPECT_EQ(out.vt, VT_EMPTY) << "left as it was";
    }
    VariantClear(&text);
  }
  // In place: the source may be the destination.
  VARIANT v = Text(u"17");
  ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_I4), S_OK);
  EXPECT_EQ(v.vt, VT_I4);
  EXPECT_EQ(v.lVal, 17);
}

TEST(OleAutoVariant, SafeArrayOwnsItsStrings) {
  SAFEARRAYBOUND bounds[2] = {{2, 1}, {3, 0}};
  SAFEARRAY* grid = SafeArrayCreate(VT_I4, 2, bounds);
  ASSERT_NE(grid, nullptr);
  LONG lo, hi;
  EXPECT_EQ(SafeArrayGetLBound(grid, 1, &lo), S_OK);
  EXPECT_EQ(SafeArrayGetUBound(grid, 1, &hi), S_OK);
  EXPECT_EQ(lo, 1);
  EXPECT_EQ(hi, 2);
  EXPECT_EQ(SafeArrayGetUBound(grid, 2, &hi), S_OK);
  EXPECT_EQ(hi, 2);
  EXPECT_EQ(SafeArrayGetUBound(grid, 3, &hi), DISP_E_BADINDEX);
  EXPECT_EQ(SafeArrayDestroy(grid), S_OK);

  SAFEARRAY* strings = SafeArrayCreateVector(VT_BSTR, 0, 2);
  ASSERT_NE(strings, nullptr);
  void* data;
  ASSERT_EQ(SafeArrayAccessData(strings, &data), S_OK);
  static_cast<BSTR*>(data)[1] = SysAllocString(u"kept");
  EXPECT_EQ(SafeArrayDestroy(strings), DISP_E_ARRAYISLOCKED);
  SafeArrayUnaccessData(strings);
  Owned holder;
  holder.vt = VT_ARRAY | VT_BSTR;
  holder.parray = strings;
  Owned copy;
  ASSERT_EQ(VariantCopy(&copy, &holder), S_OK);
  ASSERT_NE(copy.parray, strings);
  EXPECT_EQ(std::u16string(static_cast<BSTR*>(copy.parray->pvData)[1]), u"kept");
  VARTYPE vt;
  EXPECT_EQ(SafeArrayGetVartype(copy.parray, &vt), S_OK);
  EXPECT_EQ(vt, VT_BSTR);
}

TEST(OleAutoVariant, Dates) {
  struct Case {
    WORD y, m, d, h, mi, s;
    double date;
  } cases[] = {
      {1899, 12, 30, 0, 0, 0, 0.0},     {1900, 1, 1, 6, 0, 0, 2.25},     {1899, 12, 29, 6, 0, 0, -1.25},
      {2023, 3, 15, 12, 0, 0, 45000.5}, {100, 1, 1, 0, 0, 0, -657434.0},
  };
  for (const Case& c : cases) {
    SYSTEMTIME t{c.y, c.m, 0, c.d, c.h, c.mi, c.s, 0};
    double date = 0;
    ASSERT_TRUE(SystemTimeToVariantTime(&t, &date));
    EXPECT_DOUBLE_EQ(date, c.date);
    SYSTEMTIME back{};
    ASSERT_TRUE(VariantTimeToSystemTime(date, &back));
    EXPECT_EQ(back.wYear, c.y);
    EXPECT_EQ(back.wDay, c.d);
    EXPECT_EQ(back.wHour, c.h);
  }
  SYSTEMTIME early{99, 12, 0, 31, 0, 0, 0, 0};
  double date;
  EXPECT_FALSE(SystemTimeToVariantTime(&early, &date));
  SYSTEMTIME back;
  EXPECT_FALSE(VariantTimeToSystemTime(3e6, &back));
  // Just before midnight rounds into the next day, on both sides of day 0.
  ASSERT_TRUE(VariantTimeToSystemTime(-1.999999999, &back));
  EXPECT_EQ(back.wDay, 30);
  EXPECT_EQ(back.wHour, 0);
}

}  // namespace
