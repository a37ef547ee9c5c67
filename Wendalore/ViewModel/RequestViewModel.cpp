#include "Wendalore/ViewModel/RequestViewModel.h"

#include <fmt/format.h>
#include <malloc.h>

#include <algorithm>
#include <expected>
#include <new>
#include <system_error>
#include <utility>

#include "Platform/Files/FileError.h"
#include "Platform/Files/FileManager.h"
#include "Platform/URLLoading/BodyFraming.h"
#include "Wendalore/ViewModel/DiagnosticText.h"
#include "Wendalore/ViewModel/OutgoingRequest.h"
#include "Wendalore/ViewModel/PrettyPrintedBody.h"
#include "Wendanet/Source/Core/URLConvertible.h"
#include "Wendanet/Source/Core/URLEncoding.h"
#include "Wendanet/Source/Core/URLRequestConvertible.h"

namespace wendalore {

namespace {

// Why a file could not be read, as a sentence's tail.
std::expected<platform::Data, std::string> readWholeFile(const std::string& path) {
  try {
    return platform::FileManager::defaultManager()->contentsOfFile(path);
  } catch (const platform::FileError& error) {
    return std::unexpected(std::error_code(error.errorNumber(), std::generic_category()).message());
  } catch (const platform::Error& error) {
    return std::unexpected(error.description());
  } catch (const std::bad_alloc&) {
    return std::unexpected(std::string("it does not fit in memory"));
  }
}

// Below this, what formatting frees is reused soon enough; giving it back
// would cost more than it saves.
constexpr std::size_t trimmedAfterBytes = 1 << 20;

}  // namespace

std::shared_ptr<RequestViewModel> RequestViewModel::make() { return std::make_shared<RequestViewModel>(Token{}); }

RequestViewModel::RequestViewModel(Token)
    : session_(wendanet::Session::makeWithConfiguration()),
      bodyLimit_(static_cast<std::size_t>(session_->session()->configuration()->maximumBodySizeInMemory())),
      formattingQueue_(platform::DispatchQueue::make("org.wendalore.viewModel.responseFormatting")) {}

// The session goes here, on the main thread: it finishes what still runs,
// and those completions find no view model.
RequestViewModel::~RequestViewModel() = default;

void RequestViewModel::setSelectedFileURL(std::optional<platform::URL> url) {
  publish("selectedFileURL", selectedFileURL_, std::move(url));
}
void RequestViewModel::setMultipartFieldName(std::string name) {
  publish("multipartFieldName", multipartFieldName_, std::move(name));
}
void RequestViewModel::setMultipartFileName(std::string name) {
  publish("multipartFileName", multipartFileName_, std::move(name));
}
void RequestViewModel::setMultipartMimeType(std::string type) {
  publish("multipartMimeType", multipartMimeType_, std::move(type));
}
void RequestViewModel::setSelectedRequest(std::shared_ptr<RequestHistoryItem> item) {
  publish("selectedRequest", selectedRequest_, std::move(item));
}

void RequestViewModel::announceHistoryChange() {
  willChange_.notify();
  didChange_.notify("requestHistory");
}

void RequestViewModel::sendRequest(const std::string& urlString, const std::string& method,
                                   const std::vector<std::shared_ptr<RequestHeaderItem>>& headerRows,
                                   const std::string& body, RequestBodyType bodyType, RequestAuthType authType,
                                   const std::string& username, const std::string& password, const std::string& token,
                                   std::optional<std::string> notice) {
  const auto headers = outgoingHeaders(headerRows, {authType, username, password, token});
  const auto record = [&](bool bodyWasSent) {
    return RequestHistoryItem::make(platform::Date::now(), method, urlString,
                                    headerDictionary(headers.makeDictionary()),
                                    body.empty() ? std::nullopt : std::optional(body), bodyWasSent);
  };
  const auto url = platform::URL::string(urlString);
  // An address that is no URL is no send: only the error text tells of it.
  if (!url) {
    publish("errorMessage", errorMessage_, std::optional<std::string>("Invalid URL"));
    return;
  }
  // A file that cannot be read stops the send before anything goes out: an
  // empty form must not go out looking like a success.
  std::optional<platform::Data> fileBytes;
  if (bodyType == RequestBodyType::multipart && selectedFileURL_) {
    const auto path = selectedFileURL_->path();
    auto read = readWholeFile(path);
    if (!read) return refuse(record(false), fmt::format("The file \"{}\" could not be read: {}.", path, read.error()));
    fileBytes = *std::move(read);
  }

  publish("isLoading", isLoading_, true);
  publish("errorMessage", errorMessage_, std::optional<std::string>());
  publish("responseStatus", responseStatus_, std::string("Sending..."));
  publish("responseBody", responseBody_, std::make_shared<const std::string>());
  const auto sentAt = platform::Date::now();

  auto entry = record(carriesBody(bodyType, method));
  // Built before they start, so that the record tells the body they carry.
  const auto form = bodyType == RequestBodyType::multipart ? multipartForm(fileBytes) : nullptr;
  const bool textBody = bodyType != RequestBodyType::none && !form;
  const auto textRequest =
      textBody ? std::optional(textBodyRequest(*url, method, headers, body, bodyType)) : std::nullopt;
  std::optional<std::uint64_t> bodyLength;
  if (form) bodyLength = form->encodedContentLength();
  if (textRequest && textRequest->httpBody()) bodyLength = textRequest->httpBody()->size();
  entry->setSentContent(form ? std::optional(form->contentType()) : suppliedContentType(bodyType, headers),
                        form ? std::optional(sentForm(*form, fileBytes)) : std::nullopt,
                        platform::sentContentLength(method, bodyLength));
  entry->setNotice(std::move(notice));
  const auto entryId = entry->id();
  addToHistory(std::move(entry));

  const auto target = std::make_shared<wendanet::ConvertibleURL>(*url);
  switch (bodyType) {
    case RequestBodyType::none: {
      const auto request = session_->requestWithParameters(
          target, wendanet::HTTPMethod(method), std::nullopt,
          std::make_shared<wendanet::URLEncoding>(wendanet::URLEncoding::default_()), headers);
      performRequest(*request, sentAt, entryId);
      break;
    }
    case RequestBodyType::formUrlEncoded:
    case RequestBodyType::rawText:
    case RequestBodyType::json: {
      const auto request =
          session_->requestWithURLRequest(std::make_shared<wendanet::ConvertibleURLRequest>(*textRequest));
      performRequest(*request, sentAt, entryId);
      break;
    }
    case RequestBodyType::multipart: {
      const auto request = session_->uploadMultipartFormDataToURL(
          form, target, wendanet::MultipartFormData::encodingMemoryThreshold, wendanet::HTTPMethod(method), headers);
      request->validate();
      request->setUploadProgressHandler(platform::DispatchQueue::main(), [](const platform::Progress&) {});
      request->responseData(platform::DispatchQueue::main(), completion(sentAt, entryId));
      break;
    }
  }
}

// Nothing went out, yet the send is kept with what was typed and why, as a
// send that failed on its way is: its entry is all the user sees of it.
void RequestViewModel::refuse(std::shared_ptr<RequestHistoryItem> entry, std::string reason) {
  publish("errorMessage", errorMessage_, std::optional(reason));
  entry->setError(std::move(reason));
  entry->setIsPending(false);
  addToHistory(std::move(entry));
}

// Made here rather than by the session, so that the record can name the
// boundary and the parts that went out.
std::shared_ptr<wendanet::MultipartFormData> RequestViewModel::multipartForm(
    const std::optional<platform::Data>& fileBytes) const {
  auto form = wendanet::MultipartFormData::make();
  if (fileBytes) form->append(*fileBytes, multipartFieldName_, multipartFileName_, multipartMimeType_);
  return form;
}

SentForm RequestViewModel::sentForm(const wendanet::MultipartFormData& form,
                                    const std::optional<platform::Data>& fileBytes) const {
  SentForm sent{form.boundary(), {}};
  if (fileBytes) {
    sent.files.push_back(
        {multipartFieldName_, multipartFileName_, multipartMimeType_, selectedFileURL_->path(), fileBytes->size()});
  }
  return sent;
}

void RequestViewModel::addToHistory(std::shared_ptr<RequestHistoryItem> item) {
  requestHistory_.insert(requestHistory_.begin(), std::move(item));
  announceHistoryChange();
  if (requestHistory_.size() > historyLimit) {
    requestHistory_.pop_back();
    announceHistoryChange();
  }
}

void RequestViewModel::performRequest(wendanet::DataRequest& request, platform::Date sentAt,
                                      const platform::UUID& entryId) {
  request.validate().responseData(platform::DispatchQueue::main(), completion(sentAt, entryId));
}

wendanet::DataRequest::ResponseHandler<platform::Data> RequestViewModel::completion(platform::Date sentAt,
                                                                                    const platform::UUID& entryId) {
  // Only the entry's id is held: a dropped entry must not outlive the
  // history, nor be released off the main thread.
  return [weakSelf = weak_from_this(), sentAt, entryId](const Response& response) {
    if (const auto self = weakSelf.lock()) self->completeRequest(entryId, sentAt, response);
  };
}

void RequestViewModel::completeRequest(const platform::UUID& entryId, platform::Date sentAt, const Response& response) {
  const double elapsed = platform::Date::now().timeIntervalSince(sentAt);
  // A body of megabytes takes long to format; the main thread only applies
  // the text. One serial queue keeps the responses in their order.
  formattingQueue_->async([weakSelf = weak_from_this(), entryId, elapsed, response, bodyLimit = bodyLimit_]() mutable {
    auto body = std::make_shared<const std::string>(prettyPrintedBody(response.data(), bodyLimit));
    const bool large = response.data() && response.data()->size() >= trimmedAfterBytes;
    // The response moves on, so that this copy of the received bytes is
    // gone before the trim, whichever thread finishes first.
    platform::DispatchQueue::main()->async([weakSelf = std::move(weakSelf), entryId, elapsed,
                                            received = std::optional(std::move(response)),
                                            body = std::move(body), large]() mutable {
      if (const auto self = weakSelf.lock()) self->applyResponse(entryId, elapsed, *received, body);
      received.reset();
      // Receiving and formatting a large body leave freed blocks in the
      // arenas of the threads that did it, kept by the allocator for good
      // unless given back. Walking a heap of that size is no work for the
      // main thread.
      if (large) platform::DispatchQueue::global()->async([] { malloc_trim(0); });
    });
  });
}

void RequestViewModel::applyResponse(const platform::UUID& entryId, double elapsed, const Response& response,
                                     const SharedText& body) {
  publish("isLoading", isLoading_, false);
  updateResponseDisplay(response, body);
  updateHistoryItem(entryId, elapsed, response, body);
}

void RequestViewModel::updateResponseDisplay(const Response& response, const SharedText& body) {
  if (response.response()) {
    publish("responseStatus", responseStatus_, "Status: " + std::to_string(response.response()->statusCode()));
  }
  if (const auto error = response.error()) {
    publish("errorMessage", errorMessage_, std::optional(error->errorDescription()));
    publish("responseBody", responseBody_, std::make_shared<const std::string>("Error: " + diagnosticText(*error)));
  } else {
    publish("responseBody", responseBody_, body);
  }
}

// The send itself failed, whatever status line came first: not a response
// that arrived whole and was then found unacceptable or unreadable.
std::optional<std::string> RequestViewModel::sendFailure(const Response& response) {
  const auto error = response.error();
  if (!error || error->isResponseValidationFailed() || error->isResponseSerializationFailed()) return std::nullopt;
  return error->errorDescription();
}

void RequestViewModel::updateHistoryItem(const platform::UUID& entryId, double elapsed, const Response& response,
                                         const SharedText& body) {
  const auto found = std::ranges::find_if(requestHistory_, [&](const auto& item) { return item->id() == entryId; });
  if (found == requestHistory_.end()) return;
  RequestHistoryItem& item = **found;
  const auto& http = response.response();
  item.setStatusCode(http ? http->statusCode() : 0);
  item.setDuration(response.metrics() ? response.metrics()->taskInterval.duration : elapsed);
  item.setResponseHeaders(http ? headerDictionary(http->allHeaderFields()) : HeaderDictionary{});
  item.setError(sendFailure(response));
  item.setResponseBody(body);
  item.setMetrics(response.metrics());
  item.setIsPending(false);
  announceHistoryChange();
}

}  // namespace wendalore
