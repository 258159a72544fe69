// The scriptable automation fake: the native tests of the connection tests
// rely on it behaving as the Windows back end does.
#include "fakes/fake_automation.h"

#include <gtest/gtest.h>

#include "support/automation_contract.h"

namespace sondalink::fake::automation {
namespace {

namespace pa = platform::automation;

TEST(FakeAutomation, ToTextMatchesTheSystemConversion) { testing::contract::ExpectTexts(); }

TEST(FakeAutomation, ObjectsBecomeTextThroughTheirDefaultMemberOnly) {
  EXPECT_EQ(pa::ToText(NewField("Field", "F", int32_t{7})->object()).value, "7");

  Outcome<std::string> bare = pa::ToText(NewObject("Connection")->object());
  EXPECT_EQ(bare.error.number, kTypeMismatch);
  EXPECT_EQ(bare.error.description, "Type mismatch.");
}

TEST(FakeAutomation, UnknownClassesFailAsWindowsDoes) {
  testing::contract::ExpectUnknownClasses();
  EXPECT_EQ(pa::CreateFromClassId("{not-a-class}", "X").error.number, kInvalidClassString);
}

TEST(FakeAutomation, ClassesAreFoundByIdentityOrNameWithoutRegardToCase) {
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

  RegisterClass("{00000010-0000-0010-8000-00AA006D2EA4}", "",
                []() -> Outcome<Object> { return ErrorRecord{-2147467259, "Unspecified error", ""}; });
  auto failed = pa::CreateFromClassId("{00000010-0000-0010-8000-00AA006D2EA4}", "DAO.DBEngine.35");
  EXPECT_EQ(failed.error.source, "DAO.DBEngine.35");
  EXPECT_EQ(pa::CreateFromName("").error.number, kInvalidClassString);

  ASSERT_EQ(Journal().size(), 4u);
  EXPECT_EQ(Journal()[1].access, Access::Create);
  EXPECT_EQ(Journal()[1].member, "adodb.recordset");
}

TEST(FakeAutomation, MembersFailWithTheObjectsClassAsSource) {
  FakePtr conn = NewObject("DAO.Connection");
  conn->Property("Name", "c")
      .Failing("Close", ErrorRecord{3146, "ODBC--call failed.", ""})
      .Failing("Execute", ErrorRecord{3146, "ODBC--call failed.", "DAO.Database"});
  Object o = conn->object();

  auto unknown = pa::Get(o, "Nonesuch");
  EXPECT_EQ(unknown.error.number, kUnknownName);
  EXPECT_EQ(unknown.error.source, "DAO.Connection");
  EXPECT_EQ(pa::Put(o, "Name", "d").number, kMemberNotFound);
  EXPECT_EQ(conn->Current("Name"), Value{"c"}) << "a refused put changes nothing";
  EXPECT_EQ(pa::Call(o, "Name").error.number, kMemberNotFound);

  auto close = pa::Call(o, "close");
  EXPECT_EQ(close.error.number, 3146);
  EXPECT_EQ(close.error.source, "DAO.Connection");
  EXPECT_EQ(pa::Call(o, "Execute").error.source, "DAO.Database");
  EXPECT_EQ(pa::Get(Object{}, "Name").error.number, 91);
}

TEST(FakeAutomation, JournalKeepsOrderAndArgumentWidths) {
  FakePtr conn = NewObject("DAO.Connection");
  FakePtr rs = NewObject("");
  conn->Settable("QueryTimeout", int16_t{0})
      .Method("OpenRecordset", [rs](const Arguments& a) -> Outcome<Value> {
        if (a.size() != 2) return ErrorRecord{kTypeMismatch, "Type mismatch.", ""};
        return Value{rs->object()};
      });
  Object o = conn->object();

  ASSERT_FALSE(pa::Put(o, "QueryTimeout", int16_t{60}).failed());
  const Value args[] = {"SELECT @@VERSION", int32_t{4}};
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
  EXPECT_EQ(j[1].arguments, (Arguments{"SELECT @@VERSION", int32_t{4}}));
  EXPECT_EQ(j[1].member, "OpenRecordset");
}

TEST(FakeAutomation, CollectionsByPositionAndByName) {
  FakePtr a = NewField("Property", "Provider", 1);
  FakePtr b = NewField("Property", "Data Source", 2);
  Object dao = NewCollection("DAO.Properties", {a, b}, FakeObject::CountAs::Int16)->object();
  Object ado = NewCollection("ADODB.Properties", {a, b})->object();

  EXPECT_EQ(pa::Get(dao, "Count").value, Value{int16_t{2}});
  EXPECT_EQ(pa::Get(ado, "COUNT").value, Value{int32_t{2}});
  EXPECT_TRUE(IsObject(pa::Item(dao, int32_t{1}).value, b));
  EXPECT_TRUE(IsObject(pa::Item(ado, int16_t{0}).value, a));
  EXPECT_TRUE(IsObject(pa::Item(ado, "data source").value, b));
  for (const Value& missing : {Value{int32_t{2}}, Value{int32_t{-1}}, Value{"x"}}) {
    auto r = pa::Item(dao, missing);
    EXPECT_EQ(r.error.number, 3265);
    EXPECT_EQ(r.error.source, "DAO.Properties");
  }
  EXPECT_EQ(pa::Item(dao, 1.0).error.number, kTypeMismatch);
}

TEST(FakeAutomation, RecordsetWalksItsRowsAndThenHasNoCurrentRecord) {
  Object rs = NewRecordset("ADODB.Recordset",
                           {{{"attribute_name", "DBMS_NAME"}, {"attribute_value", "Microsoft SQL Server"}},
                            {{"attribute_name", "DBMS_VER"}, {"attribute_value", Null{}}}})
                  ->object();
  std::vector<std::string> seen;
  while (pa::Get(rs, "EOF").value == Value{false}) {
    Object fields = std::get<Object>(pa::Get(rs, "Fields").value);
    std::string line = pa::ToText(pa::Item(fields, int16_t{0}).value).value + "=" +
                       pa::ToText(pa::Item(fields, "ATTRIBUTE_VALUE").value).value;
    seen.push_back(line);
    ASSERT_TRUE(pa::Call(rs, "MoveNext").ok());
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"DBMS_NAME=Microsoft SQL Server", "DBMS_VER="}));
  EXPECT_EQ(pa::Call(rs, "MoveNext").error.number, 3021);
  EXPECT_EQ(pa::Get(rs, "Fields").error.source, "ADODB.Recordset");
}

}  // namespace
}  // namespace sondalink::fake::automation
