// The request cycle: the error answers inside and outside dispatch, the
// refusal of oversized content and the module type record.
#include "host/CGIApp.h"

#include <gtest/gtest.h>

#include "host/WebResponse.h"
#include "port/MemEnv.h"

namespace {

class EFake : public port::Exception {
 public:
  using port::Exception::Exception;
  const char* FClassName() const noexcept override { return "EFake"; }
};

std::unique_ptr<host::TWebModule> FThrowingFactory(port::IEnv&) {
  throw EFake("module <broken>\r\nX-Injected: 1");
}
std::unique_ptr<host::TWebModule> FNullFactory(port::IEnv&) { return nullptr; }

// A module whose only action throws.
class TFailingModule : public host::TWebModule {
 public:
  TFailingModule() : host::TWebModule("FailingModule") {
    host::TWebActionItem& vAction = FAddAction("fails");
    vAction.Default = true;
    vAction.PathInfo = "/";
    vAction.OnAction = [](host::TComponent*, host::TWebRequest&, host::TWebResponse& r, bool&) {
      r.SetContentType("text/plain");
      throw EFake("bad <b>&</b>");
    };
  }
};
std::unique_ptr<host::TWebModule> FFailingFactory(port::IEnv&) { return std::make_unique<TFailingModule>(); }

// A module that answers "ok".
class TOkModule : public host::TWebModule {
 public:
  TOkModule() : host::TWebModule("OkModule") {
    host::TWebActionItem& vAction = FAddAction("ok");
    vAction.Default = true;
    vAction.OnAction = [](host::TComponent*, host::TWebRequest&, host::TWebResponse& r, bool&) {
      r.SetContent("ok");
    };
  }
};
std::unique_ptr<host::TWebModule> FOkFactory(port::IEnv&) { return std::make_unique<TOkModule>(); }

std::string FRun(host::TWebModuleClass pClass, std::vector<std::pair<std::string, std::string>> pVars,
                 std::string pStdin = {}, std::string* pLeft = nullptr) {
  port::TMemEnv vEnv;
  vEnv.vEnvironment = std::move(pVars);
  vEnv.vStdin = std::move(pStdin);
  host::TCGIApplication vApplication(vEnv);
  if (pClass != nullptr) vApplication.PSetWebModuleClass(pClass);
  vApplication.PRun();
  if (pLeft != nullptr) {
    pLeft->resize(64);
    pLeft->resize(vEnv.FReadStdin(pLeft->data(), pLeft->size()));
  }
  return vEnv.vStdout;
}

std::string FServerError(const std::string& pStatusText, const std::string& pBody) {
  return "Status: 500 " + pStatusText + "\r\nContent-Type: text/html\r\nContent-Length: " +
         std::to_string(pBody.size()) + "\r\n\r\n" + pBody;
}

TEST(CGIApp, ErrorOutsideDispatchGetsTheFixedAnswer) {
  const std::string vBody =
      "<html><title>Internal Server Error 500</title>\r\n<h1>Internal Server Error 500</h1><hr>\r\n"
      "Exception: EFake<br>\r\nMessage: module &lt;broken&gt;\r\nX-Injected: 1<br></html>\r\n";
  // The status line carries the message with its line break blanked.
  EXPECT_EQ(FRun(&FThrowingFactory, {{"SERVER_PROTOCOL", "HTTP/1.1"}}),
            FServerError("module <broken>  X-Injected: 1", vBody));

  const std::pair<host::TWebModuleClass, std::string> cCases[] = {
      {&FNullFactory, "No automatically activated data modules"},
      {nullptr, "No data modules registered"},
  };
  for (const auto& [vClass, vMessage] : cCases) {
    EXPECT_EQ(FRun(vClass, {}),
              FServerError(vMessage, "<html><title>Internal Server Error 500</title>\r\n<h1>Internal Server Error "
                                     "500</h1><hr>\r\nException: EWebApplicationError<br>\r\nMessage: " +
                                         vMessage + "<br></html>\r\n"));
  }
}

TEST(CGIApp, ErrorInsideDispatchGetsTheApplicationErrorPage) {
  const std::string vPage =
      "<html><body><h1>Internal Application Error</h1>\r\n<p>bad &lt;b&gt;&amp;&lt;/b&gt;\r\n"
      "<p><hr width=\"100%\"><i>/&lt;script&gt;alert(1)&lt;/script&gt;</i></body></html>";
  EXPECT_EQ(FRun(&FFailingFactory, {{"SERVER_PROTOCOL", "HTTP/1.1"}, {"PATH_INFO", "/<script>alert(1)</script>"}}),
            "Status: 500 Internal Server Error\r\nContent-Type: text/plain\r\nContent-Length: " +
                std::to_string(vPage.size()) + "\r\nContent:\r\n\r\n" + vPage);
}

TEST(CGIApp, OversizedContentIsRefusedWithoutReading) {
  std::string vLeft;
  const std::string vMessage = "Request content of 2000000 bytes refused: the limit is 1048576 bytes";
  EXPECT_EQ(FRun(&FOkFactory, {{"SERVER_PROTOCOL", "HTTP/1.1"}, {"CONTENT_LENGTH", "2000000"}}, "payload", &vLeft),
            FServerError(vMessage, "<html><title>Internal Server Error 500</title>\r\n<h1>Internal Server Error "
                                   "500</h1><hr>\r\nException: EWebRequestError<br>\r\nMessage: " +
                                       vMessage + "<br></html>\r\n"));
  EXPECT_EQ(vLeft, "payload");
}

TEST(CGIApp, HandledRequestIsSentOnce) {
  EXPECT_EQ(FRun(&FOkFactory, {{"SERVER_PROTOCOL", "HTTP/1.0"}}),
            "Status: 200 OK\r\nContent-Type: text/html\r\nContent-Length: 2\r\nContent:\r\n\r\nok");
}

TEST(CGIApp, OnlyOneModuleType) {
  port::TMemEnv vEnv;
  host::TCGIApplication vApplication(vEnv);
  vApplication.PSetWebModuleClass(&FOkFactory);
  EXPECT_NO_THROW(vApplication.PSetWebModuleClass(&FOkFactory));
  try {
    vApplication.PSetWebModuleClass(&FFailingFactory);
    FAIL() << "no exception";
  } catch (const host::EWebApplicationError& e) {
    EXPECT_STREQ(e.what(), "Only one data module per application");
  }
}

}  // namespace
