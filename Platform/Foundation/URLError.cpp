#include "Platform/Foundation/URLError.h"

namespace platform {

namespace {

template <class Value>
const Value* valueUnder(const URLError::UserInfo& userInfo, std::string_view key) {
  const auto found = userInfo.find(key);
  return found == userInfo.end() ? nullptr : std::get_if<Value>(&found->second);
}

}  // namespace

std::optional<Data> URLError::resumeData() const {
  if (const auto* data = valueUnder<Data>(userInfo_, resumeDataKey)) return *data;
  return std::nullopt;
}

std::string_view URLError::message(Code code) {
  switch (code) {
    case Code::unknown: return "An unknown error occurred.";
    case Code::cancelled: return "The request was cancelled.";
    case Code::backgroundSessionInUseByAnotherProcess: return "The background session is in use by another process.";
    case Code::backgroundSessionWasDisconnected: return "The background session was disconnected.";
    case Code::badURL: return "The URL is not valid.";
    case Code::timedOut: return "The request timed out.";
    case Code::unsupportedURL: return "The URL is not supported.";
    case Code::cannotFindHost: return "The server's host name could not be found.";
    case Code::cannotConnectToHost: return "Could not connect to the server.";
    case Code::networkConnectionLost: return "The network connection was lost.";
    case Code::dnsLookupFailed: return "The host name lookup failed.";
    case Code::httpTooManyRedirects: return "The server redirected too many times.";
    case Code::resourceUnavailable: return "The resource is not available.";
    case Code::notConnectedToInternet: return "The computer is not connected to the internet.";
    case Code::redirectToNonExistentLocation: return "The server redirected to a location that does not exist.";
    case Code::badServerResponse: return "The server gave a response that could not be used.";
    case Code::userCancelledAuthentication: return "Authentication was cancelled.";
    case Code::userAuthenticationRequired: return "Authentication is required to reach the resource.";
    case Code::zeroByteResource: return "The resource holds no data.";
    case Code::cannotDecodeRawData: return "The received data could not be decoded.";
    case Code::cannotDecodeContentData: return "The content of the response could not be decoded.";
    case Code::cannotParseResponse: return "The response could not be parsed.";
    case Code::internationalRoamingOff: return "International roaming is turned off.";
    case Code::callIsActive: return "A call is in progress.";
    case Code::dataNotAllowed: return "Data connections are not allowed.";
    case Code::requestBodyStreamExhausted: return "The request body stream ran out before the body was sent.";
    case Code::appTransportSecurityRequiresSecureConnection: return "A secure connection is required.";
    case Code::fileDoesNotExist: return "The file does not exist.";
    case Code::fileIsDirectory: return "The file is a directory.";
    case Code::noPermissionsToReadFile: return "There is no permission to read the file.";
    case Code::dataLengthExceedsMaximum: return "The data is longer than allowed.";
    case Code::secureConnectionFailed: return "A secure connection to the server could not be made.";
    case Code::serverCertificateHasBadDate: return "The server's certificate has expired.";
    case Code::serverCertificateUntrusted: return "The server's certificate is not trusted.";
    case Code::serverCertificateHasUnknownRoot: return "The server's certificate was signed by an unknown authority.";
    case Code::serverCertificateNotYetValid: return "The server's certificate is not valid yet.";
    case Code::clientCertificateRejected: return "The server rejected the client certificate.";
    case Code::clientCertificateRequired: return "The server requires a client certificate.";
    case Code::cannotLoadFromNetwork: return "The resource could not be loaded from the network.";
    case Code::cannotCreateFile: return "The file could not be created.";
    case Code::cannotOpenFile: return "The file could not be opened.";
    case Code::cannotCloseFile: return "The file could not be closed.";
    case Code::cannotWriteToFile: return "The file could not be written.";
    case Code::cannotRemoveFile: return "The file could not be removed.";
    case Code::cannotMoveFile: return "The file could not be moved.";
    case Code::downloadDecodingFailedMidStream: return "The download could not be decoded while it arrived.";
    case Code::downloadDecodingFailedToComplete: return "The download could not be decoded to its end.";
  }
  return "The URL could not be loaded.";
}

std::string URLError::localizedDescription() const {
  if (const auto* text = valueUnder<std::string>(userInfo_, localizedDescriptionKey)) return *text;
  return std::string(message(code_));
}

std::string URLError::description() const {
  return "URLError(" + std::to_string(static_cast<int>(code_)) + "): " + localizedDescription();
}

}  // namespace platform
