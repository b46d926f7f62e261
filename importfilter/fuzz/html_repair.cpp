// Makes arbitrary text well-formed as FreeMind 0.8's HTML titles are, and checks that the
// host's XML parser then always takes it.
#include <cstdint>
#include <cstdlib>
#include <string>

#include <foliant/html/html_repair.h>
#include <kx2/Ref.h>
#include <kx2/Utf.h>
#include <vantorel/exports.h>
#include <vantorel/host_api.h>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  VtlGetApplication();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::u16string text = kx2::Utf8ToUtf16(std::string(reinterpret_cast<const char*>(data), size));
  const std::string xml = HTML::RepairHtml(text);
  kx2::Ref<IKX2XMLFactory> factory(VtlGetApplication()->GetXMLFactory());
  kx2::Ref<IKX2XMLParser> parser(factory->CreateParser());
  kx2::Ref<IKX2XMLDocument> document(
      parser->Parse(reinterpret_cast<const BYTE*>(xml.data()), static_cast<ULONG>(xml.size())));
  // Well-formed by construction; only nesting past the parser's limit (256) may refuse it,
  // and each tag opens at most two elements (itself and an implied body).
  size_t tags = 0;
  for (char16_t c : text) tags += c == u'<';
  if (!document && tags < 120) std::abort();
  return 0;
}
