// Scriptable automation objects for the native tests: classes registered by
// identity and by name, objects with properties, methods and collections,
// and a journal of every access with its arguments, so that a test can
// check the order of the calls and the exact width of each argument.
// Member names match without regard to case, as IDispatch names do.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/automation.h"

namespace sondalink::platform::automation {

// One fake object: made by fake::automation::NewObject, described with the
// chainable setters.
struct Object::Impl : std::enable_shared_from_this<Object::Impl> {
  using Arguments = std::vector<Value>;
  using MethodFn = std::function<Outcome<Value>(const Arguments&)>;
  using GetterFn = std::function<Outcome<Value>()>;
  using FaultFn = std::function<std::optional<ErrorRecord>()>;
  enum class CountAs { Int16, Int32 };

  explicit Impl(std::string className) : className(std::move(className)) {}

  // Read-only: a put fails as on a read-only property.
  Impl& Property(const std::string& name, Value value);
  // Worked out at each read (EOF, a current row).
  Impl& Property(const std::string& name, GetterFn getter);
  // Each put is journalled and replaces the value later reads return.
  Impl& Settable(const std::string& name, Value initial = {});
  // Every access (read, write, call) fails with `error`; an empty source
  // becomes the object's class name, as on Windows.
  Impl& Failing(const std::string& name, ErrorRecord error);
  // Asked before every access to the member (for "Item", every item
  // fetched): a failure it gives is the access's, so the n-th can fail.
  Impl& FailingWhen(const std::string& name, FaultFn when);
  // A read of a method calls it with no arguments, as IDispatch allows.
  Impl& Method(const std::string& name, MethodFn method);
  Impl& Method(const std::string& name, Value result = {});
  // The member ToText(this) reads.
  Impl& DefaultMember(const std::string& name);

  // The value a property holds now (after puts); empty when it has none.
  Value Current(const std::string& name) const;
  Object object() { return Object(shared_from_this()); }
  // Drops every member, breaking cycles between objects that hold each other.
  void Clear();

  struct Member {
    std::optional<Value> value{};
    GetterFn getter{};
    MethodFn method{};
    bool settable = false;
  };

  // The source of failures that carry none; an object returned by a member
  // without one inherits it.
  std::string className;
  std::map<std::string, Member> members;  // keyed by lower-case name
  std::map<std::string, FaultFn> faults;   // keyed by lower-case name
  std::string defaultMember;
  // A collection: `Count` (16- or 32-bit, as DAO and ADO give it) and items
  // by position from 0 or by their `Name` property.
  std::optional<std::vector<Value>> items;
  CountAs countAs = CountAs::Int32;
};

}  // namespace sondalink::platform::automation

namespace sondalink::fake::automation {

using platform::automation::Null;
using platform::automation::Object;
using platform::automation::Value;
using FakeObject = Object::Impl;
using Arguments = FakeObject::Arguments;
using FakePtr = std::shared_ptr<FakeObject>;

enum class Access { Create, Get, Put, Call, Item };

// One access through the seam, in the order it happened.
struct Invocation {
  Access access;
  // The member as the caller spelled it; Create: the class identity or name
  // asked for; Item: empty.
  std::string member;
  // Put: the value; Call: the arguments; Item: the key; Create: the licence
  // key, when one was given.
  Arguments arguments;
  const FakeObject* target = nullptr;  // null for Create
  std::string className;               // the target's
};

// Tracked, so that Reset() can break its cycles.
FakePtr NewObject(const std::string& className);
FakePtr NewCollection(const std::string& className, const std::vector<FakePtr>& items,
                      FakeObject::CountAs countAs = FakeObject::CountAs::Int32);

// An item of a listing, a property or a field: `Name`, and `Value` as its
// default member.
FakePtr NewField(const std::string& className, const std::string& name, Value value);

// A forward-only recordset over rows of (field name, value) pairs, shaped
// as ADO's and DAO's: `EOF`, `MoveNext`, `Close`, and `Fields`, the current
// row's fields (`Name`, and `Value` as default member) by position or name.
// A field named in `failingValues` by (row, name) fails its Value read.
using Row = std::vector<std::pair<std::string, Value>>;
FakePtr NewRecordset(const std::string& className, std::vector<Row> rows,
                     std::map<std::pair<size_t, std::string>, ErrorRecord> failingValues = {});

// Registers a class under its identity ("{...}", any case) and, unless
// `className` is empty, under its name; each creation calls `factory`.
// Unknown identities fail with 0x80040154 "Class not registered", unknown
// names with 0x800401F3 "Invalid class string", as Windows does; a failure
// without source gets the name the caller gave.
using Factory = std::function<Outcome<Object>()>;
void RegisterClass(const std::string& classId, const std::string& className, Factory factory);

// Every access since the last Reset().
const std::vector<Invocation>& Journal();
bool IsObject(const Value& value, const FakePtr& fake);
// Forgets classes and journal, and clears every fake object.
void Reset();

// ToText gives what the system gives under the English (United States)
// locale of the test prefix (support/automation_contract.h); an object
// converts through its default member, a type mismatch when it has none.
inline constexpr int32_t kClassNotRegistered = static_cast<int32_t>(0x80040154);
inline constexpr int32_t kInvalidClassString = static_cast<int32_t>(0x800401F3);
inline constexpr int32_t kUnknownName = static_cast<int32_t>(0x80020006);
inline constexpr int32_t kMemberNotFound = static_cast<int32_t>(0x80020003);
inline constexpr int32_t kTypeMismatch = static_cast<int32_t>(0x80020005);

}  // namespace sondalink::fake::automation
