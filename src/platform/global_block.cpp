#include "platform/global_block.h"

CGlobalBlock CGlobalBlock::Alloc(std::size_t iSize) {
  CGlobalBlock block;
  if (iSize == 0) return block;
  // calloc: large blocks come zeroed from the system without a pass over them.
  auto* p = static_cast<std::uint8_t*>(std::calloc(iSize, 1));
  if (!p) return block;
  block.m_pData.reset(p);
  block.m_iSize = iSize;
  return block;
}
