// The SOAP layer's two process-wide registries, filled while the process
// initialises and only read afterwards (the one exception: a type written
// for the first time without registration is added on the spot).
//
// - The invocation registry (FInvRegistry) lists the invokable interfaces in
//   registration order: name, unit, namespace, documentation, optional
//   default SOAP action, operations with parameters and result types, and
//   the implementing class with its factory. The dispatcher, the WSDL
//   generator and the service pages read it.
// - The type registry (FRemClassRegistry) maps each type that crosses the
//   wire (by its own name: "string", "WideString", "Boolean",
//   "TWideStringDynArray", "TChavePedido", ...) to its XML name, namespace
//   and kind, and for object types holds the published properties, the
//   parent class and the factory.
//
// An interface unit registers itself with TInterfaceBuilder and its classes
// with TClassBuilder; the dispatcher never needs an edit for it. Pointers and
// references returned by the registries stay valid for the whole process
// (entries are never removed). Neither registry is thread-safe for writing:
// register before the first request.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace port {
class IEnv;
}

namespace soap {

inline constexpr const char* cSoapEnvelopeNs = "http://schemas.xmlsoap.org/soap/envelope/";
inline constexpr const char* cSoapEncodingNs = "http://schemas.xmlsoap.org/soap/encoding/";
inline constexpr const char* cXsdNs2001 = "http://www.w3.org/2001/XMLSchema";
inline constexpr const char* cXsdNs1999 = "http://www.w3.org/1999/XMLSchema";
inline constexpr const char* cXsdNs2000 = "http://www.w3.org/2000/10/XMLSchema";
inline constexpr const char* cXsiNs2001 = "http://www.w3.org/2001/XMLSchema-instance";
inline constexpr const char* cXsiNs1999 = "http://www.w3.org/1999/XMLSchema-instance";
inline constexpr const char* cXsiNs2000 = "http://www.w3.org/2000/10/XMLSchema-instance";
// The framework's own namespaces.
inline constexpr const char* cTypesNs = "urn:VelmoraTypes";
inline constexpr const char* cPlaceholderNs = "http://tempuri.org/";

// Own type names of the built-in wire types.
inline constexpr const char* cTypeString = "string";          // 8-bit string, host code page
inline constexpr const char* cTypeWideString = "WideString";  // Unicode, held as UTF-8
inline constexpr const char* cTypeBoolean = "Boolean";
inline constexpr const char* cTypeWideStringArray = "TWideStringDynArray";

// How a value of a type is read from and written to the wire.
enum class TValueKind { AnsiString, WideString, Boolean, WideStringArray, Object, Other };
// What the WSDL and the pages say the type is.
enum class TTypeKind { Scalar, Object, Array };
// Parameter passing mode; only In is used by the interfaces here.
enum class TParamFlag { In, Var, Out };

// The implicit base of every object made for a call. Objects are handed to
// operations as the registered class (TClassBuilder casts back).
using TObjectPtr = std::shared_ptr<void>;

// One value of a call: a parameter or a result. Only the member that fits
// the type's TValueKind is used.
struct TSoapValue {
  std::string vText;               // AnsiString: 8-bit; WideString: UTF-8
  bool vBoolean = false;
  std::vector<std::string> vList;  // WideStringArray, UTF-8 entries
  TObjectPtr vObject;              // Object; null means no object

  [[nodiscard]] static TSoapValue FString(std::string pText);
  [[nodiscard]] static TSoapValue FBoolean(bool pValue);
  [[nodiscard]] static TSoapValue FList(std::vector<std::string> pList);
};
using TSoapArgs = std::vector<TSoapValue>;

struct TPropertyInfo {
  std::string vName;      // published (and external) name
  std::string vTypeName;  // own name of its type in the type registry
  // Stores a decoded value into an object made by the type's factory.
  std::function<void(void* pObject, const TSoapValue& pValue)> vSet;
};

struct TTypeInfo {
  std::string vTypeName;  // own name ("TChavePedido", "Boolean")
  std::string vUnitName;  // declaring unit ("uClassChavePedido"); empty for built-ins
  std::string vXmlName;   // "TChavePedido", "string", "boolean", "Array"
  std::string vNamespace;
  std::string vExtName;   // external name; empty when none is registered
  TTypeKind vKind = TTypeKind::Scalar;
  TValueKind vValueKind = TValueKind::Other;
  std::string vElementType;               // arrays: own name of the element type
  int vDimensions = 0;                    // arrays: number of dimensions
  std::string vParentClass;               // objects: own name of the registered parent, or empty
  std::vector<TPropertyInfo> vProperties; // objects: published properties in declaration order
  std::function<TObjectPtr()> vCreate;    // objects: a new instance with its defaults
  int vId = 0;                            // number identifying the type (1, 2, ... in registration order)
};

class TRemClassRegistry {
 public:
  TRemClassRegistry();  // registers the built-in types
  TRemClassRegistry(const TRemClassRegistry&) = delete;
  TRemClassRegistry& operator=(const TRemClassRegistry&) = delete;

  // Adds a type, or replaces the registration of the same own name in place.
  // An empty vXmlName becomes vTypeName; an empty vNamespace becomes "urn:"
  // and vUnitName. Returns the stored entry.
  const TTypeInfo& PRegister(TTypeInfo pInfo);

  [[nodiscard]] const TTypeInfo* FFind(std::string_view pTypeName) const;
  // By XML name and namespace, as an xsi:type names it.
  [[nodiscard]] const TTypeInfo* FFindXml(std::string_view pNamespace, std::string_view pXmlName) const;
  // The entry of pTypeName; when it is not registered, registers it on the
  // spot as an object type in "urn:" + pUnitName under its own name.
  const TTypeInfo& FFindOrRegister(const std::string& pTypeName, const std::string& pUnitName);
  // True when pTypeName is pAncestor or registered as deriving from it.
  [[nodiscard]] bool FInheritsFrom(std::string_view pTypeName, std::string_view pAncestor) const;
  // All entries in registration order.
  [[nodiscard]] std::vector<const TTypeInfo*> FTypes() const;
  // The distinct namespaces of the registered types, in order first met.
  [[nodiscard]] std::vector<std::string> FNamespaces() const;

 private:
  std::vector<std::unique_ptr<TTypeInfo>> vTypes;
};

// Root of every implementing class.
// What a call knows of the HTTP request it came with. The SOAP endpoint
// builds one per request and lends it to the instance for its one call.
struct TSoapCallContext {
  std::string vBaseUrl;          // "http://host[:port]/script" of the request
  port::IEnv* vEnv = nullptr;    // the request's environment (the attachments' files); none: no attachments
};

class IInvokable {
 public:
  virtual ~IInvokable() = default;
  // Set by the invoker before the call; the context outlives the call.
  void PSetCallContext(const TSoapCallContext& pContext) noexcept { vCallContext = &pContext; }
  [[nodiscard]] const TSoapCallContext& FCallContext() const noexcept { return *vCallContext; }

 private:
  static inline const TSoapCallContext cNoContext{};
  const TSoapCallContext* vCallContext = &cNoContext;
};

using TMethodCall = std::function<TSoapValue(IInvokable& pInstance, const TSoapArgs& pArgs)>;

struct TParamInfo {
  std::string vName;
  std::string vTypeName;  // own name in the type registry
  TParamFlag vFlag = TParamFlag::In;
};

struct TMethodInfo {
  std::string vName;
  std::string vExtName;  // external name; the name itself since none is registered
  std::vector<TParamInfo> vParams;
  std::string vResultType;  // own name in the type registry; empty: no result
  TMethodCall vCall;
};

struct TIntfEntry {
  std::string vName;       // "IVelmora"
  std::string vUnitName;   // "VelmoraIntf"
  std::string vNamespace;  // "urn:VelmoraIntf-IVelmora"
  std::string vGuid;
  std::string vDocumentation;
  std::optional<std::string> vDefaultSoapAction;  // registered (possibly empty) or none
  bool vDocumentStyle = false;
  std::vector<TMethodInfo> vMethods;  // declaration order
  std::string vImplClass;             // empty: no implementing class
  std::function<std::unique_ptr<IInvokable>()> vCreate;

  // The action a client sends for pMethod: the default SOAP action when one
  // is registered, else namespace + "#" + method name.
  [[nodiscard]] std::string FSoapAction(const TMethodInfo& pMethod) const;
  // Case-insensitive lookup of an operation by name.
  [[nodiscard]] const TMethodInfo* FFindMethod(std::string_view pName) const;
};

class TInvokableRegistry {
 public:
  TInvokableRegistry() = default;
  TInvokableRegistry(const TInvokableRegistry&) = delete;
  TInvokableRegistry& operator=(const TInvokableRegistry&) = delete;

  // Adds an interface, or replaces the one of the same name in place
  // (keeping its implementing class). An empty vNamespace becomes
  // "urn:" + unit + "-" + name.
  const TIntfEntry& PRegisterInterface(TIntfEntry pEntry);
  // Records the implementing class of an already registered interface.
  void PRegisterInvokableClass(std::string_view pInterface, std::string pClassName,
                               std::function<std::unique_ptr<IInvokable>()> pCreate);

  // Exact name.
  [[nodiscard]] const TIntfEntry* FFind(std::string_view pName) const;
  // Name without regard to case.
  [[nodiscard]] const TIntfEntry* FFindNoCase(std::string_view pName) const;
  // All entries in registration order.
  [[nodiscard]] std::vector<const TIntfEntry*> FInterfaces() const;

 private:
  std::vector<std::unique_ptr<TIntfEntry>> vEntries;
};

// The two registries of a process, owned by the process object (or by a
// test). Constructing one installs it as the answer of FInvRegistry and
// FRemClassRegistry; destroying it uninstalls it.
// REQUIRES: at most one alive at a time.
class TRegistries {
 public:
  TRegistries();
  ~TRegistries();
  TRegistries(const TRegistries&) = delete;
  TRegistries& operator=(const TRegistries&) = delete;

  TInvokableRegistry vInvokables;
  TRemClassRegistry vRemClasses;
};

// The installed registries; throws port::Exception when none is installed
// (a unit used before the process set them up).
[[nodiscard]] TInvokableRegistry& FInvRegistry();
[[nodiscard]] TRemClassRegistry& FRemClassRegistry();

// Builds and registers one interface:
//   TInterfaceBuilder<IVelmora>("IVelmora", "VelmoraIntf")
//       .FMethod("FVerificaAtividade", {}, cTypeBoolean,
//                [](IVelmora& i, const TSoapArgs&) { return TSoapValue::FBoolean(i.FVerificaAtividade()); })
//       .PRegister();
// I must derive from IInvokable.
template <class I>
class TInterfaceBuilder {
 public:
  TInterfaceBuilder(std::string pName, std::string pUnitName) {
    vEntry.vName = std::move(pName);
    vEntry.vUnitName = std::move(pUnitName);
  }
  TInterfaceBuilder& FNamespace(std::string pValue) { vEntry.vNamespace = std::move(pValue); return *this; }
  TInterfaceBuilder& FGuid(std::string pValue) { vEntry.vGuid = std::move(pValue); return *this; }
  TInterfaceBuilder& FDocumentation(std::string pValue) { vEntry.vDocumentation = std::move(pValue); return *this; }
  TInterfaceBuilder& FDefaultSoapAction(std::string pValue) { vEntry.vDefaultSoapAction = std::move(pValue); return *this; }
  TInterfaceBuilder& FMethod(std::string pName, std::vector<TParamInfo> pParams, std::string pResultType,
                             std::function<TSoapValue(I&, const TSoapArgs&)> pCall) {
    TMethodInfo vMethod;
    vMethod.vExtName = pName;
    vMethod.vName = std::move(pName);
    vMethod.vParams = std::move(pParams);
    vMethod.vResultType = std::move(pResultType);
    vMethod.vCall = [vCall = std::move(pCall)](IInvokable& pInstance, const TSoapArgs& pArgs) {
      return vCall(dynamic_cast<I&>(pInstance), pArgs);
    };
    vEntry.vMethods.push_back(std::move(vMethod));
    return *this;
  }
  const TIntfEntry& PRegister() { return FInvRegistry().PRegisterInterface(vEntry); }

 private:
  TIntfEntry vEntry;
};

// Records C as the implementing class of pInterface; a new C is made per call.
template <class C>
void PRegisterInvokableClass(std::string_view pInterface, std::string pClassName) {
  FInvRegistry().PRegisterInvokableClass(pInterface, std::move(pClassName),
                                         [] { return std::unique_ptr<IInvokable>(std::make_unique<C>()); });
}

// Builds and registers one object type with string properties:
//   TClassBuilder<data::TChavePedido>("TChavePedido", "uClassChavePedido")
//       .FProperty("CodEmpresa", cTypeString, &data::TChavePedido::CodEmpresa)
//       .PRegister();
template <class C>
class TClassBuilder {
 public:
  TClassBuilder(std::string pTypeName, std::string pUnitName) {
    vInfo.vTypeName = std::move(pTypeName);
    vInfo.vUnitName = std::move(pUnitName);
    vInfo.vKind = TTypeKind::Object;
    vInfo.vValueKind = TValueKind::Object;
    vInfo.vCreate = [] { return TObjectPtr(std::make_shared<C>()); };
  }
  TClassBuilder& FXmlName(std::string pValue) { vInfo.vXmlName = std::move(pValue); return *this; }
  TClassBuilder& FNamespace(std::string pValue) { vInfo.vNamespace = std::move(pValue); return *this; }
  TClassBuilder& FParent(std::string pValue) { vInfo.vParentClass = std::move(pValue); return *this; }
  // A string property (8-bit or wide, by pTypeName).
  TClassBuilder& FProperty(std::string pName, std::string pTypeName, std::string C::*pMember) {
    vInfo.vProperties.push_back(TPropertyInfo{
        std::move(pName), std::move(pTypeName),
        [pMember](void* pObject, const TSoapValue& pValue) { static_cast<C*>(pObject)->*pMember = pValue.vText; }});
    return *this;
  }
  const TTypeInfo& PRegister() { return FRemClassRegistry().PRegister(vInfo); }

 private:
  TTypeInfo vInfo;
};

// The object argument pIndex as the class its parameter was registered with;
// nullptr when the request carried no object.
template <class C>
[[nodiscard]] const C* FArgObject(const TSoapArgs& pArgs, std::size_t pIndex) {
  return pIndex < pArgs.size() ? static_cast<const C*>(pArgs[pIndex].vObject.get()) : nullptr;
}

}  // namespace soap
