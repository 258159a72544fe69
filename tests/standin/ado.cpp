// ADO Connection and Recordset, as far as a connection test uses them.
#include "components.h"

namespace sondalink::standin {

namespace {

struct AdoConnection {
  bool open = false;
  std::wstring connectionString;
};

const wchar_t kConnection[] = L"ADODB.Connection";
const wchar_t kRecordset[] = L"ADODB.Recordset";

Fault AlreadyOpen(const wchar_t* source) {
  return ControlError(3705, L"Operation is not allowed when the object is open.", source);
}
Fault Closed(const wchar_t* source) {
  return ControlError(3704, L"Operation is not allowed when the object is closed.", source);
}

}  // namespace

NodeRef NewAdoConnection() {
  auto state = std::make_shared<AdoConnection>();
  NodeRef node = Node::Create(L"ado.Connection");
  node->attach(state);
  node->get(L"Version", [] { return std::wstring(L"2.8"); });
  node->method(L"Open", 0, 4, [state](const Args& args) -> Val {
    if (state->open) throw AlreadyOpen(kConnection);
    std::wstring cs = args.present(0) ? args.text(0) : L"";
    args.check(1, {VT_BSTR, VT_BSTR, VT_I4});
    if (!g::SameText(g::ConnectionStringPart(Narrow(cs), "Provider"), "SQLOLEDB")) {
      throw ControlError(3706, L"Provider cannot be found. It may not be properly installed.", kConnection);
    }
    state->connectionString = cs;
    state->open = true;
    return Empty{};
  });
  node->act(L"Close", [state] {
    if (!state->open) throw Closed(kConnection);
    state->open = false;
  });
  node->add(CollectionMember(L"Properties", [state] {
    if (!state->open) return NewPropertyList(L"ado", g::kAdoClosedProperties);
    return NewPropertyList(L"ado", g::AdoProperties(Narrow(state->connectionString)));
  }));
  return node;
}

NodeRef NewAdoRecordset() {
  auto cursor = std::make_shared<Cursor>();
  NodeRef node = Node::Create(L"ado.Recordset");
  node->attach(cursor);
  node->method(L"Open", 0, 5, [cursor](const Args& args) -> Val {
    if (cursor->open) throw AlreadyOpen(kRecordset);
    Node* connection = args.node(1);
    if (!connection || connection->type() != L"ado.Connection" ||
        !connection->state<AdoConnection>()->open) {
      throw ControlError(3709,
                         L"The connection cannot be used to perform this operation. It is either "
                         L"closed or invalid in this context.",
                         kRecordset);
    }
    std::wstring source = args.present(0) ? args.text(0) : L"";
    args.check(2, {VT_I4, VT_I4, VT_I4});
    std::optional<Rows> rows = RunQuery(source);
    if (!rows) {
      throw Fault{static_cast<HRESULT>(0x80040E14), L"Could not find stored procedure '" + source + L"'.",
                  L"Microsoft OLE DB Provider for SQL Server"};
    }
    cursor->rows = std::move(*rows);
    cursor->position = 0;
    cursor->open = true;
    return Empty{};
  });
  AddCursorMembers(
      *node.get(), cursor,
      CursorTexts{L"ado", false, Closed(kRecordset),
                  ControlError(3021,
                               L"Either BOF or EOF is True, or the current record has been deleted. "
                               L"Requested operation requires a current record.",
                               kRecordset),
                  NotFound(L"ado", L"ADODB.Fields")});
  return node;
}

}  // namespace sondalink::standin
