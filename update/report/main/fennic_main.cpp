// FennicEXE: the windowless usage-report program. Its application object does all the
// work in InitInstance and answers FALSE, so the program ends when the work is done.
#include <fennic/Report.h>
#include <win/afx_winmain.h>

namespace {

class CFennicEXEApp : public CWinApp {
 public:
  CFennicEXEApp() : CWinApp(u"FennicEXE") {}
  BOOL InitInstance() override {
    CWinApp::InitInstance();
    fennic::RunProgram(__argc, __argv);
    return FALSE;
  }
};

}  // namespace

int main(int argc, char** argv) {
  CFennicEXEApp app;
  AfxWinMain(app, argc, argv);
  return 0;
}
