#include "Wendanet/Source/Support/CURLCommand.h"

#include "Platform/URLLoading/HTTPCookieStorage.h"
#include "Platform/URLLoading/URLCredentialStorage.h"

#include "Platform/Foundation/ShellQuoting.h"
#include "Platform/Foundation/UTF8.h"
#include "Platform/URLLoading/BodyFraming.h"
#include "Platform/URLLoading/CurlOptions.h"
#include "Platform/URLLoading/URLProtectionSpace.h"

namespace wendanet {

namespace {

constexpr std::string_view lineSeparator = " \\\n\t";

std::string quoted(std::string_view text) { return platform::quotedShellWord(text, platform::ShellQuotes::doubled); }

std::string shellWord(std::string_view text) { return platform::shellWord(text, platform::ShellQuotes::doubled); }

// curl reads a body after "-d" that starts with "@" as the name of a file
// to send.
std::string bodyOption(std::string_view body) { return body.starts_with('@') ? "--data-raw " : "-d "; }

std::string cookieList(const std::vector<std::pair<std::string, std::string>>& cookies) {
  std::string list;
  for (const auto& [name, value] : cookies) {
    if (!list.empty()) list += ';';
    list += name + "=" + value;
  }
  return list;
}

// Exactly "Cookie" is left to the cookie line; other spellings are shown.
void mergeHeaders(HTTPHeaders& merged, const HTTPHeaders& headers) {
  for (const auto& header : headers) {
    if (header.name() != "Cookie") merged.update(header);
  }
}

// Basic authentication at the URL's host, port (0 when it has none) and
// scheme, with the host as the realm.
platform::URLProtectionSpace cURLProtectionSpace(const platform::URL& url) {
  const std::string host = url.host().value_or("");
  return {.host = host,
          .port = url.port().value_or(0),
          .protocol = url.scheme(),
          .realm = host,
          .authenticationMethod = std::string(platform::URLProtectionSpace::authenticationMethodHTTPBasic),
          .serverTrust = nullptr};
}

// In the storage's order: by user name.
std::optional<std::vector<platform::URLCredential>> storedCredentials(const platform::URLCredentialStorage& storage,
                                                                      const platform::URLProtectionSpace& space) {
  auto byUser = storage.credentials(space);
  if (!byUser) return std::nullopt;
  std::vector<platform::URLCredential> credentials;
  for (auto& [user, credential] : *byUser) credentials.push_back(std::move(credential));
  return credentials;
}

std::optional<std::vector<std::pair<std::string, std::string>>> storedCookies(const platform::HTTPCookieStorage& storage,
                                                                              const platform::URL& url) {
  auto cookies = storage.cookies(url);
  if (!cookies) return std::nullopt;
  std::vector<std::pair<std::string, std::string>> pairs;
  for (auto& cookie : *cookies) pairs.emplace_back(std::move(cookie.name), std::move(cookie.value));
  return pairs;
}

}  // namespace

std::string makeCURLCommand(const std::optional<platform::URLRequest>& request, const CURLCommandContext& context) {
  if (!request || !request->url() || !request->url()->host() || !request->httpMethod()) {
    return std::string(cURLCommandFailureText);
  }
  const auto& method = *request->httpMethod();
  // A body that no argument can carry goes in on curl's standard input.
  std::optional<std::string> body;
  if (const auto& data = request->httpBody(); data && platform::sendsBody(method)) {
    body = platform::decodeUTF8Repairing(data->view());
  }
  const bool bodyOnInput = body && !platform::fitsShellArgument(*body);
  std::vector<std::string> components = {
      bodyOnInput ? "$ " + platform::printfCommand(*body) + " | curl -v" : "$ curl -v",
      platform::curlMethodOption(method)};
  for (const auto& credential : context.credentials) {
    if (credential.user && credential.password) {
      components.push_back("-u " + shellWord(*credential.user + ":" + *credential.password));
    }
  }
  if (!context.cookies.empty()) components.push_back("-b " + quoted(cookieList(context.cookies)));

  HTTPHeaders headers;
  mergeHeaders(headers, context.configurationHeaders);
  mergeHeaders(headers, getHeaders(*request));
  for (const auto& header : headers) {
    // The transfer writes the length of what it sends, as curl does.
    if (platform::writtenByTransfer(header.name())) continue;
    components.push_back(platform::curlHeaderOption(header.name(), header.value()));
  }
  // Without a body curl sends no length, where the transfer may tell that
  // the request carries none.
  if (!body && !request->httpBodyStream() && !context.bodyOutsideRequest) {
    if (const auto length = platform::sentContentLength(method, std::nullopt)) {
      components.push_back(platform::curlHeaderOption("Content-Length", std::to_string(*length)));
    }
  }

  if (bodyOnInput) {
    components.push_back("--data-binary @-");
  } else if (body) {
    components.push_back(bodyOption(*body) + quoted(*body));
  }
  components.push_back(quoted(request->url()->absoluteString()));

  std::string command;
  for (const auto& component : components) {
    if (!command.empty()) command += lineSeparator;
    command += component;
  }
  return command;
}

CURLCommandContext makeCURLCommandContext(const platform::URLSessionConfiguration& configuration,
                                          const platform::URL& url,
                                          const std::optional<platform::URLCredential>& ownCredential) {
  CURLCommandContext context;
  if (const auto& storage = configuration.urlCredentialStorage()) {
    context.credentials = credentialsToShow(storedCredentials(*storage, cURLProtectionSpace(url)), ownCredential);
  }
  if (const auto& storage = configuration.httpCookieStorage(); storage && configuration.httpShouldSetCookies()) {
    context.cookies = storedCookies(*storage, url).value_or(std::vector<std::pair<std::string, std::string>>{});
  }
  if (const auto& fields = configuration.httpAdditionalHeaders()) context.configurationHeaders = HTTPHeaders(*fields);
  return context;
}

std::vector<platform::URLCredential> credentialsToShow(std::optional<std::vector<platform::URLCredential>> stored,
                                                       const std::optional<platform::URLCredential>& own) {
  if (stored) return *std::move(stored);
  if (own) return {*own};
  return {};
}

}  // namespace wendanet
