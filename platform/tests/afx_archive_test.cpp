// MFC's archive over a memory file: byte layout of values, counts and strings; classes
// and objects through the map; peeking; short and damaged archives; dates and variants.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "win/afx.h"

namespace {

class CShape : public CObject {
  DECLARE_SERIAL(CShape)
 public:
  LONG size = 0;
  void Serialize(CArchive& ar) override {
    if (ar.IsStoring())
      ar << size;
    else
      ar >> size;
  }
};
IMPLEMENT_SERIAL(CShape, CObject, 3)

class CPlain : public CObject {
  DECLARE_DYNCREATE(CPlain)
};
IMPLEMENT_DYNCREATE(CPlain, CObject)

// The bytes an archive wrote.
template <class Write>
std::vector<BYTE> Stored(Write write) {
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    write(ar);
  }
  const auto length = static_cast<size_t>(file.GetLength());
  BYTE* bytes = file.Detach();
  std::vector<BYTE> out(bytes, bytes + length);
  free(bytes);
  return out;
}

// Reads bytes with `read`; the archive's exception cause, or -1 when none.
template <class Read>
int Loaded(std::vector<BYTE> bytes, Read read) {
  CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
  CArchive ar(&file, CArchive::load);
  try {
    read(ar);
  } catch (CException* e) {
    auto* archive = dynamic_cast<CArchiveException*>(e);
    const int cause = archive ? archive->m_cause : 100;
    e->Delete();
    return cause;
  }
  return -1;
}

TEST(AfxArchive, CountsAndStrings) {
  struct Case {
    DWORD_PTR count;
    std::vector<BYTE> bytes;
  } counts[] = {
      {5, {5, 0}},
      {0xFFFE, {0xFE, 0xFF}},
      {0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0, 0}},
      {0x12345678, {0xFF, 0xFF, 0x78, 0x56, 0x34, 0x12}},
  };
  for (const auto& c : counts) {
    EXPECT_EQ(Stored([&](CArchive& ar) { ar.WriteCount(c.count); }), c.bytes);
    DWORD_PTR back = 0;
    EXPECT_EQ(Loaded(c.bytes, [&](CArchive& ar) { back = ar.ReadCount(); }), -1);
    EXPECT_EQ(back, c.count);
  }
  EXPECT_EQ(Stored([](CArchive& ar) { ar << CString(u"Hi"); }),
            (std::vector<BYTE>{0xFF, 0xFE, 0xFF, 2, 'H', 0, 'i', 0}));
  const CString long300(u'x', 300);
  const std::vector<BYTE> stored = Stored([&](CArchive& ar) { ar << long300; });
  EXPECT_EQ(std::vector<BYTE>(stored.begin(), stored.begin() + 6), (std::vector<BYTE>{0xFF, 0xFE, 0xFF, 0xFF, 44, 1}));
  CString back;
  EXPECT_EQ(Loaded(stored, [&](CArchive& ar) { ar >> back; }), -1);
  EXPECT_EQ(back, long300);
  // An 8-bit string (as older archives hold them) is read in the ANSI code page.
  EXPECT_EQ(Loaded({3, 'a', 'b', 0xE9}, [&](CArchive& ar) { ar >> back; }), -1);
  EXPECT_EQ(back, CString(u"ab\u00e9"));
  // A length beyond the data ends the read cleanly.
  EXPECT_EQ(Loaded({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}, [&](CArchive& ar) { ar >> back; }),
            CArchiveException::endOfFile);
}

TEST(AfxArchive, ValuesPeekAndEnd) {
  const std::vector<BYTE> bytes = Stored([](CArchive& ar) { ar << static_cast<LONG>(0x0FF0ADBF) << 1.5 << true; });
  ASSERT_EQ(bytes.size(), 13u);
  EXPECT_EQ(Loaded(bytes,
                   [](CArchive& ar) {
                     DWORD peeked = 0;
                     EXPECT_EQ(ar.PeekBytes(&peeked, 4), 4u);
                     EXPECT_EQ(peeked, 0x0FF0ADBFu);
                     LONG marker;
                     double d;
                     bool b;
                     ar >> marker >> d >> b;
                     EXPECT_EQ(marker, 0x0FF0ADBF);
                     EXPECT_EQ(d, 1.5);
                     EXPECT_TRUE(b);
                     EXPECT_EQ(ar.PeekBytes(&peeked, 4), 0u);
                     ar >> b;
                   }),
            CArchiveException::endOfFile);
  // Direction errors.
  EXPECT_EQ(Loaded(bytes, [](CArchive& ar) { ar << 1; }), CArchiveException::readOnly);
}

TEST(AfxArchive, ClassesAndObjects) {
  CShape a, b;
  a.size = 7;
  b.size = 9;
  const std::vector<BYTE> bytes = Stored([&](CArchive& ar) { ar << &a << &b << &a << static_cast<CObject*>(nullptr); });
  // New class: 0xFFFF, schema 3, name; object data; then the class by index (0x8001);
  // the first object again by its index (2).
  const std::vector<BYTE> head = {0xFF, 0xFF, 3, 0,    6,    0, 'C', 'S', 'h', 'a', 'p', 'e', 7,
                                  0,    0,    0, 0x01, 0x80, 9, 0,   0,   0,   2,   0,   0,   0};
  EXPECT_EQ(bytes, head);
  CObject* objects[4] = {};
  EXPECT_EQ(Loaded(bytes,
                   [&](CArchive& ar) {
                     for (CObject*& o : objects) o = ar.ReadObject(RUNTIME_CLASS(CShape));
                   }),
            -1);
  ASSERT_NE(objects[0], nullptr);
  EXPECT_EQ(static_cast<CShape*>(objects[0])->size, 7);
  EXPECT_EQ(static_cast<CShape*>(objects[1])->size, 9);
  EXPECT_EQ(objects[2], objects[0]);
  EXPECT_EQ(objects[3], nullptr);
  delete objects[0];
  delete objects[1];

  struct Damaged {
    std::vector<BYTE> bytes;
    int cause;
  } damaged[] = {
      {{0xFF, 0xFF, 3, 0, 6, 0, 'C', 'N', 'o', 'n', 'e', '!'}, CArchiveException::badClass},  // unknown class
      {{0xFF, 0xFF, 4, 0, 6, 0, 'C', 'S', 'h', 'a', 'p', 'e'}, CArchiveException::badSchema},
      {{0x05, 0x80}, CArchiveException::badIndex},  // a class index never given
      {{0xFF, 0xFF, 3, 0, 6, 0, 'C', 'S', 'h', 'a', 'p', 'e', 7, 0, 0, 0, 1, 0}, CArchiveException::badIndex},
  };
  for (const auto& d : damaged)
    EXPECT_EQ(Loaded(d.bytes,
                     [](CArchive& ar) {
                       for (int i = 0; i < 2; ++i) delete ar.ReadObject(RUNTIME_CLASS(CShape));
                     }),
              d.cause);
  EXPECT_EQ(CRuntimeClass::FromName(u"CPlain"), RUNTIME_CLASS(CPlain));
  CObject* made = RUNTIME_CLASS(CPlain)->CreateObject();
  EXPECT_NE(AfxDynamicDownCast(RUNTIME_CLASS(CPlain), made), nullptr);
  EXPECT_EQ(AfxDynamicDownCast(RUNTIME_CLASS(CShape), made), nullptr);
  delete made;
}

TEST(AfxArchive, DatesAndVariants) {
  COleDateTime date(2024, 2, 29, 13, 5, 9);
  EXPECT_EQ(date.GetStatus(), COleDateTime::valid);
  EXPECT_EQ(date.Format(u"%Y-%d-%mT%H:%M:%S"), CString(u"2024-29-02T13:05:09"));
  EXPECT_EQ(COleDateTime(2023, 2, 29, 0, 0, 0).GetStatus(), COleDateTime::invalid);
  EXPECT_EQ(COleDateTime(2023, 2, 29, 0, 0, 0).Format(u"%Y"), CString(u"Invalid DateTime"));

  COleVariant text(u"x\u00e9"), number(static_cast<LONG>(-3)), real(2.5);
  COleVariant currency;
  currency.vt = VT_CY;
  currency.cyVal.int64 = -123456789012LL;
  const std::vector<BYTE> bytes = Stored([&](CArchive& ar) { ar << date << text << number << real << currency; });
  EXPECT_EQ(bytes.size(), 12u + (2 + 4 + 4) + (2 + 4) + (2 + 8) + (2 + 8));
  COleDateTime date2;
  COleVariant v[4];
  EXPECT_EQ(Loaded(bytes, [&](CArchive& ar) { ar >> date2 >> v[0] >> v[1] >> v[2] >> v[3]; }), -1);
  EXPECT_EQ(date2, date);
  EXPECT_TRUE(v[0] == text);
  EXPECT_TRUE(v[1] == number);
  EXPECT_TRUE(v[2] == real);
  EXPECT_TRUE(v[3] == currency);
}

}  // namespace
