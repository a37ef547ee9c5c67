#pragma once

#include <chrono>
#include <cstddef>

namespace highlighter {

// What highlighting one text may take, whatever the text. Lengths count the
// code units of the text's encoding.
struct HighlightBudget {
  // A text up to this length is first given to the script whole, in one
  // call of at most `pieceTime`: every character is then coloured as the
  // script means it. Past this length pieces take less time, their garbage
  // staying within the processor's caches, and colour the same.
  std::size_t wholeLength = 256 * 1024;
  // Nor is a text given whole when it holds a longer run of ASCII letters,
  // digits, "_" and "$" outside a string: there the script can take time
  // quadratic in such a run's length, in one stretch nothing can stop. Its
  // slowest languages take most of a second over a run this long; a
  // digest, a token or a query value is shorter. Inside a string the
  // script only looks for the string's end and escapes, in time linear in
  // the run, so a run there (Base64 data, say) may be of any length; the
  // script itself says where it is, before the text goes whole.
  std::size_t longestWholeWord = 8 * 1024;
  // A text not given whole, or not done in time, is highlighted in pieces
  // of about this length (from half of it to half as much again), each cut
  // where the script is outside every construct, so that the next piece
  // starts where the script would be anyway. A piece the script ends inside
  // a construct is done again twice as long, up to `longestConstruct`
  // pieces.
  std::size_t pieceLength = 8 * 1024;
  std::size_t longestConstruct = 64;
  // In pieces, a longer run of word characters stays plain, never given to
  // the script.
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
