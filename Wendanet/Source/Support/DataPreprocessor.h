#pragma once

#include "Platform/Foundation/Data.h"

namespace wendanet {

// Prepares a non-empty response body before a serializer decodes it.
class DataPreprocessor {
 public:
  virtual ~DataPreprocessor() = default;

  // May throw a platform::Error, which reaches the serializer's caller
  // unchanged.
  virtual platform::Data preprocess(const platform::Data& data) const = 0;
};

// Hands the body on as it came.
class PassthroughPreprocessor final : public DataPreprocessor {
 public:
  platform::Data preprocess(const platform::Data& data) const override { return data; }
};

// Removes the guard some servers put before JSON so that a foreign page
// cannot run the body as a script: the six bytes ")]}',\n" at the start,
// once. Anything else is left alone.
class GoogleXSSIPreprocessor final : public DataPreprocessor {
 public:
  platform::Data preprocess(const platform::Data& data) const override;
};

}  // namespace wendanet
