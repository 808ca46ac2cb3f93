// Test support: running real programs (the service executable as a CGI,
// curl, lighttpd, scripts) with an exact environment and standard input,
// and temporary directories that hold a service installation.
//
// Everything here is for tests: failures to set things up throw
// std::runtime_error with a message saying what could not be done.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/FirebirdFixture.h"

namespace e2e {

using TEnvironment = std::vector<std::pair<std::string, std::string>>;

struct TProcessResult {
  std::string vStdout;
  std::string vStderr;
  int vExitCode = -1;     // -1 when the process did not exit normally
  bool vTimedOut = false;  // killed after the time limit
};

// Runs pArgv[0] (a path, or a name looked up in PATH) with exactly pEnv as
// its environment, feeds pStdin and closes it, collects both outputs.
// The process is killed after pTimeoutSeconds.
[[nodiscard]] TProcessResult FRunProgram(const std::vector<std::string>& pArgv, const TEnvironment& pEnv,
                                         std::string_view pStdin = {}, int pTimeoutSeconds = 60);

// The service executable of the build tree (build dir/velmora.cgi).
[[nodiscard]] std::string FServiceExecutable();

// The project's Firebird root and temporary directories are the database
// fixture's (tests/support).
using testsupport::FFirebirdRoot;
using testsupport::TTempDir;

// A service installation: a copy of an executable (the service's unless
// told otherwise) in a temporary directory, with caminhoBDQuindar.ini
// pointing at pDatabase. The log directory appears beside it on first use.
class TServiceDir {
 public:
  explicit TServiceDir(const std::string& pDatabase, const std::string& pExecutable = FServiceExecutable());
  [[nodiscard]] const std::string& FPath() const noexcept { return vDir.FPath(); }
  [[nodiscard]] const std::string& FExe() const noexcept { return vExe; }

  // Runs the executable as a CGI: pVariables plus FIREBIRD, nothing else.
  [[nodiscard]] TProcessResult FRunCgi(const TEnvironment& pVariables, std::string_view pStdin = {}) const;

 private:
  TTempDir vDir;
  std::string vExe;
};

// Creates the demo store database at pPath: a copy of the one the suite
// built for this run, or (run outside ctest) with scripts/demo-db.sh;
// false when the script is not there (the caller skips).
[[nodiscard]] bool FCreateDemoDatabase(const std::string& pPath);

}  // namespace e2e
