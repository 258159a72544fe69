#include "journal.h"

#include <mutex>

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
  HANDLE file = ::CreateFileW(path.c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(file);
}

std::wstring EscapeForJournal(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size());
  for (wchar_t c : text) {
    switch (c) {
      case L'\r': out += L"\\r"; break;
      case L'\n': out += L"\\n"; break;
      case L'\t': out += L"\\t"; break;
      case L'\\': out += L"\\\\"; break;
      case L'"': out += L"\\\""; break;
      default: out += c;
    }
  }
  return out;
}

namespace {

const wchar_t* TypeName(VARTYPE type) {
  switch (type) {
    case VT_EMPTY: return L"VT_EMPTY";
    case VT_NULL: return L"VT_NULL";
    case VT_I2: return L"VT_I2";
    case VT_I4: return L"VT_I4";
    case VT_R4: return L"VT_R4";
    case VT_R8: return L"VT_R8";
    case VT_CY: return L"VT_CY";
    case VT_DATE: return L"VT_DATE";
    case VT_BSTR: return L"VT_BSTR";
    case VT_DISPATCH: return L"VT_DISPATCH";
    case VT_ERROR: return L"VT_ERROR";
    case VT_BOOL: return L"VT_BOOL";
    case VT_VARIANT: return L"VT_VARIANT";
    case VT_UNKNOWN: return L"VT_UNKNOWN";
    case VT_DECIMAL: return L"VT_DECIMAL";
    case VT_I1: return L"VT_I1";
    case VT_UI1: return L"VT_UI1";
    case VT_UI2: return L"VT_UI2";
    case VT_UI4: return L"VT_UI4";
    case VT_I8: return L"VT_I8";
    case VT_UI8: return L"VT_UI8";
    case VT_INT: return L"VT_INT";
    case VT_UINT: return L"VT_UINT";
    default: return nullptr;
  }
}

}  // namespace

std::wstring Describe(const VARIANT& value) {
  const VARTYPE type = V_VT(&value);
  const VARTYPE base = type & VT_TYPEMASK;
  std::wstring name;
  if (const wchar_t* known = TypeName(base)) {
    name = known;
  } else {
    name = L"VT_" + std::to_wstring(base);
  }
  if (type & VT_ARRAY) name += L"|VT_ARRAY";
  if (type & VT_BYREF) name += L"|VT_BYREF";
  if (type & VT_ARRAY) return name;

  // The value itself, through the reference when there is one.
  VARIANT plain;
  ::VariantInit(&plain);
  if (type & VT_BYREF) {
    if (FAILED(::VariantCopyInd(&plain, const_cast<VARIANT*>(&value)))) return name;
  } else if (FAILED(::VariantCopy(&plain, const_cast<VARIANT*>(&value)))) {
    return name;
  }
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
    case VT_ERROR: {
      wchar_t buffer[16];
      swprintf(buffer, 16, L" 0x%08lX", static_cast<unsigned long>(V_ERROR(&plain)));
      text = buffer;
      break;
    }
    case VT_DISPATCH:
    case VT_UNKNOWN: {
      Node* node = Node::From(V_UNKNOWN(&plain));
      text = node ? L" <" + node->type() + L">" : (V_UNKNOWN(&plain) ? L" <foreign>" : L" <nothing>");
      break;
    }
    default: {
      VARIANT converted;
      ::VariantInit(&converted);
      // Invariant locale, so the journal reads the same on every machine.
      if (SUCCEEDED(::VariantChangeTypeEx(&converted, &plain, LOCALE_INVARIANT, 0, VT_BSTR))) {
        text = L" " + std::wstring(V_BSTR(&converted), ::SysStringLen(V_BSTR(&converted)));
      }
      ::VariantClear(&converted);
    }
  }
  ::VariantClear(&plain);
  return name + text;
}

}  // namespace sondalink::standin
