// The CGI request: the lookup rule, integer fields, method types and how
// much of standard input the content takes.
#include "host/CGIRequest.h"

#include <gtest/gtest.h>

#include <functional>

#include "port/MemEnv.h"

namespace {

using TVars = std::vector<std::pair<std::string, std::string>>;

std::unique_ptr<host::TCGIRequest> FRequest(port::TMemEnv& pEnv, TVars pVars, std::string pStdin = {}) {
  pEnv.vEnvironment = std::move(pVars);
  pEnv.vStdin = std::move(pStdin);
  return std::make_unique<host::TCGIRequest>(pEnv);
}

TEST(CGIRequest, LookupRule) {
  using TGet = std::function<std::string(const host::TCGIRequest&)>;
  struct TCase {
    const char* vWhat;
    TVars vVars;
    TGet vGet;
    std::string vExpected;
  };
  const TGet vPathInfo = [](const host::TCGIRequest& r) { return r.PathInfo(); };
  const TGet vHost = [](const host::TCGIRequest& r) { return r.Host(); };
  const TGet vMethod = [](const host::TCGIRequest& r) { return r.Method(); };
  const TGet vContentType = [](const host::TCGIRequest& r) { return r.ContentType(); };
  const TGet vSoapAction = [](const host::TCGIRequest& r) { return r.FGetFieldByName("SOAPAction"); };
  const TGet vProxy = [](const host::TCGIRequest& r) {
    return r.FGetFieldByName("Proxy") + "|" + r.FGetFieldByName("HTTP_PROXY") + "|" + r.FGetFieldByName("http_proxy");
  };
  const TCase cCases[] = {
      {"the variable itself", {{"PATH_INFO", "/soap"}}, vPathInfo, "/soap"},
      {"names ignore case", {{"path_Info", "/x"}}, vPathInfo, "/x"},
      {"exact case wins", {{"path_info", "/lower"}, {"PATH_INFO", "/exact"}}, vPathInfo, "/exact"},
      {"prefix removed when absent", {{"HOST", "h:1"}}, vHost, "h:1"},
      {"prefix added when empty", {{"REQUEST_METHOD", ""}, {"HTTP_REQUEST_METHOD", "POST"}}, vMethod, "POST"},
      {"server's CONTENT_TYPE first", {{"HTTP_CONTENT_TYPE", "text/plain"}, {"CONTENT_TYPE", "text/xml"}},
       vContentType, "text/xml"},
      {"client's CONTENT_TYPE as fallback", {{"HTTP_CONTENT_TYPE", "text/plain"}}, vContentType, "text/plain"},
      {"SOAPAction header", {{"HTTP_SOAPACTION", "\"urn:a#b\""}}, vSoapAction, "\"urn:a#b\""},
      {"HTTP_PROXY is never read", {{"HTTP_PROXY", "http://evil"}, {"PROXY", ""}}, vProxy, "||"},
      {"missing everywhere", {}, vPathInfo, ""},
  };
  for (const TCase& c : cCases) {
    port::TMemEnv vEnv;
    auto vRequest = FRequest(vEnv, c.vVars);
    EXPECT_EQ(c.vGet(*vRequest), c.vExpected) << c.vWhat;
  }
}

TEST(CGIRequest, EveryFieldFromItsVariable) {
  port::TMemEnv vEnv;
  auto r = FRequest(vEnv, {{"REQUEST_METHOD", "get"},          {"SERVER_PROTOCOL", "HTTP/1.1"},
                           {"URL", "u"},                       {"QUERY_STRING", "intf=IVelmora"},
                           {"PATH_INFO", "/wsdl"},             {"PATH_TRANSLATED", "/t"},
                           {"HTTP_CACHE_CONTROL", "cc"},       {"HTTP_DATE", "d"},
                           {"HTTP_ACCEPT", "*/*"},             {"HTTP_FROM", "f"},
                           {"HTTP_HOST", "127.0.0.1:8080"},    {"HTTP_IF_MODIFIED_SINCE", "ims"},
                           {"HTTP_REFERER", "ref"},            {"HTTP_USER_AGENT", "ua"},
                           {"HTTP_CONTENT_ENCODING", "ce"},    {"HTTP_CONTENT_VERSION", "cv"},
                           {"HTTP_DERIVED_FROM", "df"},        {"HTTP_EXPIRES", "ex"},
                           {"HTTP_TITLE", "ti"},               {"REMOTE_ADDR", "10.0.0.1"},
                           {"REMOTE_HOST", "rh"},              {"SCRIPT_NAME", "/velmora.cgi"},
                           {"SERVER_PORT", "8080"},            {"HTTP_CONNECTION", "close"},
                           {"HTTP_COOKIE", "a=b"},             {"HTTP_AUTHORIZATION", "Basic x"}});
  EXPECT_EQ(r->Method(), "get");
  EXPECT_EQ(r->MethodType(), host::TMethodType::mtGet);
  EXPECT_EQ(r->ProtocolVersion(), "HTTP/1.1");
  EXPECT_EQ(r->URL(), "u");
  EXPECT_EQ(r->Query(), "intf=IVelmora");
  EXPECT_EQ(r->PathInfo(), "/wsdl");
  EXPECT_EQ(r->PathTranslated(), "/t");
  EXPECT_EQ(r->CacheControl() + r->Date() + r->Accept() + r->From(), "ccd*/*f");
  EXPECT_EQ(r->Host(), "127.0.0.1:8080");
  EXPECT_EQ(r->IfModifiedSince() + r->Referer() + r->UserAgent() + r->ContentEncoding(), "imsrefuace");
  EXPECT_EQ(r->ContentVersion() + r->DerivedFrom() + r->Expires() + r->Title(), "cvdfexti");
  EXPECT_EQ(r->RemoteAddr() + r->RemoteHost(), "10.0.0.1rh");
  EXPECT_EQ(r->ScriptName(), "/velmora.cgi");
  EXPECT_EQ(r->ServerPort(), 8080);
  EXPECT_EQ(r->Connection() + r->Cookie() + r->Authorization(), "closea=bBasic x");
  EXPECT_EQ(r->ContentLength(), -1);
  EXPECT_EQ(r->Content(), "");
}

TEST(CGIRequest, IntegerFields) {
  const std::pair<const char*, std::int64_t> cCases[] = {
      {"", -1},   {"abc", -1},  {"12", 12},     {"12x", -1}, {" 12", -1},
      {"+7", 7},  {"-3", -3},   {"+-3", -1},    {"0", 0},    {"99999999999999999999", -1},
  };
  for (const auto& [vText, vExpected] : cCases) EXPECT_EQ(host::FIntegerField(vText), vExpected) << vText;

  port::TMemEnv vEnv;
  EXPECT_EQ(FRequest(vEnv, {{"SERVER_PORT", "99999999999"}})->ServerPort(), -1);
}

TEST(CGIRequest, MethodTypes) {
  const std::pair<const char*, host::TMethodType> cCases[] = {
      {"GET", host::TMethodType::mtGet},   {"post", host::TMethodType::mtPost}, {"Put", host::TMethodType::mtPut},
      {"HEAD", host::TMethodType::mtHead}, {"DELETE", host::TMethodType::mtAny}, {"", host::TMethodType::mtAny},
      {"GETX", host::TMethodType::mtAny},
  };
  for (const auto& [vText, vExpected] : cCases) EXPECT_EQ(host::FMethodTypeOf(vText), vExpected) << vText;
}

TEST(CGIRequest, ContentTakesWhatTheServerDeclared) {
  struct TCase {
    TVars vVars;
    std::string vStdin;
    std::string vContent;
    std::string vLeftOnStdin;
  };
  const TCase cCases[] = {
      {{}, "unread", "", "unread"},
      {{{"CONTENT_LENGTH", "0"}}, "unread", "", "unread"},
      {{{"CONTENT_LENGTH", "abc"}}, "unread", "", "unread"},
      {{{"CONTENT_LENGTH", "-5"}}, "unread", "", "unread"},
      {{{"CONTENT_LENGTH", "5"}}, "hello world", "hello", " world"},
      {{{"CONTENT_LENGTH", "20"}}, "short", "short", ""},
      // A client header cannot make the process read past the server's length.
      {{{"HTTP_CONTENT_LENGTH", "10"}, {"CONTENT_LENGTH", "3"}}, "abcdefghij", "abc", "defghij"},
  };
  for (const TCase& c : cCases) {
    port::TMemEnv vEnv;
    auto vRequest = FRequest(vEnv, c.vVars, c.vStdin);
    EXPECT_EQ(vRequest->Content(), c.vContent) << c.vStdin;
    std::string vRest(64, '\0');
    vRest.resize(vEnv.FReadStdin(vRest.data(), vRest.size()));
    EXPECT_EQ(vRest, c.vLeftOnStdin) << c.vStdin;
  }
}

TEST(CGIRequest, ContentAboveOneMebibyteIsRefusedUnread) {
  port::TMemEnv vEnv;
  auto vAtLimit = FRequest(vEnv, {{"CONTENT_LENGTH", "1048576"}}, std::string(1048576, 'x'));
  EXPECT_EQ(vAtLimit->Content().size(), 1048576u);

  port::TMemEnv vOver;
  vOver.vEnvironment = {{"CONTENT_LENGTH", "1048577"}};
  vOver.vStdin = "body";
  try {
    host::TCGIRequest vRequest(vOver);
    FAIL() << "no exception";
  } catch (const host::EWebRequestError& e) {
    EXPECT_STREQ(e.what(), "Request content of 1048577 bytes refused: the limit is 1048576 bytes");
  }
  char vByte = 0;
  EXPECT_EQ(vOver.FReadStdin(&vByte, 1), 1u);  // nothing was read
}

}  // namespace
