// What the stand-in components do in one test run: their data, which members
// fail and how, which are slow, and where calls are journalled. Read from a
// text file that the test writes; the format is described in scenario.cpp.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "node.h"

namespace sondalink::standin {

struct Attribute {
  std::wstring name;
  Val value;
};

// A failure or a delay for the members that a target names.
struct Rule {
  std::wstring target;  // "<type>.<member>" or "<type>[<label>].<member>", any case
  int occurrence = 0;   // 0: every call; n: only the n-th matching call of the run
  Fault fault;          // for failure rules
  int delayMs = 0;      // for delay rules
  int seen = 0;         // matching calls so far in this run
};

struct Scenario {
  std::wstring journalPath;  // empty: nothing is journalled
  bool journalReads = true;  // "get" lines; off keeps big listings fast
  // The machine holds the design-time licence of the licensed classes (as
  // developer tools install it): DAO's engine is created without its key.
  bool designLicence = false;
  Val version;
  int versionRows = 1;
  std::vector<Attribute> serverInfo;
  // Property listings by owner: "ado", "dao.engine", "dao.workspace".
  std::map<std::wstring, std::vector<Attribute>> properties;
  std::vector<Rule> failures;
  std::vector<Rule> delays;
  std::wstring releaseEvent;  // set: the delays are over

  // The failure that applies to this call, counting the call.
  std::optional<Fault> FaultFor(const std::wstring& type, const std::wstring& label,
                                const std::wstring& member);
  int DelayFor(const std::wstring& type, const std::wstring& label, const std::wstring& member);
  // Waits that long, or until the release event is set.
  void Delay(int milliseconds) const;
};

// Starts a run, as creating an ADO Connection or an SQL-DMO SQLServer and
// DAO's CreateWorkspace (the engine outlives runs) do: reads the scenario
// afresh (SONDALINK_STANDIN_SCENARIO names the file; else standin-scenario.txt
// beside the DLL; else the defaults) and resets the per-run call counts.
// Returns an error text when the file is malformed or unreadable.
std::optional<std::wstring> BeginRun();
// The scenario of the current run (starting one when none has begun).
Scenario& Current();
// Whether the machine holds the design-time licence: the machine's, not a
// run's (the DAO engine is created before its run begins), so the scenario
// file is read afresh for it at each look.
bool DesignLicenceInstalled();

// `text` without any of `blanks` at either end.
std::wstring Trim(const std::wstring& text, const wchar_t* blanks = L" \t\r\n");

// The DLL's own path.
std::wstring ModulePath();

}  // namespace sondalink::standin
