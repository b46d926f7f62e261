// The usage-report program's application object: all of its work happens in InitInstance,
// which answers FALSE so that the program ends when the work is done.
#pragma once

#include <string>

#include <win/afx.h>
#include <win/types.h>

namespace fennic {

class CFennicEXEApp : public CWinApp {
 public:
  CFennicEXEApp();
  ~CFennicEXEApp() override;
  CFennicEXEApp(const CFennicEXEApp&) = delete;
  CFennicEXEApp& operator=(const CFennicEXEApp&) = delete;

  // Arguments (from __argc/__argv), once a day, the single-instance mutex, the report, the
  // registry; any step may stop the pass. Always FALSE.
  BOOL InitInstance() override;
  // Releases the single-instance mutex when held and closes its handle.
  int ExitInstance() override;

  // Where the last pass stopped: "arguments", "today", "mutex", "failed" or "reported".
  const std::string& StoppedAt() const { return stoppedAt_; }

  // The five arguments, UTF-8 as the launcher passed them (empty until InitInstance).
  std::string m_product, m_version, m_language, m_type, m_endpoint;
  // The single-instance mutex "Fennic_Mutex_<product>"; null when not held.
  HANDLE m_hMutex = nullptr;

 protected:
  // Between the first once-a-day test and the mutex: a test can let another copy's
  // report land there.
  virtual void BeforeMutex() {}

 private:
  std::string Pass();
  void CloseMutex();

  bool ownsMutex_ = false;
  std::string stoppedAt_;
};

}  // namespace fennic
