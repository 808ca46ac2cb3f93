// Web dispatch: the path masks and the dispatch algorithm, on a module
// whose members record what reached them.
#include "host/WebModule.h"

#include <gtest/gtest.h>

#include "host/CGIRequest.h"
#include "host/CGIResponse.h"
#include "port/MemEnv.h"

namespace {

TEST(WebModule, Masks) {
  struct TCase {
    const char* vMask;
    const char* vPath;
    bool vMatches;
  };
  const TCase cCases[] = {
      {"/", "/", true},          {"/", "", false},           {"/", "/x", false},
      {"soap*", "/soap", true},  {"soap*", "/SOAP/IVelmora", true}, {"soap*", "/soa", false},
      {"soap*", "soap", false},  {"wsdl*", "/wsdlx", true},  {"wsdl*", "/WSDL", true},
      {"\\wsdl\\*", "/wsdl/IVelmora", true}, {"/a*b*c", "/aXXbYYc", true}, {"/a*b*c", "/aXXbYY", false},
      {"*", "/anything/at/all", true}, {"/soap*", "/x/soap", false},
  };
  for (const TCase& c : cCases) {
    EXPECT_EQ(host::FMatchesMask(c.vMask, c.vPath), c.vMatches) << c.vMask << " ~ " << c.vPath;
  }
}

// A component that records its calls and answers as told.
class TRecordingComponent : public host::TComponent, public host::IWebDispatch {
 public:
  TRecordingComponent(std::string pName, host::TWebDispatch pSettings, bool pHandles, std::string& pTrail)
      : host::TComponent(std::move(pName)), vSettings(std::move(pSettings)), vHandles(pHandles), vTrail(pTrail) {}
  const host::TWebDispatch& WebDispatch() const override { return vSettings; }
  bool FDispatchRequest(host::TComponent*, host::TWebRequest&, host::TWebResponse&) override {
    vTrail += Name() + ";";
    return vHandles;
  }
  host::TWebDispatch vSettings;
  bool vHandles;
  std::string& vTrail;
};

class TTestModule : public host::TWebModule {
 public:
  explicit TTestModule(bool pSecondDeclines)
      : host::TWebModule("TestModule"),
        vSoap("soap", {true, host::TMethodType::mtPost, "soap*"}, true, vTrail),
        vDecliner("decliner", {true, host::TMethodType::mtAny, "/decline"}, false, vTrail),
        vOff("off", {false, host::TMethodType::mtAny, "/off"}, true, vTrail) {
    host::TWebActionItem& vPicky = FAddAction("picky");
    vPicky.PathInfo = "/picky";
    vPicky.OnAction = [this](host::TComponent* s, host::TWebRequest&, host::TWebResponse&, bool& h) {
      vTrail += s->Name() + ";";
      h = false;  // looks, but leaves the request to the others
    };
    host::TWebActionItem& vDefault = FAddAction("default");
    vDefault.Default = true;
    vDefault.PathInfo = "/";
    vDefault.MethodType = host::TMethodType::mtGet;
    vDefault.OnAction = [this, pSecondDeclines](host::TComponent* s, host::TWebRequest&, host::TWebResponse&,
                                                bool& h) {
      vTrail += s->Name() + ";";
      if (pSecondDeclines) h = false;
    };
    PAddDispatcher(vSoap);
    PAddDispatcher(vDecliner);
    PAddDispatcher(vOff);
  }
  std::string vTrail;
  TRecordingComponent vSoap, vDecliner, vOff;
};

TEST(WebModule, DispatchOrder) {
  struct TCase {
    const char* vMethod;
    const char* vPath;
    std::string vTrail;
  };
  const TCase cCases[] = {
      {"GET", "/", "default;"},
      {"POST", "/", "default;"},  // the default runs whatever its method
      {"POST", "/soap/IVelmora", "soap;"},
      {"GET", "/soap", "default;"},
      {"GET", "/decline", "decliner;default;"},
      {"GET", "/off", "default;"},
      {"GET", "/picky", "picky;default;"},
      {"GET", "", "default;"},
  };
  for (const TCase& c : cCases) {
    port::TMemEnv vEnv;
    vEnv.vEnvironment = {{"REQUEST_METHOD", c.vMethod}, {"PATH_INFO", c.vPath}};
    host::TCGIRequest vRequest(vEnv);
    host::TCGIResponse vResponse(vRequest, vEnv);
    TTestModule vModule(false);
    EXPECT_TRUE(vModule.FHandleRequest(vRequest, vResponse)) << c.vMethod << " " << c.vPath;
    EXPECT_EQ(vModule.vTrail, c.vTrail) << c.vMethod << " " << c.vPath;
  }
}

TEST(WebModule, UnhandledAndAlreadySent) {
  port::TMemEnv vEnv;
  vEnv.vEnvironment = {{"PATH_INFO", "/"}, {"REQUEST_METHOD", "GET"}};
  host::TCGIRequest vRequest(vEnv);
  {
    host::TCGIResponse vResponse(vRequest, vEnv);
    TTestModule vModule(true);  // the default action leaves the request unhandled
    EXPECT_FALSE(vModule.FHandleRequest(vRequest, vResponse));
    EXPECT_EQ(vModule.vTrail, "default;default;");  // matched once, then run as the default
  }
  host::TCGIResponse vSent(vRequest, vEnv);
  vSent.SendResponse();
  TTestModule vModule(false);
  EXPECT_TRUE(vModule.FHandleRequest(vRequest, vSent));
  EXPECT_EQ(vModule.vTrail, "");
}

}  // namespace
