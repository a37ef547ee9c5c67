#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/Error.h"
#include "Platform/Foundation/URL.h"

namespace platform {

// A failure of URL loading, with the platform's error codes.
class URLError : public ErrorBase<URLError> {
 public:
  enum class Code : int {
    unknown = -1,
    cancelled = -999,
    backgroundSessionInUseByAnotherProcess = -996,
    backgroundSessionWasDisconnected = -997,
    badURL = -1000,
    timedOut = -1001,
    unsupportedURL = -1002,
    cannotFindHost = -1003,
    cannotConnectToHost = -1004,
    networkConnectionLost = -1005,
    dnsLookupFailed = -1006,
    httpTooManyRedirects = -1007,
    resourceUnavailable = -1008,
    notConnectedToInternet = -1009,
    redirectToNonExistentLocation = -1010,
    badServerResponse = -1011,
    userCancelledAuthentication = -1012,
    userAuthenticationRequired = -1013,
    zeroByteResource = -1014,
    cannotDecodeRawData = -1015,
    cannotDecodeContentData = -1016,
    cannotParseResponse = -1017,
    internationalRoamingOff = -1018,
    callIsActive = -1019,
    dataNotAllowed = -1020,
    requestBodyStreamExhausted = -1021,
    appTransportSecurityRequiresSecureConnection = -1022,
    fileDoesNotExist = -1100,
    fileIsDirectory = -1101,
    noPermissionsToReadFile = -1102,
    dataLengthExceedsMaximum = -1103,
    secureConnectionFailed = -1200,
    serverCertificateHasBadDate = -1201,
    serverCertificateUntrusted = -1202,
    serverCertificateHasUnknownRoot = -1203,
    serverCertificateNotYetValid = -1204,
    clientCertificateRejected = -1205,
    clientCertificateRequired = -1206,
    cannotLoadFromNetwork = -2000,
    cannotCreateFile = -3000,
    cannotOpenFile = -3001,
    cannotCloseFile = -3002,
    cannotWriteToFile = -3003,
    cannotRemoveFile = -3004,
    cannotMoveFile = -3005,
    downloadDecodingFailedMidStream = -3006,
    downloadDecodingFailedToComplete = -3007,
  };

  using UserInfoValue = std::variant<std::string, Data>;
  using UserInfo = std::map<std::string, UserInfoValue, std::less<>>;
  // Where a cancelled or failed download leaves the data to resume it from.
  static constexpr std::string_view resumeDataKey = "NSURLSessionDownloadTaskResumeData";
  // A text stored under this key is what the error says instead of its
  // code's sentence: for a failure the code names only broadly.
  static constexpr std::string_view localizedDescriptionKey = "NSLocalizedDescription";

  explicit URLError(Code code, std::optional<URL> failingURL = std::nullopt, AnyError underlyingError = nullptr,
                    UserInfo userInfo = {})
      : code_(code),
        failingURL_(std::move(failingURL)),
        underlyingError_(std::move(underlyingError)),
        userInfo_(std::move(userInfo)) {}
  // For failures that concern no particular URL.
  URLError(Code code, AnyError underlyingError, UserInfo userInfo = {})
      : code_(code), underlyingError_(std::move(underlyingError)), userInfo_(std::move(userInfo)) {}

  Code code() const { return code_; }
  const std::optional<URL>& failingURL() const { return failingURL_; }
  const AnyError& underlyingError() const { return underlyingError_; }
  const UserInfo& userInfo() const { return userInfo_; }
  // The Data stored under `resumeDataKey`, if that is what is stored there.
  std::optional<Data> resumeData() const;

  // One English sentence per code, e.g. "The request timed out.".
  static std::string_view message(Code code);
  // "URLError(-1001): The request timed out."
  std::string description() const override;
  std::string localizedDescription() const override;

 private:
  Code code_;
  std::optional<URL> failingURL_;
  AnyError underlyingError_;
  UserInfo userInfo_;
};

}  // namespace platform
