#include "Wendanet/Source/Support/StringResponseSerializer.h"

#include "Platform/Foundation/UTF8.h"

namespace wendanet {

StringResponseSerializer::StringResponseSerializer(std::shared_ptr<const DataPreprocessor> dataPreprocessor,
                                                   std::optional<platform::TextEncoding> encoding,
                                                   EmptyResponseCodes emptyResponseCodes,
                                                   EmptyRequestMethods emptyRequestMethods)
    : ResponseSerializer(std::move(dataPreprocessor), std::move(emptyResponseCodes), std::move(emptyRequestMethods)),
      encoding_(encoding) {}

std::string StringResponseSerializer::serialize(const std::optional<platform::URLRequest>& request,
                                                const std::shared_ptr<const platform::HTTPURLResponse>& response,
                                                const std::optional<platform::Data>& data,
                                                const std::optional<WNError>& error) const {
  const auto decode = [&](const platform::Data& body) {
    std::optional<platform::TextEncoding> chosen = encoding_;
    if (!chosen && response && response->textEncodingName()) {
      chosen = platform::TextEncoding::fromIANACharsetName(*response->textEncodingName());
    }
    // Bodies that name no charset are mostly UTF-8 (JSON has no charset
    // parameter at all); reading those as Latin 1 would garble every
    // character beyond ASCII. Latin 1 remains for bytes that are no UTF-8.
    const platform::TextEncoding encoding = chosen.value_or(
        platform::isValidUTF8(body.view()) ? platform::TextEncoding::utf8 : platform::TextEncoding::isoLatin1);
    auto text = encoding.decode(body);
    if (!text) {
      throw WNError::responseSerializationFailed(
          ResponseSerializationFailureReason::stringSerializationFailed(encoding));
    }
    return *std::move(text);
  };
  return serializeBody(request, response, data, error, decode, [] { return std::string(); });
}

}  // namespace wendanet
