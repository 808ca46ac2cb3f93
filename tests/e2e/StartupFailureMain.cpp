// The service executable with one difference: its second recording of the
// web module type names another type, so start-up fails on its real path
// ("Only one data module per application") and the process must answer on
// standard error with exit code 1.
#include <unistd.h>

#include <cstdio>

#include "app/VelmoraProcess.h"
#include "host/uWebModule.h"
#include "port/Env.h"

namespace {

std::unique_ptr<host::TWebModule> FAnotherWebModule(port::IEnv& pEnv) { return host::FCreateWebModule1(pEnv); }

}  // namespace

int main() {
  app::TStartupOptions vOptions;
  vOptions.vWebModuleClassAgain = &FAnotherWebModule;
  const int vExitCode = app::FRunProcess(port::FDefaultEnv(), vOptions);
  std::fflush(stdout);
  _exit(vExitCode);
}
