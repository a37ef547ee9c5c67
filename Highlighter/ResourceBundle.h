#pragma once

#include <memory>
#include <string_view>

#include "Platform/Foundation/Bundle.h"

namespace highlighter {

// The resource bundle `bundleName` ("Name_Name.bundle") of a module linked
// into the executable: looked for in the main bundle's resource directory,
// then in its own directory. Stops the process with "unable to find bundle
// named Name_Name" when neither holds it.
std::shared_ptr<const platform::Bundle> findResourceBundle(std::string_view bundleName);

}  // namespace highlighter
