// HTML documents, as pasted or loaded, through the importer to styled text.

#include "Platform/Text/HTMLImporter.h"
#include "fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    (void)platform::HTMLImporter::attributedString(fuzz::text(data, size)).string();
  } catch (const platform::HTMLImportError&) {
    // Bytes that are not UTF-8 and unclosed tags are refused by design.
  }
  return 0;
}
