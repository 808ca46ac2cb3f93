#include "support/FirebirdFixture.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

extern char** environ;

namespace testsupport {

namespace {

namespace fs = std::filesystem;

void PWriteFile(const std::string& pPath, const std::string& pContent) {
  std::ofstream vOut(pPath, std::ios::binary | std::ios::trunc);
  vOut << pContent;
  if (!vOut) throw std::runtime_error("cannot write " + pPath);
}

std::string FReadFile(const std::string& pPath) {
  std::ifstream vIn(pPath, std::ios::binary);
  std::ostringstream vText;
  vText << vIn.rdbuf();
  return vText.str();
}

// The environment of this process with the given variables replaced.
std::vector<std::string> FEnvironmentWith(const std::vector<std::pair<std::string, std::string>>& pSet) {
  std::vector<std::string> vResult;
  for (char** e = environ; *e; ++e) {
    const std::string vEntry(*e);
    bool vReplaced = false;
    for (const auto& [vName, vValue] : pSet)
      if (vEntry.rfind(vName + "=", 0) == 0) vReplaced = true;
    if (!vReplaced) vResult.push_back(vEntry);
  }
  for (const auto& [vName, vValue] : pSet) vResult.push_back(vName + "=" + vValue);
  return vResult;
}

// Starts pArgs[0] (looked up in PATH) with the environment given, standard
// output and error into pOutput.
pid_t FSpawn(const std::vector<std::string>& pArgs, const std::vector<std::string>& pEnvironment,
             const std::string& pOutput) {
  std::vector<char*> vArgv, vEnvp;
  for (const auto& a : pArgs) vArgv.push_back(const_cast<char*>(a.c_str()));
  vArgv.push_back(nullptr);
  for (const auto& e : pEnvironment) vEnvp.push_back(const_cast<char*>(e.c_str()));
  vEnvp.push_back(nullptr);
  posix_spawn_file_actions_t vActions;
  posix_spawn_file_actions_init(&vActions);
  posix_spawn_file_actions_addopen(&vActions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&vActions, 1, pOutput.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_adddup2(&vActions, 1, 2);
  pid_t vPid = -1;
  const int vError = posix_spawnp(&vPid, vArgv[0], &vActions, nullptr, vArgv.data(), vEnvp.data());
  posix_spawn_file_actions_destroy(&vActions);
  if (vError != 0) throw std::runtime_error("cannot start " + pArgs[0]);
  return vPid;
}

void PLinkEngineFiles(const std::string& pRoot) {
  const fs::path vBuildRoot = FFirebirdRoot();
  for (const char* vEntry : {"plugins", "intl", "firebird.msg", "plugins.conf"})
    fs::create_symlink(fs::read_symlink(vBuildRoot / vEntry), fs::path(pRoot) / vEntry);
}

}  // namespace

std::string FFirebirdRoot() { return std::string(VELMORA_BINARY_DIR) + "/firebird"; }

void PUseFirebirdRoot() { setenv("FIREBIRD", FFirebirdRoot().c_str(), 1); }

TTempDir::TTempDir() {
  std::string vTemplate = (fs::temp_directory_path() / "velmora-test-XXXXXX").string();
  if (!mkdtemp(vTemplate.data())) throw std::runtime_error("cannot create a temp directory");
  vPath = vTemplate;
  // A CGI under test may run as the web server's user; let it write its log.
  fs::permissions(vPath, fs::perms::all);
}

TTempDir::~TTempDir() {
  std::error_code vIgnored;
  fs::remove_all(vPath, vIgnored);
}

std::string FRunIsql(const std::string& pRoot, const std::string& pScript, const std::string& pWorkDir,
                     const std::string& pDatabase, const std::string& pUser) {
  static int vCounter = 0;
  const std::string vBase = pWorkDir + "/script" + std::to_string(++vCounter);
  PWriteFile(vBase + ".sql", pScript);
  std::vector<std::string> vArgs = {"isql-fb", "-q", "-b", "-i", vBase + ".sql"};
  if (!pUser.empty()) {
    vArgs.push_back("-user");
    vArgs.push_back(pUser);
  }
  if (!pDatabase.empty()) vArgs.push_back(pDatabase);
  const pid_t vPid = FSpawn(vArgs, FEnvironmentWith({{"FIREBIRD", pRoot}}), vBase + ".out");
  int vStatus = 0;
  waitpid(vPid, &vStatus, 0);
  const std::string vOutput = FReadFile(vBase + ".out");
  if (!WIFEXITED(vStatus) || WEXITSTATUS(vStatus) != 0) throw std::runtime_error("isql-fb failed:\n" + vOutput);
  return vOutput;
}

TTempDatabase::TTempDatabase(const std::string& pScript, int pDialect) {
  PUseFirebirdRoot();
  vPath = vDir.FPath() + "/test.fdb";
  const std::string vHead = "SET SQL DIALECT " + std::to_string(pDialect) + ";\nCREATE DATABASE '" + vPath +
                            "' USER 'SYSDBA';\n";
  FRunIsql(FFirebirdRoot(), vHead + pScript + "\nCOMMIT;\n", vDir.FPath());
}

void TTempDatabase::PRun(const std::string& pScript) const {
  FRunIsql(FFirebirdRoot(), pScript + "\nCOMMIT;\n", vDir.FPath(), vPath, "SYSDBA");
}

TFirebirdServer::TFirebirdServer() {
  PUseFirebirdRoot();
  const std::string vRoot = vDir.FPath();
  const std::string vSecurity = vRoot + "/security3.fdb";
  const std::string vLock = vRoot + "/lock";
  fs::create_directory(vLock);
  PLinkEngineFiles(vRoot);
  vPort = FFreePort();
  PWriteFile(vRoot + "/firebird.conf",
             "ServerMode = Super\n"
             "RemoteServicePort = " + std::to_string(vPort) + "\n"
             "RemoteBindAddress = 127.0.0.1\n"
             "SecurityDatabase = " + vSecurity + "\n"
             "IpcName = velmora_test_" + std::to_string(getpid()) + "_" + std::to_string(vPort) + "\n");

  // The security database with SYSDBA / masterkey, made embedded under the
  // server's own root before the server starts.
  FRunIsql(vRoot, "CREATE DATABASE '" + vSecurity + "';\n", vRoot);
  FRunIsql(vRoot, FReadFile("/usr/share/firebird/3.0/security.sql"), vRoot, vSecurity);
  FRunIsql(vRoot, "CREATE USER SYSDBA PASSWORD 'masterkey';\nCOMMIT;\n", vRoot, vSecurity, "SYSDBA");

  PStart();
}

void TFirebirdServer::PStart() {
  const std::string vRoot = vDir.FPath();
  vPid = FSpawn({"/usr/sbin/firebird"}, FEnvironmentWith({{"FIREBIRD", vRoot}, {"FIREBIRD_LOCK", vRoot + "/lock"}}),
                vRoot + "/server.out");
  const auto vDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  while (!FAccepts(vPort)) {
    int vStatus = 0;
    if (waitpid(vPid, &vStatus, WNOHANG) == vPid) {
      vPid = -1;
      throw std::runtime_error("Firebird server ended:\n" + FReadFile(vRoot + "/server.out"));
    }
    if (std::chrono::steady_clock::now() > vDeadline) {
      kill(vPid, SIGKILL);
      waitpid(vPid, &vStatus, 0);
      vPid = -1;
      throw std::runtime_error("Firebird server did not start");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

TFirebirdServer::~TFirebirdServer() {
  if (vPid <= 0) return;
  kill(vPid, SIGTERM);
  int vStatus = 0;
  for (int i = 0; i < 100; ++i) {
    if (waitpid(vPid, &vStatus, WNOHANG) == vPid) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  kill(vPid, SIGKILL);
  waitpid(vPid, &vStatus, 0);
}

void TFirebirdServer::PRestart() {
  int vStatus = 0;
  kill(vPid, SIGKILL);
  waitpid(vPid, &vStatus, 0);
  vPid = -1;
  PStart();
}

std::string TFirebirdServer::FDatabaseSpec(const std::string& pPath) const {
  return "localhost/" + std::to_string(vPort) + ":" + pPath;
}

// ---- ports of 127.0.0.1 --------------------------------------------------

int FFreePort() {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = 0;
  socklen_t vLength = sizeof a;
  if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&a), &vLength) != 0) {
    close(s);
    throw std::runtime_error("no free port");
  }
  close(s);
  return ntohs(a.sin_port);
}

bool FAccepts(int pPort) {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<uint16_t>(pPort));
  const bool vOk = connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  close(s);
  return vOk;
}

}  // namespace testsupport
