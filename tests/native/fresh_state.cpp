// Every native test starts over fresh fakes and the program's state as at
// start-up, and leaves no fake object behind: the tests share one process,
// and the leak checker would count the cycles of fake objects.
#include <gtest/gtest.h>

#include "app/fmconn.h"
#include "app/test_in_corso.h"
#include "connection/dao.h"
#include "environment/cartella_dati.h"
#include "environment/registro.h"
#include "fakes/fake_automation.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_sysinfo.h"
#include "fakes/fake_ui.h"
#include "fakes/fake_version.h"
#include "testlog/testlog.h"

namespace sondalink {
namespace {

void Fresh() {
  RilasciaMotoreDAO();
  fake::automation::Reset();
  fake::clock::Reset();
  fake::registry::Reset();
  fake::shell::Reset();
  fake::sysinfo::Reset();
  fake::ui::Reset();
  fake::version::Reset();
  mudtChiaviAperte.clear();
  gstrCartellaLog.clear();
  gstrFileLog.clear();
  mstrServer.clear();
  mstrLogin.clear();
  mstrPassword.clear();
  mbTrusted = false;
  SegnaControlliBloccati(false);
}

class FreshState : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override { Fresh(); }
  void OnTestEnd(const ::testing::TestInfo&) override { Fresh(); }
};

[[maybe_unused]] const bool kListening = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new FreshState);
  return true;
}();

}  // namespace
}  // namespace sondalink
