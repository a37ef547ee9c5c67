#pragma once

#include <memory>

#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/URLResponse.h"

namespace platform {

// A response with its body, as a URL cache stores it.
class CachedURLResponse {
 public:
  // The platform's raw values.
  enum class StoragePolicy : unsigned { allowed = 0, allowedInMemoryOnly = 1, notAllowed = 2 };

  static std::shared_ptr<CachedURLResponse> make(std::shared_ptr<URLResponse> response, Data data,
                                                 StoragePolicy storagePolicy = StoragePolicy::allowed) {
    return std::make_shared<CachedURLResponse>(std::move(response), std::move(data), storagePolicy);
  }

  CachedURLResponse(std::shared_ptr<URLResponse> response, Data data, StoragePolicy storagePolicy)
      : response_(std::move(response)), data_(std::move(data)), storagePolicy_(storagePolicy) {}

  const std::shared_ptr<URLResponse>& response() const { return response_; }
  const Data& data() const { return data_; }
  StoragePolicy storagePolicy() const { return storagePolicy_; }

 private:
  std::shared_ptr<URLResponse> response_;
  Data data_;
  StoragePolicy storagePolicy_;
};

}  // namespace platform
