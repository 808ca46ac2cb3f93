#include "host/CGIRequest.h"

#include <algorithm>
#include <limits>

#include "port/Env.h"
#include "port/Text.h"

namespace host {

namespace {

constexpr std::string_view cHttpPrefix = "HTTP_";

std::string FToggleHttpPrefix(std::string_view pName) {
  if (pName.size() >= cHttpPrefix.size() && port::FSameTextNoCase(pName.substr(0, cHttpPrefix.size()), cHttpPrefix)) {
    return std::string(pName.substr(cHttpPrefix.size()));
  }
  return std::string(cHttpPrefix) + std::string(pName);
}

// FNV-1a over the name with ASCII letters folded to upper case.
std::uint64_t FNameKey(std::string_view pName) {
  std::uint64_t vKey = 14695981039346656037ULL;
  for (char c : pName) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    vKey = (vKey ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
  }
  return vKey;
}

}  // namespace

TCGIRequest::TCGIRequest(port::IEnv& pEnv) : vEnvironment(pEnv.FEnvironment()) {
  vNameKeys.reserve(vEnvironment.size());
  for (const auto& vEntry : vEnvironment) vNameKeys.push_back(FNameKey(vEntry.first));
  vMethod = FGetFieldByName("REQUEST_METHOD");
  vProtocolVersion = FGetFieldByName("SERVER_PROTOCOL");
  vURL = FGetFieldByName("URL");
  vQuery = FGetFieldByName("QUERY_STRING");
  vPathInfo = FGetFieldByName("PATH_INFO");
  vPathTranslated = FGetFieldByName("PATH_TRANSLATED");
  vCacheControl = FGetFieldByName("HTTP_CACHE_CONTROL");
  vDate = FGetFieldByName("HTTP_DATE");
  vAccept = FGetFieldByName("HTTP_ACCEPT");
  vFrom = FGetFieldByName("HTTP_FROM");
  vHost = FGetFieldByName("HTTP_HOST");
  vIfModifiedSince = FGetFieldByName("HTTP_IF_MODIFIED_SINCE");
  vReferer = FGetFieldByName("HTTP_REFERER");
  vUserAgent = FGetFieldByName("HTTP_USER_AGENT");
  vContentEncoding = FGetFieldByName("HTTP_CONTENT_ENCODING");
  // The content's two fields are asked for under the server's own names,
  // so the lookup tries CONTENT_TYPE before HTTP_CONTENT_TYPE, the other
  // way round from the other header fields. This is deliberate and kept:
  // the server describes the content it hands over on standard input, and
  // a client header (which a server passes on as HTTP_CONTENT_TYPE or
  // HTTP_CONTENT_LENGTH, if at all) never decides how the content is read,
  // neither its length nor whether it is taken as multipart.
  vContentType = FGetFieldByName("CONTENT_TYPE");
  vContentLength = FIntegerField(FGetFieldByName("CONTENT_LENGTH"));
  vContentVersion = FGetFieldByName("HTTP_CONTENT_VERSION");
  vDerivedFrom = FGetFieldByName("HTTP_DERIVED_FROM");
  vExpires = FGetFieldByName("HTTP_EXPIRES");
  vTitle = FGetFieldByName("HTTP_TITLE");
  vRemoteAddr = FGetFieldByName("REMOTE_ADDR");
  vRemoteHost = FGetFieldByName("REMOTE_HOST");
  vScriptName = FGetFieldByName("SCRIPT_NAME");
  std::int64_t vPort = FIntegerField(FGetFieldByName("SERVER_PORT"));
  vServerPort = (vPort < std::numeric_limits<int>::min() || vPort > std::numeric_limits<int>::max())
                    ? -1
                    : static_cast<int>(vPort);
  vConnection = FGetFieldByName("HTTP_CONNECTION");
  vCookie = FGetFieldByName("HTTP_COOKIE");
  vAuthorization = FGetFieldByName("HTTP_AUTHORIZATION");
  vMethodType = FMethodTypeOf(vMethod);
  PReadContent(pEnv);
}

std::string TCGIRequest::FVariable(std::string_view pName) const {
  if (port::FSameTextNoCase(pName, "HTTP_PROXY")) return {};
  // An exact match wins over one that differs only in case.
  const std::pair<std::string, std::string>* vFound = nullptr;
  const std::uint64_t vKey = FNameKey(pName);
  for (std::size_t i = 0; i < vEnvironment.size(); ++i) {
    if (vNameKeys[i] != vKey) continue;
    const auto& vEntry = vEnvironment[i];
    if (vEntry.first == pName) return vEntry.second;
    if (vFound == nullptr && port::FSameTextNoCase(vEntry.first, pName)) vFound = &vEntry;
  }
  return vFound != nullptr ? vFound->second : std::string();
}

std::string TCGIRequest::FGetFieldByName(std::string_view pName) const {
  std::string vValue = FVariable(pName);
  if (vValue.empty()) vValue = FVariable(FToggleHttpPrefix(pName));
  return vValue;
}

void TCGIRequest::PReadContent(port::IEnv& pEnv) {
  const std::int64_t vLength = vContentLength;
  if (vLength <= 0) return;
  if (vLength > cMaxContentLength) {
    throw EWebRequestError("Request content of " + std::to_string(vLength) + " bytes refused: the limit is " +
                           std::to_string(cMaxContentLength) + " bytes");
  }
  vContent.resize(static_cast<std::size_t>(vLength));
  std::size_t vArrived = 0;
  while (vArrived < vContent.size()) {
    std::size_t vRead = pEnv.FReadStdin(vContent.data() + vArrived, vContent.size() - vArrived);
    if (vRead == 0) break;  // end of input or a failed read: keep what arrived
    vArrived += vRead;
  }
  vContent.resize(vArrived);
}

}  // namespace host
