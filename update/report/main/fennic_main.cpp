// FennicEXE: the windowless usage-report program. Its application object does all the
// work in InitInstance, so the program ends as soon as the work is done.
#include <fennic/FennicApp.h>
#include <win/afx_winmain.h>

int main(int argc, char** argv) {
  fennic::CFennicEXEApp app;
  AfxWinMain(app, argc, argv);
  return 0;
}
