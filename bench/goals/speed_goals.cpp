// Speed goals, each figure beside its goal. Run by ./vx bench after the
// timings (its name starts with vexmora_bench).
//
// 1. The desktop's generation path against the command line's on one recipe
//    (Clouds on an 8-megapixel picture at quality 1): the worker started
//    from a thread that left its wide vector registers dirty, as the
//    interface thread may, against a generation on a clean thread; the same
//    Xform run on the dirty thread itself shows what a dirty state costs on
//    this processor. Times and bytes are compared.
// 2. Every Xform, one recipe each (its wizard on, seed 12345, quality 1, on 8
//    and 2 megapixels), through the desktop's document (the worker, the
//    idea's end on the calling thread, its cache file written) and through
//    the command line's generation on a clean thread: wall and CPU times of
//    both (the desktop's CPU time includes its cache file), the interface
//    thread's time at the idea's end, the goal "desktop CPU <= command line
//    CPU + 50 ms" and whether the pictures are the same bytes.
// 3. Whole processes of vexmora-cli (wizard on, seed 12345, BMP output) for
//    every Xform: quality 1 on 8 MP (goal 300 ms wall) and 2 MP (100 ms),
//    quality 4 on 8 MP (1.2 s), with the peak memory against 1.1 times the
//    surfaces an idea needs (picture, drawing surface, oversampled surface).
//
//   vexmora_bench_goals [--runs N] [--skip-cli] [--skip-desktop] [NAME ...]
// (--skip-desktop leaves out 1 and 2, --skip-cli 3.)
// NAME picks Xforms by catalogue name (lower case, dashes for spaces).
// Other arguments (those of the benchmark programs) are ignored.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/app_state.h"
#include "engine/catalogue.h"
#include "engine/document.h"
#include "engine/filspec.h"
#include "engine/filter_thread.h"
#include "imaging/dadc.h"
#include "imaging/image_files.h"
#include "goals/goal_support.h"
#include "imaging/random.h"
#include "platform/vector_state.h"
#include "support/surface_digest.h"
#include "support/temp_dir.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

std::string CliName(int iXform) {
  std::string cs = GetXformName(iXform);
  for (char& c : cs) c = c == ' ' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return cs;
}

// ---- 1. The desktop's path and the command line's ----

// One generation as the document starts it: the worker, polled until it ends.
class CClient : public IGenerationClient {
 public:
  void OnGenerationDone(bool bStopped) override { m_bStopped = bStopped; }
  bool m_bStopped = true;
};

// Lets this thread wait for the end of a worker's run (the worker's ended
// callback comes from its own thread).
class CWorkerEnd {
 public:
  explicit CWorkerEnd(CGenerationWorker& worker) {
    worker.SetEndedCallback([this] {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_bEnded = true;
      m_cv.notify_one();
    });
  }
  void Wait() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_cv.wait(lock, [this] { return m_bEnded; });
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_cv;
  bool m_bEnded = false;
};

struct CRunResult {
  double dMs = 0, dCpuMs = 0;
  std::string csDigest;
};

CFilSpec CloudsRecipe(const CDADC& in) {
  CFilSpec spec;
  spec.m_iXform = XFORM_CLOUDS;
  spec.m_iSeed = 4711;
  spec.m_bWizardAll = 0;
  if (std::int32_t* p = spec.WizardFlag(XFORM_CLOUDS)) *p = 1;
  SeedRandom(4711u);
  spec.Effect(in.m_iWidth, in.m_iHeight);
  spec.Autochoose(const_cast<CDADC*>(&in));
  return spec;
}

CRunResult RunGeneration(const CFilSpec& recipe, CDADC& in, int iPath) {
  CDADC drw(in.m_iWidth, in.m_iHeight);
  CFilSpec spec = recipe;
  spec.SetDCs(&drw, new CDADC(in.m_iWidth, in.m_iHeight), &in);
  CRunResult r;
  const double dCpu0 = ProcessCpuMs();
  std::thread t([&] {
    if (iPath != 0) DirtyVectorStateForTesting();
    const auto t0 = Clock::now();
    if (iPath == 2) {
      // The Xform itself on the dirty thread, as a worker that inherited the
      // state and never cleared it would run it (the mix is left out).
      spec.Apply();
      r.dMs = MsSince(t0);
      r.csDigest = SurfaceDigest(*spec.m_Context.m_pOut);
      spec.DeleteXformDC();
      return;
    }
    if (iPath == 1) {
      // The desktop: a worker started from the (dirty) interface thread.
      CGenerationWorker worker;
      CClient client;
      CWorkerEnd end(worker);
      worker.BeginFilterThread(&client, &spec);
      end.Wait();
      worker.IdleCheck();
    } else {
      // The command line: the generation on a thread of its own.
      FilterThreadProc(spec);
    }
    r.dMs = MsSince(t0);
    CleanVectorState();
  });
  t.join();
  r.dCpuMs = ProcessCpuMs() - dCpu0;
  if (iPath != 2) r.csDigest = SurfaceDigest(drw);
  return r;
}

void DesktopAgainstCli(CDADC& in, int iRuns) {
  std::printf("\nOne recipe through the desktop's path and the command line's (Clouds, wizard, "
              "seed 4711, %d x %d, quality 1)\n", in.m_iWidth, in.m_iHeight);
  std::printf("  processor: %s wide registers; their state %s\n",
              HasWideVectorState() ? "has" : "has no",
              UpperVectorStateInUse() < 0 ? "is not reported" : "is reported (XINUSE)");
  const CFilSpec recipe = CloudsRecipe(in);
  const char* aszPath[3] = {"command line: generation on a clean thread",
                            "desktop: worker started from a dirty thread",
                            "Apply alone on a dirty thread (no clearing)"};
  // The least of the runs, wall and CPU (the CPU time does not depend on
  // how busy the machine is).
  std::vector<double> aBest(3, 1e300), aBestCpu(3, 1e300);
  std::string aDigest[3];
  for (int k = 0; k < iRuns; ++k)
    for (int iPath = 0; iPath < 3; ++iPath) {
      const CRunResult r = RunGeneration(recipe, in, iPath);
      aBest[iPath] = std::min(aBest[iPath], r.dMs);
      aBestCpu[iPath] = std::min(aBestCpu[iPath], r.dCpuMs);
      aDigest[iPath] = r.csDigest;
    }
  std::printf("  %-46s %10s %10s\n", "", "wall ms", "CPU ms");
  for (int iPath = 0; iPath < 2; ++iPath)
    std::printf("  %-46s %10.1f %10.1f  bytes %s\n", aszPath[iPath], aBest[iPath],
                aBestCpu[iPath], aDigest[iPath].c_str());
  std::printf("  %-46s %10.1f %10.1f  (Apply only)\n", aszPath[2], aBest[2], aBestCpu[2]);
  std::printf("  goal: the desktop's CPU time within 10%% of the command line's: %s; bytes %s\n",
              aBestCpu[1] <= 1.1 * aBestCpu[0] ? "met" : "NOT met",
              aDigest[0] == aDigest[1] ? "identical" : "DIFFER");
}

// ---- 2. Every Xform through the desktop's document and the command line ----

class CBenchView final : public IDocumentView {
 public:
  CDADC* DrawingSurface() override { return m_pSurface.get(); }
  int CreateViewBitmap(const CDADC& picture) override {
    m_pSurface = CDADC::Copy(picture);
    return m_pSurface ? 1 : 0;
  }
  void Invalidate(bool) override {}
  void SetTitle(const std::string&) override {}
  bool SaveImage() override { return false; }
  std::unique_ptr<CDADC> m_pSurface;
};

// The recipes are given: no dialog opens on this path.
class CNoDialogs final : public IDocumentDialogs {
 public:
  std::string OpenImagePath(int, const std::string&, const std::string&) override { return {}; }
  bool ChooseXform(CFilSpec&, const std::int32_t*) override { return false; }
  int XformSettings(CFilSpec&) override { return 0; }
  EClose Mix(MixSettings&, const CDADC*) override { return EClose::Cancel; }
  EClose AdvancedSelection(AreaSelection&, const CDADC*) override { return EClose::Cancel; }
  EClose ImageQuality(int&) override { return EClose::Cancel; }
  bool Overview(COverview&) override { return false; }
  void ImageProperties(const CImageProperties&) override {}
};

// The Xform's wizard on, seed 12345; false when the picture cannot take it.
bool WizardRecipe(int iXform, const CDADC& in, CFilSpec& spec) {
  spec = CFilSpec();
  spec.m_iXform = iXform;
  spec.m_iSeed = 12345;
  spec.m_bWizardAll = 0;
  if (std::int32_t* p = spec.WizardFlag(iXform)) *p = 1;
  SeedRandom(12345u);
  if (!spec.Effect(in.m_iWidth, in.m_iHeight)) return false;
  spec.Autochoose(const_cast<CDADC*>(&in));
  return true;
}

struct CPathResult {
  bool bOk = false;
  double dWallMs = 0, dCpuMs = 0;
  double dEndMs = 0;  // the desktop: the interface thread's step at the idea's end
  std::string csDigest;
};

// A document of its own (closed after, taking its cache file with it) makes
// the recipe as the desktop does: the worker started from this thread, the
// idea's end collected here, its cache file written behind.
CPathResult DesktopDocument(CAppState& app, const CFilSpec& recipe, const CDADC& in) {
  CPathResult r;
  CGenerationWorker worker;
  CWorkerEnd end(worker);
  CBenchView view;
  CNoDialogs dialogs;
  CVexmoFilterDoc doc(&view, app, worker, dialogs);
  if (!doc.SetDocSequence(CDADC::Copy(in), "bench", {}, 1, 0)) return r;
  const double dCpu0 = ProcessCpuMs();
  const auto t0 = Clock::now();
  if (!doc.AddRecipeIdea(recipe, 1)) return r;
  end.Wait();
  const auto tEnd = Clock::now();
  worker.IdleCheck();
  r.dEndMs = MsSince(tEnd);
  r.dWallMs = MsSince(t0);
  app.m_Cache.FinishWrites();
  r.dCpuMs = ProcessCpuMs() - dCpu0;
  r.bOk = doc.SequenceSize() == 2 && worker.LastResult() == EGeneration::Made;
  r.csDigest = SurfaceDigest(*view.m_pSurface);
  return r;
}

// The command line's generation: FilterThreadProc on a thread of its own.
CPathResult CliThread(const CFilSpec& recipe, CDADC& in) {
  CPathResult r;
  CDADC drw(in.m_iWidth, in.m_iHeight);
  CFilSpec spec = recipe;
  spec.SetDCs(&drw, new CDADC(in.m_iWidth, in.m_iHeight), &in);
  const double dCpu0 = ProcessCpuMs();
  const auto t0 = Clock::now();
  EGeneration eResult = EGeneration::Failed;
  std::thread t([&] { eResult = FilterThreadProc(spec); });
  t.join();
  r.dWallMs = MsSince(t0);
  r.dCpuMs = ProcessCpuMs() - dCpu0;
  r.bOk = eResult == EGeneration::Made;
  r.csDigest = SurfaceDigest(drw);
  return r;
}

void EveryXformDesktopAgainstCli(CDADC& in, int iRuns, const std::vector<std::string>& aNames) {
  constexpr double kGoalMs = 50;
  std::printf("\nEvery Xform through the desktop's document and the command line's generation "
              "(wizard, seed 12345, %d x %d, quality 1; least of %d runs; the desktop's CPU "
              "includes its cache file)\n", in.m_iWidth, in.m_iHeight, iRuns);
  std::printf("%-16s %9s %9s %9s %9s %8s %9s  %s\n", "Xform", "cli wall", "cli CPU", "dsk wall",
              "dsk CPU", "dsk end", "CPU diff", "goal (+50 ms), bytes");
  CTempDir home;
  CUserPaths paths;
  paths.m_csHome = home.Dir().string();
  CAppState app(paths);
  app.m_csMainDir = home.Path("main");
  std::filesystem::create_directories(app.m_csMainDir);
  app.SetupDirectories();
  int iMissed = 0, iDiffer = 0;
  for (int i = 0; i < kXformCount; ++i) {
    if (!CFilSpec::IsBuilt(i)) continue;
    const std::string csName = CliName(i);
    if (!aNames.empty() && std::find(aNames.begin(), aNames.end(), csName) == aNames.end())
      continue;
    CFilSpec recipe;
    if (!WizardRecipe(i, in, recipe)) {
      std::printf("%-16s the picture cannot take the recipe\n", csName.c_str());
      continue;
    }
    CPathResult cli, dsk;
    cli.dWallMs = cli.dCpuMs = dsk.dWallMs = dsk.dCpuMs = dsk.dEndMs = 1e300;
    bool bOk = true;
    for (int k = 0; k < iRuns; ++k) {
      const CPathResult c = CliThread(recipe, in);
      const CPathResult d = DesktopDocument(app, recipe, in);
      bOk = bOk && c.bOk && d.bOk;
      cli.dWallMs = std::min(cli.dWallMs, c.dWallMs);
      cli.dCpuMs = std::min(cli.dCpuMs, c.dCpuMs);
      dsk.dWallMs = std::min(dsk.dWallMs, d.dWallMs);
      dsk.dCpuMs = std::min(dsk.dCpuMs, d.dCpuMs);
      dsk.dEndMs = std::min(dsk.dEndMs, d.dEndMs);
      cli.csDigest = c.csDigest;
      dsk.csDigest = d.csDigest;
    }
    const double dDiff = dsk.dCpuMs - cli.dCpuMs;
    const bool bMet = dDiff <= kGoalMs;
    const bool bSame = cli.csDigest == dsk.csDigest;
    iMissed += !bMet;
    iDiffer += !bSame;
    std::printf("%-16s %9.0f %9.0f %9.0f %9.0f %8.1f %+9.0f  %s, %s%s\n", csName.c_str(),
                cli.dWallMs, cli.dCpuMs, dsk.dWallMs, dsk.dCpuMs, dsk.dEndMs, dDiff,
                bMet ? "met" : "NOT met", bSame ? "identical" : "DIFFER",
                bOk ? "" : " (a generation failed)");
    std::fflush(stdout);
  }
  std::printf("%d Xforms over the goal, %d with other bytes (dsk end: the interface thread's "
              "step when an idea ends, its cache picture handed over)\n", iMissed, iDiffer);
}

// ---- 3. Whole processes ----

struct CProcess {
  double dWallMs = 0, dCpuMs = 0;
  long iPeakKb = 0;
  bool bOk = false;
};

CProcess RunProcess(const std::vector<std::string>& aArgs) {
  std::vector<char*> argv;
  for (const std::string& cs : aArgs) argv.push_back(const_cast<char*>(cs.c_str()));
  argv.push_back(nullptr);
  CProcess r;
  const auto t0 = Clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return r;
  int iStatus = 0;
  rusage ru{};
  if (wait4(pid, &iStatus, 0, &ru) != pid) return r;
  r.dWallMs = MsSince(t0);
  r.dCpuMs = (ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) * 1e3 +
             (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e3;
  r.iPeakKb = ru.ru_maxrss;
  r.bOk = WIFEXITED(iStatus) && WEXITSTATUS(iStatus) == 0;
  return r;
}

struct CGoal {
  const char* szPicture;
  int iQuality;
  double dGoalMs;
};

void WholeProcesses(const std::string& csDir, const CDADC& in8, const CDADC& in2, int iRuns,
                    const std::vector<std::string>& aNames) {
  const std::string csCli = VX_CLI_PATH;
  const CGoal aGoals[3] = {{"8mp", 1, 300}, {"2mp", 1, 100}, {"8mp", 4, 1200}};
  std::printf("\nWhole processes: vexmora-cli make PICTURE XFORM --seed 12345 (wizard on), BMP "
              "output; median of %d; wall (CPU) ms against the goal; peak memory against 1.1 x "
              "the surfaces\n", iRuns);
  std::printf("%-16s %-22s %-22s %-22s %s\n", "Xform", "q1 8 MP (300)", "q1 2 MP (100)",
              "q4 8 MP (1200)", "peak q4 8 MP / goal");
  int iOver = 0;
  for (int i = 0; i < kXformCount; ++i) {
    if (!CFilSpec::IsBuilt(i)) continue;
    const std::string csName = CliName(i);
    if (!aNames.empty() && std::find(aNames.begin(), aNames.end(), csName) == aNames.end())
      continue;
    std::printf("%-16s", csName.c_str());
    long iPeak = 0;
    for (const CGoal& g : aGoals) {
      std::vector<CProcess> a;
      for (int k = 0; k < iRuns; ++k)
        a.push_back(RunProcess({csCli, "make", csDir + "/" + g.szPicture + ".bmp", csName,
                                "--seed", "12345", "-q", std::to_string(g.iQuality), "--quiet",
                                "-o", csDir + "/out.bmp"}));
      std::sort(a.begin(), a.end(),
                [](const CProcess& x, const CProcess& y) { return x.dWallMs < y.dWallMs; });
      const CProcess& m = a[a.size() / 2];
      const bool bMet = m.bOk && m.dWallMs <= g.dGoalMs;
      if (!bMet) ++iOver;
      char sz[64];
      std::snprintf(sz, sizeof sz, "%s%.0f (%.0f)%s", m.bOk ? "" : "failed ", m.dWallMs, m.dCpuMs,
                    bMet ? "" : " over");
      std::printf(" %-22s", sz);
      if (g.iQuality == 4) iPeak = m.iPeakKb;
    }
    const CDADC& in = in8;
    const double dSurfacesKb =
        3.0 * in.m_iWidth * in.m_iHeight * (2 + 16) / 1024.0;  // picture, drawing, 4 x 4 surface
    std::printf(" %ld / %.0f MiB%s\n", iPeak / 1024, 1.1 * dSurfacesKb / 1024,
                iPeak <= 1.1 * dSurfacesKb ? "" : " over");
    std::fflush(stdout);
  }
  (void)in2;
  std::printf("%d figures over their goals (wall times depend on the machine's load: compare the "
              "CPU times in brackets when it is shared)\n", iOver);
}

}  // namespace

int main(int argc, char** argv) {
  int iRuns = 1;
  bool bCli = true, bDesktop = true;
  std::vector<std::string> aNames;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
      iRuns = std::max(1, std::atoi(argv[++i]));
    else if (std::strcmp(argv[i], "--skip-cli") == 0)
      bCli = false;
    else if (std::strcmp(argv[i], "--skip-desktop") == 0)
      bDesktop = false;
    else if (argv[i][0] != '-')
      aNames.push_back(argv[i]);
  }
  std::unique_ptr<CDADC> pPhoto =
      CDADC::CBC(OpenImageFile(VX_SAMPLE_DIR "/ladybird.jpg", kImageFromName));
  if (!pPhoto) {
    std::fprintf(stderr, "goals: the sample photo cannot be read\n");
    return 2;
  }
  // 8 and 2 megapixels in the photo's proportions.
  std::unique_ptr<CDADC> p8 = ScaledPhoto(*pPhoto, 3578, 2236);
  std::unique_ptr<CDADC> p2 = ScaledPhoto(*pPhoto, 1790, 1118);
  if (!p8 || !p2) {
    std::fprintf(stderr, "goals: not enough memory for the pictures\n");
    return 2;
  }
  if (bDesktop) {
    DesktopAgainstCli(*p8, std::max(iRuns, 3));
    EveryXformDesktopAgainstCli(*p8, iRuns, aNames);
    EveryXformDesktopAgainstCli(*p2, iRuns, aNames);
  }
  if (bCli) {
    char szDir[] = "/tmp/vexmora-goals-XXXXXX";
    if (!mkdtemp(szDir)) {
      std::fprintf(stderr, "goals: no temporary folder\n");
      return 2;
    }
    const std::string csDir = szDir;
    if (!VicWriteFile((csDir + "/8mp.bmp").c_str(), *p8, kImageBmp) ||
        !VicWriteFile((csDir + "/2mp.bmp").c_str(), *p2, kImageBmp)) {
      std::fprintf(stderr, "goals: cannot write the pictures to %s\n", szDir);
      return 2;
    }
    WholeProcesses(csDir, *p8, *p2, iRuns, aNames);
    for (const char* sz : {"8mp.bmp", "2mp.bmp", "out.bmp"}) std::remove((csDir + "/" + sz).c_str());
    rmdir(szDir);
  }
  return 0;
}
