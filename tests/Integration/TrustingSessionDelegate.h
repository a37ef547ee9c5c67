#pragma once

#include "tests/Integration/RecordingSessionDelegate.h"

// Takes the test servers' certificates as they come.
class TrustingSessionDelegate : public RecordingSessionDelegate {
 public:
  void didReceiveChallenge(SessionRef, const std::shared_ptr<platform::URLSessionTask>&,
                           const platform::URLAuthenticationChallenge& challenge,
                           platform::ChallengeCompletionHandler completionHandler) override {
    platform::URLCredential credential;
    credential.serverTrust = challenge.protectionSpace.serverTrust;
    completionHandler(platform::URLSessionAuthChallengeDisposition::useCredential, credential);
  }
};
