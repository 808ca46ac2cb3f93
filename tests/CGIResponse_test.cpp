// The CGI response: initial values and their rules, and the bytes it sends
// (header block in one write, body, stream blocks, header-line cleaning).
#include "host/CGIResponse.h"

#include <gtest/gtest.h>

#include <sstream>

#include "host/CGIRequest.h"
#include "port/ForwardingEnv.h"
#include "port/MemEnv.h"

namespace {

// Records every write to standard output as one entry.
class TWriteRecorder : public port::TForwardingEnv {
 public:
  TWriteRecorder() : TForwardingEnv(vMem) {}
  port::TMemEnv vMem;
  std::vector<std::string> vWrites;

  bool FWriteStdout(std::string_view d) override {
    vWrites.emplace_back(d);
    return true;
  }

  [[nodiscard]] std::string FAll() const {
    std::string s;
    for (const std::string& w : vWrites) s += w;
    return s;
  }
};

struct TCycle {
  explicit TCycle(bool pWithProtocol) {
    if (pWithProtocol) vEnv.vMem.vEnvironment = {{"SERVER_PROTOCOL", "HTTP/1.1"}};
    vRequest = std::make_unique<host::TCGIRequest>(vEnv);
    vResponse = std::make_unique<host::TCGIResponse>(*vRequest, vEnv);
  }
  TWriteRecorder vEnv;
  std::unique_ptr<host::TCGIRequest> vRequest;
  std::unique_ptr<host::TCGIResponse> vResponse;
};

TEST(CGIResponse, InitialValuesAndStatusPhrases) {
  TCycle c(true);
  host::TWebResponse& r = *c.vResponse;
  EXPECT_EQ(r.StatusCode(), 200);
  EXPECT_EQ(r.ReasonString(), "OK");
  EXPECT_EQ(r.ContentType(), "text/html");
  EXPECT_EQ(r.ContentLength(), 0);
  EXPECT_FALSE(r.Sent());

  const std::pair<int, const char*> cPhrases[] = {
      {100, "Continue"},       {204, "No Content"},   {302, "Moved Temporarily"},          {403, "Forbidden"},
      {406, "None Acceptable"}, {412, "Unless True"}, {500, "Internal Server Error"},      {504, "Gateway Timeout"},
      {299, ""},               {505, ""},
  };
  for (const auto& [vCode, vPhrase] : cPhrases) {
    r.SetStatusCode(vCode);
    EXPECT_EQ(r.ReasonString(), vPhrase) << vCode;
  }
  // The same code again keeps a reason set by hand.
  r.SetStatusCode(404);
  r.SetReasonString("Gone Fishing");
  r.SetStatusCode(404);
  EXPECT_EQ(r.ReasonString(), "Gone Fishing");
}

TEST(CGIResponse, ContentLengthFollowsContentOrStream) {
  TCycle c(true);
  host::TWebResponse& r = *c.vResponse;
  r.SetContent("abc\xE7");
  EXPECT_EQ(r.ContentLength(), 4);
  r.SetContentStream(std::make_unique<std::istringstream>(std::string(10, 's')));
  EXPECT_EQ(r.ContentLength(), 10);
  r.SetContent("longer content");  // a stream is set: the length stays the stream's
  EXPECT_EQ(r.ContentLength(), 10);
  r.SetContentStream(nullptr);
  EXPECT_EQ(r.ContentLength(), 14);
}

TEST(CGIResponse, SentBytes) {
  struct TCase {
    const char* vWhat;
    bool vProtocol;
    int vStatus;
    std::string vContentType;
    std::string vContent;
    std::vector<std::string> vWrites;
  };
  const TCase cCases[] = {
      {"page", true, 200, "text/html", "<html>x</html>",
       {"Status: 200 OK\r\nContent-Type: text/html\r\nContent-Length: 14\r\nContent:\r\n\r\n", "<html>x</html>"}},
      {"empty content", true, 200, "text/html", "", {"Status: 200 OK\r\nContent-Type: text/html\r\nContent:\r\n\r\n"}},
      {"no protocol: body alone", false, 200, "text/html", "<p>", {"<p>"}},
      {"server error", true, 500, "text/xml", "<f/>",
       {"Status: 500 Internal Server Error\r\nContent-Type: text/xml\r\nContent-Length: 4\r\nContent:\r\n\r\n",
        "<f/>"}},
      {"code without phrase", true, 299, "", "x",
       {"Status: 200 OK\r\nContent-Length: 1\r\nContent:\r\n\r\n", "x"}},
  };
  for (const TCase& t : cCases) {
    TCycle c(t.vProtocol);
    c.vResponse->SetStatusCode(t.vStatus);
    c.vResponse->SetContentType(t.vContentType);
    c.vResponse->SetContent(t.vContent);
    EXPECT_FALSE(c.vEnv.vMem.vTerminationHeld);
    c.vResponse->SendResponse();
    EXPECT_EQ(c.vEnv.vWrites, t.vWrites) << t.vWhat;
    EXPECT_TRUE(c.vResponse->Sent());
    EXPECT_TRUE(c.vEnv.vMem.vTerminationHeld) << t.vWhat;  // the shutdown after the answer still runs
  }
}

TEST(CGIResponse, EveryHeaderLineInOrderAndNoneInjected) {
  TCycle c(true);
  host::TWebResponse& r = *c.vResponse;
  r.Location = "/x\r\nSet-Cookie: evil=1";
  r.Allow = "GET";
  r.Cookies = {"a=1", "b=2\n"};
  r.DerivedFrom = "df";
  r.Expires = 45000.75;
  r.LastModified = 36526.0;
  r.Title = "t";
  r.WWWAuthenticate = "Basic";
  r.Realm = "store";
  r.CustomHeaders = {{"X-One", "1"}, {"X-Two\r\nX-Three", std::string("2\0003", 3)}};
  r.ContentVersion = "MIME-Version: 1.0";
  r.ContentEncoding = "gzip";
  r.SetContentType("text/xml");
  r.SetContent("b");
  EXPECT_EQ(c.vResponse->FHeaderBlock(),
            "Status: 200 OK\r\n"
            "Location: /x  Set-Cookie: evil=1\r\n"
            "Allow: GET\r\n"
            "Set-Cookie: a=1\r\n"
            "Set-Cookie: b=2 \r\n"
            "Derived-From: df\r\n"
            "Expires: Wed, 15 Mar 2023 18:00:00 GMT\r\n"
            "Last-Modified: Sat, 01 Jan 2000 00:00:00 GMT\r\n"
            "Title: t\r\n"
            "WWW-Authenticate: Basic Realm=store\r\n"
            "X-One: 1\r\n"
            "X-Two  X-Three: 2 3\r\n"
            "Content-Version: MIME-Version: 1.0\r\n"
            "Content-Encoding: gzip\r\n"
            "Content-Type: text/xml\r\n"
            "Content-Length: 1\r\n"
            "Content:\r\n\r\n");
}

TEST(CGIResponse, StreamGoesOutInBlocksAndHeadGetsItsBody) {
  TCycle c(true);
  std::string vData;
  for (int i = 0; i < 20000; ++i) vData += static_cast<char>('a' + i % 26);
  c.vResponse->SetContent("ignored while a stream is set");
  c.vResponse->SetContentStream(std::make_unique<std::istringstream>(vData));
  c.vResponse->SendResponse();
  ASSERT_EQ(c.vEnv.vWrites.size(), 4u);
  EXPECT_EQ(c.vEnv.vWrites[0], "Status: 200 OK\r\nContent-Type: text/html\r\nContent-Length: 20000\r\nContent:\r\n\r\n");
  EXPECT_EQ(c.vEnv.vWrites[1].size(), 8192u);
  EXPECT_EQ(c.vEnv.vWrites[2].size(), 8192u);
  EXPECT_EQ(c.vEnv.vWrites[1] + c.vEnv.vWrites[2] + c.vEnv.vWrites[3], vData);
  EXPECT_EQ(c.vResponse->ContentStream(), nullptr);  // freed after sending

  TWriteRecorder vHeadEnv;
  vHeadEnv.vMem.vEnvironment = {{"SERVER_PROTOCOL", "HTTP/1.1"}, {"REQUEST_METHOD", "HEAD"}};
  host::TCGIRequest vHead(vHeadEnv);
  host::TCGIResponse vResponse(vHead, vHeadEnv);
  vResponse.SetContent("body");
  vResponse.SendResponse();
  EXPECT_EQ(vHeadEnv.FAll(), "Status: 200 OK\r\nContent-Type: text/html\r\nContent-Length: 4\r\nContent:\r\n\r\nbody");
}

}  // namespace
