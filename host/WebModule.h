// The web module: a container of actions and dispatching components that
// routes one request to whichever of them takes it.
//
// Dispatch, for request R and response S:
//   1. S already sent: handled.
//   2. Each action in order that is enabled, whose MethodType is mtAny or
//      R's, and whose mask matches R's PathInfo: handled becomes true and
//      its handler runs (it may set handled back to false); the first that
//      leaves it true ends dispatch.
//   3. Each dispatching component in order, matched the same way, until
//      one answers handled.
//   4. Still not handled: the Default action runs, whatever its method,
//      mask or enabled state.
//
// Masks: backslashes count as slashes, a "/" is put in front when missing,
// "*" matches any run of characters (the empty one too), and the
// comparison ignores case.
//
// The module owns its actions; dispatching components are members of the
// derived module and are only listed here (borrowed).
#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/WebRequest.h"

namespace host {

class TWebResponse;

// Anything that can be the sender of a web event.
class TComponent {
 public:
  explicit TComponent(std::string pName) : vName(std::move(pName)) {}
  virtual ~TComponent() = default;
  [[nodiscard]] const std::string& Name() const noexcept { return vName; }

 private:
  std::string vName;
};

// The settings a dispatching component is matched by.
struct TWebDispatch {
  bool Enabled = true;
  TMethodType MethodType = TMethodType::mtAny;
  std::string PathInfo;  // mask
};

// A component that the web module can hand a request to.
class IWebDispatch {
 public:
  virtual ~IWebDispatch() = default;
  [[nodiscard]] virtual const TWebDispatch& WebDispatch() const = 0;
  // True when the component has handled the request.
  [[nodiscard]] virtual bool FDispatchRequest(TComponent* pSender, TWebRequest& pRequest,
                                              TWebResponse& pResponse) = 0;
};

// The request cycle's view of a module.
class IWebRequestHandler {
 public:
  virtual ~IWebRequestHandler() = default;
  [[nodiscard]] virtual bool FHandleRequest(TWebRequest& pRequest, TWebResponse& pResponse) = 0;
};

using THTTPMethodEvent =
    std::function<void(TComponent* pSender, TWebRequest& pRequest, TWebResponse& pResponse, bool& pHandled)>;

class TWebActionItem : public TComponent {
 public:
  using TComponent::TComponent;
  bool Default = false;
  std::string PathInfo;
  TMethodType MethodType = TMethodType::mtAny;
  bool Enabled = true;
  THTTPMethodEvent OnAction;
};

// Whether pPath matches pMask under the mask rules above.
[[nodiscard]] bool FMatchesMask(std::string_view pMask, std::string_view pPath);

class TWebModule : public TComponent, public IWebRequestHandler {
 public:
  explicit TWebModule(std::string pName) : TComponent(std::move(pName)) {}

  // Dispatch as described above; exceptions of handlers pass through.
  [[nodiscard]] bool FHandleRequest(TWebRequest& pRequest, TWebResponse& pResponse) override;

  // What the module does with an exception raised while dispatching: the
  // "Internal Application Error" page (message and PathInfo HTML-escaped)
  // as Content, and, when the response has not gone out yet, status 500
  // and sending at once.
  void PHandleException(const std::exception& pException, TWebRequest& pRequest, TWebResponse& pResponse);

 protected:
  TWebActionItem& FAddAction(std::string pName);
  void PAddDispatcher(IWebDispatch& pComponent) { vDispatchList.push_back(&pComponent); }

 private:
  std::vector<std::unique_ptr<TWebActionItem>> vActions;
  std::vector<IWebDispatch*> vDispatchList;
};

}  // namespace host
