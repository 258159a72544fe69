// Registration of the stand-in classes, and its exact undoing.
//
// Windows merges HKCU\Software\Classes into HKEY_CLASSES_ROOT, the per-user
// entries winning, so registering there is enough and touches nothing of the
// machine's. Wine 8 does not merge the two (HKEY_CLASSES_ROOT shows only
// HKLM\Software\Classes, for the registry functions and for COM alike), so
// when the per-user entries do not show through, the machine's classes are
// written too. Any key that was there before (Wine's own ADO entries) is
// copied aside first, under Software\SondalinkStandin\Saved of the same hive,
// and put back by the unregistration.
#include "components.h"

#include <olectl.h>

#include <optional>
#include <vector>

namespace sondalink::standin {

namespace {

const wchar_t kClassesPath[] = L"Software\\Classes\\";
const wchar_t kSavedPath[] = L"Software\\SondalinkStandin\\Saved\\";
const wchar_t kOwnPath[] = L"Software\\SondalinkStandin";
// Marks a key as written by the stand-in; holds the DLL's path.
const wchar_t kMarker[] = L"SondalinkStandin";

using Key = win32::unique_hkey;

bool Exists(HKEY hive, const std::wstring& path) {
  Key key;
  return ::RegOpenKeyExW(hive, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

// Class keys hold paths and names, far shorter than this.
std::optional<std::wstring> ReadString(HKEY root, const std::wstring& path, const wchar_t* name) {
  wchar_t buffer[4096];
  DWORD size = sizeof buffer;
  const DWORD flags = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
  if (::RegGetValueW(root, path.c_str(), name, flags, nullptr, buffer, &size) != ERROR_SUCCESS) return std::nullopt;
  return std::wstring(buffer);
}

// Whether HKEY_CLASSES_ROOT gives `path` the default value `expected`, in any case.
bool RootShows(const std::wstring& path, const std::wstring& expected) {
  std::optional<std::wstring> value = ReadString(HKEY_CLASSES_ROOT, path, nullptr);
  return value && _wcsicmp(value->c_str(), expected.c_str()) == 0;
}

LSTATUS WriteString(HKEY hive, const std::wstring& path, const wchar_t* name, const std::wstring& value) {
  return ::RegSetKeyValueW(hive, path.c_str(), name, REG_SZ, value.c_str(),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

LSTATUS CopyTree(HKEY hive, const std::wstring& from, const std::wstring& to) {
  Key source;
  LSTATUS status = ::RegOpenKeyExW(hive, from.c_str(), 0, KEY_READ, source.put());
  if (status != ERROR_SUCCESS) return status;
  Key target;
  status = ::RegCreateKeyExW(hive, to.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, target.put(), nullptr);
  if (status != ERROR_SUCCESS) return status;
  return ::RegCopyTreeW(source.get(), nullptr, target.get());
}

// The keys a class owns directly below the classes root.
std::vector<std::wstring> TopKeys(const ClassInfo& info) {
  std::vector<std::wstring> keys{std::wstring(L"CLSID\\") + info.clsid};
  if (info.progId) keys.emplace_back(info.progId);
  return keys;
}

bool Ours(HKEY hive, const std::wstring& top) { return ReadString(hive, kClassesPath + top, kMarker).has_value(); }

LSTATUS WriteClasses(HKEY hive, const std::wstring& dll) {
  for (const ClassInfo& info : kClasses) {
    for (const std::wstring& top : TopKeys(info)) {
      const std::wstring path = kClassesPath + top;
      if (Exists(hive, path)) {
        if (!Ours(hive, top) && !Exists(hive, kSavedPath + top)) {
          if (LSTATUS s = CopyTree(hive, path, kSavedPath + top); s != ERROR_SUCCESS) return s;
        }
        if (LSTATUS s = ::RegDeleteTreeW(hive, path.c_str()); s != ERROR_SUCCESS) return s;
      }
    }
    const std::wstring clsidPath = kClassesPath + std::wstring(L"CLSID\\") + info.clsid;
    LSTATUS s = WriteString(hive, clsidPath, nullptr, info.friendlyName);
    if (s == ERROR_SUCCESS) s = WriteString(hive, clsidPath, kMarker, dll);
    if (s == ERROR_SUCCESS) s = WriteString(hive, clsidPath + L"\\InprocServer32", nullptr, dll);
    if (s == ERROR_SUCCESS) s = WriteString(hive, clsidPath + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
    if (s == ERROR_SUCCESS && info.progId) {
      const std::wstring progIdPath = kClassesPath + std::wstring(info.progId);
      s = WriteString(hive, clsidPath + L"\\ProgID", nullptr, info.progId);
      if (s == ERROR_SUCCESS) s = WriteString(hive, progIdPath, nullptr, info.friendlyName);
      if (s == ERROR_SUCCESS) s = WriteString(hive, progIdPath, kMarker, dll);
      if (s == ERROR_SUCCESS) s = WriteString(hive, progIdPath + L"\\CLSID", nullptr, info.clsid);
    }
    if (s != ERROR_SUCCESS) return s;
  }
  return ERROR_SUCCESS;
}

// Whether HKEY_CLASSES_ROOT leads every class to this DLL.
bool ClassesRootShows(const std::wstring& dll) {
  for (const ClassInfo& info : kClasses) {
    if (!RootShows(std::wstring(L"CLSID\\") + info.clsid + L"\\InprocServer32", dll)) return false;
    if (info.progId && !RootShows(std::wstring(info.progId) + L"\\CLSID", info.clsid)) return false;
  }
  return true;
}

LSTATUS RemoveClasses(HKEY hive) {
  for (const ClassInfo& info : kClasses) {
    for (const std::wstring& top : TopKeys(info)) {
      const std::wstring path = kClassesPath + top;
      const bool ours = Ours(hive, top);
      if (ours) {
        if (LSTATUS s = ::RegDeleteTreeW(hive, path.c_str()); s != ERROR_SUCCESS) return s;
      }
      const std::wstring saved = kSavedPath + top;
      if (Exists(hive, saved)) {
        // Put back what was there, unless somebody else has since taken the key.
        if (ours || !Exists(hive, path)) {
          if (LSTATUS s = CopyTree(hive, saved, path); s != ERROR_SUCCESS) return s;
        }
        ::RegDeleteTreeW(hive, saved.c_str());
      }
    }
  }
  ::RegDeleteTreeW(hive, kOwnPath);
  return ERROR_SUCCESS;
}

}  // namespace

HRESULT RegisterServer(const std::wstring& modulePath) {
  if (LSTATUS s = WriteClasses(HKEY_CURRENT_USER, modulePath); s != ERROR_SUCCESS) {
    return HRESULT_FROM_WIN32(s);
  }
  if (ClassesRootShows(modulePath)) return S_OK;
  if (LSTATUS s = WriteClasses(HKEY_LOCAL_MACHINE, modulePath); s != ERROR_SUCCESS) {
    return HRESULT_FROM_WIN32(s);
  }
  return ClassesRootShows(modulePath) ? S_OK : SELFREG_E_CLASS;
}

HRESULT UnregisterServer() {
  LSTATUS user = RemoveClasses(HKEY_CURRENT_USER);
  LSTATUS machine = RemoveClasses(HKEY_LOCAL_MACHINE);
  if (user != ERROR_SUCCESS) return HRESULT_FROM_WIN32(user);
  return machine == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(machine);
}

}  // namespace sondalink::standin
