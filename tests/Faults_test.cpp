// Failing parts under the real executable: the database file missing, a
// Firebird server stopped or frozen (SIGSTOP) before and in the middle of a
// statement, an order row locked by another transaction, a log directory
// that cannot be written and a configuration file that cannot be read.
//
// Each case must end the way the service promises: FVerificaAtividade
// answers true, FRetornaPedidoItem and FAtualizaStatusPedido with the
// database unreachable answer a SOAP fault, the other document operations
// an empty return, an update that cannot get its row answers false; every
// answer whole (its Content-Length is its body's length, its XML parses) and
// within the bounds of 5 s for connecting and 5 s for a lock.
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "e2e/LighttpdFixture.h"
#include "e2e/ProcessRunner.h"
#include "support/TestText.h"
#include "e2e/RowLock.h"
#include "support/FirebirdFixture.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* cTrue = "<return xsi:type=\"xsd:boolean\">true</return>";
constexpr const char* cFalse = "<return xsi:type=\"xsd:boolean\">false</return>";
constexpr const char* cFault = "<faultcode>SOAP-ENV:Server</faultcode>";
// An empty string result, whichever way the serialiser closes it.
constexpr const char* cEmptyString = "<return xsi:type=\"xsd:string\"";

struct TAnswer {
  std::string vHeader;
  std::string vBody;
  double vSeconds = 0;
};

std::string FKey(std::string_view pEmpresa, std::string_view pPedido) {
  return "<pChavePedido><CodEmpresa>" + std::string(pEmpresa) + "</CodEmpresa><CodPedido>" + std::string(pPedido) +
         "</CodPedido><TipoPedido>P</TipoPedido></pChavePedido>";
}


// Calls pOperation (with the key of order pPedido of company 001 unless it
// takes none) and checks that the answer is whole.
TAnswer FCall(const e2e::TServiceDir& pDir, std::string_view pOperation, std::string_view pPedido = "00000101") {
  const std::string vBody =
      e2e::FSoapCall(pOperation, pOperation == "FVerificaAtividade" ? std::string() : FKey("001", pPedido));
  const e2e::TEnvironment vVars = {{"REQUEST_METHOD", "POST"},
                                   {"SERVER_PROTOCOL", "HTTP/1.1"},
                                   {"PATH_INFO", "/soap/IVelmora"},
                                   {"SCRIPT_NAME", "/velmora.cgi"},
                                   {"HTTP_HOST", "127.0.0.1:8080"},
                                   {"SERVER_PORT", "8080"},
                                   {"CONTENT_TYPE", "text/xml; charset=utf-8"},
                                   {"CONTENT_LENGTH", std::to_string(vBody.size())},
                                   {"HTTP_SOAPACTION", "\"urn:VelmoraIntf-IVelmora#" + std::string(pOperation) + "\""}};
  const auto vStart = std::chrono::steady_clock::now();
  const e2e::TProcessResult r = pDir.FRunCgi(vVars, vBody);
  TAnswer vAnswer;
  vAnswer.vSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - vStart).count();
  EXPECT_EQ(r.vExitCode, 0) << pOperation << r.vStderr;
  const std::size_t vEnd = r.vStdout.find("Content:\r\n\r\n");
  EXPECT_NE(vEnd, std::string::npos) << pOperation << r.vStdout;
  if (vEnd == std::string::npos) return vAnswer;
  vAnswer.vHeader = r.vStdout.substr(0, vEnd);
  vAnswer.vBody = r.vStdout.substr(vEnd + 12);
  EXPECT_EQ(vAnswer.vHeader.rfind("Status: 200 OK\r\n", 0), 0u) << pOperation << vAnswer.vHeader;
  EXPECT_NE(vAnswer.vHeader.find("Content-Length: " + std::to_string(vAnswer.vBody.size()) + "\r\n"), std::string::npos)
      << pOperation << vAnswer.vHeader;
  EXPECT_TRUE(testsupport::FWellFormedXml(vAnswer.vBody)) << pOperation << vAnswer.vBody;
  return vAnswer;
}

// The six operations with the database out of reach, each within pBound.
void PExpectUnreachable(const e2e::TServiceDir& pDir, double pBound) {
  struct TCase {
    const char* vOperation;
    const char* vExpected;
  };
  const TCase cCases[] = {
      {"FVerificaAtividade", cTrue},      {"FRetornaPedido", cEmptyString},
      {"FRetornaPedidoItem", cFault},     {"FAtualizaStatusPedido", cFault},
      {"FRetornaColConvenios", cEmptyString}, {"FRetornaColFinancimentos", cEmptyString},
  };
  for (const TCase& c : cCases) {
    SCOPED_TRACE(c.vOperation);
    const TAnswer a = FCall(pDir, c.vOperation);
    EXPECT_NE(a.vBody.find(c.vExpected), std::string::npos) << a.vBody;
    if (std::string_view(c.vExpected) == cEmptyString) {
      EXPECT_EQ(a.vBody.find("Pedido&gt;"), std::string::npos) << "no document: " << a.vBody;
      EXPECT_EQ(a.vBody.find(cFault), std::string::npos) << a.vBody;
    }
    EXPECT_LE(a.vSeconds, pBound);
  }
}

class Faults : public ::testing::Test {
 protected:
  // A demo database of this test's own, made embedded.
  std::string FDemoDatabase() {
    const std::string vPath = vDataDir.FPath() + "/demo.fdb";
    if (!e2e::FCreateDemoDatabase(vPath)) return {};
    return vPath;
  }

  e2e::TTempDir vDataDir;
};

TEST_F(Faults, DatabaseFileMissing) {
  const e2e::TServiceDir vDir(vDataDir.FPath() + "/missing.fdb");
  PExpectUnreachable(vDir, 5.0);
  EXPECT_FALSE(fs::exists(vDataDir.FPath() + "/missing.fdb")) << "nothing creates the database";
}

TEST_F(Faults, FirebirdServerStopped) {
  std::optional<testsupport::TFirebirdServer> vServer(std::in_place);
  const std::string vSpec = vServer->FDatabaseSpec(vDataDir.FPath() + "/store.fdb");
  vServer.reset();
  const e2e::TServiceDir vDir(vSpec);
  PExpectUnreachable(vDir, 5.0);
}

// A frozen server accepts the connection in the kernel but never answers:
// connecting gives up after its 5 s.
TEST_F(Faults, FirebirdServerFrozenBeforeTheRequest) {
  const std::string vDatabase = FDemoDatabase();
  if (vDatabase.empty()) GTEST_SKIP() << "scripts/demo-db.sh is missing";
  testsupport::TFirebirdServer vServer;
  const e2e::TServiceDir vDir(vServer.FDatabaseSpec(vDatabase));
  ASSERT_NE(FCall(vDir, "FRetornaPedido").vBody.find("Pedido&gt;"), std::string::npos) << "the server serves";

  ASSERT_EQ(kill(vServer.FPid(), SIGSTOP), 0);
  const TAnswer vPedido = FCall(vDir, "FRetornaPedido");
  const TAnswer vItem = FCall(vDir, "FRetornaPedidoItem");
  kill(vServer.FPid(), SIGCONT);
  EXPECT_NE(vPedido.vBody.find(cEmptyString), std::string::npos) << vPedido.vBody;
  EXPECT_EQ(vPedido.vBody.find("Pedido&gt;"), std::string::npos) << vPedido.vBody;
  EXPECT_NE(vItem.vBody.find(cFault), std::string::npos) << vItem.vBody;
  EXPECT_LE(vPedido.vSeconds, 8.0);
  EXPECT_LE(vItem.vSeconds, 8.0);
}

// The update waits on the server for a row another transaction holds; the
// server is frozen while it waits. The request still ends with false,
// within the lock bound plus the time to notice, well below the web
// server's CGI limit.
TEST_F(Faults, FirebirdServerFrozenInTheMiddleOfAStatement) {
  const std::string vDatabase = FDemoDatabase();
  if (vDatabase.empty()) GTEST_SKIP() << "scripts/demo-db.sh is missing";
  testsupport::TFirebirdServer vServer;
  const std::string vSpec = vServer.FDatabaseSpec(vDatabase);
  const e2e::TServiceDir vDir(vSpec);
  TAnswer vAnswer;
  {
    e2e::TRowLock vLock(vSpec, "00000104");
    auto vCall = std::async(std::launch::async, [&] { return FCall(vDir, "FAtualizaStatusPedido", "00000104"); });
    std::this_thread::sleep_for(1500ms);
    ASSERT_EQ(kill(vServer.FPid(), SIGSTOP), 0);
    vAnswer = vCall.get();
    kill(vServer.FPid(), SIGCONT);
  }
  EXPECT_NE(vAnswer.vBody.find(cFalse), std::string::npos) << vAnswer.vBody;
  EXPECT_LE(vAnswer.vSeconds, 15.0);
}

TEST_F(Faults, OrderRowLockedByAnotherTransaction) {
  const std::string vDatabase = FDemoDatabase();
  if (vDatabase.empty()) GTEST_SKIP() << "scripts/demo-db.sh is missing";
  const e2e::TServiceDir vDir(vDatabase);
  {
    e2e::TRowLock vLock(vDatabase, "00000104");
    const TAnswer vLocked = FCall(vDir, "FAtualizaStatusPedido", "00000104");
    EXPECT_NE(vLocked.vBody.find(cFalse), std::string::npos) << vLocked.vBody;
    EXPECT_GE(vLocked.vSeconds, 4.0) << "it waited for the lock";
    EXPECT_LE(vLocked.vSeconds, 8.0);
    // Other orders are not held up by the lock.
    const TAnswer vOther = FCall(vDir, "FAtualizaStatusPedido", "00000101");
    EXPECT_NE(vOther.vBody.find(cTrue), std::string::npos) << vOther.vBody;
    EXPECT_LE(vOther.vSeconds, 3.0);
  }
  const TAnswer vFreed = FCall(vDir, "FAtualizaStatusPedido", "00000104");
  EXPECT_NE(vFreed.vBody.find(cTrue), std::string::npos) << vFreed.vBody;
}

// "log" beside the executable is a file: no line can be written, and the
// answers are those of an installation whose log works.
TEST_F(Faults, LogDirectoryNotWritable) {
  const std::string vDatabase = FDemoDatabase();
  if (vDatabase.empty()) GTEST_SKIP() << "scripts/demo-db.sh is missing";
  const e2e::TServiceDir vWorking(vDatabase);
  const e2e::TServiceDir vBroken(vDatabase);
  std::ofstream(vBroken.FPath() + "/log") << "not a directory";
  for (const char* vOperation : {"FVerificaAtividade", "FRetornaPedido", "FRetornaPedidoItem",
                                 "FRetornaColConvenios", "FRetornaColFinancimentos"}) {
    SCOPED_TRACE(vOperation);
    const TAnswer vExpected = FCall(vWorking, vOperation);
    const TAnswer vGot = FCall(vBroken, vOperation);
    EXPECT_EQ(vGot.vBody, vExpected.vBody);
    // Lines that cannot be written are dropped at once, not after pauses.
    EXPECT_LE(vGot.vSeconds, vExpected.vSeconds + 1.0);
  }
  EXPECT_NE(FCall(vBroken, "FAtualizaStatusPedido").vBody.find(cTrue), std::string::npos);
  std::stringstream vLogFile;
  vLogFile << std::ifstream(vBroken.FPath() + "/log").rdbuf();
  EXPECT_EQ(vLogFile.str(), "not a directory");
  std::size_t vEntries = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(vBroken.FPath())) ++vEntries;
  EXPECT_EQ(vEntries, 3u) << "executable, configuration and the log file only";
}

TEST_F(Faults, ConfigurationFileUnreadable) {
  const std::string vDatabase = FDemoDatabase();
  if (vDatabase.empty()) GTEST_SKIP() << "scripts/demo-db.sh is missing";
  {
    SCOPED_TRACE("a directory in place of the file");
    const e2e::TServiceDir vDir(vDatabase);
    fs::remove(vDir.FPath() + "/caminhoBDQuindar.ini");
    fs::create_directory(vDir.FPath() + "/caminhoBDQuindar.ini");
    PExpectUnreachable(vDir, 5.0);
  }
  {
    // The INI parser also splits at ":"; such a line once stopped start-up.
    SCOPED_TRACE("a line without = whose value looks like an internal token");
    const e2e::TServiceDir vDir(vDatabase);
    std::ofstream(vDir.FPath() + "/caminhoBDQuindar.ini", std::ios::binary | std::ios::trunc)
        << "[DATABASE]\r\nCAMINHO:\x01R" << vDatabase << "\r\nUSUARIO:\x01" << "0\r\n";
    PExpectUnreachable(vDir, 5.0);
  }
}

}  // namespace
