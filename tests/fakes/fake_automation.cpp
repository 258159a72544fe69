// The seam's automation functions over scriptable fake objects.
#include "fakes/fake_automation.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cinttypes>
#include <cmath>
#include <cstdio>

namespace sondalink::platform::automation {
namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

Object::Impl& Set(Object::Impl& o, const std::string& name, Object::Impl::Member member) {
  o.members[Lower(name)] = std::move(member);
  return o;
}

}  // namespace

Object::Impl& Object::Impl::Property(const std::string& name, Value value) {
  return Set(*this, name, Member{.value = std::move(value)});
}

Object::Impl& Object::Impl::Property(const std::string& name, GetterFn getter) {
  return Set(*this, name, Member{.getter = std::move(getter)});
}

Object::Impl& Object::Impl::Settable(const std::string& name, Value initial) {
  return Set(*this, name, Member{.value = std::move(initial), .settable = true});
}

Object::Impl& Object::Impl::Failing(const std::string& name, ErrorRecord error) {
  members.erase(Lower(name));
  return FailingWhen(name, [error] { return std::optional<ErrorRecord>(error); });
}

Object::Impl& Object::Impl::FailingWhen(const std::string& name, FaultFn when) {
  faults[Lower(name)] = std::move(when);
  return *this;
}

Object::Impl& Object::Impl::Method(const std::string& name, MethodFn method) {
  return Set(*this, name, Member{.method = std::move(method)});
}

Object::Impl& Object::Impl::Method(const std::string& name, Value result) {
  return Method(name, [result](const Arguments&) -> Outcome<Value> { return result; });
}

Object::Impl& Object::Impl::DefaultMember(const std::string& name) {
  defaultMember = name;
  return *this;
}

Value Object::Impl::Current(const std::string& name) const {
  auto it = members.find(Lower(name));
  if (it == members.end() || !it->second.value) return {};
  return *it->second.value;
}

void Object::Impl::Clear() {
  members.clear();
  faults.clear();
  items.reset();
  defaultMember.clear();
}

}  // namespace sondalink::platform::automation

namespace sondalink::fake::automation {
namespace {

using platform::automation::Lower;

struct Class {
  std::string classId;
  std::string className;
  Factory factory;
};

struct State {
  std::vector<Class> classes;
  std::vector<Invocation> journal;
  std::vector<std::weak_ptr<FakeObject>> objects;
};

State& S() {
  static State state;
  return state;
}

ErrorRecord WithSource(ErrorRecord e, const std::string& source) {
  if (e.source.empty()) e.source = source;
  return e;
}

void Journalize(Access access, std::string member, Arguments arguments, const FakeObject* target) {
  S().journal.push_back(Invocation{access, std::move(member), std::move(arguments), target,
                                   target ? target->className : std::string()});
}

// An object handed out by a member carries its parent's class name unless
// it has one of its own.
Outcome<Value> Inherit(Outcome<Value> result, const FakeObject& parent) {
  if (auto* o = std::get_if<Object>(&result.value); o && *o && o->impl()->className.empty())
    o->impl()->className = parent.className;
  if (!result.ok()) result.error = WithSource(std::move(result.error), parent.className);
  return result;
}

// The failure that FailingWhen gives this access, if any.
std::optional<ErrorRecord> Fault(const FakeObject& o, const std::string& member) {
  auto it = o.faults.find(Lower(member));
  if (it == o.faults.end() || !it->second) return std::nullopt;
  return it->second();
}

// What a call through an empty object variable gives.
ErrorRecord NoObject() { return {91, "Object variable or With block variable not set", ""}; }

// The widths the program passes positions in.
std::optional<int64_t> AsPosition(const Value& key) {
  if (auto* v = std::get_if<int16_t>(&key)) return *v;
  if (auto* v = std::get_if<int32_t>(&key)) return *v;
  return std::nullopt;
}

const ErrorRecord kNotFound{3265, "Item not found in this collection.", ""};

Outcome<Value> CollectionItem(const FakeObject& c, const Value& key) {
  const auto& list = *c.items;
  if (auto pos = AsPosition(key)) {
    if (*pos >= 0 && *pos < static_cast<int64_t>(list.size())) return list[static_cast<size_t>(*pos)];
    return kNotFound;
  }
  if (auto* name = std::get_if<std::string>(&key)) {
    for (const Value& item : list) {
      auto* o = std::get_if<Object>(&item);
      if (!o || !*o) continue;
      Value itemName = o->impl()->Current("Name");
      auto* text = std::get_if<std::string>(&itemName);
      if (text && Lower(*text) == Lower(*name)) return item;
    }
    return kNotFound;
  }
  return ErrorRecord(kTypeMismatch, "Type mismatch.", "");
}

// A read of a member: what Get and the default member share.
Outcome<Value> Read(FakeObject& o, const std::string& member) {
  const std::string key = Lower(member);
  if (auto fault = Fault(o, key)) return *fault;
  if (o.items && key == "count") {
    if (o.countAs == FakeObject::CountAs::Int16) return Value{static_cast<int16_t>(o.items->size())};
    return Value{static_cast<int32_t>(o.items->size())};
  }
  auto it = o.members.find(key);
  if (it == o.members.end()) return ErrorRecord(kUnknownName, "Unknown name.", "");
  const FakeObject::Member& m = it->second;
  if (m.getter) return m.getter();
  if (m.method) return m.method({});
  return m.value.value_or(Value{});
}

std::string Trimmed(const char* format, double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, value);
  return std::string(buffer) == "-0" ? "0" : buffer;
}

// Digits of a magnitude with `scale` of them after the decimal point,
// trailing fractional zeros dropped.
std::string Scaled(unsigned __int128 magnitude, int scale, bool negative) {
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(magnitude % 10)));
    magnitude /= 10;
  } while (magnitude != 0);
  if (static_cast<int>(digits.size()) <= scale)
    digits.insert(0, static_cast<size_t>(scale) + 1 - digits.size(), '0');
  std::string whole = digits.substr(0, digits.size() - static_cast<size_t>(scale));
  std::string fraction = digits.substr(whole.size());
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  std::string text = whole + (fraction.empty() ? "" : "." + fraction);
  return (negative && text != "0") ? "-" + text : text;
}

// The days count before the point and the time of day after it, the latter
// always forward from midnight, as dates before 1900 are kept.
std::string DateText(double serial) {
  double dayPart = std::trunc(serial);
  auto seconds = static_cast<int64_t>(std::llround(std::fabs(serial - dayPart) * 86400.0));
  auto days = static_cast<int64_t>(dayPart);
  if (seconds >= 86400) {
    seconds -= 86400;
    days += serial < 0 ? -1 : 1;
  }
  char buffer[64];
  std::string text;
  if (days != 0) {
    // Day 25569 is 1 January 1970.
    const std::chrono::year_month_day date{std::chrono::sys_days{std::chrono::days{days - 25569}}};
    std::snprintf(buffer, sizeof buffer, "%u/%u/%d", static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<int>(date.year()));
    text = buffer;
  }
  if (seconds != 0 || days == 0) {
    int64_t h = seconds / 3600;
    const char* half = h < 12 ? "AM" : "PM";
    h %= 12;
    if (h == 0) h = 12;
    std::snprintf(buffer, sizeof buffer, "%" PRId64 ":%02" PRId64 ":%02" PRId64 " %s", h,
                  seconds / 60 % 60, seconds % 60, half);
    text += (text.empty() ? "" : " ") + std::string(buffer);
  }
  return text;
}

bool IsClassIdText(const std::string& text) {
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') return false;
  for (size_t i = 1; i < 37; ++i) {
    const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
    if (dash ? text[i] != '-' : !std::isxdigit(static_cast<unsigned char>(text[i]))) return false;
  }
  return true;
}

Outcome<Object> Create(const Class& c, const std::string& source) {
  Outcome<Object> made = c.factory();
  if (!made.ok()) {
    made.error = WithSource(std::move(made.error), source);
    return made;
  }
  if (made.value && made.value.impl()->className.empty())
    made.value.impl()->className = source;
  return made;
}

}  // namespace

FakePtr NewObject(const std::string& className) {
  auto made = std::make_shared<FakeObject>(className);
  S().objects.push_back(made);
  return made;
}

FakePtr NewCollection(const std::string& className, const std::vector<FakePtr>& items,
                      FakeObject::CountAs countAs) {
  std::vector<Value> list;
  for (const FakePtr& item : items) list.emplace_back(item->object());
  FakePtr c = NewObject(className);
  c->items = std::move(list);
  c->countAs = countAs;
  return c;
}

FakePtr NewField(const std::string& className, const std::string& name, Value value) {
  FakePtr f = NewObject(className);
  f->Property("Name", name).Property("Value", std::move(value)).DefaultMember("Value");
  return f;
}

FakePtr NewRecordset(const std::string& className, std::vector<Row> rows,
                     std::map<std::pair<size_t, std::string>, ErrorRecord> failingValues) {
  struct Cursor {
    std::vector<Row> rows;
    size_t at = 0;
    bool eof() const { return at >= rows.size(); }
  };
  auto cursor = std::make_shared<Cursor>(Cursor{std::move(rows)});
  const ErrorRecord noCurrent{3021, "No current record.", ""};
  FakePtr rs = NewObject(className);
  rs->Property("EOF", [cursor]() -> Outcome<Value> { return Value{cursor->eof()}; })
      .Method("MoveNext",
              [cursor, noCurrent](const Arguments&) -> Outcome<Value> {
                if (cursor->eof()) return noCurrent;
                ++cursor->at;
                return Value{};
              })
      .Method("Close")
      .Property("Fields", [cursor, noCurrent, failingValues]() -> Outcome<Value> {
        if (cursor->eof()) return noCurrent;
        std::vector<FakePtr> fields;
        for (const auto& [name, value] : cursor->rows[cursor->at]) {
          FakePtr f = NewField("", name, value);
          if (auto it = failingValues.find({cursor->at, name}); it != failingValues.end())
            f->Failing("Value", it->second);
          fields.push_back(f);
        }
        return Value{NewCollection("", fields)->object()};
      });
  return rs;
}

void RegisterClass(const std::string& classId, const std::string& className, Factory factory) {
  S().classes.push_back(Class{Lower(classId), Lower(className), std::move(factory)});
}

const std::vector<Invocation>& Journal() { return S().journal; }

bool IsObject(const Value& value, const FakePtr& fake) {
  auto* o = std::get_if<Object>(&value);
  return o && o->impl() == fake.get();
}

void Reset() {
  State& s = S();
  // Members may hold objects that hold this one: clear them all first.
  std::vector<FakePtr> alive;
  for (auto& w : s.objects)
    if (FakePtr p = w.lock()) alive.push_back(std::move(p));
  for (const FakePtr& p : alive) p->Clear();
  alive.clear();
  s = State{};
}

}  // namespace sondalink::fake::automation

namespace sondalink::platform::automation {

using namespace fake::automation;  // NOLINT: the fake's own helpers

bool operator==(const Object& a, const Object& b) { return a.impl() == b.impl(); }

ErrorRecord Initialize() { return {}; }
void Uninitialize() {}

Outcome<Object> CreateFromClassId(const std::string& classId, const std::string& sourceName,
                                  const std::string& licenceKey) {
  Arguments key;
  if (!licenceKey.empty()) key.push_back(licenceKey);
  Journalize(Access::Create, classId, std::move(key), nullptr);
  for (const Class& c : S().classes)
    if (c.classId == Lower(classId)) return Create(c, sourceName);
  // Like CLSIDFromString, a text that is not an identity is tried as a name.
  if (!IsClassIdText(classId)) {
    for (const Class& c : S().classes)
      if (!c.className.empty() && c.className == Lower(classId)) return Create(c, sourceName);
    return ErrorRecord(kInvalidClassString, "Invalid class string", sourceName);
  }
  return ErrorRecord(kClassNotRegistered, "Class not registered", sourceName);
}

Outcome<Object> CreateFromName(const std::string& className) {
  Journalize(Access::Create, className, {}, nullptr);
  for (const Class& c : S().classes)
    if (!c.className.empty() && c.className == Lower(className)) return Create(c, className);
  return ErrorRecord(kInvalidClassString, "Invalid class string", className);
}

Outcome<Value> Get(const Object& object, const std::string& member) {
  FakeObject* o = object.impl();
  if (!o) return NoObject();
  Journalize(Access::Get, member, {}, o);
  return Inherit(Read(*o, member), *o);
}

ErrorRecord Put(const Object& object, const std::string& member, const Value& value) {
  FakeObject* o = object.impl();
  if (!o) return NoObject();
  Journalize(Access::Put, member, {value}, o);
  if (auto fault = Fault(*o, member)) return WithSource(*fault, o->className);
  auto it = o->members.find(Lower(member));
  if (it == o->members.end()) return ErrorRecord(kUnknownName, "Unknown name.", o->className);
  FakeObject::Member& m = it->second;
  if (!m.settable) return ErrorRecord(kMemberNotFound, "Member not found.", o->className);
  m.value = value;
  return {};
}

Outcome<Value> Call(const Object& object, const std::string& method,
                    std::span<const Value> arguments) {
  FakeObject* o = object.impl();
  if (!o) return NoObject();
  Arguments args(arguments.begin(), arguments.end());
  Journalize(Access::Call, method, args, o);
  if (auto fault = Fault(*o, method)) return Inherit(*fault, *o);
  auto it = o->members.find(Lower(method));
  if (it == o->members.end()) return ErrorRecord(kUnknownName, "Unknown name.", o->className);
  const FakeObject::Member& m = it->second;
  // A property is not callable as a method through IDispatch.
  if (!m.method) return ErrorRecord(kMemberNotFound, "Member not found.", o->className);
  return Inherit(m.method(args), *o);
}

Outcome<Value> Item(const Object& collection, const Value& key) {
  FakeObject* o = collection.impl();
  if (!o) return NoObject();
  Journalize(Access::Item, "", {key}, o);
  if (auto fault = Fault(*o, "Item")) return Inherit(*fault, *o);
  if (!o->items) return ErrorRecord(kMemberNotFound, "Member not found.", o->className);
  return Inherit(CollectionItem(*o, key), *o);
}

namespace {

struct Visitor {
  Outcome<std::string> operator()(std::monostate) const { return std::string(); }
  Outcome<std::string> operator()(Null) const { return std::string(); }
  Outcome<std::string> operator()(bool b) const { return std::string(b ? "True" : "False"); }
  template <std::integral T>
  Outcome<std::string> operator()(T v) const { return std::to_string(v); }
  Outcome<std::string> operator()(float v) const { return Trimmed("%.7G", v); }
  Outcome<std::string> operator()(double v) const { return Trimmed("%.15G", v); }
  Outcome<std::string> operator()(Currency c) const {
    const bool negative = c.scaled < 0;
    const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(c.scaled) : static_cast<uint64_t>(c.scaled);
    return Scaled(magnitude, 4, negative);
  }
  Outcome<std::string> operator()(const Decimal& d) const {
    const unsigned __int128 magnitude = (static_cast<unsigned __int128>(d.hi32) << 64) | d.lo64;
    return Scaled(magnitude, d.scale, d.negative);
  }
  Outcome<std::string> operator()(Date d) const { return DateText(d.serial); }
  Outcome<std::string> operator()(const std::string& s) const { return s; }
  Outcome<std::string> operator()(const Object& o) const {
    FakeObject* f = o.impl();
    if (!f || f->defaultMember.empty()) return ErrorRecord(kTypeMismatch, "Type mismatch.", "");
    Outcome<Value> inner = Get(o, f->defaultMember);
    if (!inner.ok()) return ErrorRecord(kTypeMismatch, "Type mismatch.", "");
    return ToText(inner.value);
  }
};

}  // namespace

Outcome<std::string> ToText(const Value& value) { return std::visit(Visitor{}, value); }

}  // namespace sondalink::platform::automation
