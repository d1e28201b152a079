#include "platform/vector_state.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

namespace {

bool ProcessorHasAvx() {
  static const bool s_bAvx = __builtin_cpu_supports("avx");
  return s_bAvx;
}

// Compiled for AVX alone: the rest of the build stays portable, and this
// runs only after the run-time check above.
__attribute__((target("avx"))) void ZeroUpper() { _mm256_zeroupper(); }

// The 256-bit instruction is written out, and its register not declared as
// clobbered, so that the compiler sees no wide register in use and adds no
// `vzeroupper` of its own after it. Nothing else in this function uses
// ymm15, and no caller keeps a value in it across a call.
__attribute__((target("avx"))) void MakeUpperDirty() {
  __asm__ volatile("vcmptrueps %ymm15, %ymm15, %ymm15");
}

// XGETBV with ECX = 1 (the state components in use) is there when
// CPUID leaf 0Dh, sub-leaf 1, sets bit 2 of EAX.
bool ProcessorTellsStateInUse() {
  static const bool s_bTells = [] {
    if (!ProcessorHasAvx()) return false;
    unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
    __asm__("cpuid" : "=a"(eax), "=b"(ebx), "=c"(ecx), "=d"(edx) : "a"(0), "c"(0));
    if (eax < 0xD) return false;
    __asm__("cpuid" : "=a"(eax), "=b"(ebx), "=c"(ecx), "=d"(edx) : "a"(0xD), "c"(1));
    return (eax & 4u) != 0;
  }();
  return s_bTells;
}

}  // namespace

int UpperVectorStateInUse() {
  if (!ProcessorTellsStateInUse()) return -1;
  unsigned int eax = 0, edx = 0;
  __asm__ volatile("xgetbv" : "=a"(eax), "=d"(edx) : "c"(1));
  return (eax & 4u) != 0 ? 1 : 0;  // bit 2: the upper halves of the 256-bit registers
}

void CleanVectorState() {
  if (ProcessorHasAvx()) ZeroUpper();
}

bool HasWideVectorState() { return ProcessorHasAvx(); }

bool DirtyVectorStateForTesting() {
  if (!ProcessorHasAvx()) return false;
  MakeUpperDirty();
  return true;
}

#else

void CleanVectorState() {}
bool HasWideVectorState() { return false; }
bool DirtyVectorStateForTesting() { return false; }
int UpperVectorStateInUse() { return -1; }

#endif
