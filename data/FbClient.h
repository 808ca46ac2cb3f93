// The Firebird client library as a whole: what the process does with it
// beyond one connection.
#pragma once

namespace data {

// Runs the client library's own teardown when the library was loaded (it
// removes the engine's per-process files from the lock directory and stops
// its threads); nothing when no request needed the database. Call once,
// after every connection is closed, before the process ends with _exit.
void PShutdownClient() noexcept;

}  // namespace data
