#include <ace/Reactor.h>
#include <ace/Thread.h>

#include "reactor_thread.h"

namespace TDRL::ClientModule {

int RunReactorLoop() {
  ACE_Reactor* reactor = ACE_Reactor::instance();
  // Only the owner may run the loop (handle_events fails with EACCES otherwise).
  reactor->owner(ACE_Thread::self());
  reactor->run_reactor_event_loop();
  return 0;
}

void ResetReactorLoop() { ACE_Reactor::instance()->reset_reactor_event_loop(); }

void EndReactorLoop() { ACE_Reactor::instance()->end_reactor_event_loop(); }

}  // namespace TDRL::ClientModule
