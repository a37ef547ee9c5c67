#pragma once

#include <string>

#include "Platform/Foundation/URLRequest.h"

namespace wendanet {

// Sets "Content-Type" unless the request has that field already (the name
// compared without regard to letter case); an existing value is kept.
void setContentTypeIfAbsent(platform::URLRequest& request, std::string contentType);

}  // namespace wendanet
