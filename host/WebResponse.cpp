#include "host/WebResponse.h"

#include <cmath>
#include <cstdio>

namespace host {

std::string_view FStatusPhrase(int pStatusCode) {
  switch (pStatusCode) {
    case 100: return "Continue";
    case 101: return "Switching Protocols";
    case 200: return "OK";
    case 201: return "Created";
    case 202: return "Accepted";
    case 203: return "Non-Authoritative Information";
    case 204: return "No Content";
    case 205: return "Reset Content";
    case 206: return "Partial Content";
    case 300: return "Multiple Choices";
    case 301: return "Moved Permanently";
    case 302: return "Moved Temporarily";
    case 303: return "See Other";
    case 304: return "Not Modified";
    case 305: return "Use Proxy";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 402: return "Payment Required";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 406: return "None Acceptable";
    case 407: return "Proxy Authentication Required";
    case 408: return "Request Timeout";
    case 409: return "Conflict";
    case 410: return "Gone";
    case 411: return "Length Required";
    case 412: return "Unless True";
    case 500: return "Internal Server Error";
    case 501: return "Not Implemented";
    case 502: return "Bad Gateway";
    case 503: return "Service Unavailable";
    case 504: return "Gateway Timeout";
    default: return {};
  }
}

void TWebResponse::SetStatusCode(int pValue) {
  if (pValue == vStatusCode) return;
  vStatusCode = pValue;
  vReasonString = std::string(FStatusPhrase(pValue));
}

void TWebResponse::SetContent(std::string pValue) {
  vContent = std::move(pValue);
  if (!vContentStream) vContentLength = static_cast<std::int64_t>(vContent.size());
}

void TWebResponse::SetContentStream(std::unique_ptr<std::istream> pValue) {
  vContentStream = std::move(pValue);
  if (!vContentStream) {
    vContentLength = static_cast<std::int64_t>(vContent.size());
    return;
  }
  std::istream& vStream = *vContentStream;
  const std::streampos vStart = vStream.tellg();
  vStream.seekg(0, std::ios::end);
  const std::streampos vEnd = vStream.tellg();
  vStream.seekg(vStart);
  vContentLength = (vStart < 0 || vEnd < 0) ? 0 : static_cast<std::int64_t>(vEnd);
}

std::string FHttpDate(double pDate) {
  static constexpr const char* cDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* cMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const double vDayPart = std::floor(pDate);
  long long vSeconds = std::llround((pDate - vDayPart) * 86400.0);
  long long vDays = static_cast<long long>(vDayPart);
  if (vSeconds >= 86400) {
    vSeconds -= 86400;
    ++vDays;
  }
  // Civil date from days since 1970-01-01 (30/12/1899 is 25569 days before).
  const long long z = vDays - 25569 + 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  const long long vDay = doy - (153 * mp + 2) / 5 + 1;
  const long long vMonth = mp < 10 ? mp + 3 : mp - 9;
  const long long vYear = yoe + era * 400 + (vMonth <= 2 ? 1 : 0);
  // 30/12/1899 was a Saturday.
  const long long vWeekDay = ((vDays % 7) + 7 + 6) % 7;
  char vBuffer[128];
  std::snprintf(vBuffer, sizeof vBuffer, "%s, %02lld %s %04lld %02lld:%02lld:%02lld GMT", cDays[vWeekDay], vDay,
                cMonths[vMonth - 1], vYear, vSeconds / 3600, (vSeconds / 60) % 60, vSeconds % 60);
  return vBuffer;
}

}  // namespace host
