#pragma once

#include <chrono>
#include <cstddef>

#include "Highlighter/HighlightBudget.h"

// Pieces of about `pieceLength`, with all the time they need: for tests about
// where pieces are cut and what they give, on however busy a machine.
inline highlighter::HighlightBudget untimed(std::size_t pieceLength = highlighter::HighlightBudget().pieceLength) {
  return {.pieceLength = pieceLength, .pieceTime = std::chrono::minutes(5), .totalTime = std::chrono::minutes(5)};
}

// The same, never given to the script whole.
inline highlighter::HighlightBudget untimedPieces(std::size_t pieceLength) {
  auto budget = untimed(pieceLength);
  budget.wholeLength = 0;
  return budget;
}
