#include "imaging/row_blocks.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <new>
#include <system_error>
#include <thread>

#include "platform/vector_state.h"

namespace {
std::atomic<int> s_iBlockLimit{0};

int FirstRow(int iRows, int iBlocks, int iBlock) {
  return static_cast<int>(static_cast<std::int64_t>(iRows) * iBlock / iBlocks);
}
}  // namespace

int RowBlockCount(int iRows, int iMinRows) {
  int iBlocks = s_iBlockLimit.load(std::memory_order_relaxed);
  if (iBlocks <= 0) iBlocks = static_cast<int>(std::thread::hardware_concurrency());
  iBlocks = std::min(iBlocks, kMaxRowBlocks);
  if (iMinRows > 0) iBlocks = std::min(iBlocks, iRows / iMinRows);
  return std::max(iBlocks, 1);
}

void LimitRowBlocks(int iMaxBlocks) {
  s_iBlockLimit.store(std::max(iMaxBlocks, 0), std::memory_order_relaxed);
}

void ForEachRowBlock(int iRows, int iBlocks, const std::function<void(int, int, int)>& fnBlock) {
  iBlocks = std::clamp(iBlocks, 1, kMaxRowBlocks);
  if (iRows <= 0) return;
  std::array<std::thread, kMaxRowBlocks> aThreads;
  std::array<bool, kMaxRowBlocks> abOwnThread{};
  for (int b = 1; b < iBlocks; ++b) {
    const int iFirst = FirstRow(iRows, iBlocks, b), iEnd = FirstRow(iRows, iBlocks, b + 1);
    try {
      aThreads[b] = std::thread([&fnBlock, b, iFirst, iEnd] {
        CleanVectorState();  // a new thread inherits its creator's register state
        fnBlock(b, iFirst, iEnd);
      });
      abOwnThread[b] = true;
    } catch (const std::system_error&) {
      // Run later on this thread.
    } catch (const std::bad_alloc&) {
    }
  }
  fnBlock(0, 0, FirstRow(iRows, iBlocks, 1));
  for (int b = 1; b < iBlocks; ++b) {
    if (abOwnThread[b])
      aThreads[b].join();
    else
      fnBlock(b, FirstRow(iRows, iBlocks, b), FirstRow(iRows, iBlocks, b + 1));
  }
}
