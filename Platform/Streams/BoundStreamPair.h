#pragma once

#include <cstddef>
#include <memory>
#include <optional>

#include "Platform/Streams/InputStream.h"
#include "Platform/Streams/OutputStream.h"

namespace platform {

// Two streams joined by a buffer: every byte written to `output` is read
// from `input` in order. Writes never wait and are never cut short (the
// buffer grows instead), so a writer that must not stall can feed a slow
// reader. A read waits for bytes; after `output` is closed or released,
// the input reaches its end once the buffered bytes are read.
struct BoundStreamPair {
  std::shared_ptr<InputStream> input;
  std::shared_ptr<OutputStream> output;
};

// `bufferSize` is the capacity the buffer starts with; absent when it is
// not positive.
std::optional<BoundStreamPair> makeBoundStreamPair(std::ptrdiff_t bufferSize);

}  // namespace platform
