#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <vector>

#include "Wendalore/History/CurlCommand.h"
#include "Platform/Foundation/ShellQuoting.h"
#include "Platform/Foundation/UTF8.h"
#include "Wendalore/History/FormOption.h"
#include "Wendalore/History/RawRequestText.h"
#include "Wendanet/Source/Support/MultipartFormData.h"
#include "tests/Platform/CurlStandIn.h"
#include "tests/Platform/ScratchDirectory.h"
#include "tests/Platform/ShellPaste.h"
#include "tests/servers/LoopbackHTTPServer.h"

using namespace wendalore;
using namespace std::string_literals;

namespace {

// A record as a raw-text send makes it: the body goes out only with the
// methods that carry one.
std::shared_ptr<RequestHistoryItem> sent(std::string method, std::string url, HeaderDictionary headers = {},
                                         std::optional<std::string> body = std::nullopt) {
  const bool carried = body && (method == "POST" || method == "PUT" || method == "PATCH");
  return RequestHistoryItem::make(platform::Date{}, std::move(method), std::move(url), std::move(headers),
                                  std::move(body), carried);
}

const HeaderDictionary exampleHeaders{{"accept", "*/*"},
                                      {"Content-Type", "application/json"},
                                      {"X-Note", "say \"hi\""},
                                      {"Authorization", "Basic dXNlcjpwYXNz"}};

TEST(CurlCommand, WritesEveryPartOnItsOwnLine) {
  EXPECT_EQ(curlCommand(*sent("POST", "http://localhost:8080/items?id=7", exampleHeaders, "it's a test")),
            "curl \\\n"
            "    -X POST \\\n"
            "    -H \"Authorization: Basic dXNlcjpwYXNz\" \\\n"
            "    -H \"Content-Type: application/json\" \\\n"
            "    -H \"X-Note: say \\\"hi\\\"\" \\\n"
            "    -H \"accept: */*\" \\\n"
            "    --data-raw 'it'\\''s a test' \\\n"
            "    \"http://localhost:8080/items?id=7\"");
  EXPECT_EQ(curlCommand(*sent("GET", "http://localhost:8080/items?id=7")),
            "curl \\\n    \"http://localhost:8080/items?id=7\"");
  EXPECT_EQ(curlCommand(*sent("get", "http://h/")), "curl \\\n    -X get \\\n    \"http://h/\"");
}

// curl leaves out a field written "Name: " with a blank value, and waits
// for the body of a HEAD asked for with "-X".
TEST(CurlCommand, SendsABlankHeaderEmptyAndAsksForAHeadWithCurlsOwnOption) {
  EXPECT_EQ(curlCommand(*sent("HEAD", "http://h/", {{"X-Empty", ""}, {"X-Blank", " \t "}, {"X-Note", " a "}})),
            "curl \\\n    -I \\\n    -H \"X-Blank;\" \\\n    -H \"X-Empty;\" \\\n    -H \"X-Note:  a \" \\\n"
            "    \"http://h/\"");
  EXPECT_EQ(curlCommand(*sent("head", "http://h/")), "curl \\\n    -X head \\\n    \"http://h/\"");
}

TEST(CurlCommand, EscapesWhatTheShellWouldExpand) {
  EXPECT_EQ(curlCommand(*sent("GET", "http://h/`x`", {{"X-Id", "$(id)"}, {"X-Path", "C:\\tmp"}})),
            "curl \\\n    -H \"X-Id: \\$(id)\" \\\n    -H \"X-Path: C:\\tmp\" \\\n    \"http://h/\\`x\\`\"");
  EXPECT_EQ(curlCommand(*sent("GET", "http://h/", {{"X-Shout", "hi! it's"}})),
            "curl \\\n    -H 'X-Shout: hi! it'\\''s' \\\n    \"http://h/\"");
}

TEST(CurlCommand, ABodyThatStayedHomeIsLeftOut) {
  // A GET with a body would become a POST under curl's --data-raw.
  EXPECT_EQ(curlCommand(*sent("GET", "http://h/", {}, "{}")), "curl \\\n    \"http://h/\"");
  EXPECT_EQ(curlCommand(*sent("POST", "http://h/", {}, "")), "curl \\\n    -X POST \\\n    \"http://h/\"");
}

// What curl would receive: the command run by an interactive bash, with
// curl a function printing its arguments one per NUL.
std::vector<std::string> argumentsOf(const std::string& command) {
  const std::string path = testing::TempDir() + "curl-command.sh";
  std::ofstream(path) << "curl() { printf '%s\\0' \"$@\"; }\n" << command << "\nexit\n";
  FILE* shell = popen(("bash --norc -i < " + path + " 2>/dev/null").c_str(), "r");
  std::string output;
  char buffer[4096];
  for (std::size_t count; (count = fread(buffer, 1, sizeof buffer, shell)) > 0;) output.append(buffer, count);
  pclose(shell);
  std::vector<std::string> arguments;
  for (std::size_t start = 0, end; (end = output.find('\0', start)) != std::string::npos; start = end + 1) {
    arguments.push_back(output.substr(start, end - start));
  }
  return arguments;
}

TEST(CurlCommand, AShellGivesBackEveryTextAsRecorded) {
  const std::string hostile = "a\"b\\c$d`e`!f'g $(id) !! \n";
  const auto item = sent("PUT", "http://h/p?q=" + hostile, {{"X-" + hostile, hostile}, {"Plain", "v"}},
                         "{\"k\": \"" + hostile + "\"}");
  const auto command = curlCommand(*item);
  const std::string path = testing::TempDir() + "curl-syntax.sh";
  std::ofstream(path) << command << "\n";
  ASSERT_EQ(std::system(("bash -n " + path).c_str()), 0) << command;
  const std::vector<std::string> expected{"-X",       "PUT",   "-H", "Plain: v", "-H", "X-" + hostile + ": " + hostile,
                                          "--data-raw", *item->requestBody(), item->url()};
  EXPECT_EQ(argumentsOf(command), expected) << command;
  EXPECT_EQ(argumentsOf(curlCommand(*sent("POST", "http://h/", exampleHeaders, "it's a test"))).size(), 13U);
}

// A control character acts in a terminal or a line editor before quoting
// counts (Ctrl-U erases what was read so far, ESC ends a paste): none may
// reach the shell as it is, and every byte must come back.
TEST(CurlCommand, ControlCharactersReachAnInteractiveShellIntactAndRunNothing) {
  ShellPaste shell;
  std::vector<int> controls{0x7F};
  for (int byte = 0x01; byte < 0x20; ++byte) controls.push_back(byte);
  for (const auto input : {ShellPaste::Input::pipe, ShellPaste::Input::typed, ShellPaste::Input::pasted}) {
    for (const int byte : controls) {
      // A tab stands as it is, inserted as a terminal pastes it; a line
      // editor given it otherwise completes on it.
      if (byte == '\t' && input != ShellPaste::Input::pasted) continue;
      const std::string control(1, static_cast<char>(byte));
      const std::string value = "!" + control + "$(touch made-by-header)'";
      const std::string body = "x" + control + "\ntouch made-by-body";
      const auto command = curlCommand(*sent("POST", "http://h/" + control, {{"X-Value", value}}, body));
      EXPECT_TRUE(platform::standsInShellQuotes(command)) << byte << "\n" << command;
      const bool onInput = byte != '\t' && byte != '\n';
      EXPECT_EQ(shell.arguments(command, input),
                (std::vector<std::string>{"-X", "POST", "-H", "X-Value: " + value,
                                          onInput ? "--data-binary" : "--data-raw", onInput ? "@-" : body,
                                          "http://h/" + control}))
          << byte << " " << static_cast<int>(input) << "\n" << command;
      EXPECT_EQ(shell.input(), onInput ? body : "") << byte << " " << static_cast<int>(input);
      EXPECT_TRUE(std::filesystem::is_empty(shell.folder())) << byte;
      // One way through the shell failing is enough to tell.
      if (::testing::Test::HasFailure()) return;
    }
  }
}

// The send's own Content-Type goes in place of a row's, as it went out. A
// form goes in place of the body text, which stayed home, its part
// described with the names as the library wrote them.
TEST(RequestTexts, ShowTheContentTypeAndFormThatWentOut) {
  auto form = sent("POST", "http://h/", {{"content-type", "text/plain"}, {"X", "1"}}, "a=1");
  form->setSentContent("application/x-www-form-urlencoded", std::nullopt, 3);
  EXPECT_EQ(rawRequestText(*form),
            "POST / HTTP/1.1\nContent-Type: application/x-www-form-urlencoded\nHost: h\nX: 1\n\na=1");
  EXPECT_EQ(curlCommand(*form), "curl \\\n    -X POST \\\n    -H \"Content-Type: application/x-www-form-urlencoded\" \\\n"
                                "    -H \"X: 1\" \\\n    --data-raw 'a=1' \\\n    \"http://h/\"");

  auto multipart = sent("POST", "http://h/", {{"Content-Type", "text/plain"}}, "left over");
  const SentFilePart quoted{"up", "n\"a.txt", "text/plain", "/tmp/my file", 17};
  multipart->setSentContent("multipart/form-data; boundary=b1", SentForm{"b1", {quoted}});
  EXPECT_EQ(curlCommand(*multipart), "curl \\\n    -X POST \\\n    -F 'up=@\"/tmp/my file\";filename=\"n\\\"a.txt\";"
                                     "headers=\"Content-Type: text/plain\"' \\\n    \"http://h/\"");
  // A quote would end the name early, a line break start a header line.
  const std::pair<SentFilePart, std::string> descriptions[] = {
      {quoted, "Content-Disposition: form-data; name=\"up\"; filename=\"n%22a.txt\"\nContent-Type: text/plain\n\n"
               "(17 bytes of the file /tmp/my file)"},
      {{"a\r\nX-Injected: 1", "f.txt", "text/plain\nX: 2", "/f", 1},
       "Content-Disposition: form-data; name=\"a%0D%0AX-Injected: 1\"; filename=\"f.txt\"\n"
       "Content-Type: text/plain%0AX: 2\n\n(1 bytes of the file /f)"},
  };
  for (const auto& [part, description] : descriptions) {
    multipart->setSentContent("multipart/form-data; boundary=b1", SentForm{"b1", {part}});
    EXPECT_EQ(rawRequestText(*multipart), "POST / HTTP/1.1\nContent-Type: multipart/form-data; boundary=b1\nHost: h\n\n--b1\n" +
                                              description + "\n--b1--\n");
  }
}

// A method from a stored template reaches the record before the library
// refuses it; pasted, it must stay one word.
TEST(CurlCommand, AMethodIsOneWordThatRunsNothing) {
  ShellPaste shell;
  for (const std::string method : {"GET$(touch made-by-method)", "GET;touch made-by-method;", "P`touch x` !!"}) {
    const auto command = curlCommand(*sent(method, "http://h/"));
    EXPECT_EQ(shell.arguments(command, ShellPaste::Input::pipe), (std::vector<std::string>{"-X", method, "http://h/"}))
        << command;
    EXPECT_TRUE(std::filesystem::is_empty(shell.folder())) << command;
  }
}

// What curl receives from the command run as a script by `shell`: its
// arguments, then what it read on its standard input.
struct Received {
  std::vector<std::string> arguments;
  std::string input;
};

Received runUnder(const std::string& shell, const std::string& command) {
  ScratchDirectory folder;
  std::ofstream(folder / "script.sh") << "curl() { printf '%s\\0' \"$@\" > arguments; cat > input; }\n" << command << "\n";
  (void)std::system(("cd '" + folder.path().string() + "' && " + shell + " script.sh < /dev/null > /dev/null 2>&1").c_str());
  const auto read = [&](const char* name) {
    std::ifstream stream(folder / name, std::ios::binary);
    return std::string{std::istreambuf_iterator<char>(stream), {}};
  };
  Received received{{}, read("input")};
  const auto output = read("arguments");
  for (std::size_t start = 0, end; (end = output.find('\0', start)) != std::string::npos; start = end + 1) {
    received.arguments.push_back(output.substr(start, end - start));
  }
  return received;
}

TEST(CurlCommand, ALineFeedStaysALineFeedThatEveryShellReadsBack) {
  const std::string body = "{\n  \"say\": \"it's $HOME\"\n}\n";
  const auto command = curlCommand(*sent("POST", "http://h/", {}, body));
  EXPECT_NE(command.find("--data-raw '{\n  \"say\": \"it'\\''s $HOME\"\n}\n'"), std::string::npos) << command;
  for (const std::string shell : {"sh", "bash --norc", "zsh -f"}) {
    EXPECT_EQ(runUnder(shell, command).arguments, (std::vector<std::string>{"-X", "POST", "--data-raw", body, "http://h/"}))
        << shell;
  }
}

// An argument ends at its first NUL: such a body goes in on curl's input.
TEST(CurlCommand, ABodyWithANulGoesInWhole) {
  const std::string body = "-before\0after %s \\0 \x01\xC3 it's\n"s;
  const auto command = curlCommand(*sent("PUT", "http://h/", {{"X", "1"}}, body));
  EXPECT_TRUE(platform::isValidUTF8(command)) << command;
  for (const std::string shell : {"sh", "bash --norc", "zsh -f"}) {
    const auto received = runUnder(shell, command);
    EXPECT_EQ(received.arguments,
              (std::vector<std::string>{"-X", "PUT", "-H", "X: 1", "--data-binary", "@-", "http://h/"}))
        << shell << "\n" << command;
    EXPECT_EQ(received.input, body) << shell << "\n" << command;
  }
}

// A line editor under a UTF-8 locale drops bytes that are not UTF-8.
TEST(CurlCommand, BytesThatAreNotUTF8AreEscaped) {
  const std::string body = "a\xC3 \xE2\x82 \xED\xA0\x80 \xE2\x82\xAC";
  const auto command = curlCommand(*sent("POST", "http://h/\xC3", {{"X", "\xE2\x82"}}, body));
  EXPECT_TRUE(platform::isValidUTF8(command)) << command;
  for (const std::string shell : {"sh", "bash --norc", "zsh -f"}) {
    const auto received = runUnder(shell, command);
    EXPECT_EQ(received.arguments,
              (std::vector<std::string>{"-X", "POST", "-H", "X: \xE2\x82", "--data-binary", "@-", "http://h/\xC3"}))
        << shell << "\n" << command;
    EXPECT_EQ(received.input, body) << shell;
  }
}

TEST(CurlCommand, EveryShellHandsCurlTheTextsExactly) {
  const auto bytes =
      RequestHistoryItem::make(platform::Date{}, "=ls", "http://h/\x1B", {{"X-Tab", "a\tb"}}, "name=caf\xE9", true);
  const std::string longBody(platform::longestProgramArgument + 1, 'b');
  auto form = sent("POST", "http://h/", {}, "left over");
  const SentFilePart file{"up\t", "a\x01.txt", "text/plain", "/tmp/my\tfile\x1B", 5};
  form->setSentContent("multipart/form-data; boundary=b1", SentForm{"b1", {file}});
  const auto head = sent("HEAD", "http://h/", {{"X-Empty", ""}, {"X-Blank", "\t"}});
  expectEveryShellHandsCurl(
      {curlCommand(*bytes), curlCommand(*sent("POST", "http://h/", {}, longBody)), curlCommand(*form),
       curlCommand(*head)},
      {{{"-X", "=ls", "-H", "X-Tab: a\tb", "--data-binary", "@-", "http://h/\x1B"}, "name=caf\xE9"},
       {{"-X", "POST", "--data-binary", "@-", "http://h/"}, longBody},
       {{"-X", "POST", "-F", formOption(file), "http://h/"}, ""},
       {{"-I", "-H", "X-Blank;", "-H", "X-Empty;", "http://h/"}, ""}});
}

// The command run for real against a local server that echoes the body:
// the part's headers must come back as the send wrote them.
TEST(CurlCommand, AFormPartKeepsItsNameFileNameAndTypeThroughCurl) {
  testservers::LoopbackHTTPServer server;
  ScratchDirectory files;
  const auto path = (files / "my file;x,y.txt").string();
  std::ofstream(path) << "hello";
  // Each as the send wrote it; where curl cannot write the name itself it
  // puts its type line first.
  const auto wireHeaders = [](const SentFilePart& file) {
    std::vector<std::string> lines;
    for (const auto& header : wendanet::MultipartFormData::contentHeaders(file.name, file.fileName, file.mimeType)) {
      lines.push_back("\r\n" + header.name() + ": " + header.value() + "\r\n");
    }
    return lines;
  };
  const SentFilePart parts[] = {
      {"up", "n\"a\\b.txt", "text/plain", path, 5},
      {"a=b", "f.txt", "text/plain;headers=X-Injected: 1", path, 5},
      {"c", "f.txt", "text/a,b", path, 5},
      {"", "f.txt", "text/plain", path, 5},
      {"n\r\nX-Injected: 2", std::string("f\0.txt", 6), std::string("t/p\0", 4), path, 5},
  };
  for (const auto& part : parts) {
    auto item = sent("POST", server.baseURL() + "/echo", {}, "left over");
    item->setSentContent("multipart/form-data; boundary=b1", SentForm{"b1", {part}});
    const auto command = curlCommand(*item);
    std::ofstream(files / "run.sh") << command << "\n";
    const std::unique_ptr<FILE, int (*)(FILE*)> shell(
        popen(("bash --norc '" + (files / "run.sh").string() + "' 2>/dev/null </dev/null").c_str(), "r"), pclose);
    std::string echoed;
    for (int character; (character = std::fgetc(shell.get())) != EOF;) echoed += static_cast<char>(character);
    const auto headerBlock = echoed.substr(0, echoed.find("\r\n\r\nhello") + 2);
    for (const auto& line : wireHeaders(part)) {
      EXPECT_NE(headerBlock.find(line), std::string::npos) << line << "\n" << command << "\n" << echoed;
    }
    EXPECT_EQ(headerBlock.find("\r\nX-Injected"), std::string::npos) << command << "\n" << echoed;
  }
}

TEST(RawRequestText, RendersTheRequestAsSent) {
  const std::pair<std::shared_ptr<RequestHistoryItem>, std::string> cases[] = {
      {sent("POST", "http://localhost:8080/items?id=7#top", {{"host", "localhost:8080"}, {"Content-Type", "text/plain"}},
            "hello"),
       "POST /items?id=7 HTTP/1.1\nContent-Type: text/plain\nhost: localhost:8080\n\nhello"},
      // Escapes stay: decoded, "q=x%26y" would read as two parameters.
      {sent("GET", "http://localhost:8080/a%20b?q=x%26y"), "GET /a%20b?q=x%26y HTTP/1.1\nHost: localhost:8080\n\n"},
      {sent("get", "https://example.com:443"), "get / HTTP/1.1\nHost: example.com\n\n"},
      {sent("GET", "http://example.com:80/p?"), "GET /p? HTTP/1.1\nHost: example.com\n\n"},
      {sent("GET", "https://[::1]:8443/?a=1"), "GET /?a=1 HTTP/1.1\nHost: [::1]:8443\n\n"},
      {sent("PUT", "http://u:p@h/x", {{"HOST", "other"}, {"Authorization", "Basic dXNlcjpwYXNz"}}, "a\r\nb\n"),
       "PUT /x HTTP/1.1\nAuthorization: Basic dXNlcjpwYXNz\nHOST: other\n\na\r\nb\n"},
      {sent("GET", "not a url", {{"X", "1"}}), "GET not a url HTTP/1.1\nX: 1\n\n"},
      // A body that was not sent is not shown.
      {sent("GET", "http://h/", {}, "{}"), "GET / HTTP/1.1\nHost: h\n\n"},
  };
  for (const auto& [item, text] : cases) EXPECT_EQ(rawRequestText(*item), text) << item->url();
}

// A row shows the value that went out where the send wrote the field
// itself, and is left out where the request went out without it; a row
// the send kept stays as typed, and a field the send added with no row
// to replace is not shown.
TEST(RawRequestText, RowsTheSendWroteItselfShowTheValuesThatWentOut) {
  auto form = sent("POST", "http://h/", {{"content-type", "text/plain"}, {"content-length", "99"}, {"X", "1"}}, "a=1");
  form->setSentContent("application/x-www-form-urlencoded", std::nullopt, 3);
  auto raw = sent("PUT", "http://h/", {{"content-type", "text/csv"}, {"Content-Length", "0"}}, "hello");
  raw->setSentContent(std::nullopt, std::nullopt, 5);
  auto json = sent("POST", "http://h/", {{"X", "1"}}, "{}");
  json->setSentContent("application/json", std::nullopt, 2);
  auto bodyless = sent("GET", "http://h/", {{"Content-Length", "4"}, {"X", "1"}}, "stays");
  const std::pair<std::shared_ptr<RequestHistoryItem>, std::string> cases[] = {
      {form, "POST / HTTP/1.1\nContent-Length: 3\nContent-Type: application/x-www-form-urlencoded\nHost: h\nX: 1\n\na=1"},
      {raw, "PUT / HTTP/1.1\nContent-Length: 5\nHost: h\ncontent-type: text/csv\n\nhello"},
      {json, "POST / HTTP/1.1\nHost: h\nX: 1\n\n{}"},
      {bodyless, "GET / HTTP/1.1\nHost: h\nX: 1\n\n"},
  };
  for (const auto& [item, text] : cases) EXPECT_EQ(rawRequestText(*item), text) << item->method();
}

// The text is the record's: the answer and its hops change nothing, and
// the Content-Type a form went out with is not a recorded row. A form
// without parts went out as no bytes, so no boundary line is shown.
TEST(RawRequestText, ShowsTheRecordWhateverTheAnswerAndNoBodyForAnEmptyForm) {
  auto item = sent("POST", "http://h:81/up", {{"X-Row", "1"}});
  item->setSentContent("multipart/form-data; boundary=b1", SentForm{"b1", {}});
  const std::string recorded = "POST /up HTTP/1.1\nHost: h:81\nX-Row: 1\n\n";
  EXPECT_EQ(rawRequestText(*item), recorded);

  auto metrics = std::make_shared<platform::URLSessionTaskMetrics>();
  metrics->transactionMetrics.resize(2);
  item->setMetrics(metrics);
  item->setResponseHeaders({{"Content-Length", "0"}});
  item->setIsPending(false);
  EXPECT_EQ(rawRequestText(*item), recorded);
}

}  // namespace
