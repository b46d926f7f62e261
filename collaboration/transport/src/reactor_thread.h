// The process's one reactor thread, which drives every server link. It is a platform thread;
// its body (the ACE event loop) lives apart, since ACE's headers and the platform's kernel
// header do not mix in one file.
#pragma once

namespace TDRL::ClientModule {

// Starts the thread unless it runs.
void StartReactorThread();
// Ends the reactor's loop and joins the thread; a later start runs a new loop.
void StopReactorThread();
bool ReactorThreadRunning();

// The thread's body: makes the thread the reactor's owner and runs its loop until it ends.
int RunReactorLoop();
// Lets the loop run again after it ended.
void ResetReactorLoop();
// Asks the loop to end.
void EndReactorLoop();

}  // namespace TDRL::ClientModule
