#pragma once

#include <map>

#include "Wendalore/Model/EditorTab.h"
#include "Wendalore/Model/RequestTemplate.h"
#include "Wendalore/Model/TabStatus.h"

namespace wendalore {

// The badges of the editor's tabs for a template: Params counts the enabled
// parameters and Headers every header, both always present; Body and Auth
// have an entry, `active`, only when the template uses them.
std::map<EditorTab, TabStatus> tabStatuses(const RequestTemplate& request);

}  // namespace wendalore
