#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "engine/sequence_file.h"
#include "imaging/dadc.h"
#include "support/temp_dir.h"
#include "xforms/test_pictures.h"

using ::testing::HasSubstr;

namespace {

CSequence TwoIdeas(const std::string& csPicture, const CDADC& pic) {
  CSequence seq;
  SetSequencePicture(seq, csPicture, pic);
  Recipe a, b;
  a.m_Spec.m_iXform = XFORM_CLOUDS;
  a.m_Spec.m_iSeed = -7;
  a.m_Spec.m_Clouds.m_iDetail = 5;
  b.m_Spec.m_iXform = XFORM_MOSAIC;
  b.m_Spec.m_iSeed = 123456;
  b.m_Spec.m_Mix.m_iMixMode = MIX_CIRCLE_IN;
  b.m_Spec.m_Mix.m_iPercent = 30;
  b.m_iQuality = 4;
  seq.m_aIdeas = {a, b};
  seq.m_iCurrent = 1;
  return seq;
}

}  // namespace

TEST(SequenceFile, RoundTripAndPicturePaths) {
  CTempDir tmp;
  std::filesystem::create_directories(tmp.Dir() / "seqs" / "pics");
  auto pic = MakeTestPicture(40, 30);
  const std::string csSeq = tmp.Path("seqs/s.vxseq");
  const CSequence seq = TwoIdeas(tmp.Path("seqs/pics/p.bmp"), *pic);
  std::string csError;
  ASSERT_TRUE(WriteSequenceFile(csSeq, seq, csError)) << csError;
  const std::string csJson = SequenceToJson(seq, csSeq);
  // Below the sequence: stored relative, so the folder can move as a whole.
  EXPECT_THAT(csJson, HasSubstr("\"path\": \"pics/p.bmp\""));
  // Each idea is the whole recipe, as a recipe file holds it.
  EXPECT_THAT(csJson, HasSubstr("\"vexmora_recipe\": 1"));

  std::filesystem::rename(tmp.Dir() / "seqs", tmp.Dir() / "moved");
  CSequence back;
  ASSERT_TRUE(ReadSequenceFile(tmp.Path("moved/s.vxseq"), back, csError)) << csError;
  EXPECT_EQ(back.m_csPicture, tmp.Path("moved/pics/p.bmp"));
  EXPECT_EQ(back.m_iWidth, 40);
  EXPECT_EQ(back.m_iHeight, 30);
  EXPECT_EQ(back.m_iPictureHash, PictureHash(*pic));
  EXPECT_EQ(back.m_iCurrent, 1);
  ASSERT_EQ(back.m_aIdeas.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i)
    EXPECT_EQ(RecipeToJson(back.m_aIdeas[i]), RecipeToJson(seq.m_aIdeas[i]));

  // Above or beside another folder: stored absolute.
  const CSequence other = TwoIdeas(tmp.Path("p.bmp"), *pic);
  EXPECT_THAT(SequenceToJson(other, tmp.Path("moved/s.vxseq")),
              HasSubstr("\"path\": \"" + tmp.Path("p.bmp") + "\""));
  // A current index out of range is written as the nearest idea.
  CSequence stray = other;
  stray.m_iCurrent = 7;
  ASSERT_TRUE(SequenceFromJson(SequenceToJson(stray, csSeq), csSeq, back, csError)) << csError;
  EXPECT_EQ(back.m_iCurrent, 1);
  // No ideas: current 0.
  CSequence empty;
  SetSequencePicture(empty, tmp.Path("p.bmp"), *pic);
  ASSERT_TRUE(SequenceFromJson(SequenceToJson(empty, csSeq), csSeq, back, csError)) << csError;
  EXPECT_TRUE(back.m_aIdeas.empty());
  EXPECT_EQ(back.m_iCurrent, -1);
}

// What would not read back is not written: too many ideas, a picture path
// that is not UTF-8 text (no exception either), and nothing is left behind.
TEST(SequenceFile, WritesOnlyWhatReadsBack) {
  CTempDir tmp;
  auto pic = MakeTestPicture(8, 6);
  const std::string csSeq = tmp.Path("s.vxseq");
  std::string csError;
  CSequence latin = TwoIdeas(tmp.Path("caf\xe9.bmp"), *pic);
  EXPECT_FALSE(WriteSequenceFile(csSeq, latin, csError));
  EXPECT_THAT(csError, HasSubstr("is not valid UTF-8 text"));
  EXPECT_THAT(SequenceToJson(latin, csSeq), HasSubstr("\"caf\xef\xbf\xbd.bmp\""));
  CSequence many = TwoIdeas(tmp.Path("p.bmp"), *pic);
  many.m_aIdeas.resize(kMaxSequenceIdeas + 1, many.m_aIdeas[0]);
  EXPECT_FALSE(WriteSequenceFile(csSeq, many, csError));
  EXPECT_THAT(csError, HasSubstr("at most 50000 ideas"));
  EXPECT_TRUE(std::filesystem::is_empty(tmp.Dir()));
}

// Every field is checked; each fault has its own message.
TEST(SequenceFile, HostileFilesAreRefusedWithTheirReason) {
  CTempDir tmp;
  auto pic = MakeTestPicture(8, 6);
  const std::string csSeq = tmp.Path("s.vxseq");
  const std::string csGood = SequenceToJson(TwoIdeas(tmp.Path("p.bmp"), *pic), csSeq);
  auto refused = [&](const std::string& csFrom, const std::string& csTo, bool bPicture = false) {
    // Keys are written in order: the picture's come after the ideas.
    std::string csJson = csGood;
    const std::size_t i = csJson.find(csFrom, bPicture ? csJson.find("\"picture\"") : 0);
    EXPECT_NE(i, std::string::npos) << csFrom;
    if (i != std::string::npos) csJson.replace(i, csFrom.size(), csTo);
    CSequence seq;
    std::string csError;
    EXPECT_FALSE(SequenceFromJson(csJson, csSeq, seq, csError)) << csTo;
    return csError;
  };
  EXPECT_EQ(refused("\"vexmora_sequence\": 1", "\"vexmora_sequence\": 2"),
            "the sequence is of version 2; this program reads version 1");
  EXPECT_EQ(refused("\"vexmora_sequence\": 1", "\"vexmora_recipe\": 1"), "not a vexmora sequence");
  EXPECT_EQ(refused("\"current\": 2", "\"current\": 3"),
            "the sequence's current idea must be a whole number from 1 to 2");
  refused("\"current\": 2", "\"current\": 0");
  refused("\"current\": 2", "\"current\": 1.5");
  EXPECT_THAT(refused("\"width\": 8", "\"width\": 0", true), HasSubstr("from 1 to 30000"));
  refused("\"height\": 6", "\"height\": 4294967302", true);
  EXPECT_THAT(refused("\"pixel_hash\": \"", "\"pixel_hash\": \"g", true), HasSubstr("16 hexadecimal"));
  EXPECT_THAT(refused("\"path\": \"p.bmp", "\"path\": \"../p.bmp", true),
              HasSubstr("beside or below the sequence"));
  refused("\"path\": \"p.bmp\"", "\"path\": \"\"", true);
  // A fault inside an idea names the idea and the recipe's own rule.
  EXPECT_EQ(refused("\"percent\": 30", "\"percent\": 300"),
            "idea 2: the mix percentage must be a whole number from 1 to 99");
  EXPECT_EQ(refused("\"percent\": 30", "\"percent\": 1e400"),
            "the sequence's \"percent\" is a number out of range");
  refused("\"ideas\": [", "\"ideas\": {\"a\": [");
  // Cut short anywhere: told, never read as a shorter sequence.
  for (const std::size_t iCut : {std::size_t{1}, csGood.size() / 2, csGood.size() - 3}) {
    CSequence seq;
    std::string csError;
    EXPECT_FALSE(SequenceFromJson(csGood.substr(0, iCut), csSeq, seq, csError));
    EXPECT_EQ(csError, "the sequence ends too early (cut short?)") << iCut;
  }
  CSequence seq;
  std::string csError;
  EXPECT_FALSE(SequenceFromJson(std::string(40, '[') + std::string(40, ']'), csSeq, seq, csError));
  EXPECT_THAT(csError, HasSubstr("nests deeper than"));
  EXPECT_FALSE(ReadSequenceFile(tmp.Dir().string(), seq, csError));
  EXPECT_THAT(csError, HasSubstr("not a regular file"));
}

TEST(SequenceFile, PictureCheckNamesThePath) {
  CTempDir tmp;
  auto pic = MakeTestPicture(16, 12);
  const std::string csPic = tmp.Path("p.bmp");
  ASSERT_EQ(pic->WriteBmpFile(csPic.c_str()), 1);
  const CSequence seq = TwoIdeas(csPic, *pic);
  std::string csError;
  // The hash is over pixels: the same picture in another format matches.
  const std::string csPng = tmp.Path("p.png");
  ASSERT_EQ(pic->WriteImageFile(csPng.c_str()), 1);
  CSequence asPng = seq;
  asPng.m_csPicture = csPng;
  EXPECT_NE(LoadSequencePicture(asPng, csError), nullptr) << csError;

  auto other = MakeTestPicture(16, 12);
  other->Row(4)[9] ^= 1;
  ASSERT_EQ(other->WriteBmpFile(csPic.c_str()), 1);
  EXPECT_EQ(LoadSequencePicture(seq, csError), nullptr);
  EXPECT_EQ(csError, "the sequence's picture " + csPic +
                         " has changed: its pixels differ from those the sequence was made from");
  ASSERT_EQ(MakeTestPicture(17, 12)->WriteBmpFile(csPic.c_str()), 1);
  EXPECT_EQ(LoadSequencePicture(seq, csError), nullptr);
  EXPECT_EQ(csError, "the sequence's picture " + csPic +
                         " has changed: it is 17 x 12, the sequence was made from 16 x 12");
  std::filesystem::remove(csPic);
  EXPECT_EQ(LoadSequencePicture(seq, csError), nullptr);
  EXPECT_EQ(csError, "the sequence's picture " + csPic + " is missing");
}
