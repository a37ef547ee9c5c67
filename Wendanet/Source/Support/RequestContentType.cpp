#include "Wendanet/Source/Support/RequestContentType.h"

#include "Wendanet/Source/Core/HTTPHeaders.h"

namespace wendanet {

void setContentTypeIfAbsent(platform::URLRequest& request, std::string contentType) {
  HTTPHeaders headers = getHeaders(request);
  if (headers.findValue("Content-Type")) return;
  headers.update(HTTPHeader::contentType(std::move(contentType)));
  setHeaders(request, headers);
}

}  // namespace wendanet
