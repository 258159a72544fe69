#include "standin_run.h"

namespace sondalink::e2e {

namespace g = testing::golden;

bool FooterWritten(const std::vector<std::string>& log) {
  size_t n = log.size();
  return n >= 10 && log[n - 1].empty() && log[n - 2] == " " && log[n - 4] == "Operazione terminata il <T>";
}

std::string ServerScenario() {
  std::string lines = "version=" + standin::EscapeScenario(kVersion) + "\n";
  for (const auto& a : testing::golden::kInfo) lines += "info=" + a.name + "|" + a.value + "\n";
  return lines;
}

void StandinRun::SetUpTestSuite() { ASSERT_HRESULT_SUCCEEDED(standin::RegisterStandin()); }

void StandinRun::TearDownTestSuite() { EXPECT_HRESULT_SUCCEEDED(standin::UnregisterStandin()); }

void StandinRun::SetUp() {
  standin::ClearJournal(journal_);
  // Each run must write its own file: none of an earlier test may pass for it.
  for (g::Component c : {g::Component::Ado, g::Component::Dao, g::Component::Dmo}) ::DeleteFileW(LogPath(c).c_str());
}

void StandinRun::TearDown() {
  app.reset();  // with the Notepad it started
  standin::ForgetScenario();
}

void StandinRun::Start(const std::string& scenario) {
  ASSERT_TRUE(standin::UseScenario(scenario_, standin::JournalTo(journal_) + scenario));
  app.emplace();
  ASSERT_TRUE(app->window()) << "Sondalink.exe showed no window";
}

void StandinRun::StartOnTheServer(const std::string& more) {
  Start(ServerScenario() + more);
  SqlAuthentication(kServer, L"sa", kPassword);
}

void StandinRun::SqlAuthentication(const std::wstring& server, const std::wstring& login,
                                   const std::wstring& password) {
  app->Click(At(kOptSQL));
  app->TypeCredentials(server, login, password);
  typed_ = server;
}

void StandinRun::WindowsAuthentication(const std::wstring& server) {
  app->Type(At(kEdServer), server);
  app->Click(At(kOptTrusted));
  app->Settle();
  typed_ = server;
}

Ending StandinRun::Run(g::Component test) {
  app->Click(At(kTestButton[static_cast<int>(test)]));
  return Finish(test);
}

Ending StandinRun::Finish(g::Component test) {
  Ending ending;
  ending.test = test;
  // A box can come before the footer (the error trap's) or after it; the
  // run is over when the footer is there and no box is up once the program
  // has taken a message sent to it (a box's own loop takes it too). The
  // bound leaves room for the million-character drill on a loaded machine,
  // inside CTest's limit of three minutes; its log is read again only once
  // it has grown.
  const std::wstring path = LogPath(test);
  LONGLONG seen = -1;
  bool footer = false;
  auto ended = [&] {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    const LONGLONG size = ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)
                              ? (LONGLONG{data.nFileSizeHigh} << 32) | data.nFileSizeLow
                              : -1;
    if (size != seen) footer = FooterWritten(LogNow(test));
    seen = size;
    return footer;
  };
  for (;;) {
    if (!WaitFor([&] { return ended() || app->OpenBox(); }, 150000)) {
      ADD_FAILURE() << "the run neither ended nor showed a box within 150 s";
      break;
    }
    app->Settle();
    std::optional<Box> box = app->OpenBox();
    if (!box) {
      app->Settle();
      box = app->OpenBox();
    }
    if (!box) {
      if (ended()) break;
      continue;
    }
    if (std::optional<Box> drawn = app->WaitBox(box->title, 3000)) box = drawn;
    ending.boxes.push_back(*box);
    if (!app->PressOk(*box)) {
      ADD_FAILURE() << "the box did not go on OK";
      break;
    }
  }
  ending.log = LogNow(test);

  // The program starts Notepad before its handler returns; the messages
  // sent by Settle above are taken only after that. Its command line is read
  // before Notepad itself reads (and alters) it.
  const std::vector<DWORD> notepads = NotepadsOf(*app);
  ending.notepads = notepads.size();
  if (!notepads.empty()) {
    ending.notepadCommandLine = CommandLineOf(notepads.front());
    HWND window = WaitForNotepad(*app, Widen(g::ProfileOf(test).logFile));
    EXPECT_TRUE(window && CloseAndWait(window, 5000)) << "Notepad did not show the log, or did not close";
  }
  return ending;
}

ExpectedLog StandinRun::LogOf(g::Component test, std::vector<g::Entry> entries) {
  const g::Profile& profile = g::ProfileOf(test);
  ExpectedLog log(profile.logFile);
  log.Info(profile.firstLine).EnvironmentReport(profile.className, profile.clsid).Entries(std::move(entries));
  return log;
}

void StandinRun::ExpectEnding(const Ending& ending, const ExpectedLog& log, const std::vector<WantBox>& boxes,
                              bool notepad) {
  EXPECT_TRUE(LogMatches(ending.log, log));
  ExpectBoxes(ending, boxes);

  const std::wstring path = LogPath(ending.test);
  EXPECT_EQ(ending.notepads, notepad ? 1u : 0u);
  // The data folder of the test prefix has no blank and no comma: no quotes.
  if (notepad) {
    EXPECT_EQ(ending.notepadCommandLine, L"notepad.exe " + path);
  }

  // The window is there, unlocked, and shows the run's echo.
  ASSERT_TRUE(app->Running());
  EXPECT_TRUE(::IsWindow(app->window()));
  EXPECT_FALSE(app->OpenBox());
  // The inputs as the user left them: login and password usable again
  // unless Windows authentication is chosen.
  const bool trusted = app->Checked(kOptTrusted);
  for (ControlId c : kLockedByARun) {
    EXPECT_EQ(app->Enabled(c), !trusted || (c != kEdLogin && c != kEdPassword)) << "control " << c;
  }
  EXPECT_TRUE(app->Enabled(kCmdOpenLog));
  EXPECT_EQ(TextOf(At(kEdServer)), typed_);
  EXPECT_EQ(Narrow(TextOf(At(kEdLog))), EchoOf(ending.log, Narrow(path)));
}

void StandinRun::ExpectBoxes(const Ending& ending, const std::vector<WantBox>& boxes) {
  ASSERT_EQ(ending.boxes.size(), boxes.size()) << ::testing::PrintToString(ending.boxes);
  for (size_t i = 0; i < boxes.size(); ++i) {
    SCOPED_TRACE("box " + std::to_string(i + 1));
    EXPECT_EQ(ending.boxes[i].title, kBoxTitle);
    EXPECT_EQ(Narrow(ending.boxes[i].text), boxes[i].text);
    EXPECT_EQ(ending.boxes[i].icon, boxes[i].icon);
  }
}

}  // namespace sondalink::e2e
