#include "Wendanet/Source/Support/URLEncodedFormEncoder.h"

#include "Wendanet/Source/Support/URLEncodedFormComponent.h"
#include "Wendanet/Source/Support/URLEncodedFormSerializer.h"
#include "Wendanet/Source/Support/URLEncodedFormValueEncoder.h"

namespace wendanet {

std::string URLEncodedFormEncoder::Error::description() const {
  return "invalidRootObject(" + componentDescription_ + ")";
}

std::string URLEncodedFormEncoder::Error::localizedDescription() const {
  return "The operation couldn't be completed. (Wendanet.URLEncodedFormEncoder.Error error 0.)";
}

std::shared_ptr<URLEncodedFormEncoder> URLEncodedFormEncoder::make() { return make(Options()); }

std::shared_ptr<URLEncodedFormEncoder> URLEncodedFormEncoder::make(Options options) {
  return std::shared_ptr<URLEncodedFormEncoder>(new URLEncodedFormEncoder(std::move(options)));
}

URLEncodedFormEncoder::URLEncodedFormEncoder(Options options) : options_(std::move(options)) {}

std::string URLEncodedFormEncoder::encode(platform::EncodableRef value) const {
  const auto context = URLEncodedFormContext::make();
  const auto valueOptions =
      std::make_shared<const URLEncodedFormValueEncoder::Options>(URLEncodedFormValueEncoder::Options{
          options_.boolEncoding, options_.dataEncoding, options_.dateEncoding, options_.nilEncoding});
  URLEncodedFormValueEncoder encoder({}, context, valueOptions);
  value.encode(encoder);

  const auto* object = context->component.asObject();
  if (!object) throw Error::invalidRootObject(context->component.debugDescription());
  const URLEncodedFormSerializer serializer(options_.alphabetizeKeyValuePairs, options_.arrayEncoding,
                                            options_.keyEncoding, options_.keyPathEncoding, options_.spaceEncoding,
                                            options_.allowedCharacters);
  return serializer.serialize(*object);
}

platform::Data URLEncodedFormEncoder::encodeAsData(platform::EncodableRef value) const {
  return platform::Data(encode(value));
}

}  // namespace wendanet
