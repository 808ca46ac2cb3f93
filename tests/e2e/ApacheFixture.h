// Test support: Apache httpd 2.4 with mod_cgid (or mod_cgi) in front of the service,
// configured by the project's deploy/apache2/velmora.conf, or with mod_fcgid
// and persistent workers, configured by deploy/apache2/velmora-fastcgi.conf.
//
//   e2e::TApache vServer(vPaths);      // 127.0.0.1, free port
//   e2e::FHttpGet(vServer.FBaseUrl() + "/");
//
// The server gets a main configuration of its own in a temporary directory
// (ServerRoot, pid file, logs, the cgid or fcgid sockets, an empty
// document root),
// loads only the modules the shipped file needs, includes that file with
// the build tree's paths, and runs in the foreground as a child of the
// test; it never reads /etc/apache2. Started by root it hands its workers
// to the web servers' user (FServerUser), which must own the service
// directory, the lock directory and the database's directory
// (PGrantToServerUser).
#pragma once

#include <string>

#include "e2e/ServerProcess.h"

namespace e2e {

class TApache {
 public:
  // Debian's default (event MPM with mod_cgid), the prefork MPM with
  // mod_cgi that mod_php set-ups use, or the event MPM with mod_fcgid.
  enum class TMode { cEventCgid, cPreforkCgi, cEventFcgid };

  explicit TApache(const TDeployPaths& pPaths, TMode pMode = TMode::cEventCgid);
  TApache(const TApache&) = delete;
  TApache& operator=(const TApache&) = delete;

  // Why the server cannot run here in pMode (not installed), or empty.
  [[nodiscard]] static std::string FMissing(TMode pMode = TMode::cEventCgid);

  [[nodiscard]] int FPort() const noexcept { return vPort; }
  // "http://127.0.0.1:<port>/velmora.cgi"
  [[nodiscard]] std::string FBaseUrl() const;
  // The server's error log and output, for failure messages.
  [[nodiscard]] std::string FErrorLog() const;

  // Stops the server as its service manager does (SIGTERM to the parent
  // process, which stops its own children); true when it ended in 10 s.
  [[nodiscard]] bool FTerminate() { return vServer.FTerminate(); }

 private:
  TTempDir vDir;
  int vPort = 0;
  TChild vServer;
};

}  // namespace e2e
