// Recording the call stacks of thrown exceptions.
//
// The executable defines __cxa_throw itself, so every throw compiled into it
// comes here first; the symbol is also exported from the executable (see
// CMakeLists.txt), so throws inside the C++ runtime library land here too.
// The hook records and then hands over to the runtime's own __cxa_throw,
// found with dlsym(RTLD_NEXT).
#include <dlfcn.h>
#include <execinfo.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>

#include "port/StackTrace.h"

namespace port {

namespace {

using TRealThrow = void (*)(void*, void*, void (*)(void*));

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
std::atomic<TRealThrow> vRealThrow{nullptr};

TRealThrow FRealThrow() noexcept {
  TRealThrow vReal = vRealThrow.load(std::memory_order_acquire);
  if (vReal == nullptr) {
    vReal = reinterpret_cast<TRealThrow>(::dlsym(RTLD_NEXT, "__cxa_throw"));
    vRealThrow.store(vReal, std::memory_order_release);
  }
  return vReal;
}

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
  // Resolve the runtime's entry now, outside any throw.
  (void)FRealThrow();
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

// The interposed throw entry of the C++ runtime. The type is taken as void*,
// the form the compiler itself declares; this file must therefore not
// include <cxxabi.h>, whose declaration names std::type_info.
extern "C" [[noreturn]] void __cxa_throw(void* pThrown, void* pType, void (*pDestructor)(void*)) {
  if (port::vRecording.load(std::memory_order_relaxed) > 0) port::PRecord(pThrown, __builtin_return_address(0));
  const port::TRealThrow vReal = port::FRealThrow();
  if (vReal == nullptr) std::abort();
  vReal(pThrown, pType, pDestructor);
  __builtin_unreachable();
}
