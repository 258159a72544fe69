// The cases of the ADO, DAO ODBCDirect and SQL-DMO tests, one row each:
// the scenario (which member fails and how, extra properties, Null values,
// empty result sets), the user's inputs, the edits to the golden log, how
// the run ends and the calls that must and must not reach the component.
// The native tests translate a row to the fakes, the end-to-end tests to
// stand-in scenario lines; a row only one of them can play says so.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
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
};

// An argument and a call as the stand-in's journal writes them; the native
// tests write the fakes' journal the same way.
inline std::string ArgText(const Arg& a) {
  switch (a.kind) {
    case Arg::Bstr: {
      std::string text;
      for (char c : a.text) {
        const char* e = c == '\\'   ? "\\\\"
                        : c == '"'  ? "\\\""
                        : c == '\r' ? "\\r"
                        : c == '\n' ? "\\n"
                        : c == '\t' ? "\\t"
                                    : nullptr;
        text += e ? e : std::string(1, c);
      }
      return "VT_BSTR \"" + text + "\"";
    }
    case Arg::I2: return "VT_I2 " + std::to_string(a.number);
    case Arg::I4: return "VT_I4 " + std::to_string(a.number);
    case Arg::Bool: return std::string("VT_BOOL ") + (a.number ? "True" : "False");
    case Arg::Dispatch: return "VT_DISPATCH <" + a.text + ">";
  }
  return "";
}
inline std::string JournalLine(const Call& call) {
  std::string line = call.verb + " " + call.target;
  if (call.verb == "put") return line + " = " + ArgText(call.args.at(0));
  if (call.verb == "create" || (call.verb == "get" && call.args.empty())) return line;
  for (size_t i = 0; i < call.args.size(); ++i) line += (i ? ", " : "(") + ArgText(call.args[i]);
  return line + (call.args.empty() ? "()" : ")");
}

enum class End { Success, Failure, NoBox };
// SQL-DMO's own file, in the native tests: its version resource as given.
enum class DmoFile { Versioned, NoVersion, NegativeHalves, Missing, Unreadable };
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
  DmoFile dmoFile = DmoFile::Versioned;
  int runs = 1;  // runs of the test in one program, each alike
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

// The row's calls in a journal, in their order, and none of its notCalls.
inline void ExpectCalls(const std::vector<std::string>& journal, const Case& row) {
  auto next = journal.begin();
  for (const Call& call : row.calls) {
    next = std::find(next, journal.end(), JournalLine(call));
    EXPECT_NE(next, journal.end()) << "not in its place in the journal: " << JournalLine(call);
    if (next == journal.end()) next = journal.begin();
  }
  for (const Call& call : row.notCalls) {
    for (const std::string& line : journal) EXPECT_NE(line.rfind(call.verb + " " + call.target, 0), 0u) << line;
  }
  // DAO's engine lives as long as the program, through all of its runs.
  if (row.runs > 1) {
    EXPECT_LE(std::count(journal.begin(), journal.end(), "create dao.DBEngine"), 1);
  }
}

// No more of the password in the log, its echo (less the path lines) and
// the boxes than the expected texts hold: a short one may stand in other
// words. A line matched by a pattern ('\x01') holds machine facts.
inline void ExpectPasswordHidden(const std::string& pw, const std::vector<std::string>& log,
                                 const std::vector<std::string>& want, std::string echo, const std::string& boxes,
                                 const std::string& wantBoxes) {
  std::string all;
  for (size_t i = 0; i < log.size(); ++i) {
    all += log[i] + "\n";
    if (i < want.size() && want[i].rfind('\x01', 0) != 0) {
      EXPECT_LE(Occurrences(log[i], pw), Occurrences(want[i], pw)) << log[i];
    }
  }
  echo = echo.substr(echo.find("\r\n") + 2, echo.rfind("\r\n") - echo.find("\r\n"));
  EXPECT_LE(Occurrences(echo, pw), Occurrences(all, pw));
  EXPECT_LE(Occurrences(boxes, pw), Occurrences(wantBoxes, pw));
}

}  // namespace sondalink::testing::golden
