// The CGI request cycle over an in-memory environment: the input up to its
// first NUL is the environment, one NAME=VALUE per line; the rest is
// standard input. The web module runs with a plain database module.
//
// Rules checked on every answer with a header block: it starts with
// "Status: ", its header lines are "Name: value" lines ending in CR LF with
// no other CR, LF or NUL in them, and it ends with the "Content:" line and
// the empty line (or, for the fixed server error answer, the empty line);
// Content-Length, when written, is the length of the body.
#include <charconv>
#include <string>

#include "app/VelmoraProcess.h"
#include "fuzz/FuzzSupport.h"
#include "host/CGIRequest.h"
#include "port/MemEnv.h"

namespace {

void PCheckHeaderBlock(const std::string& pOut) {
  if (pOut.rfind("Status: ", 0) != 0) fuzz::PFail("a header block starts with Status:", pOut);
  std::size_t vPos = 0;
  long long vContentLength = -1;
  while (true) {
    const std::size_t vEnd = pOut.find("\r\n", vPos);
    if (vEnd == std::string::npos) fuzz::PFail("the header block ends", pOut);
    const std::string_view vLine(pOut.data() + vPos, vEnd - vPos);
    vPos = vEnd + 2;
    if (vLine.empty()) break;
    if (vLine.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
      fuzz::PFail("no CR, LF or NUL inside a header line", pOut);
    const std::size_t vColon = vLine.find(':');
    if (vColon == std::string_view::npos || vColon == 0) fuzz::PFail("a header line is Name: value", pOut);
    if (vLine.substr(0, vColon) == "Content-Length") {
      const std::string_view vValue = vLine.substr(vColon + 2);
      long long vNumber = -1;
      std::from_chars(vValue.data(), vValue.data() + vValue.size(), vNumber);
      vContentLength = vNumber;
    }
  }
  if (vContentLength >= 0 && static_cast<std::size_t>(vContentLength) != pOut.size() - vPos)
    fuzz::PFail("Content-Length is the body's length", pOut);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t pSize) {
  const auto vFields = fuzz::FSplitFields(pData, pSize, 2);
  port::TMemEnv vEnv;
  vEnv.vExePath = "/opt/velmora/velmora.cgi";
  vEnv.vSymbolize = false;  // every failed data operation lists its stack
  std::string_view vLines = vFields[0];
  while (!vLines.empty()) {
    const std::size_t vEnd = vLines.find('\n');
    const std::string_view vLine = vLines.substr(0, vEnd);
    vLines = vEnd == std::string_view::npos ? std::string_view() : vLines.substr(vEnd + 1);
    const std::size_t vEq = vLine.find('=');
    if (vEq == std::string_view::npos) continue;
    vEnv.vEnvironment.emplace_back(std::string(vLine.substr(0, vEq)), std::string(vLine.substr(vEq + 1)));
  }
  vEnv.vStdin = std::string(vFields[1]);

  // Whether the answer must carry a header block, by the request's own
  // lookup rule (read from a copy without standard input).
  port::TMemEnv vLookup;
  vLookup.vEnvironment = vEnv.vEnvironment;
  bool vHasProtocol = false;
  try {
    vHasProtocol = !host::TCGIRequest(vLookup).ProtocolVersion().empty();
  } catch (const std::exception&) {
    // A refused content length: the fixed server error answer follows.
  }
  // The whole process in memory: start-up, the request cycle, shutdown.
  // No configuration file, so no request ever reaches a database.
  if (app::FRunProcess(vEnv) != 0) fuzz::PFail("the process ends with 0", vEnv.vStderr);
  // Only a request with a protocol gets a header block; the fixed server
  // error answer always has one.
  if (vEnv.vStdout.rfind("Status: ", 0) == 0 || vHasProtocol) PCheckHeaderBlock(vEnv.vStdout);
  return 0;
}
