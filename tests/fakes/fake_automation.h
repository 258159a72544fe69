// Scriptable automation objects for the native tests: classes registered by
// identity and by name, objects with properties, methods and collections,
// and a journal of every access with its arguments, so that a test can
// check the order of the calls and the exact width of each argument.
//
//   fake::automation::Reset();
//   auto conn = fake::automation::NewObject("ADODB.Connection");
//   conn->Property("Version", std::string("2.8"))
//       .Method("Open", [](const Arguments& a) -> Outcome<Value> { return Value{}; });
//   fake::automation::RegisterClass(kAdoConnectionId, "ADODB.Connection", conn);
//   ... run the code under test ...
//   auto opens = fake::automation::Journal("Open");
//
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

// One fake object. Build it with fake::automation::NewObject, then describe
// its members with the chainable setters.
struct Object::Impl : std::enable_shared_from_this<Object::Impl> {
  using Arguments = std::vector<Value>;
  using MethodFn = std::function<Outcome<Value>(const Arguments&)>;
  using GetterFn = std::function<Outcome<Value>()>;

  explicit Impl(std::string className) : className(std::move(className)) {}

  // A readable property; a put on it fails as on a read-only property.
  Impl& Property(const std::string& name, Value value);
  // A property whose value is worked out at each read (EOF, a current row).
  Impl& Property(const std::string& name, GetterFn getter);
  // A property that takes puts: each put is journalled and replaces the
  // value that later reads return.
  Impl& Settable(const std::string& name, Value initial = {});
  // Every access to the member (read, write or call) fails with `error`;
  // an empty source becomes the object's class name, as on Windows.
  Impl& Failing(const std::string& name, ErrorRecord error);
  // Asked before every access to the member (read, write, call; for a
  // collection's "Item" every item fetched): a failure it gives is the
  // access's. Lets a test fail the n-th access only.
  using FaultFn = std::function<std::optional<ErrorRecord>()>;
  Impl& FailingWhen(const std::string& name, FaultFn when);
  // A method; a read of it calls it with no arguments, as IDispatch allows.
  Impl& Method(const std::string& name, MethodFn method);
  // A method that accepts any arguments and returns `result`.
  Impl& Method(const std::string& name, Value result = {});
  // The member reached through Item(this, key) and through ToText(this).
  Impl& DefaultMember(const std::string& name);

  enum class CountAs { Int16, Int32 };
  // Makes this object a collection: `Count` (16- or 32-bit, as DAO and ADO
  // give it) and items by position from 0 or by their `Name` property.
  Impl& Collection(std::vector<Value> items, CountAs countAs = CountAs::Int32);
  // The failure of an item position or name the collection does not have.
  ErrorRecord notFound{3265, "Item not found in this collection.", ""};

  // The value a property holds now (after puts); empty when it has none.
  Value Current(const std::string& name) const;
  // This fake as the seam's object, to return from a member or compare with.
  Object object() { return Object(shared_from_this()); }
  // Drops every member, breaking cycles between objects that hold each other.
  void Clear();

  struct Member {
    std::optional<Value> value{};
    GetterFn getter{};
    MethodFn method{};
    std::optional<ErrorRecord> failure{};
    bool settable = false;
  };
  // Replaces the member of that name (any case) with `member`.
  Impl& Set(const std::string& name, Member member);

  // The class name given at creation; the source of failures that carry
  // none. An object returned by a member without one inherits it.
  std::string className;
  std::map<std::string, Member> members;  // keyed by lower-case name
  std::map<std::string, FaultFn> faults;   // keyed by lower-case name
  std::string defaultMember;
  std::optional<std::vector<Value>> items;
  CountAs countAs = CountAs::Int32;
};

}  // namespace sondalink::platform::automation

namespace sondalink::fake::automation {

using platform::automation::Currency;
using platform::automation::Date;
using platform::automation::Decimal;
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
  // Get, Put, Call: the member name as the caller spelled it. Create: the
  // class identity or name asked for. Item: empty.
  std::string member;
  // Put: the value. Call: the arguments in their order. Item: the key.
  // Create: the licence key, when one was given.
  Arguments arguments;
  const FakeObject* target = nullptr;  // null for Create
  std::string className;               // the target's class name
};

// Builds a fake object, tracked so that Reset() can break its cycles.
FakePtr NewObject(const std::string& className);

// A collection whose items are these objects.
FakePtr NewCollection(const std::string& className, const std::vector<FakePtr>& items,
                      FakeObject::CountAs countAs = FakeObject::CountAs::Int32);

// A forward-only recordset over rows of (field name, value) pairs, shaped
// as ADO's and DAO's are: `EOF`, `MoveNext`, `Close`, and `Fields`, a
// collection of the current row's fields (each with `Name` and `Value`,
// `Value` being the default member), by position or by name.
// A field named in `failingValues` by (row, name) fails its Value read.
using Row = std::vector<std::pair<std::string, Value>>;
FakePtr NewRecordset(const std::string& className, std::vector<Row> rows,
                     std::map<std::pair<size_t, std::string>, ErrorRecord> failingValues = {});

// What creating a class gives: a new object each time, or a failure.
using Factory = std::function<Outcome<Object>()>;
// Registers a class under its identity ("{...}", matched without regard to
// case) and, unless `className` is empty, under its name. Unknown
// identities fail with 0x80040154 "Class not registered", unknown names
// with 0x800401F3 "Invalid class string", as Windows does.
void RegisterClass(const std::string& classId, const std::string& className, Factory factory);
// The same object at every creation.
void RegisterClass(const std::string& classId, const std::string& className, FakePtr object);
// A class whose creation fails with `error` (its source, when empty, is the
// name the caller gave).
void RegisterFailingClass(const std::string& classId, const std::string& className,
                          ErrorRecord error);

// Every access since the last Reset(), or those of one member name.
const std::vector<Invocation>& Journal();
std::vector<Invocation> Journal(const std::string& member);

// Calls of Initialize() and Uninitialize() since the last Reset().
int InitializeCalls();
int UninitializeCalls();

// True when `value` holds the object `fake`.
bool IsObject(const Value& value, const FakePtr& fake);

// Forgets classes, journal and counters, and clears every fake object.
void Reset();

// ToText here gives what the system gives under an English (United States)
// locale, the one of the test prefix: integers in decimal; floating point
// with 7 (single) or 15 (double) significant digits, trailing zeros dropped,
// "." as decimal point and "E+nn"/"E-nn" beyond that range ("1E+20");
// currency and decimal with the digits they need; a date as "M/D/YYYY",
// with " h:mm:ss AM"/"PM" when it has a time of day, a time alone when its
// day is 30 December 1899; an object through its default member, and a
// type mismatch (0x80020005) when it has none.

// Error numbers the fake gives as Windows would.
inline constexpr int32_t kClassNotRegistered = static_cast<int32_t>(0x80040154);
inline constexpr int32_t kInvalidClassString = static_cast<int32_t>(0x800401F3);
inline constexpr int32_t kUnknownName = static_cast<int32_t>(0x80020006);
inline constexpr int32_t kMemberNotFound = static_cast<int32_t>(0x80020003);
inline constexpr int32_t kTypeMismatch = static_cast<int32_t>(0x80020005);

}  // namespace sondalink::fake::automation
