// The XMind importer's driver: probing, one document per sheet, failures as 0 results with
// their cause in the error record, the refusal of XMind 2020 packages, the depth limit and
// the temporary files.
#include <kx2/MessageBoxSink.h>
#include <win/user.h>
#include <vantorel/exports.h>

#include "xmind_test_support.h"

namespace {

using namespace xmind_test;
using Basalt::Error::BaseError;

std::string Sheet(const std::string& id, const std::string& central) {
  return "<sheet id=\"" + id + "\"><topic id=\"" + id + "t\"><title>" + central + "</title></topic><title>Sheet " + id +
         "</title></sheet>";
}

std::string ErrorText() {
  Basalt::Error::tagKx2ErrorBuf buf{};
  BaseError::_StoreError(&buf);
  std::string text;
  for (size_t i = 0; i < Basalt::Error::kErrorTextUnits && buf.text[i]; ++i) text += static_cast<char>(buf.text[i]);
  return text;
}

// The host's application with no XML factory.
class NoXmlApplication : public IVtlApplication {
 public:
  HRESULT QueryInterface(REFIID, void** out) override {
    if (out) *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
  IVtlDocumentManager* GetDocumentManager() override { return real_->GetDocumentManager(); }
  IVtlFileStore* GetFileStore() override { return real_->GetFileStore(); }
  IVtlFontList* GetFontList() override { return real_->GetFontList(); }
  IKX2XMLFactory* GetXMLFactory() override { return nullptr; }
  IVtlResourceCache* GetResourceCache() override { return real_->GetResourceCache(); }

 private:
  IVtlApplication* real_ = VtlGetApplication();
};

class XMindDriver : public XMindTest {};

TEST_F(XMindDriver, ProbesTheExtensionAndTheContentEntry) {
  const std::string content = xmindtest::Content(Sheet("s1", "A"));
  const struct {
    const char* name;
    xmindtest::Entries entries;
    int expected;
  } cases[] = {
      {"map.xmind", {{"content.xml", content}}, 1},
      {"UPPER.XMIND", {{"content.xml", content}}, 1},
      {"newer.xmind", {{"content.json", "[]"}, {"content.xml", content}}, 1},
      {"map.zip", {{"content.xml", content}}, 0},
      {"nocontent.xmind", {{"styles.xml", "<x/>"}}, 0},
      {"xmind", {{"content.xml", content}}, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(ProbePath(Package(c.name, c.entries)), c.expected) << c.name;
  EXPECT_EQ(ProbePath(kx2::ToWindowsPath((folder_ / "missing.xmind").string())), 0);
}

TEST_F(XMindDriver, EverySheetGetsADocumentTheFirstTheOpenOne) {
  const std::string sheets = Sheet("s1", "One") + Sheet("s2", "Two") + Sheet("s3", "Three");
  const struct {
    bool receptive;  // an open document that may receive the import
    size_t documents;
    size_t firstSheetDocument;
  } cases[] = {{true, 3, 0}, {false, 4, 1}};
  for (const auto& c : cases) {
    vantorel::OpenDocument(c.receptive);
    ASSERT_EQ(ImportPath(Map(sheets)), 1);
    const Value documents = Documents();
    ASSERT_EQ(Count(&documents), c.documents);
    const char* const titles[] = {"One", "Two", "Three"};
    for (size_t i = 0; i < 3; ++i) {
      const Value* document = Item(&documents, c.firstSheetDocument + i);
      EXPECT_EQ(Text(Member(Member(document, "topic"), "text")), titles[i]);
      EXPECT_EQ(Int(Member(document, "sheets-done")), 1);
      const std::string made = Text(Member(document, "template"));
      if (i == 0 && c.receptive) {
        EXPECT_EQ(made, "");
      } else {
        EXPECT_EQ(made.substr(made.size() < 13 ? 0 : made.size() - 13), "\\Default.etqt");
        EXPECT_EQ(Text(Member(document, "type")), "ETQT");
        EXPECT_EQ(Text(Member(document, "options")), ";template:true;default:true;fitindefault:true");
      }
    }
    EXPECT_EQ(Text(Member(Item(&documents, c.firstSheetDocument + 1), "title")), "Sheet s2");
    vantorel::CloseAllDocuments();
  }
}

TEST_F(XMindDriver, FailuresAreZeroWithTheirCause) {
  const struct {
    const char* name;
    xmindtest::Entries entries;
    bool noXmlFactory;
    uint32_t error;
  } cases[] = {
      {"empty.xmind", {{"content.xml", ""}}, false, 0},
      // The parser's reason is the error record's message.
      {"broken.xmind", {{"content.xml", "<xmap-content><sheet>"}}, false, 1},
      {"noroot.xmind", {{"content.xml", "<?xml version=\"1.0\"?>"}}, false, 1},
      {"nofactory.xmind", {{"content.xml", xmindtest::Content(Sheet("s1", "A"))}}, true, 16},
      {"nosheet.xmind", {{"content.xml", xmindtest::Content("<notes/>")}}, false, 16},
  };
  for (const auto& c : cases) {
    NoXmlApplication noXml;
    BaseError::_ClearError();
    EXPECT_EQ(ImportPath(Package(c.name, c.entries), c.noXmlFactory ? &noXml : nullptr), 0) << c.name;
    EXPECT_EQ(BaseError::_GetError(), c.error) << c.name;
    EXPECT_EQ(vantorel::DocumentCount(), 0) << c.name;
  }
  EXPECT_EQ(ImportPath(kx2::ToWindowsPath((folder_ / "missing.xmind").string())), 0);
}

TEST_F(XMindDriver, RefusesXMind2020PackagesBeforeMakingADocument) {
  kx2::SetMessageBoxEcho(false);
  kx2::TakeMessageBoxes();
  BaseError::_ClearError();
  const std::u16string path =
      Package("newer.xmind", {{"content.json", "[{}]"}, {"content.xml", xmindtest::Content(Sheet("s1", "Warning"))}});
  EXPECT_EQ(ImportPath(path), 0);
  EXPECT_EQ(vantorel::DocumentCount(), 0);
  const std::string text = ErrorText();
  EXPECT_NE(text.find("XMind 2020"), std::string::npos) << text;
  const auto boxes = kx2::TakeMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].type & 0xF0, static_cast<UINT>(MB_ICONEXCLAMATION));
  EXPECT_NE(boxes[0].text.find(u"XMind 2020"), std::u16string::npos);
}

TEST_F(XMindDriver, TopicsNestedTooDeeplyEndTheImportWithAnError) {
  auto nested = [](int levels) {
    std::string open, close;
    for (int i = 0; i < levels; ++i) {
      open += "<children><topics type=\"attached\"><topic><title>t</title>";
      close = "</topic></topics></children>" + close;
    }
    return "<topic><title>root</title>" + open + close + "</topic>";
  };
  EXPECT_EQ(ImportTopic(nested(foliant::kMaxXMindTopicDepth)), 1);
  vantorel::CloseAllDocuments();
  BaseError::_ClearError();
  EXPECT_EQ(ImportTopic(nested(foliant::kMaxXMindTopicDepth + 1)), 0);
  EXPECT_NE(ErrorText().find("nested deeper than 64 levels"), std::string::npos) << ErrorText();
}

TEST_F(XMindDriver, EveryExtractionGetsItsOwnFileAndNoneIsLeft) {
  const std::string topic =
      "<topic><title>c</title><children><topics type=\"attached\">"
      "<topic><title>one</title><xhtml:img xhtml:src=\"xap:attachments/one.png\"/></topic>"
      "<topic><title>two</title><xhtml:img xhtml:src=\"xap:attachments/two.png\"/></topic>"
      "<topic xlink:href=\"xap:attachments/notes.txt\"><title>notes.txt</title></topic>"
      "<topic><title>one again</title><xhtml:img xhtml:src=\"xap:attachments/one.png\"/></topic>"
      "</topics></children></topic>";
  vantorel::OpenDocument(true);
  const std::u16string path =
      Package("pictures.xmind", {{"content.xml", xmindtest::Content("<sheet>" + topic + "</sheet>")},
                                 {"attachments/one.png", std::string(10, '1')},
                                 {"attachments/two.png", std::string(20, '2')},
                                 {"attachments/notes.txt", "hello"}});
  ASSERT_EQ(ImportPath(path), 1);
  const Value document = Document();
  auto storedBytes = [&](size_t child) {
    const Value* picture = Attached(TopicAt(document, {child}), "picture");
    return Int(Member(Member(Member(picture, "format -1"), "0x4000"), "bytes"));
  };
  EXPECT_EQ(storedBytes(0), 10);
  EXPECT_EQ(storedBytes(1), 20);
  EXPECT_EQ(storedBytes(3), 10) << "an entry named twice is extracted once and stored for both";
  auto storedNumber = [&](size_t child) {
    const Value* picture = Attached(TopicAt(document, {child}), "picture");
    return Int(Member(Member(Member(picture, "format -1"), "0x4000"), "stored-file"));
  };
  EXPECT_EQ(storedNumber(3), storedNumber(0)) << "both name the one stored copy";
  EXPECT_NE(storedNumber(1), storedNumber(0));
  const Value* attachment = Attached(TopicAt(document, {2}), "attachment");
  EXPECT_EQ(Text(Member(attachment, "file-name")), "notes.txt");
  EXPECT_EQ(Int(Member(attachment, "file-size")), 5);
  EXPECT_EQ(Int(Member(Member(attachment, "0x4003"), "bytes")), 5);
  EXPECT_EQ(TemporaryFiles(), 0u);
}

}  // namespace
