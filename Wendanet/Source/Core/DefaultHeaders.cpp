#include "Wendanet/Source/Core/DefaultHeaders.h"

#include <fmt/format.h>

#include <algorithm>
#include <optional>

#include "Platform/Foundation/Locale.h"
#include "Platform/Foundation/NumberText.h"
#include "Wendanet/Source/Core/HTTPHeader.h"
#include "Wendanet/Source/Core/HTTPHeaders.h"
#include "Wendanet/Source/Core/WNInfo.h"

namespace wendanet {
namespace {

constexpr std::size_t maximumLanguages = 6;
constexpr const char* unknown = "Unknown";

std::string infoValue(const platform::Bundle::InfoDictionary& info, std::string_view key) {
  const auto found = info.find(key);
  return found == info.end() ? unknown : found->second;
}

// The last non-empty piece between "/" of the first argument.
std::optional<std::string> programName(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return std::nullopt;
  std::string_view path = arguments.front();
  while (!path.empty() && path.back() == '/') path.remove_suffix(1);
  if (path.empty()) return std::nullopt;
  const auto slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace

std::string acceptLanguageValue(const std::vector<std::string>& preferredLanguages) {
  const auto count = std::min(preferredLanguages.size(), maximumLanguages);
  return HTTPHeader::joinWithQualityValues({preferredLanguages.begin(), preferredLanguages.begin() + count});
}

std::string userAgentValue(const platform::Bundle::InfoDictionary& info, const std::vector<std::string>& arguments,
                           std::string_view operatingSystemVersionText) {
  const auto executable = info.find(std::string_view("CFBundleExecutable"));
  const std::string name = executable != info.end() ? executable->second : programName(arguments).value_or(unknown);
  return fmt::format("{}/{} ({}; build:{}; {}) Wendanet/{}", name, infoValue(info, "CFBundleShortVersionString"),
                     infoValue(info, "CFBundleIdentifier"), infoValue(info, "CFBundleVersion"),
                     operatingSystemVersionText, WNInfo::version);
}

std::string operatingSystemVersionText(const platform::OperatingSystemVersion& version) {
  return fmt::format("Linux {}.{}.{}", version.majorVersion, version.minorVersion, version.patchVersion);
}

std::string HTTPHeader::joinWithQualityValues(const std::vector<std::string>& items) {
  std::string text;
  for (std::size_t index = 0; index < items.size(); ++index) {
    if (index > 0) text += ", ";
    const double quality = 1.0 - 0.1 * static_cast<double>(index);
    text += items[index] + ";q=" + platform::numberText(quality);
  }
  return text;
}

const std::string& HTTPHeader::operatingSystemVersionText() {
  static const std::string text =
      wendanet::operatingSystemVersionText(platform::ProcessInfo::processInfo().operatingSystemVersion());
  return text;
}

const HTTPHeader& HTTPHeader::defaultAcceptEncoding() {
  static const HTTPHeader header = acceptEncoding(joinWithQualityValues({"br", "gzip", "deflate"}));
  return header;
}

const HTTPHeader& HTTPHeader::defaultAcceptLanguage() {
  static const HTTPHeader header = acceptLanguage(acceptLanguageValue(platform::Locale::preferredLanguages()));
  return header;
}

const HTTPHeader& HTTPHeader::defaultUserAgent() {
  static const HTTPHeader header =
      userAgent(userAgentValue(platform::Bundle::main()->infoDictionary(),
                               platform::ProcessInfo::processInfo().arguments(), operatingSystemVersionText()));
  return header;
}

const HTTPHeaders& HTTPHeaders::defaultHeaders() {
  static const HTTPHeaders headers{HTTPHeader::defaultAcceptEncoding(), HTTPHeader::defaultAcceptLanguage(),
                                   HTTPHeader::defaultUserAgent()};
  return headers;
}

}  // namespace wendanet
