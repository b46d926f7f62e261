#include <kx2test/ChildProcess.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

namespace {

// The child half: checks what the parent set and prints a marker the parent looks for.
TEST(ChildProcessChild, SeesItsVariables) {
  if (!kx2test::InChild()) GTEST_SKIP() << "runs only in a child of ChildProcess tests";
  EXPECT_EQ(kx2test::ChildTestName(), "ChildProcessChild.SeesItsVariables");
  const char* value = std::getenv("KX2TEST_SAMPLE");
  ASSERT_NE(value, nullptr);
  EXPECT_STREQ(value, "sample value");
  const char* replaced = std::getenv("KX2_TEST_OUTPUT");
  ASSERT_NE(replaced, nullptr);
  EXPECT_STREQ(replaced, "/replaced");
  std::printf("child-marker\n");
}

TEST(ChildProcessChild, Fails) {
  if (!kx2test::InChild()) GTEST_SKIP() << "runs only in a child of ChildProcess tests";
  ADD_FAILURE() << "failing on purpose";
}

TEST(ChildProcess, RunsOneTestWithVariablesSetAndCollectsItsOutput) {
  ASSERT_FALSE(kx2test::InChild());
  const kx2test::ChildResult child = kx2test::RunInChild(
      "ChildProcessChild.SeesItsVariables", {{"KX2TEST_SAMPLE", "sample value"}, {"KX2_TEST_OUTPUT", "/replaced"}});
  EXPECT_EQ(child.exitCode, 0) << child.output;
  EXPECT_TRUE(child.Passed()) << child.output;
  EXPECT_NE(child.output.find("child-marker"), std::string::npos) << child.output;
  EXPECT_EQ(std::getenv("KX2TEST_SAMPLE"), nullptr) << "the parent's environment stays as it was";
}

TEST(ChildProcess, AFailingChildIsNoPass) {
  const kx2test::ChildResult child = kx2test::RunInChild("ChildProcessChild.Fails");
  EXPECT_NE(child.exitCode, 0);
  EXPECT_FALSE(child.Passed());
  EXPECT_NE(child.output.find("failing on purpose"), std::string::npos) << child.output;
}

TEST(ChildProcess, ATestNameMatchingNothingIsNoPass) {
  const kx2test::ChildResult child = kx2test::RunInChild("ChildProcessChild.NoSuchTest");
  EXPECT_EQ(child.exitCode, 0) << "GoogleTest exits 0 when its filter matches nothing";
  EXPECT_FALSE(child.Passed());
}

TEST(ChildProcess, TwoChildrenRunAtOnce) {
  kx2test::ChildProcess a("ChildProcessChild.SeesItsVariables",
                          {{"KX2TEST_SAMPLE", "sample value"}, {"KX2_TEST_OUTPUT", "/replaced"}});
  kx2test::ChildProcess b("ChildProcessChild.Fails");
  ASSERT_TRUE(a.Started());
  ASSERT_TRUE(b.Started());
  EXPECT_FALSE(b.Wait().Passed());
  EXPECT_TRUE(a.Wait().Passed()) << a.Wait().output;
}

}  // namespace
