#include <mutex>
#include <utility>

#include "lines.h"
#include "node.h"
#include "scenario.h"

namespace sondalink::standin {

void Journal(const std::wstring& line) {
  static auto* mutex = new std::mutex();  // never destroyed, as the scenario
  const std::wstring& path = Current().journalPath;
  if (path.empty()) return;
  std::string bytes = Narrow(line) + "\n";
  std::lock_guard<std::mutex> lock(*mutex);
  // Opened per line, shared, so that a test can read or delete the journal
  // while the program still holds the stand-in objects.
  win32::unique_hfile file(::CreateFileW(path.c_str(), FILE_APPEND_DATA,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (file) ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

namespace {

// Keeps a value on one line.
std::wstring EscapeForJournal(const std::wstring& text) { return Widen(Escape(Narrow(text), "\"")); }

#define SONDALINK_VT(name) {name, L## #name}
const std::pair<VARTYPE, const wchar_t*> kTypeNames[] = {
    SONDALINK_VT(VT_EMPTY), SONDALINK_VT(VT_NULL),    SONDALINK_VT(VT_I2),      SONDALINK_VT(VT_I4),
    SONDALINK_VT(VT_R4),    SONDALINK_VT(VT_R8),      SONDALINK_VT(VT_CY),      SONDALINK_VT(VT_DATE),
    SONDALINK_VT(VT_BSTR),  SONDALINK_VT(VT_DISPATCH), SONDALINK_VT(VT_ERROR),  SONDALINK_VT(VT_BOOL),
    SONDALINK_VT(VT_VARIANT), SONDALINK_VT(VT_UNKNOWN), SONDALINK_VT(VT_DECIMAL), SONDALINK_VT(VT_I1),
    SONDALINK_VT(VT_UI1),   SONDALINK_VT(VT_UI2),     SONDALINK_VT(VT_UI4),     SONDALINK_VT(VT_I8),
    SONDALINK_VT(VT_UI8),   SONDALINK_VT(VT_INT),     SONDALINK_VT(VT_UINT)};
#undef SONDALINK_VT

}  // namespace

std::optional<Fault> StartRun() {
  std::optional<std::wstring> error = BeginRun();
  if (!error) return std::nullopt;
  Journal(L"scenario-error " + EscapeForJournal(*error));
  return Fault{E_FAIL, *error, L"Sondalink stand-in"};
}

std::wstring Hex(HRESULT code) { return Widen(Hex(static_cast<uint32_t>(code))); }

std::wstring Describe(const VARIANT& value) {
  const VARTYPE type = V_VT(&value);
  const VARTYPE base = type & VT_TYPEMASK;
  std::wstring name = L"VT_" + std::to_wstring(base);
  for (const auto& [known, text] : kTypeNames) {
    if (known == base) name = text;
  }
  if (type & VT_ARRAY) name += L"|VT_ARRAY";
  if (type & VT_BYREF) name += L"|VT_BYREF";
  if (type & VT_ARRAY) return name;

  // The value itself, through the reference when there is one.
  win32::unique_variant copy;
  if (FAILED(::VariantCopyInd(copy.get(), const_cast<VARIANT*>(&value)))) return name;
  const VARIANT& plain = *copy.get();
  std::wstring text;
  switch (V_VT(&plain)) {
    case VT_EMPTY:
    case VT_NULL:
      break;
    case VT_BSTR:
      text = L" \"" + EscapeForJournal(std::wstring(V_BSTR(&plain), ::SysStringLen(V_BSTR(&plain)))) + L"\"";
      break;
    case VT_BOOL:
      text = V_BOOL(&plain) ? L" True" : L" False";
      break;
    case VT_ERROR:
      text = L" " + Hex(V_ERROR(&plain));
      break;
    case VT_DISPATCH:
    case VT_UNKNOWN: {
      Node* node = Node::From(V_UNKNOWN(&plain));
      text = node ? L" <" + node->type() + L">" : (V_UNKNOWN(&plain) ? L" <foreign>" : L" <nothing>");
      break;
    }
    default: {
      win32::unique_variant converted;
      // Invariant locale, so the journal reads the same on every machine.
      if (SUCCEEDED(::VariantChangeTypeEx(converted.get(), copy.get(), LOCALE_INVARIANT, 0, VT_BSTR))) {
        text = L" " + std::wstring(V_BSTR(converted.get()), ::SysStringLen(V_BSTR(converted.get())));
      }
    }
  }
  return name + text;
}

}  // namespace sondalink::standin
