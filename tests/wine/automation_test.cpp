// Late-bound automation against objects that Wine itself provides: the
// scripting runtime's Dictionary and FileSystemObject, VBScript's RegExp,
// and the ADO connection class that a fresh prefix registers.
#include "platform/automation.h"

#include <gtest/gtest.h>

#include <initializer_list>

#include "platform/win32/windows_support.h"
#include "support/automation_contract.h"

namespace sondalink::platform::automation {
namespace {

using testing::Parts;

class Automation : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(Initialize().failed()); }
  void TearDown() override { Uninitialize(); }

  static Object Make(const char* className) {
    Outcome<Object> made = CreateFromName(className);
    EXPECT_TRUE(made.ok()) << className << ": " << made.error.number << " "
                           << made.error.description;
    return made.value;
  }
  // A method call with its arguments written in place.
  static Outcome<Value> CallWith(const Object& object, const char* method, std::initializer_list<Value> arguments) {
    return Call(object, method, std::span(arguments.begin(), arguments.size()));
  }
};

TEST_F(Automation, PropertiesAreWrittenAndReadBack) {
  Object re = Make("VBScript.RegExp");
  ASSERT_TRUE(re);
  ASSERT_FALSE(Put(re, "Pattern", std::string("[0-9]+")).failed());
  EXPECT_EQ(Get(re, "pattern").value, Value{std::string("[0-9]+")});

  ASSERT_FALSE(Put(re, "Global", true).failed());
  Outcome<Value> global = Get(re, "Global");
  ASSERT_TRUE(global.ok());
  EXPECT_EQ(global.value, Value{true});
  EXPECT_EQ(ToText(global.value).value, "True");
  ASSERT_FALSE(Put(re, "Global", false).failed());
  EXPECT_EQ(ToText(Get(re, "Global").value).value, "False");

  Object dict = Make("Scripting.Dictionary");
  ASSERT_FALSE(Put(dict, "CompareMode", int32_t{1}).failed());
  EXPECT_EQ(Get(dict, "CompareMode").value, Value{int32_t{1}});
}

TEST_F(Automation, MethodArgumentsArriveInTheirOrder) {
  Object re = Make("VBScript.RegExp");
  ASSERT_FALSE(Put(re, "Pattern", std::string("[0-9]")).failed());
  ASSERT_FALSE(Put(re, "Global", true).failed());
  EXPECT_EQ(CallWith(re, "Replace", {std::string("a1b22"), std::string("#")}).value, Value{std::string("a#b##")});
  EXPECT_EQ(CallWith(re, "Test", {std::string("abc")}).value, Value{false});

  Object dict = Make("Scripting.Dictionary");
  ASSERT_TRUE(CallWith(dict, "Add", {std::string("server"), std::string("ORSA\\SQL2000")}).ok());
  EXPECT_EQ(Item(dict, std::string("server")).value, Value{std::string("ORSA\\SQL2000")});
  EXPECT_EQ(ToText(CallWith(dict, "Exists", {std::string("server")}).value).value, "True");
}

// Every kind of value goes into a VARIANT and comes back the same, with the
// width of its integers kept.
TEST_F(Automation, ValuesRoundTripThroughVariants) {
  Object dict = Make("Scripting.Dictionary");
  Object re = Make("VBScript.RegExp");
  ASSERT_TRUE(dict && re);
  const Value values[] = {Value{},           Null{},
                          true,              uint8_t{200},
                          int16_t{-32768},   int32_t{-2147467259},
                          uint32_t{4294967295u}, int64_t{1} << 40,
                          0.5f,              2.5,
                          Currency{125000},  Decimal{2, true, 1, 150},
                          Date{36525.4375},  std::string("proprietà Sì"),
                          re};
  int16_t key = 0;
  for (const Value& v : values) {
    ASSERT_TRUE(CallWith(dict, "Add", {key, v}).ok()) << "alternative " << v.index();
    Outcome<Value> back = Item(dict, key);
    ASSERT_TRUE(back.ok()) << "alternative " << v.index();
    EXPECT_EQ(back.value, v) << "alternative " << v.index();
    ++key;
  }
  EXPECT_EQ(Get(dict, "Count").value, Value{int32_t{key}});
}

TEST_F(Automation, CollectionItemsByPositionAndObjectsThroughTheirDefaultMember) {
  Object re = Make("VBScript.RegExp");
  ASSERT_FALSE(Put(re, "Pattern", std::string("[0-9]+")).failed());
  ASSERT_FALSE(Put(re, "Global", true).failed());
  Outcome<Value> matches = CallWith(re, "Execute", {std::string("a1 b22 c333")});
  ASSERT_TRUE(matches.ok());
  Object collection = std::get<Object>(matches.value);
  EXPECT_EQ(Get(collection, "Count").value, Value{int32_t{3}});

  Outcome<Value> second = Item(collection, int32_t{1});
  ASSERT_TRUE(second.ok());
  Object match = std::get<Object>(second.value);
  EXPECT_EQ(Get(match, "Value").value, Value{std::string("22")});
  EXPECT_EQ(ToText(Get(match, "FirstIndex").value).value, "4");
  EXPECT_EQ(ToText(match).value, "22");
  EXPECT_EQ(ToText(Item(collection, int16_t{2}).value).value, "333");
}

TEST_F(Automation, ToTextUsesTheUsersLocale) {
  // The test prefix's user locale is English (United States).
  testing::contract::ExpectTexts();

  // A dictionary's default member needs a key: it cannot become text.
  Outcome<std::string> object = ToText(Make("Scripting.Dictionary"));
  EXPECT_TRUE(object.error.failed());
  EXPECT_TRUE(object.value.empty());
}

// Wine's components raise their failures as exceptions that carry a code
// and no text; those of Windows add their own description.
TEST_F(Automation, AComponentExceptionGivesItsNumberAndSource) {
  Object dict = Make("Scripting.Dictionary");
  ASSERT_TRUE(CallWith(dict, "Add", {std::string("k"), int32_t{1}}).ok());
  Outcome<Value> again = CallWith(dict, "Add", {std::string("k"), int32_t{1}});
  EXPECT_EQ(again.error.number, 457);  // 0x800A01C9: the control facility's low word
  EXPECT_EQ(again.error.source, "Scripting.Dictionary");

  Object fso = Make("Scripting.FileSystemObject");
  EXPECT_EQ(CallWith(fso, "GetFile", {std::string("C:\\windows\\nonesuch.log")}).error.number, 53);
  EXPECT_EQ(CallWith(fso, "GetFile", {std::string("C:\\nonesuch\\sondalink.log")}).error.number, 76);

  // A code outside the control facility stays whole, with the system's text.
  Object shell = Make("WScript.Shell");
  Outcome<Value> read = CallWith(shell, "RegRead", {std::string("HKCU\\Software\\Nonesuch\\Value")});
  EXPECT_EQ(Parts(read.error),  // HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)
            Parts({-2147024894, win32::SystemMessage(ERROR_FILE_NOT_FOUND), "WScript.Shell"}));
  EXPECT_FALSE(read.error.description.empty());
}

TEST_F(Automation, VbscriptRuntimeErrorsAreReportedByTheirOwnNumbers) {
  Object script = Make("MSScriptControl.ScriptControl");
  ASSERT_TRUE(script);
  ASSERT_FALSE(Put(script, "Language", std::string("VBScript")).failed());
  EXPECT_EQ(CallWith(script, "ExecuteStatement", {std::string("Err.Raise 5000")}).error.number, 5000);
  EXPECT_EQ(CallWith(script, "Eval", {std::string("CLng(\"x\")")}).error.number, 13);
  Outcome<Value> byZero = CallWith(script, "Eval", {std::string("1/0")});
  EXPECT_EQ(byZero.error.number, -2147352558);  // DISP_E_DIVBYZERO, not a control code
  EXPECT_EQ(byZero.error.description, "Division by zero.");
  EXPECT_EQ(ToText(CallWith(script, "Eval", {std::string("6*7")}).value).value, "42");
}

TEST_F(Automation, UnknownClassesAndNames) { testing::contract::ExpectUnknownClasses(); }

TEST_F(Automation, FailuresWithoutASourceNameTheClassCreated) {
  Object re = Make("VBScript.RegExp");
  EXPECT_EQ(Parts(Get(re, "Nonesuch").error), Parts({-2147352570, "Unknown name.", "VBScript.RegExp"}));

  // Objects handed out by a member inherit the class name.
  ASSERT_FALSE(Put(re, "Pattern", std::string("a")).failed());
  Object matches = std::get<Object>(CallWith(re, "Execute", {std::string("a")}).value);
  EXPECT_EQ(Item(matches, int32_t{5}).error.source, "VBScript.RegExp");
  EXPECT_EQ(Put(matches, "Nonesuch", int32_t{1}).source, "VBScript.RegExp");

  EXPECT_EQ(Get(Object{}, "Name").error.number, 91);
}

// A fresh prefix registers ADO's connection class but not its type library:
// the object is created, and its members fail.
TEST_F(Automation, WinesAdoConnectionIsCreatedButItsMembersFail) {
  Outcome<Object> conn =
      CreateFromClassId("{00000514-0000-0010-8000-00AA006D2EA4}", "ADODB.Connection");
  ASSERT_TRUE(conn.ok()) << conn.error.number << " " << conn.error.description;
  EXPECT_EQ(Parts(Get(conn.value, "Version").error),  // 0x8002801D
            Parts({-2147319779, "Library not registered.", "ADODB.Connection"}));
}

}  // namespace
}  // namespace sondalink::platform::automation
