// Test support for the web server fixtures: a server started by the test
// as its child on a free port of 127.0.0.1, and the project's web server
// configurations (deploy/) with the build tree's paths filled in.
//
//   e2e::TDeployPaths vPaths{vService.FPath(), e2e::FFirebirdRoot(), vLock.FPath(), vData.FPath()};
//   std::string vConf = e2e::FDeployConfig("deploy/nginx/velmora.conf", vPaths);
//
// The configurations carry the installed paths of the package; each is
// replaced literally, the Firebird root before the service directory that
// contains it.
#pragma once

#include "support/FirebirdFixture.h"

#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

#include "e2e/ProcessRunner.h"

namespace e2e {

struct TDeployPaths {
  std::string vServiceDir;   // holds velmora.cgi, its ini and log/ (/usr/lib/velmora)
  std::string vFirebirdRoot;  // /usr/lib/velmora/firebird
  std::string vLockDir;       // /var/lib/velmora/lock
  std::string vDataDir;       // the database's directory (not in the configurations)
  std::string vFcgiSocket;    // /run/fcgiwrap.socket
  std::string vRuntimeDir;    // /run/lighttpd, /run/velmora: where FastCGI sockets are made
};

// The file pRelative of the source tree with the installed paths replaced.
[[nodiscard]] std::string FDeployConfig(std::string_view pRelative, const TDeployPaths& pPaths);

// Ports of 127.0.0.1: one copy, in the shared test support.
using testsupport::FAccepts;
using testsupport::FFreePort;

// The contents of a file, empty when it cannot be read.
[[nodiscard]] std::string FReadFile(const std::string& pPath);

// The user a server started by root hands its workers (and the CGI) to:
// the web servers' own user. Empty when the tests do not run as root, and
// the servers then run as the invoking user.
[[nodiscard]] std::string FServerUser();
// Gives the server user every file below each of pPaths (when there is one).
void PGrantToServerUser(const std::vector<std::string>& pPaths);

// True when pPid has ended: no such process, or one that has ended and
// waits to be reaped by a parent that is not the test.
[[nodiscard]] bool FProcessGone(pid_t pPid);

// A program started in the background with exactly pEnv, its output
// appended to pOutput; stopped with SIGTERM (then SIGKILL) on destruction.
class TChild {
 public:
  TChild() = default;
  TChild(const std::vector<std::string>& pArgv, const TEnvironment& pEnv, const std::string& pOutput);
  ~TChild();
  TChild(TChild&& pOther) noexcept : vPid(pOther.vPid), vGroup(pOther.vGroup) { pOther.vPid = pOther.vGroup = -1; }
  TChild& operator=(TChild&& pOther) noexcept;
  TChild(const TChild&) = delete;
  TChild& operator=(const TChild&) = delete;

  // True when the process has ended (it is reaped then).
  [[nodiscard]] bool FExited();
  // Waits up to 10 s until pPort accepts; false when the process ended first
  // or the time ran out.
  [[nodiscard]] bool FWaitForPort(int pPort);
  // Waits up to 10 s until pPath exists; false as above.
  [[nodiscard]] bool FWaitForFile(const std::string& pPath);
  // SIGTERM to the program alone, as a service manager stops a server,
  // leaving its workers to the program; waits up to 10 s for it to end.
  // True when it ended. What is left of its group dies with the object.
  [[nodiscard]] bool FTerminate();
  // SIGTERM to the whole group, SIGKILL to what is left after 5 s.
  void PStop() noexcept;

 private:
  pid_t vPid = -1;
  pid_t vGroup = -1;
};

}  // namespace e2e
