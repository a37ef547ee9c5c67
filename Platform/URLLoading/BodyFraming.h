#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace platform {

// What the transfer does with a request's body, whatever its caller wrote,
// for the texts that repeat a request to tell what went out.

// Whether a request with `method` goes out with the body it was given. An
// answer to HEAD never has a body, yet after sending one the transfer
// library would wait for the body the answer's length announces: a HEAD
// goes without, whatever body it was given.
bool sendsBody(std::string_view method);

// Whether the field `name`, in any letter case, is one the transfer writes
// itself from the body it sends, whatever value a caller gave: the
// Content-Length.
bool writtenByTransfer(std::string_view name);

// The Content-Length a request given a body of `bodyLength` bytes, or none,
// goes out with, whatever field its caller set: the length of the body it
// sends; without a body, 0 for a POST, which must tell that it carries none,
// and none for the other methods. (A body read from a stream goes in chunks,
// without a length.)
std::optional<std::uint64_t> sentContentLength(std::string_view method, std::optional<std::uint64_t> bodyLength);

}  // namespace platform
