#include "Platform/URLLoading/Engine/HTTPAuthenticationChallenge.h"

#include "Platform/Foundation/ASCIICase.h"
#include "Platform/URLLoading/Engine/RequestHeaderLines.h"

namespace platform {

namespace {

// Walks a field value: challenges are a scheme, then either parameters
// (name=value, separated by commas) or one opaque token68.
class ChallengeReader {
 public:
  explicit ChallengeReader(std::string_view text) : text_(text) {}

  std::vector<HTTPAuthenticationChallenge> readAll() {
    std::vector<HTTPAuthenticationChallenge> challenges;
    while (true) {
      skip(" \t,");
      if (atEnd()) break;
      const auto scheme = token();
      if (scheme.empty()) {
        skipPast(',');
        continue;
      }
      HTTPAuthenticationChallenge challenge{std::string(scheme), {}};
      readParameters(challenge);
      challenges.push_back(std::move(challenge));
    }
    return challenges;
  }

 private:
  bool atEnd() const { return position_ >= text_.size(); }
  char peek() const { return atEnd() ? '\0' : text_[position_]; }

  void skip(std::string_view characters) {
    while (!atEnd() && characters.find(text_[position_]) != std::string_view::npos) ++position_;
  }

  void skipPast(char delimiter) {
    while (!atEnd() && text_[position_] != delimiter) ++position_;
    if (!atEnd()) ++position_;
  }

  std::string_view token() {
    const auto start = position_;
    while (!atEnd() && isHTTPToken(text_.substr(position_, 1))) ++position_;
    return text_.substr(start, position_ - start);
  }

  std::string quotedString() {
    std::string value;
    ++position_;
    while (!atEnd() && text_[position_] != '"') {
      if (text_[position_] == '\\' && position_ + 1 < text_.size()) ++position_;
      value += text_[position_++];
    }
    if (!atEnd()) ++position_;
    return value;
  }

  // Parameters go on across commas until what follows a comma is no
  // name=value pair: that is the next challenge's scheme.
  void readParameters(HTTPAuthenticationChallenge& challenge) {
    while (true) {
      skip(" \t");
      const auto start = position_;
      const auto name = token();
      skip(" \t");
      if (name.empty() || peek() != '=') {
        position_ = start;
        // A token68 (an opaque value, perhaps ending in "=") carries
        // nothing the engine reads.
        if (!name.empty() || (!atEnd() && peek() != ',')) skipPast(',');
        return;
      }
      ++position_;
      skip(" \t");
      if (peek() == '=' || peek() == ',' || atEnd()) {
        skipPast(',');
        return;
      }
      const auto value = peek() == '"' ? quotedString() : std::string(token());
      challenge.parameters.insert_or_assign(asciiLowercased(name), value);
      skip(" \t");
      if (peek() != ',') {
        if (!atEnd()) skipPast(',');
        return;
      }
      ++position_;
      skip(" \t,");
      if (!startsParameter()) return;
    }
  }

  bool startsParameter() {
    const auto start = position_;
    const bool parameter = !token().empty() && (skip(" \t"), peek() == '=');
    position_ = start;
    return parameter;
  }

  std::string_view text_;
  std::size_t position_ = 0;
};

}  // namespace

std::optional<std::string> HTTPAuthenticationChallenge::parameter(const std::string& name) const {
  const auto found = parameters.find(name);
  if (found == parameters.end()) return std::nullopt;
  return found->second;
}

std::vector<HTTPAuthenticationChallenge> HTTPAuthenticationChallenge::parse(std::string_view fieldValue) {
  return ChallengeReader(fieldValue).readAll();
}

std::vector<HTTPAuthenticationChallenge> HTTPAuthenticationChallenge::challengesInFields(
    const HTTPHeaderFields& fields) {
  std::vector<HTTPAuthenticationChallenge> challenges;
  for (const auto& [name, value] : fields) {
    if (!equalsIgnoringASCIICase(name, "WWW-Authenticate")) continue;
    for (auto& challenge : parse(value)) challenges.push_back(std::move(challenge));
  }
  return challenges;
}

}  // namespace platform
