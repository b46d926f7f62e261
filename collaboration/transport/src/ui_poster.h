// Runs work on the thread that made the poster: a hidden message-only window of that thread
// receives each piece of work as a posted message, so it runs when the thread pumps its
// messages (the host's UI thread; tests pump it themselves).
#pragma once

#include <deque>
#include <functional>
#include <mutex>

namespace TDRL {

class UiPoster {
 public:
  // Made on the thread the work is to run on.
  UiPoster();
  // On that thread: work still queued is dropped.
  ~UiPoster();
  UiPoster(const UiPoster&) = delete;
  UiPoster& operator=(const UiPoster&) = delete;

  // From any thread; false when the work cannot be posted (it is then dropped).
  bool Post(std::function<void()> work);

 private:
  friend struct UiPosterAccess;
  // Runs the oldest work (one posted message each).
  void RunNext();

  void* window_ = nullptr;
  // The work itself stays here, not in the messages: what is never run is still the poster's.
  std::mutex lock_;
  std::deque<std::function<void()>> work_;
};

}  // namespace TDRL
