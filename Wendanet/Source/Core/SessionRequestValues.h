#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "Platform/Foundation/URLRequest.h"
#include "Wendanet/Source/Core/HTTPHeaders.h"
#include "Wendanet/Source/Core/HTTPMethod.h"
#include "Wendanet/Source/Core/ParameterEncoder.h"
#include "Wendanet/Source/Core/ParameterEncoding.h"
#include "Wendanet/Source/Core/ParameterValue.h"
#include "Wendanet/Source/Core/URLConvertible.h"
#include "Wendanet/Source/Core/URLRequestConvertible.h"
#include "Wendanet/Source/Core/UploadableConvertible.h"
#include "Wendanet/Source/Support/URLRequestExtensions.h"

// The values a session's request factories pack a request's description
// into. Each is converted anew every time its request is performed, on the
// session's request queue; nothing happens until then.

namespace wendanet {

// Sees the URL request after URL, method and headers are set and before
// any parameters are written; may change it, or throw to fail the request.
using RequestModifier = std::function<void(platform::URLRequest&)>;

// The URL request from URL, method and headers, passed through the modifier.
platform::URLRequest makeModifiedURLRequest(const URLConvertible& url, const HTTPMethod& method,
                                            const std::optional<HTTPHeaders>& headers,
                                            const RequestModifier& requestModifier);

// Parameters written by a parameter encoding, which is asked even when
// they are absent.
struct RequestConvertible final : URLRequestConvertible {
  std::shared_ptr<const URLConvertible> url;
  HTTPMethod method = HTTPMethod::get();
  std::optional<Parameters> parameters;
  std::shared_ptr<const ParameterEncoding> encoding;
  std::optional<HTTPHeaders> headers;
  RequestModifier requestModifier;

  RequestConvertible(std::shared_ptr<const URLConvertible> url, HTTPMethod method,
                     std::optional<Parameters> parameters, std::shared_ptr<const ParameterEncoding> encoding,
                     std::optional<HTTPHeaders> headers, RequestModifier requestModifier)
      : url(std::move(url)),
        method(std::move(method)),
        parameters(std::move(parameters)),
        encoding(std::move(encoding)),
        headers(std::move(headers)),
        requestModifier(std::move(requestModifier)) {}
  platform::URLRequest asURLRequest() const override;
};

// A value written by a parameter encoder; absent parameters never reach it.
template <platform::Encodable Parameters>
struct RequestEncodableConvertible final : URLRequestConvertible {
  std::shared_ptr<const URLConvertible> url;
  HTTPMethod method = HTTPMethod::get();
  std::optional<Parameters> parameters;
  std::shared_ptr<const ParameterEncoder> encoder;
  std::optional<HTTPHeaders> headers;
  RequestModifier requestModifier;

  RequestEncodableConvertible(std::shared_ptr<const URLConvertible> url, HTTPMethod method,
                              std::optional<Parameters> parameters, std::shared_ptr<const ParameterEncoder> encoder,
                              std::optional<HTTPHeaders> headers, RequestModifier requestModifier)
      : url(std::move(url)),
        method(std::move(method)),
        parameters(std::move(parameters)),
        encoder(std::move(encoder)),
        headers(std::move(headers)),
        requestModifier(std::move(requestModifier)) {}
  platform::URLRequest asURLRequest() const override {
    auto request = makeModifiedURLRequest(*url, method, headers, requestModifier);
    if (!parameters) return request;
    return encoder->encode(*parameters, std::move(request));
  }
};

struct ParameterlessRequestConvertible final : URLRequestConvertible {
  std::shared_ptr<const URLConvertible> url;
  HTTPMethod method = HTTPMethod::get();
  std::optional<HTTPHeaders> headers;
  RequestModifier requestModifier;

  ParameterlessRequestConvertible(std::shared_ptr<const URLConvertible> url, HTTPMethod method,
                                  std::optional<HTTPHeaders> headers, RequestModifier requestModifier)
      : url(std::move(url)),
        method(std::move(method)),
        headers(std::move(headers)),
        requestModifier(std::move(requestModifier)) {}
  platform::URLRequest asURLRequest() const override {
    return makeModifiedURLRequest(*url, method, headers, requestModifier);
  }
};

// An upload's URL request and body, each from its own source.
struct Upload final : UploadConvertible {
  std::shared_ptr<const URLRequestConvertible> request;
  std::shared_ptr<const UploadableConvertible> uploadable;

  Upload(std::shared_ptr<const URLRequestConvertible> request, std::shared_ptr<const UploadableConvertible> uploadable)
      : request(std::move(request)), uploadable(std::move(uploadable)) {}
  platform::URLRequest asURLRequest() const override { return request->asURLRequest(); }
  Uploadable createUploadable() const override;
};

}  // namespace wendanet
