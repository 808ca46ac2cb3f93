// The multipart/related binding of a request (SOAP with attachments): the
// first part is the envelope, every further part is an attachment that no
// operation here uses. Attachments are written to files of their own in a
// private directory (mode 0700) made for the one call; TMimeRequest removes
// files and directory when it is destroyed, on every path.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace port {
class IEnv;
}

namespace soap {

class TAttachmentStore {
 public:
  // Makes the private directory through pEnv (which must outlive the
  // store); throws ESOAPDomConvertError.
  explicit TAttachmentStore(port::IEnv& pEnv);
  ~TAttachmentStore();
  TAttachmentStore(const TAttachmentStore&) = delete;
  TAttachmentStore& operator=(const TAttachmentStore&) = delete;

  // Writes one attachment to a new private file; returns its path.
  std::string FAdd(std::string_view pContent);
  [[nodiscard]] const std::string& FDirectory() const noexcept { return vDirectory; }
  [[nodiscard]] const std::vector<std::string>& FFiles() const noexcept { return vFiles; }

 private:
  port::IEnv& vEnv;
  std::string vDirectory;
  std::vector<std::string> vFiles;
};

struct TMimeRequest {
  explicit TMimeRequest(port::IEnv& pEnv) : vAttachments(pEnv) {}
  std::string vEnvelope;
  TAttachmentStore vAttachments;
};

// The boundary parameter of a multipart content type; empty when none.
[[nodiscard]] std::string FMimeBoundary(std::string_view pContentType);

// Splits a multipart request. Throws ESOAPDomConvertError when the content
// type names no boundary or the content holds no part.
void PReadMultipart(std::string_view pContentType, std::string_view pContent, TMimeRequest& pRequest);

}  // namespace soap
