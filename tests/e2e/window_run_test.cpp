// The window around a real test run, with the stand-in components answering
// for ADO: the window locked and its close guard while the run goes on, the
// inputs that the validation keeps for the next run.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "driver.h"
#include "standin_control.h"

namespace sondalink::e2e {
namespace {

const char* const kRefused = "Impossibile uscire dal programma quando è in corso il test.";

class WindowDuringATest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // A data folder whose path is wider than the log box: the last line of
    // every run, which names the log file, is.
    dataFolder.emplace(kLongFolder);
    ASSERT_EQ(standin::RegisterStandin(), S_OK);
    // Every property of the listing takes 100 ms, each followed by a log
    // line that lets the window handle its events: at most 3 s of a run,
    // which a test that has seen what it needed of it cuts short.
    release.emplace();
    ASSERT_TRUE(standin::UseScenario(standin::StandinFolder() + L"e2e-window.txt",
                                     standin::SlowListing("ado", 30, 100) + release->Line()));
  }
  static void TearDownTestSuite() {
    standin::ForgetScenario();
    standin::UnregisterStandin();
    release.reset();
    dataFolder.reset();
  }

  static constexpr wchar_t kLongFolder[] =
      L"C:\\users\\Public\\Dati locali della postazione di prova, con un percorso piuttosto lungo";
  static inline std::optional<LocalAppDataMovedTo> dataFolder;
  static inline std::optional<standin::Release> release;

  void SetUp() override {
    release->Hold();
    ASSERT_TRUE(app.window());
  }

  // By id, never by caption: during a run every message to the program
  // waits for its next log line.
  HWND Box(ControlId id) const { return app.Control(id); }

  // Starts the ADO run on server "srv" as "sa", with no password.
  void StartTheRun() {
    app.Type(Box(kEdServer), L"srv");
    app.Type(Box(kEdLogin), L"sa");
    app.Click(Box(kCmdADO));
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowEnabled(Box(kCmdADO)); })) << "the run did not start";
  }

  // Presses OK on the success box of the ADO run.
  void EndOfTheRun() {
    std::optional<e2e::Box> done = app.WaitBox(L"Messaggio di Sondalink", 30000);
    ASSERT_TRUE(done);
    EXPECT_EQ(done->text.rfind(L"Test Connessione ADO eseguita con SUCCESSO.", 0), 0u) << Utf8(done->text);
    EXPECT_EQ(done->icon, Icon::Information);
    ASSERT_TRUE(app.PressOk(*done));
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowEnabled(Box(kCmdADO)); }));
    ExpectTheLogAtItsLeftEdgeWithItsEndInView();
  }

  // A user reads the beginnings of the lines: the box is at its left edge,
  // the last line in view, the caret still after the last character.
  void ExpectTheLogAtItsLeftEdgeWithItsEndInView() const {
    HWND log = Box(kEdLog);
    auto send = [&](UINT msg, WPARAM wParam) { return Send(log, msg, wParam).value_or(0); };
    const auto length = static_cast<int>(send(WM_GETTEXTLENGTH, 0));
    EXPECT_EQ(app.Selection(log), std::make_pair(length, length));
    const DWORD_PTR at = send(EM_POSFROMCHAR, send(EM_LINEINDEX, send(EM_GETLINECOUNT, 0) - 1));
    RECT client;
    ::GetClientRect(log, &client);
    const auto x = static_cast<short>(LOWORD(at)), y = static_cast<short>(HIWORD(at));
    // From another process Wine's GetScrollPos gives 0 whatever the box
    // shows; where the box draws a line's first character tells.
    EXPECT_GE(x, 0) << "scrolled to the right";
    EXPECT_GE(y, 0);
    EXPECT_LT(y, client.bottom) << "the last line is out of view";
  }

  App app;
};


TEST_F(WindowDuringATest, TheCloseButtonIsRefusedWhileATestRunsWithAnEmptyPassword) {
  ASSERT_NO_FATAL_FAILURE(StartTheRun());  // no password: accepted
  for (ControlId locked : {kCmdSQLDMO, kCmdDAODirect, kCmdRDO, kCmdODBC, kEdServer, kOptTrusted, kOptSQL,
                           kEdLogin, kEdPassword}) {
    EXPECT_FALSE(::IsWindowEnabled(Box(locked))) << locked;
  }
  EXPECT_TRUE(::IsWindowEnabled(Box(kCmdOpenLog)));

  app.Close();
  std::optional<e2e::Box> refused = app.WaitBox(L"Messaggio di Sondalink");
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->text, W(kRefused));
  EXPECT_EQ(refused->icon, Icon::Warning);
  ASSERT_TRUE(app.PressOk(*refused));
  release->Set();

  EndOfTheRun();
  EXPECT_TRUE(app.Running());
  EXPECT_TRUE(::IsWindow(app.window()));
  EXPECT_NE(TextOf(app.Control(kEdLog)).find(L"Inizio test connessione ADO..."), std::wstring::npos);

  // After the run the close button closes.
  app.Close();
  EXPECT_TRUE(app.WaitExit());
}

TEST_F(WindowDuringATest, TheEndOfTheWindowsSessionIsNeverHeldBackEvenDuringATest) {
  ASSERT_NO_FATAL_FAILURE(StartTheRun());
  DWORD_PTR answer = 0;
  ASSERT_TRUE(::SendMessageTimeoutW(app.window(), WM_QUERYENDSESSION, 0, 0, 0, 10000, &answer));
  EXPECT_EQ(answer, TRUE);
  ::SendMessageTimeoutW(app.window(), WM_ENDSESSION, TRUE, 0, 0, 10000, &answer);
  EXPECT_TRUE(WaitFor([&] { return !::IsWindow(app.window()); }));
  release->Set();
  std::optional<e2e::Box> box = app.OpenBox();
  EXPECT_TRUE(!box || box->text != W(kRefused));
  EXPECT_TRUE(app.WaitExit(30000));
}

TEST_F(WindowDuringATest, BackToSqlAuthenticationBringsTheLastValidatedLoginAndNoPassword) {
  app.Type(Box(kEdServer), L"srv");
  app.Type(Box(kEdLogin), L"validato");
  app.Type(Box(kEdPassword), L"pw");
  release->Set();  // only the run's end matters here
  app.Click(Box(kCmdADO));
  EndOfTheRun();

  app.Type(Box(kEdLogin), L"digitato");
  app.Type(Box(kEdPassword), L"altra");
  app.Click(Box(kOptTrusted));
  EXPECT_EQ(TextOf(Box(kEdLogin)), L"");
  app.Click(Box(kOptSQL));
  EXPECT_EQ(TextOf(Box(kEdLogin)), L"validato");
  EXPECT_EQ(TextOf(Box(kEdPassword)), L"");
  EXPECT_TRUE(::IsWindowEnabled(Box(kEdLogin)));
  EXPECT_TRUE(::IsWindowEnabled(Box(kEdPassword)));
}

TEST_F(WindowDuringATest, AfterARunUnderWindowsAuthenticationLoginAndPasswordStayDisabled) {
  app.Type(Box(kEdServer), L"srv");
  app.Click(Box(kOptTrusted));
  release->Set();
  app.Click(Box(kCmdADO));
  EndOfTheRun();
  EXPECT_TRUE(::IsWindowEnabled(Box(kEdServer)));
  EXPECT_FALSE(::IsWindowEnabled(Box(kEdLogin)));
  EXPECT_FALSE(::IsWindowEnabled(Box(kEdPassword)));
  EXPECT_EQ(app.BackgroundOf(Box(kEdLogin)), ::GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(app.BackgroundOf(Box(kEdServer)), ::GetSysColor(COLOR_WINDOW));
}

}  // namespace
}  // namespace sondalink::e2e
