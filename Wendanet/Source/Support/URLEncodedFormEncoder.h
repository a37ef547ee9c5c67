#pragma once

#include <memory>
#include <string>

#include "Platform/Coding/CodingTraits.h"
#include "Platform/Foundation/CharacterSet.h"
#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/Error.h"
#include "Wendanet/Source/Support/FormEncodingOptions.h"
#include "Wendanet/Source/Support/KeyEncoding.h"
#include "Wendanet/Source/Support/CharacterSetExtensions.h"

namespace wendanet {

// The settings of a URLEncodedFormEncoder, in the order it keeps them; the
// defaults are those of the default encoder.
struct URLEncodedFormEncoderOptions {
  bool alphabetizeKeyValuePairs = true;
  ArrayEncoding arrayEncoding = ArrayEncoding::brackets;
  BoolEncoding boolEncoding = BoolEncoding::numeric;
  DataEncoding dataEncoding = DataEncoding::base64;
  DateEncoding dateEncoding = DateEncoding::deferredToDate;
  KeyEncoding keyEncoding = KeyEncoding::useDefaultKeys;
  KeyPathEncoding keyPathEncoding = KeyPathEncoding::brackets();
  NilEncoding nilEncoding = NilEncoding::dropKey();
  SpaceEncoding spaceEncoding = SpaceEncoding::percentEscaped;
  platform::CharacterSet allowedCharacters = wnURLQueryAllowed();
};

// Turns an encodable value into application/x-www-form-urlencoded text:
// key=value pairs joined by "&", with nested keys such as user[name] and
// list keys such as tags[]. The value must encode as a record (keyed at the
// top); anything else is refused.
//
// Every encode call builds its own tree and serializer, so one encoder may
// encode on several threads at once, as long as nobody replaces the
// allowed characters meanwhile.
class URLEncodedFormEncoder {
 public:
  using ArrayEncoding = wendanet::ArrayEncoding;
  using BoolEncoding = wendanet::BoolEncoding;
  using DataEncoding = wendanet::DataEncoding;
  using DateEncoding = wendanet::DateEncoding;
  using KeyEncoding = wendanet::KeyEncoding;
  using KeyPathEncoding = wendanet::KeyPathEncoding;
  using NilEncoding = wendanet::NilEncoding;
  using SpaceEncoding = wendanet::SpaceEncoding;

  using Options = URLEncodedFormEncoderOptions;

  // The value did not encode as a record.
  class Error : public platform::ErrorBase<Error> {
   public:
    // `componentDescription` shows what was produced instead, such as
    // string("abc").
    static Error invalidRootObject(std::string componentDescription) { return Error(std::move(componentDescription)); }

    const std::string& componentDescription() const { return componentDescription_; }
    // invalidRootObject(string("abc"))
    std::string description() const override;
    // This error has no message of its own; the generic one is shown.
    std::string localizedDescription() const override;

   private:
    explicit Error(std::string componentDescription) : componentDescription_(std::move(componentDescription)) {}

    std::string componentDescription_;
  };

  static std::shared_ptr<URLEncodedFormEncoder> make();
  static std::shared_ptr<URLEncodedFormEncoder> make(Options options);

  bool alphabetizeKeyValuePairs() const { return options_.alphabetizeKeyValuePairs; }
  const ArrayEncoding& arrayEncoding() const { return options_.arrayEncoding; }
  const BoolEncoding& boolEncoding() const { return options_.boolEncoding; }
  const DataEncoding& dataEncoding() const { return options_.dataEncoding; }
  const DateEncoding& dateEncoding() const { return options_.dateEncoding; }
  const KeyEncoding& keyEncoding() const { return options_.keyEncoding; }
  const KeyPathEncoding& keyPathEncoding() const { return options_.keyPathEncoding; }
  const NilEncoding& nilEncoding() const { return options_.nilEncoding; }
  const SpaceEncoding& spaceEncoding() const { return options_.spaceEncoding; }
  // Read by every encode call as it starts. Not locked: replace it only
  // while no other thread encodes with this encoder.
  const platform::CharacterSet& allowedCharacters() const { return options_.allowedCharacters; }
  void setAllowedCharacters(platform::CharacterSet allowedCharacters) {
    options_.allowedCharacters = std::move(allowedCharacters);
  }

  // Throws Error (invalidRootObject), the EncodingError of a single-value
  // container asked for a second value, and whatever the value's own
  // encoding or a custom handler throws; no partial text is returned.
  std::string encode(platform::EncodableRef value) const;
  // The UTF-8 bytes of `encode(value)`.
  platform::Data encodeAsData(platform::EncodableRef value) const;

 private:
  explicit URLEncodedFormEncoder(Options options);

  // Only the allowed characters ever change.
  Options options_;
};

}  // namespace wendanet
