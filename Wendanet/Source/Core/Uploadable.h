#pragma once

#include <memory>
#include <utility>
#include <variant>

#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/URL.h"
#include "Platform/Streams/InputStream.h"
#include "Wendanet/Source/Core/TaggedUnion.h"
#include "Wendanet/Source/Core/UploadableConvertible.h"

namespace wendanet {

// Where an upload's body comes from: bytes in memory, a file, or a stream.
// A body already made is its own source.
class Uploadable : public UploadableConvertible {
 public:
  struct Data {
    platform::Data data;
  };
  struct File {
    platform::URL url;
    // The file is the request's own temporary file, removed at clean-up.
    bool shouldRemove;
  };
  struct Stream {
    std::shared_ptr<platform::InputStream> stream;
  };
  using Case = std::variant<Data, File, Stream>;

  static Uploadable data(platform::Data data) { return Data{std::move(data)}; }
  static Uploadable file(platform::URL url, bool shouldRemove) { return File{std::move(url), shouldRemove}; }
  static Uploadable stream(std::shared_ptr<platform::InputStream> stream) { return Stream{std::move(stream)}; }

  template <AlternativeOf<Case> Alternative>
  Uploadable(Alternative value) : value_(std::move(value)) {}
  const Case& value() const { return value_; }

  Uploadable createUploadable() const override { return *this; }

 private:
  Case value_;
};

}  // namespace wendanet
