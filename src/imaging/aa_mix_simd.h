// The row loops of the final mix: the L x L block average and the weighted
// mix trunc(A * (1 - w) + O * w) of one output row, 3 bytes a pixel.
//
// Each loop exists as plain C++, as SSE2 (every x86-64 processor has it) and
// as AVX2, chosen at run time where the processor has it. All give the same
// bytes: the sums are exact integers, and the mix does the same double
// multiplications, addition and truncation on every byte (never a fused
// multiply-add).
#pragma once

#include <cstddef>
#include <cstdint>

namespace mixrows {

enum class Path { Plain, Sse2, Avx2 };

// Whether this build and processor can run the path, and the fastest one.
bool Supports(Path path);
Path FastestPath();

// Averages the L x L blocks (L = 1..4) of one output row of iWidth pixels.
// pBlockRow is the block row's lowest memory row; the other L - 1 rows follow
// at iStride bytes each. pOut receives 3 * iWidth bytes.
void AverageRow(Path path, int L, const std::uint8_t* pBlockRow, std::ptrdiff_t iStride, int iWidth,
                std::uint8_t* pOut);

// out = trunc(A * wx + O * w) for the n bytes of a row, one pair of weights.
void MixUniform(Path path, const std::uint8_t* pAvg, const std::uint8_t* pOrg, double w, double wx,
                int n, std::uint8_t* pOut);

// The same with the original's weight aOrg[x] for each of the iWidth pixels
// and 1 - aOrg[x] for the Xform picture.
void MixPerPixel(Path path, const std::uint8_t* pAvg, const std::uint8_t* pOrg, const double* aOrg,
                 int iWidth, std::uint8_t* pOut);

}  // namespace mixrows
