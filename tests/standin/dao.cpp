// DAO 3.5 in ODBCDirect mode: the engine with its workspaces, connections
// and recordsets. Its own errors are those of an Italian DAO installation,
// the language of the program's users.
#include "components.h"

namespace sondalink::standin {

namespace {

struct Engine;

struct Workspace {
  std::wstring name;
  std::wstring user;
  int32_t type = 1;
  bool closed = false;
  std::weak_ptr<Engine> engine;
};

struct Engine {
  std::vector<NodeRef> workspaces;  // what Workspaces holds
};

struct Connection {
  int16_t queryTimeout = 60;
  bool open = true;
};

// The process's one engine while anybody holds it: DAO hands every creator
// the same DBEngine.
Node* gEngine = nullptr;

// The engine node's own state; it goes with the node.
struct EngineNode {
  std::shared_ptr<Engine> engine = std::make_shared<Engine>();
  ~EngineNode() { gEngine = nullptr; }
};

Fault Invalid(const wchar_t* source) {
  return ControlError(3420, L"Oggetto non valido o non più impostato.", source);
}

NodeRef NewRecordset(Rows rows) {
  auto cursor = std::make_shared<Cursor>();
  cursor->rows = std::move(rows);
  cursor->open = true;
  NodeRef node = Node::Create(L"dao.Recordset");
  node->attach(cursor);
  AddCursorMembers(*node.get(), cursor,
                   CursorTexts{L"dao", true, Invalid(L"DAO.Recordset"),
                               ControlError(3021, L"Nessun record corrente.", L"DAO.Recordset"),
                               NotFound(L"dao", L"DAO.Fields")});
  return node;
}

NodeRef NewConnection() {
  auto state = std::make_shared<Connection>();
  NodeRef node = Node::Create(L"dao.Connection");
  node->attach(state).guard([state] {
    if (!state->open) throw Invalid(L"DAO.Connection");
  });
  node->get(L"QueryTimeout", [state] { return state->queryTimeout; }, [state](const VARIANT& value) {
    VARIANT shortValue;
    ::VariantInit(&shortValue);
    if (FAILED(::VariantChangeType(&shortValue, const_cast<VARIANT*>(&value), 0, VT_I2))) {
      throw ControlError(13, L"Tipo non corrispondente.", L"DAO.Connection");
    }
    state->queryTimeout = V_I2(&shortValue);
  });
  node->method(L"OpenRecordset", 1, 4, [](const Args& args) -> Val {
    std::wstring name = args.text(0);
    args.check(1, {VT_I4, VT_I4, VT_I4});
    std::optional<Rows> rows = RunQuery(name);
    if (!rows) throw ControlError(3146, L"ODBC--chiamata non riuscita.", L"DAO.Connection");
    return NewRecordset(std::move(*rows));
  });
  node->act(L"Close", [state] { state->open = false; });
  return node;
}

NodeRef NewWorkspace(std::shared_ptr<Workspace> state) {
  NodeRef node = Node::Create(L"dao.Workspace", state->name);
  node->attach(state);
  node->guard([state] {
    if (state->closed) throw Invalid(L"DAO.Workspace");
  });
  node->add(CollectionMember(L"Properties", [state] {
    return NewPropertyList(L"dao.workspace",
                           g::DaoWorkspaceProperties(Narrow(state->name), Narrow(state->user), state->type));
  }));
  node->method(L"OpenConnection", 1, 4, [](const Args& args) -> Val {
    args.text(0);
    args.check(1, {VT_I4, VT_BOOL});
    std::wstring connect = args.present(3) ? args.text(3) : L"";
    if (_wcsnicmp(connect.c_str(), L"ODBC;", 5) != 0) {
      throw ControlError(3001, L"Argomento non valido.", L"DAO.Workspace");
    }
    return NewConnection();
  });
  node->act(L"Close", [state] {
    state->closed = true;
    // Closing a workspace takes it out of the engine's collection.
    if (auto engine = state->engine.lock()) {
      std::erase_if(engine->workspaces, [&](const NodeRef& ws) { return ws->state<Workspace>() == state.get(); });
    }
  });
  return node;
}

// A second workspace of the same name is refused with 3367, in the words
// and with the source an Italian DAO gives.
Val Append(Engine& engine, const Args& args) {
  Node* added = args.node(0);
  if (!added || added->type() != L"dao.Workspace" || added->state<Workspace>()->closed) {
    throw Invalid(L"DAO.Workspaces");
  }
  for (const NodeRef& ws : engine.workspaces) {
    if (_wcsicmp(ws->state<Workspace>()->name.c_str(), added->state<Workspace>()->name.c_str()) == 0) {
      throw ControlError(3367, L"Impossibile aggiungere. Un oggetto con lo stesso nome esiste già nell'insieme.",
                         L"DAO.Workspaces");
    }
  }
  engine.workspaces.push_back(NodeRef(added, true));
  return Empty{};
}

}  // namespace

NodeRef NewDaoEngine() {
  if (gEngine) return NodeRef(gEngine, true);
  auto own = std::make_shared<EngineNode>();
  std::shared_ptr<Engine> engine = own->engine;
  NodeRef node = Node::Create(L"dao.DBEngine");
  node->attach(own);
  gEngine = node.get();

  node->get(L"Version", [] { return Answer(g::ValueOf(g::kDaoEngineProperties, "Version")); });
  Getter create = [weak = std::weak_ptr<Engine>(engine)](const Args& args) -> Val {
    auto ws = std::make_shared<Workspace>();
    ws->name = args.text(0);
    ws->user = args.text(1);
    args.text(2);
    ws->type = args.present(3) ? args.integer(3) : 2;
    if (ws->type != 1) {
      throw ControlError(3251, L"Operazione non supportata per questo tipo di oggetto.", L"DAO.DBEngine");
    }
    ws->engine = weak;
    return NewWorkspace(ws);
  };
  node->add(Member{.name = L"CreateWorkspace", .call = create, .minArgs = 3, .maxArgs = 4, .startsRun = true});
  node->add(CollectionMember(L"Workspaces", [engine] {
    NodeRef collection = NewCollection(CollectionTexts{L"dao.Workspaces", true, NotFound(L"dao", L"DAO.Workspaces")},
                                       [engine] { return engine->workspaces; });
    collection->method(L"Append", 1, 1, [engine](const Args& args) { return Append(*engine, args); });
    return collection;
  }));
  node->add(CollectionMember(L"Properties", [] { return NewPropertyList(L"dao.engine", g::kDaoEngineProperties); }));
  return node;
}

}  // namespace sondalink::standin
