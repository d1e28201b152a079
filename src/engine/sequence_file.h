// Sequence files (.vxseq): the original picture (its path, pixel size and a
// hash of its pixels) and the complete recipe of every idea in order, plus
// which idea is current. A sequence regenerates every idea from the same
// picture, here or on another machine. The format and its compatibility
// promise are described in docs/sequence-files.md.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/recipe.h"

class CDADC;

// The version a sequence's "vexmora_sequence" field holds.
constexpr int kSequenceVersion = 1;
// Bounds of what a sequence file may hold; a file beyond them is refused.
constexpr std::size_t kMaxSequenceBytes = std::size_t{64} << 20;
constexpr int kMaxSequenceIdeas = 50000;
constexpr std::size_t kMaxSequencePathLength = 4096;

struct CSequence {
  // The original picture, as the program opens it: after reading, a path
  // the file held relative to itself is already joined to its folder.
  std::string m_csPicture;
  std::int32_t m_iWidth = 0;
  std::int32_t m_iHeight = 0;
  std::uint64_t m_iPictureHash = 0;  // PictureHash of the picture
  std::vector<Recipe> m_aIdeas;
  int m_iCurrent = -1;  // index into m_aIdeas; -1 only when there are none
};

// FNV-1a (64 bits) over the picture's decoded pixels, row by row from the
// top, three bytes per pixel in the surface's order (blue, green, red),
// without row padding.
std::uint64_t PictureHash(const CDADC& picture);
// Sets the sequence's picture: the path, size and hash of this picture.
void SetSequencePicture(CSequence& seq, const std::string& csPath, const CDADC& picture);

// The JSON text of a sequence to be stored at csSequencePath (pretty-printed,
// ends with a newline): the picture's path is written relative to the
// sequence's folder when the picture lies in it or below it, else absolute;
// a current index out of range is written as the nearest idea.
std::string SequenceToJson(const CSequence& seq, const std::string& csSequencePath);
// Reads a sequence stored at csSequencePath (a relative picture path is
// taken from that file's folder); false with a reason in csError. Every
// value is checked as a recipe's is, within the bounds above.
bool SequenceFromJson(const std::string& csJson, const std::string& csSequencePath,
                      CSequence& seq, std::string& csError);

// Why a sequence of iIdeas ideas whose picture is csPicture, stored at
// csSequencePath, would not read back (too many ideas, or a picture path too
// long or not UTF-8 text); empty when it would. WriteSequenceFile checks it;
// a caller that makes the ideas first checks it before.
std::string SequenceStoreProblem(const std::string& csPicture, std::size_t iIdeas,
                                 const std::string& csSequencePath);
// Through a temporary file: a failed write keeps an older sequence intact.
// Refuses (false, nothing written) a sequence that would not read back,
// also one whose text passes kMaxSequenceBytes.
bool WriteSequenceFile(const std::string& csPath, const CSequence& seq, std::string& csError);
// Reads a regular file of at most kMaxSequenceBytes.
bool ReadSequenceFile(const std::string& csPath, CSequence& seq, std::string& csError);

// Whether the picture is the sequence's own: pPicture is the picture loaded
// from seq.m_csPicture, null when it could not be loaded. false with one
// message naming the path:
//   "the sequence's picture PATH is missing"
//   "the sequence's picture PATH cannot be read"
//   "the sequence's picture PATH has changed: it is W x H, the sequence was made from W x H"
//   "the sequence's picture PATH has changed: its pixels differ from those the sequence was made from"
bool CheckSequencePicture(const CSequence& seq, const CDADC* pPicture, std::string& csError);
// Loads seq.m_csPicture and checks it as above: null with the message when
// it is missing, unreadable or not the sequence's picture.
std::unique_ptr<CDADC> LoadSequencePicture(const CSequence& seq, std::string& csError);
