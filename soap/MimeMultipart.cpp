#include "soap/MimeMultipart.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "port/Env.h"
#include "port/Text.h"
#include "soap/SoapException.h"

namespace soap {

namespace {

// Enough for any request of this service; bounds the files one request can make.
constexpr std::size_t cMaxAttachments = 256;

// Position just after the line break that ends the line holding pPos.
std::size_t FNextLine(std::string_view pText, std::size_t pPos) {
  const std::size_t vEnd = pText.find('\n', pPos);
  return vEnd == std::string_view::npos ? pText.size() : vEnd + 1;
}

}  // namespace

TAttachmentStore::TAttachmentStore(port::IEnv& pEnv) : vEnv(pEnv) {
  vDirectory = vEnv.FMakePrivateDirectory("velmora-mime-");
  if (vDirectory.empty()) throw ESOAPDomConvertError("Cannot create a directory for the attachments of the request");
}

TAttachmentStore::~TAttachmentStore() {
  for (const auto& vFile : vFiles) vEnv.PRemove(vFile);
  vEnv.PRemove(vDirectory);
}

std::string TAttachmentStore::FAdd(std::string_view pContent) {
  std::string vPath = vEnv.FWriteNewFile(vDirectory, "part-", pContent);
  if (vPath.empty()) throw ESOAPDomConvertError("Cannot store an attachment of the request");
  vFiles.push_back(vPath);
  return vPath;
}

std::string FMimeBoundary(std::string_view pContentType) {
  // The parameters as MIME writes them: "; name=value", the value a token or
  // a quoted string in which a backslash takes the next character as it is.
  // Only a parameter's own name counts: a ";" or "boundary=" inside another
  // parameter's quoted value (a type="..." naming its own charset, say) is
  // part of that value. The first boundary parameter decides.
  std::size_t i = pContentType.find(';');
  while (i < pContentType.size()) {
    ++i;  // past the ";"
    const std::size_t vEq = pContentType.find_first_of("=;", i);
    if (vEq == std::string_view::npos) break;
    const std::string_view vName = port::FTrim(pContentType.substr(i, vEq - i));
    i = vEq;
    if (pContentType[i] == ';') continue;  // a parameter without "="
    ++i;
    while (i < pContentType.size() && static_cast<unsigned char>(pContentType[i]) <= ' ') ++i;
    std::string vValue;
    bool vClosed = true;
    if (i < pContentType.size() && pContentType[i] == '"') {
      vClosed = false;
      for (++i; i < pContentType.size(); ++i) {
        if (pContentType[i] == '\\' && i + 1 < pContentType.size()) {
          vValue += pContentType[++i];
        } else if (pContentType[i] == '"') {
          vClosed = true;
          ++i;
          break;
        } else {
          vValue += pContentType[i];
        }
      }
      i = std::min(pContentType.find(';', i), pContentType.size());
    } else {
      const std::size_t vEnd = std::min(pContentType.find(';', i), pContentType.size());
      vValue = port::FTrim(pContentType.substr(i, vEnd - i));
      i = vEnd;
    }
    if (port::FSameTextNoCase(vName, "boundary")) return vClosed ? vValue : std::string();
  }
  return {};
}

void PReadMultipart(std::string_view pContentType, std::string_view pContent, TMimeRequest& pRequest) {
  const std::string vBoundary = FMimeBoundary(pContentType);
  if (vBoundary.empty()) throw ESOAPDomConvertError("Multipart request without boundary");
  const std::string vDelimiter = "--" + vBoundary;

  // The first delimiter may open the content or follow a preamble.
  std::size_t vPos = pContent.substr(0, vDelimiter.size()) == vDelimiter ? 0 : pContent.find("\n" + vDelimiter);
  if (vPos == std::string_view::npos) throw ESOAPDomConvertError("Multipart request holds no part");
  if (pContent[vPos] == '\n') ++vPos;

  bool vFirst = true;
  std::size_t vParts = 0;
  while (true) {
    vPos += vDelimiter.size();
    if (pContent.substr(vPos, 2) == "--") break;  // closing delimiter
    vPos = FNextLine(pContent, vPos);
    // Part headers end with an empty line; none is used.
    while (vPos < pContent.size()) {
      const std::size_t vLineEnd = FNextLine(pContent, vPos);
      const bool vEmpty = port::FTrim(pContent.substr(vPos, vLineEnd - vPos)).empty();
      vPos = vLineEnd;
      if (vEmpty) break;
    }
    std::size_t vEnd = pContent.find("\n" + vDelimiter, vPos);
    const bool vLast = vEnd == std::string_view::npos;
    std::size_t vBodyEnd = vLast ? pContent.size() : vEnd;
    if (!vLast && vBodyEnd > vPos && pContent[vBodyEnd - 1] == '\r') --vBodyEnd;
    const std::string_view vBody = pContent.substr(vPos, vBodyEnd > vPos ? vBodyEnd - vPos : 0);
    if (vFirst) {
      pRequest.vEnvelope = std::string(vBody);
      vFirst = false;
    } else {
      if (++vParts > cMaxAttachments) throw ESOAPDomConvertError("Multipart request holds too many parts");
      (void)pRequest.vAttachments.FAdd(vBody);
    }
    if (vLast) break;
    vPos = vEnd + 1;
  }
  if (vFirst) throw ESOAPDomConvertError("Multipart request holds no part");
}

}  // namespace soap
