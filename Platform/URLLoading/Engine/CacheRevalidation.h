#pragma once

#include <memory>
#include <optional>

#include "Platform/Foundation/HTTPHeaderFields.h"
#include "Platform/Foundation/HTTPURLResponse.h"
#include "Platform/Foundation/URLRequest.h"
#include "Platform/URLLoading/CachedURLResponse.h"
#include "Platform/URLLoading/URLCache.h"

namespace platform {

// Whether the request states conditions of its own (If-None-Match and the
// like). Its answer, a 304 included, is the caller's as the server gave
// it: the cache keeps none of it, and answers such a request only when it
// must not load.
bool statesOwnConditions(const URLRequest& request);

// Whether a stored response can be revalidated: it carries an ETag or a
// Last-Modified that can go on the wire for the server to compare.
bool hasValidators(const HTTPURLResponse& stored);

// The fields that ask the server whether `stored` is still current, unless
// the request already states conditions of its own. A stored validator
// holding a control character is left out: the request could not be sent
// with it.
HTTPHeaderFields revalidationFields(const URLRequest& request, const HTTPURLResponse& stored);

// Whether a 304 answering the conditions `sent` confirms `stored`: by the
// validator the 304 carries, else by those conditions. Entity tags are
// compared weakly, as If-None-Match does: a server may weaken its tag for
// one encoding and not for another.
bool confirms(const HTTPURLResponse& notModified, const HTTPURLResponse& stored, const HTTPHeaderFields& sent);

// `stored` with the fields of the 304 that confirmed it: they replace the
// stored ones, except those that describe the stored body's bytes or the
// connection the 304 came on.
std::shared_ptr<HTTPURLResponse> updatedByNotModified(const HTTPURLResponse& stored,
                                                      const HTTPURLResponse& notModified);

// What a 304 that confirms a stored response makes of it.
struct Renewal {
  // The updated response with the stored body: the task's answer.
  std::shared_ptr<CachedURLResponse> response;
  // Whether an entry of the cache is one the 304 confirms, the only kind
  // the renewed response may replace: by the time it is stored, another
  // task may have stored a newer one.
  URLCache::Replaceable renews;
};

// The renewal by a 304 answering the conditions `sent` for `stored`;
// none when it does not confirm `stored`.
std::optional<Renewal> renewalBy(std::shared_ptr<const HTTPURLResponse> notModified,
                                 const CachedURLResponse& stored, HTTPHeaderFields sent);

}  // namespace platform
