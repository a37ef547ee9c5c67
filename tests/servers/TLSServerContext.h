#pragma once

#include <openssl/ssl.h>

#include <memory>
#include <string_view>

namespace testservers {

using ContextPointer = std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)>;

// A server context holding the valid test certificate and its key; throws,
// naming `server`, when they cannot be loaded.
ContextPointer makeServerContext(std::string_view server);

// A client that goes away mid-write makes the next write fail; blocked in
// the calling thread, the signal that write raises cannot end the process.
void blockBrokenPipeSignal();

}  // namespace testservers
