// What the command line refuses at once, and how it stops on a signal.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "cli/cli_run.h"
#include "imaging/image_files.h"
#include "xforms/test_pictures.h"

using ::testing::HasSubstr;

#ifdef VX_CLI_PATH
namespace {

// Starts the tool in the background; returns its process id.
pid_t Start(const std::vector<std::string>& aArgs) {
  const pid_t pid = fork();
  if (pid == 0) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(VX_CLI_PATH));
    for (const std::string& cs : aArgs) argv.push_back(const_cast<char*>(cs.c_str()));
    argv.push_back(nullptr);
    if (!freopen("/dev/null", "w", stderr)) _exit(126);
    execv(VX_CLI_PATH, argv.data());
    _exit(127);
  }
  return pid;
}

// Waits up to dSeconds for the process; its wait status, or -1 (then killed).
int WaitWithin(pid_t pid, double dSeconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(dSeconds);
  int iStatus = 0;
  while (std::chrono::steady_clock::now() < end) {
    if (waitpid(pid, &iStatus, WNOHANG) == pid) return iStatus;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(pid, SIGKILL);
  waitpid(pid, &iStatus, 0);
  return -1;
}

}  // namespace

TEST(CliTool, RefusesPipesSameOutputsAndLinks) {
  CTempDir tmp;
  const std::string csPic = tmp.Path("pic.bmp");
  ASSERT_EQ(MakeTestPicture(40, 30)->WriteBmpFile(csPic.c_str()), 1);
  ASSERT_EQ(mkfifo(tmp.Path("fifo.bmp").c_str(), 0600), 0);
  ASSERT_EQ(mkfifo(tmp.Path("fifo.json").c_str(), 0600), 0);
  // (With a time limit: a refusal must not wait on its input.)
  std::string csErr;
  EXPECT_EQ(Cli("info " + tmp.Path("fifo.bmp"), &csErr, "timeout 20 "), 1);
  EXPECT_THAT(csErr, HasSubstr("not a regular file"));
  EXPECT_EQ(Cli("make " + tmp.Path("fifo.bmp") + " clouds -o " + tmp.Path("o.png"), &csErr,
                "timeout 20 "),
            1);
  EXPECT_THAT(csErr, HasSubstr("not a regular file"));
  EXPECT_EQ(Cli("make " + csPic + " --recipe " + tmp.Path("fifo.json") + " -o " + tmp.Path("o.png"),
                &csErr, "timeout 20 "),
            2);
  EXPECT_THAT(csErr, HasSubstr("not a regular file"));
  EXPECT_EQ(Cli("render " + tmp.Path("fifo.json"), &csErr, "timeout 20 "), 2);

  EXPECT_EQ(Cli("make " + csPic + " clouds -o " + tmp.Path("a.json.png") + " --save-recipe " +
                    tmp.Path("./a.json.png"),
                &csErr),
            2);
  EXPECT_THAT(csErr, HasSubstr("-o and --save-recipe name the same file"));
  EXPECT_EQ(Cli("make " + csPic + " clouds -n 2 -o " + tmp.Path("i%d.png") + " --save-sequence " +
                    tmp.Path("i2.png"),
                &csErr),
            2);

  // No output takes the place of what the run reads: the picture (under
  // another spelling, or as idea 2 of a pattern), the recipe, a sequence's
  // picture or the sequence itself. The picture stays as it was.
  const std::string csPicBytes = ReadAll(csPic);
  std::ofstream(tmp.Path("in.json")) << R"({"vexmora_recipe": 1, "xform": "Clouds"})";
  std::filesystem::copy_file(csPic, tmp.Path("i2.bmp"));
  ASSERT_EQ(Cli("make " + csPic + " mosaic --quiet -o " + tmp.Path("s.png") + " --save-sequence " +
                    tmp.Path("s.vxseq"),
                &csErr),
            0)
      << csErr;
  for (const auto& [csArgs, csOption] : std::vector<std::pair<std::string, std::string>>{
           {"make " + csPic + " mosaic -o " + tmp.Path("./pic.bmp"), "-o"},
           {"make " + tmp.Path("i2.bmp") + " mosaic -n 3 -o " + tmp.Path("i%d.bmp"), "-o"},
           {"make " + csPic + " mosaic -o " + tmp.Path("x.png") + " --save-sequence " + csPic,
            "--save-sequence"},
           {"make " + csPic + " --recipe " + tmp.Path("in.json") + " -o " + tmp.Path("x.png") +
                " --save-recipe " + tmp.Path("in.json"),
            "--save-recipe"},
           {"render " + tmp.Path("s.vxseq") + " -o " + csPic, "-o"},
           {"sheet " + csPic + " mosaic -n 2 -o " + tmp.Path("x.png") + " --save-sequence " + csPic,
            "--save-sequence"}}) {
    EXPECT_EQ(Cli(csArgs, &csErr), 2) << csArgs;
    EXPECT_THAT(csErr, HasSubstr(csOption + " would write over ")) << csArgs;
  }
  EXPECT_EQ(ReadAll(csPic), csPicBytes);
  // A sequence that could not be stored is refused before any idea is made.
  std::filesystem::copy_file(csPic, tmp.Path("caf\xe9.bmp"));
  EXPECT_EQ(Cli("make " + tmp.Path("caf\xe9.bmp") + " mosaic -o " + tmp.Path("c.png") +
                    " --save-sequence " + tmp.Path("c.vxseq"),
                &csErr),
            2);
  EXPECT_THAT(csErr, HasSubstr("--save-sequence: the picture's path"));
  EXPECT_FALSE(std::filesystem::exists(tmp.Path("c.png")));

  // A number beyond a double's range names its field.
  std::ofstream(tmp.Path("r.json")) << R"({"vexmora_recipe": 1, "xform": "Clouds", "mix": {"percent": 1e400}})";
  EXPECT_EQ(Cli("make " + csPic + " --recipe " + tmp.Path("r.json") + " -o " + tmp.Path("o.png"),
                &csErr),
            2);
  EXPECT_THAT(csErr, HasSubstr("the recipe's \"percent\" is a number out of range"));

  // An output of a link's name replaces the link, never the file it points to.
  std::ofstream(tmp.Path("kept.png")) << "kept";
  std::filesystem::create_symlink(tmp.Path("kept.png"), tmp.Path("link.png"));
  std::filesystem::create_symlink(tmp.Path("nowhere.png"), tmp.Path("dangling.png"));
  for (const char* sz : {"link.png", "dangling.png"}) {
    ASSERT_EQ(Cli("make " + csPic + " clouds --quiet -o " + tmp.Path(sz), &csErr), 0) << csErr;
    EXPECT_FALSE(std::filesystem::is_symlink(tmp.Path(sz))) << sz;
    EXPECT_GT(std::filesystem::file_size(tmp.Path(sz)), 100u) << sz;
  }
  EXPECT_EQ(ReadAll(tmp.Path("kept.png")), "kept");
  EXPECT_FALSE(std::filesystem::exists(tmp.Path("nowhere.png")));
}

// A signal stops a long run within about a second (generously timed on a
// busy machine), with status 1 or 128 + the signal, and leaves no partial
// file: whatever is there is a whole picture of its own name.
TEST(CliTool, SignalsStopPromptly) {
  CTempDir tmp;
  const std::string csPic = tmp.Path("pic.bmp");
  ASSERT_EQ(MakeTestPicture(1200, 900)->WriteBmpFile(csPic.c_str()), 1);
  for (const int iSignal : {SIGTERM, SIGINT}) {
    const pid_t pid = Start({"make", csPic, "--wizard", "-q", "4", "--count", "20", "--seed", "7",
                             "-o", tmp.Path("o%d.png")});
    ASSERT_GT(pid, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    const auto start = std::chrono::steady_clock::now();
    kill(pid, iSignal);
    if (iSignal == SIGINT) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      kill(pid, SIGINT);  // a second one: at once
    }
    const int iStatus = WaitWithin(pid, 5.0);
    const double dSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_NE(iStatus, -1) << "still running after 5 s, signal " << iSignal;
    ASSERT_TRUE(WIFEXITED(iStatus)) << iSignal;
    const int iCode = WEXITSTATUS(iStatus);
    EXPECT_TRUE(iCode == 1 || iCode == 128 + iSignal) << iCode;
    EXPECT_LT(dSeconds, 3.0) << iSignal;
    for (const auto& e : std::filesystem::directory_iterator(tmp.Dir())) {
      const std::string csName = e.path().filename().string();
      if (csName == "pic.bmp") continue;
      EXPECT_THAT(csName, ::testing::MatchesRegex("o[0-9]+\\.png")) << iSignal;
      EXPECT_TRUE(OpenImageSurface(e.path().c_str(), kImageFromName)) << csName;
      std::filesystem::remove(e.path());
    }
  }
}
TEST(CliTool, RefusedSettingsNameTheirRule) {
  CTempDir tmp;
  const std::string csPic = tmp.Path("pic.bmp");
  ASSERT_EQ(MakeTestPicture(40, 30)->WriteBmpFile(csPic.c_str()), 1);
  const std::string csOut = " -o " + tmp.Path("out.png");
  std::string csErr;
  EXPECT_EQ(Cli("make " + csPic + " relief-map --set snow_line=0" + csOut, &csErr), 2);
  EXPECT_THAT(csErr, HasSubstr("Relief Map: the levels must rise in order"));
  EXPECT_EQ(Cli("make " + csPic + " swarm --set angle=0 --set intensity=0 --set size=0" + csOut,
                &csErr),
            2);
  EXPECT_THAT(csErr, HasSubstr("Swarm: at least one of angle, intensity and size must be on"));
  EXPECT_EQ(Cli("make " + csPic + " mosaic --set wizard=on --set tile_size=1" + csOut, &csErr), 2);
  EXPECT_THAT(csErr, HasSubstr("--set wizard=on lets the Xform choose every value"));
  EXPECT_FALSE(std::filesystem::exists(tmp.Path("out.png")));
}
// A damaged font fails the ideas that draw text, naming the file, and only
// those: an idea without text never reads the fonts; a sheet (captions)
// checks them at start.
TEST(CliTool, DamagedFontFailsOnlyText) {
  CTempDir tmp;
  const std::string csPic = tmp.Path("pic.bmp");
  ASSERT_EQ(MakeTestPicture(40, 30)->WriteBmpFile(csPic.c_str()), 1);
  const std::string csEnv = DataDirWithDamagedFont(tmp);
  namespace fs = std::filesystem;
  const fs::path damaged = fs::path(tmp.Path("data")) / "fonts" / "LiberationSans-Regular.ttf";
  std::string csErr;
  EXPECT_EQ(Cli("make " + csPic + " wood --quiet -o " + tmp.Path("wood.png"), &csErr, csEnv), 0)
      << csErr;
  EXPECT_NE(Cli("make " + csPic + " text --quiet -o " + tmp.Path("text.png"), &csErr, csEnv), 0);
  EXPECT_THAT(csErr, HasSubstr("Text: A shipped font is damaged"));
  EXPECT_THAT(csErr, HasSubstr(damaged.string()));
  EXPECT_FALSE(fs::exists(tmp.Path("text.png")));
  EXPECT_NE(Cli("sheet " + csPic + " -o " + tmp.Path("sheet.png"), &csErr, csEnv), 0);
  EXPECT_THAT(csErr, HasSubstr(damaged.string()));
}

TEST(CliTool, MaxPixelsBoundsReading) {
  CTempDir tmp;
  const std::string csPic = tmp.Path("pic.bmp");
  ASSERT_EQ(MakeTestPicture(40, 30)->WriteBmpFile(csPic.c_str()), 1);
  std::string csErr;
  EXPECT_EQ(Cli("info " + csPic + " --max-pixels 1200"), 0);
  EXPECT_EQ(Cli("--max-pixels 1199 info " + csPic, &csErr), 1);
  EXPECT_THAT(csErr, HasSubstr("too large"));
  EXPECT_EQ(Cli("info " + csPic + " --max-pixels 0", &csErr), 2);
  EXPECT_THAT(csErr, HasSubstr("--max-pixels must be a whole number from 1 to 500000000"));
}
#endif
