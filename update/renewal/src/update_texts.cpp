// The dialog's messages, read from the library's own string table.
#include <renewal/UpdateDialogParts.h>
#include <win/module.h>
#include <win/resource.h>

namespace renewal {

namespace {

// The buffer the texts are read into.
constexpr int kTextBuffer = 2000;

UINT StringOfState(int state) {
  switch (state) {
    case kStateNewer:
      return kStringNewVersion;
    case kStateDeclined:
      return kStringDeclined;
    case kStateChecking:
      return kStringChecking;
    case kStateNetworkProblem:
      return kStringNetworkProblem;
    default:
      return kStringLatest;
  }
}

}  // namespace

std::u16string UpdateMessageText(int state, const std::u16string& versionText) {
  char16_t buffer[kTextBuffer] = {};
  LoadStringW(GetModuleHandleW(u"Renewal_Enu"), StringOfState(state), buffer, kTextBuffer);
  std::u16string text(buffer);
  // Only "%s" is filled in: the text is never used as a format, so no other sequence of
  // it can read what was not passed.
  for (size_t at = text.find(u"%s"); at != std::u16string::npos; at = text.find(u"%s", at + versionText.size()))
    text.replace(at, 2, versionText);
  return text;
}

}  // namespace renewal
