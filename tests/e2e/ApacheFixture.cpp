#include "e2e/ApacheFixture.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace e2e {

namespace {

constexpr const char* cApache = "/usr/sbin/apache2";
constexpr const char* cModules = "/usr/lib/apache2/modules";

}  // namespace

std::string TApache::FMissing(TMode pMode) {
  if (access(cApache, X_OK) != 0) return "Apache httpd is not installed (apt-get install apache2)";
  if (pMode == TMode::cEventFcgid) {
    if (access((std::string(cModules) + "/mod_fcgid.so").c_str(), R_OK) != 0) {
      return "mod_fcgid.so is not installed (apt-get install libapache2-mod-fcgid)";
    }
    return {};
  }
  for (const char* vModule : {"mod_cgid.so", "mod_cgi.so", "mod_mpm_prefork.so"}) {
    if (access((std::string(cModules) + "/" + vModule).c_str(), R_OK) != 0) {
      return std::string(vModule) + " is not installed (apache2-bin)";
    }
  }
  return {};
}

TApache::TApache(const TDeployPaths& pPaths, TMode pMode) {
  const bool vPrefork = pMode == TMode::cPreforkCgi;
  const bool vFcgid = pMode == TMode::cEventFcgid;
  const std::string vRoot = vDir.FPath();
  std::filesystem::create_directories(vRoot + "/docroot");
  std::ofstream(vRoot + "/velmora.conf")
      << FDeployConfig(vFcgid ? "deploy/apache2/velmora-fastcgi.conf" : "deploy/apache2/velmora.conf", pPaths);
  const std::string vUser = FServerUser();
  PGrantToServerUser({vRoot});

  for (int vTry = 0; vTry < 5; ++vTry) {
    vPort = FFreePort();
    const std::string m = cModules;
    std::ofstream(vRoot + "/httpd.conf")
        << "ServerRoot " << vRoot << "\n"
        << "ServerName 127.0.0.1\n"
        << "Listen 127.0.0.1:" << vPort << "\n"
        << "PidFile " << vRoot << "/httpd.pid\n"
        << "DefaultRuntimeDir " << vRoot << "\n"
        << "Mutex file:" << vRoot << " default\n"
        << "ErrorLog " << vRoot << "/error.log\n"
        << "LogLevel warn\n"
        << (vPrefork ? "LoadModule mpm_prefork_module " + m + "/mod_mpm_prefork.so\n"
                     : "LoadModule mpm_event_module " + m + "/mod_mpm_event.so\n")
        << "LoadModule authz_core_module " << m << "/mod_authz_core.so\n"
        << "LoadModule alias_module " << m << "/mod_alias.so\n"
        << "LoadModule env_module " << m << "/mod_env.so\n"
        << (vPrefork ? "LoadModule cgi_module " + m + "/mod_cgi.so\n"
                       "StartServers 2\nMaxRequestWorkers 8\n"
            : vFcgid  ? "LoadModule fcgid_module " + m + "/mod_fcgid.so\n"
                       "FcgidIPCDir " + vRoot + "/fcgid\n"
                       "FcgidProcessTableFile " + vRoot + "/fcgid_shm\n"
                       "StartServers 1\nServerLimit 2\nThreadsPerChild 16\nMaxRequestWorkers 32\n"
                      : "LoadModule cgid_module " + m + "/mod_cgid.so\n"
                       "ScriptSock " + vRoot + "/cgisock\n"
                       "StartServers 1\nServerLimit 2\nThreadsPerChild 16\nMaxRequestWorkers 32\n")
        << (vUser.empty() ? "" : "User " + vUser + "\nGroup " + vUser + "\n")
        << "DocumentRoot " << vRoot << "/docroot\n"
        << "<Directory />\n  Require all denied\n  AllowOverride None\n</Directory>\n"
        << "<Directory " << vRoot << "/docroot>\n  Require all granted\n</Directory>\n"
        << "Include " << vRoot << "/velmora.conf\n";
    vServer = TChild({cApache, "-f", vRoot + "/httpd.conf", "-DFOREGROUND"}, {{"PATH", "/usr/sbin:/usr/bin:/bin"}},
                     vRoot + "/apache2.out");
    if (vServer.FWaitForPort(vPort)) return;
    vServer.PStop();
  }
  throw std::runtime_error("Apache did not start: " + FErrorLog());
}

std::string TApache::FBaseUrl() const { return "http://127.0.0.1:" + std::to_string(vPort) + "/velmora.cgi"; }

std::string TApache::FErrorLog() const {
  return FReadFile(vDir.FPath() + "/error.log") + FReadFile(vDir.FPath() + "/apache2.out");
}

}  // namespace e2e
