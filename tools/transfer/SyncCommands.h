#pragma once

#include "SyncCommandLine.h"

// Carries out one `orvane-transfer sync` command and returns the program's
// exit status (0 done, 1 error or cards refused by the server, 3 password
// refused, 4 certificate not trusted, 5 stopped for safety, 6 done with
// conflicts held, 7 another sync of the database is running).
int RunSyncCommand(const SyncCommandLine& line);
