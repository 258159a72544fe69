// Scenario files of the stand-in data-access components.
//
// UTF-8, one "key=value" a line; blank lines and lines that begin with '#'
// are skipped, keys are case-insensitive. A repeated key takes the later
// value, but info, property.*, fail.* and delay.* add up. In values
// \r \n \t \\ \| and \@ stand for CR, LF, tab, '\', '|' and a leading '@'.
//
//   journal=<path>          where the calls are journalled (default:
//                           standin-journal.txt beside the DLL; empty: none).
//                           Here and in SONDALINK_STANDIN_SCENARIO a path
//                           that begins with '/' is a Unix one, reached on Z:
//   journal.reads=yes|no    whether property reads are journalled (default
//                           yes; "no" keeps a 10000-row listing fast)
//   licence.design=yes|no   whether the machine holds the design-time licence
//                           of DAO's engine (default no, a user's machine:
//                           only a creation with the run-time key works)
//   version=<value>         field 0 of "SELECT @@VERSION", SQL-DMO's VersionString
//   version.rows=0|1        the rows "SELECT @@VERSION" gives
//   info=<name>|<value>     one "sp_server_info" row; the first replaces the
//                           built-in rows
//   info.rows=<n>           n rows ATTRIBUTE_i = valore i instead
//   property.<owner>=<name>|<value>
//   property.<owner>.extra=<n>
//                           one more property (or n more, Proprieta_i = i)
//                           after the built-in ones of a listing; <owner>
//                           is ado, dao.engine or dao.workspace
//   fail.<target>[#<n>]=<code>|<description>|<source>[|<mode>]
//                           the member fails (with #n only at its n-th call
//                           in the run) with <code>, a failing HRESULT, 0x...
//                           or signed decimal. <mode>: excepinfo (default:
//                           the texts in EXCEPINFO), deferred (only through
//                           pfnDeferredFillIn) or errorinfo (the code as
//                           Invoke's result, the texts through IErrorInfo)
//   delay.<target>=<ms>     the member waits that long before it answers
//   release=<name>          a named event that ends every delay once it is set
//
// <value>: a text, or @null, @empty, @i2:<n>, @i4:<n>, @r8:<x>,
// @bool:true|false, or @fail:<code>|<description>|<source>[|<mode>] for a
// read that fails. <target>: <type>.<member> or <type>[<label>].<member>, any
// case, with the types of the journal and a property's or field's name as
// the label: ado.Property[Current Catalog].Value. The member "create" is the
// creation of a class's object: fail.ado.Recordset.create#2=... fails the
// second recordset's.
//
// A malformed line fails the creation or the call that begins the run; the
// lines before it still apply, so the error reaches the journal they name.

#include "scenario.h"

#include <cwctype>
#include <fstream>
#include <sstream>

#include "../support/host_path.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;  // this DLL's own module

namespace sondalink::standin {

namespace {

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

std::wstring Unescape(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != L'\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    switch (wchar_t c = text[++i]) {
      case L'r': out += L'\r'; break;
      case L'n': out += L'\n'; break;
      case L't': out += L'\t'; break;
      default: out += c;  // \\ \| \@ and any other escaped character
    }
  }
  return out;
}

// The first unescaped '|' from `from` on, or npos.
size_t FindBar(const std::wstring& text, size_t from = 0) {
  for (size_t i = from; i < text.size(); ++i) {
    if (text[i] == L'\\') {
      ++i;
    } else if (text[i] == L'|') {
      return i;
    }
  }
  return std::wstring::npos;
}

// Splits at unescaped '|' and unescapes each part.
std::vector<std::wstring> SplitBars(const std::wstring& text) {
  std::vector<std::wstring> parts;
  size_t start = 0;
  for (size_t bar; (bar = FindBar(text, start)) != std::wstring::npos; start = bar + 1) {
    parts.push_back(Unescape(text.substr(start, bar - start)));
  }
  parts.push_back(Unescape(text.substr(start)));
  return parts;
}

struct ParseError {
  std::wstring message;
};

int32_t ParseInteger(const std::wstring& text) {
  std::wstring t = Trim(text);
  if (t.empty()) throw ParseError{L"a number is missing"};
  wchar_t* end = nullptr;
  long long n = 0;
  if (t.size() > 2 && t[0] == L'0' && (t[1] == L'x' || t[1] == L'X')) {
    n = static_cast<long long>(std::wcstoull(t.c_str() + 2, &end, 16));
  } else {
    n = std::wcstoll(t.c_str(), &end, 10);
  }
  if (*end != 0) throw ParseError{L"not a number: " + t};
  if (n < INT32_MIN || n > static_cast<long long>(UINT32_MAX)) throw ParseError{L"number out of range: " + t};
  return static_cast<int32_t>(static_cast<uint32_t>(n));
}

// A count or a delay: a number that cannot be negative.
int32_t ParseCount(const std::wstring& text, const wchar_t* complaint) {
  int32_t n = ParseInteger(text);
  if (n < 0) throw ParseError{complaint};
  return n;
}

// <code>|<description>|<source>[|<mode>], still escaped.
Fault ParseFault(const std::wstring& text) {
  const std::vector<std::wstring> parts = SplitBars(text);
  if (parts.size() < 3 || parts.size() > 4) throw ParseError{L"a failure is <code>|<description>|<source>[|<mode>]"};
  Fault fault{ParseInteger(parts[0]), parts[1], parts[2]};
  if (fault.code >= 0) throw ParseError{L"a failure code must be a failing HRESULT: " + parts[0]};
  if (parts.size() == 4) {
    static const std::map<std::wstring, FaultMode> kModes = {
        {L"excepinfo", FaultMode::kExcepInfo}, {L"deferred", FaultMode::kDeferred}, {L"errorinfo", FaultMode::kErrorInfo}};
    auto mode = kModes.find(Lower(Trim(parts[3])));
    if (mode == kModes.end()) throw ParseError{L"unknown failure mode: " + parts[3]};
    fault.mode = mode->second;
  }
  return fault;
}

// A value as written after "=" or after a name and '|', still escaped.
Val ParseValue(const std::wstring& raw) {
  if (raw.empty() || raw[0] != L'@') return Unescape(raw);
  std::wstring lower = Lower(raw);
  if (lower == L"@null") return Null{};
  if (lower == L"@empty") return Empty{};
  if (lower.starts_with(L"@i2:")) {
    int32_t n = ParseInteger(raw.substr(4));
    if (n < INT16_MIN || n > INT16_MAX) throw ParseError{L"not a 16-bit number: " + raw};
    return static_cast<int16_t>(n);
  }
  if (lower.starts_with(L"@i4:")) return ParseInteger(raw.substr(4));
  if (lower.starts_with(L"@r8:")) {
    wchar_t* end = nullptr;
    std::wstring t = Trim(raw.substr(4));
    double d = std::wcstod(t.c_str(), &end);
    if (t.empty() || *end != 0) throw ParseError{L"not a number: " + t};
    return d;
  }
  if (lower == L"@bool:true") return true;
  if (lower == L"@bool:false") return false;
  if (lower.starts_with(L"@fail:")) return ParseFault(raw.substr(6));
  throw ParseError{L"unknown typed value: " + raw};
}

bool ParseYesNo(const std::wstring& value) {
  std::wstring v = Lower(Trim(value));
  if (v == L"yes" || v == L"1" || v == L"true") return true;
  if (v == L"no" || v == L"0" || v == L"false") return false;
  throw ParseError{L"expected yes or no: " + value};
}

Attribute ParseAttribute(const std::wstring& value) {
  size_t bar = FindBar(value);
  if (bar == std::wstring::npos) throw ParseError{L"expected <name>|<value>"};
  return Attribute{Unescape(value.substr(0, bar)), ParseValue(value.substr(bar + 1))};
}

bool Matches(const Rule& rule, const std::wstring& type, const std::wstring& label,
             const std::wstring& member) {
  const std::wstring& t = rule.target;
  if (_wcsicmp(t.c_str(), (type + L"." + member).c_str()) == 0) return true;
  return !label.empty() && _wcsicmp(t.c_str(), (type + L"[" + label + L"]." + member).c_str()) == 0;
}

// A path from the Unix side (a CTest ENVIRONMENT property, a shell script).
std::wstring WindowsPath(const std::wstring& path) { return testing::FromHost(Narrow(path)); }

// Never destroyed: the program may release a stand-in object (the DAO
// engine lives as long as the process) after this DLL's statics are gone.
std::unique_ptr<Scenario>& CurrentSlot() {
  static auto* current = new std::unique_ptr<Scenario>();
  return *current;
}

std::optional<std::wstring> ParseScenario(const std::string& text, Scenario& s) {
  std::wistringstream lines(Widen(text));
  std::wstring line;
  int number = 0;
  bool ownInfo = false;
  try {
    while (std::getline(lines, line)) {
      ++number;
      if (number == 1 && !line.empty() && line[0] == 0xFEFF) line.erase(0, 1);
      if (!line.empty() && line.back() == L'\r') line.pop_back();
      std::wstring trimmed = Trim(line);
      if (trimmed.empty() || trimmed[0] == L'#') continue;
      size_t eq = line.find(L'=');
      if (eq == std::wstring::npos) throw ParseError{L"expected key=value"};
      std::wstring key = Lower(Trim(line.substr(0, eq)));
      std::wstring value = line.substr(eq + 1);

      if (key == L"journal") {
        s.journalPath = WindowsPath(Unescape(Trim(value)));
      } else if (key == L"release") {
        s.releaseEvent = Unescape(Trim(value));
      } else if (key == L"journal.reads") {
        s.journalReads = ParseYesNo(value);
      } else if (key == L"licence.design") {
        s.designLicence = ParseYesNo(value);
      } else if (key == L"version") {
        s.version = ParseValue(value);
      } else if (key == L"version.rows") {
        int32_t n = ParseInteger(value);
        if (n != 0 && n != 1) throw ParseError{L"version.rows is 0 or 1"};
        s.versionRows = n;
      } else if (key == L"info") {
        if (!ownInfo) s.serverInfo.clear();
        ownInfo = true;
        s.serverInfo.push_back(ParseAttribute(value));
      } else if (key == L"info.rows") {
        int32_t n = ParseCount(value, L"info.rows cannot be negative");
        ownInfo = true;
        s.serverInfo.clear();
        for (int32_t i = 1; i <= n; ++i) {
          s.serverInfo.push_back({L"ATTRIBUTE_" + std::to_wstring(i), L"valore " + std::to_wstring(i)});
        }
      } else if (key.starts_with(L"property.")) {
        std::wstring owner = key.substr(9);
        const bool extra = owner.ends_with(L".extra");
        if (extra) owner.resize(owner.size() - 6);
        if (owner != L"ado" && owner != L"dao.engine" && owner != L"dao.workspace") {
          throw ParseError{L"unknown property owner: " + owner};
        }
        auto& list = s.properties[owner];
        if (extra) {
          int32_t n = ParseCount(value, L"a count cannot be negative");
          for (int32_t i = 1; i <= n; ++i) list.push_back({L"Proprieta_" + std::to_wstring(i), i});
        } else {
          list.push_back(ParseAttribute(value));
        }
      } else if (key.starts_with(L"fail.") || key.starts_with(L"delay.")) {
        const bool fail = key[0] == L'f';
        Rule rule;
        rule.target = Trim(line.substr(0, eq)).substr(fail ? 5 : 6);
        if (size_t hash = rule.target.find(L'#'); hash != std::wstring::npos) {
          rule.occurrence = ParseInteger(rule.target.substr(hash + 1));
          if (rule.occurrence < 1) throw ParseError{L"an occurrence counts from 1"};
          rule.target.resize(hash);
        }
        if (rule.target.find(L'.') == std::wstring::npos) throw ParseError{L"a target is <type>.<member>"};
        if (fail) {
          rule.fault = ParseFault(value);
          s.failures.push_back(rule);
        } else {
          rule.delayMs = ParseCount(value, L"a delay cannot be negative");
          s.delays.push_back(rule);
        }
      } else {
        throw ParseError{L"unknown key: " + key};
      }
    }
  } catch (const ParseError& error) {
    return L"line " + std::to_wstring(number) + L": " + error.message;
  }
  return std::nullopt;
}

// The defaults, with the scenario file over them when there is one.
std::optional<std::wstring> ReadScenario(Scenario& scenario) {
  const std::wstring dll = ModulePath();
  const std::wstring folder = dll.substr(0, dll.find_last_of(L"\\/") + 1);
  std::wstring file;
  wchar_t named[MAX_PATH * 2];
  DWORD n = ::GetEnvironmentVariableW(L"SONDALINK_STANDIN_SCENARIO", named, MAX_PATH * 2);
  if (n > 0 && n < MAX_PATH * 2) {
    file = WindowsPath(named);
  } else if (::GetFileAttributesW((folder + L"standin-scenario.txt").c_str()) != INVALID_FILE_ATTRIBUTES) {
    file = folder + L"standin-scenario.txt";
  }

  // The built-in run: every call succeeds, with a two-line version text
  // (CR LF inside) and a few server attributes.
  scenario = Scenario{};
  scenario.journalPath = folder + L"standin-journal.txt";
  scenario.version = std::wstring(
      L"SQL Server stand-in - 8.00.2039 (Intel X86)\r\n"
      L"\tcomponenti sostitutivi per i test di Sondalink");
  scenario.serverInfo = {
      {L"DBMS_NAME", std::wstring(L"SQL Server stand-in")},
      {L"DBMS_VER", std::wstring(L"SQL Server stand-in - 8.00.2039")},
      {L"OWNER_TERM", std::wstring(L"owner")},
      {L"TABLE_TERM", std::wstring(L"table")},
      {L"MAX_OWNER_NAME_LENGTH", std::wstring(L"128")},
  };
  if (file.empty()) return std::nullopt;

  std::ifstream in(file.c_str(), std::ios::binary);
  if (!in) return L"scenario " + file + L": cannot be read";
  std::stringstream bytes;
  bytes << in.rdbuf();
  if (std::optional<std::wstring> error = ParseScenario(bytes.str(), scenario)) {
    return L"scenario " + file + L", " + *error;
  }
  return std::nullopt;
}

}  // namespace

std::optional<Fault> Scenario::FaultFor(const std::wstring& type, const std::wstring& label,
                                        const std::wstring& member) {
  std::optional<Fault> found;
  for (Rule& rule : failures) {
    if (!Matches(rule, type, label, member)) continue;
    ++rule.seen;
    if (!found && (rule.occurrence == 0 || rule.occurrence == rule.seen)) found = rule.fault;
  }
  return found;
}

int Scenario::DelayFor(const std::wstring& type, const std::wstring& label, const std::wstring& member) {
  int total = 0;
  for (const Rule& rule : delays) {
    if (Matches(rule, type, label, member)) total += rule.delayMs;
  }
  return total;
}

void Scenario::Delay(int milliseconds) const {
  win32::unique_handle release(releaseEvent.empty() ? nullptr
                                                    : ::OpenEventW(SYNCHRONIZE, FALSE, releaseEvent.c_str()));
  if (release) {
    ::WaitForSingleObject(release.get(), static_cast<DWORD>(milliseconds));
  } else {
    ::Sleep(static_cast<DWORD>(milliseconds));
  }
}

std::wstring Trim(const std::wstring& text, const wchar_t* blanks) {
  size_t b = text.find_first_not_of(blanks);
  if (b == std::wstring::npos) return {};
  return text.substr(b, text.find_last_not_of(blanks) - b + 1);
}

std::wstring ModulePath() {
  std::wstring path(32768, L'\0');  // the longest path Windows has
  path.resize(::GetModuleFileNameW(reinterpret_cast<HMODULE>(&__ImageBase), path.data(), 32768));
  return path;
}

std::optional<std::wstring> BeginRun() {
  auto& slot = CurrentSlot();
  slot = std::make_unique<Scenario>();
  return ReadScenario(*slot);
}

bool DesignLicenceInstalled() {
  Scenario now;
  ReadScenario(now);  // a malformed file: as far as its good lines go
  return now.designLicence;
}

Scenario& Current() {
  auto& slot = CurrentSlot();
  if (!slot) BeginRun();
  return *slot;
}

}  // namespace sondalink::standin
