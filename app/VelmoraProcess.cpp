#include "app/VelmoraProcess.h"

#include <cstdint>
#include <cstdio>
#include <memory>

#include "data/FbClient.h"
#include "data/uClassControle.h"
#include "host/uWebModule.h"
#include "port/Env.h"
#include "soap/VelmoraIntf.h"
#include "soap/WSDLPublishIntf.h"
#include "soap/XmlRuntime.h"
#include "tracelog/LogNFe.h"

namespace app {

namespace {

// The process-wide owner: the web application and the database module.
class TVelmoraProcess {
 public:
  TVelmoraProcess(port::IEnv& pEnv, const TStartupOptions& pOptions) : vEnv(pEnv), vOptions(pOptions) {}

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

    // Deliberately never freed: the controller lives as long as the process.
    data::vControle = std::make_unique<data::TControle>().release();

    vDatabase = data::vControle->FRetornaBancoDeDados();
    data::vFireBird = vDatabase.get();
  }

  void PRunRequest() { vApplication->PRun(); }

  // Shutdown in its order; also tidies up after a start-up that failed
  // half-way, releasing only what was created.
  void PShutDown() noexcept {
    vApplication.reset();
    tracelog::PLiberaLog();
    data::vFireBird = nullptr;
    vDatabase.reset();
    // The process ends with _exit, which would skip the client library's
    // teardown: run it here, or every embedded attach leaves its trace
    // file in the lock directory.
    data::PShutdownClient();
    if (vXmlRuntime) soap::PCoUninitialize();
    vXmlRuntime = false;
  }

 private:
  port::IEnv& vEnv;
  TStartupOptions vOptions;
  std::unique_ptr<host::TCGIApplication> vApplication;
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
  vProcess.PRunRequest();
  vProcess.PShutDown();
  return 0;
}

}  // namespace app
