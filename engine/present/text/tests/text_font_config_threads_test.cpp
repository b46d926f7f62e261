// The font configuration a start leaves pending is loaded once, whichever threads read it
// first and however many read it together; none of them sees it half built.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <plastrum/present/text/FontConfig.h>

#include "text_test_support.h"

using namespace Present::Text;

namespace {

TEST(TextFontConfigThreads, FirstReadsTogetherLoadOnceAndSeeItWhole) {
  texttest::ScopedRegistry registry;
  texttest::ScopedApp app;
  app.WriteText("ConfigFont1.cfg", std::string(texttest::kConfig1Header) + "[MAIN]\nREGULAR=DejaVu Serif\n");
  StartFontConfiguration();

  constexpr int kReaders = 8;
  std::atomic<int> ready{0};
  std::vector<std::u16string> mainFaces(kReaders);
  std::vector<int> sansFound(kReaders, -1);
  std::vector<size_t> entries(kReaders, 0);
  std::vector<std::thread> readers;
  for (int i = 0; i < kReaders; ++i) {
    readers.emplace_back([&, i] {
      ready.fetch_add(1);
      while (ready.load() < kReaders) std::this_thread::yield();
      mainFaces[i] = GetDefaultFace(kMainFace).faceName;
      sansFound[i] = FindFace(u"DejaVu Sans");
      entries[i] = FontTableEntries().size();
    });
  }
  for (std::thread& t : readers) t.join();

  for (int i = 0; i < kReaders; ++i) {
    EXPECT_EQ(mainFaces[i], u"DejaVu Serif") << "reader " << i;
    EXPECT_GE(sansFound[i], 0) << "reader " << i;
    EXPECT_EQ(entries[i], entries[0]) << "reader " << i;
  }
  EXPECT_GT(entries[0], 0u);
  FreeFontConfiguration();
}

}  // namespace
