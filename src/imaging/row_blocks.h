// Loops over the rows of a picture shared between the processor's cores.
// Each block of rows is worked on by one thread, and nothing a block
// computes depends on another block or on timing, so a picture comes out
// the same to the bit however many blocks ran.
#pragma once

#include <functional>

// The most blocks one loop is split into.
inline constexpr int kMaxRowBlocks = 8;

// How many blocks a loop over iRows rows uses: one per core (or the limit
// set below), at most kMaxRowBlocks, none shorter than iMinRows rows, and
// always at least one.
int RowBlockCount(int iRows, int iMinRows = 64);

// Caps the blocks of every later loop (0: one per core). A program that
// makes several ideas at once gives each fewer cores.
void LimitRowBlocks(int iMaxBlocks);

// Runs fnBlock(iBlock, iFirstRow, iEndRow) for iBlock = 0 .. iBlocks - 1;
// the blocks split [0, iRows) into consecutive runs. Block 0 runs on the
// calling thread (so it is the one that reports progress), each other block
// on a thread of its own, or after block 0 on the calling thread when the
// system gives no thread. Returns when every block has ended. A block writes
// only its own rows and its own slot of any per-block result.
void ForEachRowBlock(int iRows, int iBlocks, const std::function<void(int, int, int)>& fnBlock);
