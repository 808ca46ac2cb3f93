#include "soap/InvokeRegistry.h"

#include <algorithm>
#include <atomic>

#include "port/Exception.h"

#include "port/Text.h"

namespace soap {

TSoapValue TSoapValue::FString(std::string pText) {
  TSoapValue v;
  v.vText = std::move(pText);
  return v;
}

TSoapValue TSoapValue::FBoolean(bool pValue) {
  TSoapValue v;
  v.vBoolean = pValue;
  return v;
}

TSoapValue TSoapValue::FList(std::vector<std::string> pList) {
  TSoapValue v;
  v.vList = std::move(pList);
  return v;
}

// --- types -------------------------------------------------------------

TRemClassRegistry::TRemClassRegistry() {
  const auto vScalar = [this](const char* pName, const char* pXmlName, TValueKind pValueKind) {
    TTypeInfo v;
    v.vTypeName = pName;
    v.vXmlName = pXmlName;
    v.vNamespace = cXsdNs2001;
    v.vKind = TTypeKind::Scalar;
    v.vValueKind = pValueKind;
    PRegister(std::move(v));
  };
  // The string types come first so that "string" is the name they are written under.
  vScalar(cTypeString, "string", TValueKind::AnsiString);
  vScalar(cTypeWideString, "string", TValueKind::WideString);
  vScalar(cTypeBoolean, "boolean", TValueKind::Boolean);

  TTypeInfo vArray;
  vArray.vTypeName = cTypeWideStringArray;
  vArray.vXmlName = "Array";
  vArray.vNamespace = cSoapEncodingNs;
  vArray.vKind = TTypeKind::Array;
  vArray.vValueKind = TValueKind::WideStringArray;
  vArray.vElementType = cTypeWideString;
  vArray.vDimensions = 1;
  PRegister(std::move(vArray));
}

const TTypeInfo& TRemClassRegistry::PRegister(TTypeInfo pInfo) {
  if (pInfo.vXmlName.empty()) pInfo.vXmlName = pInfo.vTypeName;
  if (pInfo.vNamespace.empty()) pInfo.vNamespace = "urn:" + pInfo.vUnitName;
  for (auto& vType : vTypes) {
    if (vType->vTypeName == pInfo.vTypeName) {
      pInfo.vId = vType->vId;
      *vType = std::move(pInfo);
      return *vType;
    }
  }
  pInfo.vId = static_cast<int>(vTypes.size()) + 1;
  vTypes.push_back(std::make_unique<TTypeInfo>(std::move(pInfo)));
  return *vTypes.back();
}

const TTypeInfo* TRemClassRegistry::FFind(std::string_view pTypeName) const {
  for (const auto& vType : vTypes) {
    if (vType->vTypeName == pTypeName) return vType.get();
  }
  return nullptr;
}

const TTypeInfo* TRemClassRegistry::FFindXml(std::string_view pNamespace, std::string_view pXmlName) const {
  for (const auto& vType : vTypes) {
    if (vType->vNamespace == pNamespace && vType->vXmlName == pXmlName) return vType.get();
  }
  return nullptr;
}

const TTypeInfo& TRemClassRegistry::FFindOrRegister(const std::string& pTypeName, const std::string& pUnitName) {
  if (const TTypeInfo* vFound = FFind(pTypeName)) return *vFound;
  TTypeInfo v;
  v.vTypeName = pTypeName;
  v.vUnitName = pUnitName;
  v.vKind = TTypeKind::Object;
  v.vValueKind = TValueKind::Object;
  return PRegister(std::move(v));
}

bool TRemClassRegistry::FInheritsFrom(std::string_view pTypeName, std::string_view pAncestor) const {
  // The parent chain is bounded by the number of types, so a registration
  // mistake that forms a cycle cannot loop.
  std::string_view vName = pTypeName;
  for (std::size_t vHops = 0; vHops <= vTypes.size() && !vName.empty(); ++vHops) {
    if (vName == pAncestor) return true;
    const TTypeInfo* vType = FFind(vName);
    if (vType == nullptr) return false;
    vName = vType->vParentClass;
  }
  return false;
}

std::vector<const TTypeInfo*> TRemClassRegistry::FTypes() const {
  std::vector<const TTypeInfo*> vOut;
  for (const auto& vType : vTypes) vOut.push_back(vType.get());
  return vOut;
}

std::vector<std::string> TRemClassRegistry::FNamespaces() const {
  std::vector<std::string> vOut;
  for (const auto& vType : vTypes) {
    if (std::find(vOut.begin(), vOut.end(), vType->vNamespace) == vOut.end()) vOut.push_back(vType->vNamespace);
  }
  return vOut;
}

// --- interfaces --------------------------------------------------------

std::string TIntfEntry::FSoapAction(const TMethodInfo& pMethod) const {
  if (vDefaultSoapAction) return *vDefaultSoapAction;
  return vNamespace + "#" + pMethod.vName;
}

const TMethodInfo* TIntfEntry::FFindMethod(std::string_view pName) const {
  for (const auto& vMethod : vMethods) {
    if (port::FSameTextNoCase(vMethod.vName, pName)) return &vMethod;
  }
  return nullptr;
}

const TIntfEntry& TInvokableRegistry::PRegisterInterface(TIntfEntry pEntry) {
  if (pEntry.vNamespace.empty()) pEntry.vNamespace = "urn:" + pEntry.vUnitName + "-" + pEntry.vName;
  for (auto& vEntry : vEntries) {
    if (vEntry->vName == pEntry.vName) {
      if (pEntry.vImplClass.empty()) {
        pEntry.vImplClass = std::move(vEntry->vImplClass);
        pEntry.vCreate = std::move(vEntry->vCreate);
      }
      *vEntry = std::move(pEntry);
      return *vEntry;
    }
  }
  vEntries.push_back(std::make_unique<TIntfEntry>(std::move(pEntry)));
  return *vEntries.back();
}

void TInvokableRegistry::PRegisterInvokableClass(std::string_view pInterface, std::string pClassName,
                                                 std::function<std::unique_ptr<IInvokable>()> pCreate) {
  for (auto& vEntry : vEntries) {
    if (vEntry->vName == pInterface) {
      vEntry->vImplClass = std::move(pClassName);
      vEntry->vCreate = std::move(pCreate);
      return;
    }
  }
}

const TIntfEntry* TInvokableRegistry::FFind(std::string_view pName) const {
  for (const auto& vEntry : vEntries) {
    if (vEntry->vName == pName) return vEntry.get();
  }
  return nullptr;
}

const TIntfEntry* TInvokableRegistry::FFindNoCase(std::string_view pName) const {
  for (const auto& vEntry : vEntries) {
    if (port::FSameTextNoCase(vEntry->vName, pName)) return vEntry.get();
  }
  return nullptr;
}

std::vector<const TIntfEntry*> TInvokableRegistry::FInterfaces() const {
  std::vector<const TIntfEntry*> vOut;
  for (const auto& vEntry : vEntries) vOut.push_back(vEntry.get());
  return vOut;
}

namespace {

// Only TRegistries sets it.
std::atomic<TRegistries*> vInstalled{nullptr};

TRegistries& FInstalled() {
  TRegistries* vRegistries = vInstalled.load();
  if (vRegistries == nullptr) throw port::Exception("No registries installed");
  return *vRegistries;
}

}  // namespace

TRegistries::TRegistries() { vInstalled.store(this); }

TRegistries::~TRegistries() {
  TRegistries* vSelf = this;
  (void)vInstalled.compare_exchange_strong(vSelf, nullptr);
}

TInvokableRegistry& FInvRegistry() { return FInstalled().vInvokables; }

TRemClassRegistry& FRemClassRegistry() { return FInstalled().vRemClasses; }

}  // namespace soap
