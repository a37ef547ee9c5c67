#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// The longest text one argument of a program may be: the system refuses to
// start a program given a longer one.
inline constexpr std::size_t longestProgramArgument = 131071;

// Whether every byte of `text` can stand as it is between a shell's quotes:
// well-formed UTF-8 without control characters other than tab and line
// feed. A terminal and an interactive shell's line editor act on the others
// before any quoting counts (one erases the line read so far, another ends a
// paste or the command, a carriage return becomes a line feed), and a line
// editor under a UTF-8 locale drops bytes that are not UTF-8.
bool standsInShellQuotes(std::string_view text);

// `text` between single quotes, where a shell treats nothing as special; a
// single quote inside ends the quotes, is escaped, and opens them again.
std::string singleQuotedShellWord(std::string_view text);

// The quotes a word is written in where its bytes allow.
enum class ShellQuotes { single, doubled };

// `text` as one quoted word that sh, bash and zsh read back exactly, from a
// script, a pipe or a paste into an interactive shell with history
// expansion. Bytes that cannot stand in quotes come from printf's octal
// escapes in a command substitution, which every POSIX shell reads. Double
// quotes leave "!" to history expansion, so a stretch holding one goes in
// single quotes. An argument cannot hold a NUL: one in `text` is left out.
std::string quotedShellWord(std::string_view text, ShellQuotes quotes);

// Whether `text` reads back as itself outside quotes in every shell. zsh
// takes a word starting with "=" as a command's path.
bool isPlainShellWord(std::string_view text);

// `text` as it is when it is plain, quoted otherwise.
std::string shellWord(std::string_view text, ShellQuotes quotes);

// A printf command that writes `bytes` exactly, to pipe into a program that
// reads them on its standard input. Bytes that cannot stand in quotes are
// octal escapes, which every shell's printf reads.
std::string printfCommand(std::string_view bytes);

// Whether `text` can be one quoted argument of a command: what cannot goes
// in on standard input through `printfCommand`.
bool fitsShellArgument(std::string_view text);

}  // namespace platform
