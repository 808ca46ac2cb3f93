// velmora-check: the rules it applies (how a CAMINHO, a firebird.conf and a
// configuration value are read), then the real program run on real
// installations built in temporary directories, one good and one broken
// per way a deployment fails silently, against real Firebird databases
// (embedded, and a private server started here).
//
// Rights are only real for a user that is not root: when the tests run as
// root (as CI does) the check runs as nobody through setpriv, and the
// "other user" who owns the broken entries is root.
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "app/DeploymentCheck.h"
#include "e2e/ProcessRunner.h"
#include "support/FirebirdFixture.h"

namespace {

namespace fs = std::filesystem;

// ---- The rules ------------------------------------------------------------

TEST(DeploymentCheckRules, DatabaseAddressReadLikeTheFirebirdClient) {
  using K = app::TDatabaseAddress::TKind;
  struct {
    const char* vCaminho;
    K vKind;
    const char* vHost;
    const char* vPort;
    const char* vPath;
  } const cCases[] = {
      {"/var/lib/velmora/store.fdb", K::File, "", "", "/var/lib/velmora/store.fdb"},
      {"/x/demo.fdb ; comment", K::File, "", "", "/x/demo.fdb ; comment"},
      {"localhost:/srv/store.fdb", K::Server, "localhost", "3050", "/srv/store.fdb"},
      {"10.0.0.7/3051:/srv/store.fdb", K::Server, "10.0.0.7", "3051", "/srv/store.fdb"},
      {"db/gds_db:/srv/store.fdb", K::Server, "db", "gds_db", "/srv/store.fdb"},
      {"[::1]/3052:/srv/store.fdb", K::Server, "::1", "3052", "/srv/store.fdb"},
      {"inet://db.local:3053//srv/store.fdb", K::Server, "db.local", "3053", "/srv/store.fdb"},
      {"INET4://db.local/store", K::Server, "db.local", "3050", "store"},
      {"store.fdb", K::Other, "", "", ""},
      {"host/:/srv/store.fdb", K::Other, "", "", ""},
      {":/srv/store.fdb", K::Other, "", "", ""},
      {"host:", K::Other, "", "", ""},
      {"", K::Other, "", "", ""},
  };
  for (const auto& c : cCases) {
    SCOPED_TRACE(c.vCaminho);
    const app::TDatabaseAddress vAddress = app::FParseDatabaseAddress(c.vCaminho);
    EXPECT_EQ(vAddress.vKind, c.vKind);
    if (c.vKind == K::Other) continue;
    EXPECT_EQ(vAddress.vHost, c.vHost);
    if (c.vKind == K::Server) {
      EXPECT_EQ(vAddress.vPort, c.vPort);
    }
    EXPECT_EQ(vAddress.vPath, c.vPath);
  }
}

TEST(DeploymentCheckRules, ServerModeIsTheLastUncommentedLineElseSuper) {
  struct {
    const char* vConf;
    const char* vMode;
    bool vClassic;
  } const cCases[] = {
      {"", "Super", false},
      {"#ServerMode = Classic\n", "Super", false},
      {"  # ServerMode = Classic\nProviders = Engine12\n", "Super", false},
      {"ServerMode = Classic\n", "Classic", true},
      {"servermode=classic\r\n", "classic", true},
      {"\tServerMode = MultiProcess   # the old name\n", "MultiProcess", true},
      {"ServerMode = Classic\nServerMode = SuperClassic\n", "SuperClassic", false},
      {"ServerModeX = Classic\n", "Super", false},
  };
  for (const auto& c : cCases) {
    SCOPED_TRACE(c.vConf);
    EXPECT_EQ(app::FServerMode(c.vConf), c.vMode);
    EXPECT_EQ(app::FIsClassic(app::FServerMode(c.vConf)), c.vClassic);
  }
}

TEST(DeploymentCheckRules, ValuesThatCarryACommentQuotesOrStrayBlanks) {
  struct {
    const char* vValue;
    bool vUserName;
    const char* vProblemStart;  // "" when the value is fine
  } const cCases[] = {
      {"/var/lib/velmora/store.fdb", false, ""},
      {"/srv/my store/x.fdb", false, ""},  // a blank in a path is no fault
      {"pass;word#1", false, ""},          // nor ";" or "#" inside a password
      {"/x/demo.fdb ; comment", false, "looks like it carries an inline comment"},
      {"/x/demo.fdb\t# comment", false, "looks like it carries an inline comment"},
      {"\"/x/demo.fdb\"", false, "is in quotes"},
      {"'SYSDBA'", true, "is in quotes"},
      {"SYS\tDBA", false, "has a tab or control character inside"},
      {"SYS DBA", true, "has blanks inside"},
      {"SYSDBA", true, ""},
  };
  for (const auto& c : cCases) {
    SCOPED_TRACE(c.vValue);
    const std::string vProblem = app::FValueProblem(c.vValue, c.vUserName);
    if (*c.vProblemStart == '\0')
      EXPECT_EQ(vProblem, "");
    else
      EXPECT_EQ(vProblem.rfind(c.vProblemStart, 0), 0u) << vProblem;
  }
  EXPECT_EQ(app::FAscii("Configura\xE7\xE3o\r\n ok~"), "Configura\\xE7\\xE3o\\x0D\\x0A ok~");
}

// ---- The program on real installations -----------------------------------

constexpr const char* cPassword = "masterkey";
constexpr const char* cWrongPassword = "wrong-pw-4711";
constexpr int cNobody = 65534;

bool FRoot() { return geteuid() == 0; }

// Who the check runs as, and who owns what "another user" made.
unsigned FCheckUid() { return FRoot() ? cNobody : geteuid(); }
std::string FCheckUser() {
  const passwd* p = getpwuid(FCheckUid());
  return p ? p->pw_name : std::to_string(FCheckUid());
}
std::string FCheckGroup() {
  const group* g = getgrgid(FRoot() ? cNobody : getegid());
  return g ? g->gr_name : FCheckUser();
}
unsigned FOtherUid() { return geteuid(); }

void PWrite(const std::string& pPath, const std::string& pText) {
  std::ofstream vOut(pPath, std::ios::binary | std::ios::trunc);
  vOut << pText;
  if (!vOut) throw std::runtime_error("cannot write " + pPath);
}

// A Firebird root made like the build's: a firebird.conf and the engine's
// files linked in.
void PMakeRoot(const std::string& pRoot, const std::string& pConf) {
  fs::create_directory(pRoot);
  PWrite(pRoot + "/firebird.conf", pConf);
  for (const char* vEntry : {"plugins", "intl", "firebird.msg", "plugins.conf"})
    fs::create_symlink(fs::read_symlink(fs::path(testsupport::FFirebirdRoot()) / vEntry), fs::path(pRoot) / vEntry);
}

// What the cases share, made when first asked for: the programs, the
// databases, the roots and the server, all in one directory that the
// check's user can reach (ctest runs each case in a process of its own).
class TShared {
 public:
  TShared() {
    const std::string d = vDir.FPath();
    vCheck = d + "/velmora-check";
    vService = d + "/velmora.cgi";
    fs::copy_file(std::string(VELMORA_BINARY_DIR) + "/velmora-check", vCheck);
    fs::copy_file(std::string(VELMORA_BINARY_DIR) + "/velmora.cgi", vService);
    vClassic = d + "/classic";
    vSuper = d + "/super";
    PMakeRoot(vClassic, "ServerMode = Classic\nProviders = Remote, Engine12\n");
    // What the engine does when nobody says: Super.
    PMakeRoot(vSuper, "#ServerMode = Classic\nProviders = Remote, Engine12\n");
  }

  [[nodiscard]] const std::string& FDir() const { return vDir.FPath(); }
  std::string vCheck, vService, vClassic, vSuper;

  // The demo store database, open to the check's user.
  const std::string& FDemo() {
    if (vDemo.empty()) {
      const std::string vPath = FDir() + "/demo.fdb";
      if (!e2e::FCreateDemoDatabase(vPath)) throw std::runtime_error("scripts/demo-db.sh missing");
      PShare(vPath);
      vDemo = vPath;
    }
    return vDemo;
  }
  // The demo database without table CONDPAG and column FINANCEIRA.DIASCOMPENSACAO.
  const std::string& FDamaged() {
    if (vDamaged.empty()) {
      const std::string vPath = FDir() + "/damaged.fdb";
      fs::copy_file(FDemo(), vPath);
      testsupport::FRunIsql(testsupport::FFirebirdRoot(),
                            "DROP TABLE CONDPAG;\nALTER TABLE FINANCEIRA DROP DIASCOMPENSACAO;\nCOMMIT;\n", FDir(),
                            vPath, "SYSDBA");
      PShare(vPath);
      vDamaged = vPath;
    }
    return vDamaged;
  }
  // A private server (SYSDBA / masterkey) and the CAMINHO of a copy of the
  // demo database on it: the server holds its file alone.
  std::string FServerCaminho() {
    if (!vServer) {
      fs::copy_file(FDemo(), FDir() + "/server.fdb");
      vServer = std::make_unique<testsupport::TFirebirdServer>();
    }
    return vServer->FDatabaseSpec(FDir() + "/server.fdb");
  }
  [[nodiscard]] int FServerPort() const { return vServer ? vServer->FPort() : 0; }

 private:
  static void PShare(const std::string& pPath) {
    using p = fs::perms;
    fs::permissions(pPath, p::owner_read | p::owner_write | p::group_read | p::group_write | p::others_read |
                               p::others_write);
  }

  testsupport::TTempDir vDir;
  std::string vDemo, vDamaged;
  std::unique_ptr<testsupport::TFirebirdServer> vServer;
};

TShared* gShared = nullptr;

// One installation: the service's directory with its ini, log and a lock
// directory of its own.
struct TInstallation {
  testsupport::TTempDir vDir;
  std::string vPath, vIni, vLog, vLock;

  explicit TInstallation(const TShared& pShared) {
    vPath = vDir.FPath();
    vIni = vPath + "/caminhoBDQuindar.ini";
    vLog = vPath + "/log";
    vLock = vPath + "/lock";
    fs::create_symlink(pShared.vService, vPath + "/velmora.cgi");
    fs::create_directory(vLog);
    fs::create_directory(vLock);
    fs::permissions(vLog, fs::perms::all);
    fs::permissions(vLock, fs::perms::all);
  }
  void PIni(const std::string& pCaminho, const std::string& pSenha) const {
    PWrite(vIni, "[DATABASE]\r\nCAMINHO=" + pCaminho + "\r\nUSUARIO=SYSDBA\r\nSENHA=" + pSenha + "\r\n");
    fs::permissions(vIni, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                              fs::perms::others_read);
  }
};

// Made by another user than the check's: root's, open to reading only,
// when the check runs as nobody; when the tests themselves are not root,
// the entry is ours but closed to writing.
void PMakeForeign(const std::string& pPath) {
  using p = fs::perms;
  const bool vDirectory = fs::is_directory(pPath);
  if (FRoot())
    fs::permissions(pPath, vDirectory ? p::owner_all | p::group_read | p::group_exec | p::others_read | p::others_exec
                                      : p::owner_read | p::owner_write | p::group_read | p::others_read);
  else
    fs::permissions(pPath, vDirectory ? p::owner_read | p::owner_exec | p::group_read | p::group_exec |
                                            p::others_read | p::others_exec
                                      : p::owner_read | p::group_read | p::others_read);
}

struct TCase {
  const char* vName;
  // Builds the broken part; returns the arguments after "--dir DIR".
  std::vector<std::string> (*PSetUp)(TInstallation& pInst, e2e::TEnvironment& pEnv);
  int vExit;
  // Run as the test's own user, root included, instead of nobody.
  bool vAsTester;
  // Lines the output must hold, "{dir}", "{uid}", "{user}", "{other}",
  // "{port}" replaced; a line ending in "..." must only start so.
  std::vector<std::string> vLines;
};

// The case's name in test output, not its bytes.
void PrintTo(const TCase& pCase, std::ostream* pOut) { *pOut << pCase.vName; }

std::string FExpand(std::string pText, const TInstallation& pInst) {
  const std::pair<const char*, std::string> cKeys[] = {
      {"{dir}", pInst.vPath},
      {"{uid}", std::to_string(FCheckUid())},
      {"{user}", FCheckUser()},
      {"{group}", FCheckGroup()},
      {"{other}", std::to_string(FOtherUid())},
      {"{port}", std::to_string(gShared->FServerPort())},
      {"{shared}", gShared->FDir()},
  };
  for (const auto& [vKey, vValue] : cKeys) {
    const std::string_view vName(vKey);
    for (std::size_t p; (p = pText.find(vName)) != std::string::npos;) pText.replace(p, vName.size(), vValue);
  }
  return pText;
}

std::vector<std::string> FEmbedded(TInstallation& pInst, e2e::TEnvironment&) {
  pInst.PIni(gShared->FDemo(), cPassword);
  return {"--order", "001", "00000101", "P"};
}

const TCase cCases[] = {
    {"Good", &FEmbedded, 0, false,
     {"ok    configuration file readable: {dir}/caminhoBDQuindar.ini",
      "ok    CAMINHO \"{shared}/demo.fdb\"",
      "ok    SENHA set",
      "ok    log directory writable: {dir}/log",
      "ok    lock directory writable: {dir}/lock",
      "ok    Firebird root {shared}/classic: ServerMode Classic",
      "ok    attach to \"{shared}/demo.fdb\" as \"SYSDBA\" (SENHA set)",
      "ok    statement prepared: FRetornaPedidoCabecalho",
      "ok    statement prepared: FRetornaColFinancimentos plans",
      "ok    FRetornaPedido 001 00000101 P: document of ..."}},
    {"GoodServer",
     [](TInstallation& pInst, e2e::TEnvironment&) -> std::vector<std::string> {
       pInst.PIni(gShared->FServerCaminho(), cPassword);
       return {};
     },
     0, false,
     {"ok    Firebird server localhost port {port} answers",
      "ok    attach to \"localhost/{port}:{shared}/server.fdb\" as \"SYSDBA\" (SENHA set)",
      "ok    statement prepared: FAtualizaStatusPedido pre-sale"}},
    {"LogNotWritable",
     [](TInstallation& pInst, e2e::TEnvironment& pEnv) {
       PMakeForeign(pInst.vLog);
       return FEmbedded(pInst, pEnv);
     },
     1, false,
     {"FAIL  log directory {dir}/log not writable by uid {uid} (owner {other}): chown {user} {dir}/log "
      "(the service still answers, but its trace lines are lost)"}},
    {"LogLinkedToNothing",
     [](TInstallation& pInst, e2e::TEnvironment& pEnv) {
       // As installed: log/ a link to a directory that is not there (yet).
       fs::remove(pInst.vLog);
       fs::create_symlink(pInst.vPath + "/var-log", pInst.vLog);
       return FEmbedded(pInst, pEnv);
     },
     1, false,
     {"FAIL  log directory {dir}/log links to {dir}/var-log, which does not exist: mkdir {dir}/var-log && "
      "chown {user} {dir}/var-log (the service still answers, but its trace lines are lost)"}},
    {"LockDirectoryOfAnotherUser",
     [](TInstallation& pInst, e2e::TEnvironment& pEnv) {
       PMakeForeign(pInst.vLock);
       return FEmbedded(pInst, pEnv);
     },
     1, false,
     {"FAIL  lock directory {dir}/lock not writable by uid {uid} (owner {other}): chown {user} {dir}/lock, "
      "or set FIREBIRD_LOCK to a directory {user} can write",
      "FAIL  attach to \"{shared}/demo.fdb\" as \"SYSDBA\" (SENHA set) failed: ..."}},
    {"NoClassicRoot",
     [](TInstallation& pInst, e2e::TEnvironment& pEnv) {
       for (auto& [vKey, vValue] : pEnv)
         if (vKey == "FIREBIRD") vValue = gShared->vSuper;
       return FEmbedded(pInst, pEnv);
     },
     1, false,
     {"FAIL  Firebird root {shared}/super: ServerMode Super lets one process at a time open the database "
      "(concurrent requests come back empty): write ServerMode = Classic in {shared}/super/firebird.conf, or "
      "the web server must pass FIREBIRD={dir}/firebird (/etc/velmora/velmora.env lists the values)"}},
    {"FirebirdNotSet",
     [](TInstallation& pInst, e2e::TEnvironment& pEnv) {
       std::erase_if(pEnv, [](const auto& e) { return e.first == "FIREBIRD"; });
       pInst.PIni(gShared->FDemo(), cPassword);
       return std::vector<std::string>{};
     },
     1, false,
     {"FAIL  FIREBIRD not set: the embedded engine falls back to its default root (ServerMode Super, one process "
      "at a time: concurrent requests come back empty); the web server must pass FIREBIRD={dir}/firebird "
      "(/etc/velmora/velmora.env lists the values)"}},
    {"InlineCommentInCaminho",
     [](TInstallation& pInst, e2e::TEnvironment&) -> std::vector<std::string> {
       pInst.PIni(gShared->FDemo() + "        ; or host:/path for a Firebird server", cPassword);
       return {};
     },
     1, false,
     {"FAIL  CAMINHO \"{shared}/demo.fdb        ; or host:/path for a Firebird server\" looks like it carries an "
      "inline comment: a value runs to the end of its line; put the comment on a line of its own",
      "FAIL  database file \"{shared}/demo.fdb        ; or host:/path for a Firebird server\" not found: check "
      "CAMINHO in {dir}/caminhoBDQuindar.ini"}},
    {"WrongPassword",
     [](TInstallation& pInst, e2e::TEnvironment&) -> std::vector<std::string> {
       pInst.PIni(gShared->FServerCaminho(), cWrongPassword);
       return {};
     },
     1, false,
     {"ok    SENHA set",
      "ok    Firebird server localhost port {port} answers",
      "FAIL  attach to \"localhost/{port}:{shared}/server.fdb\" as \"SYSDBA\" (SENHA set) failed: Your user name "
      "and password are not defined. Ask your database administrator to set up a Firebird login.: check "
      "CAMINHO, USUARIO and SENHA in {dir}/caminhoBDQuindar.ini"}},
    {"ServerNotAnswering",
     [](TInstallation& pInst, e2e::TEnvironment&) -> std::vector<std::string> {
       // Port 1: nothing listens there.
       pInst.PIni("127.0.0.1/1:/srv/store.fdb", cPassword);
       return {};
     },
     1, false,
     {"FAIL  Firebird server 127.0.0.1 port 1 does not answer within 3 s (Connection refused): start the server, "
      "or correct host and port in CAMINHO (host/port:/path)"}},
    {"TableAndColumnMissing",
     [](TInstallation& pInst, e2e::TEnvironment&) -> std::vector<std::string> {
       pInst.PIni(gShared->FDamaged(), cPassword);
       return {};
     },
     1, false,
     {"ok    statement prepared: FRetornaPedidoCabecalho",
      "FAIL  statement FRetornaColConvenios payment condition: Dynamic SQL Error; SQL error code = -204; Table "
      "unknown; CONDPAG; At line 1, column 15: the store database lacks the table or column named; every request "
      "that runs this statement fails",
      "FAIL  statement FRetornaColFinancimentos finance company: Dynamic SQL Error; SQL error code = -206; Column "
      "unknown; DIASCOMPENSACAO; ..."}},
    {"OrderNotFound",
     [](TInstallation& pInst, e2e::TEnvironment&) -> std::vector<std::string> {
       pInst.PIni(gShared->FDemo(), cPassword);
       return {"--order", "001", "99999999", "P"};
     },
     1, false,
     {"FAIL  FRetornaPedido 001 99999999 P: empty answer, no error: no such order in the store database"}},
    {"LockFileOfAnotherUser",
     [](TInstallation& pInst, e2e::TEnvironment& pEnv) {
       // A lock file left by a run as root (isql, the CGI tried by hand).
       PWrite(pInst.vLock + "/fb_init", "");
       PMakeForeign(pInst.vLock + "/fb_init");
       return FEmbedded(pInst, pEnv);
     },
     1, false,
     {"FAIL  lock file {dir}/lock/fb_init not writable by uid {uid} (owner {other}): chown {user} "
      "{dir}/lock/fb_init (or remove it while no Firebird process runs), or set FIREBIRD_LOCK to a directory "
      "{user} can write"}},
    {"RunAsRoot", &FEmbedded, 1, true,
     {"FAIL  running as root, whose rights say nothing about the web server's: run it as that user, sudo -u "
      "www-data env $(cat /etc/velmora/velmora.env) velmora-check",
      "ok    log directory writable: {dir}/log",
      "FAIL  database not opened as root: the embedded engine would leave lock files in {dir}/lock that the web "
      "server's user cannot open; run the check as that user"}},
    {"ConfigurationNotReadable",
     [](TInstallation& pInst, e2e::TEnvironment& pEnv) {
       FEmbedded(pInst, pEnv);
       // Not even to read, this time.
       fs::permissions(pInst.vIni, FRoot() ? fs::perms::owner_read | fs::perms::owner_write : fs::perms::none);
       return std::vector<std::string>{};
     },
     1, false,
     {"FAIL  configuration file {dir}/caminhoBDQuindar.ini not readable by uid {uid} (owner {other}): chgrp "
      "{group} {dir}/caminhoBDQuindar.ini && chmod 0640 {dir}/caminhoBDQuindar.ini"}},
};

class DeploymentCheckRun : public testing::TestWithParam<TCase> {
 public:
  static void SetUpTestSuite() {
    if (!gShared) gShared = new TShared();  // kept to the end: the server with it
  }
  static void TearDownTestSuite() {
    delete gShared;
    gShared = nullptr;
  }
};

TEST_P(DeploymentCheckRun, ReportsEachProblemOnItsOwnLineWithItsFix) {
  const TCase& c = GetParam();
  if (c.vAsTester && !FRoot()) GTEST_SKIP() << "a case for a check run by root";
  const bool vAsNobody = FRoot() && !c.vAsTester;
  if (vAsNobody && access("/usr/bin/setpriv", X_OK) != 0) GTEST_SKIP() << "running as root without setpriv";
  TInstallation vInst(*gShared);
  e2e::TEnvironment vEnv = {{"PATH", "/usr/bin:/bin"},
                            {"FIREBIRD", gShared->vClassic},
                            {"FIREBIRD_LOCK", vInst.vLock}};
  const std::vector<std::string> vExtra = c.PSetUp(vInst, vEnv);

  std::vector<std::string> vArgv;
  if (vAsNobody)
    vArgv = {"/usr/bin/setpriv", "--reuid=" + std::to_string(cNobody), "--regid=" + std::to_string(cNobody),
             "--clear-groups"};
  vArgv.push_back(gShared->vCheck);
  vArgv.push_back("--dir");
  vArgv.push_back(vInst.vPath);
  vArgv.insert(vArgv.end(), vExtra.begin(), vExtra.end());
  const e2e::TProcessResult r = e2e::FRunProgram(vArgv, vEnv, {}, 60);

  SCOPED_TRACE(r.vStdout + r.vStderr);
  EXPECT_EQ(r.vExitCode, c.vExit);
  EXPECT_EQ(r.vStderr, "");
  std::vector<std::string> vOutput;
  std::istringstream vStream(r.vStdout);
  for (std::string vLine; std::getline(vStream, vLine);) vOutput.push_back(vLine);
  for (const std::string& vWanted : c.vLines) {
    const std::string vLine = FExpand(vWanted, vInst);
    const bool vPrefix = vLine.size() > 3 && vLine.compare(vLine.size() - 3, 3, "...") == 0;
    const std::string vStart = vPrefix ? vLine.substr(0, vLine.size() - 3) : vLine;
    EXPECT_TRUE(std::any_of(vOutput.begin(), vOutput.end(),
                            [&](const std::string& o) { return vPrefix ? o.rfind(vStart, 0) == 0 : o == vLine; }))
        << "missing line: " << vLine;
  }
  // Every line is a check with its verdict (the first names what is
  // checked), in plain ASCII, and never with a password in it.
  ASSERT_FALSE(vOutput.empty());
  for (std::size_t i = 1; i < vOutput.size(); ++i) {
    const std::string& o = vOutput[i];
    EXPECT_TRUE(o.rfind("ok    ", 0) == 0 || o.rfind("FAIL  ", 0) == 0) << o;
    EXPECT_EQ(o.rfind("FAIL  ", 0) == 0 && c.vExit == 0, false) << o;
  }
  for (const unsigned char b : r.vStdout) EXPECT_TRUE(b == '\n' || (b >= 0x20 && b < 0x7F)) << int(b);
  EXPECT_EQ(r.vStdout.find(cPassword), std::string::npos);
  EXPECT_EQ(r.vStdout.find(cWrongPassword), std::string::npos);
  // Run by root, the check leaves no lock file behind: the lock directory
  // belongs to the web server's user.
  if (c.vAsTester) {
    EXPECT_TRUE(fs::is_empty(vInst.vLock));
  }
}

INSTANTIATE_TEST_SUITE_P(Deployments, DeploymentCheckRun, testing::ValuesIn(cCases),
                         [](const testing::TestParamInfo<TCase>& i) { return std::string(i.param.vName); });

}  // namespace
