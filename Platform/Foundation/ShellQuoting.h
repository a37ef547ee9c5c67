#pragma once

#include <string>
#include <string_view>

namespace platform {

// `text` between single quotes, where a shell treats nothing as special; a
// single quote inside ends the quotes, is escaped, and opens them again.
// Line feeds stay as they are: every shell reads them back inside quotes.
std::string singleQuotedShellWord(std::string_view text);

// Whether `text` holds a byte that no quoting can carry as it is. A terminal
// and an interactive shell's line editor act on control characters before
// any quoting counts: one erases the line read so far, another ends a paste
// or the command, and a carriage return becomes a line feed. A line editor
// under a UTF-8 locale drops bytes that are not UTF-8. A line feed is safe.
bool needsANSICQuoting(std::string_view text);

// `text` in the shell's ANSI-C quoting, $'...', written without a single
// control character or byte that is not UTF-8: those are "\xNN" escapes, and
// so are the quote and "!" (history expansion does not know this quoting)
// and the backslash. Other bytes, UTF-8 included, stand as they are.
std::string ansiCQuotedShellWord(std::string_view text);

// Whether `text` reads back as itself outside quotes.
bool isPlainShellWord(std::string_view text);

}  // namespace platform
