#include "Wendanet/Source/Core/SessionRequestValues.h"

#include "Wendanet/Source/Core/Uploadable.h"

namespace wendanet {

platform::URLRequest makeModifiedURLRequest(const URLConvertible& url, const HTTPMethod& method,
                                            const std::optional<HTTPHeaders>& headers,
                                            const RequestModifier& requestModifier) {
  auto request = makeURLRequest(url, method, headers);
  if (requestModifier) requestModifier(request);
  return request;
}

platform::URLRequest RequestConvertible::asURLRequest() const {
  return encoding->encode(ConvertibleURLRequest(makeModifiedURLRequest(*url, method, headers, requestModifier)),
                          parameters);
}

Uploadable Upload::createUploadable() const { return uploadable->createUploadable(); }

}  // namespace wendanet
