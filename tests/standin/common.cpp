#include <cwctype>

#include "components.h"

namespace sondalink::standin {

Fault ControlError(int number, std::wstring description, std::wstring source) {
  return Fault{MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number), std::move(description),
               std::move(source), FaultMode::kExcepInfo};
}

Val FromCell(const Cell& cell) {
  struct Visitor {
    Val operator()(const Empty& v) const { return v; }
    Val operator()(const Null& v) const { return v; }
    Val operator()(bool v) const { return v; }
    Val operator()(int16_t v) const { return v; }
    Val operator()(int32_t v) const { return v; }
    Val operator()(double v) const { return v; }
    Val operator()(const std::wstring& v) const { return v; }
    Val operator()(const Fault& f) const { throw f; }
  };
  return std::visit(Visitor{}, cell);
}

NodeRef FindItem(const std::vector<NodeRef>& items, const Args& args, size_t at, const Fault& notFound) {
  const VARIANT& key = args.raw(at);
  if (V_VT(&key) == VT_BSTR) {
    std::wstring name = args.text(at);
    for (const NodeRef& item : items) {
      if (_wcsicmp(item->label().c_str(), name.c_str()) == 0) return item;
    }
    throw notFound;
  }
  int32_t index = args.integer(at);
  if (index < 0 || static_cast<size_t>(index) >= items.size()) throw notFound;
  return items[static_cast<size_t>(index)];
}

NodeRef NewCollection(const CollectionTexts& texts, std::function<std::vector<NodeRef>()> items,
                      std::function<void(Node&)> extraMembers) {
  NodeRef node = Node::Create(texts.type);
  const bool shortCount = texts.shortCount;
  node->property(L"Count", [items, shortCount](const Args& args) -> Val {
    args.expect(0, 0);
    size_t n = items().size();
    if (shortCount) return static_cast<int16_t>(n);
    return static_cast<int32_t>(n);
  });
  Fault notFound = texts.notFound;
  auto item = [items, notFound](const Args& args) -> Val {
    args.expect(1, 1);
    return FindItem(items(), args, 0, notFound);
  };
  node->add(Member{L"Item", item, {}, {}, true});
  if (extraMembers) extraMembers(*node);
  return node;
}

Getter CollectionMember(std::function<NodeRef()> make) {
  return [make](const Args& args) -> Val {
    NodeRef collection = make();
    if (args.size() == 0) return collection;
    // Hand the arguments on to Item, through the collection's own Invoke so
    // that its failures and journal line are the usual ones.
    args.expect(1, 1);
    DISPID id = DISPID_VALUE;
    VARIANT key;
    ::VariantInit(&key);
    ::VariantCopy(&key, const_cast<VARIANT*>(&args.raw(0)));
    DISPPARAMS params{&key, nullptr, 1, 0};
    VARIANT result;
    ::VariantInit(&result);
    EXCEPINFO info{};
    HRESULT hr = collection->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET | DISPATCH_METHOD, &params,
                                    &result, &info, nullptr);
    ::VariantClear(&key);
    if (hr == DISP_E_EXCEPTION) {
      if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
      Fault fault{info.scode, info.bstrDescription ? info.bstrDescription : L"",
                  info.bstrSource ? info.bstrSource : L"", FaultMode::kExcepInfo};
      ::SysFreeString(info.bstrDescription);
      ::SysFreeString(info.bstrSource);
      ::SysFreeString(info.bstrHelpFile);
      throw fault;
    }
    if (FAILED(hr)) throw ProtocolError{hr};
    NodeRef found(Node::From(V_UNKNOWN(&result)), true);
    ::VariantClear(&result);
    return found;
  };
}

NodeRef NewPropertyList(const std::wstring& component, std::vector<Attribute> items) {
  const bool dao = component == L"dao";
  std::vector<NodeRef> nodes;
  for (Attribute& a : items) {
    NodeRef item = Node::Create(component + L".Property", a.name);
    std::wstring name = a.name;
    Cell value = a.value;
    item->property(L"Name", [name](const Args& args) -> Val {
      args.expect(0, 0);
      return name;
    });
    item->add(Member{L"Value",
                     [value](const Args& args) -> Val {
                       args.expect(0, 0);
                       return FromCell(value);
                     },
                     {}, {}, true});
    nodes.push_back(std::move(item));
  }
  CollectionTexts texts{
      component + L".Properties", dao,
      dao ? ControlError(3265, L"Elemento non trovato in questo insieme.", L"DAO.Properties")
          : ControlError(3265,
                         L"Item cannot be found in the collection corresponding to the requested name or ordinal.",
                         L"ADODB.Properties")};
  return NewCollection(texts, [nodes] { return nodes; });
}

namespace {

std::wstring Trimmed(const std::wstring& text) {
  size_t b = text.find_first_not_of(L" \t\r\n");
  if (b == std::wstring::npos) return {};
  size_t e = text.find_last_not_of(L" \t\r\n;");
  return text.substr(b, e - b + 1);
}

}  // namespace

std::optional<Rows> RunQuery(const std::wstring& sql) {
  std::wstring q = Trimmed(sql);
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

void AddCursorMembers(Node& node, std::shared_ptr<Cursor> cursor, const CursorTexts& texts) {
  auto requireOpen = [cursor, closed = texts.closed] {
    if (!cursor->open) throw closed;
  };
  node.property(L"EOF", [cursor, requireOpen](const Args& args) -> Val {
    args.expect(0, 0);
    requireOpen();
    return cursor->position >= cursor->rows.values.size();
  });
  node.property(L"BOF", [cursor, requireOpen](const Args& args) -> Val {
    args.expect(0, 0);
    requireOpen();
    return cursor->rows.values.empty();
  });
  node.property(L"RecordCount", [cursor, requireOpen](const Args& args) -> Val {
    args.expect(0, 0);
    requireOpen();
    return static_cast<int32_t>(cursor->rows.values.size());
  });
  const CursorTexts t = texts;
  node.property(L"Fields", CollectionMember([cursor, requireOpen, t] {
    requireOpen();
    std::vector<NodeRef> fields;
    for (size_t column = 0; column < cursor->rows.columns.size(); ++column) {
      NodeRef field = Node::Create(t.component + L".Field", cursor->rows.columns[column]);
      std::wstring name = cursor->rows.columns[column];
      field->property(L"Name", [name](const Args& args) -> Val {
        args.expect(0, 0);
        return name;
      });
      field->add(Member{L"Value",
                        [cursor, column, t](const Args& args) -> Val {
                          args.expect(0, 0);
                          if (!cursor->open) throw t.closed;
                          if (cursor->position >= cursor->rows.values.size()) throw t.noCurrent;
                          return FromCell(cursor->rows.values[cursor->position][column]);
                        },
                        {}, {}, true});
      fields.push_back(std::move(field));
    }
    CollectionTexts texts{t.component + L".Fields", t.shortCount, t.notFound};
    return NewCollection(texts, [fields] { return fields; });
  }));
  node.method(L"MoveNext", [cursor, requireOpen, noCurrent = texts.noCurrent](const Args& args) -> Val {
    args.expect(0, 0);
    requireOpen();
    if (cursor->position >= cursor->rows.values.size()) throw noCurrent;
    ++cursor->position;
    return Empty{};
  });
  node.method(L"Close", [cursor, requireOpen](const Args& args) -> Val {
    args.expect(0, 0);
    requireOpen();
    cursor->open = false;
    cursor->rows = Rows{};
    cursor->position = 0;
    return Empty{};
  });
}

std::wstring ConnectionStringPart(const std::wstring& text, const std::wstring& key) {
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(L';', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring part = text.substr(start, end - start);
    size_t eq = part.find(L'=');
    if (eq != std::wstring::npos && _wcsicmp(Trimmed(part.substr(0, eq)).c_str(), key.c_str()) == 0) {
      return part.substr(eq + 1);
    }
    start = end + 1;
  }
  return {};
}

}  // namespace sondalink::standin
