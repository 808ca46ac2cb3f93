// The FastCGI accept loop over libfcgi, and the environment one request is
// read from and answered to.
#include "host/FastCGIApp.h"

#include <fcgiapp.h>
#include <signal.h>

#include <cerrno>
#include <csignal>
#include <string>
#include <vector>

#include "host/CGIApp.h"
#include "port/ForwardingEnv.h"

namespace host {

namespace {

// Set by the signal handler, read by the loop: a stop was asked for.
volatile std::sig_atomic_t vStopAsked = 0;

extern "C" void POnStopSignal(int) {
  vStopAsked = 1;
  FCGX_ShutdownPending();
}

// The stop signals' handler. While the worker waits in accept, the
// handler must interrupt the call (no SA_RESTART), or a SIGTERM would
// never end an idle worker. While a request runs, interrupted calls are
// resumed (SA_RESTART): the request finishes, then the loop stops.
//
// It is installed again before every wait: the database client installs
// its own SIGTERM and SIGINT handlers (with SA_RESTART) when it attaches,
// which would leave the waiting accept deaf to SIGTERM.
void PInstallStopHandler(bool pInterruptCalls) {
  struct sigaction vAction {};
  vAction.sa_handler = POnStopSignal;
  sigemptyset(&vAction.sa_mask);
  vAction.sa_flags = pInterruptCalls ? 0 : SA_RESTART;
  (void)::sigaction(SIGTERM, &vAction, nullptr);
  (void)::sigaction(SIGINT, &vAction, nullptr);
}

// One request's environment: its own variables, content and output; all
// else (files, clock, log) is the process's.
class TFastCGIRequestEnv final : public port::TForwardingEnv {
 public:
  TFastCGIRequestEnv(port::IEnv& pProcess, FCGX_Request& pRequest) : TForwardingEnv(pProcess), vRequest(pRequest) {}

  std::vector<std::pair<std::string, std::string>> FEnvironment() override {
    std::vector<std::pair<std::string, std::string>> vResult;
    for (char** vEntry = vRequest.envp; vEntry != nullptr && *vEntry != nullptr; ++vEntry) {
      const std::string_view vText(*vEntry);
      const std::size_t vEquals = vText.find('=');
      if (vEquals == std::string_view::npos) {
        vResult.emplace_back(std::string(vText), std::string());
      } else {
        vResult.emplace_back(std::string(vText.substr(0, vEquals)), std::string(vText.substr(vEquals + 1)));
      }
    }
    return vResult;
  }

  std::size_t FReadStdin(char* pBuffer, std::size_t pSize) override {
    const int vAsked = pSize > static_cast<std::size_t>(cMaxChunk) ? cMaxChunk : static_cast<int>(pSize);
    const int vRead = FCGX_GetStr(pBuffer, vAsked, vRequest.in);
    return vRead > 0 ? static_cast<std::size_t>(vRead) : 0;
  }

  bool FWriteStdout(std::string_view pData) override { return FPut(pData, vRequest.out); }
  bool FWriteStderr(std::string_view pData) override { return FPut(pData, vRequest.err); }
  // The worker outlives its answer anyway; a stop asked for meanwhile is
  // honoured by the loop once the request is finished.
  void PHoldTermination() override {}
  // A request is never started by a process manager itself.
  bool FStdinIsListeningSocket() override { return false; }

 private:
  // libfcgi counts in int.
  static constexpr int cMaxChunk = 1 << 20;

  static bool FPut(std::string_view pData, FCGX_Stream* pStream) {
    while (!pData.empty()) {
      const int vCount = pData.size() > static_cast<std::size_t>(cMaxChunk) ? cMaxChunk : static_cast<int>(pData.size());
      if (FCGX_PutStr(pData.data(), vCount, pStream) != vCount) return false;
      pData.remove_prefix(static_cast<std::size_t>(vCount));
    }
    return true;
  }

  FCGX_Request& vRequest;
};

}  // namespace

TFastCGIApplication::TFastCGIApplication(TCGIApplication& pApplication, port::IEnv& pProcessEnv,
                                         std::function<void()> pAfterRequest)
    : vApplication(pApplication), vProcessEnv(pProcessEnv), vAfterRequest(std::move(pAfterRequest)) {}

bool TFastCGIApplication::FRun() {
  if (FCGX_Init() != 0) return false;
  FCGX_Request vRequest;
  // Listening socket: standard input. An interrupted accept returns, so the
  // loop sees a stop asked for while it waited.
  if (FCGX_InitRequest(&vRequest, 0, FCGI_FAIL_ACCEPT_ON_INTR) != 0) return false;
  while (vStopAsked == 0) {
    PInstallStopHandler(true);
    if (vStopAsked != 0) break;
    const int vAccepted = FCGX_Accept_r(&vRequest);
    if (vAccepted < 0) {
      if (vStopAsked != 0) break;
      if (errno == EINTR) continue;  // another signal: wait again
      break;                         // the listening socket is gone
    }
    PInstallStopHandler(false);
    {
      TFastCGIRequestEnv vRequestEnv(vProcessEnv, vRequest);
      vApplication.PRunFresh(vRequestEnv);
    }
    FCGX_Finish_r(&vRequest);
    if (vAfterRequest) vAfterRequest();
  }
  FCGX_Free(&vRequest, 1);
  // An interrupted call leaves EINTR in errno; the embedded engine's
  // detach that follows at shutdown was seen to spin on it.
  errno = 0;
  return true;
}

}  // namespace host
