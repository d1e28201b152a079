// Work bounded by a picture's area, each figure beside its goal. Run by
// ./vx bench with the other benchmark programs (its name starts with
// vexmora_bench).
//
// Every Xform, at quality 1 with the wizard's choices and with every count
// at the wizard's largest (the costlier of the two), on strips against the
// costliest picture of the same area in an ordinary shape (1:4, 1:1, 4:1):
//
//   1 x 30000, 30000 x 1    against 87 x 345, 173 x 173, 345 x 87
//   4 x 30000               against 173 x 694, 346 x 346, 694 x 173
//   1 x 1048576 (a 64-byte RLE bitmap decodes to it; with --big)
//                           against 512 x 2048, 1024 x 1024, 2048 x 512
//
// Goal: a strip costs at most 4 times that picture, plus 20 ms for the
// timer's noise on tiny runs. Times are CPU times of the process (every
// thread), so that a shared machine gives the same figures; a run still
// going after 30 s of wall time is stopped and reported as such.
//
//   vexmora_bench_bounds [--runs N] [--big] [NAME ...]
// NAME picks Xforms by name ("mad-painter", "Mad Painter"). Other
// arguments (those of the benchmark programs) are ignored.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/catalogue.h"
#include "engine/filspec.h"
#include "imaging/dadc.h"
#include "imaging/image_files.h"
#include "platform/report.h"
#include "goals/goal_support.h"
#include "xforms/wizard_recipes.h"

namespace {

constexpr double kLimitSeconds = 30.0;

class CSilentReporter final : public CReporter {
 public:
  int ShowError(const std::string&) override { return 0; }
  int Ask(const std::string&) override { return 0; }
  void ShowSystemError(const std::string&, const std::string&) override {}
};

struct CTimed {
  double dMs = 0;
  bool bCut = false;
};

// One run of the recipe at quality 1; stopped after kLimitSeconds.
CTimed TimedApply(CFilSpec spec, CDADC& in) {
  CDADC drw(in.m_iWidth, in.m_iHeight);
  std::atomic<int> iStop{0}, iPercent{0};
  spec.SetDCs(&drw, new CDADC(in.m_iWidth, in.m_iHeight), &in);
  spec.m_Context.m_pStop = &iStop;
  spec.m_Context.m_pPercent = &iPercent;
  CStopAfter watch(iStop, kLimitSeconds);
  const double dCpu0 = ProcessCpuMs();
  spec.Apply();
  CTimed r;
  r.dMs = ProcessCpuMs() - dCpu0;
  watch.End();
  spec.DeleteXformDC();
  r.bCut = watch.Cut();
  return r;
}

// The slowest of the wizard's and the maxed recipe, each the median of iRuns.
CTimed WorstOfRecipes(int iXform, CDADC& in, int iRuns) {
  CTimed worst;
  for (const bool bMaxed : {false, true}) {
    const CFilSpec spec = bMaxed ? MaxedWizardSpec(iXform, 11, in) : WizardSpec(iXform, 11, in);
    std::vector<CTimed> a;
    for (int k = 0; k < iRuns; ++k) a.push_back(TimedApply(spec, in));
    std::sort(a.begin(), a.end(), [](const CTimed& x, const CTimed& y) { return x.dMs < y.dMs; });
    const CTimed& median = a[a.size() / 2];
    if (median.dMs > worst.dMs) worst = median;
    worst.bCut = worst.bCut || median.bCut;
  }
  return worst;
}

struct CCase {
  int iStripW, iStripH;
  int iSide;  // the ordinary pictures are side x 4 side, 2 side x 2 side, 4 side x side
  const char* szName;
};

}  // namespace

int main(int argc, char** argv) {
  int iRuns = 1;
  bool bBig = false;
  std::vector<std::string> aNames;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
      iRuns = std::max(1, std::atoi(argv[++i]));
    else if (std::strcmp(argv[i], "--big") == 0)
      bBig = true;
    else if (argv[i][0] != '-')
      aNames.push_back(argv[i]);
  }
  CSilentReporter reporter;
  SetReporter(&reporter);
  std::unique_ptr<CDADC> pPhoto =
      CDADC::CBC(OpenImageFile(VX_SAMPLE_DIR "/ladybird.jpg", kImageFromName));
  if (!pPhoto) {
    std::fprintf(stderr, "bounds: the sample photo cannot be read\n");
    return 2;
  }
  std::vector<CCase> aCases = {
      {1, 30000, 87, "1x30000"}, {30000, 1, 87, "30000x1"}, {4, 30000, 173, "4x30000"}};
  if (bBig) aCases.push_back({1, 1048576, 512, "1x1048576"});

  std::printf("Work bounded by area: quality 1, the wizard's and the maxed counts (the costlier), "
              "median of %d; CPU ms of the strip / of the costliest ordinary shape of its area = "
              "ratio (goal <= 4, +20 ms)\n", iRuns);
  std::printf("%-16s", "Xform");
  for (const CCase& c : aCases) std::printf(" %-28s", c.szName);
  std::printf("\n");
  int iOver = 0;
  for (int iXform = 0; iXform < kXformCount; ++iXform) {
    if (!CFilSpec::IsBuilt(iXform)) continue;
    if (!aNames.empty() && std::none_of(aNames.begin(), aNames.end(), [&](const std::string& cs) {
          return FindXform(cs) == iXform;
        }))
      continue;
    std::printf("%-16s", GetXformName(iXform));
    for (const CCase& c : aCases) {
      std::unique_ptr<CDADC> pStrip = ScaledPhoto(*pPhoto, c.iStripW, c.iStripH);
      if (!pStrip) {
        std::printf(" %-28s", "no memory");
        continue;
      }
      const CTimed strip = WorstOfRecipes(iXform, *pStrip, iRuns);
      CTimed ordinary;
      for (const auto& [w, h] : {std::pair{c.iSide, 4 * c.iSide}, std::pair{2 * c.iSide, 2 * c.iSide},
                                 std::pair{4 * c.iSide, c.iSide}})
        if (std::unique_ptr<CDADC> p = ScaledPhoto(*pPhoto, w, h))
          ordinary.dMs = std::max(ordinary.dMs, WorstOfRecipes(iXform, *p, iRuns).dMs);
      const bool bMet = !strip.bCut && strip.dMs <= 4 * ordinary.dMs + 20;
      if (!bMet) ++iOver;
      char sz[64];
      std::snprintf(sz, sizeof sz, "%.0f/%.0f=%.1f%s%s", strip.dMs, ordinary.dMs,
                    strip.dMs / std::max(ordinary.dMs, 0.001), strip.bCut ? " stopped" : "",
                    bMet ? "" : " over");
      std::printf(" %-28s", sz);
    }
    std::printf("\n");
    std::fflush(stdout);
  }
  std::printf("%d figures over their goal\n", iOver);
  SetReporter(nullptr);
  return 0;
}
