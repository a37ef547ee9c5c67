#include "Wendalore/ViewModel/OutgoingRequest.h"

#include "Platform/Foundation/Base64.h"
#include "Platform/URLLoading/BodyFraming.h"
#include "Wendanet/Source/Support/UnicodeCase.h"

namespace wendalore {

wendanet::HTTPHeaders outgoingHeaders(const std::vector<std::shared_ptr<RequestHeaderItem>>& rows,
                                      const Credentials& credentials) {
  wendanet::HTTPHeaders headers;
  for (const auto& row : rows) {
    if (row->isEnabled() && !row->key().empty()) headers.update(row->key(), row->value());
  }
  switch (credentials.type) {
    case RequestAuthType::none:
      break;
    case RequestAuthType::basic:
      headers.update("Authorization",
                     "Basic " + platform::base64Encode(credentials.username + ":" + credentials.password));
      break;
    case RequestAuthType::bearer:
      headers.update("Authorization", "Bearer " + credentials.token);
      break;
  }
  return headers;
}

HeaderDictionary headerDictionary(const platform::HTTPHeaderFields& fields) {
  HeaderDictionary dictionary;
  for (const auto& [name, value] : fields) dictionary.insert_or_assign(name, value);
  return dictionary;
}

bool carriesBody(RequestBodyType bodyType, std::string_view method) {
  if (!platform::sendsBody(method)) return false;
  switch (bodyType) {
    case RequestBodyType::none:
      return false;
    case RequestBodyType::formUrlEncoded:
    case RequestBodyType::multipart:
      return true;
    case RequestBodyType::rawText:
    case RequestBodyType::json: {
      const auto upper = wendanet::uppercased(method);
      return upper == "POST" || upper == "PUT" || upper == "PATCH";
    }
  }
  return false;
}

std::optional<std::string> suppliedContentType(RequestBodyType bodyType, const wendanet::HTTPHeaders& headers) {
  const bool rowChoseType = headers.findValue("Content-Type").has_value();
  switch (bodyType) {
    case RequestBodyType::formUrlEncoded: return "application/x-www-form-urlencoded";
    case RequestBodyType::rawText: return rowChoseType ? std::nullopt : std::optional<std::string>("text/plain");
    case RequestBodyType::json: return rowChoseType ? std::nullopt : std::optional<std::string>("application/json");
    case RequestBodyType::none:
    case RequestBodyType::multipart: return std::nullopt;
  }
  return std::nullopt;
}

platform::URLRequest textBodyRequest(const platform::URL& url, const std::string& method,
                                     const wendanet::HTTPHeaders& headers, const std::string& body,
                                     RequestBodyType bodyType) {
  platform::URLRequest request(url, platform::URLRequest::CachePolicy::useProtocolCachePolicy, 60);
  request.setHTTPMethod(method);
  request.setAllHTTPHeaderFields(headers.makeDictionary());
  if (auto type = suppliedContentType(bodyType, headers)) request.setValueForHTTPHeaderField(*type, "Content-Type");
  if (carriesBody(bodyType, method)) request.setHTTPBody(platform::Data(body));
  return request;
}

}  // namespace wendalore
