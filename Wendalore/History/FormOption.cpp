#include "Wendalore/History/FormOption.h"

#include "Platform/Foundation/QuotedString.h"
#include "Wendanet/Source/Support/MultipartFormData.h"

namespace wendalore {
namespace {

// curl takes the name up to the first "=", leaves an empty one out, and
// encodes a quote or a line break in names as the send does; a NUL no
// argument can carry.
bool curlWritesTheNames(const SentFilePart& file) {
  return !file.name.empty() && file.name.find_first_of(std::string_view("=\0", 2)) == std::string::npos &&
         file.fileName.find('\0') == std::string::npos;
}

// A part header for curl to send unchanged; between quotes, as curl reads
// the texts after ";".
std::string headerParameter(std::string_view name, const std::string& value) {
  return ";headers=" + platform::quotedString(std::string(name) + ": " + value);
}

}  // namespace

std::string formOption(const SentFilePart& file) {
  const auto headers = wendanet::MultipartFormData::contentHeaders(file.name, file.fileName, file.mimeType);
  std::string option;
  if (curlWritesTheNames(file)) {
    option = file.name + "=@" + platform::quotedString(file.path) + ";filename=" + platform::quotedString(file.fileName);
  } else {
    option = "=@" + platform::quotedString(file.path) +
             headerParameter("Content-Disposition", headers.findValue("Content-Disposition").value_or(""));
  }
  // curl reads a type= only up to a comma or a ";", and adds no type of its
  // own when a header gives one.
  return option + headerParameter("Content-Type", headers.findValue("Content-Type").value_or(""));
}

}  // namespace wendalore
