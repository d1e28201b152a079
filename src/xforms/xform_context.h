// What every Xform's Apply receives: a copy of the area selection, the three
// surfaces of the run, where progress goes and the run's stop flag. Plain
// data: it lives inside the recipe, which is copied bitwise.
#pragma once

#include <atomic>
#include <type_traits>

#include "imaging/area_selection.h"
#include "imaging/constants.h"
#include "imaging/dadc.h"
#include "platform/data_dir.h"
#include "xforms/progress.h"

struct XformContext {
  AreaSelection m_Select;            // the recipe's selection, refreshed by every Apply
  CDADC* m_pIn = nullptr;            // the original picture (Xforms only read it)
  CDADC* m_pOut = nullptr;           // the Xform's result, 1, 2 or 4 times the original's size
  CDADC* m_pDrw = nullptr;           // the view's drawing surface: only the final mix writes it
  // Where progress percentages go and the run's stop flag (set by STOP,
  // polled by the Xform): the defaults, unless a generation worker points
  // them at its own for its run.
  std::atomic<int>* m_pPercent = &g_iProgress;
  std::atomic<int>* m_pStop = &g_bStop;
  // Why the last Apply made no picture when it was not stopped: a fixed text
  // for the user ("the picture is narrower than its squares"), or null when
  // it gave no reason. Cleared by every Apply of the recipe.
  const char* m_szRefusal = nullptr;

  // STOP has been asked for: leave the main loops and return 0. Xforms poll
  // this once per row, column or drawn element.
  bool Stopped() const { return m_pStop && m_pStop->load(std::memory_order_relaxed) != 0; }
  // Ends the run as stopped (an Xform that runs out of memory may do so).
  void RequestStop() const {
    if (m_pStop) m_pStop->store(1, std::memory_order_relaxed);
  }

  // Gives up on the idea for the reason szWhy (a string literal): returns 0,
  // Apply's result for a failed idea.
  int Refuse(const char* szWhy) {
    m_szRefusal = szWhy;
    return 0;
  }

  // Text is drawn with the shipped fonts only: false, giving up with the
  // reason that names the font, when one is missing or damaged (checked
  // whole once per run, before the first text).
  bool ShippedFontsWhole() {
    const char* szWhy = ShippedFontsError();
    if (szWhy) Refuse(szWhy);
    return !szWhy;
  }

  // All three surfaces present, and out / in (integer division) is the same
  // 1, 2 or 4 in both directions.
  bool IsValid() const {
    if (!m_pIn || !m_pOut || !m_pDrw || m_pIn->m_iWidth <= 0 || m_pIn->m_iHeight <= 0) return false;
    const int iX = m_pOut->m_iWidth / m_pIn->m_iWidth;
    const int iY = m_pOut->m_iHeight / m_pIn->m_iHeight;
    return iX == iY && (iX == 1 || iX == 2 || iX == 4);
  }
  // That common ratio, or 1 when the ratios differ or a surface is missing.
  int ScaleFactor() const {
    if (!m_pIn || !m_pOut || m_pIn->m_iWidth <= 0 || m_pIn->m_iHeight <= 0) return 1;
    const int iX = m_pOut->m_iWidth / m_pIn->m_iWidth;
    const int iY = m_pOut->m_iHeight / m_pIn->m_iHeight;
    return iX == iY && (iX == 1 || iX == 2 || iX == 4) ? iX : 1;
  }
};

static_assert(std::is_trivially_copyable_v<XformContext>);
