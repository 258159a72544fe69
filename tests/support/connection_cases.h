// The cases of the ADO, DAO ODBCDirect and SQL-DMO tests, one row each:
// the scenario (which member fails and how, extra properties, Null values,
// empty result sets), the user's inputs, the edits to the golden log, how
// the run ends and the calls that must and must not reach the component.
// The native tests translate a row to the fakes, the end-to-end tests to
// stand-in scenario lines; a row only one of them can play says so.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "golden_log.h"

namespace sondalink::testing::golden {

// A member that fails: "<type>.<member>" as the stand-in names it, with
// "#n" for its n-th access in the run only; the member "create" is the
// creation of the type's object.
struct Fault {
  std::string target;
  Failure failure;
};

// One more property after the built-in ones of a listing; `owner` is "ado",
// "dao.engine" or "dao.workspace".
struct Property {
  enum Kind { Text, Null, ValueFails, NameFails, Object } kind;
  std::string owner, name, value;
  Failure failure{};
};
inline Property Prop(std::string owner, std::string name, std::string value) {
  return {Property::Text, std::move(owner), std::move(name), std::move(value)};
}

// One sp_server_info row, whose value may fail to read.
struct InfoRow {
  std::string name, value;
  std::optional<Failure> fails;
};

// An argument as the stand-in's journal writes it.
struct Arg {
  enum Kind { Bstr, I2, I4, Bool, Dispatch } kind;
  std::string text;  // Bstr: the text; Dispatch: the object's type
  int32_t number = 0;
};
inline Arg Bstr(std::string t) { return {Arg::Bstr, std::move(t)}; }
inline Arg I2(int32_t n) { return {Arg::I2, "", n}; }
inline Arg I4(int32_t n) { return {Arg::I4, "", n}; }
inline Arg Bool(bool b) { return {Arg::Bool, "", b}; }
inline Arg Dispatch(std::string type) { return {Arg::Dispatch, std::move(type)}; }

// A call that reaches the component: verb "create", "call", "put" or "get"
// (a read with arguments: Item), the target "<type>.<member>" (for create
// the type alone) and its arguments.
struct Call {
  std::string verb, target;
  std::vector<Arg> args;
  std::string Type() const { return verb == "create" ? target : target.substr(0, target.rfind('.')); }
  std::string Member() const { return verb == "create" ? "" : target.substr(target.rfind('.') + 1); }
};

enum class End { Success, Failure, NoBox };
enum class World { Both, NativeOnly, WineOnly };

struct Case {
  const char* name;
  Component component;
  std::vector<Fault> faults;
  std::vector<Property> properties;
  std::optional<std::vector<InfoRow>> info;  // the rows instead of kInfo
  std::string version = kVersion;            // what the objects give
  bool versionNull = false;                  // ... a Null instead
  bool noVersionRow = false;                 // SELECT @@VERSION gives no row
  Inputs inputs;
  std::vector<Edit> edits;
  End end = End::Success;
  bool notepad = false;
  std::vector<Call> calls;     // in this order, among others
  std::vector<Call> notCalls;  // none of these, whatever the arguments
  World world = World::Both;
  std::optional<std::string> shown;  // the version logged, when not the one given
  friend void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

  std::string Shown() const {
    if (shown) return *shown;
    return versionNull || noVersionRow ? "" : version;
  }
  std::vector<Entry> Expected() const { return Apply(Log(component, inputs, Shown()), edits); }
};

// The connection string as the component gets it: the password in clear,
// as the connection string holds it.
inline std::string Real(Component c, const Inputs& in, const std::string& quoted) {
  std::string s = ConnectionString(c, in);
  if (in.trusted) return s;
  return s.replace(s.find("pwd=") + 4, in.password.empty() ? 0 : 8, quoted);
}
inline std::string Real(Component c, const Inputs& in) { return Real(c, in, in.password); }

}  // namespace sondalink::testing::golden
