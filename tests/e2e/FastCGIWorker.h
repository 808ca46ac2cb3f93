// Test support: the service executable as a FastCGI worker, the way a
// process manager starts it (standard input a listening Unix socket), and a
// small FastCGI client that sends one request (its parameters and content)
// and returns the bytes the worker wrote to its output stream.
//
// Failures to set things up throw std::runtime_error.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

#include "e2e/ProcessRunner.h"

namespace e2e {

class TFastCGIWorker {
 public:
  // Starts pExe with exactly pEnv as its environment and a listening socket
  // under pSocketDir as its standard input.
  TFastCGIWorker(const std::string& pExe, const TEnvironment& pEnv, const std::string& pSocketDir);
  // Stops the worker (SIGKILL when it is still there) and reaps it.
  ~TFastCGIWorker();
  TFastCGIWorker(const TFastCGIWorker&) = delete;
  TFastCGIWorker& operator=(const TFastCGIWorker&) = delete;

  // One request: its parameters (the CGI variables) and content; the
  // worker's output stream (header block and body), "" when the connection
  // failed or ended without an answer.
  [[nodiscard]] std::string FRequest(const TEnvironment& pParams, std::string_view pContent = {}) const;

  [[nodiscard]] pid_t FPid() const noexcept { return vPid; }
  // Sends pSignal and waits up to pTimeoutMs for the worker to end: its
  // exit code, -1 when it did not exit normally, -2 when still running.
  int FStop(int pSignal, int pTimeoutMs);

 private:
  std::string vSocketPath;
  pid_t vPid = -1;
};

// VmRSS of a process in KiB (0 when unknown).
[[nodiscard]] long FResidentKiB(pid_t pPid);

}  // namespace e2e
