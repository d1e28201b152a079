// A contact sheet: ideas laid out as one picture, each reduced to a cell
// with a caption under it (its number, Xform and seed) in the shipped sans
// font, so that the same ideas give the same sheet on every machine.
#pragma once

#include <memory>
#include <string>
#include <vector>

class CDADC;

struct CSheetCell {
  const CDADC* m_pPicture = nullptr;  // null: an idea that was not made (a grey cell)
  std::string m_csCaption;
};

// The caption of an idea: "3: Clouds, seed 12345".
std::string SheetCaption(int iNumber, int iXform, int iSeed);

// A copy of the picture reduced (or enlarged) to iWidth x iHeight, each
// pixel the average of the source pixels it covers (nearest pixel when
// enlarging); null when the size is not positive or memory is short.
std::unique_ptr<CDADC> ResampledCopy(const CDADC& src, int iWidth, int iHeight);

// The size of the sheet MakeContactSheet lays out for iCount pictures of
// iPictureWidth x iPictureHeight, in 64 bits: a sheet larger than a picture
// may be is known before its ideas are made.
struct CSheetSize {
  long long m_iWidth = 0;
  long long m_iHeight = 0;
};
CSheetSize ContactSheetSize(int iCount, int iColumns, int iCellWidth, int iPictureWidth,
                            int iPictureHeight);

// The sheet: iColumns cells a row (at least 1), each iCellWidth pixels wide
// (16 at least) and as high as the first picture's proportions ask (square
// when no picture was made), with a margin around every cell and the caption
// under it (cut with "..." when it is wider than the cell). White paper,
// dark text. Null when the sheet cannot be made (no cells, larger than a
// picture may be, or no memory).
std::unique_ptr<CDADC> MakeContactSheet(const std::vector<CSheetCell>& aCells, int iColumns,
                                        int iCellWidth);
