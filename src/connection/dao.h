// The DAO ODBCDirect test's one engine for the whole process.
#pragma once

namespace sondalink {

// Releases DAO's engine, if a run has created it. Called once at the end of
// the program, after the last test and before COM is uninitialised.
void RilasciaMotoreDAO();

}  // namespace sondalink
