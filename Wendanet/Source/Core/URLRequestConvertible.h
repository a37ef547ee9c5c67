#pragma once

#include <optional>
#include <utility>

#include "Platform/Foundation/URLRequest.h"

namespace wendanet {

// Anything a request can take its whole URL request from.
class URLRequestConvertible {
 public:
  virtual ~URLRequestConvertible() = default;

  // Throws a platform::Error when no URL request can be made.
  virtual platform::URLRequest asURLRequest() const = 0;

  // The URL request, or absent when it cannot be made; the error is dropped.
  std::optional<platform::URLRequest> urlRequest() const;
};

// A finished URL request, handed on unchanged.
class ConvertibleURLRequest final : public URLRequestConvertible {
 public:
  ConvertibleURLRequest(platform::URLRequest request) : request_(std::move(request)) {}

  const platform::URLRequest& value() const { return request_; }
  platform::URLRequest asURLRequest() const override { return request_; }

 private:
  platform::URLRequest request_;
};

}  // namespace wendanet
