#include <cctype>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "fmconn_fixture.h"

namespace sondalink {
namespace {

using platform::ui::ControlKind;
using platform::ui::SysColor;

using platform::ui::ControlDef;
using platform::ui::TwipsRect;

// What the table must satisfy, not the table again: a changed position or
// order passes as long as the window still works for its user.
std::span<const ControlDef> Controls() { return {kFormConn.controls, kFormConn.count}; }

std::optional<char> AccessKey(const char* caption) {
  const char* amp = caption ? std::strchr(caption, '&') : nullptr;
  if (!amp || !amp[1]) return std::nullopt;
  return static_cast<char>(std::tolower(static_cast<unsigned char>(amp[1])));
}

// The window's texts are fixed word for word, in tab order.
TEST(FmConnTable, CaptionsAreTheWindowsFixedTextsInTabOrder) {
  EXPECT_STREQ(kFormConn.caption, "Test connessioni SQL Server/MSDE");
  const char* const kCaptions[] = {
      "Parametri di connessione all'istanza", "", "&Server\\Istanza:", "",
      "Utilizza autenticazione &Windows integrata",
      "Utilizza &autenticazione SQL Server tramite ID e password", "&Login ID:", "",
      "&Password:", "", "", "Test connessione SQL&DMO", "Test connessione &ADO",
      "Test connessione D&AO ODBCDirect", "Test connessione RDO",
      "Test connessione &ODBC DSN less ", "Apri cartella file di &LOG"};
  ASSERT_EQ(Controls().size(), std::size(kCaptions));
  for (size_t i = 0; i < std::size(kCaptions); ++i) {
    EXPECT_STREQ(Controls()[i].caption ? Controls()[i].caption : "", kCaptions[i]) << i;
  }
}

// Two controls of one container with one access key leave the second out of
// reach by its key; only the two test buttons whose fixed captions both mark
// an "A" share one.
TEST(FmConnTable, AccessKeysAreUniquePerContainerBarTheCaptionsOwnClash) {
  std::map<std::pair<int, char>, std::vector<std::string>> owners;
  for (const ControlDef& def : Controls()) {
    if (std::optional<char> key = AccessKey(def.caption)) {
      owners[{def.parent, *key}].push_back(def.name);
    }
  }
  for (const auto& [where, names] : owners) {
    if (names == std::vector<std::string>{"cmdADO", "cmdDAODirect"}) continue;
    EXPECT_EQ(names.size(), 1u) << "key " << where.second << " in container " << where.first
                                << ": " << names.front() << ", " << names.back();
  }
}

bool Inside(const TwipsRect& r, int width, int height) {
  return r.left >= 0 && r.top >= 0 && r.left + r.width <= width && r.top + r.height <= height;
}
bool Overlap(const TwipsRect& a, const TwipsRect& b) {
  return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
         b.top < a.top + a.height;
}
// Twips to pixels as Windows scales a dialog: 1440 twips to the inch.
TwipsRect ToPixels(const TwipsRect& r, int dpi) {
  auto px = [dpi](int twips) { return (twips * dpi + 720) / 1440; };
  return {px(r.left), px(r.top), px(r.width), px(r.height)};
}

// At 100 % to 200 % every control stays whole inside its parent and clear of
// its siblings: nothing is clipped or covered.
TEST(FmConnTable, ChildrenStayInsideTheirParentsAndApartAtEveryDpi) {
  for (int dpi : {1440, 96, 120, 144, 192}) {  // 1440: the twips themselves
    SCOPED_TRACE(dpi);
    const TwipsRect client = ToPixels({0, 0, kFormConn.clientWidth, kFormConn.clientHeight}, dpi);
    for (const ControlDef& def : Controls()) {
      SCOPED_TRACE(def.name);
      const TwipsRect r = ToPixels(def.rect, dpi);
      const ControlDef* parent = def.parent ? Find(def.parent) : nullptr;
      ASSERT_TRUE(def.parent == 0 || parent);
      const TwipsRect room = parent ? ToPixels(parent->rect, dpi) : client;
      EXPECT_TRUE(Inside(r, room.width, room.height));
      EXPECT_GT(r.width, 0);
      EXPECT_GT(r.height, 0);
      for (const ControlDef& other : Controls()) {
        if (&other != &def && other.parent == def.parent) {
          EXPECT_FALSE(Overlap(r, ToPixels(other.rect, dpi))) << other.name;
        }
      }
    }
  }
}

// The table's order is the tab order: a container before what it holds, its
// controls next to one another; a label just before the box its access key
// reaches; controls of one kind in one container from top to bottom.
TEST(FmConnTable, TabOrderKeepsContainersTogetherLabelsBeforeTheirBoxesAndGoesDown) {
  std::set<int> seen;
  for (size_t i = 0; i < Controls().size(); ++i) {
    const ControlDef& def = Controls()[i];
    SCOPED_TRACE(def.name);
    EXPECT_NE(def.id, 0);
    EXPECT_TRUE(seen.insert(def.id).second) << "id twice";
    EXPECT_TRUE(def.parent == 0 || seen.count(def.parent)) << "before its container";
    if (i > 0 && def.parent != 0 && def.parent != Controls()[i - 1].id) {
      EXPECT_EQ(Controls()[i - 1].parent, def.parent) << "apart from its container's others";
    }
    if (def.kind == ControlKind::Label) {
      ASSERT_LT(i + 1, Controls().size());
      EXPECT_EQ(Controls()[i + 1].kind, ControlKind::TextBox);
      EXPECT_EQ(Controls()[i + 1].parent, def.parent);
      EXPECT_TRUE(AccessKey(def.caption));
    }
    for (size_t j = 0; j < i; ++j) {
      const ControlDef& before = Controls()[j];
      if (before.kind == def.kind && before.parent == def.parent) {
        EXPECT_LT(before.rect.top, def.rect.top) << "below " << before.name;
      }
    }
  }
  EXPECT_EQ(Find(kOptSQL) - Find(kOptTrusted), 1) << "the options are one group";
}

TEST(FmConnTable, MarksThePasswordBoxAndTheLogBox) {
  using namespace platform::ui;
  for (const ControlDef& def : Controls()) {
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
  for (int box : {kEdServer, kEdLogin, kEdPassword, kEdLog}) {
    EXPECT_EQ(At(box).back, box == kEdLog ? SysColor::ButtonFace : SysColor::Window) << box;
    EXPECT_EQ(At(box).text, "") << box;
  }
  ExpectEnabled({kEdServer, kEdLogin, kEdPassword, kCmdSQLDMO, kCmdADO, kCmdDAODirect, kCmdOpenLog},
                true);
  ExpectEnabled({kCmdRDO, kCmdODBC}, false);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_FALSE(TestInCorso());
}

}  // namespace
}  // namespace sondalink
