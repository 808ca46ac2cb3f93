// Test support: the small text helpers tests share. Whether a text is
// well-formed XML, the trace log of an installation read whole, a log's
// lines as "[sender] message", and the configuration file of a service.
#pragma once

#include <libxml/parser.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace testsupport {

// Parsed by libxml2 without a network, errors silent.
[[nodiscard]] inline bool FWellFormedXml(const std::string& pText) {
  xmlDocPtr vDoc = xmlReadMemory(pText.data(), static_cast<int>(pText.size()), nullptr, nullptr,
                                 XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  const bool vOk = vDoc != nullptr;
  xmlFreeDoc(vDoc);
  return vOk;
}

// Every file of pDirectory/log, one after the other ("" without the directory).
[[nodiscard]] inline std::string FLogDirText(const std::string& pDirectory) {
  std::string vLog;
  const std::filesystem::path vLogDir = pDirectory + "/log";
  if (!std::filesystem::exists(vLogDir)) return vLog;
  for (const auto& vEntry : std::filesystem::directory_iterator(vLogDir)) {
    std::ifstream vIn(vEntry.path(), std::ios::binary);
    std::ostringstream vText;
    vText << vIn.rdbuf();
    vLog += vText.str();
  }
  return vLog;
}

// The lines of a trace log as "[sender] message" (the sender's column
// trimmed; "ERRO [sender] message" for ERRO lines when pMarkErrors), without
// the log's own banners and without the indented lines of a stack listing.
[[nodiscard]] inline std::vector<std::string> FSenderLines(const std::string& pText, bool pMarkErrors) {
  std::vector<std::string> vLines;
  std::size_t vStart = 0;
  for (std::size_t vEnd; (vEnd = pText.find("\r\n", vStart)) != std::string::npos; vStart = vEnd + 2) {
    const std::string vLine = pText.substr(vStart, vEnd - vStart);
    if (vLine.empty() || vLine[0] == ' ') continue;
    const std::size_t vOpen = vLine.find(" : [");
    if (vOpen == std::string::npos || vOpen < 6) continue;
    const std::string vLevel = vLine.substr(vOpen - 6, 6);
    std::string vSender = vLine.substr(vOpen + 4, vLine.find(']', vOpen) - vOpen - 4);
    vSender.erase(vSender.find_last_not_of(' ') + 1);
    if (vSender == "TLog") continue;
    const std::string vMessage = vLine.substr(vLine.find("] ", vOpen) + 2);
    vLines.push_back((pMarkErrors && vLevel == "ERRO  " ? "ERRO [" : "[") + vSender + "] " + vMessage);
  }
  return vLines;
}

// The text of a caminhoBDQuindar.ini for pDatabase (an empty password
// leaves the key out).
[[nodiscard]] inline std::string FIniText(const std::string& pDatabase, const std::string& pUser = "SYSDBA",
                                          const std::string& pPassword = "masterkey") {
  std::string vText = "[DATABASE]\r\nCAMINHO=" + pDatabase + "\r\nUSUARIO=" + pUser + "\r\n";
  if (!pPassword.empty()) vText += "SENHA=" + pPassword + "\r\n";
  return vText;
}

}  // namespace testsupport
