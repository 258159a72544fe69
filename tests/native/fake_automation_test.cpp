// The scriptable automation fake: the native tests of the connection tests
// rely on it behaving as the Windows back end does.
#include "fakes/fake_automation.h"

#include <gtest/gtest.h>

#include <limits>

namespace sondalink::fake::automation {
namespace {

namespace pa = platform::automation;

class FakeAutomation : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }
};

// Each expected text is what VariantChangeTypeEx gave under Wine's English
// (United States) locale for the same value.
TEST_F(FakeAutomation, ToTextMatchesTheSystemConversion) {
  const struct {
    Value value;
    const char* text;
  } cases[] = {
      {Value{}, ""},
      {Null{}, ""},
      {true, "True"},
      {false, "False"},
      {uint8_t{200}, "200"},
      {int16_t{-32768}, "-32768"},
      {int32_t{-2147467259}, "-2147467259"},
      {int64_t{1} << 40, "1099511627776"},
      {0.1, "0.1"},
      {1e20, "1E+20"},
      {1e15, "1E+15"},
      {123456789012345.0, "123456789012345"},
      {1e-5, "1E-05"},
      {0.0001, "0.0001"},
      {1.0 / 3, "0.333333333333333"},
      {-0.0, "0"},
      {2.5e-10, "2.5E-10"},
      {0.1f, "0.1"},
      {12345678.f, "1.234568E+07"},
      {Currency{125000}, "12.5"},
      {Currency{30000}, "3"},
      {Currency{-1}, "-0.0001"},
      {Currency{123456789}, "12345.6789"},
      {Currency{std::numeric_limits<int64_t>::min()}, "-922337203685477.5808"},
      {Decimal{2, false, 0, 150}, "1.5"},
      {Decimal{0, true, 1, 0}, "-18446744073709551616"},
      {Decimal{3, false, 0, 5}, "0.005"},
      {Date{36525.0}, "12/31/1999"},
      {Date{36525.4375}, "12/31/1999 10:30:00 AM"},
      {Date{0.4375}, "10:30:00 AM"},
      {Date{0.0}, "12:00:00 AM"},
      {Date{2.5}, "1/1/1900 12:00:00 PM"},
      {Date{-1.25}, "12/29/1899 6:00:00 AM"},
      {std::string("Microsoft SQL Server"), "Microsoft SQL Server"},
  };
  for (const auto& c : cases) {
    Outcome<std::string> text = pa::ToText(c.value);
    EXPECT_TRUE(text.ok()) << c.text;
    EXPECT_EQ(text.value, c.text) << "alternative " << c.value.index();
  }
}

TEST_F(FakeAutomation, ObjectsBecomeTextThroughTheirDefaultMemberOnly) {
  FakePtr field = NewObject("Field");
  field->Property("Value", int32_t{7}).DefaultMember("Value");
  EXPECT_EQ(pa::ToText(field->object()).value, "7");

  Outcome<std::string> bare = pa::ToText(NewObject("Connection")->object());
  EXPECT_EQ(bare.error.number, kTypeMismatch);
  EXPECT_EQ(bare.error.description, "Type mismatch.");
}

TEST_F(FakeAutomation, UnknownClassesFailAsWindowsDoes) {
  auto byId = pa::CreateFromClassId("{00000010-0000-0010-8000-00AA006D2EA4}", "DAO.DBEngine.35");
  EXPECT_EQ(byId.error.number, -2147221164);
  EXPECT_EQ(byId.error.description, "Class not registered");
  EXPECT_EQ(byId.error.source, "DAO.DBEngine.35");

  auto byName = pa::CreateFromName("SQLDMO.SQLServer");
  EXPECT_EQ(byName.error.number, -2147221005);
  EXPECT_EQ(byName.error.description, "Invalid class string");
  EXPECT_EQ(byName.error.source, "SQLDMO.SQLServer");

  EXPECT_EQ(pa::CreateFromClassId("{not-a-class}", "X").error.number, kInvalidClassString);
  EXPECT_FALSE(byId.value);
}

TEST_F(FakeAutomation, ClassesAreFoundByIdentityOrNameWithoutRegardToCase) {
  int made = 0;
  RegisterClass("{00000535-0000-0010-8000-00AA006D2EA4}", "ADODB.Recordset",
                [&made]() -> Outcome<Object> {
                  ++made;
                  return NewObject("")->object();
                });
  auto a = pa::CreateFromClassId("{00000535-0000-0010-8000-00aa006d2ea4}", "ADODB.Recordset");
  auto b = pa::CreateFromName("adodb.recordset");
  ASSERT_TRUE(a.ok() && b.ok());
  EXPECT_NE(a.value.impl(), b.value.impl());
  EXPECT_EQ(made, 2);
  EXPECT_EQ(a.value.impl()->className, "ADODB.Recordset");

  RegisterFailingClass("{00000010-0000-0010-8000-00AA006D2EA4}", "",
                       ErrorRecord{-2147467259, "Unspecified error", ""});
  auto failed = pa::CreateFromClassId("{00000010-0000-0010-8000-00AA006D2EA4}", "DAO.DBEngine.35");
  EXPECT_EQ(failed.error.source, "DAO.DBEngine.35");
  EXPECT_EQ(pa::CreateFromName("").error.number, kInvalidClassString);

  ASSERT_EQ(Journal().size(), 4u);
  EXPECT_EQ(Journal()[1].access, Access::Create);
  EXPECT_EQ(Journal()[1].member, "adodb.recordset");
}

TEST_F(FakeAutomation, MembersFailWithTheObjectsClassAsSource) {
  FakePtr conn = NewObject("DAO.Connection");
  conn->Property("Name", std::string("c"))
      .Failing("Close", ErrorRecord{3146, "ODBC--call failed.", ""})
      .Failing("Execute", ErrorRecord{3146, "ODBC--call failed.", "DAO.Database"});
  Object o = conn->object();

  auto unknown = pa::Get(o, "Nonesuch");
  EXPECT_EQ(unknown.error.number, kUnknownName);
  EXPECT_EQ(unknown.error.source, "DAO.Connection");
  EXPECT_EQ(pa::Put(o, "Name", std::string("d")).number, kMemberNotFound);
  EXPECT_EQ(conn->Current("Name"), Value{std::string("c")}) << "a refused put changes nothing";
  EXPECT_EQ(pa::Call(o, "Name").error.number, kMemberNotFound);

  auto close = pa::Call(o, "close");
  EXPECT_EQ(close.error.number, 3146);
  EXPECT_EQ(close.error.source, "DAO.Connection");
  EXPECT_EQ(pa::Call(o, "Execute").error.source, "DAO.Database");
  EXPECT_EQ(pa::Get(Object{}, "Name").error.number, 91);
}

TEST_F(FakeAutomation, JournalKeepsOrderAndArgumentWidths) {
  FakePtr conn = NewObject("DAO.Connection");
  FakePtr rs = NewObject("");
  conn->Settable("QueryTimeout", int16_t{0})
      .Method("OpenRecordset", [rs](const Arguments& a) -> Outcome<Value> {
        if (a.size() != 2) return ErrorRecord{kTypeMismatch, "Type mismatch.", ""};
        return Value{rs->object()};
      });
  Object o = conn->object();

  ASSERT_FALSE(pa::Put(o, "QueryTimeout", int16_t{60}).failed());
  const Value args[] = {std::string("SELECT @@VERSION"), int32_t{4}};
  auto opened = pa::Call(o, "OpenRecordset", args);
  ASSERT_TRUE(opened.ok());
  EXPECT_TRUE(IsObject(opened.value, rs));
  EXPECT_EQ(rs->className, "DAO.Connection") << "an object from a member inherits the class";

  const auto& j = Journal();
  ASSERT_EQ(j.size(), 2u);
  EXPECT_EQ(j[0].access, Access::Put);
  EXPECT_TRUE(std::holds_alternative<int16_t>(j[0].arguments.at(0)));
  EXPECT_EQ(conn->Current("querytimeout"), Value{int16_t{60}});
  EXPECT_EQ(j[1].access, Access::Call);
  EXPECT_EQ(j[1].target, conn.get());
  EXPECT_EQ(j[1].arguments, (Arguments{std::string("SELECT @@VERSION"), int32_t{4}}));
  EXPECT_EQ(Journal("openrecordset").size(), 1u);
}

TEST_F(FakeAutomation, CollectionsByPositionAndByName) {
  FakePtr a = NewObject("Property");
  a->Property("Name", std::string("Provider"));
  FakePtr b = NewObject("Property");
  b->Property("Name", std::string("Data Source"));
  Object dao = NewCollection("DAO.Properties", {a, b}, FakeObject::CountAs::Int16)->object();
  Object ado = NewCollection("ADODB.Properties", {a, b})->object();

  EXPECT_EQ(pa::Get(dao, "Count").value, Value{int16_t{2}});
  EXPECT_EQ(pa::Get(ado, "COUNT").value, Value{int32_t{2}});
  EXPECT_TRUE(IsObject(pa::Item(dao, int32_t{1}).value, b));
  EXPECT_TRUE(IsObject(pa::Item(ado, int16_t{0}).value, a));
  EXPECT_TRUE(IsObject(pa::Item(ado, std::string("data source")).value, b));
  for (const Value& missing : {Value{int32_t{2}}, Value{int32_t{-1}}, Value{std::string("x")}}) {
    auto r = pa::Item(dao, missing);
    EXPECT_EQ(r.error.number, 3265);
    EXPECT_EQ(r.error.source, "DAO.Properties");
  }
  EXPECT_EQ(pa::Item(dao, 1.0).error.number, kTypeMismatch);
}

TEST_F(FakeAutomation, RecordsetWalksItsRowsAndThenHasNoCurrentRecord) {
  Object rs = NewRecordset("ADODB.Recordset",
                           {{{"attribute_name", std::string("DBMS_NAME")},
                             {"attribute_value", std::string("Microsoft SQL Server")}},
                            {{"attribute_name", std::string("DBMS_VER")},
                             {"attribute_value", Null{}}}})
                  ->object();
  std::vector<std::string> seen;
  while (pa::Get(rs, "EOF").value == Value{false}) {
    Object fields = std::get<Object>(pa::Get(rs, "Fields").value);
    std::string line = pa::ToText(pa::Item(fields, int16_t{0}).value).value + "=" +
                       pa::ToText(pa::Item(fields, std::string("ATTRIBUTE_VALUE")).value).value;
    seen.push_back(line);
    ASSERT_TRUE(pa::Call(rs, "MoveNext").ok());
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"DBMS_NAME=Microsoft SQL Server", "DBMS_VER="}));
  EXPECT_EQ(pa::Call(rs, "MoveNext").error.number, 3021);
  EXPECT_EQ(pa::Get(rs, "Fields").error.source, "ADODB.Recordset");
}

}  // namespace
}  // namespace sondalink::fake::automation
