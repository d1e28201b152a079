// Sequence files through the command line: make --save-sequence, render,
// typed seeds, and the same picture from the desktop's generation path.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <thread>

#include "cli/cli_options.h"
#include "cli/cli_run.h"
#include "engine/filter_thread.h"
#include "engine/recipe.h"
#include "engine/sequence_file.h"
#include "imaging/image_files.h"
#include "imaging/random.h"
#include "xforms/test_pictures.h"

using ::testing::HasSubstr;

TEST(CliOptions, TypedSeedsAndIdeaLists) {
  // Small neighbouring typed seeds give unrelated ideas: the wizard's first
  // choice spreads over the catalogue instead of picking one Xform.
  std::set<std::uint32_t> aSeeds;
  std::set<int> aXforms;
  for (std::uint32_t n = 0; n <= 40; ++n) {
    const std::uint32_t iSeed = EngineSeed(n);
    EXPECT_LE(iSeed, 0x7FFFFFFFu);
    aSeeds.insert(iSeed);
    SeedRandom(iSeed);
    CFilSpec spec;
    std::int32_t aUsage[kXformCount];
    InitUsageCounts(aUsage);
    spec.ChooseRandomXform(aUsage, false);
    aXforms.insert(spec.m_iXform);
  }
  EXPECT_EQ(aSeeds.size(), 41u);
  EXPECT_GE(aXforms.size(), 12u);

  std::vector<int> a;
  std::string csError;
  ASSERT_TRUE(ParseIdeaList("1,3,5-9", 10, a, csError)) << csError;
  EXPECT_EQ(a, (std::vector<int>{1, 3, 5, 6, 7, 8, 9}));
  ASSERT_TRUE(ParseIdeaList(" 4 , 2-4,1", 4, a, csError)) << csError;
  EXPECT_EQ(a, (std::vector<int>{4, 2, 3, 1}));
  for (const char* sz : {"0", "11", "3-1", "x", "", "1,,2", "-3", "2-", "99999999999"})
    EXPECT_FALSE(ParseIdeaList(sz, 10, a, csError)) << sz;
  EXPECT_EQ(csError, "--ideas takes idea numbers from 1 to 10 and ranges, e.g. 1,3,5-9");
  ParseIdeaList("12", 10, a, csError);
  EXPECT_THAT(csError, HasSubstr("the sequence has no idea \"12\""));
}

#ifdef VX_CLI_PATH
namespace {

class CliSequence : public testing::Test {
 protected:
  void SetUp() override {
    m_csPic = m_tmp.Path("pic.bmp");
    ASSERT_EQ(MakeTestPicture(48, 32)->WriteBmpFile(m_csPic.c_str()), 1);
  }
  std::string Path(const std::string& cs) const { return m_tmp.Path(cs); }
  CTempDir m_tmp;
  std::string m_csPic;
};

}  // namespace

TEST_F(CliSequence, RenderMakesTheSameIdeas) {
  std::string csErr;
  ASSERT_EQ(Cli("make " + m_csPic + " --wizard --seed 3 --count 3 --jobs 2 -o " + Path("m%d.bmp") +
                    " --save-recipe " + Path("m%d.json") + " --save-sequence " + Path("s.vxseq"),
                &csErr),
            0)
      << csErr;
  // Progress lines off a terminal name their idea.
  for (const char* sz : {"idea 1: Mixing...", "idea 2: Mixing...", "idea 3: Mixing..."})
    EXPECT_THAT(csErr, HasSubstr(sz));
  const std::string csSeq = ReadAll(Path("s.vxseq"));
  EXPECT_THAT(csSeq, HasSubstr("\"path\": \"pic.bmp\""));
  EXPECT_THAT(csSeq, HasSubstr("\"seed\": " + std::to_string(EngineSeed(3)) + ","));

  ASSERT_EQ(Cli("render " + Path("s.vxseq") + " --jobs 2 --quiet -o " + Path("r%d.bmp"), &csErr), 0)
      << csErr;
  for (const char* sz : {"1", "2", "3"})
    EXPECT_EQ(ReadAll(Path(std::string("r") + sz + ".bmp")),
              ReadAll(Path(std::string("m") + sz + ".bmp")))
        << sz;
  // At another quality: the same bytes as make replaying the idea's recipe.
  ASSERT_EQ(Cli("render " + Path("s.vxseq") + " --ideas 2 -q 2 --quiet -o " + Path("q.png"), &csErr),
            0)
      << csErr;
  ASSERT_EQ(Cli("make " + m_csPic + " --recipe " + Path("m2.json") + " -q 2 --quiet -o " +
                    Path("mq.png"),
                &csErr),
            0)
      << csErr;
  EXPECT_EQ(ReadAll(Path("q.png")), ReadAll(Path("mq.png")));
  EXPECT_FALSE(std::filesystem::exists(Path("q1.png")));
}

// Each bad input gives one clear message and leaves no picture behind.
TEST_F(CliSequence, BadSequencesAndSeedsAreRefused) {
  std::string csErr;
  for (const char* sz : {"4294967296", "-1"}) {
    EXPECT_EQ(Cli("make " + m_csPic + " clouds --seed " + sz + " -o " + Path("o.png"), &csErr), 2);
    EXPECT_THAT(csErr, HasSubstr("--seed must be a whole number from 0 to 4294967295")) << sz;
  }
  ASSERT_EQ(Cli("make " + m_csPic + " clouds --count 2 --quiet -o " + Path("m%d.bmp") +
                    " --save-sequence " + Path("s.vxseq")),
            0);
  const std::string csGood = ReadAll(Path("s.vxseq"));
  const std::string csRender = "render " + Path("s.vxseq") + " --quiet -o " + Path("o%d.png");
  auto one = [&](int iStatus, const std::string& csMessage) {
    EXPECT_EQ(Cli(csRender, &csErr), iStatus) << csMessage;
    EXPECT_THAT(csErr, HasSubstr(csMessage));
    EXPECT_EQ(std::count(csErr.begin(), csErr.end(), '\n'), 1) << csErr;
    EXPECT_FALSE(std::filesystem::exists(Path("o1.png")));
  };
  std::ofstream(Path("s.vxseq"), std::ios::binary) << csGood.substr(0, csGood.size() / 3);
  one(2, "the sequence ends too early");
  std::string csHostile = csGood;
  csHostile.replace(csHostile.find("\"current\": 2"), 12, "\"current\": 1e999");
  std::ofstream(Path("s.vxseq"), std::ios::binary) << csHostile;
  one(2, "\"current\" is a number out of range");
  std::ofstream(Path("s.vxseq"), std::ios::binary) << csGood;
  EXPECT_EQ(Cli(csRender + " --ideas 3", &csErr), 2);
  EXPECT_THAT(csErr, HasSubstr("has no idea \"3\""));
  ASSERT_EQ(MakeTestPicture(48, 33)->WriteBmpFile(m_csPic.c_str()), 1);
  one(1, "the sequence's picture " + m_csPic + " has changed: it is 48 x 33");
  auto pOther = MakeTestPicture(48, 32);
  pOther->Row(0)[0] ^= 1;
  ASSERT_EQ(pOther->WriteBmpFile(m_csPic.c_str()), 1);
  one(1, "the sequence's picture " + m_csPic + " has changed: its pixels differ");
  std::filesystem::remove(m_csPic);
  one(1, "the sequence's picture " + m_csPic + " is missing");
  EXPECT_EQ(Cli("render " + Path("none.vxseq"), &csErr), 2);
  EXPECT_THAT(csErr, HasSubstr("none.vxseq"));
}

// GNU parallel spreads a sequence's ideas over processes, one idea each:
// the pictures are those of one render.
TEST_F(CliSequence, GnuParallelRendersIdeasApart) {
  if (std::system("command -v parallel >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "GNU parallel is not installed";
  ASSERT_EQ(Cli("make " + m_csPic + " --wizard --seed 11 --count 4 --quiet -o " + Path("m%d.bmp") +
                    " --save-sequence " + Path("s.vxseq")),
            0);
  ASSERT_EQ(Cli("render " + Path("s.vxseq") + " --quiet -o " + Path("one%d.png")), 0);
  const std::string csCommand = "parallel --will-cite --halt now,fail=1 -j 2 " +
                                std::string(VX_CLI_PATH) + " render " + Path("s.vxseq") +
                                " --ideas {} --quiet -o " + Path("par{}.png") +
                                " ::: 1 2 3 4 </dev/null >/dev/null 2>&1";
  ASSERT_EQ(std::system(csCommand.c_str()), 0);
  for (int i = 1; i <= 4; ++i) {
    const std::string csOne = ReadAll(Path("one" + std::to_string(i) + ".png"));
    EXPECT_FALSE(csOne.empty());
    EXPECT_EQ(ReadAll(Path("par" + std::to_string(i) + ".png")), csOne) << i;
  }
}

namespace {

class CClient final : public IGenerationClient {
 public:
  void OnGenerationDone(bool bStopped) override { m_bStopped = bStopped; }
  bool m_bStopped = true;
};

// An idea made as the desktop makes it: the picture read as the document
// reads it, the drawing surface its view's copy of it, the out surface at
// the quality, and the run on the generation worker's own thread.
std::unique_ptr<CDADC> DesktopIdea(const std::string& csPicture, const Recipe& recipe) {
  std::unique_ptr<CDADC> pOrg = OpenImageSurface(csPicture.c_str(), kImageFromName);
  if (!pOrg) return nullptr;
  std::unique_ptr<CDADC> pDrw = CDADC::Copy(*pOrg);
  CFilSpec spec = recipe.m_Spec;
  CFilSpec checked = spec;
  if (!checked.Effect(pOrg->m_iWidth, pOrg->m_iHeight)) return nullptr;
  const int q = recipe.m_iQuality;
  auto pOut = std::make_unique<CDADC>(q * pOrg->m_iWidth, q * pOrg->m_iHeight);
  spec.SetDCs(pDrw.get(), pOut.release(), pOrg.get());
  CGenerationWorker worker;
  CClient client;
  if (!worker.BeginFilterThread(&client, &spec)) return nullptr;
  while (worker.IdleCheck() != CGenerationWorker::EPoll::Ended)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return client.m_bStopped ? nullptr : std::move(pDrw);
}

}  // namespace

// The desktop and the command line give the same bytes for the same recipe
// and quality: wizard ideas of several Xforms, with their own mix or one
// given, at each quality.
TEST_F(CliSequence, DesktopAndCommandLineMakeTheSamePicture) {
  const char* aMixes[] = {"", " --mix circle-in:30", " --mix hsv --mix-select 120,0.5,0.5",
                          " --mix even:70"};
  std::set<int> aXforms;
  for (int i = 0; i < 8; ++i) {
    const std::string csQuality = std::to_string(1 << (i % 3));
    const std::string csCase = "seed " + std::to_string(i + 20) + ", quality " + csQuality;
    std::string csErr;
    ASSERT_EQ(Cli("make " + m_csPic + " --wizard --seed " + std::to_string(i + 20) + " -q " +
                      csQuality + aMixes[i % 4] + " --quiet -o " + Path("c.bmp") +
                      " --save-recipe " + Path("c.json"),
                  &csErr),
              0)
        << csCase << csErr;
    Recipe recipe;
    std::string csError;
    ASSERT_TRUE(ReadRecipeFile(Path("c.json"), recipe, csError)) << csError;
    aXforms.insert(recipe.m_Spec.m_iXform);
    std::unique_ptr<CDADC> pDesktop = DesktopIdea(m_csPic, recipe);
    ASSERT_TRUE(pDesktop) << csCase;
    ASSERT_EQ(pDesktop->WriteBmpFile(Path("d.bmp").c_str()), 1);
    EXPECT_EQ(ReadAll(Path("d.bmp")), ReadAll(Path("c.bmp")))
        << csCase << ", " << GetXformName(recipe.m_Spec.m_iXform);
  }
  EXPECT_GE(aXforms.size(), 4u);
}
#endif
