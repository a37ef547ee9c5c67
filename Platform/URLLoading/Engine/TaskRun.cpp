#include "Platform/URLLoading/Engine/TaskRun.h"

#include <algorithm>
#include <utility>

#include "Platform/Files/FileManager.h"
#include "Platform/Foundation/ASCIICase.h"
#include "Platform/Foundation/URLError.h"
#include "Platform/URLLoading/BodyFraming.h"
#include "Platform/URLLoading/Engine/CacheRevalidation.h"
#include "Platform/URLLoading/Engine/CacheRules.h"
#include "Platform/URLLoading/Engine/OnceReply.h"
#include "Platform/URLLoading/Engine/RequestHeaderLines.h"
#include "Platform/URLLoading/Engine/ServerTrustChallenge.h"
#include "Platform/URLLoading/Engine/SessionEngine.h"
#include "Platform/URLLoading/Engine/URLErrorMapping.h"
#include "Platform/URLLoading/HTTPCookie.h"
#include "Platform/URLLoading/InvalidRequestError.h"
#include "Platform/URLLoading/URLSessionDataTask.h"
#include "Platform/URLLoading/URLSessionDownloadTask.h"
#include "Platform/URLLoading/URLSessionTaskMetrics.h"

namespace platform {

namespace {

std::chrono::steady_clock::duration seconds(double value) {
  return std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(value));
}

bool isHTTPScheme(const URL& url) {
  const auto scheme = asciiLowercased(url.scheme().value_or(""));
  return scheme == "http" || scheme == "https";
}

// Download files need an absolute path: the delegate gets a file URL.
std::filesystem::path downloadDirectory() {
  const auto directory = FileManager::defaultManager()->temporaryDirectory();
  std::error_code ignored;
  const auto absolute = std::filesystem::absolute(directory, ignored);
  return absolute.empty() ? directory : absolute;
}

}  // namespace

TaskRun::TaskRun(SessionEngine& engine, std::shared_ptr<URLSessionTask> task)
    : engine_(engine),
      task_(std::move(task)),
      identifier_(task_->taskIdentifier()),
      idleTimeout_(engine.configuration().effectiveTimeoutInterval(task_->originalRequest()->timeoutInterval())) {
  if (const auto download = downloadTask()) {
    download_ = std::make_unique<DownloadSink>(download->resumeOrigin(), downloadDirectory());
  }
}

TaskRun::~TaskRun() = default;

std::vector<DelegateChannel::Call> TaskRun::endingCalls(const std::shared_ptr<URLSessionTask>& task, Data data,
                                                        std::vector<URLSessionTaskTransactionMetrics> transactions,
                                                        int redirectCount, AnyError error,
                                                        std::optional<CacheOffer> offer) {
  task->addTransferredBytes(0, static_cast<std::int64_t>(data.size()));
  task->complete(error);
  auto metrics = std::make_shared<URLSessionTaskMetrics>();
  metrics->transactionMetrics = std::move(transactions);
  metrics->taskInterval = {task->creationDate(), Date::now().timeIntervalSince(task->creationDate())};
  metrics->redirectCount = redirectCount;
  std::vector<DelegateChannel::Call> calls;
  calls.reserve(4);
  if (!data.empty()) {
    calls.emplace_back([task = std::static_pointer_cast<URLSessionDataTask>(task), data = std::move(data)](
                           URLSessionDelegate& delegate, URLSessionDelegate::SessionRef session) {
      delegate.didReceiveData(session, task, data);
    });
  }
  if (offer) calls.push_back(std::move(*offer).willCacheCall(std::static_pointer_cast<URLSessionDataTask>(task)));
  calls.emplace_back([task, metrics = std::shared_ptr<const URLSessionTaskMetrics>(std::move(metrics))](
                         URLSessionDelegate& delegate, URLSessionDelegate::SessionRef session) {
    delegate.didFinishCollectingMetrics(session, task, metrics);
  });
  calls.emplace_back(
      [task, error = std::move(error)](URLSessionDelegate& delegate, URLSessionDelegate::SessionRef session) {
        delegate.didCompleteWithError(session, task, error);
      });
  return calls;
}

template <class Answer>
std::function<void(Answer)> TaskRun::makeReply(void (TaskRun::*answer)(Answer), Answer fallback) {
  auto deliver = [engine = engine_.weak_from_this(), identifier = identifier_, answer](Answer value) {
    const auto strong = engine.lock();
    if (!strong) return;
    strong->post([identifier, answer, value = std::move(value)](SessionEngine& engine) mutable {
      if (auto* run = engine.run(identifier)) (run->*answer)(std::move(value));
    });
  };
  return makeOnceReply<Answer>(std::move(deliver), std::move(fallback));
}

void TaskRun::resume() {
  if (phase_ == Phase::finished || !suspended_) return;
  suspended_ = false;
  const auto now = Clock::now();
  idleSince_ = now;
  if (phase_ == Phase::notStarted) {
    const double resourceTimeout = engine_.configuration().timeoutIntervalForResource();
    if (resourceTimeout > 0) resourceDeadline_ = now + seconds(resourceTimeout);
    if (download_) {
      if (auto prepared = download_->prepare(); !prepared) return finish(prepared.error());
    }
    startHop();
    return;
  }
  // A suspended task is not timed.
  if (resourceDeadline_) *resourceDeadline_ += now - suspendedAt_;
  if (!transfer_) return;
  // What the transfer kept meanwhile is handed over now, out of the
  // library's turn: should it fail there, the library does not end the
  // transfer by itself.
  transfer_->setSuspended(false);
  if (transfer_->endIsDue()) later(&TaskRun::endReleasedTransfer);
}

void TaskRun::suspend() {
  if (phase_ == Phase::finished || suspended_) return;
  suspended_ = true;
  suspendedAt_ = Clock::now();
  if (transfer_) transfer_->setSuspended(true);
}

void TaskRun::cancel() {
  if (phase_ != Phase::handedOff) return finish(failure(URLError::Code::cancelled));
  // An ending an answer has already taken is under way.
  if (auto ending = gate_->reclaim()) ending(URLSessionResponseDisposition::cancel);
}

void TaskRun::startHop() {
  hopResponse_.reset();
  bodyBytesInMemory_ = 0;
  hopError_ = nullptr;
  cacheBody_.reset();
  revalidating_.reset();
  renewal_.reset();
  heldBody_ = Data();
  const auto current = task_->sharedCurrentRequest();
  const auto& request = *current;
  if (!request.url()) return finish(makeError(URLError(URLError::Code::badURL)));
  if (!isHTTPScheme(*request.url())) return finish(failure(URLError::Code::unsupportedURL));
  if (request.httpMethod() && !isHTTPToken(*request.httpMethod())) {
    return finish(makeError(InvalidRequestError("the method \"" + *request.httpMethod() + "\" is not a valid token.")));
  }
  if (answerFromCache(request)) return;
  auto lines = hopHeaderLines(request);
  if (!lines) return finish(lines.error());
  headerLines_ = std::make_shared<const std::vector<std::string>>(std::move(*lines));

  // Before any body is read or asked for: a HEAD goes out without one.
  if (!sendsBody(request.httpMethod().value_or("GET"))) return startTransfer(nullptr);
  const auto& source = task_->body().source;
  if (std::holds_alternative<TaskBody::FromRequest>(source)) {
    if (request.httpBody()) return startTransfer(BodySource::fromData(*request.httpBody()));
    if (!request.httpBodyStream()) return startTransfer(nullptr);
    // A stream read once cannot be read again: later hops ask for another.
    if (bodyStreamUsed_) return askForBodyStream();
    return startTransfer(streamBody(request.httpBodyStream()));
  }
  if (taskBodyDropped_) return startTransfer(nullptr);
  if (const auto* data = std::get_if<Data>(&source)) return startTransfer(BodySource::fromData(*data));
  if (const auto* file = std::get_if<URL>(&source)) {
    if (!file->isFileURL()) return finish(makeError(URLError(URLError::Code::fileDoesNotExist, *file)));
    auto body = BodySource::fromFile(file->path());
    if (!body) return finish(body.error());
    return startTransfer(std::move(*body));
  }
  askForBodyStream();
}

// Cookies and credentials are the engine's to add; the request's own
// Cookie field is left alone, while a credential the delegate gave
// replaces the request's own Authorization.
std::expected<std::vector<std::string>, AnyError> TaskRun::hopHeaderLines(const URLRequest& request) {
  // Copied only when something is added, which most hops do not need.
  std::optional<URLRequest> amended;
  const auto amend = [&](std::string value, std::string_view name) {
    if (!amended) amended = request;
    amended->setValueForHTTPHeaderField(std::move(value), name);
  };
  const auto& configuration = engine_.configuration();
  const auto& cookieStorage = configuration.httpCookieStorage();
  if (configuration.httpShouldSetCookies() && cookieStorage && !request.valueForHTTPHeaderField("Cookie")) {
    if (const auto cookies = cookieStorage->cookies(*request.url())) {
      for (auto& [name, value] : HTTPCookie::requestHeaderFieldsWithCookies(*cookies)) amend(std::move(value), name);
    }
  }
  if (auto authorization = authentication_.authorizeHop(request)) amend(std::move(*authorization), "Authorization");
  if (revalidating_) {
    // Only an HTTP response is ever revalidated.
    const auto& stored = static_cast<const HTTPURLResponse&>(*revalidating_->response());
    for (auto& [name, value] : revalidationFields(request, stored)) amend(std::move(value), name);
  }
  return requestHeaderLines(amended ? *amended : request, additionalHeaders());
}

// The configuration's credentials were meant for the origin the task
// started at, and stay behind once a redirect has left it.
std::optional<HTTPHeaderFields> TaskRun::additionalHeaders() const {
  auto fields = engine_.configuration().httpAdditionalHeaders();
  if (!fields || !leftFirstOrigin_) return fields;
  std::erase_if(*fields, [](const HTTPHeaderField& field) {
    return std::ranges::any_of(credentialFieldNames,
                               [&](std::string_view name) { return equalsIgnoringASCIICase(field.first, name); });
  });
  return fields;
}

// A download's body is for its file, never handed over from the cache, and
// an upload's answer is about the body it sends: such a task finds nothing
// stored, so it loads, or fails where it must not load.
bool TaskRun::answerFromCache(const URLRequest& request) {
  if (std::exchange(bypassingCache_, false)) return false;
  const bool takesStored = !download_ && std::holds_alternative<TaskBody::FromRequest>(task_->body().source);
  const auto& cache = engine_.configuration().urlCache();
  const auto entry = cache && takesStored ? cache->entry(request) : std::nullopt;
  const auto now = Date::now();
  switch (cacheUse(request, entry, now)) {
    case CacheUse::load: return false;
    case CacheUse::revalidate: revalidating_ = entry->response; return false;
    case CacheUse::fail: finish(failure(URLError::Code::resourceUnavailable)); return true;
    case CacheUse::useStored: break;
  }
  phase_ = Phase::transferring;
  hopResponse_ = std::dynamic_pointer_cast<HTTPURLResponse>(entry->response->response());
  URLSessionTaskTransactionMetrics transaction;
  transaction.request = request;
  transaction.response = hopResponse_;
  transaction.resourceFetchType = URLSessionTaskTransactionMetrics::ResourceFetchType::localCache;
  transaction.fetchStartDate = transaction.requestStartDate = transaction.requestEndDate =
      transaction.responseStartDate = transaction.responseEndDate = now;
  transactions_.push_back(std::move(transaction));
  heldBody_ = entry->response->data();
  presentResponse();
  completeResponse();
  return true;
}

std::unique_ptr<BodySource> TaskRun::streamBody(std::shared_ptr<InputStream> stream) {
  auto bytesAvailable = [engine = engine_.weak_from_this(), identifier = identifier_] {
    if (const auto strong = engine.lock()) {
      strong->post([identifier](SessionEngine& engine) {
        if (auto* run = engine.run(identifier)) run->bodyBytesAvailable();
      });
    }
  };
  bodyStreamUsed_ = true;
  return BodySource::fromStream(std::move(stream), std::move(bytesAvailable));
}

void TaskRun::startTransfer(std::unique_ptr<BodySource> body) {
  phase_ = Phase::transferring;
  responseState_ = ResponseState::none;
  // Send progress counts anew for every hop that sends the body.
  flush();
  totalSent_ = 0;
  expectedToSend_ = body ? body->length().value_or(URLSessionTask::transferSizeUnknown) : 0;
  task_->setExpectedToSend(expectedToSend_);
  transfer_ = std::make_unique<Transfer>(*this, engine_.scheduler(), *task_->sharedCurrentRequest(), headerLines_,
                                         std::move(body));
  if (suspended_) transfer_->setSuspended(true);
  idleSince_ = Clock::now();
}

void TaskRun::askForBodyStream() {
  phase_ = Phase::waitingForBodyStream;
  idleSince_ = Clock::now();
  if (!engine_.delegate().hasDelegate()) return answerBodyStream(nullptr);
  postToDelegate([task = task_, reply = makeReply(&TaskRun::answerBodyStream, std::shared_ptr<InputStream>())](
                     URLSessionDelegate& delegate, const std::shared_ptr<URLSession>& session) {
    delegate.needNewBodyStream(session, task, reply);
  });
}

void TaskRun::answerBodyStream(std::shared_ptr<InputStream> stream) {
  if (phase_ != Phase::waitingForBodyStream) return;
  if (!stream) return finish(failure(URLError::Code::requestBodyStreamExhausted));
  startTransfer(streamBody(std::move(stream)));
}

void TaskRun::bodyBytesAvailable() {
  if (transfer_) transfer_->bodyBytesAvailable();
}

void TaskRun::transferReceivedResponse(const std::shared_ptr<HTTPURLResponse>& response) {
  hopResponse_ = response;
  const auto current = task_->sharedCurrentRequest();
  const auto& request = *current;
  const auto& configuration = engine_.configuration();
  const auto& fields = transfer_->receivedFields();
  storeCookies(response->url(), fields);
  proposedRedirect_ = redirectRequest(request, *response);
  if (!proposedRedirect_) {
    pendingChallenge_ =
        authentication_.receiveChallenge(request, response, fields, configuration.urlCredentialStorage().get());
  }
  if (proposedRedirect_ || pendingChallenge_) {
    responseState_ = ResponseState::deciding;
    return later(&TaskRun::decideHop);
  }
  if (download_) return receiveDownloadResponse(response);
  if (revalidating_ && response->statusCode() == 304) return applyNotModified(request, response);
  if (configuration.urlCache() && std::holds_alternative<TaskBody::FromRequest>(task_->body().source) &&
      isCacheable(request, *response)) {
    cacheBody_.emplace();
  }
  presentResponse();
}

// A 304 answers only the conditions the engine added: one that confirms
// nothing stored is no answer for the caller, who asked for none, so the
// request goes again without them.
void TaskRun::applyNotModified(const URLRequest& request, const std::shared_ptr<HTTPURLResponse>& notModified) {
  // Only an HTTP response is ever revalidated.
  const auto& stored = static_cast<const HTTPURLResponse&>(*revalidating_->response());
  auto renewal = renewalBy(notModified, *revalidating_, revalidationFields(request, stored));
  if (!renewal) {
    responseState_ = ResponseState::deciding;
    return later(&TaskRun::resendBypassingCache);
  }
  hopResponse_ = std::static_pointer_cast<HTTPURLResponse>(renewal->response->response());
  heldBody_ = renewal->response->data();
  const auto& cache = engine_.configuration().urlCache();
  if (isCacheable(request, *hopResponse_)) {
    renewal_ = CacheOffer{cache, request, std::move(renewal->response), std::move(renewal->renews)};
  } else {
    cache->replaceCachedResponse(request, renewal->renews, nullptr);
  }
  presentResponse();
}

void TaskRun::resendBypassingCache() {
  if (phase_ != Phase::transferring || responseState_ != ResponseState::deciding) return;
  bypassingCache_ = true;
  retryHop();
}

void TaskRun::storeCookies(const URL& url, const HTTPHeaderFields& receivedFields) {
  const auto& storage = engine_.configuration().httpCookieStorage();
  if (!storage) return;
  for (const auto& cookie : HTTPCookie::cookiesWithResponseHeaderFields(receivedFields, url, Date::now())) {
    storage->setCookie(cookie);
  }
}

void TaskRun::presentResponse() {
  task_->setResponse(hopResponse_, hopResponse_->expectedContentLength());
  if (!engine_.delegate().hasDelegate()) {
    responseState_ = ResponseState::allowed;
    if (heldBody_.empty()) return;
    pendingData_.append(std::exchange(heldBody_, Data()));
    markForFlush();
    releaseReceiving();
    return;
  }
  responseState_ = ResponseState::waitingForAnswer;
  gate_ = std::make_shared<ResponseGate>();
  auto deliver = [gate = gate_, engine = engine_.weak_from_this(),
                  identifier = identifier_](URLSessionResponseDisposition disposition) {
    if (gate->answer(disposition)) return;
    if (const auto strong = engine.lock()) {
      strong->post([identifier, disposition](SessionEngine& engine) {
        if (auto* run = engine.run(identifier)) run->answerResponse(disposition);
      });
    }
  };
  postToDelegate(
      [task = dataTask(), response = std::shared_ptr<URLResponse>(hopResponse_),
       reply = makeOnceReply<URLSessionResponseDisposition>(std::move(deliver), URLSessionResponseDisposition::cancel)](
          URLSessionDelegate& delegate, const std::shared_ptr<URLSession>& session) {
        delegate.didReceiveResponse(session, task, response, reply);
      });
}

void TaskRun::decideHop() {
  if (phase_ != Phase::transferring || responseState_ != ResponseState::deciding) return;
  const bool hasDelegate = engine_.delegate().hasDelegate();
  if (proposedRedirect_) {
    if (redirectCount_ >= maximumRedirects) return finish(failure(URLError::Code::httpTooManyRedirects));
    if (!hasDelegate) return answerRedirect(proposedRedirect_->request);
    return postToDelegate([task = task_, response = hopResponse_, request = proposedRedirect_->request,
                           reply = makeReply(&TaskRun::answerRedirect, std::optional<URLRequest>())](
                              URLSessionDelegate& delegate, const std::shared_ptr<URLSession>& session) {
      delegate.willPerformHTTPRedirection(session, task, response, request, reply);
    });
  }
  using Disposition = URLSessionAuthChallengeDisposition;
  if (!hasDelegate) return answerChallenge({Disposition::performDefaultHandling, std::nullopt});
  postToDelegate([task = task_, challenge = *pendingChallenge_,
                  reply = makeReply(&TaskRun::answerChallenge,
                                    ChallengeAnswer{Disposition::cancelAuthenticationChallenge, std::nullopt})](
                     URLSessionDelegate& delegate, const std::shared_ptr<URLSession>& session) {
    delegate.didReceiveChallenge(session, task, challenge,
                                 [reply](Disposition disposition, std::optional<URLCredential> credential) {
                                   reply(ChallengeAnswer{disposition, std::move(credential)});
                                 });
  });
}

void TaskRun::answerRedirect(std::optional<URLRequest> request) {
  if (phase_ != Phase::transferring || responseState_ != ResponseState::deciding || !proposedRedirect_) return;
  const bool dropsBody = std::exchange(proposedRedirect_, std::nullopt)->dropsBody;
  if (!request) return deliverHopResponse();
  ++redirectCount_;
  taskBodyDropped_ = taskBodyDropped_ || dropsBody;
  leftFirstOrigin_ =
      leftFirstOrigin_ || !request->url() || !sameOrigin(*request->url(), *task_->sharedCurrentRequest()->url());
  abandonHop();
  sends_ = 0;
  task_->setCurrentRequest(std::move(*request));
  startHop();
}

void TaskRun::answerChallenge(ChallengeAnswer answer) {
  if (phase_ != Phase::transferring || responseState_ != ResponseState::deciding || !pendingChallenge_) return;
  pendingChallenge_.reset();
  using Disposition = URLSessionAuthChallengeDisposition;
  switch (answer.disposition) {
    case Disposition::cancelAuthenticationChallenge: return finish(failure(URLError::Code::cancelled));
    case Disposition::useCredential:
      if (answer.credential && authentication_.useCredential(*answer.credential)) return retryHop();
      break;
    case Disposition::performDefaultHandling: {
      const auto credential = authentication_.defaultCredential(engine_.configuration().urlCredentialStorage().get());
      if (credential && authentication_.useCredential(*credential)) return retryHop();
      break;
    }
    // The server asked for nothing else the engine could offer.
    case Disposition::rejectProtectionSpace: break;
  }
  deliverHopResponse();
}

void TaskRun::retryHop() {
  abandonHop();
  sends_ = 0;
  startHop();
}

void TaskRun::resendUnprocessed() {
  if (phase_ == Phase::transferring && !transfer_) startHop();
}

void TaskRun::deliverHopResponse() {
  if (hopError_) return finish(std::exchange(hopError_, nullptr));
  if (download_) {
    receiveDownloadResponse(hopResponse_);
  } else {
    presentResponse();
  }
  // Otherwise the rest of the body is still on its way.
  if (!transfer_) completeResponse();
}

void TaskRun::abandonHop() {
  if (!transfer_) return;
  transactions_.push_back(transfer_->transactionMetrics(false));
  transfer_.reset();
}

void TaskRun::later(void (TaskRun::*step)()) {
  engine_.post([identifier = identifier_, step](SessionEngine& engine) {
    if (auto* run = engine.run(identifier)) (run->*step)();
  });
}

void TaskRun::answerResponse(URLSessionResponseDisposition disposition) {
  if (phase_ != Phase::transferring || responseState_ != ResponseState::waitingForAnswer) return;
  if (disposition != URLSessionResponseDisposition::allow) return finish(failure(URLError::Code::cancelled));
  responseState_ = ResponseState::allowed;
  idleSince_ = Clock::now();
  pendingData_.append(std::exchange(heldBody_, Data()));
  markForFlush();
  releaseReceiving();
}

bool TaskRun::transferReceivedBody(const char* bytes, std::size_t count) {
  const bool allowed = responseState_ == ResponseState::allowed;
  if (allowed && download_) return writeDownloadBody(bytes, count);
  if (!allowed && heldBody_.size() + count > holdLimit) return false;
  if (!download_ && !fitsInMemory(count)) return false;
  auto& received = allowed ? pendingData_ : heldBody_;
  received.append(bytes, count);
  keepForCache(received, count);
  if (allowed) markForFlush();
  return true;
}

// A body goes to the delegate in memory, and a small compressed one can
// decode to more than the process can hold: past the session's cap the
// task fails instead.
bool TaskRun::fitsInMemory(std::size_t count) {
  if (bodyTooLarge_) return false;
  bodyBytesInMemory_ += static_cast<std::int64_t>(count);
  if (bodyBytesInMemory_ <= engine_.configuration().maximumBodySizeInMemory()) return true;
  bodyTooLarge_ = true;
  engine_.post([identifier = identifier_](SessionEngine& engine) {
    if (auto* run = engine.run(identifier)) run->finish(run->failure(URLError::Code::dataLengthExceedsMaximum));
  });
  return false;
}

// No single response takes more than a twentieth of the cache, so one
// large download cannot push out everything else. A body that came in one
// piece is the very bytes the delegate gets, shared rather than copied.
void TaskRun::keepForCache(const Data& received, std::size_t count) {
  if (!cacheBody_) return;
  if (cacheBody_->empty() && received.size() == count) {
    *cacheBody_ = received;
  } else {
    cacheBody_->append(received.bytes() + (received.size() - count), count);
  }
  if (cacheBody_->size() > engine_.configuration().urlCache()->memoryCapacity() / 20) cacheBody_.reset();
}

void TaskRun::transferSentBody(std::size_t count) {
  pendingSent_ += static_cast<std::int64_t>(count);
  markForFlush();
}

void TaskRun::transferEnded(CURLcode result) {
  // The library takes a connection closed inside the head, after the
  // status line, as the end of a complete exchange: without the head's
  // closing empty line there is no response, only a lost connection.
  const bool headCut = result == CURLE_OK && !hopResponse_;
  const bool succeeded = result == CURLE_OK && !headCut;
  transactions_.push_back(transfer_->transactionMetrics(succeeded));
  const bool maySendAgain = sends_ < maximumSends;
  const bool unprocessed = transfer_->neverProcessed(result);
  // An unprocessed request that may not go again has been sent as often as
  // it may, however the last try ended.
  auto error = succeeded                                 ? nullptr
               : headCut                                 ? failure(URLError::Code::networkConnectionLost)
               : transfer_->outOfSends() || (unprocessed && !maySendAgain) ? sendsExhausted()
                                                                            : transfer_->failure(result);
  // A body read from a stream cannot be read again when the library must
  // send the request anew (a kept-alive connection the server had closed, a
  // refused stream): the delegate is asked for a fresh stream instead.
  const bool needsFreshStream = result == CURLE_SEND_FAIL_REWIND && transfer_->hasStreamBody() && !hopResponse_;
  const bool resends = maySendAgain && unprocessed;
  transfer_.reset();
  if (needsFreshStream) return maySendAgain ? askForBodyStream() : finish(sendsExhausted());
  if (resends) return later(&TaskRun::resendUnprocessed);
  // The decision goes on without the transfer.
  if (responseState_ == ResponseState::deciding) {
    hopError_ = std::move(error);
    return;
  }
  if (error) return finish(std::move(error));
  completeResponse();
}

bool TaskRun::transferMaySend() {
  if (sends_ == maximumSends) return false;
  ++sends_;
  return true;
}

AnyError TaskRun::sendsExhausted() const {
  return makeSendsExhaustedError(maximumSends, task_->sharedCurrentRequest()->url());
}

void TaskRun::completeResponse() {
  if (responseState_ == ResponseState::waitingForAnswer) {
    phase_ = Phase::handedOff;
    // The ending may run on another thread as soon as it is parked: all
    // that came before it must be on the delegate queue by then.
    flush();
    engine_.delegate().send();
    return gate_->park(makeEnding());
  }
  finish(nullptr, cacheOffer());
}

std::optional<CacheOffer> TaskRun::cacheOffer() {
  if (renewal_) return std::exchange(renewal_, std::nullopt);
  if (!cacheBody_) return std::nullopt;
  auto body = *std::exchange(cacheBody_, std::nullopt);
  return CacheOffer{engine_.configuration().urlCache(), *task_->sharedCurrentRequest(),
                    CachedURLResponse::make(hopResponse_, std::move(body))};
}

AnyError TaskRun::transferReceivedServerTrust(const URLProtectionSpace& space, const URL& url) {
  if (!engine_.delegate().hasDelegate()) return defaultServerTrustRefusal(space, url);
  auto challenge = std::make_shared<ServerTrustChallenge>();
  postToDelegate(serverTrustChallengeCall(
      task_, space, [challenge](ServerTrustAnswer answer) { challenge->answer(std::move(answer)); }));
  // The loop that would hand the call over is the one waiting here.
  engine_.delegate().send();
  engine_.beginTrustChallenge(identifier_, challenge);
  // A cancel made before the engine knew of the wait found nothing to end.
  if (task_->state() == URLSessionTask::State::canceling) challenge->cancel();
  const auto answer = challenge->wait(timeLimit(Clock::now()));
  engine_.endTrustChallenge();
  // The time the delegate took is not the server's.
  idleSince_ = Clock::now();
  if (!answer) return failure(URLError::Code::timedOut);
  return serverTrustRefusal(*answer, space, url);
}

// Runs on the engine thread or on the thread that answers: it touches
// nothing of the run, only what it took along.
ResponseGate::Ending TaskRun::makeEnding() {
  return [task = task_, body = std::exchange(heldBody_, Data()), transactions = std::move(transactions_),
          redirectCount = redirectCount_, delegate = engine_.delegate().target(), engine = engine_.weak_from_this(),
          offer = cacheOffer(), identifier = identifier_](URLSessionResponseDisposition disposition) mutable {
    const bool allowed = disposition == URLSessionResponseDisposition::allow;
    auto error =
        allowed ? nullptr : makeError(URLError(URLError::Code::cancelled, task->sharedCurrentRequest()->url()));
    delegate.send(endingCalls(task, allowed ? std::move(body) : Data(), std::move(transactions), redirectCount,
                              std::move(error), allowed ? std::move(offer) : std::nullopt));
    // Only the run's record is left to drop.
    if (const auto strong = engine.lock()) {
      strong->postUnhurried([identifier](SessionEngine& engine) { engine.runEnded(identifier); });
    }
  };
}

std::optional<TaskRun::Clock::time_point> TaskRun::deadline() const {
  if (suspended_) return std::nullopt;
  // A body stream is the request itself: the delegate's time to give one is
  // the request's idle time, as a stream's time to give its bytes is.
  if (phase_ == Phase::waitingForBodyStream) return timeLimit(idleSince_);
  // Time spent waiting for the delegate's answer to what the server said
  // is the delegate's, not the server's.
  if (phase_ != Phase::transferring || !transfer_ || responseState_ == ResponseState::waitingForAnswer ||
      responseState_ == ResponseState::deciding) {
    return std::nullopt;
  }
  return timeLimit(std::max(idleSince_, transfer_->lastActivity()));
}

std::optional<TaskRun::Clock::time_point> TaskRun::timeLimit(Clock::time_point idleFrom) const {
  auto deadline = resourceDeadline_;
  if (idleTimeout_ > 0) {
    const auto idle = idleFrom + seconds(idleTimeout_);
    deadline = deadline ? std::min(*deadline, idle) : idle;
  }
  return deadline;
}

void TaskRun::expireIfDue(Clock::time_point now) {
  const auto due = deadline();
  if (!due || *due > now) return;
  // Waiting for another transfer's connection to tell the origin's
  // protocol is not the task's own idleness, nor may that transfer hold it
  // past its idle time-out (on the steady clock, as every limit here): the
  // task goes on by itself, its idle time counting anew on a connection of
  // its own. Its resource time-out ends it all the same.
  const bool resourceTimedOut = resourceDeadline_ && *resourceDeadline_ <= now;
  if (transfer_ && transfer_->waitsForProtocol() && !resourceTimedOut) {
    return engine_.scheduler().stopWaitingForProtocol(*transfer_);
  }
  finish(failure(URLError::Code::timedOut));
}

void TaskRun::markForFlush() {
  if (markedForFlush_) return;
  markedForFlush_ = true;
  engine_.needsFlush(*this);
}

void TaskRun::flush() {
  markedForFlush_ = false;
  if (pendingSent_ > 0) {
    const auto sent = std::exchange(pendingSent_, 0);
    totalSent_ += sent;
    task_->addTransferredBytes(sent, 0);
    engine_.delegate().post([task = task_, sent, total = totalSent_, expected = expectedToSend_](
                                URLSessionDelegate& delegate, const std::shared_ptr<URLSession>& session) {
      delegate.didSendBodyData(session, task, sent, total, expected);
    });
  }
  if (!pendingData_.empty()) {
    auto data = std::exchange(pendingData_, Data());
    task_->addTransferredBytes(0, static_cast<std::int64_t>(data.size()));
    engine_.delegate().post([task = dataTask(), data = std::move(data)](URLSessionDelegate& delegate,
                                                                        const std::shared_ptr<URLSession>& session) {
      delegate.didReceiveData(session, task, data);
    });
  }
  if (download_) reportWrittenBytes();
}

void TaskRun::postToDelegate(DelegateChannel::Call call) {
  // Progress and data gathered so far happened before whatever comes now.
  flush();
  engine_.delegate().post(std::move(call));
}

AnyError TaskRun::failure(URLError::Code code) const {
  return makeError(URLError(code, task_->sharedCurrentRequest()->url()));
}

void TaskRun::finish(AnyError error, std::optional<CacheOffer> offer) {
  if (phase_ == Phase::finished || phase_ == Phase::handedOff) return;
  phase_ = Phase::finished;
  abandonHop();
  flush();
  if (download_) error = finishDownload(std::move(error));
  // Without a delegate to ask, what is offered is stored.
  if (offer && !engine_.delegate().hasDelegate()) std::exchange(offer, std::nullopt)->store();
  for (auto& call :
       endingCalls(task_, Data(), std::move(transactions_), redirectCount_, std::move(error), std::move(offer))) {
    engine_.delegate().post(std::move(call));
  }
  engine_.runEnded(identifier_);
}

// Only data and upload tasks are asked about their response and handed
// their body.
std::shared_ptr<URLSessionDataTask> TaskRun::dataTask() const {
  return std::static_pointer_cast<URLSessionDataTask>(task_);
}

std::shared_ptr<URLSessionDownloadTask> TaskRun::downloadTask() const {
  return std::dynamic_pointer_cast<URLSessionDownloadTask>(task_);
}

void TaskRun::answerWithResumeData(ResumeDataReply reply) { resumeDataReply_ = std::move(reply); }

// A download's delegate is not asked about the response: the body goes to
// the file as it comes.
void TaskRun::receiveDownloadResponse(const std::shared_ptr<HTTPURLResponse>& response) {
  task_->setResponse(response, response->expectedContentLength());
  responseState_ = ResponseState::allowed;
  const auto resumption = download_->begin(*task_->sharedCurrentRequest(), *response);
  if (!resumption) return failDownloadSoon();
  if (*resumption) {
    postToDelegate([task = downloadTask(), resumed = **resumption](URLSessionDelegate& delegate,
                                                                   const std::shared_ptr<URLSession>& session) {
      delegate.didResumeAtOffset(session, task, resumed.offset, resumed.expectedTotal);
    });
  }
  // What came while a redirect or a challenge was being decided on.
  const auto held = std::exchange(heldBody_, Data());
  if (held.empty()) return;
  if (!writeDownloadBody(reinterpret_cast<const char*>(held.bytes()), held.size())) return;
  releaseReceiving();
}

void TaskRun::releaseReceiving() {
  if (!transfer_) return;
  transfer_->holdReceiving(false);
  if (transfer_->endIsDue()) later(&TaskRun::endReleasedTransfer);
}

void TaskRun::endReleasedTransfer() {
  if (transfer_ && transfer_->endIsDue()) transfer_->endNow();
}

bool TaskRun::writeDownloadBody(const char* bytes, std::size_t count) {
  if (!download_->write(bytes, count)) {
    failDownloadSoon();
    // Held: nothing more is received before the task ends.
    return false;
  }
  markForFlush();
  return true;
}

void TaskRun::failDownloadSoon() {
  engine_.post([identifier = identifier_](SessionEngine& engine) {
    if (auto* run = engine.run(identifier)) run->finish(run->download_->failure());
  });
}

void TaskRun::reportWrittenBytes() {
  const auto written = download_->takeUnreported();
  if (written == 0) return;
  task_->addTransferredBytes(0, written);
  engine_.delegate().post(
      [task = downloadTask(), written, total = download_->totalWritten(), expected = download_->expectedTotal()](
          URLSessionDelegate& delegate, const std::shared_ptr<URLSession>& session) {
        delegate.didWriteData(session, task, written, total, expected);
      });
}

AnyError TaskRun::finishDownload(AnyError error) {
  // A file that failed ends the task with its own error, whatever the
  // transfer made of being held.
  if (download_->failure()) error = download_->failure();
  auto reply = std::exchange(resumeDataReply_, nullptr);
  if (!error) {
    if (auto file = download_->takeFile()) {
      engine_.delegate().post([task = downloadTask(), file = std::move(*file)](
                                  URLSessionDelegate& delegate, const std::shared_ptr<URLSession>& session) mutable {
        delegate.didFinishDownloadingToURL(session, task, URL::fileURL(file.path().string()));
        // Whatever the delegate did not move away goes now.
        file.remove();
      });
    }
    if (reply) reply(std::nullopt);
    return nullptr;
  }
  // A plain cancellation wants no resume data; any other failure of the
  // transfer leaves some when it can.
  const auto* urlError = errorAs<URLError>(error);
  const bool wanted = urlError && (reply || urlError->code() != URLError::Code::cancelled);
  auto resumeData = wanted ? download_->keepForResuming() : std::nullopt;
  if (!resumeData) download_->discardFile();
  if (reply) reply(resumeData);
  if (!resumeData) return error;
  auto userInfo = urlError->userInfo();
  userInfo.insert_or_assign(std::string(URLError::resumeDataKey), *resumeData);
  return makeError(
      URLError(urlError->code(), urlError->failingURL(), urlError->underlyingError(), std::move(userInfo)));
}

}  // namespace platform
