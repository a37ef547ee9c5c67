#include "tests/servers/LoopbackHTTPServer.h"

namespace testservers {

namespace {

std::string fillerFields(std::size_t count, std::size_t valueLength) {
  std::string fields;
  for (std::size_t index = 0; index < count; ++index) {
    fields += "X-Filler-" + std::to_string(index) + ": " + std::string(valueLength, 'f') + "\r\n";
  }
  return fields;
}

ScriptedNext answer(ScriptedConnection& connection, const ScriptedRequest& request) {
  const auto keepOpenIfSent = [](bool sent) { return sent ? ScriptedNext::keepOpen : ScriptedNext::close; };
  if (request.path == "/tiny") return keepOpenIfSent(connection.send(httpResponse("200 OK", "ok")));
  if (request.path == "/echo") {
    return keepOpenIfSent(
        connection.send(httpResponse("200 OK", request.body, "Content-Type: application/octet-stream\r\n")));
  }
  if (request.path == "/reset-mid-body") {
    connection.send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + std::string(1000, 'r'));
    connection.reset();
    return ScriptedNext::close;
  }
  if (request.path == "/truncated-chunked") {
    connection.send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n");
    return ScriptedNext::close;
  }
  if (request.path == "/huge-header-block") {
    connection.send(httpResponse("200 OK", "ok", fillerFields(1500, 90)));
    return ScriptedNext::close;
  }
  if (request.path == "/huge-header-line") {
    connection.send(httpResponse("200 OK", "ok", fillerFields(1, 150 * 1024)));
    return ScriptedNext::close;
  }
  if (request.path == "/not-found-json") {
    return keepOpenIfSent(connection.send(
        httpResponse("404 Not Found", R"({"error":"no such item"})", "Content-Type: application/json\r\n")));
  }
  if (request.path == "/close-after-response") {
    return connection.send(httpResponse("200 OK", "ok")) ? ScriptedNext::closeAfterNextRequest : ScriptedNext::close;
  }
  return keepOpenIfSent(connection.send(httpResponse("404 Not Found", "")));
}

}  // namespace

LoopbackHTTPServer::LoopbackHTTPServer() : server_(answer) {}

}  // namespace testservers
