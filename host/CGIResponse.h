// The response of a CGI process, written to standard output. When the
// request carries a protocol version, one write sends the header block
// ("Status: ..." first, the "Content:" line and the empty line last), then
// the body follows: Content as it stands, or the ContentStream from its
// current position to its end in 8192-byte blocks. The method is not
// looked at: a HEAD request gets its body too. Every value placed into a
// header line has CR, LF and NUL turned into blanks.
//
// REQUIRES: the request and the environment outlive the response.
#pragma once

#include <string>

#include "host/WebResponse.h"

namespace port {
class IEnv;
}

namespace host {

class TWebRequest;

class TCGIResponse : public TWebResponse {
 public:
  TCGIResponse(const TWebRequest& pRequest, port::IEnv& pEnv) : vRequest(pRequest), vEnv(pEnv) {}

  // "Status: <status text>\r\n" followed by the header lines and
  // "Content:\r\n\r\n", exactly as SendResponse writes it.
  [[nodiscard]] std::string FHeaderBlock() const;
  void SendResponse() override;

 private:
  const TWebRequest& vRequest;
  port::IEnv& vEnv;
};

}  // namespace host
