// What the loader and writer say about names, formats and bad files, and
// that bad input gives an empty block or 0 rather than a picture.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "imaging/codecs/image_desc.h"
#include "imaging/image_files.h"
#include "picture_test_support.h"
#include "support/recording_reporter.h"

using namespace picture_test;
using ::testing::ElementsAre;
using Messages = std::vector<std::string>;

namespace {

class CPictureMessages : public CScratchTest {
 protected:
  // Writes a pattern picture in the format of the name and returns its bytes.
  std::vector<std::uint8_t> Written(const std::string& csName, int w = 5, int h = 3) {
    auto pSurface = PatternSurface(w, h);
    EXPECT_EQ(VicWriteFile(Path(csName).c_str(), *pSurface, kImageFromName), 1);
    return ReadBytes(Path(csName));
  }
  // Opens bytes stored under the name; expects failure and returns the
  // messages, which loading into a surface must repeat.
  Messages Refused(const std::string& csName, const std::vector<std::uint8_t>& a) {
    WriteBytes(Path(csName), a);
    TakeMessages();
    EXPECT_FALSE(OpenImageFile(Path(csName).c_str(), kImageFromName)) << csName;
    Messages messages = TakeMessages();
    EXPECT_FALSE(OpenImageSurface(Path(csName).c_str(), kImageFromName)) << csName;
    EXPECT_EQ(TakeMessages(), messages) << csName;
    return messages;
  }
  std::string Damaged(const std::string& csName) {
    return "The picture file is corrupt or truncated:\n<" + Path(csName) + ">";
  }
  // The one message of a failed opening: the loader's word, then what its
  // steps said.
  std::string CouldNotOpen(const std::string& csName, const std::vector<std::string>& aSteps = {}) {
    std::string cs = "Could not open imagefile:\n<" + Path(csName) + ">";
    for (const std::string& csStep : aSteps) cs += "\n" + csStep;
    return cs;
  }
};

TEST_F(CPictureMessages, FormatComesFromTheLastDotWithoutRegardToCase) {
  EXPECT_EQ(ImageTypeFromName("PICTURE.JPG"), kImageJpg);
  EXPECT_EQ(ImageTypeFromName("picture.jpg"), kImageJpg);
  EXPECT_EQ(ImageTypeFromName("a.png/b.Tga"), kImageTga);
  EXPECT_EQ(ImageTypeFromName("x.pcx"), kImagePcx);
  EXPECT_EQ(ImageTypeFromName("x.bMp"), kImageBmp);
  EXPECT_EQ(ImageTypeFromName("x.png"), kImagePng);
  EXPECT_EQ(ImageTypeFromName("x.JPEG"), kImageJpg);
  EXPECT_EQ(ImageTypeFromName("x.jpe"), kImageJpg);
  EXPECT_EQ(ImageTypeFromName("x.gif"), -1);
  EXPECT_TRUE(TakeMessages().empty());
  EXPECT_EQ(ImageTypeFromName("picture"), 0);
  EXPECT_EQ(ImageTypeFromName("x.tiff"), 0);
  // A dot only in a directory name: the text after it is the "extension".
  EXPECT_EQ(ImageTypeFromName("a.b/picture"), 0);
  EXPECT_THAT(TakeMessages(), ElementsAre("Missing extension from filename:\n'picture'",
                                          "File name has bad extension:\n'x.tiff'",
                                          "File name has bad extension:\n'a.b/picture'"));
}

TEST_F(CPictureMessages, UpperAndLowerCaseNamesBothLoad) {
  const auto a = Written("src.jpg");
  WriteBytes(Path("PICTURE.JPG"), a);
  EXPECT_TRUE(OpenImageFile(Path("PICTURE.JPG").c_str(), kImageFromName));
  EXPECT_TRUE(OpenImageFile(Path("src.jpg").c_str(), kImageFromName));
  WriteBytes(Path("photo.Jpeg"), a);
  EXPECT_TRUE(OpenImageFile(Path("photo.Jpeg").c_str(), kImageFromName));
  EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(CPictureMessages, UnknownOrBadExtensionsOnOpening) {
  const auto a = Written("src.jpg");
  EXPECT_THAT(Refused("picture.tiff", a),
              ElementsAre(CouldNotOpen(
                  "picture.tiff", {"File name has bad extension:\n'" + Path("picture.tiff") + "'",
                                   "VLIF: bad image type: 0"})));
  EXPECT_THAT(Refused("picture.gif", a), ElementsAre(CouldNotOpen("picture.gif")));
  std::filesystem::create_directory(Path("a.b"));
  EXPECT_THAT(Refused("a.b/picture", a),
              ElementsAre(CouldNotOpen(
                  "a.b/picture", {"File name has bad extension:\n'" + Path("a.b/picture") + "'",
                                  "VLIF: bad image type: 0"})));
  EXPECT_FALSE(OpenImageFile("picture", kImageFromName));
  EXPECT_FALSE(VicLoadFile(Path("src.jpg").c_str(), 3));
  EXPECT_THAT(TakeMessages(),
              ElementsAre("Filename has no extension:<picture>", "VLIF: bad image type: 3"));
}

TEST_F(CPictureMessages, AnExplicitFormatCodeOverridesTheName) {
  const auto a = Written("src.png");
  WriteBytes(Path("cache_1-2.TMP"), a);
  EXPECT_TRUE(OpenImageFile(Path("cache_1-2.TMP").c_str(), kImagePng));
  EXPECT_FALSE(OpenImageFile(Path("cache_1-2.TMP").c_str(), kImageTga));
  EXPECT_THAT(TakeMessages(), ElementsAre(CouldNotOpen("cache_1-2.TMP", {"TGA data error: -6"})));
}

TEST_F(CPictureMessages, UnreadablePathsAndDirectories) {
  EXPECT_FALSE(OpenImageFile(Path("missing.png").c_str(), kImageFromName));
  EXPECT_FALSE(OpenImageFile(Path("missing.bmp").c_str(), kImageFromName));
  std::filesystem::create_directory(Path("dir.pcx"));
  EXPECT_FALSE(OpenImageFile(Path("dir.pcx").c_str(), kImageFromName));
  EXPECT_THAT(TakeMessages(),
              ElementsAre(CouldNotOpen("missing.png", {"PNG image data error: -1"}),
                          CouldNotOpen("missing.bmp", {"BMP data error: -1"}),
                          CouldNotOpen("dir.pcx", {"Not a file that can be read as a picture (a "
                                                   "pipe, device or folder):\n<" +
                                                   Path("dir.pcx") + ">"})));
}

TEST_F(CPictureMessages, DataErrorsOfEachFormat) {
  const std::vector<std::uint8_t> aJunk(200, 'x');
  EXPECT_THAT(Refused("junk.bmp", aJunk),
              ElementsAre(CouldNotOpen("junk.bmp", {"BMP data error: -4"})));
  EXPECT_THAT(Refused("junk.jpg", aJunk),
              ElementsAre(CouldNotOpen("junk.jpg", {"Jpeg data error: -4"})));
  EXPECT_THAT(Refused("junk.pcx", aJunk),
              ElementsAre(CouldNotOpen("junk.pcx", {"PCX image file data error: -4"})));
  EXPECT_THAT(Refused("junk.png", aJunk),
              ElementsAre(CouldNotOpen("junk.png", {"PNG image data error: -4"})));
  EXPECT_THAT(Refused("empty.tga", {}),
              ElementsAre(CouldNotOpen("empty.tga", {"TGA data error: -5", Damaged("empty.tga")})));
}

TEST_F(CPictureMessages, ZeroAndHugeSizesAreRefusedBeforeAnyMemoryIsTaken) {
  auto a = Written("src.tga");
  a[12] = a[13] = 0;  // width 0
  EXPECT_THAT(Refused("zero.tga", a),
              ElementsAre(CouldNotOpen("zero.tga", {"TGA data error: -9"})));

  auto b = Written("src.bmp");
  for (int i : {18, 22}) {  // 40000 x 40000
    b[i] = 0x40, b[i + 1] = 0x9C, b[i + 2] = 0, b[i + 3] = 0;
  }
  EXPECT_THAT(Refused("huge.bmp", b),
              ElementsAre(CouldNotOpen(
                  "huge.bmp", {"The picture is too large: 40000 x 40000 pixels.\nThe limit is "
                               "100000000 pixels in all and 65500 pixels per side.\n<" +
                               Path("huge.bmp") + ">"})));
}

TEST_F(CPictureMessages, TruncatedFilesFailAtTheLoadStep) {
  auto tga = Written("src.tga", 40, 40);
  tga[2] = 10;  // run-length data of 24-bit single-pixel packets, ending early
  tga.resize(18 + 40);
  std::fill(tga.begin() + 18, tga.end(), 0);
  EXPECT_THAT(
      Refused("cut.tga", tga),
      ElementsAre(CouldNotOpen("cut.tga", {"24 bit loadtga error: -5", Damaged("cut.tga")})));
  tga[16] = 8, tga[2] = 11;  // grey, run-length
  EXPECT_THAT(
      Refused("cut.tga", tga),
      ElementsAre(CouldNotOpen("cut.tga", {"n bit loadtga error: -5", Damaged("cut.tga")})));

  auto pcx = Written("src.pcx", 40, 40);
  pcx.resize(pcx.size() - 769 - 100);  // no palette, and the rows end early
  EXPECT_THAT(
      Refused("cut.pcx", pcx),
      ElementsAre(CouldNotOpen("cut.pcx", {"n bit loadpcx error: -5", Damaged("cut.pcx")})));
  pcx[65] = 3;  // three planes, 24 bits
  EXPECT_THAT(
      Refused("cut.pcx", pcx),
      ElementsAre(CouldNotOpen("cut.pcx", {"24 bit loadpcx error: -5", Damaged("cut.pcx")})));

  auto png = Written("src.png", 40, 40);
  png.resize(png.size() / 2);
  EXPECT_THAT(
      Refused("cut.png", png),
      ElementsAre(CouldNotOpen("cut.png", {"24 bit loadpng error: -5", Damaged("cut.png")})));
  auto grey = ReadBytes(DataPath("png_grey.png"));
  grey.resize(grey.size() - 20);
  EXPECT_THAT(
      Refused("cut.png", grey),
      ElementsAre(CouldNotOpen("cut.png", {"n bit loadpng error: -5", Damaged("cut.png")})));

  // Run-length BMP data ending early: the packed-DIB reader refuses it too.
  const std::vector<std::uint8_t> aRle = {
      'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 58, 0, 0, 0,  // file header
      40,  0,   0, 0, 4, 0, 0, 0, 2, 0, 0,  0, 1, 0, 8, 0, 1, 0, 0, 0, 0,   0,
      0,   0,   0, 0, 0, 0, 0, 0, 0, 0, 1,  0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 0,  // one colour
      4,   0,   0, 0};  // one row of two, then nothing
  EXPECT_THAT(Refused("cut.bmp", aRle),
              ElementsAre(CouldNotOpen("cut.bmp", {"loadbmp error: -5", Damaged("cut.bmp")})));

  auto jpg = Written("src.jpg", 40, 40);
  jpg.resize(jpg.size() / 2);
  EXPECT_THAT(Refused("cut.jpg", jpg),
              ElementsAre(CouldNotOpen("cut.jpg", {"loadjpg error: -5", Damaged("cut.jpg")})));
}

TEST_F(CPictureMessages, BmpRefusedByTheReaderIsOpenedAsAPackedDib) {
  // The file header's pixel offset points past the end; the pixels follow
  // the header as in any packed DIB.
  auto a = Written("src.bmp");
  a[10] = 0xF0;
  WriteBytes(Path("lying.bmp"), a);
  TakeMessages();
  CGlobalBlock hDib = OpenImageFile(Path("lying.bmp").c_str(), kImageFromName);
  ASSERT_TRUE(hDib);
  EXPECT_THAT(TakeMessages(), ElementsAre("BMP data error: -5"));
  EXPECT_EQ(MaxDifference(DibRgb(hDib), SurfaceRgb(*PatternSurface(5, 3))), 0);
  auto pSurface = OpenImageSurface(Path("lying.bmp").c_str(), kImageFromName);
  ASSERT_TRUE(pSurface);
  EXPECT_THAT(TakeMessages(), ElementsAre("BMP data error: -5"));
  EXPECT_EQ(MaxDifference(SurfaceRgb(*pSurface), SurfaceRgb(*PatternSurface(5, 3))), 0);

  // A truncated one is refused by both readers.
  a.resize(a.size() - 10);
  EXPECT_THAT(Refused("short.bmp", a),
              ElementsAre(CouldNotOpen("short.bmp", {"BMP data error: -5", Damaged("short.bmp")})));
}

TEST_F(CPictureMessages, ReadDibFileNeedsBmAndAUsableBitmap) {
  auto a = Written("src.bmp");
  auto open = [this](const std::vector<std::uint8_t>& aBytes) {
    WriteBytes(Path("x.bmp"), aBytes);
    std::FILE* p = std::fopen(Path("x.bmp").c_str(), "rb");
    CGlobalBlock h = ReadDibFile(p);
    std::fclose(p);
    return h;
  };
  CGlobalBlock h = open(a);
  ASSERT_TRUE(h);
  EXPECT_EQ(h.Size(), a.size() - 14);
  EXPECT_EQ(std::memcmp(h.Data(), a.data() + 14, h.Size()), 0);
  auto b = a;
  b[0] = 'X';
  EXPECT_FALSE(open(b));
  b = a;
  b.resize(30);
  EXPECT_FALSE(open(b));
  EXPECT_FALSE(open({'B', 'M'}));
  EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(CPictureMessages, WriterMessages) {
  auto pSurface = PatternSurface(3, 2);
  EXPECT_EQ(VicWriteFile(Path("x.gif").c_str(), *pSurface, kImageFromName), 0);
  EXPECT_TRUE(TakeMessages().empty());
  EXPECT_FALSE(std::filesystem::exists(Path("x.gif")));

  EXPECT_EQ(VicWriteFile(Path("x.png").c_str(), *pSurface, 4), 0);
  EXPECT_THAT(TakeMessages(),
              ElementsAre("VWIF: bad image file type: 4\nFilename = <" + Path("x.png") + ">",
                          "SaveImage, error -1"));

  // The system's reason, not an error number.
  EXPECT_EQ(VicWriteFile(Path("no/such/x.png").c_str(), *pSurface, kImageFromName), 0);
  EXPECT_EQ(VicWriteFile("/dev/full", *pSurface, kImageTga), 0);
  EXPECT_THAT(TakeMessages(),
              ElementsAre("Cannot save file <" + Path("no/such/x.png") +
                              ">:\nNo such file or directory",
                          "Cannot save file, disk full?"));

  CDADC empty;
  EXPECT_EQ(VicWriteFile(Path("e.tga").c_str(), empty, kImageFromName), 0);
  EXPECT_THAT(TakeMessages(),
              ElementsAre("VicWriteFile(" + Path("e.tga") + "),\nallocimage() error: -9"));
}

TEST_F(CPictureMessages, FileDialogFilters) {
  EXPECT_STREQ(kOpenImageFilter,
               "Bitmap   (*.BMP)|*.BMP|Targa    (*.TGA)|*.TGA|Jpeg     (*.JPG)|*.JPG|Pcx      "
               "(*.PCX)|*.PCX|PNG      (*.PNG)|*.PNG|All Files(*.*)|*.PNG;*.TGA;*.BMP;*.JPG;*.PCX|");
  EXPECT_TRUE(std::string(kOpenImageFilter).starts_with(kSaveImageFilter));
  EXPECT_STREQ(kImageDefaultExtensions[3], "*.PCX");
}

}  // namespace
