// In-memory registry behind platform/registry.h.
#include "fakes/fake_registry.h"

#include <cctype>
#include <cstring>

#include "platform/text.h"

namespace sondalink::fake::registry {

namespace {
constexpr long kFileNotFound = 2;     // ERROR_FILE_NOT_FOUND
constexpr long kInvalidHandle = 6;    // ERROR_INVALID_HANDLE
constexpr long kMoreData = 234;       // ERROR_MORE_DATA
constexpr FakeRegistry::Handle kFirstHandle = 0x100;
constexpr FakeRegistry::Handle kHandleStep = 4;

FakeRegistry g_registry;
}  // namespace

FakeRegistry& Get() { return g_registry; }
void Reset() { g_registry = FakeRegistry{}; }

std::string FakeRegistry::Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string FakeRegistry::Join(Handle root, const std::string& path) {
  std::string full = "root" + std::to_string(root & 0xF);
  if (!path.empty()) full += "\\" + path;
  return Lower(full);
}

std::optional<std::string> FakeRegistry::PathOf(Handle h) const {
  using namespace platform::registry;
  if (h == kClassesRoot || h == kCurrentUser || h == kLocalMachine || h == kUsers) return Join(h, "");
  auto it = open_.find(h);
  return it == open_.end() ? std::nullopt : std::optional(it->second);
}

void FakeRegistry::AddKey(Handle root, const std::string& path) {
  std::string full = Join(root, path);
  for (size_t at = full.find('\\'); at != std::string::npos; at = full.find('\\', at + 1)) keys_[full.substr(0, at)];
  keys_[full];
}

void FakeRegistry::SetValue(Handle root, const std::string& path, const std::string& name, uint32_t type,
                            const std::string& bytes) {
  AddKey(root, path);
  keys_[Join(root, path)].values[Lower(name)] = Value{type, bytes};
}

void FakeRegistry::SetString(Handle root, const std::string& path, const std::string& name, const std::string& text) {
  SetValue(root, path, name, platform::registry::kTypeString, text + '\0');
}

long FakeRegistry::OpenKey(Handle parent, const std::string& subKey, Handle& key) {
  std::optional<std::string> base = PathOf(parent);
  if (!base) return kInvalidHandle;
  if (subKey.empty()) {  // RegOpenKeyA hands back the parent itself
    key = parent;
    return 0;
  }
  std::string full = *base + "\\" + Lower(subKey);
  if (!keys_.count(full)) return kFileNotFound;
  // The lowest value not in use, as a handle table reuses its free slots.
  Handle h = kFirstHandle;
  while (open_.count(h)) h += kHandleStep;
  open_[h] = full;
  key = h;
  return 0;
}

long FakeRegistry::QueryValue(Handle key, const std::string& valueName, uint32_t& type, char* data,
                              uint32_t& size) {
  std::optional<std::string> path = PathOf(key);
  if (!path) return kInvalidHandle;
  auto k = keys_.find(*path);
  if (k == keys_.end()) return kFileNotFound;
  auto v = k->second.values.find(Lower(valueName));
  if (v == k->second.values.end()) return kFileNotFound;
  const auto needed = static_cast<uint32_t>(v->second.bytes.size());
  type = v->second.type;
  if (data == nullptr) {
    size = probeOverride_.value_or(needed);
    probeOverride_.reset();
    return 0;
  }
  readSizes.push_back(size);
  if (size < needed) {
    size = needed;
    return kMoreData;
  }
  std::memcpy(data, v->second.bytes.data(), needed);
  size = needed;
  return 0;
}

long FakeRegistry::CloseKey(Handle key) {
  if (failClose_ && *failClose_ == key) return kInvalidHandle;
  return open_.erase(key) ? 0 : kInvalidHandle;
}

std::string FakeRegistry::ExpandVariables(const std::string& text) const {
  // %NAME% with a set variable is replaced, any other text kept as it is.
  std::string out;
  size_t i = 0;
  for (size_t open, close;
       (open = text.find('%', i)) != std::string::npos && (close = text.find('%', open + 1)) != std::string::npos;) {
    std::string name = text.substr(open + 1, close - open - 1);
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    auto found = environment.find(name);
    if (found == environment.end()) {
      out += text.substr(i, close - i);  // the second % may open a name
      i = close;
    } else {
      out += text.substr(i, open - i) + found->second;
      i = close + 1;
    }
  }
  return out + text.substr(i);
}

}  // namespace sondalink::fake::registry

namespace sondalink::platform::registry {

// UTF-8 at the seam, the ANSI code page below it, as in the Windows back end.
long OpenKey(Handle parent, const std::string& subKey, Handle& key) {
  return fake::registry::Get().OpenKey(parent, ToAnsi(subKey), key);
}

long ProbeValue(Handle key, const std::string& valueName, uint32_t& type, uint32_t& size) {
  return fake::registry::Get().QueryValue(key, ToAnsi(valueName), type, nullptr, size);
}

long ReadValue(Handle key, const std::string& valueName, uint32_t& type, uint32_t& size,
               std::string& text) {
  std::string buffer(size, ' ');
  long rc = fake::registry::Get().QueryValue(key, ToAnsi(valueName), type, buffer.data(), size);
  if (rc == 0) text = FromAnsi(buffer);
  return rc;
}

long CloseKey(Handle key) { return fake::registry::Get().CloseKey(key); }

std::string ExpandVariables(const std::string& utf8) {
  return fake::registry::Get().ExpandVariables(utf8);
}

}  // namespace sondalink::platform::registry
