// Runs the rich-text parser over arbitrary XML and writes what it made into a note of the
// host stand-in, as the FreeMind importer does with a "richcontent".
#include <cstdint>
#include <string>
#include <vector>

#include <foliant/common/face_resolution.h>
#include <kx2/Ref.h>
#include <foliant/common/rich_text_writer.h>
#include <foliant/html/html_parser.h>
#include <vantorel/exports.h>
#include <vantorel/host_api.h>
#include <vantorel/object_census.h>

#include "fuzz_seeds.h"

namespace {

// Every "<html" ... "</html>" stretch of a map: the rich texts FreeMind keeps.
std::vector<std::string> HtmlOf(const std::string& map) {
  std::vector<std::string> seeds;
  for (size_t at = map.find("<html"); at != std::string::npos; at = map.find("<html", at + 1)) {
    const size_t end = map.find("</html>", at);
    if (end == std::string::npos) break;
    seeds.push_back(map.substr(at, end + 7 - at));
  }
  return seeds;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzz_seeds::AddRealMapSeeds(argc, argv, "mm", HtmlOf);
  VtlGetApplication();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  IVtlApplication* app = VtlGetApplication();
  kx2::Ref<IKX2XMLFactory> factory(app->GetXMLFactory());
  kx2::Ref<IKX2XMLParser> parser(factory ? factory->CreateParser() : nullptr);
  if (!parser) return 0;
  kx2::Ref<IKX2XMLDocument> document(parser->Parse(data, static_cast<ULONG>(size)));
  kx2::Ref<IKX2XMLElement> root(document ? document->GetDocumentElement() : nullptr);
  if (!root) return 0;
  HTML::HTMLParser html;
  html.SetElement(root.get());
  if (!html.Parse()) return 0;

  vantorel::OpenDocument(true);
  {
    ULONG_PTR position = vantorel::DocumentManager()->GetFirstDocumentPosition();
    kx2::Ref<IVtlModel> model(vantorel::DocumentManager()->GetNextDocument(&position)->GetModel());
    kx2::Ref<IVtlObject> topic(model->GetRootNode(0));
    foliant::FaceResolver faces(app);
    foliant::RichTextWriter writer(model.get(), &faces);
    if (writer.Begin(topic.get())) writer.WriteParagraphs(html.GetParagraphs());
  }
  vantorel::CloseAllDocuments();
  return 0;
}
