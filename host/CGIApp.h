// The web application of a CGI process: records the web module type, runs
// the one request cycle and keeps the web module it created until it is
// destroyed itself.
//
// Request cycle: create the request (which reads the content) and the
// response, create the web module, let it dispatch, send the response when
// the module handled it and it has not gone out yet, then free the
// response and the request. An exception while dispatching goes to the
// module's "Internal Application Error" page; any other exception of the
// cycle ends in the fixed "Internal Server Error 500" answer, written after
// request and response are freed. PRun never throws.
//
// REQUIRES: pEnv outlives the application.
#pragma once

#include <exception>
#include <memory>

#include "host/WebModule.h"
#include "port/Exception.h"

namespace port {
class IEnv;
}

namespace host {

class TWebResponse;

class EWebApplicationError : public port::Exception {
 public:
  using port::Exception::Exception;
  [[nodiscard]] const char* FClassName() const noexcept override { return "EWebApplicationError"; }
};

// A web module type: makes one module for the request cycle.
using TWebModuleClass = std::unique_ptr<TWebModule> (*)(port::IEnv& pEnv);

class TCGIApplication {
 public:
  explicit TCGIApplication(port::IEnv& pEnv) : vEnv(pEnv) {}
  ~TCGIApplication() = default;
  TCGIApplication(const TCGIApplication&) = delete;
  TCGIApplication& operator=(const TCGIApplication&) = delete;

  // Records the module type; recording the same one again changes nothing,
  // a different one throws EWebApplicationError.
  void PSetWebModuleClass(TWebModuleClass pClass);

  void PRun() noexcept;
  // The same request cycle for a process that serves many requests: the
  // request is read from and answered to pRequestEnv (its own variables,
  // content and output), and the web module is made for this request and
  // freed after it, so nothing of it reaches the next one.
  void PRunFresh(port::IEnv& pRequestEnv) noexcept;

  // The fixed answer for an exception outside dispatch, header block and
  // body as the two writes that PRun makes.
  [[nodiscard]] static std::string FServerErrorHeader(std::string_view pMessage, std::size_t pBodyLength);
  [[nodiscard]] static std::string FServerErrorBody(std::string_view pClassName, std::string_view pMessage);

 private:
  void PRunCycle(port::IEnv& pRequestEnv, std::unique_ptr<TWebModule>& pModule) noexcept;
  void PHandleRequest(port::IEnv& pRequestEnv, std::unique_ptr<TWebModule>& pModule, TWebRequest& pRequest,
                      TWebResponse& pResponse);
  static void PWriteServerError(port::IEnv& pRequestEnv, std::string_view pClassName,
                                std::string_view pMessage) noexcept;

  port::IEnv& vEnv;
  TWebModuleClass vWebModuleClass = nullptr;
  std::unique_ptr<TWebModule> vWebModule;  // the module cache: one per process
};

}  // namespace host
