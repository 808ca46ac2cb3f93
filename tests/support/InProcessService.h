// Test support: one whole service process run in memory, with no process
// spawned: start-up, the request cycle and shutdown (app::FRunProcess) over
// an in-memory environment that holds the CGI variables, the content, the
// configuration file and the trace log. The answer bytes and the log are
// read back from it.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/VelmoraProcess.h"
#include "port/MemEnv.h"

namespace testsupport {

struct TInProcessAnswer {
  std::string vStdout;
  std::string vStderr;
  int vExitCode = -1;
  std::string vLog;  // the day's trace file
};

class TInProcessService {
 public:
  static constexpr const char* cExe = "/opt/velmora/velmora.cgi";
  static constexpr const char* cIni = "/opt/velmora/caminhoBDQuindar.ini";
  static constexpr const char* cLog = "/opt/velmora/log/Logvelmora20240305.txt";  // the fake clock's day

  // pIni: the configuration file's text; none when empty (no request can
  // then reach a database).
  explicit TInProcessService(std::string pIni = {}) : vIni(std::move(pIni)) {}

  // A further file of the installation (the publisher's administration
  // file, say), present in every run from now on.
  void PSetFile(std::string pPath, std::string pContent) { vFiles.emplace_back(std::move(pPath), std::move(pContent)); }

  [[nodiscard]] TInProcessAnswer FRun(const std::vector<std::pair<std::string, std::string>>& pVariables,
                                      std::string_view pContent = {}) const {
    port::TMemEnv vEnv;
    vEnv.vExePath = cExe;
    vEnv.vEnvironment = pVariables;
    vEnv.vStdin = std::string(pContent);
    if (!vIni.empty()) vEnv.PSetFile(cIni, vIni);
    for (const auto& [vPath, vContent] : vFiles) vEnv.PSetFile(vPath, vContent);
    TInProcessAnswer vAnswer;
    vAnswer.vExitCode = app::FRunProcess(vEnv);
    vAnswer.vStdout = vEnv.vStdout;
    vAnswer.vStderr = vEnv.vStderr;
    vAnswer.vLog = vEnv.FFile(cLog);
    return vAnswer;
  }

 private:
  std::string vIni;
  std::vector<std::pair<std::string, std::string>> vFiles;
};

}  // namespace testsupport
