// The census counts objects that one thread makes and another lets go, also after the
// thread that made or let go of them has ended.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include <vantorel/exports.h>
#include <vantorel/object_census.h>
#include <vantorel/testing/leak_check.h>

namespace {

class HostCensusThreads : public vantorel::testing::HostLeakCheck {};

size_t Live() { return vantorel::TakeCensus().liveObjects; }

TEST_F(HostCensusThreads, ObjectsCountedAcrossThreadsThatEnd) {
  IKX2XMLFactory* factory = VtlGetApplication()->GetXMLFactory();
  IKX2XMLParser* parser = factory->CreateParser();
  const std::string xml = "<m><a/></m>";
  IKX2XMLDocument* doc = parser->Parse(reinterpret_cast<const BYTE*>(xml.data()), static_cast<ULONG>(xml.size()));
  ASSERT_NE(doc, nullptr);
  const size_t before = Live();

  // Made on a thread that then ends, let go here.
  IKX2XMLElement* root = nullptr;
  std::thread([&] { root = doc->GetDocumentElement(); }).join();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(Live(), before + 1);
  IKX2XMLNode* child = root->GetFirstChild();
  EXPECT_EQ(Live(), before + 2);
  root->Release();
  EXPECT_EQ(Live(), before + 1);

  // Made here, let go on a thread that then ends.
  std::thread([&] { child->Release(); }).join();
  EXPECT_EQ(Live(), before);

  // Made and let go on threads of their own, several at once.
  std::thread threads[4];
  for (std::thread& t : threads)
    t = std::thread([&] {
      for (int i = 0; i < 200; ++i)
        if (IKX2XMLElement* e = doc->GetDocumentElement()) e->Release();
    });
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(Live(), before);

  doc->Release();
  parser->Release();
  factory->Release();
}

}  // namespace
