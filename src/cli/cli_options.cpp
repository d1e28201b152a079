#include "cli/cli_options.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <strings.h>
#include <vector>

#include "engine/recipe.h"
#include "xforms/form_text.h"

namespace {

std::string Trim(const std::string& cs) {
  std::size_t b = 0, e = cs.size();
  while (b < e && std::isspace(static_cast<unsigned char>(cs[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(cs[e - 1]))) --e;
  return cs.substr(b, e - b);
}

std::vector<std::string> Split(const std::string& cs, char c) {
  std::vector<std::string> a;
  std::stringstream ss(cs);
  std::string csPart;
  while (std::getline(ss, csPart, c)) a.push_back(Trim(csPart));
  if (!cs.empty() && cs.back() == c) a.push_back("");
  return a;
}

bool ToDouble(const std::string& cs, double& d) {
  if (cs.empty()) return false;
  char* pEnd;
  d = std::strtod(cs.c_str(), &pEnd);
  return *pEnd == '\0' && std::isfinite(d);
}

bool ToInt(const std::string& cs, int& i) {
  if (cs.empty()) return false;
  char* pEnd;
  errno = 0;
  const long v = std::strtol(cs.c_str(), &pEnd, 10);
  if (*pEnd != '\0' || errno || v < -2147483647L || v > 2147483647L) return false;
  i = static_cast<int>(v);
  return true;
}

}  // namespace

bool ParseMix(const std::string& csText, MixSettings& mix, std::string& csError) {
  const std::size_t iColon = csText.find(':');
  const std::string csMode = Trim(csText.substr(0, iColon));
  const int iMode = MixModeFromName(csMode);
  if (!iMode) {
    csError = "unknown mix " + QuotedValue(csMode) +
              " (off, even, left-right, top-bottom, right-left, bottom-top, circle-out, "
              "circle-in, ellipse-out, ellipse-in, hsv)";
    return false;
  }
  int iPercent = mix.m_iPercent;
  if (iColon != std::string::npos) {
    if (!ToInt(Trim(csText.substr(iColon + 1)), iPercent))
      return CheckMixPercent(-1, csError);
    if (!CheckMixPercent(iPercent, csError)) return false;
  }
  mix.m_iMixMode = iMode;
  mix.m_iPercent = iPercent;
  return true;
}

bool ParseSelection(const std::string& csText, AreaSelection& sel, std::string& csError) {
  const std::vector<std::string> aParts = Split(csText, ',');
  double h, s, v;
  if (aParts.size() < 3 || !ToDouble(aParts[0], h) || !ToDouble(aParts[1], s) ||
      !ToDouble(aParts[2], v)) {
    csError = "a selection is HUE,SAT,VAL[,invert][,smooth=N]";
    return false;
  }
  bool bInvert = false;
  int iSmooth = 0;
  for (std::size_t i = 3; i < aParts.size(); ++i) {
    if (strcasecmp(aParts[i].c_str(), "invert") == 0) {
      bInvert = true;
    } else if (aParts[i].rfind("smooth=", 0) != 0 || !ToInt(aParts[i].substr(7), iSmooth) ||
               iSmooth < 0 || iSmooth > 8) {
      csError = "unknown selection part " + QuotedValue(aParts[i]) + " (invert or smooth=0..8)";
      return false;
    }
  }
  return MakeSelection(h, s, v, bInvert, iSmooth, sel, csError);
}

bool ParseQuality(const std::string& csText, int& iQuality, std::string& csError) {
  int q;
  if (!ToInt(Trim(csText), q) || (q != 1 && q != 2 && q != 4)) {
    csError = "the quality is 1, 2 or 4";
    return false;
  }
  iQuality = q;
  return true;
}

int ParseXformName(const std::string& csName, std::string& csError) {
  const int i = FindXform(csName);
  if (i < 0 || i >= kXformCount) {
    csError = "unknown Xform " + QuotedValue(csName) + " (see vexmora-cli list)";
    return -1;
  }
  return i;
}

bool ApplySetting(CFilSpec& spec, const std::string& csAssignment, std::string& csError) {
  const std::size_t iEq = csAssignment.find('=');
  if (iEq == std::string::npos || iEq == 0) {
    csError = "--set takes NAME=VALUE, not " + QuotedValue(csAssignment);
    return false;
  }
  const CFormRef form = CFilSpec::Form(spec.m_iXform);
  void* pRecord = spec.Record(spec.m_iXform);
  if (form.IsEmpty() || !pRecord) {
    csError = std::string("Xform \"") + GetXformName(spec.m_iXform) + "\" has no settings yet";
    return false;
  }
  return SetFieldFromText(form, pRecord, Trim(csAssignment.substr(0, iEq)),
                          csAssignment.substr(iEq + 1), csError);
}

bool HasNumberSlot(const std::string& csPattern) {
  return csPattern.find("%d") != std::string::npos;
}

std::string OutputName(const std::string& csPattern, int iNumber) {
  std::string cs;
  const std::string csNumber = std::to_string(iNumber);
  for (std::size_t i = 0; i < csPattern.size(); ++i) {
    if (csPattern.compare(i, 2, "%d") == 0) {
      cs += csNumber;
      ++i;
    } else {
      cs += csPattern[i];
    }
  }
  return cs;
}

std::uint32_t BatchSeed(std::uint32_t iFirst, int iNumber) {
  if (iNumber <= 1) return iFirst;
  // The 64-bit finaliser of SplitMix64 over the first seed and the number.
  std::uint64_t z = (static_cast<std::uint64_t>(iFirst) << 32) | static_cast<std::uint32_t>(iNumber);
  z += 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  z ^= z >> 31;
  // The generator never sees the top bit of its seed, so only 31 bits are kept.
  return static_cast<std::uint32_t>(z >> 33);
}

std::uint32_t EngineSeed(std::uint32_t iTyped) {
  // A bijective 32-bit mixer (xor-shift-multiply, two rounds) of the seed
  // moved off zero; the top bit is dropped, which the generator never sees.
  std::uint32_t x = iTyped ^ 0x9E3779B9u;
  x ^= x >> 16;
  x *= 0x7FEB352Du;
  x ^= x >> 15;
  x *= 0x846CA68Bu;
  x ^= x >> 16;
  return x >> 1;
}

bool ParseIdeaList(const std::string& csText, int iCount, std::vector<int>& aNumbers,
                   std::string& csError) {
  const std::string csRule = "--ideas takes idea numbers from 1 to " + std::to_string(iCount) +
                             " and ranges, e.g. 1,3,5-9";
  std::vector<int> a;
  std::vector<bool> aSeen(static_cast<std::size_t>(iCount) + 1, false);
  for (const std::string& csPart : Split(csText, ',')) {
    const std::size_t iDash = csPart.find('-', 1);
    int iFirst, iLast;
    if (!ToInt(Trim(csPart.substr(0, iDash)), iFirst)) return csError = csRule, false;
    iLast = iFirst;
    if (iDash != std::string::npos && !ToInt(Trim(csPart.substr(iDash + 1)), iLast))
      return csError = csRule, false;
    if (iFirst < 1 || iLast > iCount || iFirst > iLast) {
      csError = "the sequence has no idea " + QuotedValue(csPart) + " (" + csRule.substr(8) + ")";
      return false;
    }
    for (int n = iFirst; n <= iLast; ++n)
      if (!aSeen[static_cast<std::size_t>(n)]) aSeen[static_cast<std::size_t>(n)] = true, a.push_back(n);
  }
  if (a.empty()) return csError = csRule, false;
  aNumbers = std::move(a);
  return true;
}
