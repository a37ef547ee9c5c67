#pragma once

#include <string>

#include "Platform/Foundation/Error.h"

namespace wendanet {

// How errors read inside the library's messages. An error that should be
// there but is missing reads "No description." rather than failing.
std::string localizedDescriptionOf(const platform::AnyError& error);
std::string textualFormOf(const platform::AnyError& error);

}  // namespace wendanet
