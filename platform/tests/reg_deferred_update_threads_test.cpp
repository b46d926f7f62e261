// A deferred registry update waits (a network call, say) without keeping the process's other
// threads from the registry; what they write meanwhile is never written over.
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <string>

#include <gtest/gtest.h>

#include "kx2/Registry.h"
#include "win/registry.h"
#include "registry_test_support.h"

namespace {

class DeferredUpdate : public kx2test::RegistryTest {
 protected:
  LONG Set(DWORD value) {
    return RegSetValueExW(key_, u"Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  }
  DWORD Get() {
    DWORD value = 0, size = sizeof value;
    EXPECT_EQ(RegQueryValueExW(key_, u"Count", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
              ERROR_SUCCESS);
    return value;
  }
  // Another thread's write, which must finish while this thread's update stays open.
  LONG SetOnAnotherThread(DWORD value) {
    auto done = std::async(std::launch::async, [this, value] { return Set(value); });
    if (done.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
      ADD_FAILURE() << "the other thread waited for the deferred update";
      std::abort();  // it would wait for ever on the update this thread keeps open
    }
    return done.get();
  }
};

TEST_F(DeferredUpdate, AnotherThreadWritesMeanwhileAndTheUpdateThenFails) {
  ASSERT_EQ(Set(5), ERROR_SUCCESS);
  ASSERT_EQ(Kx2RegBeginDeferredUpdate(HKEY_CURRENT_USER), ERROR_SUCCESS);
  EXPECT_EQ(Get(), 5u);
  ASSERT_EQ(SetOnAnotherThread(9), ERROR_SUCCESS);
  // Its read is out of date now: the write and a commit fail, and the other's value stays.
  EXPECT_EQ(Set(6), ERROR_REGISTRY_IO_FAILED);
  EXPECT_EQ(Kx2RegEndUpdate(HKEY_CURRENT_USER, TRUE), ERROR_REGISTRY_IO_FAILED);
  EXPECT_EQ(Get(), 9u);
  EXPECT_EQ(Kx2RegEndUpdate(HKEY_CURRENT_USER, TRUE), ERROR_INVALID_FUNCTION);

  // Redone, nested begins of any kind inside it, it writes over what it read.
  ASSERT_EQ(Kx2RegBeginDeferredUpdate(HKEY_CURRENT_USER), ERROR_SUCCESS);
  ASSERT_EQ(Kx2RegBeginUpdate(HKEY_CURRENT_USER), ERROR_SUCCESS);
  EXPECT_EQ(Set(Get() + 1), ERROR_SUCCESS);
  EXPECT_EQ(Kx2RegEndUpdate(HKEY_CURRENT_USER, TRUE), ERROR_SUCCESS);
  EXPECT_EQ(Kx2RegEndUpdate(HKEY_CURRENT_USER, TRUE), ERROR_SUCCESS);
  EXPECT_EQ(Get(), 10u);
}

TEST_F(DeferredUpdate, EndingWithoutCommitKeepsNothingAndFreesTheHive) {
  ASSERT_EQ(Set(5), ERROR_SUCCESS);
  ASSERT_EQ(Kx2RegBeginDeferredUpdate(HKEY_CURRENT_USER), ERROR_SUCCESS);
  EXPECT_EQ(Set(7), ERROR_SUCCESS);
  EXPECT_EQ(Get(), 7u);
  EXPECT_EQ(Kx2RegEndUpdate(HKEY_CURRENT_USER, FALSE), ERROR_SUCCESS);
  EXPECT_EQ(Get(), 5u);
  EXPECT_EQ(SetOnAnotherThread(8), ERROR_SUCCESS);
  EXPECT_EQ(Get(), 8u);
}

}  // namespace
