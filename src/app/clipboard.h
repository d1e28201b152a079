// Pictures between the clipboard (QImage) and the program's packed 24-bit
// DIBs.
#pragma once

#include <QImage>

#include "platform/global_block.h"

// A packed DIB (40-byte header, 24 bits, bottom-up, rows padded to 4 bytes)
// of the image; an empty block for a null image or when memory runs out.
CGlobalBlock DibFromImage(const QImage& image);
