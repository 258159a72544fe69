// The window fmConn loaded into the in-memory window (fresh_state.cpp has
// put the fakes and the program's state back as at start-up); for the runs
// of a test, a data folder and the log read back.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "app/fmconn.h"
#include "app/test_in_corso.h"
#include "environment/cartella_dati.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_ui.h"
#include "platform/text.h"
#include "support/log_lines.h"
#include "support/temp_folder.h"
#include "testlog/testlog.h"

namespace sondalink {

inline const std::vector<int> kInputsAndTestButtons = {kEdServer, kOptSQL, kOptTrusted, kEdLogin, kEdPassword,
                                                       kCmdADO, kCmdSQLDMO, kCmdDAODirect, kCmdRDO, kCmdODBC};

// A control's row in the window's table; null for none.
inline const platform::ui::ControlDef* Find(int id) {
  const platform::ui::ControlDef* end = kFormConn.controls + kFormConn.count;
  const platform::ui::ControlDef* it = std::ranges::find(kFormConn.controls, end, id, &platform::ui::ControlDef::id);
  return it == end ? nullptr : it;
}

// A box of the program's, as shown.
inline fake::ui::Box Shown(int flags, const std::string& text) { return {text, flags, "Messaggio di Sondalink"}; }

class FmConnTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(MostraFinestra().failed()); }

  static fake::ui::Control& At(int id) { return fake::ui::At(id); }
  static fake::ui::State& Ui() { return fake::ui::Get(); }
  static std::vector<fake::ui::Box>& Boxes() { return fake::ui::Get().boxes; }
  static std::vector<fake::shell::StartCall>& Started() { return fake::shell::Get().started; }
  // The one box shown; a text ending in "..." is matched by its beginning.
  static void ExpectOneBox(const std::string& text, int flags,
                           const char* title = "Messaggio di Sondalink") {
    ASSERT_EQ(Boxes().size(), 1u);
    if (text.ends_with("...")) {
      EXPECT_TRUE(Boxes()[0].text.starts_with(text.substr(0, text.size() - 3))) << Boxes()[0].text;
    } else {
      EXPECT_EQ(Boxes()[0].text, text);
    }
    EXPECT_EQ(Boxes()[0].flags, flags);
    EXPECT_EQ(Boxes()[0].title, title);
  }
  static void ExpectEnabled(const std::vector<int>& ids, bool enabled) {
    for (int id : ids) EXPECT_EQ(At(id).enabled, enabled) << id;
  }
  static void ExpectBack(const std::vector<int>& boxes, platform::ui::SysColor color) {
    for (int box : boxes) EXPECT_EQ(At(box).back, color) << box;
  }
};

// The frame and connection tests: a fresh data folder, the inputs typed.
class ConnectionTest : public FmConnTest {
 protected:
  void SetUp() override {
    folder_ = tmp_.path();
    FmConnTest::SetUp();
    gstrCartellaLog = folder_ + "\\";
    fake::ui::Type(kEdServer, "SRV01");
    fake::ui::Type(kEdLogin, "sa");
    fake::ui::Type(kEdPassword, "segreta");
  }

  void TearDown() override { LogStop(); }

  // Notepad in a normal window with the focus on the log, or nothing started.
  static void ExpectNotepad(const std::string& logFile, bool started) {
    const std::vector<fake::shell::StartCall> notepad = {{"notepad.exe " + gstrCartellaLog + logFile, 1}};
    EXPECT_EQ(Started(), started ? notepad : std::vector<fake::shell::StartCall>{});
  }

  // A sub-folder of the test's folder as the data folder.
  void UseDataFolder(const std::string& name) {
    tmp_.MakeFolder(name);
    gstrCartellaLog = folder_ + "\\" + name + "\\";
  }

  // The body of the log, each line as "INFO: msg", "WARNING: msg" or
  // "ERROR: msg" with its time stamp dropped and back from the ANSI code
  // page; header and footer checked and left out. A line without a level
  // (inside a message that holds line breaks) is kept as it stands.
  static std::vector<std::string> Body(const std::string& fileName) {
    const std::string file = testing::TempFolder::ReadFile(gstrCartellaLog + fileName);
    const std::vector<std::string> lines = testing::LinesOf(file);
    std::vector<std::string> body;
    if (lines.size() < 9) {
      ADD_FAILURE() << "log too short: " << lines.size() << " lines";
      return body;
    }
    EXPECT_EQ(lines[0], std::string(91, '-'));
    EXPECT_EQ(lines[3], "Nome file di log: '" + fileName + "'");
    EXPECT_EQ(lines[5], std::string(91, '-'));
    const size_t n = lines.size();
    EXPECT_EQ(lines[n - 3].rfind("Operazione terminata il ", 0), 0u) << lines[n - 3];
    EXPECT_TRUE(file.ends_with(std::string(68, '-') + "\r\n \r\n"));
    static const std::regex kStamp(std::string("^") + testing::kStampPattern + ", (INFO|WARNING|ERROR): ");
    for (size_t i = 6; i + 3 < n; ++i)
      body.push_back(std::regex_replace(platform::FromAnsi(lines[i]), kStamp, "$1: "));
    return body;
  }

  testing::TempFolder tmp_;
  std::string folder_;
};

}  // namespace sondalink
