#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/ProcessInfo.h"

namespace wendanet {

// The texts of the default headers, from the facts about the user, the
// program and the system they are made of. HTTPHeader's defaults apply
// them to this process.

// The quality list of the first six languages; empty for none.
std::string acceptLanguageValue(const std::vector<std::string>& preferredLanguages);

// "App/1.2 (ident; build:7; Linux 6.1.0) Wendanet/5.11.0". Missing
// dictionary entries read "Unknown"; a missing executable name is taken
// from the last path piece of the first argument.
std::string userAgentValue(const platform::Bundle::InfoDictionary& info, const std::vector<std::string>& arguments,
                           std::string_view operatingSystemVersionText);

// "Linux 6.1.0"
std::string operatingSystemVersionText(const platform::OperatingSystemVersion& version);

}  // namespace wendanet
