#pragma once

#include <vector>

#include "Wendalore/Model/FileSystemItem.h"
#include "Wendalore/Model/RequestFolder.h"

namespace wendalore {

// A damaged store can make a folder its own ancestor. Such a folder is shown
// at the top level rather than beneath the folders of its loop, so that it
// is shown once, with its requests, and can be moved out of the loop.
bool isOwnAncestor(const RequestFolder& folder);

// A folder's entries as the tree shows them: its subfolders, less those of
// a loop, then its requests.
std::vector<FileSystemItem> shownEntries(const RequestFolder& folder);

}  // namespace wendalore
