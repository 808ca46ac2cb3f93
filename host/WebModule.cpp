#include "host/WebModule.h"

#include "host/WebResponse.h"
#include "host/WebText.h"
#include "port/Text.h"

namespace host {

namespace {

// Filled with the escaped message and PathInfo, in this order.
constexpr std::string_view cErrorPageStart = "<html><body><h1>Internal Application Error</h1>\r\n<p>";
constexpr std::string_view cErrorPageMiddle = "\r\n<p><hr width=\"100%\"><i>";
constexpr std::string_view cErrorPageEnd = "</i></body></html>";

std::string FNormalizedMask(std::string_view pMask) {
  std::string vMask(pMask);
  for (char& c : vMask) {
    if (c == '\\') c = '/';
  }
  if (vMask.empty() || vMask.front() != '/') vMask.insert(vMask.begin(), '/');
  return vMask;
}

bool FWildcardMatch(std::string_view pMask, std::string_view pText) {
  // Iterative matcher with one backtrack point: linear in practice and
  // never recursive, whatever the path holds.
  std::size_t m = 0, t = 0, vStar = std::string_view::npos, vMark = 0;
  while (t < pText.size()) {
    if (m < pMask.size() && pMask[m] == '*') {
      vStar = m++;
      vMark = t;
    } else if (m < pMask.size() && port::FSameTextNoCase(pMask.substr(m, 1), pText.substr(t, 1))) {
      ++m;
      ++t;
    } else if (vStar != std::string_view::npos) {
      m = vStar + 1;
      t = ++vMark;
    } else {
      return false;
    }
  }
  while (m < pMask.size() && pMask[m] == '*') ++m;
  return m == pMask.size();
}

bool FMethodMatches(TMethodType pWanted, TMethodType pActual) {
  return pWanted == TMethodType::mtAny || pWanted == pActual;
}

}  // namespace

bool FMatchesMask(std::string_view pMask, std::string_view pPath) {
  return FWildcardMatch(FNormalizedMask(pMask), pPath);
}

TWebActionItem& TWebModule::FAddAction(std::string pName) {
  vActions.push_back(std::make_unique<TWebActionItem>(std::move(pName)));
  return *vActions.back();
}

bool TWebModule::FHandleRequest(TWebRequest& pRequest, TWebResponse& pResponse) {
  if (pResponse.Sent()) return true;

  TWebActionItem* vDefault = nullptr;
  bool vHandled = false;
  for (const auto& vAction : vActions) {
    if (vAction->Default && vDefault == nullptr) vDefault = vAction.get();
    if (!vAction->Enabled || !FMethodMatches(vAction->MethodType, pRequest.MethodType()) ||
        !FMatchesMask(vAction->PathInfo, pRequest.PathInfo())) {
      continue;
    }
    vHandled = true;
    if (vAction->OnAction) vAction->OnAction(vAction.get(), pRequest, pResponse, vHandled);
    if (vHandled) return true;
  }

  for (IWebDispatch* vComponent : vDispatchList) {
    const TWebDispatch& vSettings = vComponent->WebDispatch();
    if (!vSettings.Enabled || !FMethodMatches(vSettings.MethodType, pRequest.MethodType()) ||
        !FMatchesMask(vSettings.PathInfo, pRequest.PathInfo())) {
      continue;
    }
    if (vComponent->FDispatchRequest(this, pRequest, pResponse)) return true;
  }

  if (vDefault == nullptr) return false;
  vHandled = true;
  if (vDefault->OnAction) vDefault->OnAction(vDefault, pRequest, pResponse, vHandled);
  return vHandled;
}

void TWebModule::PHandleException(const std::exception& pException, TWebRequest& pRequest,
                                  TWebResponse& pResponse) {
  std::string vPage(cErrorPageStart);
  vPage += FHtmlEscape(pException.what());
  vPage += cErrorPageMiddle;
  vPage += FHtmlEscape(pRequest.PathInfo());
  vPage += cErrorPageEnd;
  pResponse.SetContent(std::move(vPage));
  if (!pResponse.Sent()) {
    pResponse.SetStatusCode(500);
    pResponse.SendResponse();
  }
}

}  // namespace host
