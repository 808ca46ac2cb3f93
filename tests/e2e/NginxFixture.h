// Test support: nginx with fcgiwrap in front of the service, configured by
// the project's deploy/nginx/velmora.conf (a snippet included in the
// fixture's one server block).
//
//   e2e::TNginx vServer(vPaths);       // 127.0.0.1, free port
//   e2e::FHttpGet(vServer.FBaseUrl() + "/");
//
// nginx gets a prefix of its own in a temporary directory (configuration,
// pid file, logs, temporary files, a copy of the system's fastcgi_params,
// an empty document root) and runs in the foreground as a child of the
// test; fcgiwrap is started through spawn-fcgi on a socket in the same
// directory, with two workers. Started by root both hand their processes
// to the web servers' user (FServerUser), which must own the service
// directory, the lock directory and the database's directory
// (PGrantToServerUser). pPaths.vFcgiSocket and pPaths.vRuntimeDir are
// ignored.
//
// In TMode::cFastCGIWorkers the snippet is deploy/nginx/velmora-fastcgi.conf
// and spawn-fcgi starts two persistent workers of the service directory's
// velmora.cgi on a socket in the fixture's directory, with FIREBIRD and
// FIREBIRD_LOCK as their whole environment, as that file's header says.
// spawn-fcgi leaves them on their own: the fixture knows their process ids,
// stops them with PStopWorkers and kills what is left on destruction.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "e2e/ServerProcess.h"

namespace e2e {

class TNginx {
 public:
  // A CGI process per request through fcgiwrap, or persistent workers.
  enum class TMode { cFcgiwrap, cFastCGIWorkers };

  explicit TNginx(const TDeployPaths& pPaths, TMode pMode = TMode::cFcgiwrap);
  ~TNginx();
  TNginx(const TNginx&) = delete;
  TNginx& operator=(const TNginx&) = delete;

  // Why the server cannot run here (not installed), or empty.
  [[nodiscard]] static std::string FMissing();

  [[nodiscard]] int FPort() const noexcept { return vPort; }
  // "http://127.0.0.1:<port>/velmora.cgi"
  [[nodiscard]] std::string FBaseUrl() const;
  // The error logs and outputs of nginx and fcgiwrap, for failure messages.
  [[nodiscard]] std::string FErrorLog() const;

  // The persistent workers' process ids (none with fcgiwrap).
  [[nodiscard]] const std::vector<pid_t>& FWorkers() const noexcept { return vWorkers; }
  // SIGTERM to every worker, as a service manager stops them; true when
  // all ended within 10 s.
  [[nodiscard]] bool FStopWorkers();

 private:
  void PStartWorkers(const TDeployPaths& pPaths, const std::string& pSocket, const std::string& pUser);
  void PKillWorkers() noexcept;

  TTempDir vDir;
  int vPort = 0;
  std::vector<pid_t> vWorkers;
  TChild vWrapper;
  TChild vServer;
};

}  // namespace e2e
