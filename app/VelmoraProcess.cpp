#include "app/VelmoraProcess.h"

#include <cstdint>
#include <cstdio>
#include <memory>

#include "data/uClassControle.h"
#include "host/FastCGIApp.h"
#include "host/uWebModule.h"
#include "port/Env.h"
#include "soap/VelmoraIntf.h"
#include "soap/WSDLPublishIntf.h"
#include "soap/XmlRuntime.h"
#include "tracelog/LogNFe.h"

namespace app {

namespace {

// The one owner of the process's state, in the order start-up creates it:
// the environment (borrowed from the entry), the trace log's slot, the two
// registries, the web application, the controller and the database module.
// vControle, vFireBird and FRetornaLog are only accessors of what it holds;
// it sets them and clears them, nothing else does.
class TVelmoraProcess {
 public:
  TVelmoraProcess(port::IEnv& pEnv, const TStartupOptions& pOptions)
      : vEnv(pEnv), vOptions(pOptions), vLog(pEnv) {}
  ~TVelmoraProcess() {
    PShutDown();
    data::vControle = nullptr;
  }
  TVelmoraProcess(const TVelmoraProcess&) = delete;
  TVelmoraProcess& operator=(const TVelmoraProcess&) = delete;

  // Start-up steps 1 to 5; throws what fails.
  void PStartUp() {
    vApplication = std::make_unique<host::TCGIApplication>(vEnv);
    soap::PRegisterWSDLPublish();
    vApplication->PSetWebModuleClass(&host::FCreateWebModule1);
    soap::PRegisterVelmoraIntf();

    soap::PCoInitialize();
    vXmlRuntime = true;

    vApplication->PSetWebModuleClass(vOptions.vWebModuleClassAgain != nullptr ? vOptions.vWebModuleClassAgain
                                                                              : &host::FCreateWebModule1);

    // The controller is never freed while the process runs: shutdown leaves
    // it alone, and only the end of this owner (the process's end) takes it.
    vControle = std::make_unique<data::TControle>();
    data::vControle = vControle.get();

    vDatabase = data::vControle->FRetornaBancoDeDados(vEnv);
    data::vFireBird = vDatabase.get();
  }

  void PRunRequest() { vApplication->PRun(); }

  // The persistent mode: the request cycle once per FastCGI request, in
  // this process, until a stop is asked for. Every line goes into the
  // file of its own day; after each request the database module ends what
  // the request left open on its connection.
  void PServeFastCGI() {
    tracelog::FRetornaLog().PSetDailyFile(true);
    host::TFastCGIApplication vServer(*vApplication, vEnv, [] {
      if (data::vFireBird != nullptr) data::vFireBird->PFimRequisicao();
    });
    (void)vServer.FRun();
  }

  // Shutdown in its order; also tidies up after a start-up that failed
  // half-way, releasing only what was created.
  void PShutDown() noexcept {
    vApplication.reset();
    vLog.PLiberaLog();
    data::vFireBird = nullptr;
    vDatabase.reset();
    if (vXmlRuntime) soap::PCoUninitialize();
    vXmlRuntime = false;
  }

 private:
  port::IEnv& vEnv;
  TStartupOptions vOptions;
  tracelog::TProcessLog vLog;
  soap::TRegistries vRegistries;
  std::unique_ptr<host::TCGIApplication> vApplication;
  std::unique_ptr<data::TControle> vControle;
  std::unique_ptr<data::TDMBancoDeDados> vDatabase;
  bool vXmlRuntime = false;
};

std::string FFileName(const std::string& pPath) {
  const std::size_t vSlash = pPath.find_last_of('/');
  return vSlash == std::string::npos ? pPath : pPath.substr(vSlash + 1);
}

}  // namespace

std::string FStartupFailureMessage(std::string_view pClassName, std::string_view pModule, const void* pAddress,
                                   std::string_view pMessage) {
  char vAddress[32];
  std::snprintf(vAddress, sizeof vAddress, "%016llX",
                static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(pAddress)));
  std::string vText = "Exception " + std::string(pClassName) + " in module " + std::string(pModule) + " at " +
                      vAddress + ".\r\n" + std::string(pMessage);
  if (vText.back() != '.') vText += '.';
  vText += "\r\n";
  return vText;
}

int FRunProcess(port::IEnv& pEnv, const TStartupOptions& pOptions) {
  TVelmoraProcess vProcess(pEnv, pOptions);
  try {
    vProcess.PStartUp();
  } catch (const std::exception& e) {
    (void)pEnv.FWriteStderr(FStartupFailureMessage(port::FExceptionClassName(e), FFileName(pEnv.FExePath()),
                                                   reinterpret_cast<const void*>(&FRunProcess), e.what()));
    vProcess.PShutDown();
    return 1;
  } catch (...) {
    (void)pEnv.FWriteStderr(FStartupFailureMessage("Exception", FFileName(pEnv.FExePath()),
                                                   reinterpret_cast<const void*>(&FRunProcess), "Unknown exception"));
    vProcess.PShutDown();
    return 1;
  }
  if (pEnv.FStdinIsListeningSocket()) {
    vProcess.PServeFastCGI();
  } else {
    vProcess.PRunRequest();
  }
  vProcess.PShutDown();
  return 0;
}

}  // namespace app
