// The ADO, DAO ODBCDirect and SQL-DMO tests over the scripted fakes: every
// row of tests/support/connection_rows.h against its whole golden log, and
// what a row cannot say: runs that differ in one program (DAO's engine let
// go or first refused, a workspace that would not close), DAO's licence key.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "connection/dao.h"
#include "fakes/fake_automation.h"
#include "fmconn_fixture.h"
#include "fakes/fake_version.h"
#include "platform/ui.h"
#include "support/connection_rows.h"
#include "support/row_name.h"

namespace sondalink {
namespace {

namespace fa = fake::automation;
namespace ui = platform::ui;
namespace g = testing::golden;
using fa::FakePtr;
using fa::Value;
using g::Component;

constexpr char kConnectionId[] = "{00000514-0000-0010-8000-00AA006D2EA4}";
constexpr char kRecordsetId[] = "{00000535-0000-0010-8000-00AA006D2EA4}";
constexpr char kEngineId[] = "{00000010-0000-0010-8000-00AA006D2EA4}";
constexpr char kServerId[] = "{10020100-E260-11CF-AE68-00AA004A34D5}";

// The stand-in's type of each class identity.
const std::map<std::string, std::string> kCreated = {{kConnectionId, "ado.Connection"},
                                                     {kRecordsetId, "ado.Recordset"},
                                                     {kEngineId, "dao.DBEngine"},
                                                     {kServerId, "dmo.SQLServer"}};

ErrorRecord Record(const g::Failure& f) { return {f.number, f.description, f.source}; }
Value Of(const g::Typed& t) { return std::visit([](const auto& v) { return Value{v}; }, t); }

// A class as the stand-in names its type: "ADODB.X" is ado.X.
std::string Type(const std::string& name) {
  for (auto [from, to] : {std::pair{"ADODB.", "ado."}, {"DAO.", "dao."}, {"SQLDMO.", "dmo."}}) {
    if (name.rfind(from, 0) == 0) return to + name.substr(std::string(from).size());
  }
  return name;
}

// The fakes' journal as the stand-in writes its own; an item of a
// recordset's Fields is ado.Fields.Item.
std::vector<std::string> Journal() {
  auto arg = [&](const Value& v) {
    if (auto* t = std::get_if<std::string>(&v)) return g::Bstr(*t);
    if (auto* n = std::get_if<int16_t>(&v)) return g::I2(*n);
    if (auto* n = std::get_if<int32_t>(&v)) return g::I4(*n);
    if (auto* b = std::get_if<bool>(&v)) return g::Bool(*b);
    auto* o = std::get_if<fa::Object>(&v);
    return g::Dispatch(o && *o ? Type(o->impl()->className) : "?");
  };
  static const char* const kVerb[] = {"create", "get", "put", "call", "get"};
  std::vector<std::string> lines;
  for (const fa::Invocation& i : fa::Journal()) {
    g::Call call{kVerb[static_cast<int>(i.access)], Type(i.className), {}};
    for (const Value& v : i.arguments) call.args.push_back(arg(v));
    if (i.access == fa::Access::Item && call.target.ends_with(".Recordset"))
      call.target.replace(call.target.size() - 9, 9, "Fields");
    call.target += "." + (i.access == fa::Access::Item ? std::string("Item") : i.member);
    if (i.access == fa::Access::Create) call.target = kCreated.count(i.member) ? kCreated.at(i.member) : Type(i.member);
    lines.push_back(g::JournalLine(call));
  }
  return lines;
}

// The golden log as the fixture's Body() gives it: "LEVEL: message", a
// message's further lines as they stand.
std::vector<std::string> Lines(const std::vector<g::Entry>& log, const std::string& dmoFile) {
  static const char* const kLevel[] = {"INFO: ", "WARNING: ", "ERROR: "};
  std::vector<std::string> lines;
  for (const g::Entry& e : log) {
    std::string text = kLevel[static_cast<int>(e.level)] + e.message;
    for (size_t at; (at = text.find(g::kDmoFile)) != std::string::npos;) text.replace(at, g::kDmoFile.size(), dmoFile);
    for (std::string& line : testing::SplitCrLf(text)) lines.push_back(std::move(line));
  }
  return lines;
}

// The fakes of the three components, made to the row's scenario.
class GoldenRun : public ConnectionTest {
 protected:
  void SetUp() override {
    ConnectionTest::SetUp();
    dll = folder_ + "\\sqldmo.dll";
    std::ofstream(testing::Host(dll), std::ios::binary) << "MZ";
    fake::version::Get().files[dll] = {0x00090008, 0x00070006};  // 9.8.7.6
  }

  struct Rule {
    std::string type, member;
    int occurrence;
    ErrorRecord error;
    std::shared_ptr<int> seen = std::make_shared<int>(0);
  };

  // The scenario's faults on the object, by the stand-in's type of its class.
  FakePtr Arm(FakePtr o) {
    for (const Rule& r : rules) {
      if (r.type != Type(o->className) || r.member == "create") continue;
      o->FailingWhen(r.member, [r]() -> std::optional<ErrorRecord> {
        if (r.occurrence == 0 || ++*r.seen == r.occurrence) return r.error;
        return std::nullopt;
      });
    }
    return o;
  }
  // A class whose creation meets the scenario's fault or gives `make`'s object.
  void Register(const char* id, const char* name, std::function<FakePtr()> make) {
    fa::RegisterClass(id, name, [this, type = kCreated.at(id), make]() -> Outcome<fa::Object> {
      for (const Rule& r : rules) {
        if (r.type == type && r.member == "create" && (r.occurrence == 0 || ++*r.seen == r.occurrence)) return r.error;
      }
      return make()->object();
    });
  }

  // A component's Properties: `items`, then the row's own for `owner`.
  Value Listing(const std::string& component, const std::vector<g::Setting>& items, const std::string& owner,
                fa::FakeObject::CountAs count = fa::FakeObject::CountAs::Int16) {
    std::vector<FakePtr> properties;
    for (const g::Setting& s : items) properties.push_back(fa::NewField(component + ".Property", s.name, Of(s.value)));
    for (const g::Property& extra : row.properties) {
      if (extra.owner != owner) continue;
      FakePtr p = fa::NewField(component + ".Property", extra.name,
                               extra.kind == g::Property::Null     ? Value{fa::Null{}}
                               : extra.kind == g::Property::Object ? Value{fa::NewObject("X")->object()}
                                                                   : Value{extra.value});
      if (extra.kind == g::Property::ValueFails) p->Failing("Value", Record(extra.failure));
      if (extra.kind == g::Property::NameFails) p->Failing("Name", Record(extra.failure));
      properties.push_back(p);
    }
    return Arm(fa::NewCollection(component + ".Properties", properties, count))->object();
  }

  // SELECT @@VERSION's rows, or sp_server_info's.
  FakePtr Recordset(const std::string& className, const std::string& query) {
    std::vector<fa::Row> rows;
    std::map<std::pair<size_t, std::string>, ErrorRecord> failing;
    if (query == "SELECT @@VERSION") {
      if (!row.noVersionRow) rows.push_back({{"", row.versionNull ? Value{fa::Null{}} : Value{row.version}}});
    } else {
      std::vector<g::InfoRow> info;
      for (const g::Attribute& a : g::kInfo) info.push_back({a.name, a.value, std::nullopt});
      for (const g::InfoRow& r : row.info.value_or(info)) {
        if (r.fails) failing[{rows.size(), "attribute_value"}] = Record(*r.fails);
        rows.push_back({{"attribute_name", r.name}, {"attribute_value", r.value}});
      }
    }
    return fa::NewRecordset(className, rows, failing);
  }

  void Build() {
    for (const g::Fault& f : row.faults) {
      const size_t hash = f.target.find('#'), dot = f.target.rfind('.', hash);
      rules.push_back({f.target.substr(0, dot), f.target.substr(dot + 1, hash - dot - 1),
                       hash == std::string::npos ? 0 : std::stoi(f.target.substr(hash + 1)), Record(f.failure)});
    }
    const g::Inputs& in = row.inputs;
    if (row.component == Component::Ado) {
      main = Arm(fa::NewObject("ADODB.Connection"));
      main->Property("Version", "2.8").Method("Open").Method("Close");
      main->Property("Properties", Listing("ADODB", g::AdoProperties(g::ConnectionString(Component::Ado, in)), "ado",
                                           fa::FakeObject::CountAs::Int32));
      Register(kConnectionId, "ADODB.Connection", [this] { return main; });
      Register(kRecordsetId, "ADODB.Recordset", [this] {
        // The first recordset runs the version query, the second sp_server_info.
        FakePtr rs = Arm(Recordset("ADODB.Recordset", recordsets++ == 0 ? "SELECT @@VERSION" : "sp_server_info"));
        rs->Method("Open");
        return rs;
      });
    } else if (row.component == Component::Dao) {
      BuildDao();
    } else {
      auto& files = fake::version::Get().files;
      if (row.dmoFile == g::DmoFile::NoVersion) files.erase(dll);
      if (row.dmoFile == g::DmoFile::NegativeHalves) files[dll] = {0x00080000, 0x8000FFFF};
      if (row.dmoFile == g::DmoFile::Missing) std::filesystem::remove(testing::Host(dll));
      if (row.dmoFile == g::DmoFile::Unreadable) files[dll].readThrows = true;
      FakePtr application = Arm(fa::NewObject("SQLDMO.Application"));
      for (const g::Setting& s : g::DmoApplication(dll)) application->Property(s.name, Of(s.value));
      main = Arm(fa::NewObject("SQLDMO.SQLServer"));
      for (const g::Setting& s : g::kDmoServer) main->Property(s.name, Of(s.value));
      main->Property("Application", application->object())
          .Settable("LoginTimeout", int32_t{-1})
          .Settable("LoginSecure", false)
          .Settable("Language", "")
          .Method("Connect")
          .Property("VersionString", row.versionNull ? Value{fa::Null{}} : Value{row.version})
          .Method("Disconnect");
      Register(kServerId, "SQLDMO.SQLServer", [this] { return main; });
    }
    fake::ui::Click(in.trusted ? kOptTrusted : kOptSQL);
    fake::ui::Type(kEdServer, in.server);
    fake::ui::Type(kEdLogin, in.login);
    fake::ui::Type(kEdPassword, in.password);
  }

  // DAO 3.5: one engine, whose Workspaces refuse a second workspace of a
  // name they hold, as DAO does, and let a closed one go.
  void BuildDao() {
    workspaces = Arm(fa::NewObject("DAO.Workspaces"));
    workspaces->Method("Append", [this](const fa::Arguments& a) -> Outcome<Value> {
      const fa::FakeObject* ws = std::get<fa::Object>(a.at(0)).impl();
      for (const FakePtr& held : appended) {
        if (held->Current("Name") == ws->Current("Name"))
          return ErrorRecord{3367, "Impossibile aggiungere. Un oggetto con lo stesso nome esiste già nell'insieme.",
                             "DAO.Workspaces"};
      }
      appended.push_back(std::const_pointer_cast<fa::FakeObject>(ws->shared_from_this()));
      return Value{};
    });
    engine = Arm(fa::NewObject("DAO.DBEngine"));
    engine->Property("Workspaces", workspaces->object())
        .Property("Properties", Listing("DAO", g::kDaoEngineProperties, "dao.engine"))
        .Method("CreateWorkspace",
                [this](const fa::Arguments& a) -> Outcome<Value> { return Value{Workspace(a)->object()}; });
    Register(kEngineId, "DAO.DBEngine.35", [this] {
      ++engineCreations;
      return engine;
    });
  }

  FakePtr Workspace(const fa::Arguments& a) {
    FakePtr ws = Arm(fa::NewObject("DAO.Workspace"));
    fa::FakeObject* raw = ws.get();
    ws->Property("Name", a.at(0))
        .Property("Properties", Listing("DAO",
                                        g::DaoWorkspaceProperties(std::get<std::string>(a.at(0)),
                                                                  std::get<std::string>(a.at(1)),
                                                                  std::get<int32_t>(a.at(3))),
                                        "dao.workspace"))
        .Method("OpenConnection", [this](const fa::Arguments&) -> Outcome<Value> {
          main = Arm(fa::NewObject("DAO.Connection"));
          main->Settable("QueryTimeout", int16_t{0})
              .Method("Close")
              .Method("OpenRecordset", [this](const fa::Arguments& q) {
                return Outcome<Value>{Value{Arm(Recordset("DAO.Recordset", std::get<std::string>(q.at(0))))->object()}};
              });
          return Value{main->object()};
        })
        .Method("Close", [this, raw](const fa::Arguments&) -> Outcome<Value> {
          if (workspaceCloseFailure.failed()) return workspaceCloseFailure;
          std::erase_if(appended, [raw](const FakePtr& p) { return p.get() == raw; });
          return Value{};
        });
    return ws;
  }

  // A fresh run in the same program: its own boxes, programs and counts.
  void NextRun() {
    fake::ui::Get().boxes.clear();
    fake::shell::Get().started.clear();
    for (Rule& r : rules) *r.seen = 0;
    recordsets = 0;
  }

  // Presses the row's button; checks the whole log, the boxes, Notepad, the
  // window, the calls, and that the password shows nowhere.
  void Play() {
    const g::Profile& profile = g::ProfileOf(row.component);
    static const int kButton[] = {kCmdADO, kCmdDAODirect, kCmdSQLDMO};
    fake::ui::Click(kButton[static_cast<int>(row.component)]);

    const std::vector<std::string> want = Lines(row.Expected(), dll);
    std::vector<std::string> body = Body(profile.logFile);
    ASSERT_FALSE(body.empty());
    EXPECT_EQ(body[0], std::string("INFO: ") + profile.firstLine);
    auto first = std::find(body.begin(), body.end(), want.front());
    const std::string component =
        std::string("INFO: Nome del componente COM associato alla classe '") + profile.className;
    EXPECT_TRUE(std::any_of(body.begin(), first, [&](const std::string& l) { return l.rfind(component, 0) == 0; }));
    EXPECT_EQ(std::vector<std::string>(first, body.end()), want);

    std::vector<fake::ui::Box> boxes;
    if (row.end == g::End::Success)
      boxes.push_back(Shown(ui::kInformation, g::SuccessText(row.component, row.Shown())));
    if (row.end == g::End::Failure) boxes.push_back(Shown(ui::kExclamation, g::FailureText(row.component)));
    EXPECT_EQ(Boxes(), boxes);
    ExpectNotepad(profile.logFile, row.notepad);
    EXPECT_TRUE(ui::IsEnabled(kButton[static_cast<int>(row.component)]));
    EXPECT_EQ(fake::ui::Get().pointer, ui::kPointerDefault);

    g::ExpectCalls(Journal(), row);
    std::string shown, wantShown;
    for (const fake::ui::Box& box : boxes) wantShown += box.text + "\n";
    for (const fake::ui::Box& box : Boxes()) shown += box.text + "\n";
    // The report's lines are machine facts: no expectation of theirs.
    std::vector<std::string> whole(static_cast<size_t>(first - body.begin()), "\x01");
    whole.insert(whole.end(), want.begin(), want.end());
    g::ExpectPasswordHidden(row.inputs.password, body, whole, fake::ui::At(kEdLog).text, shown, wantShown);
    const std::vector<fa::Invocation>& journal = fa::Journal();

    // The run let go of its objects: the main one, and DAO's workspace.
    if (row.component != Component::Dao && main) {
      // Held by the fixture, and by the journal for each call it was passed to.
      long journalled = std::count_if(journal.begin(), journal.end(), [&](const fa::Invocation& i) {
        return std::any_of(i.arguments.begin(), i.arguments.end(),
                           [&](const Value& v) { return fa::IsObject(v, main); });
      });
      EXPECT_EQ(main.use_count(), 1 + journalled) << "the run still holds its main object";
    }
    EXPECT_EQ(appended.size(), staying);
  }

 public:
  g::Case row{};
  std::vector<Rule> rules;
  std::vector<FakePtr> appended;
  FakePtr main, engine, workspaces;
  std::string dll;
  int recordsets = 0, engineCreations = 0;
  size_t staying = 0;  // workspaces that Workspaces may still hold after the run
  ErrorRecord workspaceCloseFailure;
};

class GoldenRows : public GoldenRun, public ::testing::WithParamInterface<g::Case> {};

TEST_P(GoldenRows, RunAsTheRowSays) {
  row = GetParam();
  Build();
  for (int run = 0; run < row.runs; ++run) {
    if (run > 0) NextRun();
    Play();
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, GoldenRows, ::testing::ValuesIn(g::CasesFor(g::World::WineOnly)), testing::kRowName);

// Several DAO runs in one program, each checked whole.
class DaoRuns : public GoldenRun {
 protected:
  void SetUp() override {
    GoldenRun::SetUp();
    row.component = Component::Dao;
    Build();
  }
  void Again() {
    NextRun();
    Play();
  }
};

// Closing the workspace is no step of the log: its failure shows nowhere,
// and only then does the next run meet DAO's refusal.
TEST_F(DaoRuns, FailingWorkspaceCloseIsIgnoredUntilTheNextAppend) {
  workspaceCloseFailure = Record(g::rows::kOdbc);
  staying = 1;
  Again();
  workspaceCloseFailure.clear();
  row.edits = {g::rows::FailsAt(
      "Esecuzione metoto 'DAO.DBEngine.Workspaces.Append'...",
      "Errore nell'esecuzione metoto 'DAO.DBEngine.Workspaces.Append'",
      {3367, "Impossibile aggiungere. Un oggetto con lo stesso nome esiste già nell'insieme.", "DAO.Workspaces"})};
  row.end = g::End::Failure;
  row.notepad = true;
  Again();
}

TEST_F(DaoRuns, EngineLivesUntilItIsReleasedAtTheEnd) {
  Again();
  const long held = engine.use_count();
  RilasciaMotoreDAO();
  EXPECT_EQ(engine.use_count(), held - 1);
  Again();
  EXPECT_EQ(engineCreations, 2);
}

TEST_F(DaoRuns, EngineThatCannotBeCreatedIsTriedAgainNextRun) {
  rules.push_back({"dao.DBEngine", "create", 1, Record(g::rows::From(g::rows::kNotRegistered, "DAO.DBEngine.35"))});
  const g::Case plain = row;
  for (const g::Case& c : g::DaoCases()) {
    if (std::string(c.name) == "DaoEngineNotRegistered") row = c;
  }
  Again();
  row = plain;
  rules.clear();  // the class can be created now
  Again();
  EXPECT_EQ(engineCreations, 1);
}

// The engine by its class identity with DAO's run-time licence key, without
// which a user's machine refuses it; listings by a 32-bit position.
TEST_F(DaoRuns, EngineComesWithTheLicenceKeyAndItemsBy32BitPositions) {
  Again();
  ASSERT_EQ(fa::Journal().front().access, fa::Access::Create);
  EXPECT_THAT(fa::Journal().front().arguments,
              ::testing::ElementsAre(Value{"mbmabptebkjcdlgtjmskjwtsdhjbmkmwtrak"}));
  int properties = 0;
  for (const fa::Invocation& i : fa::Journal()) {
    if (i.access != fa::Access::Item || i.className != "DAO.Properties") continue;
    ++properties;
    EXPECT_TRUE(std::holds_alternative<int32_t>(i.arguments.at(0)));
  }
  EXPECT_EQ(properties, 10);
}

}  // namespace
}  // namespace sondalink
