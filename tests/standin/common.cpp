#include "components.h"

namespace sondalink::standin {

Fault ControlError(int number, std::wstring description, std::wstring source) {
  return Fault{MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number), std::move(description), std::move(source)};
}

Fault NotFound(const std::wstring& component, std::wstring source) {
  return ControlError(3265,
                      component == L"dao" ? L"Elemento non trovato in questo insieme."
                                          : L"Item cannot be found in the collection corresponding to the requested "
                                            L"name or ordinal.",
                      std::move(source));
}

namespace {

NodeRef FindItem(const std::vector<NodeRef>& items, const Args& args, const Fault& notFound) {
  if (V_VT(&args.raw(0)) == VT_BSTR) {
    std::wstring name = args.text(0);
    for (const NodeRef& item : items) {
      if (_wcsicmp(item->label().c_str(), name.c_str()) == 0) return item;
    }
    throw notFound;
  }
  int32_t index = args.integer(0);
  if (index < 0 || static_cast<size_t>(index) >= items.size()) throw notFound;
  return items[static_cast<size_t>(index)];
}

}  // namespace

NodeRef NewCollection(const CollectionTexts& texts, std::function<std::vector<NodeRef>()> items) {
  NodeRef node = Node::Create(texts.type);
  node->get(L"Count", [items, shortCount = texts.shortCount]() -> Val {
    size_t n = items().size();
    if (shortCount) return static_cast<int16_t>(n);
    return static_cast<int32_t>(n);
  });
  Getter item = [items, notFound = texts.notFound](const Args& args) -> Val {
    return FindItem(items(), args, notFound);
  };
  node->add(Member{.name = L"Item", .get = item, .minArgs = 1, .maxArgs = 1}).byDefault();
  return node;
}

Member CollectionMember(std::wstring name, std::function<NodeRef()> make) {
  Getter get = [make](const Args& args) -> Val {
    NodeRef collection = make();
    if (args.size() == 0) return collection;
    // Handed on to Item through the collection's own dispatch, so that its
    // failure rules and journal line are the usual ones.
    return collection->Dispatch(DISPID_VALUE, DISPATCH_PROPERTYGET | DISPATCH_METHOD, {&args.raw(0)});
  };
  return Member{.name = std::move(name), .get = std::move(get), .maxArgs = 1};
}

NodeRef NewPropertyList(const std::wstring& owner, const std::vector<g::Setting>& settings) {
  const std::wstring component = owner.substr(0, 3);
  const bool dao = component == L"dao";
  std::vector<Attribute> items;
  for (const g::Setting& s : settings) items.push_back({Widen(s.name), Answer(s.value)});
  const auto& extra = Current().properties[owner];
  items.insert(items.end(), extra.begin(), extra.end());
  std::vector<NodeRef> nodes;
  for (Attribute& a : items) {
    NodeRef item = Node::Create(component + L".Property", a.name);
    item->get(L"Name", [name = a.name] { return name; });
    item->get(L"Value", [value = a.value] { return value; }).byDefault();
    nodes.push_back(std::move(item));
  }
  CollectionTexts texts{component + L".Properties", dao,
                        NotFound(component, dao ? L"DAO.Properties" : L"ADODB.Properties")};
  return NewCollection(texts, [nodes] { return nodes; });
}

std::optional<Rows> RunQuery(const std::wstring& sql) {
  std::wstring q = Trim(sql, L" \t\r\n;");
  Scenario& s = Current();
  if (_wcsicmp(q.c_str(), L"SELECT @@VERSION") == 0) {
    Rows rows{{L""}, {}};
    for (int i = 0; i < s.versionRows; ++i) rows.values.push_back({s.version});
    return rows;
  }
  if (_wcsicmp(q.c_str(), L"sp_server_info") == 0 || _wcsicmp(q.c_str(), L"exec sp_server_info") == 0) {
    Rows rows{{L"attribute_id", L"attribute_name", L"attribute_value"}, {}};
    rows.values.reserve(s.serverInfo.size());
    int32_t id = 0;
    for (const Attribute& a : s.serverInfo) rows.values.push_back({++id, a.name, a.value});
    return rows;
  }
  return std::nullopt;
}

// Every member a closed recordset refuses, its fields' values too.
void AddCursorMembers(Node& node, std::shared_ptr<Cursor> cursor, const CursorTexts& texts) {
  auto requireOpen = [cursor, closed = texts.closed] {
    if (!cursor->open) throw closed;
  };
  node.guard(requireOpen);
  node.get(L"EOF", [cursor] { return cursor->position >= cursor->rows.values.size(); });
  node.add(CollectionMember(L"Fields", [cursor, requireOpen, t = texts] {
    std::vector<NodeRef> fields;
    for (size_t column = 0; column < cursor->rows.columns.size(); ++column) {
      NodeRef field = Node::Create(t.component + L".Field", cursor->rows.columns[column]);
      field->guard(requireOpen);
      field->get(L"Value", [cursor, column, noCurrent = t.noCurrent] {
        if (cursor->position >= cursor->rows.values.size()) throw noCurrent;
        return cursor->rows.values[cursor->position][column];
      }).byDefault();
      fields.push_back(std::move(field));
    }
    return NewCollection(CollectionTexts{t.component + L".Fields", t.shortCount, t.notFound},
                         [fields] { return fields; });
  }));
  node.act(L"MoveNext", [cursor, noCurrent = texts.noCurrent] {
    if (cursor->position >= cursor->rows.values.size()) throw noCurrent;
    ++cursor->position;
  });
  node.act(L"Close", [cursor] { *cursor = Cursor{}; });
}

}  // namespace sondalink::standin
