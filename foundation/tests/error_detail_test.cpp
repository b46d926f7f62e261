// Describing codes through the foundation library's own describer and BasaltRes.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include <basalt/error.h>
#include <basalt/module.h>

using Basalt::Error::BaseError;
using Basalt::Error::tagKx2ErrorDetail;

namespace {

struct Described {
  int result;
  std::u16string description;
};

Described Describe() {
  tagKx2ErrorDetail detail;
  std::memset(&detail, 0x55, sizeof(detail));
  int result = BaseError::_GetErrorDetail(&detail);
  EXPECT_EQ(detail.extra1[0], 0);
  EXPECT_EQ(detail.extra2[0], 0);
  return {result, detail.description};
}

TEST(ErrorDetail, FoundationCodes) {
  ASSERT_NE(Basalt::Base::Module::_GetModuleDef(0), nullptr);
  ASSERT_NE(Basalt::Base::Module::_GetModuleDef(0)->resourceInstance, nullptr) << "BasaltRes was not loaded";

  // _GetErrorDetail answers 1 when the describer wrote nothing it counts as a description
  // (its hook returned 0), and 0 when it did.
  BaseError::_SetErrorMesg(u"Free text");
  EXPECT_EQ(Describe().result, 0);
  EXPECT_EQ(Describe().description, u"Free text");

  BaseError::_SetErrorEx(1, 2, nullptr, 0);
  EXPECT_EQ(Describe().description, u"An unexpected error occurred.");

  BaseError::_SetErrorEx(1, 0, nullptr, 0);
  EXPECT_EQ(Describe().result, 1);
  EXPECT_EQ(Describe().description, u"");

  BaseError::_SetError(2);  // text written, yet the describer's answer is "nothing"
  EXPECT_EQ(Describe().result, 1);
  EXPECT_EQ(Describe().description, u"There is not enough memory to complete the operation.");

  BaseError::_SetError(14);  // a file format string, shown without its placeholder
  EXPECT_EQ(Describe().description, u"Access is denied.");

  BaseError::_SetError(11);
  EXPECT_EQ(Describe().result, 1);
  EXPECT_EQ(Describe().description, u"");

  BaseError::_SetError(0x80070020u);
  EXPECT_EQ(Describe().result, 0);
  EXPECT_EQ(Describe().description, u"The file is in use by another program.");
}

TEST(ErrorDetail, FileErrors) {
  struct Case {
    uint32_t detail;
    const char16_t* description;
  } cases[] = {
      {3, u"The folder of the file \"C:\\x.mm\" was not found."},
      {4, u"Too many files are open: \"C:\\x.mm\" could not be opened (error 4)."},
      {14, u"Access is denied. C:\\x.mm"},
      {15, u"The file is in use by another program. C:\\x.mm"},
      {99, u"The file \"C:\\x.mm\" could not be accessed (error 99)."},
  };
  for (const Case& c : cases) {
    BaseError::_SetFileError(c.detail, u"C:\\x.mm");
    Described d = Describe();
    EXPECT_EQ(d.result, 0);
    EXPECT_EQ(d.description, c.description);
  }
  BaseError::_SetErrorEx(10, 0, nullptr, 0);
  EXPECT_EQ(Describe().result, 1);
}

TEST(ErrorDetail, MissingResourceFile) {
  std::u16string name = u"Z:\\opt\\kx2\\libTqFoliant.afd";
  BaseError::_SetErrorEx(9, 1, reinterpret_cast<const unsigned char*>(name.c_str()),
                         static_cast<unsigned>((name.size() + 1) * 2));
  EXPECT_EQ(Describe().description, u"Resource file for module\n( " + name + u" )\nis missing or corrupt.");
  BaseError::_SetErrorEx(9, 0, nullptr, 0);
  EXPECT_EQ(Describe().description, u"Resource file is missing or corrupt.");
}

TEST(ErrorDetail, SystemAndRuntimeCodes) {
  BaseError::_SetError(0x80070005u);  // bit 31: module 0, sub-module 0, system text
  Described d = Describe();
  EXPECT_EQ(d.result, 0);
  EXPECT_FALSE(d.description.empty());
  EXPECT_EQ(d.description.find(u'\n'), std::u16string::npos);

  errno = ENOENT;
  BaseError::_SetCrtError();
  d = Describe();
  EXPECT_EQ(d.result, 0);
  EXPECT_FALSE(d.description.empty());

  // A code of a module nobody registered has no describer.
  BaseError::_SetError((77u << 19) | 5u);
  EXPECT_EQ(Describe().result, 0);
}

TEST(ErrorDetail, WarningsAreDescribedTheSameWay) {
  BaseError::_ClearWarning();
  BaseError::_SetWarningMesg(u"heads up");
  BaseError::_SetWarning(2);
  tagKx2ErrorDetail detail{};
  EXPECT_EQ(BaseError::_GetWarningDetail(&detail, 1), 0);
  EXPECT_EQ(std::u16string(detail.description), u"heads up");
  EXPECT_EQ(BaseError::_GetWarningDetail(&detail, 1), 1);
  EXPECT_EQ(BaseError::_GetWarning(0), 0u);
}

}  // namespace
