// vantorel render on the example maps: probes of the painted picture at the pixel boxes the
// command reports with --json, its exit codes, and every real map rendered without a crash
// or a leak.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <string>

#include <kx2/ImageCodec.h>
#include <kx2/PathMap.h>

namespace {

const std::string kExamples = std::string(KX2_SOURCE_DIR) + "/examples";

struct RunResult {
  std::string out;
  int code = -1;
};

RunResult RunVantorel(const std::string& args) {
  std::string command = "cd '" + kExamples + "' && '" KX2_BIN_DIR "/vantorel' " + args + " 2>&1";
  RunResult r;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return r;
  std::array<char, 4096> buffer;
  size_t n;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) r.out.append(buffer.data(), n);
  const int status = pclose(pipe);
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return r;
}

struct Box {
  int x = 0, y = 0, width = 0, height = 0;
  int Right() const { return x + width; }
  int Bottom() const { return y + height; }
  bool Contains(const Box& o) const { return o.x >= x && o.y >= y && o.Right() <= Right() && o.Bottom() <= Bottom(); }
};

// The box named `key` ("box" or "text-box") of the topic at `path` in the --json output.
bool BoxOf(const std::string& json, const std::string& path, const std::string& key, Box* box) {
  const size_t at = json.find("\"path\": \"" + path + "\"");
  if (at == std::string::npos) return false;
  const size_t end = json.find("\"path\":", at + 1);
  const std::string topic = json.substr(at, end == std::string::npos ? std::string::npos : end - at);
  std::smatch m;
  const std::regex re("\"" + key +
                      "\": \\{\\s*\"x\": (-?\\d+),\\s*\"y\": (-?\\d+),\\s*\"width\": (\\d+),\\s*\"height\": (\\d+)");
  if (!std::regex_search(topic, m, re)) return false;
  *box = Box{std::stoi(m[1]), std::stoi(m[2]), std::stoi(m[3]), std::stoi(m[4])};
  return true;
}

class Picture {
 public:
  explicit Picture(const std::string& path) {
    ok_ = Kx2DecodeImageFile(kx2::ToWindowsPath(path).c_str(), &image_) != FALSE;
  }
  ~Picture() {
    if (ok_) Kx2FreeDecodedImage(&image_);
  }
  bool ok() const { return ok_; }
  int width() const { return ok_ ? image_.width : 0; }
  int height() const { return ok_ ? image_.height : 0; }
  // 0xRRGGBB, or 0xFFFFFFFF outside the picture.
  uint32_t At(int x, int y) const {
    if (!ok_ || x < 0 || y < 0 || x >= image_.width || y >= image_.height) return 0xFFFFFFFFu;
    const uint8_t* p = image_.pixels + (size_t(y) * image_.width + x) * 4;
    return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
  }
  // A pixel within `radius` of (x, y) whose channels each lie within `tolerance` of rgb.
  bool Near(int x, int y, int radius, uint32_t rgb, int tolerance = 40) const {
    for (int dy = -radius; dy <= radius; ++dy)
      for (int dx = -radius; dx <= radius; ++dx) {
        const uint32_t c = At(x + dx, y + dy);
        if (c == 0xFFFFFFFFu) continue;
        bool close = true;
        for (int s = 0; s < 24; s += 8) close &= std::abs(int((c >> s) & 0xFF) - int((rgb >> s) & 0xFF)) <= tolerance;
        if (close) return true;
      }
    return false;
  }
  static bool Ink(uint32_t c) { return ((c >> 16) & 0xFF) < 110 && ((c >> 8) & 0xFF) < 110 && (c & 0xFF) < 110; }

 private:
  Kx2DecodedImage image_{};
  bool ok_ = false;
};

// Two pictures of one size within the golden tolerance: a mean difference of at most 2 per
// channel and under 0.5% of pixels off by more than 32.
void ExpectWithinTolerance(const std::string& gotPath, const std::string& wantPath) {
  Picture got(gotPath), want(wantPath);
  ASSERT_TRUE(got.ok() && want.ok()) << gotPath << " / " << wantPath;
  ASSERT_EQ(got.width(), want.width()) << gotPath;
  ASSERT_EQ(got.height(), want.height()) << gotPath;
  double sum = 0;
  long off = 0;
  for (int y = 0; y < got.height(); ++y)
    for (int x = 0; x < got.width(); ++x) {
      const uint32_t a = got.At(x, y), b = want.At(x, y);
      int worst = 0;
      for (int sh = 0; sh < 24; sh += 8) {
        const int d = std::abs(int((a >> sh) & 0xFF) - int((b >> sh) & 0xFF));
        sum += d;
        worst = std::max(worst, d);
      }
      off += worst > 32 ? 1 : 0;
    }
  const double pixels = double(got.width()) * got.height();
  EXPECT_LE(sum / (3 * pixels), 2.0) << gotPath;
  EXPECT_LT(off / pixels, 0.005) << gotPath;
}

class VantorelRender : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("vantorel_render_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Out(const std::string& name) const { return (dir_ / name).string(); }
  std::filesystem::path dir_;
};

TEST_F(VantorelRender, LisbonTripProbes) {
  const std::string png = Out("lisbon.png");
  const RunResult r = RunVantorel("render lisbon-trip.mm -o '" + png + "' --json");
  ASSERT_EQ(r.code, 0) << r.out;
  EXPECT_NE(r.out.find("6 topics, 5 branches, 1 relationships, 1 boundaries"), std::string::npos) << r.out;
  Picture pic(png);
  ASSERT_TRUE(pic.ok());

  // The two topics under the folded "Transport" are hidden; its fold mark is drawn just
  // outside its outer edge, clear of the text.
  Box hidden;
  EXPECT_FALSE(BoxOf(r.out, "Trip to Lisbon/Transport/Flight", "box", &hidden));
  EXPECT_FALSE(BoxOf(r.out, "Trip to Lisbon/Transport/Airport bus", "box", &hidden));
  Box root, rootText, transport, places, mail, boundary;
  ASSERT_TRUE(BoxOf(r.out, "Trip to Lisbon", "box", &root));
  ASSERT_TRUE(BoxOf(r.out, "Trip to Lisbon", "text-box", &rootText));
  ASSERT_TRUE(BoxOf(r.out, "Trip to Lisbon/Transport", "box", &transport));
  ASSERT_TRUE(BoxOf(r.out, "Trip to Lisbon/Places", "box", &places));
  ASSERT_TRUE(BoxOf(r.out, "Trip to Lisbon/Mail the hotel", "box", &mail));
  EXPECT_TRUE(pic.Near(transport.Right() + 2, transport.y + transport.height / 2, 2, 0x0E9DD7, 60))
      << "fold mark right of Transport";
  EXPECT_TRUE(pic.Near(transport.Right() + 15, transport.y + transport.height / 2, 2, 0x0E9DD7, 60))
      << "fold mark's far side";
  EXPECT_FALSE(pic.Near(transport.Right() - 4, transport.y + transport.height / 2, 2, 0x0E9DD7, 60))
      << "fold mark inside the box";

  // The root's fill between its text and its border.
  EXPECT_EQ(pic.At((root.x + rootText.x) / 2 + 1, root.y + root.height / 2), 0xFFFFCCu);
  // A branch, in the middle between the root and "Mail the hotel".
  EXPECT_TRUE(pic.Near((root.Right() + mail.x) / 2, (root.y + root.height / 2 + mail.y + mail.height / 2) / 2, 1,
                       0x336699, 30));
  // The boundary's fill encloses "Places" and its two children.
  {
    std::smatch m;
    const std::regex re(
        "\"boundary-boxes\": \\[\\s*\\{\\s*\"x\": (-?\\d+),\\s*\"y\": (-?\\d+),\\s*\"width\": (\\d+),\\s*\"height\": "
        "(\\d+)");
    ASSERT_TRUE(std::regex_search(r.out, m, re));
    boundary = Box{std::stoi(m[1]), std::stoi(m[2]), std::stoi(m[3]), std::stoi(m[4])};
  }
  for (const char* path :
       {"Trip to Lisbon/Places", "Trip to Lisbon/Places/Belem tower", "Trip to Lisbon/Places/Packing list"}) {
    Box b;
    ASSERT_TRUE(BoxOf(r.out, path, "box", &b));
    EXPECT_TRUE(boundary.Contains(b)) << path;
  }
  EXPECT_EQ(pic.At(boundary.x + 4, boundary.y + boundary.height / 2), 0xE0F0FFu);
  EXPECT_EQ(pic.At(places.Right() + 3, places.y - 3), 0xE0F0FFu);
  // The relationship leaves the top of "Transport" and ends in its arrowhead on top of "Places".
  EXPECT_TRUE(pic.Near(transport.x + transport.width / 2, transport.y - 3, 2, 0xCC0000));
  EXPECT_TRUE(pic.Near(places.x + places.width / 2, places.y - 3, 2, 0xCC0000));
  // The arrowhead: rows just above "Places" cross both its barbs, wider than the line
  // leaving "Transport".
  auto widestRedRow = [&](int cx, int cy) {
    int widest = 0;
    for (int y = cy - 8; y <= cy; ++y) {
      int lo = 1 << 20, hi = -1;
      for (int x = cx - 14; x <= cx + 14; ++x)
        if (pic.Near(x, y, 0, 0xCC0000)) lo = std::min(lo, x), hi = std::max(hi, x);
      widest = std::max(widest, hi - lo + 1);
    }
    return widest;
  };
  EXPECT_GT(widestRedRow(places.x + places.width / 2, places.y - 1),
            widestRedRow(transport.x + transport.width / 2, transport.y - 1) + 2);

  // Every visible topic's text ink lies inside its box, and there is ink in its text box.
  for (const char* path :
       {"Trip to Lisbon", "Trip to Lisbon/Transport", "Trip to Lisbon/Places", "Trip to Lisbon/Places/Belem tower",
        "Trip to Lisbon/Places/Packing list", "Trip to Lisbon/Mail the hotel"}) {
    Box box, text;
    ASSERT_TRUE(BoxOf(r.out, path, "box", &box));
    ASSERT_TRUE(BoxOf(r.out, path, "text-box", &text));
    EXPECT_TRUE(box.Contains(text)) << path;
    int inside = 0, stray = 0;
    for (int y = box.y + 3; y < box.Bottom() - 3; ++y)
      for (int x = box.x + 3; x < box.Right() - 3; ++x) {
        if (!Picture::Ink(pic.At(x, y))) continue;
        if (x >= text.x - 2 && x < text.Right() + 2 && y >= text.y - 2 && y < text.Bottom() + 2)
          ++inside;
        else
          ++stray;
      }
    EXPECT_GT(inside, 20) << path;
    EXPECT_EQ(stray, 0) << path;
  }
}

// The three examples against their golden pictures, within the tolerance that absorbs
// antialiasing differences: a mean difference of at most 2 per channel and under 0.5% of
// pixels off by more than 32. KX2_UPDATE_GOLDEN=1 writes the goldens anew (look at them).
// Each host topic shape value draws as its engine kind, sized so that the kind's text
// rectangle holds the text.
TEST_F(VantorelRender, TopicShapesDrawAsTheirKinds) {
  const std::string png = Out("shapes.png");
  const RunResult r = RunVantorel("render topic-shapes.xmind -o '" + png + "' --json");
  ASSERT_EQ(r.code, 0) << r.out;
  Picture pic(png);
  ASSERT_TRUE(pic.ok());
  std::map<std::string, Box> box, text;
  for (const char* name : {"", "/Rectangle", "/Diamond", "/No border", "/Underline", "/Rounded"}) {
    const std::string path = std::string("Topic shapes") + name;
    ASSERT_TRUE(BoxOf(r.out, path, "box", &box[name])) << path;
    ASSERT_TRUE(BoxOf(r.out, path, "text-box", &text[name])) << path;
    EXPECT_TRUE(box[name].Contains(text[name])) << path;
  }
  auto midY = [](const Box& b) { return b.y + b.height / 2; };
  // The ellipse: white in the box's corner, its fill between the text and its left end.
  const Box& root = box[""];
  EXPECT_EQ(pic.At(root.x + 3, root.y + 3), 0xFFFFFFu);
  EXPECT_EQ(pic.At((root.x + text[""].x) / 2, midY(root)), 0xFFF2CCu);
  // The diamond: white corners, its fill beside the text.
  const Box& diamond = box["/Diamond"];
  EXPECT_EQ(pic.At(diamond.x + 3, diamond.y + 3), 0xFFFFFFu);
  EXPECT_EQ(pic.At(diamond.Right() - 3, diamond.Bottom() - 3), 0xFFFFFFu);
  EXPECT_EQ(pic.At(text["/Diamond"].x - 4, midY(diamond)), 0xE2F0D9u);
  // No border: the fill reaches the box's edge.
  const Box& bare = box["/No border"];
  EXPECT_EQ(pic.At(bare.x + 1, midY(bare)), 0xE0F0FFu);
  EXPECT_EQ(pic.At(bare.x + bare.width / 2, bare.y + 1), 0xE0F0FFu);
  // The underline: a line along the bottom, nothing along the top or the sides.
  const Box& under = box["/Underline"];
  EXPECT_FALSE(pic.Near(under.x + under.width / 2, under.y + 1, 1, 0x7F7F7F, 60));
  EXPECT_FALSE(pic.Near(under.Right() - 1, midY(under), 1, 0x7F7F7F, 60));
  EXPECT_TRUE(pic.Near(under.x + under.width / 2, under.Bottom(), 1, 0x7F7F7F, 60));
  // The rectangle's corner is its line; the rounded rectangle's is not.
  EXPECT_TRUE(pic.Near(box["/Rectangle"].x, box["/Rectangle"].y, 1, 0x7F7F7F, 60));
  EXPECT_EQ(pic.At(box["/Rounded"].x, box["/Rounded"].y), 0xFFFFFFu);
}

TEST_F(VantorelRender, ExamplesMatchTheirGoldenPictures) {
  const std::string golden = std::string(KX2_SOURCE_DIR) + "/host/tests/golden/";
  const char* update = std::getenv("KX2_UPDATE_GOLDEN");
  for (const char* map : {"lisbon-trip.mm", "garden-project.xmind", "office-move.mmap", "topic-shapes.xmind"}) {
    const std::string name = std::string("render-") + map + ".png";
    const std::string png = update && std::string(update) == "1" ? golden + name : Out(name);
    const RunResult r = RunVantorel(std::string("render ") + map + " -o '" + png + "'");
    ASSERT_EQ(r.code, 0) << map << "\n" << r.out;
    if (png != Out(name)) continue;
    ExpectWithinTolerance(png, golden + name);
  }
}

// The SVG, drawn by rsvg-convert, is the PNG within the golden tolerance.
TEST_F(VantorelRender, SvgDrawsAsThePng) {
  if (access("/usr/bin/rsvg-convert", X_OK) != 0) GTEST_SKIP() << "rsvg-convert (librsvg2-bin) is not installed";
  for (const char* map : {"lisbon-trip.mm", "office-move.mmap"}) {
    const RunResult r =
        RunVantorel(std::string("render ") + map + " -o '" + Out("p.png") + "' --svg '" + Out("p.svg") + "'");
    ASSERT_EQ(r.code, 0) << map << "\n" << r.out;
    const std::string convert = "/usr/bin/rsvg-convert -b white -o '" + Out("svg.png") + "' '" + Out("p.svg") + "'";
    ASSERT_EQ(std::system(convert.c_str()), 0) << convert;
    ExpectWithinTolerance(Out("svg.png"), Out("p.png"));
  }
  const RunResult r =
      RunVantorel("render lisbon-trip.mm -o '" + Out("q.png") + "' --svg '" + Out("no/dir/q.svg") + "'");
  EXPECT_EQ(r.code, 2) << r.out;
  EXPECT_NE(r.out.find("cannot be written"), std::string::npos) << r.out;
  EXPECT_FALSE(std::filesystem::exists(Out("no/dir/q.svg.part")));
}

TEST_F(VantorelRender, ResolutionScalesThePicture) {
  const RunResult a = RunVantorel("render lisbon-trip.mm -o '" + Out("a.png") + "'");
  const RunResult b = RunVantorel("render lisbon-trip.mm -o '" + Out("b.png") + "' --dpi 192");
  ASSERT_EQ(a.code, 0) << a.out;
  ASSERT_EQ(b.code, 0) << b.out;
  Picture pa(Out("a.png")), pb(Out("b.png"));
  ASSERT_TRUE(pa.ok() && pb.ok());
  EXPECT_NEAR(pb.width() - 32, 2 * (pa.width() - 32), 4);
  EXPECT_NEAR(pb.height() - 32, 2 * (pa.height() - 32), 4);
}

TEST_F(VantorelRender, BadInputAndOutputs) {
  struct Case {
    std::string args;
    int code;
    std::string says;
  } cases[] = {
      {"render lisbon-trip.mm", 2, "usage"},
      {"render lisbon-trip.mm -o x.png --dpi 0", 2, "usage"},
      {"render no-such-map.mm -o '" + Out("x.png") + "'", 2, "no such file"},
      {"render ../README.md -o '" + Out("x.png") + "'", 1, "README.md"},
      {"render lisbon-trip.mm -o '" + Out("missing/dir/x.png") + "'", 2, "cannot be written"},
      {"render lisbon-trip.mm -o '" + Out("x.png") + "' --dpi 1200", 0, "topics"},
  };
  for (const Case& c : cases) {
    const RunResult r = RunVantorel(c.args);
    EXPECT_EQ(r.code, c.code) << c.args << "\n" << r.out;
    EXPECT_NE(r.out.find(c.says), std::string::npos) << c.args << "\n" << r.out;
  }
  EXPECT_FALSE(std::filesystem::exists(Out("missing/dir/x.png")));
  // Nothing but the pictures asked for is left in the folder (no temporary names).
  for (const auto& entry : std::filesystem::directory_iterator(dir_))
    EXPECT_EQ(entry.path().extension(), ".png") << entry.path();
}

TEST_F(VantorelRender, EveryRealMapRendersOrIsRefused) {
  const std::filesystem::path maps = std::filesystem::path(KX2_SHARED_DIR) / "testdata" / "maps";
  if (!std::filesystem::is_directory(maps)) GTEST_SKIP() << maps << " is absent";
  int rendered = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(maps)) {
    if (!entry.is_regular_file() || entry.path().filename() == "SOURCES.md") continue;
    const RunResult r = RunVantorel("render '" + entry.path().string() + "' -o '" + Out("map.png") + "' --dpi 24");
    EXPECT_TRUE(r.code == 0 || r.code == 1) << entry.path() << " exit " << r.code << "\n" << r.out;
    if (r.code == 0) ++rendered;
  }
  EXPECT_GT(rendered, 0);
}

}  // namespace
