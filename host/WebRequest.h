// The request of one request cycle as the web module sees it: the request
// fields, the method type derived from the method text, and the content.
// TWebRequest only holds and answers; a concrete request (TCGIRequest) fills
// the fields when it is created and answers other header fields by name.
// Nothing in it changes after creation.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "port/Exception.h"

namespace host {

enum class TMethodType { mtAny, mtGet, mtPut, mtPost, mtHead };

// "GET", "PUT", "POST", "HEAD" without regard to case; anything else mtAny.
[[nodiscard]] TMethodType FMethodTypeOf(std::string_view pMethod);

// The decimal value of the whole text (an optional sign, then digits), or
// -1 when the text is empty, not an integer or out of range.
[[nodiscard]] std::int64_t FIntegerField(std::string_view pText);

// A request that cannot be taken as it came (refused before dispatch).
class EWebRequestError : public port::Exception {
 public:
  using port::Exception::Exception;
  [[nodiscard]] const char* FClassName() const noexcept override { return "EWebRequestError"; }
};

class TWebRequest {
 public:
  virtual ~TWebRequest() = default;
  TWebRequest(const TWebRequest&) = delete;
  TWebRequest& operator=(const TWebRequest&) = delete;

  [[nodiscard]] const std::string& Method() const noexcept { return vMethod; }
  [[nodiscard]] const std::string& ProtocolVersion() const noexcept { return vProtocolVersion; }
  [[nodiscard]] const std::string& URL() const noexcept { return vURL; }
  [[nodiscard]] const std::string& Query() const noexcept { return vQuery; }
  [[nodiscard]] const std::string& PathInfo() const noexcept { return vPathInfo; }
  [[nodiscard]] const std::string& PathTranslated() const noexcept { return vPathTranslated; }
  [[nodiscard]] const std::string& CacheControl() const noexcept { return vCacheControl; }
  [[nodiscard]] const std::string& Date() const noexcept { return vDate; }
  [[nodiscard]] const std::string& Accept() const noexcept { return vAccept; }
  [[nodiscard]] const std::string& From() const noexcept { return vFrom; }
  [[nodiscard]] const std::string& Host() const noexcept { return vHost; }
  [[nodiscard]] const std::string& IfModifiedSince() const noexcept { return vIfModifiedSince; }
  [[nodiscard]] const std::string& Referer() const noexcept { return vReferer; }
  [[nodiscard]] const std::string& UserAgent() const noexcept { return vUserAgent; }
  [[nodiscard]] const std::string& ContentEncoding() const noexcept { return vContentEncoding; }
  [[nodiscard]] const std::string& ContentType() const noexcept { return vContentType; }
  [[nodiscard]] std::int64_t ContentLength() const noexcept { return vContentLength; }
  [[nodiscard]] const std::string& ContentVersion() const noexcept { return vContentVersion; }
  [[nodiscard]] const std::string& DerivedFrom() const noexcept { return vDerivedFrom; }
  [[nodiscard]] const std::string& Expires() const noexcept { return vExpires; }
  [[nodiscard]] const std::string& Title() const noexcept { return vTitle; }
  [[nodiscard]] const std::string& RemoteAddr() const noexcept { return vRemoteAddr; }
  [[nodiscard]] const std::string& RemoteHost() const noexcept { return vRemoteHost; }
  [[nodiscard]] const std::string& ScriptName() const noexcept { return vScriptName; }
  [[nodiscard]] int ServerPort() const noexcept { return vServerPort; }
  [[nodiscard]] const std::string& Connection() const noexcept { return vConnection; }
  [[nodiscard]] const std::string& Cookie() const noexcept { return vCookie; }
  [[nodiscard]] const std::string& Authorization() const noexcept { return vAuthorization; }
  [[nodiscard]] const std::string& Content() const noexcept { return vContent; }
  [[nodiscard]] TMethodType MethodType() const noexcept { return vMethodType; }

  // Any header field by name, through the same rule as the fields above
  // ("SOAPAction" is answered from HTTP_SOAPACTION).
  [[nodiscard]] virtual std::string FGetFieldByName(std::string_view pName) const = 0;

 protected:
  TWebRequest() = default;

  std::string vMethod, vProtocolVersion, vURL, vQuery, vPathInfo, vPathTranslated;
  std::string vCacheControl, vDate, vAccept, vFrom, vHost, vIfModifiedSince, vReferer, vUserAgent;
  std::string vContentEncoding, vContentType, vContentVersion, vDerivedFrom, vExpires, vTitle;
  std::string vRemoteAddr, vRemoteHost, vScriptName, vConnection, vCookie, vAuthorization;
  std::int64_t vContentLength = -1;
  int vServerPort = -1;
  std::string vContent;
  TMethodType vMethodType = TMethodType::mtAny;
};

}  // namespace host
