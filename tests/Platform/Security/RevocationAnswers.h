#pragma once

#include <chrono>
#include <vector>

#include "Platform/Foundation/Data.h"
#include "tests/servers/TestCertificates.h"

// A DER revocation list from `issuer` naming `revoked`, current from
// `lastUpdate` to `nextUpdate` (relative to now).
platform::Data makeCRL(const testservers::TestIdentity& issuer,
                       const std::vector<const testservers::TestIdentity*>& revoked,
                       std::chrono::seconds lastUpdate = std::chrono::hours(-1),
                       std::chrono::seconds nextUpdate = std::chrono::days(1));

// A DER OCSP response signed by `issuer` that gives `certificate` the
// status V_OCSP_CERTSTATUS_GOOD, …_REVOKED or …_UNKNOWN, current for a day.
platform::Data makeOCSPResponse(const testservers::TestIdentity& certificate, const testservers::TestIdentity& issuer,
                                int status);
