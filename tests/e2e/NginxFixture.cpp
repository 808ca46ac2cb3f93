#include "e2e/NginxFixture.h"

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace e2e {

namespace {

constexpr const char* cNginx = "/usr/sbin/nginx";
constexpr const char* cFcgiwrap = "/usr/sbin/fcgiwrap";
constexpr const char* cSpawnFcgi = "/usr/bin/spawn-fcgi";
constexpr const char* cFastcgiParams = "/etc/nginx/fastcgi_params";

}  // namespace

std::string TNginx::FMissing() {
  if (access(cNginx, X_OK) != 0) return "nginx is not installed (apt-get install nginx)";
  if (access(cFcgiwrap, X_OK) != 0) return "fcgiwrap is not installed (apt-get install fcgiwrap)";
  if (access(cSpawnFcgi, X_OK) != 0) return "spawn-fcgi is not installed (apt-get install spawn-fcgi)";
  if (access(cFastcgiParams, R_OK) != 0) return std::string(cFastcgiParams) + " is missing (nginx-common)";
  return {};
}

TNginx::TNginx(const TDeployPaths& pPaths, TMode pMode) {
  const std::string vRoot = vDir.FPath();
  const bool vWorkersMode = pMode == TMode::cFastCGIWorkers;
  TDeployPaths vPaths = pPaths;
  vPaths.vFcgiSocket = vRoot + "/fcgiwrap.socket";
  vPaths.vRuntimeDir = vRoot;
  std::filesystem::create_directories(vRoot + "/docroot");
  std::filesystem::copy_file(cFastcgiParams, vRoot + "/fastcgi_params");
  std::ofstream(vRoot + "/velmora.conf")
      << FDeployConfig(vWorkersMode ? "deploy/nginx/velmora-fastcgi.conf" : "deploy/nginx/velmora.conf", vPaths);
  const std::string vUser = FServerUser();
  PGrantToServerUser({vRoot});

  const TEnvironment vEnv = {{"PATH", "/usr/sbin:/usr/bin:/bin"}};
  if (vWorkersMode) {
    PStartWorkers(vPaths, vRoot + "/fastcgi.socket", vUser);
  } else {
    // fcgiwrap passes on its own environment to every CGI it starts: it
    // gets an empty one, the rest comes from nginx's parameters.
    std::vector<std::string> vSpawn = {cSpawnFcgi, "-n", "-s", vPaths.vFcgiSocket, "-M", "0600"};
    if (!vUser.empty()) vSpawn.insert(vSpawn.end(), {"-u", vUser, "-g", vUser, "-U", vUser, "-G", vUser});
    vSpawn.insert(vSpawn.end(), {"--", cFcgiwrap, "-c", "2"});
    vWrapper = TChild(vSpawn, {}, vRoot + "/fcgiwrap.out");
    if (!vWrapper.FWaitForFile(vPaths.vFcgiSocket)) {
      throw std::runtime_error("fcgiwrap did not start: " + FErrorLog());
    }
  }

  for (int vTry = 0; vTry < 5; ++vTry) {
    vPort = FFreePort();
    std::ofstream(vRoot + "/nginx.conf")
        << "daemon off;\nmaster_process on;\nworker_processes 2;\n"
        << (vUser.empty() ? "" : "user " + vUser + " " + vUser + ";\n")
        << "pid " << vRoot << "/nginx.pid;\n"
        << "error_log " << vRoot << "/error.log warn;\n"
        << "events { worker_connections 64; }\n"
        << "http {\n"
        << "  access_log off;\n"
        << "  client_body_temp_path " << vRoot << "/client_body;\n"
        << "  fastcgi_temp_path " << vRoot << "/fastcgi;\n"
        << "  proxy_temp_path " << vRoot << "/proxy;\n"
        << "  uwsgi_temp_path " << vRoot << "/uwsgi;\n"
        << "  scgi_temp_path " << vRoot << "/scgi;\n"
        << "  server {\n"
        << "    listen 127.0.0.1:" << vPort << ";\n"
        << "    server_name 127.0.0.1;\n"
        << "    root " << vRoot << "/docroot;\n"
        << "    include " << vRoot << "/velmora.conf;\n"
        << "  }\n"
        << "}\n";
    vServer = TChild({cNginx, "-p", vRoot, "-c", vRoot + "/nginx.conf"}, vEnv, vRoot + "/nginx.out");
    if (vServer.FWaitForPort(vPort)) return;
    vServer.PStop();
  }
  PKillWorkers();
  throw std::runtime_error("nginx did not start: " + FErrorLog());
}

TNginx::~TNginx() { PKillWorkers(); }

void TNginx::PKillWorkers() noexcept {
  for (const pid_t vPid : vWorkers) {
    if (!FProcessGone(vPid)) kill(vPid, SIGKILL);
  }
}

// As the snippet's header starts them: spawn-fcgi forks two workers on one
// socket and ends; the workers' environment is the Firebird client's two
// variables and nothing else.
void TNginx::PStartWorkers(const TDeployPaths& pPaths, const std::string& pSocket, const std::string& pUser) {
  const std::string vPidFile = vDir.FPath() + "/workers.pid";
  std::vector<std::string> vSpawn = {cSpawnFcgi, "-s", pSocket, "-M", "0660", "-F", "2", "-P", vPidFile};
  if (!pUser.empty()) vSpawn.insert(vSpawn.end(), {"-u", pUser, "-g", pUser, "-U", pUser, "-G", pUser});
  vSpawn.insert(vSpawn.end(), {"--", pPaths.vServiceDir + "/velmora.cgi"});
  const TProcessResult vRun = FRunProgram(
      vSpawn, {{"FIREBIRD", pPaths.vFirebirdRoot}, {"FIREBIRD_LOCK", pPaths.vLockDir}}, {}, 30);
  std::ofstream(vDir.FPath() + "/workers.out") << vRun.vStdout << vRun.vStderr;
  std::istringstream vPids(FReadFile(vPidFile));
  for (pid_t vPid = 0; vPids >> vPid;) vWorkers.push_back(vPid);
  if (vRun.vExitCode != 0 || vWorkers.size() != 2) {
    PKillWorkers();
    throw std::runtime_error("spawn-fcgi did not start two workers: " + FErrorLog());
  }
}

bool TNginx::FStopWorkers() {
  for (const pid_t vPid : vWorkers) kill(vPid, SIGTERM);
  const auto vDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < vDeadline) {
    bool vAllGone = true;
    for (const pid_t vPid : vWorkers) vAllGone = vAllGone && FProcessGone(vPid);
    if (vAllGone) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

std::string TNginx::FBaseUrl() const { return "http://127.0.0.1:" + std::to_string(vPort) + "/velmora.cgi"; }

std::string TNginx::FErrorLog() const {
  return FReadFile(vDir.FPath() + "/error.log") + FReadFile(vDir.FPath() + "/nginx.out") +
         FReadFile(vDir.FPath() + "/fcgiwrap.out") + FReadFile(vDir.FPath() + "/workers.out");
}

}  // namespace e2e
