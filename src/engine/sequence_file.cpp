#include "engine/sequence_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include <nlohmann/json.hpp>

#include "imaging/dadc.h"
#include "imaging/digest.h"
#include "imaging/file_utils.h"
#include "imaging/image_files.h"
#include "imaging/packed_dib.h"

using nlohmann::json;
namespace fs = std::filesystem;

namespace {

// A sequence nests its recipes two levels down (the object, its ideas).
constexpr int kMaxSequenceNesting = kMaxRecipeNesting + 2;

std::string HashText(std::uint64_t iHash) {
  char sz[17];
  std::snprintf(sz, sizeof sz, "%016llx", static_cast<unsigned long long>(iHash));
  return sz;
}

bool HashFromText(const std::string& cs, std::uint64_t& iHash) {
  if (cs.size() != 16) return false;
  std::uint64_t v = 0;
  for (const char c : cs) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else return false;
    v = v << 4 | static_cast<std::uint64_t>(d);
  }
  iHash = v;
  return true;
}

// The folder a sequence file lies in, absolute and without "." or "..".
fs::path FolderOf(const std::string& csSequencePath) {
  std::error_code ec;
  fs::path p = fs::absolute(fs::path(csSequencePath), ec);
  if (ec) p = fs::path(csSequencePath);
  return p.lexically_normal().parent_path();
}

// The picture's path as the file stores it: relative to the sequence's
// folder when the picture lies in it or below, else absolute.
std::string StoredPicturePath(const std::string& csPicture, const std::string& csSequencePath) {
  std::error_code ec;
  fs::path pic = fs::absolute(fs::path(csPicture), ec);
  if (ec) return csPicture;
  pic = pic.lexically_normal();
  const fs::path rel = pic.lexically_relative(FolderOf(csSequencePath));
  if (!rel.empty() && *rel.begin() != ".." && rel.is_relative()) return rel.generic_string();
  return pic.generic_string();
}

bool WholeInRange(const json& j, long long iMin, long long iMax, long long& iValue) {
  if (j.is_number_unsigned()) {
    if (j.get<std::uint64_t>() > static_cast<std::uint64_t>(iMax)) return false;
    iValue = static_cast<long long>(j.get<std::uint64_t>());
  } else if (j.is_number_integer()) {
    iValue = j.get<std::int64_t>();
  } else {
    return false;
  }
  return iValue >= iMin && iValue <= iMax;
}

bool PictureFromJson(const json& j, const std::string& csSequencePath, CSequence& seq,
                     std::string& csError) {
  if (!j.is_object()) return csError = "the sequence's picture must be an object", false;
  if (!j.contains("path") || !j["path"].is_string())
    return csError = "the sequence names no picture path", false;
  const std::string csPath = j["path"].get<std::string>();
  if (csPath.empty() || csPath.size() > kMaxSequencePathLength ||
      csPath.find('\0') != std::string::npos)
    return csError = "the sequence's picture path must be 1 to " +
                     std::to_string(kMaxSequencePathLength) + " characters",
           false;
  fs::path pic(csPath);
  if (pic.is_relative()) {
    // Only what the writer writes: a path beside or below the sequence.
    for (const fs::path& part : pic)
      if (part == "..")
        return csError = "the sequence's picture path " + QuotedValue(csPath) +
                         " must be absolute or lie beside or below the sequence",
               false;
    pic = FolderOf(csSequencePath) / pic;
  }
  long long iWidth, iHeight;
  if (!j.contains("width") || !WholeInRange(j["width"], 1, 30000, iWidth) ||
      !j.contains("height") || !WholeInRange(j["height"], 1, 30000, iHeight))
    return csError = "the sequence's picture width and height must be whole numbers from 1 to 30000",
           false;
  if (iWidth * iHeight > kMaxPicturePixels)
    return csError = "the sequence's picture is larger than a picture can be", false;
  std::uint64_t iHash = 0;
  if (!j.contains("pixel_hash") || !j["pixel_hash"].is_string() ||
      !HashFromText(j["pixel_hash"].get<std::string>(), iHash))
    return csError = "the sequence's picture pixel_hash must be 16 hexadecimal digits (0-9, a-f)",
           false;
  seq.m_csPicture = pic.lexically_normal().string();
  seq.m_iWidth = static_cast<std::int32_t>(iWidth);
  seq.m_iHeight = static_cast<std::int32_t>(iHeight);
  seq.m_iPictureHash = iHash;
  return true;
}

}  // namespace

std::uint64_t PictureHash(const CDADC& picture) {
  std::uint64_t h = kFnv1aStart;
  const std::size_t iRowBytes = static_cast<std::size_t>(picture.m_iWidth) * 3;
  for (int y = 0; y < picture.m_iHeight; ++y) h = Fnv1a(picture.Row(y), iRowBytes, h);
  return h;
}

void SetSequencePicture(CSequence& seq, const std::string& csPath, const CDADC& picture) {
  seq.m_csPicture = csPath;
  seq.m_iWidth = picture.m_iWidth;
  seq.m_iHeight = picture.m_iHeight;
  seq.m_iPictureHash = PictureHash(picture);
}

std::string SequenceToJson(const CSequence& seq, const std::string& csSequencePath) {
  json j;
  j["vexmora_sequence"] = kSequenceVersion;
  j["picture"] = json{{"path", StoredPicturePath(seq.m_csPicture, csSequencePath)},
                      {"width", seq.m_iWidth},
                      {"height", seq.m_iHeight},
                      {"pixel_hash", HashText(seq.m_iPictureHash)}};
  // A current index out of range is written as the nearest idea: the file
  // always reads back.
  const int iLast = static_cast<int>(seq.m_aIdeas.size()) - 1;
  j["current"] = seq.m_aIdeas.empty() ? 0 : std::clamp(seq.m_iCurrent, 0, iLast) + 1;
  json ideas = json::array();
  for (const Recipe& r : seq.m_aIdeas) ideas.push_back(RecipeToJsonValue(r));
  j["ideas"] = std::move(ideas);
  // (A path that is not UTF-8 text is written with stand-in characters;
  // WriteSequenceFile refuses such a sequence.)
  return j.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

bool SequenceFromJson(const std::string& csJson, const std::string& csSequencePath,
                      CSequence& seq, std::string& csError) {
  if (csJson.size() > kMaxSequenceBytes)
    return csError = "the sequence is larger than " + std::to_string(kMaxSequenceBytes >> 20) +
                     " MB",
           false;
  if (!JsonNestingWithin(csJson, kMaxSequenceNesting))
    return csError = "the sequence nests deeper than " + std::to_string(kMaxSequenceNesting) +
                     " levels",
           false;
  json j;
  if (!ParseJsonText(csJson, "the sequence", j, csError)) return false;
  if (!j.is_object()) return csError = "the sequence is not a JSON object", false;
  long long iVersion;
  if (!j.contains("vexmora_sequence") || !WholeInRange(j["vexmora_sequence"], 0, 1000, iVersion))
    return csError = "not a vexmora sequence", false;
  if (iVersion != kSequenceVersion)
    return csError = "the sequence is of version " + std::to_string(iVersion) +
                     "; this program reads version " + std::to_string(kSequenceVersion),
           false;
  CSequence result;
  if (!j.contains("picture")) return csError = "the sequence names no picture", false;
  if (!PictureFromJson(j["picture"], csSequencePath, result, csError)) return false;
  if (!j.contains("ideas") || !j["ideas"].is_array())
    return csError = "the sequence's ideas must be an array", false;
  const json& ideas = j["ideas"];
  if (ideas.size() > static_cast<std::size_t>(kMaxSequenceIdeas))
    return csError = "the sequence holds more than " + std::to_string(kMaxSequenceIdeas) +
                     " ideas",
           false;
  result.m_aIdeas.reserve(ideas.size());
  for (std::size_t i = 0; i < ideas.size(); ++i) {
    Recipe r;
    if (!RecipeFromJsonValue(ideas[i], r, csError))
      return csError = "idea " + std::to_string(i + 1) + ": " + csError, false;
    result.m_aIdeas.push_back(r);
  }
  long long iCurrent = 0;
  const long long iCount = static_cast<long long>(result.m_aIdeas.size());
  if (!j.contains("current") || !WholeInRange(j["current"], iCount ? 1 : 0, iCount, iCurrent))
    return csError = iCount ? "the sequence's current idea must be a whole number from 1 to " +
                                  std::to_string(iCount)
                            : std::string("the sequence holds no ideas: its current idea must be 0"),
           false;
  result.m_iCurrent = static_cast<int>(iCurrent) - 1;
  seq = std::move(result);
  return true;
}

std::string SequenceStoreProblem(const std::string& csPicture, std::size_t iIdeas,
                                 const std::string& csSequencePath) {
  if (iIdeas > static_cast<std::size_t>(kMaxSequenceIdeas))
    return "a sequence holds at most " + std::to_string(kMaxSequenceIdeas) + " ideas";
  const std::string csStored = StoredPicturePath(csPicture, csSequencePath);
  if (csStored.empty() || csStored.size() > kMaxSequencePathLength)
    return "the picture's path must be 1 to " + std::to_string(kMaxSequencePathLength) +
           " characters as the sequence stores it";
  try {
    (void)json(csStored).dump();
  } catch (const json::exception&) {
    return "the picture's path " + csStored + " is not valid UTF-8 text, which a sequence stores";
  }
  return {};
}

bool WriteSequenceFile(const std::string& csPath, const CSequence& seq, std::string& csError) {
  csError = SequenceStoreProblem(seq.m_csPicture, seq.m_aIdeas.size(), csPath);
  if (!csError.empty()) return csError = "cannot write " + csPath + ": " + csError, false;
  const std::string csJson = SequenceToJson(seq, csPath);
  if (csJson.size() > kMaxSequenceBytes)
    return csError = "cannot write " + csPath + ": the sequence would be larger than " +
                     std::to_string(kMaxSequenceBytes >> 20) + " MB, more than it may hold",
           false;
  if (const int iError = WriteWholeFile(csPath, csJson.data(), csJson.size()))
    return csError = "cannot write " + csPath + ": " + SystemReason(iError), false;
  return true;
}

bool ReadSequenceFile(const std::string& csPath, CSequence& seq, std::string& csError) {
  std::string csJson;
  if (!ReadBoundedTextFile(csPath, kMaxSequenceBytes, "the sequence", csJson, csError))
    return false;
  return SequenceFromJson(csJson, csPath, seq, csError);
}

bool CheckSequencePicture(const CSequence& seq, const CDADC* pPicture, std::string& csError) {
  const std::string csName = "the sequence's picture " + seq.m_csPicture;
  if (!pPicture) {
    struct stat st {};
    const bool bMissing = stat(seq.m_csPicture.c_str(), &st) != 0 && errno == ENOENT;
    csError = csName + (bMissing ? " is missing" : " cannot be read");
    return false;
  }
  if (pPicture->m_iWidth != seq.m_iWidth || pPicture->m_iHeight != seq.m_iHeight) {
    csError = csName + " has changed: it is " + std::to_string(pPicture->m_iWidth) + " x " +
              std::to_string(pPicture->m_iHeight) + ", the sequence was made from " +
              std::to_string(seq.m_iWidth) + " x " + std::to_string(seq.m_iHeight);
    return false;
  }
  if (PictureHash(*pPicture) != seq.m_iPictureHash) {
    csError = csName + " has changed: its pixels differ from those the sequence was made from";
    return false;
  }
  return true;
}

std::unique_ptr<CDADC> LoadSequencePicture(const CSequence& seq, std::string& csError) {
  std::unique_ptr<CDADC> pPicture;
  // A missing file is told without the loader's own message, and a pipe or
  // device is not opened (that could wait for a writer).
  struct stat st {};
  if (stat(seq.m_csPicture.c_str(), &st) == 0 && S_ISREG(st.st_mode))
    pPicture = OpenImageSurface(seq.m_csPicture.c_str(), kImageFromName);
  if (!CheckSequencePicture(seq, pPicture.get(), csError)) return nullptr;
  return pPicture;
}
