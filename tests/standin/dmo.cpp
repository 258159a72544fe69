// SQL-DMO's SQLServer object with its Application object.
#include "components.h"

namespace sondalink::standin {

namespace {

struct Server {
  std::wstring applicationName = L"SQLDMO_1";
  int32_t loginTimeout = -1;
  bool loginSecure = false;
  std::wstring language;
  std::wstring name;
  bool connected = false;
};

const wchar_t kSource[] = L"Microsoft SQL-DMO";

NodeRef NewApplication() {
  NodeRef node = Node::Create(L"dmo.Application");
  auto text = [](std::wstring value) {
    return [value](const Args& args) -> Val {
      args.expect(0, 0);
      return value;
    };
  };
  auto number = [](int32_t value) {
    return [value](const Args& args) -> Val {
      args.expect(0, 0);
      return value;
    };
  };
  node->property(L"Name", text(L"SQL-DMO stand-in"));
  // Its own file, so that the test can read its version resource.
  node->property(L"FullName", text(ModulePath()));
  node->property(L"VersionMajor", number(9));
  node->property(L"VersionMinor", number(8));
  node->property(L"VersionBuild", number(7));
  node->property(L"ODBCVersionString", text(L"03.85.1132"));
  return node;
}

}  // namespace

NodeRef NewDmoServer() {
  auto state = std::make_shared<Server>();
  NodeRef node = Node::Create(L"dmo.SQLServer");
  node->attach(state).journalRelease();
  auto requireConnected = [state] {
    if (!state->connected) {
      throw Fault{static_cast<HRESULT>(0x80045510),
                  L"[SQL-DMO]This property or method requires a connection to SQL Server.", kSource,
                  FaultMode::kExcepInfo};
    }
  };
  auto textPut = [](std::wstring* target) {
    return [target](const VARIANT& value) {
      Args args({&value});
      *target = args.text(0);
    };
  };

  node->property(L"Application", [](const Args& args) -> Val {
    args.expect(0, 0);
    return NewApplication();
  });
  node->property(
      L"ApplicationName",
      [state](const Args& args) -> Val {
        args.expect(0, 0);
        return state->applicationName;
      },
      textPut(&state->applicationName));
  node->property(L"CodePage", [](const Args& args) -> Val {
    args.expect(0, 0);
    return int32_t{1252};
  });
  node->property(
      L"LoginTimeout",
      [state](const Args& args) -> Val {
        args.expect(0, 0);
        return state->loginTimeout;
      },
      [state](const VARIANT& value) {
        Args args({&value});
        state->loginTimeout = args.integer(0);
      });
  node->property(
      L"LoginSecure",
      [state](const Args& args) -> Val {
        args.expect(0, 0);
        return state->loginSecure;
      },
      [state](const VARIANT& value) {
        Args args({&value});
        state->loginSecure = args.boolean(0);
      });
  node->property(
      L"Language",
      [state](const Args& args) -> Val {
        args.expect(0, 0);
        return state->language;
      },
      textPut(&state->language));
  node->property(L"Name", [state](const Args& args) -> Val {
    args.expect(0, 0);
    return state->name;
  });
  node->method(L"Connect", [state](const Args& args) -> Val {
    args.expect(0, 3);
    if (state->connected) {
      throw Fault{static_cast<HRESULT>(0x80045042), L"[SQL-DMO]The object is already connected.",
                  kSource, FaultMode::kExcepInfo};
    }
    std::wstring server = args.present(0) ? args.text(0) : L"";
    if (args.present(1)) args.text(1);
    if (args.present(2)) args.text(2);
    state->name = server.empty() ? L"(local)" : server;
    state->connected = true;
    return Empty{};
  });
  node->property(L"VersionString", [state, requireConnected](const Args& args) -> Val {
    args.expect(0, 0);
    requireConnected();
    return FromCell(Current().version);
  });
  node->method(L"Disconnect", [state](const Args& args) -> Val {
    args.expect(0, 0);
    state->connected = false;
    return Empty{};
  });
  return node;
}

}  // namespace sondalink::standin
