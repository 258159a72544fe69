// The window fmConn loaded into the in-memory window, with its window-level
// inputs back at their start values.
#pragma once

#include <gtest/gtest.h>

#include "app/fmconn.h"
#include "app/test_in_corso.h"
#include "fakes/fake_ui.h"

namespace sondalink {

class FmConnTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::ui::Reset();
    mstrServer.clear();
    mstrLogin.clear();
    mstrPassword.clear();
    mbTrusted = false;
    SegnaControlliBloccati(false);
    ASSERT_FALSE(MostraFinestra().failed());
  }
  void TearDown() override { fake::ui::Reset(); }

  static fake::ui::Control& At(int id) { return fake::ui::At(id); }
  static fake::ui::State& Ui() { return fake::ui::Get(); }
  static std::vector<fake::ui::Box>& Boxes() { return fake::ui::Get().boxes; }
};

}  // namespace sondalink
