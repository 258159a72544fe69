// SQL-DMO's SQLServer object with its Application object.
#include "components.h"

namespace sondalink::standin {

namespace {

struct Server {
  std::wstring applicationName = Widen(g::Text(g::ValueOf(g::kDmoServer, "ApplicationName")));
  int32_t loginTimeout = -1;
  bool loginSecure = false;
  std::wstring language;
  bool connected = false;
};

const wchar_t kSource[] = L"Microsoft SQL-DMO";

NodeRef NewApplication() {
  NodeRef node = Node::Create(L"dmo.Application");
  // Its own file as FullName, so that the test can read its version resource.
  for (const g::Setting& s : g::DmoApplication(Narrow(ModulePath()))) {
    node->get(Widen(s.name), [value = Answer(s.value)] { return value; });
  }
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
  node->get(L"CodePage", [] { return Answer(g::ValueOf(g::kDmoServer, "CodePage")); });
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
