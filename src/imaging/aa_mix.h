// The final mix: reduces the Xform's oversampled picture (1, 2 or 4 times the
// picture's size in both directions) to the picture's size by averaging each
// L x L block (the anti-aliasing), and in the same pass mixes it with the
// original picture evenly, along a direction, in circles or ellipses from the
// centre, or weighted by the force field of an HSV colour selection.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "imaging/area_selection.h"

class CDADC;

// Receives the stage texts of the mix ("Mixing...", "Anti-alias...", "" when
// done); the generation engine passes its status-text setter.
using MixStatusFn = std::function<void(const char*)>;

// The weight of the original at one pixel, and of the Xform picture.
struct MixWeights {
  double m_dOrg;    // w
  double m_dXform;  // 1 - w
};

// pOut and pOrg have the picture's size W x H, pSrc is L times larger
// (L = 1..4). pOrg may be NULL when the mode is Off; pMix NULL means no mix.
// With a mix but no original every output pixel is left as it is. Progress
// (0..99 by rows) goes to *pPercent when it is given. The Hsv analysis polls
// *pStop (null: never stops); the reduction and mix loop ignores it. True when
// the output was written (also the "left as it is" case above); false, with
// pOut unchanged, after a size or level error (reported), a stop during the
// Hsv analysis or a force field that could not be made.
bool AAMixBlit(CDADC* pOut, const CDADC* pSrc, const CDADC* pOrg, const MixSettings* pMix,
               std::atomic<int>* pPercent, const MixStatusFn& fnStatus = {},
               const std::atomic<int>* pStop = nullptr);

// The weight of the original at output pixel (x, y) of a W x H picture; dDiag
// is half its diagonal, pField the original's force field (Hsv mode only).
MixWeights MixWeight(const MixSettings& mix, int x, int y, int iWidth, int iHeight, double dDiag,
                     const std::uint8_t* pField);
