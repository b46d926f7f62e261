// The update button's address: the feed arrives over plain HTTP, so whoever answers it
// could name a file or a program there. Only web addresses are handed to the shell.
#include <renewal/UpdateDialogParts.h>
#include <win/shell.h>
#include <win/user.h>

namespace renewal {

namespace {

bool StartsWithI(std::u16string_view text, std::u16string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    char16_t c = text[i];
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

}  // namespace

bool IsWebAddress(std::u16string_view url) {
  size_t rest = 0;
  if (StartsWithI(url, u"http://"))
    rest = 7;
  else if (StartsWithI(url, u"https://"))
    rest = 8;
  else
    return false;
  // A host must follow, and nothing the opener could take as a second word or a line.
  if (url.size() == rest || url[rest] == u'/') return false;
  for (char16_t c : url)
    if (c <= u' ' || c == 0x7F) return false;
  return true;
}

BOOL OpenUpdateAddress(HWND owner, const std::u16string& url) {
  if (!IsWebAddress(url)) return FALSE;
  auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(owner, u"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

}  // namespace renewal
