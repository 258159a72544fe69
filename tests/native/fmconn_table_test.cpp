#include <string>

#include "fmconn_fixture.h"

namespace sondalink {
namespace {

using platform::ui::ControlKind;
using platform::ui::SysColor;

struct Expected {
  int id;
  ControlKind kind;
  int parent;
  const char* caption;
  int left, top, width, height;
};

// The window as the user meets it, in tab order.
constexpr Expected kExpected[] = {
    {kFrame1, ControlKind::Frame, 0, "Parametri di connessione all'istanza", 135, 135, 5025, 2400},
    {kPcFrame, ControlKind::Panel, kFrame1, "", 30, 180, 4875, 2145},
    {kLabel6, ControlKind::Label, kPcFrame, "&Server\\Istanza:", 180, 225, 1275, 285},
    {kEdServer, ControlKind::TextBox, kPcFrame, "", 1530, 180, 3150, 315},
    {kOptTrusted, ControlKind::OptionButton, kPcFrame, "Utilizza autenticazione &Windows integrata",
     180, 585, 4470, 285},
    {kOptSQL, ControlKind::OptionButton, kPcFrame,
     "Utilizza &autenticazione SQL Server tramite ID e password", 180, 900, 4470, 285},
    {kLabel2, ControlKind::Label, kPcFrame, "&Login ID:", 450, 1350, 735, 330},
    {kEdLogin, ControlKind::TextBox, kPcFrame, "", 1575, 1305, 2115, 315},
    {kLabel1, ControlKind::Label, kPcFrame, "&Password:", 450, 1710, 735, 330},
    {kEdPassword, ControlKind::TextBox, kPcFrame, "", 1575, 1710, 2115, 315},
    {kEdLog, ControlKind::TextBox, 0, "", 135, 2655, 8295, 4065},
    {kCmdSQLDMO, ControlKind::CommandButton, 0, "Test connessione SQL&DMO", 5355, 225, 3075, 330},
    {kCmdADO, ControlKind::CommandButton, 0, "Test connessione &ADO", 5355, 585, 3075, 330},
    {kCmdDAODirect, ControlKind::CommandButton, 0, "Test connessione D&AO ODBCDirect", 5355, 945,
     3075, 330},
    {kCmdRDO, ControlKind::CommandButton, 0, "Test connessione RDO", 5355, 1305, 3075, 330},
    {kCmdODBC, ControlKind::CommandButton, 0, "Test connessione &ODBC DSN less ", 5355, 1665, 3075,
     330},
    {kCmdOpenLog, ControlKind::CommandButton, 0, "Apri cartella file di &LOG", 5355, 2205, 3075,
     330},
};

TEST(FmConnTable, HoldsEveryControlInTabOrderWithKindParentCaptionAndTwips) {
  ASSERT_EQ(kFormConn.count, std::size(kExpected));
  EXPECT_STREQ(kFormConn.caption, "Test connessioni SQL Server/MSDE");
  EXPECT_EQ(kFormConn.clientWidth, 8595);
  EXPECT_EQ(kFormConn.clientHeight, 6870);
  for (size_t i = 0; i < std::size(kExpected); ++i) {
    const auto& def = kFormConn.controls[i];
    const Expected& want = kExpected[i];
    SCOPED_TRACE(def.name);
    EXPECT_EQ(def.id, want.id);
    EXPECT_EQ(def.kind, want.kind);
    EXPECT_EQ(def.parent, want.parent);
    EXPECT_EQ(std::string(def.caption ? def.caption : ""), want.caption);
    EXPECT_EQ(def.rect.left, want.left);
    EXPECT_EQ(def.rect.top, want.top);
    EXPECT_EQ(def.rect.width, want.width);
    EXPECT_EQ(def.rect.height, want.height);
  }
}

TEST(FmConnTable, MarksThePasswordBoxAndTheLogBox) {
  using namespace platform::ui;
  for (size_t i = 0; i < kFormConn.count; ++i) {
    const auto& def = kFormConn.controls[i];
    SCOPED_TRACE(def.name);
    EXPECT_EQ((def.style & kStylePassword) != 0, def.id == kEdPassword);
    unsigned log = kStyleMultiLine | kStyleReadOnly | kStyleScrollBars | kStyleButtonFace;
    EXPECT_EQ(def.style & log, def.id == kEdLog ? log : 0u);
    EXPECT_EQ((def.style & kStyleDisabled) != 0, def.id == kCmdRDO || def.id == kCmdODBC);
  }
}

TEST_F(FmConnTest, LoadSelectsSqlAuthenticationWithEveryBoxUsableAndEmpty) {
  EXPECT_TRUE(Ui().open);
  EXPECT_EQ(Ui().caption, "Test connessioni SQL Server/MSDE");
  EXPECT_TRUE(At(kOptSQL).value);
  EXPECT_FALSE(At(kOptTrusted).value);
  for (int box : {kEdServer, kEdLogin, kEdPassword}) {
    SCOPED_TRACE(box);
    EXPECT_TRUE(At(box).enabled);
    EXPECT_EQ(At(box).back, SysColor::Window);
    EXPECT_EQ(At(box).text, "");
  }
  EXPECT_EQ(At(kEdLog).back, SysColor::ButtonFace);
  EXPECT_EQ(At(kEdLog).text, "");
  for (int button : {kCmdSQLDMO, kCmdADO, kCmdDAODirect, kCmdOpenLog}) {
    EXPECT_TRUE(At(button).enabled) << button;
  }
  EXPECT_FALSE(At(kCmdRDO).enabled);
  EXPECT_FALSE(At(kCmdODBC).enabled);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_FALSE(TestInCorso());
}

}  // namespace
}  // namespace sondalink
