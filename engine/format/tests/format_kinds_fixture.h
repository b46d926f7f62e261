// A started shape library for the format-kind tests: the engine with the kit's binary-data
// store, every table with its fixed entries, and checks on the way out that the store's
// references balance and no host object is left alive.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <plastrum/format/Present3DFormat.h>
#include <plastrum/format/PresentColor.h>
#include <plastrum/format/PresentEngine.h>
#include <plastrum/format/PresentFill.h>
#include <plastrum/format/PresentLine.h>
#include <plastrum/format/PresentShadow.h>
#include <plastrum/format/ShapeTableRegistry.h>
#include <plastrum/format/XmlConventions.h>
#include <vantorel/testing/leak_check.h>
#include <vantorel/testkit_bindata.h>
#include <vantorel/testkit_mapper.h>
#include <vantorel/testkit_xml.h>

namespace format_test {

class KindsFixture : public vantorel::testing::HostLeakCheck {
 protected:
  void SetUp() override {
    HostLeakCheck::SetUp();
    store_ = std::make_unique<vantorel::testkit::BinDataKit>();
    engine_ = Present::CreatePresentEngineObject();
    ASSERT_NE(engine_, nullptr);
    engine_->SetOption(reinterpret_cast<LONG_PTR>(store_->store()));
    ASSERT_EQ(Present::StartShapeTables(), 0);
  }
  void TearDown() override {
    Present::StopShapeTables();
    EXPECT_EQ(store_->TotalReferences(), 0) << "store references left";
    EXPECT_EQ(store_->BadReleases(), 0) << "store references given back twice";
    Present::DestroyPresentEngineObject();
    store_.reset();
    HostLeakCheck::TearDown();
  }

  // Interned identifiers, taken with one reference each.
  template <class Value>
  static uint16_t Intern(CKx2ShapeTbl<Value>& table, const Value& value) {
    const int32_t id = table.Intern(value);
    EXPECT_GE(id, 0);
    return static_cast<uint16_t>(id);
  }
  template <class Value>
  static int32_t Count(CKx2ShapeTbl<Value>& table, uint32_t id) {
    return table.GetEntry(id)->refCount;
  }

  // An XML exchange writing under a fresh root of the kit (mapper: the kit's outer mapper,
  // which maps every identifier to itself).
  struct XmlWriter {
    vantorel::testkit::XmlKit xml;
    ShapeXmlArchive archive;
    explicit XmlWriter(IKx2ShapeMapperCtx* mapper) {
      archive.factory = xml.document();
      archive.current = xml.root();
      archive.mapper = mapper;
    }
    std::string Text() const { return vantorel::testkit::XmlKit::Xml(xml.root()); }
  };
  struct XmlReader {
    IKX2XMLElement* root;
    ShapeXmlArchive archive;
    XmlReader(const std::string& text, IKx2ShapeMapperCtx* mapper) : root(vantorel::testkit::XmlKit::Parse(text)) {
      archive.mode = 1;
      archive.current = root;
      archive.mapper = mapper;
    }
    ~XmlReader() {
      if (root) root->Release();
    }
  };

  CPresentEngine* engine_ = nullptr;
  std::unique_ptr<vantorel::testkit::BinDataKit> store_;
  vantorel::testkit::OuterMapperKit outer_;
};

}  // namespace format_test
