#include "e2e/ProcessRunner.h"

#include "support/TestText.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <stdexcept>

namespace e2e {

namespace fs = std::filesystem;

namespace {

struct TPipe {
  int vRead = -1, vWrite = -1;
  TPipe() {
    int vFds[2];
    if (pipe2(vFds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    vRead = vFds[0];
    vWrite = vFds[1];
  }
  ~TPipe() {
    PCloseRead();
    PCloseWrite();
  }
  void PCloseRead() {
    if (vRead >= 0) close(vRead);
    vRead = -1;
  }
  void PCloseWrite() {
    if (vWrite >= 0) close(vWrite);
    vWrite = -1;
  }
};

}  // namespace

TProcessResult FRunProgram(const std::vector<std::string>& pArgv, const TEnvironment& pEnv, std::string_view pStdin,
                           int pTimeoutSeconds) {
  if (pArgv.empty()) throw std::runtime_error("no program to run");
  // A child that ends without reading all its input (a refused request)
  // must show up as EPIPE below, not kill the test with SIGPIPE.
  static const bool vIgnoresSigpipe = [] { return signal(SIGPIPE, SIG_IGN) != SIG_ERR; }();
  (void)vIgnoresSigpipe;
  std::vector<std::string> vEnvText;
  for (const auto& [vName, vValue] : pEnv) vEnvText.push_back(vName + "=" + vValue);
  std::vector<char*> vArgs, vEnvs;
  for (const std::string& s : pArgv) vArgs.push_back(const_cast<char*>(s.c_str()));
  vArgs.push_back(nullptr);
  for (const std::string& s : vEnvText) vEnvs.push_back(const_cast<char*>(s.c_str()));
  vEnvs.push_back(nullptr);
  // PATH lookup happens here, with the test's own PATH, so that the child's
  // environment can stay exactly what the caller gave.
  std::string vProgram = pArgv[0];
  if (vProgram.find('/') == std::string::npos) {
    for (const char* vDir : {"/usr/local/bin", "/usr/bin", "/bin", "/usr/sbin", "/sbin"}) {
      std::string vCandidate = std::string(vDir) + "/" + vProgram;
      if (access(vCandidate.c_str(), X_OK) == 0) {
        vProgram = vCandidate;
        break;
      }
    }
  }

  TPipe vIn, vOut, vErr;
  const pid_t vPid = fork();
  if (vPid < 0) throw std::runtime_error("fork failed");
  if (vPid == 0) {
    dup2(vIn.vRead, 0);
    dup2(vOut.vWrite, 1);
    dup2(vErr.vWrite, 2);
    execve(vProgram.c_str(), vArgs.data(), vEnvs.data());
    _exit(127);
  }
  vIn.PCloseRead();
  vOut.PCloseWrite();
  vErr.PCloseWrite();
  fcntl(vIn.vWrite, F_SETFL, O_NONBLOCK);

  TProcessResult vResult;
  std::size_t vWritten = 0;
  if (pStdin.empty()) vIn.PCloseWrite();
  const auto vDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(pTimeoutSeconds);
  while (vOut.vRead >= 0 || vErr.vRead >= 0) {
    std::vector<pollfd> vPolls;
    if (vIn.vWrite >= 0) vPolls.push_back({vIn.vWrite, POLLOUT, 0});
    if (vOut.vRead >= 0) vPolls.push_back({vOut.vRead, POLLIN, 0});
    if (vErr.vRead >= 0) vPolls.push_back({vErr.vRead, POLLIN, 0});
    const auto vLeft =
        std::chrono::duration_cast<std::chrono::milliseconds>(vDeadline - std::chrono::steady_clock::now()).count();
    if (vLeft <= 0) {
      kill(vPid, SIGKILL);
      vResult.vTimedOut = true;
      break;
    }
    if (poll(vPolls.data(), vPolls.size(), static_cast<int>(vLeft)) < 0 && errno != EINTR) break;
    for (const pollfd& p : vPolls) {
      if (p.revents == 0) continue;
      if (p.fd == vIn.vWrite) {
        ssize_t n = write(vIn.vWrite, pStdin.data() + vWritten, pStdin.size() - vWritten);
        if (n > 0) vWritten += static_cast<std::size_t>(n);
        if (n < 0 && errno != EAGAIN) vWritten = pStdin.size();  // the child closed its input
        if (vWritten == pStdin.size()) vIn.PCloseWrite();
      } else {
        char vBuffer[65536];
        ssize_t n = read(p.fd, vBuffer, sizeof vBuffer);
        if (n > 0) {
          (p.fd == vOut.vRead ? vResult.vStdout : vResult.vStderr).append(vBuffer, static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
          (p.fd == vOut.vRead ? vOut : vErr).PCloseRead();
        }
      }
    }
  }
  int vStatus = 0;
  waitpid(vPid, &vStatus, 0);
  if (WIFEXITED(vStatus)) vResult.vExitCode = WEXITSTATUS(vStatus);
  return vResult;
}

std::string FServiceExecutable() { return std::string(VELMORA_BINARY_DIR) + "/velmora.cgi"; }

TServiceDir::TServiceDir(const std::string& pDatabase, const std::string& pExecutable) {
  vExe = FPath() + "/" + fs::path(pExecutable).filename().string();
  fs::copy_file(pExecutable, vExe);
  std::ofstream(FPath() + "/caminhoBDQuindar.ini")
      << testsupport::FIniText(pDatabase);
}

TProcessResult TServiceDir::FRunCgi(const TEnvironment& pVariables, std::string_view pStdin) const {
  TEnvironment vEnv = pVariables;
  vEnv.emplace_back("FIREBIRD", FFirebirdRoot());
  return FRunProgram({vExe}, vEnv, pStdin);
}

bool FCreateDemoDatabase(const std::string& pPath) {
  // The suite builds the demo database once per run (the ctest fixture
  // DemoDatabase); each test takes a copy of it, which is far cheaper than
  // running the script again.
  const std::string vMaster = VELMORA_DEMO_MASTER;
  if (access(vMaster.c_str(), R_OK) == 0) {
    std::error_code vError;
    std::filesystem::copy_file(vMaster, pPath, std::filesystem::copy_options::overwrite_existing, vError);
    if (vError) throw std::runtime_error("cannot copy the demo database: " + vError.message());
    return true;
  }
  const std::string vScript = std::string(VELMORA_SOURCE_DIR) + "/scripts/demo-db.sh";
  if (access(vScript.c_str(), X_OK) != 0) return false;
  TEnvironment vEnv = {{"PATH", "/usr/sbin:/usr/bin:/bin"}, {"HOME", "/tmp"}, {"FIREBIRD", FFirebirdRoot()}};
  TProcessResult vResult = FRunProgram({vScript, pPath, FFirebirdRoot()}, vEnv, {}, 120);
  if (vResult.vExitCode != 0) {
    throw std::runtime_error("scripts/demo-db.sh failed: " + vResult.vStdout + vResult.vStderr);
  }
  return true;
}

}  // namespace e2e
