// The real executable run as a CGI, the way a web server runs it: what only
// a real process shows (a start-up failure, the trace log's last line, a
// stop signal after the answer, the host's file-size limit). Dispatch, the
// answers' bytes and the refusals run in process: VelmoraProcess_test.cpp.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "e2e/LighttpdFixture.h"
#include "e2e/ProcessRunner.h"
#include "support/TestText.h"

namespace {

// The database is never opened by these requests.
class VelmoraCgi : public ::testing::Test {
 protected:
  e2e::TServiceDir vDir{"/nonexistent/store.fdb"};

  e2e::TProcessResult FRun(const std::string& pMethod, const std::string& pPath, const std::string& pBody = {},
                           bool pProtocol = true) {
    e2e::TEnvironment vVars = {{"REQUEST_METHOD", pMethod},   {"PATH_INFO", pPath},
                               {"SCRIPT_NAME", "/velmora.cgi"}, {"HTTP_HOST", "127.0.0.1:8080"},
                               {"SERVER_PORT", "8080"},         {"QUERY_STRING", ""}};
    if (pProtocol) vVars.emplace_back("SERVER_PROTOCOL", "HTTP/1.1");
    if (!pBody.empty()) {
      vVars.emplace_back("CONTENT_LENGTH", std::to_string(pBody.size()));
      vVars.emplace_back("CONTENT_TYPE", "text/xml; charset=utf-8");
      vVars.emplace_back("HTTP_SOAPACTION", "\"urn:VelmoraIntf-IVelmora#FVerificaAtividade\"");
    }
    return vDir.FRunCgi(vVars, pBody);
  }
};

// The trace log of an installation, all files together.
std::string FLogOf(const e2e::TServiceDir& pDir) { return testsupport::FLogDirText(pDir.FPath()); }


TEST_F(VelmoraCgi, TraceLogIsClosedBeforeTheProcessEnds) {
  ASSERT_EQ(FRun("GET", "/").vExitCode, 0);
  const std::filesystem::path vLogDir = vDir.FPath() + "/log";
  ASSERT_TRUE(std::filesystem::exists(vLogDir));
  for (const auto& vEntry : std::filesystem::directory_iterator(vLogDir)) {
    EXPECT_TRUE(std::regex_match(vEntry.path().filename().string(), std::regex("Logvelmora[0-9]{8}\\.txt")));
  }
  const std::string vLog = FLogOf(vDir);
  EXPECT_NE(vLog.find("Log iniciado"), std::string::npos);
  const std::size_t vLast = vLog.rfind("Log finalizado");
  ASSERT_NE(vLast, std::string::npos) << vLog;
  EXPECT_EQ(vLog.find("masterkey"), std::string::npos);
}

// A directory under the configuration file's name is no configuration
// file: the module traces its entry and the search, and reads nothing.
TEST_F(VelmoraCgi, ADirectoryNamedLikeTheConfigurationIsNoFile) {
  const std::string vIni = vDir.FPath() + "/caminhoBDQuindar.ini";
  std::filesystem::remove(vIni);
  std::filesystem::create_directory(vIni);
  std::ofstream(vIni + "/caminhoBDQuindar.ini") << "[DATABASE]\r\nCAMINHO=/x.fdb\r\n";
  ASSERT_EQ(FRun("GET", "/").vExitCode, 0);
  const std::string vLog = FLogOf(vDir);
  std::vector<std::string> vModuleLines;
  for (std::size_t vStart = 0, vEnd; (vEnd = vLog.find("\r\n", vStart)) != std::string::npos; vStart = vEnd + 2) {
    const std::string vLine = vLog.substr(vStart, vEnd - vStart);
    const std::size_t vSender = vLine.find("[TFireBird");
    if (vSender != std::string::npos) vModuleLines.push_back(vLine.substr(vLine.find("] ", vSender) + 2));
  }
  EXPECT_EQ(vModuleLines, (std::vector<std::string>{"Entrando no procedimento: FRetornaBancoDeDados",
                                                    "Buscando arquivo de configura\xE7\xE3o: caminhoBDQuindar.ini"}))
      << vLog;
}

// A web server stops its CGI (SIGTERM) the moment it has the whole answer,
// as lighttpd does. The trace lines that follow the answer must still be
// written and the process must end by itself. The answer (the WSDL, larger
// than the pipe) is read through a one-page pipe, so the signal comes
// right after the last write returns.
TEST_F(VelmoraCgi, StoppedRightAfterItsAnswerItStillFinishes) {
  for (int vRound = 0; vRound < 5; ++vRound) {
    int vOut[2];
    ASSERT_EQ(::pipe2(vOut, O_CLOEXEC), 0);
    ASSERT_GT(::fcntl(vOut[0], F_SETPIPE_SZ, 4096), 0);
    const std::string vFirebird = "FIREBIRD=" + e2e::FFirebirdRoot();
    const pid_t vPid = ::fork();
    ASSERT_GE(vPid, 0);
    if (vPid == 0) {
      ::dup2(vOut[1], 1);
      const int vNull = ::open("/dev/null", O_RDWR);
      ::dup2(vNull, 0);
      ::dup2(vNull, 2);
      const char* vEnv[] = {"REQUEST_METHOD=GET", "PATH_INFO=/wsdl/IVelmora", "SCRIPT_NAME=/velmora.cgi",
                            "HTTP_HOST=127.0.0.1:8080", "SERVER_PORT=8080", "SERVER_PROTOCOL=HTTP/1.1",
                            vFirebird.c_str(), nullptr};
      const char* vArgv[] = {vDir.FExe().c_str(), nullptr};
      ::execve(vArgv[0], const_cast<char**>(vArgv), const_cast<char**>(vEnv));
      ::_exit(127);
    }
    ::close(vOut[1]);
    std::string vAnswer;
    std::size_t vExpected = std::string::npos;
    char vBuffer[4096];
    while (vAnswer.size() != vExpected) {
      const ssize_t vRead = ::read(vOut[0], vBuffer, sizeof vBuffer);
      if (vRead <= 0) break;
      vAnswer.append(vBuffer, static_cast<std::size_t>(vRead));
      const std::size_t vHeadEnd = vAnswer.find("Content:\r\n\r\n");
      const std::size_t vLength = vAnswer.find("Content-Length: ");
      if (vExpected == std::string::npos && vHeadEnd != std::string::npos && vLength != std::string::npos)
        vExpected = vHeadEnd + 12 + std::stoul(vAnswer.substr(vLength + 16));
    }
    ::kill(vPid, SIGTERM);
    int vStatus = 0;
    ASSERT_EQ(::waitpid(vPid, &vStatus, 0), vPid);
    ::close(vOut[0]);
    EXPECT_GT(vAnswer.size(), 4096u);
    EXPECT_EQ(vAnswer.size(), vExpected);
    EXPECT_TRUE(WIFEXITED(vStatus) && WEXITSTATUS(vStatus) == 0) << "round " << vRound << ", status " << vStatus;
  }
  const std::string vLog = FLogOf(vDir);
  std::size_t vStarts = 0, vEnds = 0;
  for (std::size_t p = vLog.find("**** Log iniciado ****"); p != std::string::npos; p = vLog.find("**** Log iniciado ****", p + 1)) ++vStarts;
  for (std::size_t p = vLog.find("**** Log finalizado ****"); p != std::string::npos; p = vLog.find("**** Log finalizado ****", p + 1)) ++vEnds;
  EXPECT_EQ(vStarts, 5u);
  EXPECT_EQ(vEnds, 5u) << vLog;
}

// The web server runs with a file-size limit (ulimit -f, a service's
// LimitFSIZE) and today's log has reached it: every trace line is refused
// by the system. The request still answers, the process ends normally, and
// the log keeps only whole lines.
TEST_F(VelmoraCgi, ALogAtTheFileSizeLimitCostsOnlyItsLines) {
  const std::string vLogDir = vDir.FPath() + "/log";
  std::filesystem::create_directories(vLogDir);
  // Fill today's file (whatever its date) to a size just above a block.
  ASSERT_EQ(FRun("GET", "/").vExitCode, 0);
  std::filesystem::path vFile;
  for (const auto& vEntry : std::filesystem::directory_iterator(vLogDir)) vFile = vEntry.path();
  const std::string vBefore = FLogOf(vDir);
  ASSERT_FALSE(vBefore.empty());
  const std::size_t vLimit = 512 * ((vBefore.size() + 600) / 512);  // the next line crosses it
  {
    std::ofstream vOut(vFile, std::ios::binary | std::ios::app);
    vOut << std::string(vLimit - vBefore.size() - 40, '-') << "\r\n";
  }
  const std::string vFilled = FLogOf(vDir);
  e2e::TEnvironment vVars = {{"REQUEST_METHOD", "POST"},          {"PATH_INFO", "/soap/IVelmora"},
                             {"SERVER_PROTOCOL", "HTTP/1.1"},      {"CONTENT_TYPE", "text/xml; charset=utf-8"},
                             {"HTTP_SOAPACTION", "\"urn:VelmoraIntf-IVelmora#FVerificaAtividade\""},
                             {"FIREBIRD", e2e::FFirebirdRoot()}};
  const std::string vBody =
      "<?xml version=\"1.0\"?><soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\">"
      "<soap:Body><FVerificaAtividade xmlns=\"urn:VelmoraIntf-IVelmora\"/></soap:Body></soap:Envelope>";
  vVars.emplace_back("CONTENT_LENGTH", std::to_string(vBody.size()));
  // prlimit counts the limit in bytes.
  e2e::TProcessResult r = e2e::FRunProgram(
      {"/usr/bin/prlimit", "--fsize=" + std::to_string(vLimit), vDir.FExe()}, vVars, vBody);
  EXPECT_EQ(r.vExitCode, 0) << "ended by a signal? " << r.vStderr;
  EXPECT_NE(r.vStdout.find("Status: 200 OK\r\n"), std::string::npos) << r.vStdout;
  EXPECT_NE(r.vStdout.find("<return xsi:type=\"xsd:boolean\">true</return>"), std::string::npos) << r.vStdout;
  const std::string vAfter = FLogOf(vDir);
  EXPECT_LE(vAfter.size(), vLimit);
  EXPECT_EQ(vAfter.substr(0, vFilled.size()), vFilled);
  // Whatever fitted went in as whole lines.
  EXPECT_TRUE(vAfter.size() == vFilled.size() || vAfter.substr(vAfter.size() - 2) == "\r\n") << vAfter.substr(vFilled.size());
}

TEST(VelmoraStartup, FailureGoesToStandardErrorWithExitCodeOne) {
  e2e::TServiceDir vDir("/nonexistent/store.fdb", VELMORA_STARTFAIL_EXE);
  e2e::TProcessResult r = vDir.FRunCgi({{"REQUEST_METHOD", "GET"}, {"PATH_INFO", "/"}, {"SERVER_PROTOCOL", "HTTP/1.1"}});
  EXPECT_EQ(r.vExitCode, 1);
  EXPECT_EQ(r.vStdout, "");
  EXPECT_TRUE(std::regex_match(r.vStderr, std::regex("Exception EWebApplicationError in module velmora_startfail\\.cgi "
                                                     "at [0-9A-F]{16}\\.\r\nOnly one data module per application\\.\r\n")))
      << r.vStderr;
}

}  // namespace
