// Call stacks of thrown C++ exceptions. While recording is on, every throw
// in the process (through the C++ runtime's throw entry, which this unit
// interposes) stores its return addresses in a small per-thread ring keyed
// by the thrown object; the trace log later asks for the stack of the
// exception it reports and turns it into readable lines.
//
// Recording costs one backtrace per throw and allocates nothing; turning
// addresses into names is done only on request (FSymbolize).
#pragma once

#include <exception>
#include <string>
#include <vector>

namespace port {

// Recording is counted: each Start needs one Stop, so that several owners
// (the process's log, a test's own log) compose.
void PStartStackRecording() noexcept;
void PStopStackRecording() noexcept;
[[nodiscard]] bool FStackRecording() noexcept;

// Return addresses recorded on this thread when pException was thrown,
// innermost first (the throwing function); empty when no stack was
// recorded for it (recording off, thrown on another thread, or long ago).
[[nodiscard]] std::vector<void*> FRecordedStack(const std::exception& pException);

// One line per address: the address, its module and, where the symbols
// allow, the function and source line. May throw on resource exhaustion.
[[nodiscard]] std::vector<std::string> FSymbolize(const std::vector<void*>& pFrames);

}  // namespace port
