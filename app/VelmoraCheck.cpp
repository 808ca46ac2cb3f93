// Program entry of velmora-check, the installer's check of a service
// installation (app/DeploymentCheck.h). Run it as the web server's user,
// with the environment the web server gives the service:
//
//   velmora-check [--dir DIR] [--order CODEMPRESA CODPEDIDO TIPOPEDIDO]
//
// Without --dir it checks the directory it was installed in, found from
// its own real path (a symbolic link to it in /usr/sbin leads there too).
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "app/DeploymentCheck.h"
#include "port/Env.h"

namespace {

constexpr const char* cUsage =
    "usage: velmora-check [--dir DIR] [--order CODEMPRESA CODPEDIDO TIPOPEDIDO]\n"
    "Checks the service installed in DIR (default: the directory of this program) the way a request\n"
    "meets it; run it as the web server's user with the web server's FIREBIRD and FIREBIRD_LOCK:\n"
    "  sudo -u www-data env $(cat /etc/velmora/velmora.env) velmora-check\n"
    "--order also builds that order's header document. Exit status 0 when every check passed.\n";

int FUsage(int pStatus) {
  std::fputs(cUsage, pStatus == 0 ? stdout : stderr);
  return pStatus;
}

int FMain(int argc, char** argv) {
  port::IEnv& vEnv = port::FDefaultEnv();
  app::TCheckOptions vOptions;
  std::string vDirectory = port::FExtractFilePath(vEnv.FExePath());
  for (int i = 1; i < argc; ++i) {
    const std::string_view vArg = argv[i];
    if (vArg == "--dir" && i + 1 < argc) {
      std::error_code vIgnored;
      const std::filesystem::path vGiven = argv[++i];
      std::filesystem::path vFull = std::filesystem::weakly_canonical(vGiven, vIgnored);
      if (vFull.empty()) vFull = vGiven;
      vDirectory = vFull.string();
    } else if (vArg == "--order" && i + 3 < argc) {
      data::TChavePedido vKey;
      vKey.CodEmpresa = argv[++i];
      vKey.CodPedido = argv[++i];
      vKey.TipoPedido = argv[++i];
      vOptions.vOrder = vKey;
    } else if (vArg == "-h" || vArg == "--help") {
      return FUsage(0);
    } else {
      return FUsage(2);
    }
  }
  if (vDirectory.empty() || vDirectory.back() != '/') vDirectory += '/';
  vOptions.vDirectory = vDirectory;
  return app::FRunDeploymentCheck(vEnv, app::FDefaultCheckSystem(), vOptions);
}

}  // namespace

int main(int argc, char** argv) {
  const int vStatus = FMain(argc, argv);
  // Like the service: everything is written and closed by now; the database
  // client's own teardown is skipped.
  std::fflush(stdout);
  std::fflush(stderr);
  _exit(vStatus);
}
