// The processor's vector registers at the start of a thread.
//
// On some x86-64 processors, ordinary 128-bit (SSE) instructions run many
// times slower while the upper halves of the 256-bit registers are "dirty":
// after a 256-bit instruction that no `vzeroupper` followed. A new thread
// starts with the state of the thread that created it, so a worker created
// from a thread that left the state dirty (an interface toolkit, a library
// using wide vectors) computes every sine and every scalar double at that
// pace until something clears it. Each thread that draws calls
// CleanVectorState() first.
#pragma once

// Clears the upper halves of the 256-bit vector registers (`vzeroupper`)
// when the processor has them; does nothing otherwise or on other
// architectures. Cheap (a few cycles after the first call), safe anywhere
// between functions.
void CleanVectorState();

// Whether CleanVectorState() has anything to clear on this processor.
bool HasWideVectorState();

// Whether the upper halves are in use on this thread, as the processor
// tracks it (XGETBV with ECX = 1): 1 in use (dirty) or possibly so, 0 clean,
// -1 when the processor cannot tell.
int UpperVectorStateInUse();

// For tests and benchmarks: leaves the upper halves dirty (a 256-bit
// instruction with no `vzeroupper` after it) when the processor has them.
// Returns whether it did.
bool DirtyVectorStateForTesting();
