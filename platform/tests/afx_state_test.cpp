// The MFC application start and stop, module states and exceptions.
#include <gtest/gtest.h>

#include <win/afx.h>

namespace {

struct RecordingApp : CWinApp {
  BOOL InitInstance() override {
    seenState = AfxGetModuleState();
    seenApp = AfxGetApp();
    return result;
  }
  int ExitInstance() override {
    exitState = AfxGetModuleState();
    return 3;
  }
  BOOL result = TRUE;
  AFX_MODULE_STATE* seenState = nullptr;
  AFX_MODULE_STATE* exitState = nullptr;
  CWinApp* seenApp = nullptr;
};

TEST(AfxState, AttachRunsInitInstanceUnderTheLibrarysState) {
  AFX_MODULE_STATE* process = AfxGetModuleState();
  AFX_MODULE_STATE library;
  RecordingApp app;
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(0x1000);
  EXPECT_TRUE(AfxWinModuleAttach(&library, &app, instance));
  EXPECT_EQ(app.seenState, &library);
  EXPECT_EQ(app.seenApp, &app);
  EXPECT_EQ(app.m_hInstance, instance);
  EXPECT_EQ(library.m_hCurrentResourceHandle, instance);
  EXPECT_EQ(AfxGetModuleState(), process) << "the caller's state is back";
  {
    AFX_MANAGE_STATE(&library);
    EXPECT_EQ(AfxGetInstanceHandle(), instance);
    AfxSetResourceHandle(reinterpret_cast<HINSTANCE>(0x2000));
    EXPECT_EQ(AfxGetResourceHandle(), reinterpret_cast<HINSTANCE>(0x2000));
    EXPECT_EQ(AfxGetMainWnd(), nullptr);
  }
  EXPECT_EQ(AfxWinModuleDetach(&library), 3);
  EXPECT_EQ(app.exitState, &library);
  EXPECT_EQ(library.m_pCurrentWinApp, nullptr);
  EXPECT_EQ(AfxWinModuleDetach(&library), 0) << "stopped once";

  RecordingApp refusing;
  refusing.result = FALSE;
  AFX_MODULE_STATE other;
  EXPECT_FALSE(AfxWinModuleAttach(&other, &refusing, nullptr));
}

TEST(AfxState, TheStateComesBackWhenAnExceptionLeaves) {
  AFX_MODULE_STATE* before = AfxGetModuleState();
  AFX_MODULE_STATE library;
  try {
    AFX_MANAGE_STATE(&library);
    AfxThrowOleException(E_INVALIDARG);
  } catch (CException* e) {
    auto* ole = dynamic_cast<COleException*>(e);
    ASSERT_NE(ole, nullptr);
    EXPECT_EQ(ole->m_sc, E_INVALIDARG);
    e->Delete();
  }
  EXPECT_EQ(AfxGetModuleState(), before);
}

TEST(AfxState, ExceptionMessages) {
  WCHAR text[64];
  try {
    AfxThrowMemoryException();
  } catch (CException* e) {
    EXPECT_TRUE(e->GetErrorMessage(text, 64));
    EXPECT_EQ(std::u16string(text), u"Out of memory.");
    e->Delete();  // the shared memory exception survives
  }
  try {
    AfxThrowMemoryException();
  } catch (CException* e) {
    EXPECT_NE(dynamic_cast<CMemoryException*>(e), nullptr);
    e->Delete();
  }
  CSimpleException simple(u"A rather long message");
  EXPECT_TRUE(simple.GetErrorMessage(text, 7));
  EXPECT_EQ(std::u16string(text), u"A rath");
  try {
    AfxThrowInvalidArgException();
  } catch (CException* e) {
    EXPECT_NE(dynamic_cast<CInvalidArgException*>(e), nullptr);
    e->Delete();
  }
}

}  // namespace
