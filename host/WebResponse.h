// The response of one request cycle: status, header fields and content, as
// handlers set them. A concrete response (TCGIResponse) knows how to send
// it; TWebResponse only keeps the values and their rules:
//   - setting StatusCode to a new value sets ReasonString to its phrase
//     (empty for a code without one);
//   - setting Content while no ContentStream is set sets ContentLength to
//     its byte length;
//   - setting ContentStream frees the stream set before, owns the new one
//     and sets ContentLength to its size (to Content's length for none).
#pragma once

#include <cstdint>
#include <istream>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace host {

// The phrase of a status code, or empty for a code not in the table.
[[nodiscard]] std::string_view FStatusPhrase(int pStatusCode);

class TWebResponse {
 public:
  virtual ~TWebResponse() = default;
  TWebResponse(const TWebResponse&) = delete;
  TWebResponse& operator=(const TWebResponse&) = delete;

  [[nodiscard]] int StatusCode() const noexcept { return vStatusCode; }
  void SetStatusCode(int pValue);
  [[nodiscard]] const std::string& ReasonString() const noexcept { return vReasonString; }
  void SetReasonString(std::string pValue) { vReasonString = std::move(pValue); }

  [[nodiscard]] const std::string& ContentType() const noexcept { return vContentType; }
  void SetContentType(std::string pValue) { vContentType = std::move(pValue); }
  [[nodiscard]] const std::string& Content() const noexcept { return vContent; }
  void SetContent(std::string pValue);
  [[nodiscard]] std::istream* ContentStream() const noexcept { return vContentStream.get(); }
  void SetContentStream(std::unique_ptr<std::istream> pValue);
  [[nodiscard]] std::int64_t ContentLength() const noexcept { return vContentLength; }
  void SetContentLength(std::int64_t pValue) { vContentLength = pValue; }

  // Plain header texts; empty means "no such line".
  std::string Location, Allow, DerivedFrom, Title, WWWAuthenticate, Realm, ContentVersion, ContentEncoding;
  // Days since 30/12/1899 (fraction = time of day, UTC); <= 0 means not set.
  double Date = -1, Expires = -1, LastModified = -1;
  std::vector<std::string> Cookies;  // each a whole Set-Cookie value
  std::vector<std::pair<std::string, std::string>> CustomHeaders;

  [[nodiscard]] bool Sent() const noexcept { return vSent; }
  virtual void SendResponse() = 0;

 protected:
  TWebResponse() = default;
  // Hands the stream over to the sender; ContentStream is none afterwards.
  [[nodiscard]] std::unique_ptr<std::istream> FTakeContentStream() noexcept { return std::move(vContentStream); }
  void PMarkSent() noexcept { vSent = true; }

 private:
  int vStatusCode = 200;
  std::string vReasonString = "OK";
  std::string vContentType = "text/html";
  std::string vContent;
  std::unique_ptr<std::istream> vContentStream;
  std::int64_t vContentLength = 0;
  bool vSent = false;
};

// "Sun, 06 Nov 1994 08:49:37 GMT" for a date in days since 30/12/1899.
[[nodiscard]] std::string FHttpDate(double pDate);

}  // namespace host
