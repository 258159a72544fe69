#include <ostream>
#include <string>

#include "fmconn_fixture.h"
#include "support/row_name.h"

namespace sondalink {
namespace {

using fake::ui::Click;
using fake::ui::Focus;
using fake::ui::Type;
using platform::ui::SysColor;

constexpr const char kValidationTitle[] = "Messaggio di Collaudino";

TEST_F(FmConnTest, WindowsAuthenticationDisablesAndEmptiesLoginAndPassword) {
  Type(kEdLogin, "sa");
  Type(kEdPassword, "segreta");
  Click(kOptTrusted);
  EXPECT_TRUE(At(kOptTrusted).value);
  EXPECT_FALSE(At(kOptSQL).value);
  for (int box : {kEdLogin, kEdPassword}) {
    EXPECT_FALSE(At(box).enabled);
    EXPECT_EQ(At(box).back, SysColor::ButtonFace);
    EXPECT_EQ(At(box).text, "");
  }
}

TEST_F(FmConnTest, BackToSqlAuthenticationRestoresTheLastValidatedLoginNotTheTypedOne) {
  Type(kEdServer, "srv");
  Type(kEdLogin, "validato");
  ASSERT_TRUE(ValidaParametriConnessione());
  Type(kEdLogin, "digitato");
  Type(kEdPassword, "pw");
  Click(kOptTrusted);
  Click(kOptSQL);
  ExpectEnabled({kEdLogin, kEdPassword}, true);
  ExpectBack({kEdLogin, kEdPassword}, SysColor::Window);
  EXPECT_EQ(At(kEdLogin).text, "validato");
  EXPECT_EQ(At(kEdPassword).text, "");
}

TEST_F(FmConnTest, ClickingTheOptionAlreadySelectedKeepsWhatWasTyped) {
  Type(kEdLogin, "sa");
  Type(kEdPassword, "pw");
  Click(kOptSQL);
  EXPECT_EQ(At(kEdLogin).text, "sa");
  EXPECT_EQ(At(kEdPassword).text, "pw");
}

TEST_F(FmConnTest, FocusIntoABoxSelectsAllOfItsText) {
  for (int box : {kEdServer, kEdLogin, kEdPassword}) {
    SCOPED_TRACE(box);
    Type(box, "abc è");  // length in the units the seam counts in
    Focus(box);
    EXPECT_EQ(Ui().focus, box);
    EXPECT_EQ(At(box).selStart, 0u);
    EXPECT_EQ(At(box).selLength, platform::ui::TextLength(box));
  }
}

struct ValidationCase {
  const char* name;
  bool trusted;
  const char* server;
  const char* login;
  const char* password;
  const char* message;  // null: accepted
  int focus;
  bool loginDisabled = false;  // under SQL authentication, the login box empty and disabled
};

void PrintTo(const ValidationCase& c, std::ostream* os) { *os << c.name; }

class Validation : public FmConnTest, public ::testing::WithParamInterface<ValidationCase> {};

TEST_P(Validation, ShowsWhatIsMissingOrCopiesTheInput) {
  const ValidationCase& c = GetParam();
  mstrServer = "prima";
  mstrLogin = "prima";
  mstrPassword = "prima";
  if (c.trusted) Click(kOptTrusted);
  Type(kEdServer, c.server);
  Type(kEdLogin, c.login);
  Type(kEdPassword, c.password);
  if (c.loginDisabled) platform::ui::SetEnabled(kEdLogin, false);
  Focus(kEdLog);
  bool ok = ValidaParametriConnessione();
  if (c.message) {
    EXPECT_FALSE(ok);
    ExpectOneBox(c.message, platform::ui::kExclamation, kValidationTitle);
    EXPECT_EQ(Ui().focus, c.focus);
    EXPECT_EQ(At(c.focus).selLength, platform::ui::TextLength(c.focus));
    EXPECT_EQ(mstrServer, "prima");  // untouched by a failed validation
    EXPECT_EQ(mstrLogin, "prima");
    return;
  }
  EXPECT_TRUE(ok);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(mstrServer, c.server);
  EXPECT_EQ(mbTrusted, c.trusted);
  EXPECT_EQ(mstrLogin, c.trusted ? "" : c.login);
  EXPECT_EQ(mstrPassword, c.trusted ? "" : c.password);
}

INSTANTIATE_TEST_SUITE_P(
    FmConn, Validation,
    ::testing::Values(
        ValidationCase{"EmptyServer", false, "", "sa", "pw", "Inserire il nome del Server/Istanza.",
                       kEdServer},
        ValidationCase{"EmptyServerUnderWindows", true, "", "", "",
                       "Inserire il nome del Server/Istanza.", kEdServer},
        ValidationCase{"EmptyLogin", false, "srv", "", "pw", "Inserire il Login ID.", kEdLogin},
        // The focus stays where it was.
        ValidationCase{"EmptyLoginInADisabledBox", false, "srv", "", "", "Inserire il Login ID.", kEdLog, true},
        ValidationCase{"BlanksAreAServer", false, "  ", "sa", "", nullptr, 0},
        ValidationCase{"EmptyPasswordAccepted", false, "srv\\ist ", " sa ", "", nullptr, 0},
        ValidationCase{"SqlAuthentication", false, "srv", "sa", "p w", nullptr, 0},
        ValidationCase{"WindowsAuthenticationIgnoresTheBoxes", true, "srv", "", "", nullptr, 0}),
    sondalink::testing::kRowName);

}  // namespace
}  // namespace sondalink
