#include "host/CGIResponse.h"

#include <array>

#include "host/WebRequest.h"
#include "host/WebText.h"
#include "port/Env.h"

namespace host {

namespace {

constexpr std::size_t cStreamBlock = 8192;

void PAddLine(std::string& pBlock, std::string_view pName, std::string_view pValue) {
  if (pValue.empty()) return;
  pBlock += pName;
  pBlock += ": ";
  pBlock += FHeaderValue(pValue);
  pBlock += "\r\n";
}

}  // namespace

std::string TCGIResponse::FHeaderBlock() const {
  std::string vStatus;
  if (!ReasonString().empty() && StatusCode() > 0) {
    vStatus = std::to_string(StatusCode()) + " " + ReasonString();
  } else {
    vStatus = "200 OK";
  }
  std::string vBlock = "Status: " + FHeaderValue(vStatus) + "\r\n";
  PAddLine(vBlock, "Location", Location);
  PAddLine(vBlock, "Allow", Allow);
  for (const std::string& vCookie : Cookies) PAddLine(vBlock, "Set-Cookie", vCookie);
  PAddLine(vBlock, "Derived-From", DerivedFrom);
  if (Expires > 0) PAddLine(vBlock, "Expires", FHttpDate(Expires));
  if (LastModified > 0) PAddLine(vBlock, "Last-Modified", FHttpDate(LastModified));
  PAddLine(vBlock, "Title", Title);
  PAddLine(vBlock, "WWW-Authenticate", Realm.empty() ? WWWAuthenticate : WWWAuthenticate + " Realm=" + Realm);
  for (const auto& [vName, vValue] : CustomHeaders) {
    // An empty value still gets its line; the name is cleaned like a value.
    vBlock += FHeaderValue(vName) + ": " + FHeaderValue(vValue) + "\r\n";
  }
  PAddLine(vBlock, "Content-Version", ContentVersion);
  PAddLine(vBlock, "Content-Encoding", ContentEncoding);
  PAddLine(vBlock, "Content-Type", ContentType());
  if (!Content().empty() || ContentStream() != nullptr) {
    PAddLine(vBlock, "Content-Length", std::to_string(ContentLength()));
  }
  vBlock += "Content:\r\n\r\n";
  return vBlock;
}

void TCGIResponse::SendResponse() {
  // Once the server has the whole answer it stops the process; what comes
  // after the answer (trace lines, the detach) must still run.
  vEnv.PHoldTermination();
  // A client that went away cannot be told anything; write failures end
  // the answer silently.
  if (!vRequest.ProtocolVersion().empty()) (void)vEnv.FWriteStdout(FHeaderBlock());
  std::unique_ptr<std::istream> vStream = FTakeContentStream();
  if (!vStream) {
    if (!Content().empty()) (void)vEnv.FWriteStdout(Content());
  } else {
    std::array<char, cStreamBlock> vBuffer;
    while (*vStream) {
      vStream->read(vBuffer.data(), vBuffer.size());
      const std::streamsize vCount = vStream->gcount();
      if (vCount <= 0) break;
      if (!vEnv.FWriteStdout(std::string_view(vBuffer.data(), static_cast<std::size_t>(vCount)))) break;
    }
  }
  PMarkSent();
}

}  // namespace host
