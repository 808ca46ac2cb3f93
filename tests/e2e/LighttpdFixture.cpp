#include "e2e/LighttpdFixture.h"

#include <fcntl.h>
#include <signal.h>
#include <strings.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <utility>

#include "e2e/ServerProcess.h"

namespace e2e {

namespace {

std::string FReadAll(const std::string& pPath) { return FReadFile(pPath); }

void PReplaceAll(std::string& pText, std::string_view pFrom, const std::string& pTo) {
  for (std::size_t p = pText.find(pFrom); p != std::string::npos; p = pText.find(pFrom, p + pTo.size())) {
    pText.replace(p, pFrom.size(), pTo);
  }
}

}  // namespace

TLighttpd::TLighttpd(const std::string& pCgiExe, const std::string& pFirebirdRoot, std::string pLockDir, TMode pMode)
    : vLockDir(std::move(pLockDir)), vMode(pMode) {
  for (int vTry = 0; vTry < 5; ++vTry) {
    if (FStart(pCgiExe, pFirebirdRoot)) return;
  }
  throw std::runtime_error("lighttpd did not start: " + FErrorLog());
}

TLighttpd::~TLighttpd() { PStop(); }

bool TLighttpd::FStart(const std::string& pCgiExe, const std::string& pFirebirdRoot) {
  vPort = FFreePort();
  const std::string vDocRoot = vDir.FPath() + "/docroot";
  std::filesystem::create_directories(vDocRoot);
  // The package's own file for the service, with the build tree's paths.
  TDeployPaths vPaths;
  vPaths.vServiceDir = std::filesystem::path(pCgiExe).parent_path().string();
  vPaths.vFirebirdRoot = pFirebirdRoot;
  vPaths.vLockDir = vLockDir;
  vPaths.vRuntimeDir = vDir.FPath();
  std::string vService = FDeployConfig(
      vMode == TMode::cFastCGI ? "deploy/lighttpd/50-velmora-fastcgi.conf" : "deploy/lighttpd/50-velmora.conf", vPaths);
  // The executable's own name (a test may serve another build of it).
  PReplaceAll(vService, "\"" + vPaths.vServiceDir + "/velmora.cgi\"", "\"" + pCgiExe + "\"");
  std::ofstream(vDir.FPath() + "/velmora.conf") << vService;
  std::string vConfig = FReadAll(std::string(VELMORA_SOURCE_DIR) + "/scripts/lighttpd.conf.in");
  PReplaceAll(vConfig, "@BIND@", "127.0.0.1");
  PReplaceAll(vConfig, "@PORT@", std::to_string(vPort));
  PReplaceAll(vConfig, "@DOCROOT@", vDocRoot);
  PReplaceAll(vConfig, "@ERRORLOG@", vDir.FPath() + "/error.log");
  PReplaceAll(vConfig, "@VELMORA@", vDir.FPath() + "/velmora.conf");
  const std::string vConfigPath = vDir.FPath() + "/lighttpd.conf";
  std::ofstream(vConfigPath) << vConfig;

  const std::string vOutput = vDir.FPath() + "/lighttpd.out";
  vPid = fork();
  if (vPid < 0) throw std::runtime_error("fork failed");
  if (vPid == 0) {
    int vFd = open(vOutput.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (vFd >= 0) {
      dup2(vFd, 1);
      dup2(vFd, 2);
    }
    int vNull = open("/dev/null", O_RDONLY);
    if (vNull >= 0) dup2(vNull, 0);
    char* vEnv[] = {const_cast<char*>("PATH=/usr/sbin:/usr/bin:/bin"), nullptr};
    execle("/usr/sbin/lighttpd", "lighttpd", "-D", "-f", vConfigPath.c_str(), static_cast<char*>(nullptr), vEnv);
    _exit(127);
  }
  const auto vDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < vDeadline) {
    int vStatus = 0;
    if (waitpid(vPid, &vStatus, WNOHANG) == vPid) {  // exited: port taken or bad configuration
      vPid = -1;
      return false;
    }
    if (FAccepts(vPort)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  PStop();
  return false;
}

void TLighttpd::PStop() noexcept {
  if (vPid <= 0) return;
  kill(vPid, SIGTERM);
  int vStatus = 0;
  for (int i = 0; i < 250; ++i) {
    if (waitpid(vPid, &vStatus, WNOHANG) == vPid) {
      vPid = -1;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(vPid, SIGKILL);
  waitpid(vPid, &vStatus, 0);
  vPid = -1;
}

std::string TLighttpd::FBaseUrl() const { return "http://127.0.0.1:" + std::to_string(vPort) + "/velmora.cgi"; }

std::string TLighttpd::FErrorLog() const {
  return FReadAll(vDir.FPath() + "/error.log") + FReadAll(vDir.FPath() + "/lighttpd.out");
}

std::string THttpResult::FHeader(std::string_view pName) const {
  std::istringstream vLines(vHeaders);
  for (std::string vLine; std::getline(vLines, vLine);) {
    if (!vLine.empty() && vLine.back() == '\r') vLine.pop_back();
    const std::size_t vColon = vLine.find(':');
    if (vColon == pName.size() && strncasecmp(vLine.c_str(), pName.data(), pName.size()) == 0) {
      std::size_t vStart = vColon + 1;
      while (vStart < vLine.size() && vLine[vStart] == ' ') ++vStart;
      return vLine.substr(vStart);
    }
  }
  return {};
}

THttpResult FCurl(const std::vector<std::string>& pArgs) {
  std::vector<std::string> vArgv = {"curl", "-s", "-S", "-i", "--max-time", "60"};
  vArgv.insert(vArgv.end(), pArgs.begin(), pArgs.end());
  TProcessResult vRun = FRunProgram(vArgv, {{"PATH", "/usr/bin:/bin"}}, {}, 90);
  THttpResult vResult;
  vResult.vError = vRun.vStderr;
  std::string_view vText = vRun.vStdout;
  // Interim answers (100 Continue) come first; the last header block counts.
  while (true) {
    const std::size_t vEnd = vText.find("\r\n\r\n");
    if (vEnd == std::string_view::npos) return vResult;
    std::string_view vBlock = vText.substr(0, vEnd + 2);
    vText.remove_prefix(vEnd + 4);
    if (vBlock.size() > 12 && vBlock.substr(9, 1) == "1") continue;
    vResult.vHeaders = std::string(vBlock);
    if (vBlock.size() > 12) vResult.vStatus = std::stoi(std::string(vBlock.substr(9, 3)));
    vResult.vBody = std::string(vText);
    return vResult;
  }
}

THttpResult FHttpGet(const std::string& pUrl) { return FCurl({pUrl}); }

THttpResult FHttpPost(const std::string& pUrl, const std::string& pContentType, const std::string& pSoapAction,
                      const std::string& pBody) {
  // The body goes through a file: a command-line argument is limited to
  // 128 KiB, and bodies near the server's limit are tested too.
  char vName[] = "/tmp/velmora-body-XXXXXX";
  const int vFd = mkstemp(vName);
  if (vFd < 0) throw std::runtime_error("cannot create a body file");
  const bool vWritten = write(vFd, pBody.data(), pBody.size()) == static_cast<ssize_t>(pBody.size());
  close(vFd);
  THttpResult vResult;
  if (vWritten) {
    vResult = FCurl({"-H", "Content-Type: " + pContentType, "-H", "SOAPAction: " + pSoapAction, "-H", "Expect:",
                     "--data-binary", std::string("@") + vName, pUrl});
  }
  unlink(vName);
  if (!vWritten) throw std::runtime_error("cannot write a body file");
  return vResult;
}

std::string FSoapCall(std::string_view pOperation, std::string_view pParameters) {
  return std::string(
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
             "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" "
             "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
             "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
             "xmlns:SOAP-ENC=\"http://schemas.xmlsoap.org/soap/encoding/\">"
             "<SOAP-ENV:Body SOAP-ENV:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\">"
             "<NS1:") +
         std::string(pOperation) + " xmlns:NS1=\"urn:VelmoraIntf-IVelmora\">" + std::string(pParameters) + "</NS1:" +
         std::string(pOperation) + "></SOAP-ENV:Body></SOAP-ENV:Envelope>";
}

}  // namespace e2e
