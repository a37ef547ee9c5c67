#pragma once

#include <memory>

#include "Platform/Foundation/HTTPHeaderFields.h"
#include "Platform/Foundation/HTTPURLResponse.h"
#include "Platform/Foundation/URLRequest.h"
#include "Platform/URLLoading/CachedURLResponse.h"
#include "Platform/URLLoading/URLCache.h"

namespace platform {

// Whether a stored response can be revalidated: it carries an ETag or a
// Last-Modified the server can compare with what it has.
bool hasValidators(const HTTPURLResponse& stored);

// The fields that ask the server whether `stored` is still current, unless
// the request already states conditions of its own, which are the caller's
// to make and are sent as they are.
HTTPHeaderFields revalidationFields(const URLRequest& request, const HTTPURLResponse& stored);

// Whether a 304 answering `sent` (as it went out, conditions included)
// confirms `stored`: by the validator the 304 carries, else by the one
// the request sent.
bool confirms(const HTTPURLResponse& notModified, const HTTPURLResponse& stored, const URLRequest& sent);

// `stored` with the fields of the 304 that confirmed it: they replace the
// stored ones, except those that describe the stored body's bytes or the
// connection the 304 came on.
std::shared_ptr<HTTPURLResponse> updatedByNotModified(const HTTPURLResponse& stored,
                                                      const HTTPURLResponse& notModified);

// What a 304 answering `request` makes of the stored response: when it
// confirms it, the updated response with the stored body, which also
// replaces what `cache` holds (or leaves it, should the update forbid
// keeping it); none otherwise.
std::shared_ptr<CachedURLResponse> renewStored(URLCache& cache, const CachedURLResponse& stored,
                                               const URLRequest& request, const HTTPURLResponse& notModified);

}  // namespace platform
