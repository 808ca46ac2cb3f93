// The life of one service process: start-up, the one request cycle and
// shutdown, in their fixed orders.
//
// Start-up: the web application is created, IWSDLPublish is registered, the
// web module type is recorded, IVelmora with its key type and TVelmora is
// registered; the XML runtime starts; the module type is recorded again;
// the controller is created (and never freed); the database module it
// returns is kept by this process object, vFireBird only borrows it.
// Shutdown: the web application with its web module, then the trace log
// (finish banner), then the database module (its connection), then the
// XML runtime.
//
// An exception before the request cycle writes
//   "Exception <class> in module <file> at <address>." CR LF <message> CR LF
// ("." added to a message that lacks it) to standard error, nothing to
// standard output, and the process answers 1.
#pragma once

#include "host/CGIApp.h"

namespace port {
class IEnv;
}

namespace app {

struct TStartupOptions {
  // The type recorded in the second recording step. Only a test hands in
  // another one, to see a start-up failure take its real path.
  host::TWebModuleClass vWebModuleClassAgain = nullptr;  // nullptr: TWebModule1 again
};

// Runs the process through and returns its exit code (0, or 1 after a
// start-up failure). Output is complete when it returns.
[[nodiscard]] int FRunProcess(port::IEnv& pEnv, const TStartupOptions& pOptions = {});

// The start-up failure message for standard error.
[[nodiscard]] std::string FStartupFailureMessage(std::string_view pClassName, std::string_view pModule,
                                                 const void* pAddress, std::string_view pMessage);

}  // namespace app
