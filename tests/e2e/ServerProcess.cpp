#include "e2e/ServerProcess.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace e2e {

namespace fs = std::filesystem;

namespace {

void PReplaceAll(std::string& pText, std::string_view pFrom, const std::string& pTo) {
  for (std::size_t p = pText.find(pFrom); p != std::string::npos; p = pText.find(pFrom, p + pTo.size())) {
    pText.replace(p, pFrom.size(), pTo);
  }
}

}  // namespace

std::string FDeployConfig(std::string_view pRelative, const TDeployPaths& pPaths) {
  const std::string vPath = std::string(VELMORA_SOURCE_DIR) + "/" + std::string(pRelative);
  std::string vText = FReadFile(vPath);
  if (vText.empty()) throw std::runtime_error("cannot read " + vPath);
  // The root lies inside the service directory: it goes first.
  PReplaceAll(vText, "/usr/lib/velmora/firebird", pPaths.vFirebirdRoot);
  PReplaceAll(vText, "/usr/lib/velmora", pPaths.vServiceDir);
  PReplaceAll(vText, "/var/lib/velmora/lock", pPaths.vLockDir);
  PReplaceAll(vText, "/run/fcgiwrap.socket", pPaths.vFcgiSocket);
  PReplaceAll(vText, "/run/lighttpd", pPaths.vRuntimeDir);
  PReplaceAll(vText, "/run/velmora", pPaths.vRuntimeDir);
  return vText;
}

std::string FReadFile(const std::string& pPath) {
  std::ifstream vIn(pPath, std::ios::binary);
  std::ostringstream vText;
  vText << vIn.rdbuf();
  return vText.str();
}

std::string FServerUser() {
  if (geteuid() != 0) return {};
  // Apache refuses to hand its workers to root; the web servers' user
  // is also what the CGI runs as once deployed.
  for (const char* vName : {"www-data", "nobody"}) {
    if (getpwnam(vName) != nullptr) return vName;
  }
  throw std::runtime_error("running as root, and neither www-data nor nobody exists");
}

void PGrantToServerUser(const std::vector<std::string>& pPaths) {
  const std::string vUser = FServerUser();
  if (vUser.empty()) return;
  const passwd* vEntry = getpwnam(vUser.c_str());
  const auto PGive = [vEntry](const fs::path& pPath) {
    if (lchown(pPath.c_str(), vEntry->pw_uid, vEntry->pw_gid) != 0) {
      throw std::runtime_error("cannot give " + pPath.string() + " to the server user");
    }
  };
  for (const std::string& vPath : pPaths) {
    PGive(vPath);
    if (!fs::is_directory(vPath)) continue;
    for (const auto& vEntryIn : fs::recursive_directory_iterator(vPath)) PGive(vEntryIn.path());
  }
}

bool FProcessGone(pid_t pPid) {
  // The state follows the command name, which is in parentheses.
  const std::string vStat = FReadFile("/proc/" + std::to_string(pPid) + "/stat");
  const std::size_t vClose = vStat.rfind(')');
  return vClose == std::string::npos || vStat.compare(vClose, 4, ") Z ") == 0 ||
         vStat.compare(vClose, 4, ") X ") == 0;
}

TChild::TChild(const std::vector<std::string>& pArgv, const TEnvironment& pEnv, const std::string& pOutput) {
  std::vector<std::string> vEnvText;
  for (const auto& [vName, vValue] : pEnv) vEnvText.push_back(vName + "=" + vValue);
  std::vector<char*> vArgs;
  for (const std::string& vArg : pArgv) vArgs.push_back(const_cast<char*>(vArg.c_str()));
  vArgs.push_back(nullptr);
  std::vector<char*> vEnv;
  for (std::string& vEntry : vEnvText) vEnv.push_back(vEntry.data());
  vEnv.push_back(nullptr);

  vPid = fork();
  if (vPid < 0) throw std::runtime_error("fork failed");
  if (vPid == 0) {
    // Its own process group: stopping it reaches every worker it forked.
    setpgid(0, 0);
    int vFd = open(pOutput.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (vFd >= 0) {
      dup2(vFd, 1);
      dup2(vFd, 2);
    }
    int vNull = open("/dev/null", O_RDONLY);
    if (vNull >= 0) dup2(vNull, 0);
    execve(vArgs[0], vArgs.data(), vEnv.data());
    _exit(127);
  }
  setpgid(vPid, vPid);
  vGroup = vPid;
}

TChild::~TChild() { PStop(); }

TChild& TChild::operator=(TChild&& pOther) noexcept {
  if (this != &pOther) {
    PStop();
    vPid = pOther.vPid;
    vGroup = pOther.vGroup;
    pOther.vPid = pOther.vGroup = -1;
  }
  return *this;
}

bool TChild::FExited() {
  if (vPid <= 0) return true;
  int vStatus = 0;
  if (waitpid(vPid, &vStatus, WNOHANG) != vPid) return false;
  vPid = -1;
  return true;
}

bool TChild::FWaitForPort(int pPort) {
  const auto vDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < vDeadline) {
    if (FExited()) return false;
    if (FAccepts(pPort)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

bool TChild::FWaitForFile(const std::string& pPath) {
  const auto vDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < vDeadline) {
    if (FExited()) return false;
    if (fs::exists(pPath)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

bool TChild::FTerminate() {
  if (vPid <= 0) return true;
  kill(vPid, SIGTERM);
  const auto vDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < vDeadline) {
    if (FExited()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

void TChild::PStop() noexcept {
  if (vPid <= 0) {
    // The program ended by itself or by FTerminate: whatever of its group
    // outlived it goes now.
    if (vGroup > 0) kill(-vGroup, SIGKILL);
    vGroup = -1;
    return;
  }
  kill(-vGroup, SIGTERM);
  int vStatus = 0;
  bool vReaped = false;
  for (int i = 0; i < 250 && !vReaped; ++i) {
    vReaped = waitpid(vPid, &vStatus, WNOHANG) == vPid;
    if (!vReaped) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  // Whatever of the group is still there (workers slow to leave, or the
  // leader itself) is killed.
  kill(-vGroup, SIGKILL);
  if (!vReaped) waitpid(vPid, &vStatus, 0);
  vPid = vGroup = -1;
}

}  // namespace e2e
