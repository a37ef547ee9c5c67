#pragma once

#include <expected>
#include <filesystem>
#include <memory>
#include <string>

#include "Platform/Store/ModelContainer.h"

namespace wendalore {

// The store of folders and requests: where it lives and how it is opened.
// Failures come back as the text shown to the user before the program
// stops, beginning "Failed to initialize database: ".
class ApplicationStore {
 public:
  // "Wendalore/Wendalore.sqlite" in the user's application data directory.
  static std::expected<std::filesystem::path, std::string> defaultFile();

  // Creates the file's folder (a failure there is left to the opening to
  // report), then opens the store. A file that cannot be read as this
  // program's store is left exactly as it was.
  static std::expected<std::shared_ptr<platform::ModelContainer>, std::string> open(const std::filesystem::path& file);
};

}  // namespace wendalore
