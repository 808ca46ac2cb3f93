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
// (PGrantToServerUser). pPaths.vFcgiSocket is ignored.
#pragma once

#include <string>

#include "e2e/ServerProcess.h"

namespace e2e {

class TNginx {
 public:
  explicit TNginx(const TDeployPaths& pPaths);
  TNginx(const TNginx&) = delete;
  TNginx& operator=(const TNginx&) = delete;

  // Why the server cannot run here (not installed), or empty.
  [[nodiscard]] static std::string FMissing();

  [[nodiscard]] int FPort() const noexcept { return vPort; }
  // "http://127.0.0.1:<port>/velmora.cgi"
  [[nodiscard]] std::string FBaseUrl() const;
  // The error logs and outputs of nginx and fcgiwrap, for failure messages.
  [[nodiscard]] std::string FErrorLog() const;

 private:
  TTempDir vDir;
  int vPort = 0;
  TChild vWrapper;
  TChild vServer;
};

}  // namespace e2e
