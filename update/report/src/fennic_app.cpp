// The program's pass in its order: arguments, once a day, the single-instance mutex, the
// report, the registry.
#include <fennic/FennicApp.h>
#include <fennic/Report.h>
#include <kx2/Utf.h>
#include <win/afx_winmain.h>
#include <win/kernel.h>

namespace fennic {

CFennicEXEApp::CFennicEXEApp() : CWinApp(u"FennicEXE") {}

CFennicEXEApp::~CFennicEXEApp() { CloseMutex(); }

BOOL CFennicEXEApp::InitInstance() {
  CWinApp::InitInstance();
  stoppedAt_ = Pass();
  return FALSE;
}

int CFennicEXEApp::ExitInstance() {
  CloseMutex();
  return CWinApp::ExitInstance();
}

void CFennicEXEApp::CloseMutex() {
  if (!m_hMutex) return;
  if (ownsMutex_) ReleaseMutex(m_hMutex);
  CloseHandle(m_hMutex);
  m_hMutex = nullptr;
  ownsMutex_ = false;
}

std::string CFennicEXEApp::Pass() {
  if (__argc < 6 || !__argv) return "arguments";
  m_product = __argv[1];
  m_version = __argv[2];
  m_language = __argv[3];
  m_type = __argv[4];
  m_endpoint = __argv[5];
  const ReportArguments args{m_product, m_version, m_language, m_type, m_endpoint};
  if (ReportedToday(args)) return "today";
  BeforeMutex();

  const std::u16string name = u"Fennic_Mutex_" + kx2::Utf8ToUtf16(m_product);
  if (HANDLE other = OpenMutexW(MUTEX_ALL_ACCESS, FALSE, name.c_str())) {
    CloseHandle(other);
    return "mutex";
  }
  m_hMutex = CreateMutexW(nullptr, TRUE, name.c_str());
  // An existing mutex's handle stays with the application until its exit, unowned.
  if (!m_hMutex || GetLastError() == ERROR_ALREADY_EXISTS) return "mutex";
  ownsMutex_ = true;
  // A copy that held the mutex between our first test and now may have reported today.
  if (ReportedToday(args)) return "today";
  return ReportOnce(args) ? "reported" : "failed";
}

std::string RunProgram(int argc, char** argv) {
  CFennicEXEApp app;
  AfxWinMain(app, argc, argv);
  return app.StoppedAt();
}

}  // namespace fennic
