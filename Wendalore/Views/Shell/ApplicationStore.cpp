#include "Wendalore/Views/Shell/ApplicationStore.h"

#include <system_error>

#include "Platform/Files/FileManager.h"
#include "Wendalore/Model/RequestFolder.h"
#include "Wendalore/Model/RequestTemplate.h"

namespace wendalore {
namespace {

constexpr std::string_view failurePrefix = "Failed to initialize database: ";

}  // namespace

std::expected<std::filesystem::path, std::string> ApplicationStore::defaultFile() {
  const auto directories = platform::FileManager::defaultManager()->urls(platform::SearchPathDirectory::applicationSupport,
                                                                         platform::SearchPathDomainMask::user);
  if (directories.empty()) {
    return std::unexpected(std::string(failurePrefix) + "no directory for application data (HOME is not set)");
  }
  return directories.front() / "Wendalore" / "Wendalore.sqlite";
}

std::expected<std::shared_ptr<platform::ModelContainer>, std::string> ApplicationStore::open(
    const std::filesystem::path& file) {
  std::error_code ignored;
  std::filesystem::create_directories(file.parent_path(), ignored);
  auto container = platform::ModelContainer::open(platform::Schema::of<RequestTemplate, RequestFolder>(), file);
  if (!container) return std::unexpected(std::string(failurePrefix) + container.error()->description());
  return *container;
}

}  // namespace wendalore
