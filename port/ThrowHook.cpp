// Recording the call stacks of thrown exceptions.
//
// Programs are linked with --wrap=__cxa_throw (see CMakeLists.txt): every
// call to the runtime's throw entry made by the linked objects comes to
// __wrap___cxa_throw instead, which records and then hands over to
// __real___cxa_throw. The executable links the C++ runtime statically, so
// the throws made inside the runtime library itself come here too.
#include <execinfo.h>

#include <algorithm>
#include <atomic>
#include <cstring>

#include "port/StackTrace.h"

namespace port {

namespace {

constexpr int cMaxFrames = 64;
constexpr int cRingSize = 8;

// A few records per thread: an exception may be caught and another thrown
// (a rethrow with context, a cleanup that fails) before the first is
// logged. Plain data only, so the thread-local needs no constructor.
struct TRecord {
  const void* vObject;
  int vCount;
  void* vFrames[cMaxFrames];
};

thread_local TRecord tRing[cRingSize];
thread_local unsigned tNext;

std::atomic<int> vRecording{0};

// pCaller is the hook's own return address, inside the throwing function:
// the frames above it (the hook, and this function when not inlined) are
// left out, so the stack starts at the throw. Tools that wrap backtrace()
// add frames of their own, hence the search over the first few.
void PRecord(const void* pObject, const void* pCaller) noexcept {
  TRecord& vRecord = tRing[tNext % cRingSize];
  ++tNext;
  void* vFrames[cMaxFrames + 2];
  const int vCount = ::backtrace(vFrames, cMaxFrames + 2);
  int vFirst = 0;
  while (vFirst < vCount && vFirst < 8 && vFrames[vFirst] != pCaller) ++vFirst;
  if (vFirst == vCount || vFrames[vFirst] != pCaller) vFirst = 0;
  vRecord.vCount = std::min(vCount - vFirst, cMaxFrames);
  std::memcpy(vRecord.vFrames, vFrames + vFirst, sizeof(void*) * static_cast<std::size_t>(vRecord.vCount));
  vRecord.vObject = pObject;
}

}  // namespace

void PStartStackRecording() noexcept {
  vRecording.fetch_add(1, std::memory_order_relaxed);
}

void PStopStackRecording() noexcept {
  int vCurrent = vRecording.load(std::memory_order_relaxed);
  while (vCurrent > 0 &&
         !vRecording.compare_exchange_weak(vCurrent, vCurrent - 1, std::memory_order_relaxed)) {
  }
}

bool FStackRecording() noexcept { return vRecording.load(std::memory_order_relaxed) > 0; }

std::vector<void*> FRecordedStack(const std::exception& pException) {
  // The runtime hands the hook the most-derived object, which need not be
  // where the std::exception base sits.
  const void* vObject = dynamic_cast<const void*>(&pException);
  for (int vAge = 1; vAge <= cRingSize; ++vAge) {
    const TRecord& vRecord = tRing[(tNext - static_cast<unsigned>(vAge)) % cRingSize];
    if (vRecord.vObject == vObject && vRecord.vCount > 0) {
      return {vRecord.vFrames, vRecord.vFrames + vRecord.vCount};
    }
  }
  return {};
}

}  // namespace port

// The throw entry as the linker redirects it. The type is taken as void*,
// the form the compiler itself declares; this file must therefore not
// include <cxxabi.h>, whose declaration names std::type_info.
extern "C" [[noreturn]] void __real___cxa_throw(void* pThrown, void* pType, void (*pDestructor)(void*));

extern "C" [[noreturn]] void __wrap___cxa_throw(void* pThrown, void* pType, void (*pDestructor)(void*)) {
  if (port::vRecording.load(std::memory_order_relaxed) > 0) port::PRecord(pThrown, __builtin_return_address(0));
  __real___cxa_throw(pThrown, pType, pDestructor);
}
