// What the frame and connection tests share: a shown window over the fakes,
// a fresh data folder, and the log file read back as "LEVEL: message" lines.
#pragma once

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/fmconn.h"
#include "environment/cartella_dati.h"
#include "fakes/fake_automation.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_ui.h"
#include "platform/text.h"
#include "support/log_lines.h"
#include "support/temp_folder.h"
#include "testlog/testlog.h"

namespace sondalink::testing {

class ConnectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::ui::Reset();
    fake::shell::Reset();
    fake::clock::Reset();
    fake::automation::Reset();
    folder_ = tmp_.path();
    gstrCartellaLog = folder_ + "\\";
    gstrFileLog.clear();
    ASSERT_FALSE(MostraFinestra().failed());
    fake::ui::Type(kEdServer, "SRV01");
    fake::ui::Type(kEdLogin, "sa");
    fake::ui::Type(kEdPassword, "segreta");
  }

  void TearDown() override {
    LogStop();
    fake::automation::Reset();
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
    const std::string file = TempFolder::ReadFile(gstrCartellaLog + fileName);
    const std::vector<std::string> lines = LinesOf(file);
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
    static const std::regex kStamp(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d, (INFO|WARNING|ERROR): )");
    for (size_t i = 6; i + 3 < n; ++i)
      body.push_back(std::regex_replace(platform::FromAnsi(lines[i]), kStamp, "$1: "));
    return body;
  }

  static std::vector<fake::ui::Box>& Boxes() { return fake::ui::Get().boxes; }
  static std::vector<fake::shell::StartCall>& Started() { return fake::shell::Get().started; }

  TempFolder tmp_;
  std::string folder_;
};

}  // namespace sondalink::testing
