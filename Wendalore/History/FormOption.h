#pragma once

#include <string>

#include "Wendalore/Model/SentForm.h"

namespace wendalore {

// The value of curl's -F option that sends `file` as the send did: the
// file's bytes under a name, file name and type that reach the server as
// the send wrote them.
std::string formOption(const SentFilePart& file);

}  // namespace wendalore
