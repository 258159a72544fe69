// The stand-in classes, how each is registered, and the pieces they share:
// collections, property listings and the two queries the program sends.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "../support/golden_log.h"
#include "node.h"
#include "scenario.h"

namespace sondalink::standin {

NodeRef NewAdoConnection();
NodeRef NewAdoRecordset();
NodeRef NewDaoEngine();  // one per process while anybody holds it
NodeRef NewDmoServer();

struct ClassInfo {
  const wchar_t* clsid;
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

// The SQL-DMO SQLServer class is the stand-in's own identity, not the real product's.
inline constexpr ClassInfo kClasses[] = {
    {L"{00000514-0000-0010-8000-00AA006D2EA4}", L"ADODB.Connection", L"Sondalink stand-in ADO Connection",
     L"ado.Connection", NewAdoConnection, true},
    {L"{00000535-0000-0010-8000-00AA006D2EA4}", nullptr, L"Sondalink stand-in ADO Recordset", L"ado.Recordset",
     NewAdoRecordset, false},
    {L"{00000010-0000-0010-8000-00AA006D2EA4}", L"DAO.DBEngine.35", L"Sondalink stand-in DAO DBEngine",
     L"dao.DBEngine", NewDaoEngine, false, kDaoRuntimeKey},
    {L"{7D3A51C2-9B84-4E0F-A6D3-5C21E8B94F10}", L"SQLDMO.SQLServer", L"Sondalink stand-in SQL-DMO SQLServer",
     L"dmo.SQLServer", NewDmoServer, true},
};

HRESULT RegisterServer(const std::wstring& modulePath);
HRESULT UnregisterServer();

// A component error with a control-facility code, as ADO, DAO and SQL-DMO
// raise their own numbered errors (3146 becomes 0x800A0C4A).
Fault ControlError(int number, std::wstring description, std::wstring source);

// 3265, an unknown item, in the words of `component` ("ado", "dao").
Fault NotFound(const std::wstring& component, std::wstring source);

struct CollectionTexts {
  std::wstring type;  // "ado.Properties"
  bool shortCount;    // DAO counts with 16-bit integers, ADO with 32-bit
  Fault notFound;     // Item with an unknown position (any integer type) or name (any case)
};

// Count, Item(position | name) as the default member, over items that are
// produced on every call (so the collection always shows the current ones).
NodeRef NewCollection(const CollectionTexts& texts, std::function<std::vector<NodeRef>()> items);

// A member that returns a collection and, like VB's Fields(0), hands any
// argument on to the collection's Item.
Member CollectionMember(std::wstring name, std::function<NodeRef()> make);

namespace g = testing::golden;

// A table's value as the components answer it: texts in UTF-16.
inline Val Answer(const g::Typed& value) {
  if (auto* text = std::get_if<std::string>(&value)) return Widen(*text);
  if (auto* n = std::get_if<int16_t>(&value)) return *n;
  return std::get<int32_t>(value);
}

// A listing of {Name, Value} items, then the scenario's own for `owner`
// ("ado", "dao.engine", "dao.workspace").
NodeRef NewPropertyList(const std::wstring& owner, const std::vector<g::Setting>& items);

// The rows a query gives, or nothing for a query the stand-in does not know.
struct Rows {
  std::vector<std::wstring> columns;
  std::vector<std::vector<Val>> values;
};
std::optional<Rows> RunQuery(const std::wstring& sql);

// A cursor over rows with EOF, Fields, MoveNext and Close, shared by the ADO
// and DAO recordsets.
struct Cursor {
  Rows rows;
  size_t position = 0;
  bool open = false;
};
struct CursorTexts {
  std::wstring component;  // "ado", "dao"
  bool shortCount;
  Fault closed;     // any use of a closed recordset
  Fault noCurrent;  // a field read or MoveNext at EOF
  Fault notFound;   // an unknown field
};
void AddCursorMembers(Node& node, std::shared_ptr<Cursor> cursor, const CursorTexts& texts);

}  // namespace sondalink::standin
