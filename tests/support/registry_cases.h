// The COM class server lookup, one table for both builds: each row writes
// its keys below HKEY_CLASSES_ROOT (natively into the fake registry, under
// Wine into the real one) and says what CercaComponenteCOM finds there. The
// environment report's rows (report_contract.cpp) write theirs the same way.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace sondalink::testing {

enum RegType : uint32_t { kKeyOnly = 0, kSz = 1, kExpandSz = 2, kBinary = 3, kDword = 4 };

struct RegEntry {
  std::string path;  // below HKEY_CLASSES_ROOT; the default value is written
  RegType type;
  // A text (UTF-8), stored with its NUL in the code page the calls use; any
  // other type's bytes as they are.
  std::string data;
  bool raw = false;  // a text's bytes exactly, no NUL added: only the fake stores one
};

// The keys of one row, gone again after it. Each build defines it.
class ClassesRootForTest {
 public:
  ClassesRootForTest();
  ~ClassesRootForTest();
  void Write(const RegEntry& entry);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The files and the variable a report row meets, each build its own way: in
// `folder`, "versione.dll" with the file version 1.2.32768.65535 and
// "senza.dll" with none; SONDALINK_PROVA names `folder`, no backslash after.
class ReportFiles {
 public:
  explicit ReportFiles(const std::string& folder);
  ~ReportFiles();
  ReportFiles(const ReportFiles&) = delete;
  ReportFiles& operator=(const ReportFiles&) = delete;
};

struct ServerCase {
  const char* name;
  std::vector<RegEntry> entries;
  std::string found;  // what CercaComponenteCOM gives for "Sondalink.Prova.<name>"
  std::string key;    // the key text it leaves; "prima" is what it was before
  bool expandable;
};

inline void PrintTo(const ServerCase& c, std::ostream* os) { *os << c.name; }

inline std::string Clsid(const char* row) { return "{" + std::string(row) + "-0000-4000-8000-0000534F4E44}"; }
inline RegEntry ClassOf(const char* row) {
  return {std::string("Sondalink.Prova.") + row + "\\CLSID", kSz, Clsid(row)};
}
inline RegEntry Server(const char* row, const char* subKey, RegType type, std::string data, bool raw = false) {
  return {"CLSID\\" + Clsid(row) + "\\" + subKey, type, std::move(data), raw};
}
inline std::string KeyOf(const char* row, const char* subKey) {
  return "HKEY_CLASSES_ROOT\\CLSID\\" + Clsid(row) + "\\" + subKey;
}

constexpr const char* kIn = "InprocServer32";
constexpr const char* kLocal = "LocalServer32";
constexpr const char* kTried = "HKEY_CLASSES_ROOT\\CLSID\\\\LocalServer32";  // with no CLSID

// A row whose class names its CLSID, with these servers below it (each
// entry's path is its subkey); the key left is the first server's.
inline ServerCase Row(const char* row, std::vector<RegEntry> servers, std::string found, bool expandable = false) {
  ServerCase c{row, {ClassOf(row)}, std::move(found), KeyOf(row, servers.at(0).path.c_str()), expandable};
  for (RegEntry& e : servers) c.entries.push_back(Server(row, e.path.c_str(), e.type, std::move(e.data), e.raw));
  return c;
}

inline std::vector<ServerCase> ServerCases() {
  using std::string;
  return {
      Row("InprocFirst", {{kIn, kSz, "C:\\Windows\\prova.dll"}, {kLocal, kSz, "C:\\prova.exe"}},
          "C:\\Windows\\prova.dll"),
      Row("LocalCommandLine", {{kLocal, kSz, "\"C:\\Program Files\\Sonda\\sonda.exe\" /automation"}},
          "\"C:\\Program Files\\Sonda\\sonda.exe\" /automation"),
      {"NoClsidKey", {{"Sondalink.Prova.NoClsidKey", kKeyOnly, ""}}, "", "prima", false},
      {"NoClass", {}, "", "prima", false},
      {"ClsidWithoutValue", {{"Sondalink.Prova.ClsidWithoutValue\\CLSID", kKeyOnly, ""}}, "", kTried, false},
      {"ClsidNotAString", {{"Sondalink.Prova.ClsidNotAString\\CLSID", kBinary, "{ID-3}"}}, "", kTried, false},
      // An InprocServer32 key without a text ends the search there.
      Row("InprocNumber", {{kIn, kDword, string(4, '\1')}, {kLocal, kSz, "C:\\sonda.exe"}}, ""),
      Row("InprocBinary", {{kIn, kBinary, string("%X%\0", 4)}}, ""),
      Row("ExpandableInproc", {{kIn, kExpandSz, "%SystemRoot%\\System32\\sonda.dll"}},
          "%SystemRoot%\\System32\\sonda.dll", true),
      Row("ExpandableLocal", {{kLocal, kExpandSz, "\"%ProgramFiles%\\p.exe\" /a"}}, "\"%ProgramFiles%\\p.exe\" /a",
          true),
      Row("PercentInAPlainText", {{kIn, kSz, "%SystemRoot%\\prova.dll"}}, "%SystemRoot%\\prova.dll"),
      Row("NulInside", {{kIn, kSz, string("C:\\sonda.dll\0resto", 18)}}, "C:\\sonda.dll"),
      Row("EmptyText", {{kIn, kSz, ""}}, ""),
      Row("Accented", {{kIn, kSz, "C:\\Società\\sonda.dll"}}, "C:\\Società\\sonda.dll"),
      Row("WithoutTerminator", {{kIn, kSz, "senza terminatore", true}}, "senza terminatore"),
  };
}

}  // namespace sondalink::testing
