// The classes this DLL serves and how each is registered.
#pragma once

#include <string>

#include "node.h"

namespace sondalink::standin {

struct ClassInfo {
  CLSID clsid;
  const wchar_t* clsidText;
  const wchar_t* progId;  // null: the class is reached by its class identity only
  const wchar_t* friendlyName;
  const wchar_t* type;  // the objects' type in the journal and in failure rules
  NodeRef (*create)();
  bool startsRun;  // creating it begins a test run (the scenario is read afresh)
  // A licensed class's run-time key (its factory offers IClassFactory2);
  // null for a class that any machine may create.
  const wchar_t* runtimeKey = nullptr;
};

// DAO's published run-time licence key, which its engine requires where
// the design-time licence is not installed.
inline constexpr wchar_t kDaoRuntimeKey[] = L"mbmabptebkjcdlgtjmskjwtsdhjbmkmwtrak";

extern const ClassInfo kClasses[];
extern const size_t kClassCount;

// The SQL-DMO SQLServer class of the stand-in (not the real product's identity).
inline constexpr wchar_t kDmoServerClsid[] = L"{7D3A51C2-9B84-4E0F-A6D3-5C21E8B94F10}";

HRESULT RegisterServer(const std::wstring& modulePath);
HRESULT UnregisterServer();

}  // namespace sondalink::standin
