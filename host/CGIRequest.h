// The request of a CGI process: every field comes from the environment the
// web server started the process with, the content from standard input.
//
// Lookup rule for a field or header name: the variable of that name, and
// when it is absent or empty the name with its "HTTP_" prefix toggled
// (removed when present, added otherwise). Names match without regard to
// case. ContentType and ContentLength are asked for under the server's own
// CONTENT_TYPE / CONTENT_LENGTH first, so that a client header can never
// make the process read more than the server handed it. HTTP_PROXY is never
// read: a client "Proxy:" header must not turn into anything of ours.
//
// Creating the request reads the content: ContentLength <= 0 reads nothing;
// more than cMaxContentLength is refused with EWebRequestError before a
// byte is read; otherwise standard input is read until that many bytes
// arrived or it ends, and what arrived is the content.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/WebRequest.h"

namespace port {
class IEnv;
}

namespace host {

class TCGIRequest : public TWebRequest {
 public:
  // A real request is a few KiB; anything above 1 MiB is not one of ours.
  static constexpr std::int64_t cMaxContentLength = 1048576;

  // REQUIRES: pEnv outlives nothing here; it is used during construction only.
  explicit TCGIRequest(port::IEnv& pEnv);

  [[nodiscard]] std::string FGetFieldByName(std::string_view pName) const override;

 private:
  [[nodiscard]] std::string FVariable(std::string_view pName) const;
  void PReadContent(port::IEnv& pEnv);

  std::vector<std::pair<std::string, std::string>> vEnvironment;
  // A key of each variable's name, the same for names that differ only in
  // case: a lookup compares names only where the keys agree.
  std::vector<std::uint64_t> vNameKeys;
};

}  // namespace host
