// Program entry of the service executable: one process, one request.
//
// Every request starts a process, so the end must be cheap: once shutdown
// is complete and the standard handles are flushed, the process ends with
// _exit, skipping static destructors; everything that matters has been
// written and closed by then. The database client's own teardown is the
// one exception: skipped, it leaves the engine's per-process trace file in
// the lock directory, one per request that attached.
#include <unistd.h>

#include <cstdio>

#include "app/VelmoraProcess.h"
#include "data/FbClient.h"
#include "port/Env.h"

int main() {
  const int vExitCode = app::FRunProcess(port::FDefaultEnv());
  data::PShutdownClient();
  std::fflush(stdout);
  std::fflush(stderr);
  _exit(vExitCode);
}
