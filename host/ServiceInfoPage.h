// The service's HTML pages and the pieces the publisher's pages share: the
// base URL of a request, the port type list, the query fields, the style
// sheet with the three page heads and the banner, the service information
// page with its port types section and Registered types table, and the
// WS-Inspection document.
//
// Everything here reads the SOAP layer's registries and the request and
// returns text; nothing writes to the response. Text taken from the request
// (host, script name, path) is HTML-escaped where it goes into a page.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "soap/InvokeRegistry.h"

namespace host {

class TWebRequest;

// "http://" Host [":" ServerPort] ScriptName; the port is written when it
// is given and not 80, and only when Host does not already carry one.
[[nodiscard]] std::string FBaseUrl(const TWebRequest& pRequest);

// The interfaces with an implementing class, in registration order, with
// IWSDLPublish always last.
[[nodiscard]] std::vector<const soap::TIntfEntry*> FPortTypeList();

// The XML type name the pages show for a type's own name: "????" when the
// type is not registered.
[[nodiscard]] std::string FXmlTypeNameForPage(const std::string& pTypeName);

// The query text split at "&", each piece decoded ("+" a blank, "%XX" that
// byte, "%%" a "%") and taken as name=value. A bad escape stops the split:
// vFields holds the fields before the faulty one and vError says why.
struct TQueryFields {
  std::vector<std::pair<std::string, std::string>> vFields;
  std::string vError;

  // The value of the first field named pName without regard to case.
  [[nodiscard]] std::string FValue(std::string_view pName) const;
};
[[nodiscard]] TQueryFields FDecodeQueryFields(std::string_view pQuery);

enum class TPageHead { InfoPage, Listing, PublisherError };
// Opening, style sheet and closing of a page.
[[nodiscard]] std::string FPageHead(TPageHead pHead, const std::string& pServiceName);
// The banner table under the head: service name and page name.
[[nodiscard]] std::string FBanner(const std::string& pServiceName, const std::string& pPageName);

// The port types section: pSelected names the interface shown alone (it
// must equal an entry's name exactly), or is none of them for the list.
[[nodiscard]] std::string FPortTypesSection(const std::string& pServiceName, const std::string& pBaseUrl,
                                            const std::string& pSelected);
// The Registered types table; empty when no type is registered.
[[nodiscard]] std::string FRegisteredTypesTable();
// The WS-Inspection document (UTF-8).
[[nodiscard]] std::string FInspectionDocument(const std::string& pBaseUrl);

// The service information page for pRequest: head, banner, port types
// section ("intf"), the types table when "types" is exactly "1", and the
// closing tags. An error in the types part leaves that part empty; any
// other error is raised.
[[nodiscard]] std::string FServiceInfoPage(const std::string& pServiceName, const TWebRequest& pRequest);

}  // namespace host
