// Splitting a multipart/related request: the content type is the input up
// to its first NUL, the content the rest. Every attachment file and the
// private directory must be gone once the request object is.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "port/Env.h"
#include "soap/MimeMultipart.h"
#include "soap/SoapException.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t pSize) {
  const auto vFields = fuzz::FSplitFields(pData, pSize, 2);
  (void)soap::FMimeBoundary(vFields[0]);
  std::string vDirectory;
  std::vector<std::string> vFiles;
  try {
    soap::TMimeRequest vRequest(port::FDefaultEnv());
    vDirectory = vRequest.vAttachments.FDirectory();
    try {
      soap::PReadMultipart(vFields[0], vFields[1], vRequest);
      if (vRequest.vEnvelope.size() > vFields[1].size()) fuzz::PFail("the envelope is part of the content", vRequest.vEnvelope);
    } catch (const soap::ESOAPDomConvertError&) {
      // A refused request; the files made so far must still go.
    }
    vFiles = vRequest.vAttachments.FFiles();
  } catch (const soap::ESOAPDomConvertError&) {
    return 0;  // no private directory could be made
  }
  struct stat vStat;
  for (const auto& vFile : vFiles) {
    if (::stat(vFile.c_str(), &vStat) == 0) fuzz::PFail("attachment files are removed", vFile);
  }
  if (!vDirectory.empty() && ::stat(vDirectory.c_str(), &vStat) == 0) fuzz::PFail("the private directory is removed", vDirectory);
  return 0;
}
