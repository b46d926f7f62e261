// Bytes as ConfigFont1.cfg and ConfigFont2.cfg (split at the first "\n--\n" of the input,
// the second half taken whole when there is none): sections, keys, lists, classes and rules
// are read over the font table, then faces are substituted and class members walked.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include <plastrum/present/text/FontConfig.h>

using namespace Present::Text;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  InitFontConfiguration();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const uint8_t kSplit[] = {'\n', '-', '-', '\n'};
  size_t cut = size;
  for (size_t i = 0; i + sizeof kSplit <= size; ++i)
    if (std::memcmp(data + i, kSplit, sizeof kSplit) == 0) {
      cut = i;
      break;
    }
  const uint8_t* two = cut < size ? data + cut + sizeof kSplit : data;
  const size_t twoSize = cut < size ? size - cut - sizeof kSplit : size;
  ApplyFontConfigurationBytes(data, cut, two, twoSize);
  WCHAR out[kFaceUnits];
  for (const char16_t* face : {u"Arial", u"SimSun", u"DejaVu Sans", u"WenQuanYi Micro Hei", u"Sans"}) {
    SubstituteFace(face, out, kFaceUnits);
    for (int i = 0; i < 8 && NextClassMember(face, i & 1, out, kFaceUnits); ++i) {}
  }
  for (const auto& rule : SubstRules())
    for (const auto& f : rule.faces) SubstituteFace(f.faceName, out, kFaceUnits);
  return 0;
}
