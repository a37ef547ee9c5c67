#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Foundation/URL.h"
#include "Platform/Foundation/URLRequest.h"
#include "Wendalore/Model/RequestAuthType.h"
#include "Wendalore/Model/RequestBodyType.h"
#include "Wendalore/Model/RequestHeaderItem.h"
#include "Wendalore/Model/RequestHistoryItem.h"
#include "Wendanet/Source/Core/HTTPHeaders.h"

namespace wendalore {

// What a send of a template puts on the wire, decided from its values alone.

struct Credentials {
  RequestAuthType type = RequestAuthType::none;
  std::string username;
  std::string password;
  std::string token;
};

// The enabled rows with a key, in order, a later row replacing an earlier
// one of the same name (any letter case) in its place; then the
// authorisation header, which replaces a row of that name the same way.
wendanet::HTTPHeaders outgoingHeaders(const std::vector<std::shared_ptr<RequestHeaderItem>>& rows,
                                      const Credentials& credentials);

// Header fields as a map; of names written alike the later value wins.
HeaderDictionary headerDictionary(const platform::HTTPHeaderFields& fields);

// Whether a request with this body kind and method carries a body. Raw and
// JSON bodies only go with methods meant to carry one; no body goes with a
// HEAD.
bool carriesBody(RequestBodyType bodyType, std::string_view method);

// The Content-Type a form, raw or JSON body supplies itself: a form's
// always, the others' unless a row chose one.
std::optional<std::string> suppliedContentType(RequestBodyType bodyType, const wendanet::HTTPHeaders& headers);

// The URL request for a form, raw or JSON body: the body's content type
// unless a row chose one (a form always declares itself), and the body
// when `carriesBody` says so. Times out after 60 seconds.
platform::URLRequest textBodyRequest(const platform::URL& url, const std::string& method,
                                     const wendanet::HTTPHeaders& headers, const std::string& body,
                                     RequestBodyType bodyType);

}  // namespace wendalore
