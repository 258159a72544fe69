// The failure tables of the ADO, DAO and SQL-DMO tests end to end: each row
// (in the test's own file) makes one step of the stand-in fail and says how
// the run must end; this one test plays every row.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "standin_run.h"

namespace sondalink::e2e {
namespace {

TEST_P(StandinFailure, EndsAsTheTableSays) {
  const FailureRow& row = GetParam();
  Start(row.scenario);
  SqlAuthentication(kServer, L"sa", kPassword);
  Ending ending = Run(row.button, row.logFile);

  ExpectEnding(ending, row.log(), row.boxes, row.notepad, row.logFile);
  if (row.notInJournal) {
    EXPECT_THAT(Journal(), ::testing::Not(::testing::Contains(row.notInJournal)));
  }
}

}  // namespace
}  // namespace sondalink::e2e
