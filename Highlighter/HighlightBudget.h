#pragma once

#include <chrono>
#include <cstddef>

namespace highlighter {

// What highlighting one text may take, whatever the text. Lengths count the
// code units of the text's encoding.
struct HighlightBudget {
  // A longer text is highlighted in pieces of about this length (from half
  // of it to half as much again), cut at line ends where it can be: the
  // script takes a couple of hundred times the length of what it is given
  // (its work runs faster on a piece whose garbage stays within the
  // processor's caches), and a construct may be coloured differently where
  // a cut goes through it.
  std::size_t pieceLength = 8 * 1024;
  // A longer run of ASCII letters, digits, "_" and "$" stays plain, never
  // given to the script: it can take time quadratic in such a run's length,
  // in one stretch nothing can stop.
  std::size_t longestWord = 1024;
  // A longer text stays plain.
  std::size_t maximumLength = 64u << 20;
  // A piece that takes the script longer stays plain: one long token can
  // take it time quadratic in its length.
  std::chrono::milliseconds pieceTime{3000};
  // Once a text has taken this long, the rest of it stays plain.
  std::chrono::milliseconds totalTime{30000};
};

}  // namespace highlighter
