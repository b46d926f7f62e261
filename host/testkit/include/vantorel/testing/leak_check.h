// A GoogleTest fixture that fails a test which leaves host objects alive or releases one
// more often than it was referenced. Include it from test code only.
#pragma once

#include <gtest/gtest.h>

#include <vantorel/exports.h>
#include <vantorel/object_census.h>

namespace vantorel::testing {

class HostLeakCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    VtlGetApplication();  // the application and its services live for the whole process
    SetQuarantine(true);
    baseline_ = TakeCensus();
  }
  void TearDown() override {
    CloseAllDocuments();
    CensusReport now = TakeCensus();
    std::string kinds;
    for (const auto& k : now.liveKinds) kinds += k + "; ";
    EXPECT_EQ(now.liveObjects, baseline_.liveObjects) << "host objects still alive: " << kinds;
    EXPECT_EQ(now.liveFileKeys, baseline_.liveFileKeys) << "file store keys not dropped";
    EXPECT_EQ(now.extraReleases, 0u) << "host objects released more often than referenced";
    CollectQuarantine();
    SetQuarantine(false);
  }

  CensusReport baseline_;
};

}  // namespace vantorel::testing
