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

inline std::vector<ServerCase> ServerCases() {
  using std::string;
  return {
      {"InprocFirst", {ClassOf("InprocFirst"), Server("InprocFirst", kIn, kSz, "C:\\Windows\\prova.dll"),
                       Server("InprocFirst", kLocal, kSz, "C:\\prova.exe")},
       "C:\\Windows\\prova.dll", KeyOf("InprocFirst", kIn), false},
      {"LocalCommandLine", {ClassOf("LocalCommandLine"),
                            Server("LocalCommandLine", kLocal, kSz, "\"C:\\Program Files\\Sonda\\sonda.exe\" /automation")},
       "\"C:\\Program Files\\Sonda\\sonda.exe\" /automation", KeyOf("LocalCommandLine", kLocal), false},
      {"NoClsidKey", {{"Sondalink.Prova.NoClsidKey", kKeyOnly, ""}}, "", "prima", false},
      {"NoClass", {}, "", "prima", false},
      {"ClsidWithoutValue", {{"Sondalink.Prova.ClsidWithoutValue\\CLSID", kKeyOnly, ""}}, "", kTried, false},
      {"ClsidNotAString", {{"Sondalink.Prova.ClsidNotAString\\CLSID", kBinary, "{ID-3}"}}, "", kTried, false},
      // An InprocServer32 key without a text ends the search there.
      {"InprocNumber", {ClassOf("InprocNumber"), Server("InprocNumber", kIn, kDword, string(4, '\1')),
                        Server("InprocNumber", kLocal, kSz, "C:\\sonda.exe")},
       "", KeyOf("InprocNumber", kIn), false},
      {"InprocBinary", {ClassOf("InprocBinary"), Server("InprocBinary", kIn, kBinary, string("%X%\0", 4))},
       "", KeyOf("InprocBinary", kIn), false},
      {"ExpandableInproc", {ClassOf("ExpandableInproc"),
                            Server("ExpandableInproc", kIn, kExpandSz, "%SystemRoot%\\System32\\sonda.dll")},
       "%SystemRoot%\\System32\\sonda.dll", KeyOf("ExpandableInproc", kIn), true},
      {"ExpandableLocal", {ClassOf("ExpandableLocal"),
                           Server("ExpandableLocal", kLocal, kExpandSz, "\"%ProgramFiles%\\p.exe\" /a")},
       "\"%ProgramFiles%\\p.exe\" /a", KeyOf("ExpandableLocal", kLocal), true},
      {"PercentInAPlainText", {ClassOf("PercentInAPlainText"),
                               Server("PercentInAPlainText", kIn, kSz, "%SystemRoot%\\prova.dll")},
       "%SystemRoot%\\prova.dll", KeyOf("PercentInAPlainText", kIn), false},
      {"NulInside", {ClassOf("NulInside"), Server("NulInside", kIn, kSz, string("C:\\sonda.dll\0resto", 18))},
       "C:\\sonda.dll", KeyOf("NulInside", kIn), false},
      {"EmptyText", {ClassOf("EmptyText"), Server("EmptyText", kIn, kSz, "")}, "", KeyOf("EmptyText", kIn), false},
      {"Accented", {ClassOf("Accented"), Server("Accented", kIn, kSz, "C:\\Società\\sonda.dll")},
       "C:\\Società\\sonda.dll", KeyOf("Accented", kIn), false},
      {"WithoutTerminator", {ClassOf("WithoutTerminator"), Server("WithoutTerminator", kIn, kSz, "senza terminatore", true)},
       "senza terminatore", KeyOf("WithoutTerminator", kIn), false},
  };
}

}  // namespace sondalink::testing
