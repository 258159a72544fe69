// SQL-DMO's SQLServer object with its Application object.
#include "components.h"

namespace sondalink::standin {

namespace {

struct Server {
  std::wstring applicationName = L"SQLDMO_1";
  int32_t loginTimeout = -1;
  bool loginSecure = false;
  std::wstring language;
  bool connected = false;
};

const wchar_t kSource[] = L"Microsoft SQL-DMO";

NodeRef NewApplication() {
  NodeRef node = Node::Create(L"dmo.Application");
  node->get(L"Name", [] { return std::wstring(L"SQL-DMO stand-in"); });
  // Its own file, so that the test can read its version resource.
  node->get(L"FullName", [] { return ModulePath(); });
  node->get(L"VersionMajor", [] { return int32_t{9}; });
  node->get(L"VersionMinor", [] { return int32_t{8}; });
  node->get(L"VersionBuild", [] { return int32_t{7}; });
  node->get(L"ODBCVersionString", [] { return std::wstring(L"03.85.1132"); });
  return node;
}

}  // namespace

NodeRef NewDmoServer() {
  auto state = std::make_shared<Server>();
  NodeRef node = Node::Create(L"dmo.SQLServer");
  node->attach(state);
  auto requireConnected = [state] {
    if (!state->connected) {
      throw Fault{static_cast<HRESULT>(0x80045510),
                  L"[SQL-DMO]This property or method requires a connection to SQL Server.", kSource};
    }
  };

  node->get(L"Application", [] { return NewApplication(); });
  node->field(L"ApplicationName", &state->applicationName);
  node->get(L"CodePage", [] { return int32_t{1252}; });
  node->field(L"LoginTimeout", &state->loginTimeout);
  node->field(L"LoginSecure", &state->loginSecure);
  node->field(L"Language", &state->language);
  node->method(L"Connect", 0, 3, [state](const Args& args) -> Val {
    if (state->connected) {
      throw Fault{static_cast<HRESULT>(0x80045042), L"[SQL-DMO]The object is already connected.", kSource};
    }
    args.check(0, {VT_BSTR, VT_BSTR, VT_BSTR});
    state->connected = true;
    return Empty{};
  });
  node->get(L"VersionString", [requireConnected] {
    requireConnected();
    return Current().version;
  });
  node->act(L"Disconnect", [state] { state->connected = false; });
  return node;
}

}  // namespace sondalink::standin
