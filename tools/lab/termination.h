// A sweep stopped by a termination signal (SIGTERM, SIGINT, SIGHUP) ends
// between two writes of rows, never in the middle of one: the file keeps
// whole rows. Without this the kernel may end a large write part way when
// the signal kills the process.
#pragma once

#include <mutex>

// Blocks the termination signals the process does not ignore, in this
// thread and every thread it starts from now on, and starts a thread that
// waits for them: when one comes it takes the rows' write lock (so no write
// is under way and none starts) and ends the process by that signal, as it
// would have ended. Call before starting any other thread; once is enough.
void defer_termination_to_whole_writes();

// Held by every write of rows.
std::mutex& rows_write_lock();
