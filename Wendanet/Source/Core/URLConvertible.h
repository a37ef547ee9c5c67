#pragma once

#include <string>
#include <utility>

#include "Platform/Foundation/URL.h"
#include "Platform/Foundation/URLComponents.h"

namespace wendanet {

// Anything a request can take its URL from.
class URLConvertible {
 public:
  virtual ~URLConvertible() = default;

  // Throws a WNError (invalidURL for the conformers below) or any other
  // platform::Error when there is no URL to be had.
  virtual platform::URL asURL() const = 0;
  // The value as text, as failure messages show it.
  virtual std::string description() const = 0;
};

// Text read as a URL exactly as typed.
class ConvertibleString final : public URLConvertible {
 public:
  ConvertibleString(std::string text) : text_(std::move(text)) {}
  ConvertibleString(const char* text) : text_(text) {}

  const std::string& value() const { return text_; }
  platform::URL asURL() const override;
  std::string description() const override { return text_; }

 private:
  std::string text_;
};

class ConvertibleURL final : public URLConvertible {
 public:
  ConvertibleURL(platform::URL url) : url_(std::move(url)) {}

  const platform::URL& value() const { return url_; }
  platform::URL asURL() const override { return url_; }
  std::string description() const override { return url_.absoluteString(); }

 private:
  platform::URL url_;
};

class ConvertibleURLComponents final : public URLConvertible {
 public:
  ConvertibleURLComponents(platform::URLComponents components) : components_(std::move(components)) {}

  const platform::URLComponents& value() const { return components_; }
  platform::URL asURL() const override;
  std::string description() const override { return components_.description(); }

 private:
  platform::URLComponents components_;
};

}  // namespace wendanet
