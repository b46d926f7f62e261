// The update feed as the silent check reads it: the input bytes are the feed file left by
// a download, read through ReadFeed and compared through CompareWithFeed. Whatever the
// file holds, the check answers 0 or 1, reads the version text back as four numbers and
// never reads past what it was given; the feed's url passes the update button's address
// check only as a web address with nothing the opener could split.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cctype>
#include <cstdlib>
#include <string>

#include <kx2/Utf.h>
#include <renewal/Renewal.h>
#include <renewal/UpdateDialogParts.h>

namespace {

const std::string& FeedFile() {
  static const std::string path = [] {
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/fuzz_update_feed." + std::to_string(::getpid()) + ".xml";
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FILE* file = std::fopen(FeedFile().c_str(), "wb");
  if (!file) std::abort();
  if (size && std::fwrite(data, 1, size, file) != size) std::abort();
  std::fclose(file);

  renewal::OnlineUpdateVersioinCheck check;
  check.SetFeedPath(u"Z:" + kx2::Utf8ToUtf16(FeedFile()));
  renewal::UpdateFeedInfo info;
  if (check.ReadFeed(&info) != 1) std::abort();
  const renewal::FeedVersion versions[] = {
      {0, 0, 0, 0}, {1, 6, 0, 0}, {info.major, info.minor, info.patch, info.revision}, {INT32_MAX, 0, 0, 0}};
  for (const auto& current : versions) {
    int answer = check.CompareWithFeed(&current);
    if (answer != 0 && answer != 1) std::abort();
  }
  // The feed's own version is never newer than itself.
  if (check.CompareWithFeed(&versions[2]) != 1) std::abort();
  char16_t text[4 * 12 + 4];
  check.GetFeedVersionText(text);
  if (kx2::Utf16ToUtf8(text) != std::to_string(info.major) + "." + std::to_string(info.minor) + "." +
                                    std::to_string(info.patch) + "." + std::to_string(info.revision))
    std::abort();
  if (renewal::IsWebAddress(info.url)) {
    std::string url = kx2::Utf16ToUtf8(info.url);
    std::string scheme = url.substr(0, 8);
    for (char& c : scheme) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (scheme.rfind("http://", 0) != 0 && scheme != "https://") std::abort();
    for (char16_t c : info.url)
      if (c <= u' ' || c == 0x7F) std::abort();
  }
  return 0;
}
