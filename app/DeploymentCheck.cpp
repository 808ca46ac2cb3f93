#include "app/DeploymentCheck.h"

#include <cstdio>
#include <exception>
#include <memory>
#include <utility>

#include "data/SQLConnection.h"
#include "data/SQLQuery.h"
#include "data/uClassFireBird.h"
#include "data/uClassFireBirdSQL.h"
#include "port/ForwardingEnv.h"
#include "tracelog/LogNFe.h"

namespace app {

namespace {

constexpr std::string_view cOk = "ok    ";
constexpr std::string_view cFail = "FAIL  ";
constexpr const char* cServiceExecutable = "velmora.cgi";
constexpr const char* cServiceName = "velmora";
// Where the Firebird engine keeps its lock files unless FIREBIRD_LOCK says.
constexpr const char* cDefaultLockDirectory = "/tmp/firebird";
constexpr const char* cDefaultPort = "3050";
// A server that has not answered by then will not answer a request either
// (the service gives up connecting after 5 s).
constexpr int cPortSeconds = 3;
constexpr const char* cEnvironmentFile = "/etc/velmora/velmora.env";
// The engine's entry in a Firebird root; without it nothing opens embedded.
constexpr const char* cEngineLibrary = "plugins/libEngine12.so";
// The trace line the log writes for an exception, up to the class name.
constexpr std::string_view cTraceErro = "ERRO   : [";

// Several lines of a database message on one output line.
std::string FOneLine(std::string_view pText) {
  std::string vResult;
  for (std::size_t i = 0; i < pText.size(); ++i) {
    if (pText[i] == '\r') continue;
    if (pText[i] == '\n') {
      if (i + 1 < pText.size()) vResult += "; ";
      continue;
    }
    vResult += pText[i];
  }
  return FAscii(vResult);
}

std::string FQuoted(const std::string& pValue) { return "\"" + FAscii(pValue) + "\""; }

std::string FTrimmedLeft(std::string_view pText) {
  std::size_t b = 0;
  while (b < pText.size() && (pText[b] == ' ' || pText[b] == '\t')) ++b;
  return std::string(pText.substr(b));
}

bool FEqualsNoCase(std::string_view pA, std::string_view pB) {
  if (pA.size() != pB.size()) return false;
  for (std::size_t i = 0; i < pA.size(); ++i) {
    char a = pA[i], b = pB[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
    if (a != b) return false;
  }
  return true;
}

// One line appended to the check's in-memory trace.
class TMemoryAppend final : public port::IAppendFile {
 public:
  explicit TMemoryAppend(std::string& pTrace) : vTrace(pTrace) {}
  bool FWrite(std::string_view pData) override {
    vTrace.append(pData);
    return true;
  }
  void PUnlock() override {}
  bool FRelock() override { return true; }

 private:
  std::string& vTrace;
};

// The environment the data module runs in during the check: the real one,
// except that the executable is the service's (so the module reads the
// service's configuration file) and that its trace lines stay in memory
// instead of going into the service's log.
class TServiceEnv final : public port::TForwardingEnv {
 public:
  TServiceEnv(port::IEnv& pReal, std::string pExePath) : TForwardingEnv(pReal), vExePath(std::move(pExePath)) {}

  std::string vTrace;

  std::string FExePath() override { return vExePath; }
  bool FForceDirectories(const std::string&) override { return true; }
  std::unique_ptr<port::IAppendFile> FOpenAppendLocked(const std::string&) override {
    return std::make_unique<TMemoryAppend>(vTrace);
  }
  void PHoldTermination() override {}

 private:
  std::string vExePath;
};

class TDeploymentCheck {
 public:
  TDeploymentCheck(port::IEnv& pEnv, ICheckSystem& pSystem, const TCheckOptions& pOptions)
      : vEnv(pEnv), vSystem(pSystem), vOptions(pOptions), vDirectory(pOptions.vDirectory) {
    vUid = vSystem.FUid();
    const std::string vName = vSystem.FUserName(vUid);
    vUser = vName.empty() ? std::to_string(vUid) : vName;
    vGroup = vSystem.FGroupName();
    if (vGroup.empty()) vGroup = vUser;
    for (const auto& [vKey, vValue] : vEnv.FEnvironment()) {
      if (vKey == "FIREBIRD") vFirebird = vValue;
      if (vKey == "FIREBIRD_LOCK") vFirebirdLock = vValue;
    }
  }

  int FRun() {
    (void)vEnv.FWriteStdout(std::string(cOk.size(), ' ') + "checking " + FAscii(vDirectory) + " as uid " +
                            std::to_string(vUid) + " (" + FAscii(vUser) + "), FIREBIRD=" + FAscii(vFirebird) +
                            ", FIREBIRD_LOCK=" + FAscii(vFirebirdLock) + "\n");
    // Root may write everywhere: every right below would pass for it.
    if (vUid == 0)
      PLine(false, "running as root, whose rights say nothing about the web server's: run it as that user, "
                   "sudo -u www-data env $(cat " + std::string(cEnvironmentFile) + ") velmora-check");
    PCheckExecutable();
    const bool vConfigured = FCheckConfiguration();
    PCheckLog();
    PCheckLockDirectory();
    if (!vConfigured) {
      PCheckFirebirdRoot(TDatabaseAddress{});
      return 1;
    }
    const TDatabaseAddress vAddress = FParseDatabaseAddress(vDados.Caminho);
    PCheckFirebirdRoot(vAddress);
    if (vAddress.vKind == TDatabaseAddress::TKind::File) PCheckDatabaseFile(vAddress);
    if (vAddress.vKind == TDatabaseAddress::TKind::Server && !FCheckServerPort(vAddress)) return 1;
    if (vUid == 0 && vAddress.vKind != TDatabaseAddress::TKind::Server) {
      // An embedded attach by root leaves root's lock files behind, which
      // the web server's user then cannot open: the very fault checked for.
      PLine(false, "database not opened as root: the embedded engine would leave lock files in " +
                       FAscii(FLockDirectory()) + " that the web server's user cannot open; run the check as "
                       "that user");
      return 1;
    }
    PCheckDatabase();
    return vFailures == 0 ? 0 : 1;
  }

 private:
  void PLine(bool pOk, const std::string& pText) {
    if (!pOk) ++vFailures;
    std::string vLine(pOk ? cOk : cFail);
    vLine += pText;
    vLine += '\n';
    (void)vEnv.FWriteStdout(vLine);
  }

  // "uid 33 (owner 0)": who tried and who owns the entry.
  std::string FWhoAndOwner(const std::string& pPath) {
    return "uid " + std::to_string(vUid) + " (owner " + std::to_string(vSystem.FInfo(pPath).vOwner) + ")";
  }

  void PCheckExecutable() {
    const std::string vExe = vDirectory + cServiceExecutable;
    if (vSystem.FInfo(vExe).vExists)
      PLine(true, "service executable: " + FAscii(vExe));
    else
      PLine(false, "service executable " + FAscii(vExe) +
                       " not found: give the service's directory with --dir DIR (the build tree: build/)");
  }

  // The file and its three values; true when there is a database to try.
  bool FCheckConfiguration() {
    const std::string vFile = data::FArquivoConfiguracao(vDirectory + cServiceExecutable);
    vConfigurationFile = FAscii(vFile);
    if (!vSystem.FInfo(vFile).vExists) {
      const std::string vTarget = vSystem.FLinkTarget(vFile);
      PLine(false, "configuration file " + vConfigurationFile +
                       (vTarget.empty() ? "" : " (a link to " + FAscii(vTarget) + ")") +
                       " not found: write it with section [DATABASE] and CAMINHO=, USUARIO=, SENHA= lines "
                       "(a value runs to the end of its line: no comment after it)");
      return false;
    }
    const std::optional<std::string> vContent = vSystem.FCanRead(vFile) ? vEnv.FReadFile(vFile) : std::nullopt;
    if (!vContent) {
      PLine(false, "configuration file " + vConfigurationFile + " not readable by " + FWhoAndOwner(vFile) +
                       ": chgrp " + FAscii(vGroup) + " " + vConfigurationFile + " && chmod 0640 " +
                       vConfigurationFile);
      return false;
    }
    PLine(true, "configuration file readable: " + vConfigurationFile);
    vDados = data::FLeConfiguracao(*vContent);

    if (vDados.Caminho.empty()) {
      PLine(false, "CAMINHO empty or missing in section [DATABASE] of " + vConfigurationFile +
                       ": write CAMINHO=/path/store.fdb, or CAMINHO=host:/path/store.fdb for a Firebird server");
    } else if (const std::string vProblem = FValueProblem(vDados.Caminho, false); !vProblem.empty()) {
      PLine(false, "CAMINHO " + FQuoted(vDados.Caminho) + " " + vProblem);
    } else if (FParseDatabaseAddress(vDados.Caminho).vKind == TDatabaseAddress::TKind::Other) {
      PLine(false, "CAMINHO " + FQuoted(vDados.Caminho) +
                       " is neither an absolute file path nor host:/path: write the database's full path, "
                       "or host:/path (host/port:/path) for a Firebird server");
    } else {
      PLine(true, "CAMINHO " + FQuoted(vDados.Caminho));
    }

    if (const std::string vProblem = FValueProblem(vDados.Usuario, true); !vProblem.empty())
      PLine(false, "USUARIO " + FQuoted(vDados.Usuario) + " " + vProblem);
    else
      PLine(true, "USUARIO " + FQuoted(vDados.Usuario));

    // The password is never shown, not even when something looks wrong in it.
    const std::string vSenha = vDados.Senha.empty() ? "SENHA empty" : "SENHA set";
    if (const std::string vProblem = FValueProblem(vDados.Senha, false); !vProblem.empty())
      PLine(false, vSenha + " (value not shown) " + vProblem);
    else
      PLine(true, vSenha);
    return !vDados.Caminho.empty();
  }

  // The trace log: "log/" beside the executable, created by the first
  // request when missing, and today's file in it.
  void PCheckLog() {
    const std::string vLog = vDirectory + "log";
    const ICheckSystem::TFileInfo vInfo = vSystem.FInfo(vLog);
    const std::string vShown = FAscii(vLog);
    const std::string vLost = " (the service still answers, but its trace lines are lost)";
    if (!vInfo.vExists) {
      // The package links log/ to a directory of its own; the link alone
      // cannot be made into one.
      if (const std::string vTarget = vSystem.FLinkTarget(vLog); !vTarget.empty()) {
        PLine(false, "log directory " + vShown + " links to " + FAscii(vTarget) + ", which does not exist: mkdir " +
                         FAscii(vTarget) + " && chown " + FAscii(vUser) + " " + FAscii(vTarget) + vLost);
        return;
      }
      if (vSystem.FCanWrite(vDirectory))
        PLine(true, "log directory " + vShown + " missing; the first request creates it");
      else
        PLine(false, "log directory " + vShown + " missing and " + FAscii(vDirectory) + " not writable by " +
                         FWhoAndOwner(vDirectory) + ": mkdir " + vShown + " && chown " + FAscii(vUser) + " " +
                         vShown + vLost);
      return;
    }
    if (!vInfo.vDirectory || !vSystem.FCanWrite(vLog)) {
      PLine(false, "log directory " + vShown + " not writable by " + FWhoAndOwner(vLog) + ": chown " +
                       FAscii(vUser) + " " + vShown + vLost);
      return;
    }
    PLine(true, "log directory writable: " + vShown);
    // A file of today made by someone else (root trying the service by
    // hand) shuts the web server's user out for the rest of the day.
    const port::TDateTime vToday = vEnv.FNow();
    char vDate[16];
    std::snprintf(vDate, sizeof vDate, "%04d%02d%02d", vToday.vYear, vToday.vMonth, vToday.vDay);
    const std::string vFile = vLog + "/Log" + cServiceName + vDate + ".txt";
    if (vSystem.FInfo(vFile).vExists && !vSystem.FCanWrite(vFile))
      PLine(false, "log file " + FAscii(vFile) + " not writable by " + FWhoAndOwner(vFile) + ": chown " +
                       FAscii(vUser) + " " + FAscii(vFile) + vLost);
  }

  std::string FLockDirectory() const { return vFirebirdLock.empty() ? cDefaultLockDirectory : vFirebirdLock; }

  void PCheckLockDirectory() {
    const bool vSet = !vFirebirdLock.empty();
    const std::string vLock = FLockDirectory();
    const std::string vShown = FAscii(vLock);
    const std::string vOrSet = vSet ? ", or set FIREBIRD_LOCK to a directory " + FAscii(vUser) + " can write"
                                    : ", or set FIREBIRD_LOCK to a directory " + FAscii(vUser) +
                                          " can write (FIREBIRD_LOCK is not set: the engine uses " +
                                          cDefaultLockDirectory + ")";
    const ICheckSystem::TFileInfo vInfo = vSystem.FInfo(vLock);
    if (!vInfo.vExists) {
      const std::string vParent = port::FExtractFilePath(vLock);
      if (vSystem.FCanWrite(vParent.empty() ? "." : vParent))
        PLine(true, "lock directory " + vShown + " missing; the engine creates it");
      else
        PLine(false, "lock directory " + vShown + " missing and its parent not writable by uid " +
                         std::to_string(vUid) + ": mkdir " + vShown + " && chown " + FAscii(vUser) + " " + vShown +
                         vOrSet);
      return;
    }
    if (!vInfo.vDirectory || !vSystem.FCanWrite(vLock)) {
      PLine(false, "lock directory " + vShown + " not writable by " + FWhoAndOwner(vLock) + ": chown " +
                       FAscii(vUser) + " " + vShown + vOrSet);
      return;
    }
    // The engine opens the lock files that are already there: one left by
    // another user gives "Permission denied" as surely as the directory.
    for (const std::string& vName : vSystem.FFiles(vLock)) {
      const std::string vFile = vLock + "/" + vName;
      if (!vSystem.FCanWrite(vFile)) {
        PLine(false, "lock file " + FAscii(vFile) + " not writable by " + FWhoAndOwner(vFile) + ": chown " +
                         FAscii(vUser) + " " + FAscii(vFile) + " (or remove it while no Firebird process runs)" +
                         vOrSet);
        return;
      }
    }
    PLine(true, "lock directory writable: " + vShown);
  }

  // Embedded, the root's server mode decides whether concurrent requests
  // can open the database at all; for a server the client needs no root of
  // its own.
  void PCheckFirebirdRoot(const TDatabaseAddress& pAddress) {
    const bool vEmbedded = pAddress.vKind != TDatabaseAddress::TKind::Server;
    const std::string vFix = "the web server must pass FIREBIRD=" + FAscii(vDirectory) + "firebird (" +
                             cEnvironmentFile + " lists the values)";
    if (vFirebird.empty()) {
      if (vEmbedded)
        PLine(false, "FIREBIRD not set: the embedded engine falls back to its default root (ServerMode Super, "
                     "one process at a time: concurrent requests come back empty); " + vFix);
      else
        PLine(true, "FIREBIRD not set: the client's default root is used (CAMINHO names a server)");
      return;
    }
    const std::string vRoot = vFirebird.back() == '/' ? vFirebird : vFirebird + "/";
    const std::string vShown = FAscii(vFirebird);
    const std::optional<std::string> vConf = vEnv.FReadFile(vRoot + "firebird.conf");
    if (!vSystem.FInfo(vRoot).vDirectory || !vConf) {
      PLine(false, "Firebird root " + vShown + " (FIREBIRD) has no readable firebird.conf: " + vFix);
      return;
    }
    if (!vSystem.FInfo(vRoot + cEngineLibrary).vExists) {
      PLine(false, "Firebird root " + vShown + " has no " + cEngineLibrary +
                       ": link the engine's plugins, intl, firebird.msg and plugins.conf into it (as " +
                       FAscii(vDirectory) + "firebird has them)");
      return;
    }
    const std::string vMode = FServerMode(*vConf);
    if (!vEmbedded) {
      PLine(true, "Firebird root " + vShown + ": ServerMode " + FAscii(vMode) + " (CAMINHO names a server)");
    } else if (FIsClassic(vMode)) {
      PLine(true, "Firebird root " + vShown + ": ServerMode " + FAscii(vMode));
    } else {
      PLine(false, "Firebird root " + vShown + ": ServerMode " + FAscii(vMode) +
                       " lets one process at a time open the database (concurrent requests come back empty): "
                       "write ServerMode = Classic in " + vShown + "/firebird.conf, or " + vFix);
    }
  }

  void PCheckDatabaseFile(const TDatabaseAddress& pAddress) {
    const std::string vShown = FAscii(pAddress.vPath);
    const ICheckSystem::TFileInfo vInfo = vSystem.FInfo(pAddress.vPath);
    if (!vInfo.vExists || vInfo.vDirectory) {
      PLine(false, "database file " + FQuoted(pAddress.vPath) + " not found: check CAMINHO in " + vConfigurationFile);
    } else if (!vSystem.FCanRead(pAddress.vPath) || !vSystem.FCanWrite(pAddress.vPath)) {
      PLine(false, "database file " + vShown + " not readable and writable by " + FWhoAndOwner(pAddress.vPath) +
                       ": chown " + FAscii(vUser) + " " + vShown + " (the embedded engine opens it itself)");
    } else {
      PLine(true, "database file readable and writable: " + vShown);
    }
  }

  bool FCheckServerPort(const TDatabaseAddress& pAddress) {
    const std::string vWhere = "Firebird server " + FAscii(pAddress.vHost) + " port " + FAscii(pAddress.vPort);
    const std::string vError = vSystem.FTcpAnswers(pAddress.vHost, pAddress.vPort, cPortSeconds);
    if (vError.empty()) {
      PLine(true, vWhere + " answers");
      return true;
    }
    PLine(false, vWhere + " does not answer within " + std::to_string(cPortSeconds) + " s (" + FOneLine(vError) +
                     "): start the server, or correct host and port in CAMINHO (host/port:/path)");
    return false;
  }

  // The attach, every statement and the optional order, all through the
  // service's own database module.
  void PCheckDatabase() {
    TServiceEnv vServiceEnv(vEnv, vDirectory + cServiceExecutable);
    // This program's own log slot, in memory: the module's trace lines
    // (and the exception an empty order leaves) are read back from it.
    tracelog::TProcessLog vLog(vServiceEnv);
    vLog.PCriaLog("", "S");
    data::TFireBird vModule(vServiceEnv);
    if (FCheckAttach(vModule)) {
      PCheckStatements(vModule);
      if (vOptions.vOrder) PCheckOrder(vModule, *vOptions.vOrder, vServiceEnv);
    }
  }

  bool FCheckAttach(data::TFireBird& pModule) {
    const std::string vWho = "attach to " + FQuoted(vDados.Caminho) + " as " + FQuoted(vDados.Usuario) + " (" +
                             (vDados.Senha.empty() ? "SENHA empty" : "SENHA set") + ")";
    try {
      pModule.vConexao->POpen();
    } catch (const std::exception& e) {
      PLine(false, vWho + " failed: " + FOneLine(e.what()) + ": check CAMINHO, USUARIO and SENHA in " +
                       vConfigurationFile);
      return false;
    }
    PLine(true, vWho);
    return true;
  }

  void PCheckStatements(data::TFireBird& pModule) {
    for (const data::TSQLStatementText& vStatement : data::cSQLStatements) {
      const std::string vName(vStatement.vNome);
      try {
        data::TSQLQuery vQuery;
        vQuery.PSetConnection(pModule.vConexao.get());
        vQuery.SQL.PSetText(std::string(vStatement.vTexto));
        vQuery.Prepare();
        PLine(true, "statement prepared: " + vName);
      } catch (const std::exception& e) {
        PLine(false, "statement " + vName + ": " + FOneLine(e.what()) +
                         ": the store database lacks the table or column named; every request that runs this "
                         "statement fails");
      }
    }
  }

  void PCheckOrder(data::TFireBird& pModule, const data::TChavePedido& pKey, TServiceEnv& pServiceEnv) {
    const std::string vWhat =
        "FRetornaPedido " + FAscii(pKey.CodEmpresa) + " " + FAscii(pKey.CodPedido) + " " + FAscii(pKey.TipoPedido);
    pServiceEnv.vTrace.clear();
    const std::string vDocument = pModule.FRetornaPedidoCabecalho(&pKey);
    if (!vDocument.empty()) {
      PLine(true, vWhat + ": document of " + std::to_string(vDocument.size()) + " bytes");
      return;
    }
    // The operation logs its failure and answers empty; its trace says why.
    const std::string& vTrace = pServiceEnv.vTrace;
    const std::size_t vError = vTrace.find(cTraceErro);
    if (vError == std::string::npos) {
      PLine(false, vWhat + ": empty answer, no error: no such order in the store database");
      return;
    }
    const std::size_t vStart = vTrace.find("] ", vError);
    const std::size_t vEnd = vTrace.find("\r\n", vError);
    const std::string vMessage = vStart == std::string::npos ? std::string()
                                                             : vTrace.substr(vStart + 2, vEnd - vStart - 2);
    PLine(false, vWhat + ": empty answer: " + FOneLine(vMessage));
  }

  port::IEnv& vEnv;
  ICheckSystem& vSystem;
  const TCheckOptions& vOptions;
  std::string vDirectory;
  unsigned vUid = 0;
  std::string vUser;
  std::string vGroup;
  std::string vFirebird;
  std::string vFirebirdLock;
  std::string vConfigurationFile;
  data::TBancoDeDados vDados;
  int vFailures = 0;
};

}  // namespace

int FRunDeploymentCheck(port::IEnv& pEnv, ICheckSystem& pSystem, const TCheckOptions& pOptions) {
  TDeploymentCheck vCheck(pEnv, pSystem, pOptions);
  return vCheck.FRun();
}

TDatabaseAddress FParseDatabaseAddress(const std::string& pCaminho) {
  TDatabaseAddress vAddress;
  if (!pCaminho.empty() && pCaminho[0] == '/') {
    vAddress.vKind = TDatabaseAddress::TKind::File;
    vAddress.vPath = pCaminho;
    return vAddress;
  }
  // Host and port: "host", "host<separator>port", "[v6 address]..." alike.
  auto FServer = [&vAddress](std::string pHostPort, char pSeparator, std::string pPath) {
    std::size_t vFrom = 0;
    if (!pHostPort.empty() && pHostPort[0] == '[') {
      vFrom = pHostPort.find(']');
      if (vFrom == std::string::npos) return vAddress;
    }
    std::string vPort = cDefaultPort;
    if (const std::size_t vAt = pHostPort.find(pSeparator, vFrom); vAt != std::string::npos) {
      vPort = pHostPort.substr(vAt + 1);
      pHostPort.resize(vAt);
    }
    if (pHostPort.size() > 2 && pHostPort.front() == '[' && pHostPort.back() == ']')
      pHostPort = pHostPort.substr(1, pHostPort.size() - 2);
    if (pHostPort.empty() || vPort.empty() || pPath.empty()) return vAddress;
    vAddress.vKind = TDatabaseAddress::TKind::Server;
    vAddress.vHost = std::move(pHostPort);
    vAddress.vPort = std::move(vPort);
    vAddress.vPath = std::move(pPath);
    return vAddress;
  };
  // inet://host[:port]/path, and its inet4:// and inet6:// forms.
  for (std::string_view vScheme : {"inet://", "inet4://", "inet6://"}) {
    if (pCaminho.size() > vScheme.size() &&
        FEqualsNoCase(std::string_view(pCaminho).substr(0, vScheme.size()), vScheme)) {
      const std::string vRest = pCaminho.substr(vScheme.size());
      const std::size_t vSlash = vRest.find('/', vRest[0] == '[' ? vRest.find(']') : 0);
      if (vSlash == std::string::npos) return vAddress;
      return FServer(vRest.substr(0, vSlash), ':', vRest.substr(vSlash + 1));
    }
  }
  // host:path and host/port:path.
  const std::size_t vColon = pCaminho.find(':', !pCaminho.empty() && pCaminho[0] == '[' ? pCaminho.find(']') : 0);
  if (vColon == std::string::npos || vColon == 0) return vAddress;
  return FServer(pCaminho.substr(0, vColon), '/', pCaminho.substr(vColon + 1));
}

std::string FServerMode(const std::string& pFirebirdConf) {
  std::string vMode = "Super";
  std::size_t vStart = 0;
  while (vStart < pFirebirdConf.size()) {
    std::size_t vEnd = pFirebirdConf.find('\n', vStart);
    if (vEnd == std::string::npos) vEnd = pFirebirdConf.size();
    std::string vLine = FTrimmedLeft(std::string_view(pFirebirdConf).substr(vStart, vEnd - vStart));
    vStart = vEnd + 1;
    if (const std::size_t vHash = vLine.find('#'); vHash != std::string::npos) vLine.resize(vHash);
    const std::size_t vEquals = vLine.find('=');
    if (vEquals == std::string::npos) continue;
    std::string vKey = vLine.substr(0, vEquals);
    while (!vKey.empty() && (vKey.back() == ' ' || vKey.back() == '\t')) vKey.pop_back();
    if (!FEqualsNoCase(vKey, "ServerMode")) continue;
    std::string vValue = FTrimmedLeft(std::string_view(vLine).substr(vEquals + 1));
    while (!vValue.empty() && (vValue.back() == ' ' || vValue.back() == '\t' || vValue.back() == '\r'))
      vValue.pop_back();
    if (!vValue.empty()) vMode = vValue;
  }
  return vMode;
}

bool FIsClassic(const std::string& pServerMode) {
  // MultiProcess is the engine's older name for Classic.
  return FEqualsNoCase(pServerMode, "Classic") || FEqualsNoCase(pServerMode, "MultiProcess");
}

std::string FValueProblem(const std::string& pValue, bool pIsUserName) {
  for (std::size_t i = 1; i < pValue.size(); ++i) {
    if ((pValue[i] == ';' || pValue[i] == '#') && (pValue[i - 1] == ' ' || pValue[i - 1] == '\t'))
      return "looks like it carries an inline comment: a value runs to the end of its line; "
             "put the comment on a line of its own";
  }
  if (pValue.size() >= 2 && (pValue.front() == '"' || pValue.front() == '\'') && pValue.back() == pValue.front())
    return "is in quotes, which are kept as part of the value: remove them";
  for (const char c : pValue) {
    if (static_cast<unsigned char>(c) < ' ' || c == '\x7F')
      return "has a tab or control character inside: retype the value";
  }
  if (pIsUserName && pValue.find(' ') != std::string::npos)
    return "has blanks inside: a user name has none; retype the value";
  return {};
}

std::string FAscii(std::string_view pText) {
  static constexpr char cHex[] = "0123456789ABCDEF";
  std::string vResult;
  vResult.reserve(pText.size());
  for (const char c : pText) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x20 && b <= 0x7E) {
      vResult += c;
    } else {
      vResult += "\\x";
      vResult += cHex[b >> 4];
      vResult += cHex[b & 0xF];
    }
  }
  return vResult;
}

}  // namespace app
