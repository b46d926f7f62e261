// The settings store shared by processes: saves from two processes lose no value, and
// what a killed save left behind goes with the next save.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <basalt/path_util.h>
#include <basalt/xml_registry.h>
#include <kx2/Utf.h>

using Basalt::XMLRegistry;
namespace fs = std::filesystem;

namespace {

class XmlRegProcesses : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/kx2_xmlreg_proc_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    std::u16string win = u"Z:" + kx2::Utf8ToUtf16(dir_.string());
    for (char16_t& c : win)
      if (c == u'/') c = u'\\';
    Basalt::Util::PathUtil::_UnregisterPath(u"ProgramInfo");
    ASSERT_TRUE(Basalt::Util::PathUtil::_RegisterPath(u"ProgramInfo", win.c_str()));
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Starts a child running body once the parent opens the gate; returns its id.
  template <class Body>
  pid_t Child(int gate, Body body) {
    const pid_t pid = fork();
    if (pid == 0) {
      char go;
      if (read(gate, &go, 1) != 1) _exit(2);
      _exit(body() ? 0 : 1);
    }
    return pid;
  }

  static bool Exited0(pid_t pid) {
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }

  fs::path dir_;
};

TEST_F(XmlRegProcesses, TwoProcessesSavingAHundredTimesEachLoseNoValue) {
  {
    XMLRegistry seed(u"Shared", Basalt::HROOT_XMLUSERREGISTRY);
    seed.WriteStringValue(u"Seed", u"kept");
  }
  int gate[2];
  ASSERT_EQ(pipe(gate), 0);
  auto saver = [](const char16_t* key, uint32_t tag) {
    return [key, tag] {
      for (uint32_t round = 1; round <= 100; ++round) {
        XMLRegistry reg(key, Basalt::HROOT_XMLUSERREGISTRY);
        if (!reg.WriteDwordValue(u"Round", round)) return false;
        if (!reg.SetXMLKey(u"Shared", Basalt::HROOT_XMLUSERREGISTRY)) return false;
        if (!reg.WriteDwordValue(u"Last", tag)) return false;
        if (!reg.ExistKey()) return false;
      }
      return true;
    };
  };
  const pid_t one = Child(gate[0], saver(u"Writers\\One", 1));
  const pid_t two = Child(gate[0], saver(u"Writers\\Two", 2));
  ASSERT_EQ(write(gate[1], "gg", 2), 2);
  EXPECT_TRUE(Exited0(one));
  EXPECT_TRUE(Exited0(two));
  close(gate[0]);
  close(gate[1]);

  XMLRegistry check(u"Writers\\One", Basalt::HROOT_XMLUSERREGISTRY);
  uint32_t round = 0;
  EXPECT_TRUE(check.GetDwordValue(u"Round", &round));
  EXPECT_EQ(round, 100u);
  ASSERT_TRUE(check.SetXMLKey(u"Writers\\Two", Basalt::HROOT_XMLUSERREGISTRY));
  round = 0;
  EXPECT_TRUE(check.GetDwordValue(u"Round", &round));
  EXPECT_EQ(round, 100u);
  ASSERT_TRUE(check.SetXMLKey(u"Shared", Basalt::HROOT_XMLUSERREGISTRY));
  uint32_t last = 0;
  EXPECT_TRUE(check.GetDwordValue(u"Last", &last));
  EXPECT_TRUE(last == 1 || last == 2) << last;  // the same value: the last save wins
  std::u16string seed;
  EXPECT_TRUE(check.GetStringValue(u"Seed", seed));
  EXPECT_EQ(seed, u"kept");
}

TEST_F(XmlRegProcesses, TheNextSaveRemovesWhatKilledSavesLeft) {
  {
    XMLRegistry reg(u"K", Basalt::HROOT_XMLUSERREGISTRY);
    reg.WriteStringValue(u"v", u"1");
  }
  // Children that die between writing their temporary file and renaming it over.
  for (int k = 0; k < 3; ++k) {
    const pid_t pid = fork();
    if (pid == 0) {
      char name[64];
      std::snprintf(name, sizeof name, "XMLUserRegistry.xml.~%x_%x.tmp", static_cast<unsigned>(getpid()), k);
      std::ofstream(dir_ / name) << std::string(240 * 1024, 'x');
      _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
  }
  std::ofstream(dir_ / "XMLUserRegistry.xml.notes") << "not a save";
  auto temporaries = [&] {
    int n = 0;
    for (const auto& entry : fs::directory_iterator(dir_))
      n += entry.path().filename().string().find(".tmp") != std::string::npos;
    return n;
  };
  ASSERT_EQ(temporaries(), 3);
  {
    XMLRegistry reg(u"K", Basalt::HROOT_XMLUSERREGISTRY);
    reg.WriteStringValue(u"v", u"2");
  }
  EXPECT_EQ(temporaries(), 0);
  EXPECT_TRUE(fs::exists(dir_ / "XMLUserRegistry.xml.notes"));
  XMLRegistry check(u"K", Basalt::HROOT_XMLUSERREGISTRY);
  std::u16string v;
  EXPECT_TRUE(check.GetStringValue(u"v", v));
  EXPECT_EQ(v, u"2");
}

}  // namespace
