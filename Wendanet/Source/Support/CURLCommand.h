#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Platform/Foundation/URL.h"
#include "Platform/Foundation/URLRequest.h"
#include "Platform/URLLoading/URLCredential.h"
#include "Platform/URLLoading/URLSessionConfiguration.h"
#include "Wendanet/Source/Core/HTTPHeaders.h"

namespace wendanet {

// What the session adds to a URL request on the wire, as a command line
// shows it.
struct CURLCommandContext {
  // One "-u" line each, in order; one without a user or a password is left
  // out.
  std::vector<platform::URLCredential> credentials = {};
  // Names and values, in the storage's order.
  std::vector<std::pair<std::string, std::string>> cookies = {};
  // Request headers of the same name, in any letter case, win.
  HTTPHeaders configurationHeaders = {};
  // The body goes with the task rather than the request (an upload): the
  // text cannot show it, nor the length it goes with.
  bool bodyOutsideRequest = false;
};

inline constexpr std::string_view cURLCommandFailureText = "$ curl command could not be created";

// `request` as a command line for the curl tool, one option a line, or the
// failure text when there is no request, no URL with a host, or no method.
// curl sends what the transfer would: a HEAD without its body, and the
// length the transfer writes in place of any Content-Length field given.
// Every text that is not plain is quoted and escaped, so that sh, bash and
// zsh, running it from a script or a pipe or pasted into an interactive
// shell with history expansion, hand curl exactly these texts; a body that
// no argument can carry goes in on curl's standard input.
std::string makeCURLCommand(const std::optional<platform::URLRequest>& request, const CURLCommandContext& context);

// What a session with `configuration` adds for `url`. The credentials are
// those stored for the URL's protection space whenever the storage answers,
// even with none; otherwise the request's own. Without a credential storage
// none are shown at all.
CURLCommandContext makeCURLCommandContext(const platform::URLSessionConfiguration& configuration,
                                          const platform::URL& url,
                                          const std::optional<platform::URLCredential>& ownCredential);

// Only the storage's answer decides: `own` counts only when it gives none.
std::vector<platform::URLCredential> credentialsToShow(std::optional<std::vector<platform::URLCredential>> stored,
                                                       const std::optional<platform::URLCredential>& own);

}  // namespace wendanet
