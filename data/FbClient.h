// The Firebird client library as a whole: what the process does with it
// beyond one connection.
#pragma once

#include <string>

namespace data {

// Runs the client library's own teardown when the process attached to a
// database file with the embedded engine: the teardown removes the
// engine's per-process trace file from the lock directory and stops its
// threads. Nothing when no request needed the database, or when every
// attachment went to a server (the remote client leaves no file, and its
// teardown waits on its own timer). Call once, after every connection is
// closed, before the process ends with _exit.
void PShutdownClient() noexcept;

// True for a database the embedded engine opens (a path or an alias);
// false for one reached through a server ("host:/path", "host/port:/path",
// "inet://...").
[[nodiscard]] bool FIsEmbeddedDatabase(const std::string& pDatabase) noexcept;
// Records that the process attached through the embedded engine.
void PNoteEmbeddedAttach() noexcept;

}  // namespace data
