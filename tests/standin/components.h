// The stand-in classes and the pieces they share: collections, property
// listings and the two queries the program sends.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "node.h"
#include "scenario.h"

namespace sondalink::standin {

// Objects the class factory hands out.
NodeRef NewAdoConnection();
NodeRef NewAdoRecordset();
NodeRef NewDaoEngine();  // one per process while anybody holds it
NodeRef NewDmoServer();

// A component error with a control-facility code, as ADO, DAO and SQL-DMO
// raise their own numbered errors (3146 becomes 0x800A0C4A).
Fault ControlError(int number, std::wstring description, std::wstring source);

// The value of a scenario cell; a failure cell throws its fault.
Val FromCell(const Cell& cell);

// Texts of a collection's missing item, per component.
struct CollectionTexts {
  std::wstring type;       // "ado.Properties"
  bool shortCount;         // DAO counts with 16-bit integers, ADO with 32-bit
  Fault notFound;          // Item with an unknown position or name
};

// Count, Item(position | name) as the default member, over items that are
// produced on every call (so the collection always shows the current ones).
NodeRef NewCollection(const CollectionTexts& texts, std::function<std::vector<NodeRef>()> items,
                      std::function<void(Node&)> extraMembers = {});

// Looks an item up by position (any integer type) or by name, any case.
NodeRef FindItem(const std::vector<NodeRef>& items, const Args& args, size_t at, const Fault& notFound);

// Getter for a member that returns a collection and, like VB's Fields(0),
// hands any arguments on to the collection's Item.
Getter CollectionMember(std::function<NodeRef()> make);

// A listing of {Name, Value} items, then the scenario's own for `owner`
// ("ado", "dao.engine", "dao.workspace").
NodeRef NewPropertyList(const std::wstring& owner, std::vector<Attribute> items);

// The rows a query gives, or nothing for a query the stand-in does not know.
struct Rows {
  std::vector<std::wstring> columns;
  std::vector<std::vector<Cell>> values;
};
std::optional<Rows> RunQuery(const std::wstring& sql);

// A cursor over rows with EOF, BOF, Fields, MoveNext, RecordCount and Close,
// shared by the ADO and DAO recordsets.
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

// Splits "key=value;key=value" (the connection strings) without unquoting.
std::wstring ConnectionStringPart(const std::wstring& text, const std::wstring& key);

}  // namespace sondalink::standin
