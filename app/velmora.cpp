// Program entry of the service executable: one process, one request.
//
// Every request starts a process, so the end must be cheap: once shutdown
// is complete and the standard handles are flushed, the process ends with
// _exit, skipping static destructors and the database client's own slow
// teardown; everything that matters has been written and closed by then.
#include <unistd.h>

#include <cstdio>

#include "app/VelmoraProcess.h"
#include "port/Env.h"

int main() {
  const int vExitCode = app::FRunProcess(port::FDefaultEnv());
  std::fflush(stdout);
  std::fflush(stderr);
  _exit(vExitCode);
}
