// The window fmConn loaded into the in-memory window, with its window-level
// inputs back at their start values and no data folder or shell calls left.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/fmconn.h"
#include "app/test_in_corso.h"
#include "environment/cartella_dati.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_ui.h"
#include "testlog/testlog.h"

namespace sondalink {

class FmConnTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TearDown();
    mstrServer.clear();
    mstrLogin.clear();
    mstrPassword.clear();
    mbTrusted = false;
    SegnaControlliBloccati(false);
    ASSERT_FALSE(MostraFinestra().failed());
  }
  void TearDown() override {
    fake::ui::Reset();
    fake::shell::Reset();
    gstrCartellaLog.clear();
    gstrFileLog.clear();
  }

  static fake::ui::Control& At(int id) { return fake::ui::At(id); }
  static fake::ui::State& Ui() { return fake::ui::Get(); }
  static std::vector<fake::ui::Box>& Boxes() { return fake::ui::Get().boxes; }
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

}  // namespace sondalink
