#include <foliant/common/import_failure.h>

#include <string_view>

#include <basalt/base_api.h>
#include <basalt/error.h>
#include "common/import_session.h"
#include <vantorel/xml_interfaces.h>
#include <win/user.h>

namespace foliant {
namespace {

constexpr UINT kTooDeepText = 22049;
constexpr UINT kFailureCaption = 22050;
constexpr UINT kTooLargeText = 22051;

void ReplaceAll(std::u16string& text, std::u16string_view from, std::u16string_view to) {
  for (size_t at = text.find(from); at != std::u16string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

}  // namespace

void ReportImportFailure(const std::u16string& text) {
  Basalt::Util::BaseAPI::_MessageBox(nullptr, text.c_str(), LoadText(kFailureCaption).c_str(), MB_ICONEXCLAMATION);
  Basalt::Error::BaseError::_SetErrorMesg(text.c_str());
}

std::u16string TooDeepText(int levels) {
  std::u16string text = LoadText(kTooDeepText);
  const std::string digits = std::to_string(levels);
  ReplaceAll(text, u"%1", std::u16string(digits.begin(), digits.end()));
  return text;
}

std::u16string TooLargeText(uint64_t bytes) {
  std::u16string text = LoadText(kTooLargeText);
  const std::string digits = std::to_string(bytes >> 20);
  ReplaceAll(text, u"%1", std::u16string(digits.begin(), digits.end()));
  return text;
}

std::u16string ParseFailureText(LPCWSTR parserError, int levels) {
  const std::u16string_view error = parserError ? parserError : u"";
  if (error.substr(0, std::char_traits<char16_t>::length(kXmlTooDeepError)) == kXmlTooDeepError)
    return TooDeepText(levels);
  return error.empty() ? std::u16string(u"not well-formed XML") : std::u16string(error);
}

}  // namespace foliant
