#include "Wendanet/Source/Core/URLEncoding.h"

#include <algorithm>

#include "Platform/Foundation/ISO8601DateFormatter.h"
#include "Platform/Foundation/NumberText.h"
#include "Platform/Foundation/PercentEncoding.h"
#include "Platform/Foundation/URLComponents.h"
#include "Wendanet/Source/Core/TaggedUnion.h"
#include "Wendanet/Source/Core/WNError.h"
#include "Wendanet/Source/Support/CharacterSetExtensions.h"
#include "Wendanet/Source/Support/RequestContentType.h"

namespace wendanet {
namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

// Whole numbers without a fraction ("1", not "1.0"), the rest as the
// shortest text that reads back.
std::string numberDescription(double value) {
  std::string text = platform::numberText(value);
  if (text.ends_with(".0")) text.resize(text.size() - 2);
  return text;
}

// 2001-01-01 00:00:00 +0000
std::string dateDescription(platform::Date date) {
  std::string text = platform::ISO8601DateFormatter().stringFromDate(date);
  std::replace(text.begin(), text.end(), 'T', ' ');
  if (text.ends_with('Z')) text.replace(text.size() - 1, 1, " +0000");
  return text;
}

struct ComponentWriter {
  const URLEncoding& encoding;
  Pairs& pairs;

  void write(const std::string& key, const ParameterValue& value) const {
    std::visit(Overloaded{
                   [&](const Parameters& nested) {
                     // Nested levels keep their own order.
                     for (const auto& [nestedKey, nestedValue] : nested)
                       write(key + "[" + nestedKey + "]", nestedValue);
                   },
                   [&](const ParameterArray& elements) {
                     for (std::size_t index = 0; index < elements.size(); ++index) {
                       write(encoding.arrayEncoding().encode(key, index), elements[index]);
                     }
                   },
                   [&](bool flag) { leaf(key, encoding.boolEncoding().encode(flag)); },
                   [&](std::nullptr_t) { leaf(key, "<null>"); },
                   [&](std::int64_t number) { leaf(key, std::to_string(number)); },
                   [&](std::uint64_t number) { leaf(key, std::to_string(number)); },
                   [&](double number) { leaf(key, numberDescription(number)); },
                   [&](const std::string& text) { leaf(key, text); },
                   [&](platform::Date date) { leaf(key, dateDescription(date)); },
               },
               value.storage());
  }

  // Keys are escaped only here, after every bracket was added.
  void leaf(const std::string& key, std::string_view text) const {
    pairs.emplace_back(URLEncoding::escape(key), URLEncoding::escape(text));
  }
};

}  // namespace

platform::URLRequest URLEncoding::encode(const URLRequestConvertible& convertible,
                                         const std::optional<Parameters>& parameters) const {
  platform::URLRequest request = convertible.asURLRequest();
  if (!parameters) return request;

  if (encodesParametersInURL(destination_, request.httpMethod())) {
    if (!request.url()) throw WNError::parameterEncodingFailed(ParameterEncodingFailureReason::missingURL());
    if (parameters->empty()) return request;
    platform::URLComponents components(*request.url());
    const auto& existing = components.percentEncodedQuery();
    components.setPercentEncodedQuery((existing ? *existing + "&" : std::string()) + query(*parameters));
    // The query holds nothing but escapes and "&" and "=" between them, so
    // the URL can always be made again.
    auto url = components.url();
    if (!url) throw WNError::parameterEncodingFailed(ParameterEncodingFailureReason::missingURL());
    request.setURL(std::move(url));
  } else {
    setContentTypeIfAbsent(request, "application/x-www-form-urlencoded; charset=utf-8");
    request.setHTTPBody(platform::Data(query(*parameters)));
  }
  return request;
}

std::string URLEncoding::query(const Parameters& parameters) const {
  std::vector<const Parameters::Entry*> entries;
  entries.reserve(parameters.size());
  for (const auto& entry : parameters) entries.push_back(&entry);
  std::sort(entries.begin(), entries.end(),
            [](const auto* left, const auto* right) { return left->first < right->first; });

  Pairs pairs;
  const ComponentWriter writer{*this, pairs};
  for (const auto* entry : entries) writer.write(entry->first, entry->second);

  std::string text;
  for (std::size_t index = 0; index < pairs.size(); ++index) {
    if (index > 0) text.push_back('&');
    text += pairs[index].first + "=" + pairs[index].second;
  }
  return text;
}

std::vector<std::pair<std::string, std::string>> URLEncoding::queryComponents(const std::string& key,
                                                                              const ParameterValue& value) const {
  Pairs pairs;
  ComponentWriter{*this, pairs}.write(key, value);
  return pairs;
}

std::string URLEncoding::escape(std::string_view text) {
  return platform::percentEncodedBytes(text, wnURLQueryAllowed());
}

}  // namespace wendanet
