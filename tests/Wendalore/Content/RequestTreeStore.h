#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Platform/Store/ModelContainer.h"
#include "Wendalore/Content/TreeEntries.h"
#include "Wendalore/Model/FileSystemItem.h"
#include "Wendalore/Model/RequestFolder.h"
#include "Wendalore/Model/RequestTemplate.h"
#include "tests/Platform/ScratchDirectory.h"
#include "tests/Platform/Store/SavedStoreCopy.h"

namespace wendalore {

// The tree as text: names in display order, a folder's entries, if any, in
// brackets.
inline std::string describe(const std::vector<FileSystemItem>& items) {
  std::string text;
  for (const auto& item : items) {
    if (&item != &items.front()) text += ' ';
    if (auto folder = item.folder()) {
      text += folder->name();
      const auto entries = describe(shownEntries(*folder));
      if (!entries.empty()) text += "[" + entries + "]";
    } else {
      text += item.requestTemplate()->name();
    }
  }
  return text;
}

// A store of folders and requests in a scratch directory.
class RequestTreeStore {
 public:
  std::shared_ptr<platform::ModelContainer> open() const {
    return *platform::ModelContainer::open(platform::Schema::of<RequestTemplate, RequestFolder>(),
                                           scratch / "Wendalore.sqlite");
  }
  // What a fresh start of the program would read.
  std::shared_ptr<platform::ModelContainer> openSaved() const {
    return platform::testing::openSavedCopy(platform::Schema::of<RequestTemplate, RequestFolder>(),
                                            scratch / "Wendalore.sqlite");
  }

  std::shared_ptr<RequestFolder> folder(const std::string& name, std::int64_t order,
                                        const std::shared_ptr<RequestFolder>& parent = nullptr) {
    auto made = RequestFolder::make(name, parent);
    made->setSortOrder(order);
    context->insert(made);
    return made;
  }
  std::shared_ptr<RequestTemplate> request(const std::string& name, std::int64_t order,
                                           const std::shared_ptr<RequestFolder>& parent = nullptr,
                                           const std::string& method = "GET") {
    auto made = RequestTemplate::make(name, "", method, parent, order);
    context->insert(made);
    return made;
  }
  void saveAll() { ASSERT_TRUE(context->save()); }

  ScratchDirectory scratch;
  std::shared_ptr<platform::ModelContainer> container = open();
  std::shared_ptr<platform::ModelContext> context = container->mainContext();
};

}  // namespace wendalore
