// Every PNG and JPEG inside the XMind files other programs wrote loads at the size its
// header declares.
#include <zip.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "Canvas.h"
#include "Files.h"
#include "kx2/ImageCodec.h"

namespace {

std::filesystem::path MapsFolder() {
  const char* shared = getenv("KX2_SHARED_DIR");
  return std::filesystem::path(shared ? shared : KX2_SHARED_DIR) / "testdata" / "maps" / "xmind";
}

bool IsPicture(const std::string& name) {
  std::string lower;
  for (char c : name) lower += char(tolower(static_cast<unsigned char>(c)));
  for (const char* ext : {".png", ".jpg", ".jpeg"})
    if (lower.size() > strlen(ext) && lower.compare(lower.size() - strlen(ext), strlen(ext), ext) == 0) return true;
  return false;
}

}  // namespace

TEST(LuminarMaps, PicturesInsideXmindFilesLoadAtTheirDeclaredSize) {
  const std::filesystem::path folder = MapsFolder();
  if (!std::filesystem::is_directory(folder)) GTEST_SKIP() << folder << " is absent (../shared is not here)";
  TempFolder temp;
  int pictures = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() != ".xmind") continue;
    int error = 0;
    zip_t* archive = zip_open(entry.path().c_str(), ZIP_RDONLY, &error);
    if (!archive) continue;  // an old XMind file that is not a zip
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
      const char* name = zip_get_name(archive, zip_uint64_t(i), 0);
      zip_stat_t st;
      if (!name || !IsPicture(name) || zip_stat_index(archive, zip_uint64_t(i), 0, &st) != 0) continue;
      std::vector<uint8_t> bytes(size_t(st.size));
      zip_file_t* file = zip_fopen_index(archive, zip_uint64_t(i), 0);
      ASSERT_NE(file, nullptr);
      ASSERT_EQ(zip_fread(file, bytes.data(), st.size), zip_int64_t(st.size));
      zip_fclose(file);
      int w = 0, h = 0;
      ASSERT_TRUE(Kx2ProbeImageSize(bytes.data(), bytes.size(), &w, &h)) << entry.path().filename() << " " << name;
      const std::string path = temp.File("picture");
      FILE* out = fopen(path.c_str(), "wb");
      fwrite(bytes.data(), 1, bytes.size(), out);
      fclose(out);
      ImageHolder image;
      ASSERT_TRUE(NativeImageLoadFromFile(image.h, WinPath(path).c_str(), 0)) << entry.path().filename() << " " << name;
      EXPECT_EQ(NativeImageGetWidth(image.h), unsigned(w)) << name;
      EXPECT_EQ(NativeImageGetHeight(image.h), unsigned(h)) << name;
      ++pictures;
    }
    zip_close(archive);
  }
  EXPECT_GT(pictures, 0);
}
