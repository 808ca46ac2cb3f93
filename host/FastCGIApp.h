// The persistent mode: the process was started by a FastCGI process manager
// (standard input is a listening socket) and serves request after request
// with the request cycle of the CGI mode. Each request is read from its own
// FastCGI parameters and input and answered on its own output with the same
// bytes a CGI process writes; its request, response and web module are made
// for it and freed after it.
//
// Life of the worker: SIGTERM (or SIGINT) while it waits for a request ends
// the loop at once; while a request runs, that request is finished and
// answered first. PRun returns when the loop ends; the caller then shuts
// the process down (finish banner, detach).
//
// The FastCGI library (libfcgi) is reached from FastCGIApp.cpp only.
//
// REQUIRES: pApplication and pProcessEnv outlive the object; one per process.
#pragma once

#include <functional>

namespace port {
class IEnv;
}

namespace host {

class TCGIApplication;

class TFastCGIApplication {
 public:
  // pAfterRequest runs after each request has been answered and finished
  // (the database module ends what the request left open there).
  TFastCGIApplication(TCGIApplication& pApplication, port::IEnv& pProcessEnv,
                      std::function<void()> pAfterRequest = {});
  TFastCGIApplication(const TFastCGIApplication&) = delete;
  TFastCGIApplication& operator=(const TFastCGIApplication&) = delete;

  // Serves requests until asked to stop; false when the listening socket
  // could not be used at all.
  bool FRun();

 private:
  TCGIApplication& vApplication;
  port::IEnv& vProcessEnv;
  std::function<void()> vAfterRequest;
};

}  // namespace host
