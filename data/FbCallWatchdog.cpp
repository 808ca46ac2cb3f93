#include "data/FbCallWatchdog.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "data/FbClientApi.h"

namespace data {

namespace {

class TCallWatchdog {
 public:
  // Created on first use and deliberately never freed: its thread runs
  // until the process ends and never meets static destruction at exit.
  static TCallWatchdog& FInstance() {
    static TCallWatchdog* vInstance = new TCallWatchdog();
    return *vInstance;
  }

  void PEnter(isc_db_handle pDb) {
    std::lock_guard<std::mutex> vGuard(vLock);
    if (vDepth++ == 0) {
      vDb = pDb;
      vFired = false;
      vDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(cCallLimitSeconds);
      // Only a thread that waits for no deadline needs waking: one that
      // waits for an earlier call's deadline moves on to this one's when
      // it wakes. A worker that serves many requests so wakes the thread
      // at most once per bound, not at every call.
      if (vIdle) vWake.notify_one();
    }
  }

  void PLeave() noexcept {
    std::lock_guard<std::mutex> vGuard(vLock);
    if (vDepth > 0 && --vDepth == 0) vDb = 0;
  }

 private:
  TCallWatchdog() { std::thread([this] { PRun(); }).detach(); }

  [[noreturn]] void PRun() {
    std::unique_lock<std::mutex> vGuard(vLock);
    while (true) {
      if (vDepth == 0 || vFired) {
        vIdle = true;
        vWake.wait(vGuard);
        vIdle = false;
        continue;
      }
      const auto vWatched = vDeadline;
      vWake.wait_until(vGuard, vWatched);
      // Still the same outermost call, and its time is up.
      if (vDepth > 0 && !vFired && vDeadline == vWatched && std::chrono::steady_clock::now() >= vWatched) {
        isc_db_handle vHandle = vDb;
        ISC_STATUS_ARRAY vStatus;
        // A call runs on this attachment, so the library is loaded.
        if (vHandle != 0) FClientApi().fb_cancel_operation(vStatus, &vHandle, fb_cancel_abort);
        vFired = true;  // once per call
      }
    }
  }

  std::mutex vLock;
  std::condition_variable vWake;
  int vDepth = 0;
  bool vFired = false;
  bool vIdle = false;  // the thread waits without a deadline
  isc_db_handle vDb = 0;
  std::chrono::steady_clock::time_point vDeadline;
};

}  // namespace

TCallBound::TCallBound(isc_db_handle pDb) { TCallWatchdog::FInstance().PEnter(pDb); }

TCallBound::~TCallBound() { TCallWatchdog::FInstance().PLeave(); }

}  // namespace data
