// The property exchange: the same properties through each kind, defaults, blobs, dates,
// 64-bit values, numbered sections, the archive's schema marker and the registry's
// refusals.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <toolkit/PropExchangeArchive.h>
#include <toolkit/PropExchangeIniFile.h>
#include <toolkit/PropExchangeRegistry.h>
#include <toolkit/PropExchangeXMLNode.h>
#include <win/fileapi.h>
#include <win/profile.h>
#include <win/registry.h>

#include "toolkit_support.h"

// A class the stores can name and make.
class CKtkTestItem : public CObject {
  DECLARE_SERIAL(CKtkTestItem)
};
IMPLEMENT_SERIAL(CKtkTestItem, CObject, 1)

namespace {

using Exchanger = std::function<void(CKtkPropExchange*)>;

CY Currency(LONGLONG ten_thousandths) {
  CY cy;
  cy.int64 = ten_thousandths;
  return cy;
}

// Every value type, with defaults that differ from the stored values.
struct Props {
  SHORT s = 0;
  LONG l = 0;
  float f = 0;
  double d = 0;
  CY cy = Currency(0);
  COleDateTime dt;
  BSTR b = nullptr;
  BOOL flag = FALSE;
  COleVariant v;
  BYTE by = 0;
  CString str;
  RECT r{};
  SIZE sz{};
  ULONGLONG big = 0;
  BOOL results[14] = {};

  ~Props() { SysFreeString(b); }

  static void Fill(Props& p) {
    p.s = -12345;
    p.l = -2000000000;
    p.f = 1.25f;
    p.d = 3.14159;
    p.cy = Currency(123456);
    p.dt = COleDateTime(2024, 2, 29, 13, 5, 9);
    p.b = SysAllocString(u"tab\there\nback\\slash");
    p.flag = TRUE;
    p.v = COleVariant(2.5);
    p.by = 200;
    p.str = u" padded \"quoted\" \u00e9\r\n";
    p.r = {1, -2, 300, 4000};
    p.sz = {-5, 6};
    p.big = 0x180000001ull;  // the low half is 2^31 + 1
  }

  void Exchange(CKtkPropExchange* px) {
    int i = 0;
    results[i++] = KtkPX_Short(px, u"Short", s, 1);
    results[i++] = KtkPX_Long(px, u"Long", l, 2);
    results[i++] = KtkPX_Float(px, u"Float", f, 3);
    results[i++] = KtkPX_Double(px, u"Double", d, 4);
    results[i++] = KtkPX_Currency(px, u"Currency", cy, Currency(50000));
    results[i++] = KtkPX_DateTime(px, u"Date", dt, COleDateTime(2000, 1, 1, 0, 0, 0));
    results[i++] = KtkPX_Bstr(px, u"Bstr", b, u"default");
    results[i++] = KtkPX_Bool(px, u"Bool", flag, FALSE);
    results[i++] = KtkPX_Variant(px, u"Variant", v, COleVariant(0.0));
    results[i++] = KtkPX_Byte(px, u"Byte", by, 7);
    results[i++] = KtkPX_String(px, u"String", str, u"default");
    results[i++] = KtkPX_Rect(px, u"Rect", r, RECT{0, 0, 1, 1});
    results[i++] = KtkPX_Size(px, u"Size", sz, SIZE{1, 1});
    results[i++] = KtkPX_ULongLong(px, u"Big", big, 9);
  }
};

// The kinds carry everything except what the registry refuses: currency, date-time, BSTR
// and VARIANT (results 4, 5, 6, 8).
constexpr int kRegistryRefused[] = {4, 5, 6, 8};

class PropExchange : public ktk_test::TempFolder {
 protected:
  struct Kind {
    const char* name;
    bool registry;
    std::function<void(const Exchanger&, BOOL loading)> run;
  };

  std::vector<Kind> Kinds() {
    return {
        {"archive", false,
         [this](const Exchanger& fn, BOOL loading) {
           if (!loading) {
             CMemFile file;
             {
               CArchive ar(&file, CArchive::store);
               CKtkPropExchangeArchive px(ar);
               fn(&px);
             }
             archive_.resize(static_cast<size_t>(file.GetLength()));
             file.Seek(0, CFile::begin);
             file.Read(archive_.data(), static_cast<UINT>(archive_.size()));
           } else {
             CMemFile file(archive_.data(), static_cast<UINT>(archive_.size()));
             CArchive ar(&file, CArchive::load);
             CKtkPropExchangeArchive px(ar);
             fn(&px);
           }
         }},
        {"registry", true,
         [](const Exchanger& fn, BOOL loading) {
           auto* px = new CKtkPropExchangeRegistry(loading, HKEY_CURRENT_USER, u"Software\\Taloria\\KtkTest");
           fn(px);
           px->ExternalRelease();
         }},
        {"ini", false,
         [this](const Exchanger& fn, BOOL loading) {
           auto* px = new CKtkPropExchangeIniFile(loading, Windows("props.ini").c_str(), u"Props");
           fn(px);
           px->ExternalRelease();
         }},
        {"xml", false, [this](const Exchanger& fn, BOOL loading) { RunXml(fn, loading, FALSE); }},
        {"xml compact", false, [this](const Exchanger& fn, BOOL loading) { RunXml(fn, loading, TRUE); }},
    };
  }

  void RunXml(const Exchanger& fn, BOOL loading, BOOL compact) {
    auto* px = new CKtkPropExchangeXMLNode(loading, nullptr, u"props");
    const std::u16string path = Windows("props.xml");
    if (loading) {
      ASSERT_TRUE(px->LoadFromFile(path.c_str()));
    } else {
      px->SetCompactMode(compact);
    }
    fn(px);
    if (!loading) {
      EXPECT_TRUE(px->SaveToFile(path.c_str(), TRUE));
    }
    px->ExternalRelease();
  }

  std::vector<BYTE> archive_;
};

TEST_F(PropExchange, EveryKindReadsBackWhatItStored) {
  for (Kind& kind : Kinds()) {
    SCOPED_TRACE(kind.name);
    Props stored;
    Props::Fill(stored);
    kind.run([&](CKtkPropExchange* px) { stored.Exchange(px); }, FALSE);
    Props loaded;
    kind.run([&](CKtkPropExchange* px) { loaded.Exchange(px); }, TRUE);
    for (int i = 0; i < 14; ++i) {
      const bool refused = kind.registry && std::count(std::begin(kRegistryRefused), std::end(kRegistryRefused), i);
      EXPECT_EQ(stored.results[i], !refused) << "store " << i;
      EXPECT_EQ(loaded.results[i], !refused) << "load " << i;
    }
    EXPECT_EQ(loaded.s, stored.s);
    EXPECT_EQ(loaded.l, stored.l);
    EXPECT_EQ(loaded.f, stored.f);
    EXPECT_EQ(loaded.d, stored.d);
    EXPECT_EQ(loaded.flag, stored.flag);
    EXPECT_EQ(loaded.by, stored.by);
    EXPECT_EQ(loaded.str, stored.str);
    EXPECT_EQ(std::memcmp(&loaded.r, &stored.r, sizeof(RECT)), 0);
    EXPECT_EQ(loaded.sz.cx, stored.sz.cx);
    EXPECT_EQ(loaded.sz.cy, stored.sz.cy);
    EXPECT_EQ(loaded.big, stored.big) << "rebuilt from unsigned halves";
    if (kind.registry) {
      // Refused in both directions: the variables keep what they held.
      EXPECT_EQ(loaded.cy.int64, 0);
      EXPECT_EQ(loaded.b, nullptr);
      EXPECT_EQ(loaded.v.vt, VT_EMPTY);
      continue;
    }
    EXPECT_EQ(loaded.cy.int64, stored.cy.int64);
    EXPECT_TRUE(loaded.dt == stored.dt);
    EXPECT_EQ(std::u16string(loaded.b), std::u16string(stored.b));
    EXPECT_TRUE(loaded.v == stored.v);
  }
}

TEST_F(PropExchange, DefaultsAreNotWritten) {
  for (Kind& kind : Kinds()) {
    SCOPED_TRACE(kind.name);
    // First a store with values, then one with defaults only over it.
    Props values;
    Props::Fill(values);
    kind.run([&](CKtkPropExchange* px) { values.Exchange(px); }, FALSE);
    Props defaults;
    defaults.s = 1, defaults.l = 2, defaults.f = 3, defaults.d = 4, defaults.cy = Currency(50000);
    defaults.dt = COleDateTime(2000, 1, 1, 0, 0, 0);
    defaults.b = SysAllocString(u"default");
    defaults.v = COleVariant(0.0);
    defaults.by = 7, defaults.str = u"default", defaults.r = {0, 0, 1, 1}, defaults.sz = {1, 1}, defaults.big = 9;
    kind.run([&](CKtkPropExchange* px) { defaults.Exchange(px); }, FALSE);
    for (BOOL result : defaults.results) EXPECT_TRUE(result) << "a default counts as stored";
    if (std::string(kind.name) == "archive") {
      EXPECT_GT(archive_.size(), 0u) << "an archive keeps every value: its order is its format";
      continue;
    }
    Props loaded;
    Props::Fill(loaded);
    kind.run([&](CKtkPropExchange* px) { loaded.Exchange(px); }, TRUE);
    EXPECT_EQ(loaded.s, 1);
    EXPECT_EQ(loaded.str, CString(u"default"));
    EXPECT_EQ(loaded.big, 9u);
    if (kind.registry) continue;  // BSTR and VARIANT values are not read from the registry
    EXPECT_EQ(std::u16string(loaded.b), u"default");
    EXPECT_TRUE(loaded.v == defaults.v);
  }
  // Nothing is left in the stores.
  HKEY key;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Taloria\\KtkTest", 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD values = 99;
  RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                   nullptr);
  RegCloseKey(key);
  EXPECT_EQ(values, 0u);
  WCHAR section[64];
  EXPECT_EQ(GetPrivateProfileSectionW(u"Props", section, 64, Windows("props.ini").c_str()), 0u);
  const std::string xml = ReadFile("props.xml");
  EXPECT_EQ(xml.find("<Short"), std::string::npos) << xml;
  EXPECT_EQ(xml.find("Short="), std::string::npos) << xml;
}

// The exact text an INI file and an XML attribute hold for a value.
TEST_F(PropExchange, TextForms) {
  struct Case {
    const char* name;
    std::function<void(CKtkPropExchange*)> store;
    const char16_t* text;
  } cases[] = {
      {"blob",
       [](CKtkPropExchange* px) {
         BYTE bytes[] = {0x00, 0xFF};
         BYTE* data = bytes;
         DWORD size = 2;
         px->ExchangeBlob(u"V", &data, &size);
       },
       u"AAPP"},
      {"date",
       [](CKtkPropExchange* px) {
         COleDateTime d(2024, 3, 5, 13, 5, 9);
         KtkPX_DateTime(px, u"V", d, {});
       },
       u"2024-05-03T13:05:09"},
      {"date at midnight",
       [](CKtkPropExchange* px) {
         COleDateTime d(2024, 3, 5, 0, 0, 0);
         KtkPX_DateTime(px, u"V", d, {});
       },
       u"2024-05-03"},
      {"time of day",
       [](CKtkPropExchange* px) {
         COleDateTime d(1899, 12, 30, 7, 8, 9);
         KtkPX_DateTime(px, u"V", d, {});
       },
       u"07:08:09"},
      {"invalid date",
       [](CKtkPropExchange* px) {
         COleDateTime d(2023, 2, 29, 0, 0, 0);
         KtkPX_DateTime(px, u"V", d, {});
       },
       u"Invalid DateTime"},
      {"2^32 + 5",
       [](CKtkPropExchange* px) {
         ULONGLONG v = (1ull << 32) + 5;
         KtkPX_ULongLong(px, u"V", v, 0);
       },
       u"1, 5"},
      {"low half 2^31",
       [](CKtkPropExchange* px) {
         ULONGLONG v = 0x80000000ull;
         KtkPX_ULongLong(px, u"V", v, 0);
       },
       u"0, -2147483648"},
      {"escapes",
       [](CKtkPropExchange* px) {
         CString s(u"a\\b\nc\rd\te");
         KtkPX_String(px, u"V", s);
       },
       u"a\\\\b\\nc\\rd\\te"},
      {"float",
       [](CKtkPropExchange* px) {
         double d = 1.0 / 3;
         KtkPX_Double(px, u"V", d, 0);
       },
       u"0.333333"},
      {"rect",
       [](CKtkPropExchange* px) {
         RECT r{1, 2, -3, 4};
         KtkPX_Rect(px, u"V", r, {});
       },
       u"1, 2, -3, 4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto* ini = new CKtkPropExchangeIniFile(FALSE, Windows("forms.ini").c_str(), u"S");
    c.store(ini);
    ini->ExternalRelease();
    WCHAR text[64] = {};
    GetPrivateProfileStringW(u"S", u"V", u"", text, 64, Windows("forms.ini").c_str());
    EXPECT_EQ(std::u16string(text), c.text);

    auto* xml = new CKtkPropExchangeXMLNode(FALSE, nullptr, u"r");
    xml->SetCompactMode(TRUE);
    c.store(xml);
    VARIANT attribute;
    ASSERT_NE(xml->GetElement(), nullptr);
    BSTR name = SysAllocString(u"V");
    ASSERT_EQ(xml->GetElement()->getAttribute(name, &attribute), S_OK);
    SysFreeString(name);
    EXPECT_EQ(std::u16string(attribute.bstrVal), c.text);
    VariantClear(&attribute);
    xml->ExternalRelease();
  }
}

TEST_F(PropExchange, DateTextsRead) {
  struct Case {
    const char16_t* text;
    bool read;
    int year, month, day, hour, minute, second;
  } cases[] = {
      {u"2024-05-03T13:05:09", true, 2024, 3, 5, 13, 5, 9},
      {u"2024-05-03T13:05", true, 2024, 3, 5, 13, 5, 0},
      {u"2024-05-03", true, 2024, 3, 5, 0, 0, 0},  // year, day, month at midnight
      {u"12:30", true, 1899, 12, 30, 12, 30, 0},   // hours and minutes on day zero
      {u"07:08:09", true, 1899, 12, 30, 7, 8, 9},
      {u"2024-05-03T13", false},  // four numbers: not a time of day either
      {u"2024-30-02", false},     // 2 March... the 30th of February
      {u"Invalid DateTime", false},
      {u"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text)));
    WritePrivateProfileStringW(u"S", u"V", c.text, Windows("dates.ini").c_str());
    auto* ini = new CKtkPropExchangeIniFile(TRUE, Windows("dates.ini").c_str(), u"S");
    COleDateTime value(1999, 9, 9, 9, 9, 9);
    const BOOL read = ini->ExchangeProp(u"V", KTK_VT_DATE, &value, nullptr);
    ini->ExternalRelease();
    EXPECT_EQ(read, c.read);
    if (!c.read) {
      EXPECT_TRUE(value == COleDateTime(1999, 9, 9, 9, 9, 9)) << "kept its value";
      continue;
    }
    EXPECT_EQ(value.GetYear(), c.year);
    EXPECT_EQ(value.GetMonth(), c.month);
    EXPECT_EQ(value.GetDay(), c.day);
    EXPECT_EQ(value.GetHour(), c.hour);
    EXPECT_EQ(value.GetMinute(), c.minute);
    EXPECT_EQ(value.GetSecond(), c.second);
  }
}

TEST_F(PropExchange, NumberedSections) {
  // Registry and INI: N0, N1, N2 with "Count" 3, then position 0.
  for (int kind = 0; kind < 2; ++kind) {
    SCOPED_TRACE(kind ? "ini" : "registry");
    auto make = [&](BOOL loading) -> CKtkPropExchange* {
      if (kind == 0) return new CKtkPropExchangeRegistry(loading, HKEY_CURRENT_USER, u"Software\\Taloria\\Sections");
      return new CKtkPropExchangeIniFile(loading, Windows("sections.ini").c_str(), u"Root");
    };
    CKtkPropExchange* store = make(FALSE);
    std::unique_ptr<CKtkPropExchangeEnumerator> items(store->GetEnumerator(u"N"));
    std::vector<CString> names;
    int position = items->GetPosition(3);
    ASSERT_EQ(position, 1);
    for (LONG i = 0; position; ++i) {
      CKtkPropExchange* section = items->GetNext(position);
      ASSERT_NE(section, nullptr);
      LONG value = 10 + i;
      KtkPX_Long(section, u"Value", value, 0);
      section->ExternalRelease();
      EXPECT_EQ(position, i < 2 ? i + 2 : 0);
    }
    items.reset();
    store->ExternalRelease();
    if (kind == 1) {
      WCHAR list[256];
      const DWORD n = GetPrivateProfileSectionNamesW(list, 256, Windows("sections.ini").c_str());
      EXPECT_EQ(std::u16string(list, n), std::u16string(u"Root\0Root\\N0\0Root\\N1\0Root\\N2\0", 29));
    } else {
      HKEY key;
      EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Taloria\\Sections\\N2", 0, KEY_READ, &key), ERROR_SUCCESS);
      RegCloseKey(key);
    }
    CKtkPropExchange* load = make(TRUE);
    items.reset(load->GetEnumerator(u"N"));
    LONG sum = 0;
    for (position = items->GetPosition(0); position;) {
      CKtkPropExchange* section = items->GetNext(position);
      LONG value = 0;
      KtkPX_Long(section, u"Value", value, 0);
      sum += value;
      section->ExternalRelease();
    }
    EXPECT_EQ(items->GetCount(), 3u);
    EXPECT_EQ(sum, 10 + 11 + 12);
    items.reset();
    // Emptying takes the section and every section below it.
    load->EmptySection();
    load->ExternalRelease();
    if (kind == 1) {
      WCHAR list[64];
      EXPECT_EQ(GetPrivateProfileSectionNamesW(list, 64, Windows("sections.ini").c_str()), 0u);
    } else {
      HKEY key;
      EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Taloria\\Sections", 0, KEY_READ, &key), ERROR_SUCCESS);
    }
  }
}

TEST_F(PropExchange, ArchiveSchemaMarker) {
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    CKtkPropExchangeArchive px(ar);
    px.SetSchema(40);
    px.ExchangeSchema();
    LONG value = 5;
    KtkPX_Long(&px, u"x", value, 5);  // written although it is the default
  }
  ASSERT_EQ(file.GetLength(), 12u);
  BYTE bytes[12];
  file.Seek(0, CFile::begin);
  file.Read(bytes, 12);
  const BYTE expected[12] = {0xBF, 0xAD, 0xF0, 0x0F, 40, 0, 0, 0, 5, 0, 0, 0};
  EXPECT_EQ(std::memcmp(bytes, expected, 12), 0);
  struct Case {
    std::vector<BYTE> bytes;
    int schema;
    LONG next;
  } cases[] = {
      {{0xBF, 0xAD, 0xF0, 0x0F, 40, 0, 0, 0, 5, 0, 0, 0}, 40, 5},
      {{7, 0, 0, 0}, KTK_SCHEMA_UNMARKED, 7},  // no marker: the first word is left unread
      {{}, KTK_SCHEMA_UNMARKED, -1},
  };
  for (auto& c : cases) {
    CMemFile in(c.bytes.data(), static_cast<UINT>(c.bytes.size()));
    CArchive ar(&in, CArchive::load);
    CKtkPropExchangeArchive px(ar);
    px.ExchangeSchema();
    EXPECT_EQ(px.GetSchema(), c.schema);
    LONG next = -1;
    if (!c.bytes.empty()) KtkPX_Long(&px, u"x", next);
    EXPECT_EQ(next, c.next);
  }
}

TEST_F(PropExchange, RegistryValueForms) {
  auto* store = new CKtkPropExchangeRegistry(FALSE, HKEY_CURRENT_USER, u"Software\\Taloria\\Forms");
  SHORT s = -2;
  KtkPX_Short(store, u"Short", s, 0);
  // A date-time equal to its default removes the value and succeeds; another is refused.
  COleDateTime date(2001, 1, 1, 0, 0, 0);
  EXPECT_TRUE(KtkPX_DateTime(store, u"Date", date, date));
  EXPECT_FALSE(KtkPX_DateTime(store, u"Date", date, COleDateTime()));
  HKEY key = store->GetKey();
  // A string written without its terminator is read with one added.
  EXPECT_EQ(RegSetValueExW(key, u"Raw", 0, REG_SZ, reinterpret_cast<const BYTE*>(u"abc"), 6), ERROR_SUCCESS);
  store->ExternalRelease();

  HKEY check;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Taloria\\Forms", 0, KEY_READ, &check), ERROR_SUCCESS);
  DWORD type = 0, word = 0, size = 4;
  EXPECT_EQ(RegQueryValueExW(check, u"Short", nullptr, &type, reinterpret_cast<BYTE*>(&word), &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(word, 0xFFFEu) << "a 16-bit value fills the low bytes of a word";
  RegCloseKey(check);

  auto* load = new CKtkPropExchangeRegistry(TRUE, HKEY_CURRENT_USER, u"Software\\Taloria\\Forms");
  CString raw(u"unchanged");
  EXPECT_TRUE(KtkPX_String(load, u"Raw", raw));
  EXPECT_EQ(raw, CString(u"abc"));
  COleDateTime kept(1990, 1, 1, 0, 0, 0);
  EXPECT_FALSE(KtkPX_DateTime(load, u"Date", kept, date)) << "refused when loading, without the default";
  EXPECT_TRUE(kept == COleDateTime(1990, 1, 1, 0, 0, 0));
  LONG missing = 5;
  EXPECT_FALSE(KtkPX_Long(load, u"Missing", missing));
  EXPECT_EQ(missing, 5);
  load->ExternalRelease();
}

TEST_F(PropExchange, ObjectsClassesAndArchivesInStores) {
  CRuntimeClass* base = RUNTIME_CLASS(CObject);
  for (int kind = 0; kind < 3; ++kind) {
    SCOPED_TRACE(kind);
    std::vector<BYTE> archiveBytes;
    auto run = [&](BOOL loading, const Exchanger& fn) {
      if (kind == 0) {
        auto* px = new CKtkPropExchangeIniFile(loading, Windows("objects.ini").c_str(), u"O");
        fn(px);
        px->ExternalRelease();
      } else if (kind == 1) {
        auto* px = new CKtkPropExchangeXMLNode(loading, nullptr, u"o");
        if (loading) {
          ASSERT_TRUE(px->LoadFromFile(Windows("objects.xml").c_str()));
        }
        fn(px);
        if (!loading) px->SaveToFile(Windows("objects.xml").c_str());
        px->ExternalRelease();
      } else if (!loading) {
        CMemFile file;
        {
          CArchive ar(&file, CArchive::store);
          CKtkPropExchangeArchive px(ar);
          fn(&px);
        }
        archiveBytes.resize(static_cast<size_t>(file.GetLength()));
        file.Seek(0, CFile::begin);
        file.Read(archiveBytes.data(), static_cast<UINT>(archiveBytes.size()));
      } else {
        CMemFile file(archiveBytes.data(), static_cast<UINT>(archiveBytes.size()));
        CArchive ar(&file, CArchive::load);
        CKtkPropExchangeArchive px(ar);
        fn(&px);
      }
    };
    CKtkTestItem item;
    run(FALSE, [&](CKtkPropExchange* px) {
      CArchive* ar = px->GetArchive(u"Packed");
      ASSERT_NE(ar, nullptr);
      *ar << static_cast<LONG>(0x01020304) << CString(u"inside");
      px->ReleaseArchive(u"Packed", ar);
      CRuntimeClass* cls = RUNTIME_CLASS(CKtkTestItem);
      EXPECT_TRUE(px->ExchangeRuntimeClass(u"Cls", &cls, base));
      CObject* object = &item;
      EXPECT_TRUE(px->ExchangeObjectInstance(&object, base));
    });
    run(TRUE, [&](CKtkPropExchange* px) {
      CArchive* ar = px->GetArchive(u"Packed");
      ASSERT_NE(ar, nullptr);
      LONG word = 0;
      CString text;
      *ar >> word >> text;
      EXPECT_EQ(word, 0x01020304);
      EXPECT_EQ(text, CString(u"inside"));
      px->ReleaseArchive(u"Packed", ar);
      CRuntimeClass* cls = nullptr;
      EXPECT_TRUE(px->ExchangeRuntimeClass(u"Cls", &cls, base));
      EXPECT_EQ(cls, RUNTIME_CLASS(CKtkTestItem));
      CObject* object = nullptr;
      EXPECT_TRUE(px->ExchangeObjectInstance(&object, base));
      EXPECT_NE(dynamic_cast<CKtkTestItem*>(object), nullptr);
      delete object;
      if (kind < 2) {
        EXPECT_EQ(px->GetArchive(u"Missing"), nullptr);
        CObject* wrong = nullptr;
        EXPECT_FALSE(px->ExchangeObjectInstance(&wrong, RUNTIME_CLASS(CCmdTarget))) << "not derived from the base";
      }
    });
  }
}

TEST_F(PropExchange, XmlSectionsAndEnumerators) {
  auto* root = new CKtkPropExchangeXMLNode(FALSE, nullptr, u"root");
  root->SetCompactMode(TRUE);
  CKtkPropExchange* child = root->GetSection(u"child");
  LONG value = 3;
  KtkPX_Long(child, u"v", value, 0);
  child->ExternalRelease();
  {
    std::unique_ptr<CKtkPropExchangeEnumerator> items(root->GetEnumerator(u"item"));
    int position = items->GetPosition(3);
    for (LONG i = 0; position; ++i) {
      CKtkPropExchange* item = items->GetNext(position);
      LONG n = i;
      KtkPX_Long(item, u"n", n, 1);  // the second item holds only a default
      item->ExternalRelease();
    }
    std::unique_ptr<CKtkPropExchangeEnumerator> none(root->GetEnumerator(u"nothing"));
    EXPECT_EQ(none->GetPosition(0), 0) << "an empty list makes no element";
  }
  EXPECT_EQ(root->GetSectionXML(),
            CString(u"<root CompactMode=\"1\"><child v=\"3\"/><item n=\"0\"/><item/><item n=\"2\"/></root>"));
  BYTE* bytes = nullptr;
  DWORD size = 0;
  ASSERT_TRUE(root->SaveToMemory(&bytes, &size));
  root->ExternalRelease();

  auto* load = new CKtkPropExchangeXMLNode(TRUE, nullptr, u"root");
  ASSERT_TRUE(load->LoadFromBytes(bytes, size));
  free(bytes);
  EXPECT_TRUE(load->HasSection(u"item[@n = \"2\"]"));
  EXPECT_FALSE(load->HasSection(u"item[@n = \"5\"]"));
  std::unique_ptr<CKtkPropExchangeEnumerator> items(load->GetEnumerator(u"item"));
  std::vector<LONG> read;
  for (int position = items->GetPosition(0); position;) {
    CKtkPropExchange* item = items->GetNext(position);
    LONG n = -1;
    KtkPX_Long(item, u"n", n, 1);
    read.push_back(n);
    item->ExternalRelease();
  }
  EXPECT_EQ(read, (std::vector<LONG>{0, 1, 2}));
  // The child section inherited compact mode: its value is an attribute.
  CKtkPropExchange* section = load->GetSection(u"child");
  KtkPX_Long(section, u"v", value = 0, 0);
  EXPECT_EQ(value, 3);
  section->ExternalRelease();
  items.reset();
  load->ExternalRelease();

  // A node that has a "Count" value is read as numbered sections.
  auto* numbered = new CKtkPropExchangeXMLNode(TRUE, nullptr, u"root");
  ASSERT_TRUE(
      numbered->LoadFromText(u"<root><Count>2</Count><N0><v>5</v></N0><N1><v>6</v></N1><N1><v>9</v></N1></root>"));
  items.reset(numbered->GetEnumerator(u"N"));
  LONG sum = 0;
  for (int position = items->GetPosition(0); position;) {
    CKtkPropExchange* item = items->GetNext(position);
    KtkPX_Long(item, u"v", value = 0, 0);
    sum += value;
    item->ExternalRelease();
  }
  EXPECT_EQ(sum, 11);
  items.reset();
  numbered->ExternalRelease();
}

TEST_F(PropExchange, XmlFilesLoadSaveAndEmpty) {
  auto* store = new CKtkPropExchangeXMLNode(FALSE, nullptr, u"settings");
  CString text(u"   ");
  KtkPX_String(store, u"blanks", text, u"");
  CKtkPropExchange* inner = store->GetSection(u"inner");
  LONG v = 1;
  KtkPX_Long(inner, u"v", v, 0);
  inner->ExternalRelease();
  ASSERT_TRUE(store->SaveToFile(Windows("settings.xml").c_str(), TRUE));
  EXPECT_EQ(ReadFile("settings.xml"),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<settings>\r\n\t<blanks>   </blanks>\r\n\t<inner>\r\n"
            "\t\t<v>1</v>\r\n\t</inner>\r\n</settings>\r\n");
  // Saving again replaces the declaration rather than adding one.
  ASSERT_TRUE(store->SaveToFile(Windows("settings.xml").c_str(), FALSE));
  const std::string again = ReadFile("settings.xml");
  EXPECT_EQ(again.find("<?xml"), again.rfind("<?xml"));
  store->ExternalRelease();

  auto* load = new CKtkPropExchangeXMLNode(TRUE, nullptr, u"settings");
  ASSERT_TRUE(load->LoadFromFile(Windows("settings.xml").c_str()));
  KtkPX_String(load, u"blanks", text = u"x", u"");
  EXPECT_EQ(text, CString(u"   "));
  EXPECT_EQ(load->GetSectionName(), CString(u"settings"));
  load->ExternalRelease();

  struct Bad {
    const char* name;
    std::function<BOOL(CKtkPropExchangeXMLNode*)> load;
  } bad[] = {
      {"missing file", [&](CKtkPropExchangeXMLNode* px) { return px->LoadFromFile(Windows("none.xml").c_str()); }},
      {"folder", [&](CKtkPropExchangeXMLNode* px) { return px->LoadFromFile(Windows("registry").c_str()); }},
      {"broken", [&](CKtkPropExchangeXMLNode* px) { return px->LoadFromText(u"<settings>"); }},
      {"other root", [&](CKtkPropExchangeXMLNode* px) { return px->LoadFromText(u"<other/>") && FALSE; }},
  };
  for (const Bad& b : bad) {
    SCOPED_TRACE(b.name);
    auto* px = new CKtkPropExchangeXMLNode(TRUE, nullptr, u"settings");
    EXPECT_FALSE(b.load(px));
    LONG value = 4;
    EXPECT_FALSE(KtkPX_Long(px, u"v", value, 8)) << "unusable";
    EXPECT_EQ(value, 8) << "the default still goes into the variable";
    px->ExternalRelease();
  }

  // Emptying a section takes its element out; the next store makes it afresh.
  auto* edit = new CKtkPropExchangeXMLNode(FALSE, nullptr, u"settings");
  ASSERT_TRUE(edit->LoadFromFile(Windows("settings.xml").c_str()));
  CKtkPropExchange* section = edit->GetSection(u"inner");
  section->EmptySection();
  KtkPX_Long(section, u"w", v = 2, 0);
  section->ExternalRelease();
  EXPECT_EQ(edit->GetSectionXML(), CString(u"<settings><blanks>   </blanks><inner><w>2</w></inner></settings>"));
  edit->ExternalRelease();
}

}  // namespace

namespace {

TEST_F(PropExchange, TemporaryIniFileAndCopies) {
  auto* ini = new CKtkPropExchangeIniFile(FALSE, nullptr, u"S");
  LONG value = 12;
  ASSERT_TRUE(KtkPX_Long(ini, u"v", value, 0));
  const CString temporary = ini->GetFileName();
  EXPECT_NE(temporary.Find(u"ktk"), -1);
  WriteFile("copy.ini", std::string("stale"));
  ASSERT_TRUE(ini->CopyToFile(Windows("copy.ini").c_str()));
  ini->ExternalRelease();
  EXPECT_EQ(GetFileAttributesW(temporary), INVALID_FILE_ATTRIBUTES) << "its own temporary file goes with it";
  EXPECT_EQ(GetPrivateProfileIntW(u"S", u"v", 0, Windows("copy.ini").c_str()), 12u);

  // A long value (a blob of 10000 bytes is 20000 letters) reads back whole.
  std::vector<BYTE> big(10000);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<BYTE>(i * 7);
  auto* store = new CKtkPropExchangeIniFile(FALSE, Windows("copy.ini").c_str(), u"S");
  store->Write(u"blob", big.data(), static_cast<DWORD>(big.size()));
  store->ExternalRelease();
  auto* load = new CKtkPropExchangeIniFile(TRUE, Windows("copy.ini").c_str(), u"S");
  std::vector<BYTE> back(big.size());
  EXPECT_EQ(load->Read(u"blob", back.data(), static_cast<DWORD>(back.size())), big.size());
  EXPECT_EQ(back, big);
  std::vector<BYTE> small(10);
  EXPECT_EQ(load->Read(u"blob", small.data(), 10), 0u) << "a buffer smaller than the data";
  load->ExternalRelease();
}

TEST_F(PropExchange, XmlSectionCopiedUnderAnother) {
  auto* from = new CKtkPropExchangeXMLNode(TRUE, nullptr, u"a");
  ASSERT_TRUE(from->LoadFromText(u"<a><part x=\"1\"><deep/></part></a>"));
  auto* part = static_cast<CKtkPropExchangeXMLNode*>(from->GetSection(u"part"));
  auto* to = new CKtkPropExchangeXMLNode(FALSE, nullptr, u"b");
  ASSERT_TRUE(part->CopySectionTo(to));
  EXPECT_EQ(to->GetSectionXML(), CString(u"<b><part x=\"1\"><deep/></part></b>"));
  EXPECT_EQ(part->GetSectionName(), CString(u"part"));
  part->ExternalRelease();
  from->ExternalRelease();
  to->ExternalRelease();
}

}  // namespace
