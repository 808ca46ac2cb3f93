// Test support: the real web server in front of the service executable,
// and a real HTTP client (curl) to talk to it.
//
//   e2e::TServiceDir vDir(vDatabasePath);        // exe copy + ini
//   e2e::TLighttpd vServer(vDir.FExe());          // 127.0.0.1, free port
//   auto r = e2e::FHttpGet(vServer.FBaseUrl() + "/");
//   auto s = e2e::FHttpPost(vServer.FBaseUrl() + "/soap/IVelmora", "text/xml",
//                           "\"urn:VelmoraIntf-IVelmora#FVerificaAtividade\"",
//                           e2e::FSoapCall("FVerificaAtividade"));
//
// The server uses the project's lighttpd configuration
// (scripts/lighttpd.conf.in with the package's deploy/lighttpd/50-velmora.conf)
// with an empty document root, runs in the foreground as a child of the
// test and is stopped when the fixture is destroyed. The CGI sees only the
// CGI variables, FIREBIRD and FIREBIRD_LOCK (by default the engine's own
// default, /tmp/firebird, which the tests' other Firebird processes use).
// In TMode::cFastCGI the package's 50-velmora-fastcgi.conf is used instead:
// lighttpd starts the executable as persistent workers, their sockets in
// the fixture's directory, and stops them when it stops.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

#include "e2e/ProcessRunner.h"

namespace e2e {

class TLighttpd {
 public:
  // A process per request (mod_cgi), or persistent workers (mod_fastcgi).
  enum class TMode { cCgi, cFastCGI };

  // Serves pCgiExe at /velmora.cgi (and every path below it).
  explicit TLighttpd(const std::string& pCgiExe, const std::string& pFirebirdRoot = FFirebirdRoot(),
                     std::string pLockDir = "/tmp/firebird", TMode pMode = TMode::cCgi);
  ~TLighttpd();
  TLighttpd(const TLighttpd&) = delete;
  TLighttpd& operator=(const TLighttpd&) = delete;

  [[nodiscard]] int FPort() const noexcept { return vPort; }
  // "http://127.0.0.1:<port>/velmora.cgi"
  [[nodiscard]] std::string FBaseUrl() const;
  // lighttpd's own error log, for failure messages.
  [[nodiscard]] std::string FErrorLog() const;

  // Stops the server (SIGTERM, then SIGKILL after 5 s) and reaps it.
  void PStop() noexcept;

 private:
  [[nodiscard]] bool FStart(const std::string& pCgiExe, const std::string& pFirebirdRoot);

  TTempDir vDir;
  std::string vLockDir;
  TMode vMode;
  pid_t vPid = -1;
  int vPort = 0;
};

struct THttpResult {
  int vStatus = 0;        // 0 when no answer came
  std::string vHeaders;   // the final header block, status line included
  std::string vBody;
  std::string vError;     // curl's complaint, if any

  // The value of the first header of that name (case-insensitive), or empty.
  [[nodiscard]] std::string FHeader(std::string_view pName) const;
};

// Runs curl with pArgs (the URL among them) and splits its answer.
[[nodiscard]] THttpResult FCurl(const std::vector<std::string>& pArgs);
[[nodiscard]] THttpResult FHttpGet(const std::string& pUrl);
[[nodiscard]] THttpResult FHttpPost(const std::string& pUrl, const std::string& pContentType,
                                    const std::string& pSoapAction, const std::string& pBody);

// A SOAP 1.1 RPC request envelope calling pOperation of IVelmora with
// pParameters (already-written XML) inside the operation element.
[[nodiscard]] std::string FSoapCall(std::string_view pOperation, std::string_view pParameters = {});

}  // namespace e2e
