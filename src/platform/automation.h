// Late-bound automation: the one way the tests reach a data-access
// component. Objects are created from a class identity or a class name, and
// every member is looked up by name when it is used.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <variant>

#include "platform/error.h"

namespace sondalink::platform::automation {

// A counted reference to a component object; empty when it holds none.
// Copies share the object; it is released when the last copy goes.
class Object {
 public:
  struct Impl;  // defined by the back end
  Object() = default;
  explicit Object(std::shared_ptr<Impl> impl) : impl_(std::move(impl)) {}
  explicit operator bool() const { return impl_ != nullptr; }
  void reset() { impl_.reset(); }
  Impl* impl() const { return impl_.get(); }

 private:
  std::shared_ptr<Impl> impl_;
};

// The same object, not merely an equal one (on Windows, the same COM
// identity, whichever wrapper holds it).
bool operator==(const Object& a, const Object& b);

struct Null {
  bool operator==(const Null&) const = default;
};
struct Currency {
  int64_t scaled;  // value times 10,000
  bool operator==(const Currency&) const = default;
};
struct Date {
  double serial;  // days since 30 December 1899, time of day as the fraction
  bool operator==(const Date&) const = default;
};
struct Decimal {  // (hi32 * 2^64 + lo64) / 10^scale, scale 0 to 28
  uint8_t scale;
  bool negative;
  uint32_t hi32;
  uint64_t lo64;
  bool operator==(const Decimal&) const = default;
};

// What a member gives back or takes, with the width of its integers kept:
// components tell a 16-bit from a 32-bit argument. An unsigned 32-bit value
// stays 32-bit: Windows 2000's OLE Automation has no 8-byte integers.
using Value = std::variant<std::monostate,  // empty
                           Null, bool, uint8_t, int16_t, int32_t, uint32_t, int64_t, float, double,
                           Currency, Decimal, Date, std::string, Object>;

// COM for the user-interface thread: once before the window exists, and
// once more after the last object has been released.
ErrorRecord Initialize();
void Uninitialize();

// Creates an object from its class identity, "{xxxxxxxx-xxxx-...}", in
// process or as a local server. `sourceName` names it in error records that
// the component leaves without a source. `licenceKey`, when given, is the
// run-time licence key of a licensed class: a class factory that checks
// licences creates with it, one that does not creates as without it.
Outcome<Object> CreateFromClassId(const std::string& classId, const std::string& sourceName,
                                  const std::string& licenceKey = {});
// Creates an object from its class name, looked up in the registry.
Outcome<Object> CreateFromName(const std::string& className);

// Every failure below is a record of number, description and source. The
// number is the failure code as a signed 32-bit value, except a code of the
// control facility (0x800Axxxx), which is reported by its low word: the
// component's own error number (3146, not -2146825142). The description and
// source are the component's own where it gives them, else the system's
// text for the code and the class name the object (or the object it came
// from) was created with. A member of an empty object fails with 91.

// A property read; a method without arguments answers as well.
Outcome<Value> Get(const Object& object, const std::string& member);
// A property write.
ErrorRecord Put(const Object& object, const std::string& member, const Value& value);
// A method call with positional arguments, each passed with its own type.
Outcome<Value> Call(const Object& object, const std::string& method,
                    std::span<const Value> arguments = {});
// A collection's item through its default member, by position or by name.
Outcome<Value> Item(const Object& collection, const Value& key);

// Null and empty give an empty text, a Boolean "True" or "False", anything
// else the system's conversion under the user's locale; a value that cannot
// become text is a failure.
Outcome<std::string> ToText(const Value& value);

}  // namespace sondalink::platform::automation
