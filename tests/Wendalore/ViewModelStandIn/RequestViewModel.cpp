// Stands in for the view model while its implementation is not in the tree:
// a send is checked and recorded in the history the way the real one
// records it, and nothing goes on the wire.
#include "Wendalore/ViewModel/RequestViewModel.h"

namespace wendalore {

std::shared_ptr<RequestViewModel> RequestViewModel::make() { return std::make_shared<RequestViewModel>(Token{}); }

RequestViewModel::RequestViewModel(Token) {}
RequestViewModel::~RequestViewModel() = default;

void RequestViewModel::setSelectedFileURL(std::optional<platform::URL> url) { selectedFileURL_ = std::move(url); }
void RequestViewModel::setMultipartFieldName(std::string name) { multipartFieldName_ = std::move(name); }
void RequestViewModel::setMultipartFileName(std::string name) { multipartFileName_ = std::move(name); }
void RequestViewModel::setMultipartMimeType(std::string type) { multipartMimeType_ = std::move(type); }

void RequestViewModel::sendRequest(const std::string& urlString, const std::string& method,
                                   const std::vector<std::shared_ptr<RequestHeaderItem>>& headers,
                                   const std::string& body, RequestBodyType, RequestAuthType, const std::string&,
                                   const std::string&, const std::string&) {
  if (!platform::URL::string(urlString)) {
    errorMessage_ = "Invalid URL";
    return;
  }
  HeaderDictionary sent;
  for (const auto& header : headers) {
    if (header->isEnabled() && !header->key().empty()) sent[header->key()] = header->value();
  }
  requestHistory_.insert(requestHistory_.begin(),
                         RequestHistoryItem::make(platform::Date::now(), method, urlString, std::move(sent),
                                                  body.empty() ? std::nullopt : std::optional(body)));
}

}  // namespace wendalore
