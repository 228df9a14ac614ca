#pragma once

// The direct connection layer: statements sent to a server past the engine, over the same
// driver manager the ODBC kind of database uses.
//
//   auto env = direct::Environment::create("SQLSERVER", user, password);
//   auto cn = env->openConnection("", direct::prompt::kNoPrompt, false,
//                                 "uid=u;pwd=p;driver={SQL Server};server=s;database=d;");
//   env->beginTrans();
//   cn->execute("UPDATE SystemOptions SET BranchID = 12", direct::exec_option::kDirect);
//   auto rs = cn->openResultset("SELECT ClientRef FROM Clients WHERE ...",
//                               direct::cursor::kDynamic, direct::lock::kValues);
//   while (!rs->eof()) { rs->edit(); rs->setValue(0, newValue); rs->update(); rs->moveNext(); }
//   env->commitTrans();
//   env->close();  // closes its connections; what is still open is rolled back
//
// Failures are EngineErrors (3146 "ODBC--call failed." with the driver's messages; 3151 for a
// data source the driver manager does not know). Values are read and written as the engine's
// Values; statements are sent as they stand (the caller builds them), while the values an
// Update writes are bound, never pasted into text.

#include "engine/direct/connection.h"
#include "engine/direct/environment.h"
#include "engine/direct/resultset.h"
