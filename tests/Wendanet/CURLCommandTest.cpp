#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "Platform/Foundation/ShellQuoting.h"
#include "Platform/Foundation/UTF8.h"
#include "Wendanet/Source/Support/CURLCommand.h"
#include "tests/Platform/CurlStandIn.h"
#include "tests/Platform/ShellPaste.h"
#include "tests/Wendanet/RequestTestDoubles.h"

using namespace wendanet;
using namespace wendanet::testing;
using platform::URLCredential;

namespace {

URLCredential credential(std::string user, std::optional<std::string> password) {
  URLCredential credential;
  credential.user = std::move(user);
  credential.password = std::move(password);
  return credential;
}

platform::URLRequest withHeaders(platform::URLRequest request, const platform::HTTPHeaderFields& fields) {
  request.setAllHTTPHeaderFields(fields);
  return request;
}

platform::URLRequest withBody(std::string body) {
  auto request = makeURLRequest("http://example.com/x", "POST");
  request.setHTTPBody(platform::Data(std::move(body)));
  return request;
}

// The line of the component that starts with `option`, without the option
// and the line continuation.
std::string component(const std::string& command, const std::string& option) {
  const auto start = command.find("\t" + option + " ") + option.size() + 2;
  return command.substr(start, command.find(" \\\n\t", start) - start);
}

std::string shellOutput(const std::string& commandLine) {
  const std::unique_ptr<FILE, int (*)(FILE*)> shell(popen(commandLine.c_str(), "r"), pclose);
  std::string output;
  for (int character; (character = std::fgetc(shell.get())) != EOF;) output += static_cast<char>(character);
  return output;
}

// What bash makes of `word`.
std::string shellReading(const std::string& word) {
  return shellOutput("bash --norc -c \"printf '%s' \"" + platform::singleQuotedShellWord(word));
}

// The arguments an interactive shell (history expansion on) hands curl when
// the command is pasted into it, one a line.
std::string interactiveShellArguments(const std::string& command) {
  char path[] = "/tmp/wendanet-curl-XXXXXX";
  const int descriptor = mkstemp(path);
  if (descriptor < 0) return "mkstemp failed";
  const std::string input = "curl() { printf '[%s]\\n' \"$@\"; }\n" + command.substr(2) + "\nexit\n";
  const bool written = write(descriptor, input.data(), input.size()) == static_cast<ssize_t>(input.size());
  close(descriptor);
  std::string output = written ? shellOutput(std::string("bash --norc -i <") + path + " 2>/dev/null") : "write failed";
  unlink(path);
  return output;
}

}  // namespace

TEST(CURLCommand, AGetRequestWithOneHeaderTakesFourLines) {
  EXPECT_EQ(makeCURLCommand(withHeaders(makeURLRequest("http://example.com/x"), {{"Accept", "text/plain"}}), {}),
            "$ curl -v \\\n\t-X GET \\\n\t-H \"Accept: text/plain\" \\\n\t\"http://example.com/x\"");
  EXPECT_EQ(component(makeCURLCommand(withBody(""), {}), "-d"), "\"\"");
}

TEST(CURLCommand, WithoutAURLWithAHostOrAMethodThereIsNoCommand) {
  auto noMethod = makeURLRequest("http://example.com/x");
  noMethod.setHTTPMethod(std::nullopt);
  for (const auto& request : {std::optional<platform::URLRequest>(), std::optional(makeURLRequest("file:///tmp/x")),
                              std::optional(platform::URLRequest()), std::optional(noMethod)}) {
    EXPECT_EQ(makeCURLCommand(request, {}), "$ curl command could not be created");
  }
}

TEST(CURLCommand, CredentialsAndCookiesComeBeforeTheHeaders) {
  const CURLCommandContext context{
      .credentials = {credential("a", "1"), credential("b", std::nullopt), credential("c", "3")},
      .cookies = {{"a", "1"}, {"b", "2"}},
      .configurationHeaders = {{"User-Agent", "X"}, {"Cookie", "c=3"}, {"X-Config", "1"}}};
  const auto request =
      withHeaders(makeURLRequest("http://example.com/x"), {{"user-agent", "Y"}, {"Cookie", "d"}, {"cookie", "e"}});
  EXPECT_EQ(makeCURLCommand(request, context),
            "$ curl -v \\\n\t-X GET \\\n\t-u a:1 \\\n\t-u c:3 \\\n\t-b \"a=1;b=2\" \\\n\t-H \"user-agent: Y\" \\\n\t"
            "-H \"X-Config: 1\" \\\n\t-H \"cookie: e\" \\\n\t\"http://example.com/x\"");
  // Whenever the storage answers, even with nothing, the request's own
  // credential is not shown.
  const URLCredential own = credential("own", "pw");
  EXPECT_TRUE(credentialsToShow(std::vector<URLCredential>{}, own).empty());
  EXPECT_EQ(credentialsToShow(std::nullopt, own), std::vector<URLCredential>{own});
}

// curl leaves out a field written "Name: " with a blank value, and waits
// for the body of a HEAD asked for with "-X"; the other lines stay.
TEST(CURLCommand, ABlankHeaderIsSentEmptyAndAHeadIsAskedForWithCurlsOwnOption) {
  auto request = withHeaders(makeURLRequest("http://example.com/x", "HEAD"), {{"X-Empty", ""}, {"X-Note", " a "}});
  const CURLCommandContext context{
      .credentials = {credential("a", "1")}, .cookies = {{"k", "v"}}, .configurationHeaders = {{"X-Blank", " \t"}}};
  EXPECT_EQ(makeCURLCommand(request, context),
            "$ curl -v \\\n\t-I \\\n\t-u a:1 \\\n\t-b \"k=v\" \\\n\t-H \"X-Blank;\" \\\n\t-H \"X-Empty;\" \\\n\t"
            "-H \"X-Note:  a \" \\\n\t\"http://example.com/x\"");
  request.setHTTPMethod("head");
  EXPECT_EQ(component(makeCURLCommand(request, {}), "-X"), "head");
}

// A POST without a body goes out saying so; an upload's body goes with its
// task, at a length the text cannot know.
TEST(CURLCommand, ABodilessPostTellsItsLengthUnlessItsBodyGoesWithTheTask) {
  const auto request = withHeaders(makeURLRequest("http://example.com/x", "POST"), {{"Content-Length", "9"}});
  EXPECT_EQ(makeCURLCommand(request, {}),
            "$ curl -v \\\n\t-X POST \\\n\t-H \"Content-Length: 0\" \\\n\t\"http://example.com/x\"");
  EXPECT_EQ(makeCURLCommand(request, {.bodyOutsideRequest = true}),
            "$ curl -v \\\n\t-X POST \\\n\t\"http://example.com/x\"");
}

TEST(CURLCommand, QuotedTextsEscapeQuotesAndBackslashesAsBeforeAndRepairBadBytes) {
  EXPECT_EQ(component(makeCURLCommand(withHeaders(makeURLRequest("http://e.com"), {{"X", "a\"b"}}), {}), "-H"),
            "\"X: a\\\"b\"");
  EXPECT_EQ(component(makeCURLCommand(withBody("a\\\"b\"c\\d"), {}), "-d"), "\"a\\\\\\\"b\\\"c\\d\"");
  EXPECT_EQ(component(makeCURLCommand(withBody("a\xFF"), {}), "-d"), "\"a\uFFFD\"");
}

TEST(CURLCommand, EveryTextReachesTheShellUnchanged) {
  const std::string texts[] = {"$HOME", "`id`", "a\"b", "end\\", "\\$x", "\\\\", "\\n", "two\nlines", "\\\"", "x!y"};
  for (const auto& text : texts) {
    const auto command = makeCURLCommand(withBody(text), {.credentials = {credential(text, text)}});
    EXPECT_EQ(shellReading(component(command, "-d")), text) << text;
    EXPECT_EQ(shellReading(component(command, "-u")), text + ":" + text) << text;
  }
  EXPECT_EQ(component(makeCURLCommand(withBody("plain"), {.credentials = {credential("u", "p")}}), "-u"), "u:p");
}

TEST_F(RequestFixture, TheCURLCommandShowsWhatTheSessionAdds) {
  delegate->configuration = platform::URLSessionConfiguration::ephemeralConfiguration();
  delegate->configuration->setURLCredentialStorage(nullptr);
  delegate->configuration->setHTTPShouldSetCookies(false);
  request->authenticateWithUsername("user", "pass", URLCredential::Persistence::forSession);
  onQueue([&] {
    request->didCreateInitialURLRequest(
        withHeaders(makeURLRequest("http://example.com/x"), {{"Accept", "text/plain"}}));
  });
  EXPECT_EQ(request->makeCURLCommand(),
            "$ curl -v \\\n\t-X GET \\\n\t-H \"Accept: text/plain\" \\\n\t\"http://example.com/x\"");
  // A storage that keeps nothing for the URL lets the request's own credential show.
  delegate->configuration->setURLCredentialStorage(platform::URLCredentialStorage::make());
  delegate->configuration->setHTTPAdditionalHeaders(platform::HTTPHeaderFields{{"X-Session", "s"}});
  EXPECT_EQ(request->makeCURLCommand(),
            "$ curl -v \\\n\t-X GET \\\n\t-u user:pass \\\n\t-H \"X-Session: s\" \\\n\t"
            "-H \"Accept: text/plain\" \\\n\t\"http://example.com/x\"");
}

TEST_F(RequestFixture, StoredCredentialsAndCookiesOfTheSessionShow) {
  delegate->configuration = platform::URLSessionConfiguration::ephemeralConfiguration();
  delegate->configuration->setHTTPAdditionalHeaders(std::nullopt);
  const auto credentials = platform::URLCredentialStorage::make();
  const platform::URLProtectionSpace space{.host = "example.com",
                                           .port = 0,
                                           .protocol = "http",
                                           .realm = "example.com",
                                           .authenticationMethod =
                                               std::string(platform::URLProtectionSpace::authenticationMethodHTTPBasic),
                                           .serverTrust = nullptr};
  credentials->setCredential(credential("ann", "one"), space);
  credentials->setCredential(credential("bob", "two"), space);
  delegate->configuration->setURLCredentialStorage(credentials);
  const auto cookies = platform::HTTPCookieStorage::make();
  for (const auto& [name, value] : {std::pair{"a", "1"}, std::pair{"b", "2"}}) {
    platform::HTTPCookie cookie;
    cookie.name = name;
    cookie.value = value;
    cookie.domain = "example.com";
    cookies->setCookie(cookie);
  }
  delegate->configuration->setHTTPCookieStorage(cookies);
  delegate->configuration->setHTTPShouldSetCookies(true);
  // The storage's answer wins over the request's own credential.
  request->authenticateWithUsername("own", "secret", URLCredential::Persistence::forSession);
  onQueue([&] { request->didCreateInitialURLRequest(makeURLRequest("http://example.com/x")); });
  EXPECT_EQ(request->makeCURLCommand(),
            "$ curl -v \\\n\t-X GET \\\n\t-u ann:one \\\n\t-u bob:two \\\n\t-b \"a=1;b=2\" \\\n\t"
            "\"http://example.com/x\"");
}

TEST(CURLCommand, AnInteractiveShellGetsExactlyTheArguments) {
  struct Case {
    std::string body;
    std::string header;
  };
  const Case cases[] = {
      {R"({"msg":"hi!there"})", "X: it's !$ here"},
      {"!!", "X: 'quoted' \\!"},
      {"no bang, $HOME `id` \"x\"", "X: 'single'"},
  };
  for (const auto& [body, header] : cases) {
    auto request = withHeaders(withBody(body), {{"X", header.substr(3)}});
    request.setURL(platform::URL::string("http://example.com/a!b?c='d'"));
    const auto command = makeCURLCommand(request, {.cookies = {{"k", "v!"}}});
    EXPECT_EQ(interactiveShellArguments(command),
              "[-v]\n[-X]\n[POST]\n[-b]\n[k=v!]\n[-H]\n[" + header + "]\n[-d]\n[" + body +
                  "]\n[http://example.com/a!b?c='d']\n")
        << command;
  }
  // Texts without "!" keep their double quotes.
  EXPECT_EQ(component(makeCURLCommand(withBody("it's"), {}), "-d"), "\"it's\"");
  EXPECT_EQ(component(makeCURLCommand(withBody("it's!"), {}), "-d"), "'it'\\''s!'");
}

// A control character acts in a terminal or a line editor before quoting
// counts (Ctrl-U erases what was read so far, ESC ends a paste): none may
// reach the shell as it is, and every byte must come back.
TEST(CURLCommand, ControlCharactersReachAnInteractiveShellIntactAndRunNothing) {
  ShellPaste shell;
  std::vector<int> controls{0x7F};
  for (int byte = 0x01; byte < 0x20; ++byte) controls.push_back(byte);
  for (const auto input : {ShellPaste::Input::pipe, ShellPaste::Input::pasted}) {
    for (const int byte : controls) {
      // A tab stands as it is, inserted as a terminal pastes it; a line
      // editor given it otherwise completes on it.
      if (byte == '\t' && input != ShellPaste::Input::pasted) continue;
      const std::string control(1, static_cast<char>(byte));
      const std::string header = "X: !" + control + "$(touch made-by-header)'";
      const std::string body = "x" + control + "\ntouch made-by-body";
      auto request = withHeaders(withBody(body), {{"X", header.substr(3)}});
      const auto command = makeCURLCommand(request, {});
      EXPECT_TRUE(platform::standsInShellQuotes(command)) << byte << "\n" << command;
      // A tab and a line feed stand in the quotes; the other characters
      // only curl's input carries.
      const bool onInput = byte != '\t' && byte != '\n';
      EXPECT_EQ(shell.arguments(command.substr(2), input),
                (std::vector<std::string>{"-v", "-X", "POST", "-H", header, onInput ? "--data-binary" : "-d",
                                          onInput ? "@-" : body, "http://example.com/x"}))
          << byte << " " << static_cast<int>(input) << "\n" << command;
      EXPECT_EQ(shell.input(), onInput ? body : "") << byte << " " << static_cast<int>(input);
      EXPECT_TRUE(std::filesystem::is_empty(shell.folder())) << byte;
      // One way through the shell failing is enough to tell.
      if (::testing::Test::HasFailure()) return;
    }
  }
}

// A terminal pastes with brackets, so the tab that starts each line is
// inserted rather than completing a file name of the working folder.
TEST(CURLCommand, PastedIntoAFolderWithAFileTheCommandGetsNoExtraArguments) {
  ShellPaste shell;
  std::ofstream(shell.folder() / "only-file") << "x";
  auto request = withHeaders(withBody("b"), {{"Accept", "text/plain"}});
  const auto command = makeCURLCommand(request, {.cookies = {{"k", "v"}}});
  EXPECT_EQ(shell.arguments(command.substr(2), ShellPaste::Input::pasted),
            (std::vector<std::string>{"-v", "-X", "POST", "-b", "k=v", "-H", "Accept: text/plain", "-d", "b",
                                      "http://example.com/x"}))
      << command;
}

// What the system's plain sh makes of `word`.
std::string plainShellReading(const std::string& word) {
  return shellOutput("sh -c \"printf '%s' \"" + platform::singleQuotedShellWord(word));
}

TEST(CURLCommand, ALineFeedStaysALineFeedThatEveryShellReadsBack) {
  const std::string body = "{\n  \"a\": \"$x\\\\\"\n}";
  const auto text = component(makeCURLCommand(withBody(body), {}), "-d");
  EXPECT_TRUE(text.starts_with('"') && text.find('\n') != std::string::npos) << text;
  EXPECT_EQ(plainShellReading(text), body);
  EXPECT_EQ(shellReading(text), body);
}

// A line editor under a UTF-8 locale drops bytes that are not UTF-8, so they
// go in as escapes.
TEST(CURLCommand, BytesThatAreNotUTF8AreEscaped) {
  for (const std::string value : {"a\xC3", "\xE2\x82 \xE2\x82\xAC", "\xED\xA0\x80!"}) {
    const auto text = component(makeCURLCommand(withHeaders(makeURLRequest("http://e.com"), {{"X", value}}), {}), "-H");
    EXPECT_TRUE(platform::isValidUTF8(text)) << text;
    EXPECT_EQ(shellReading(text), "X: " + value) << text;
  }
}

TEST(CURLCommand, EveryShellHandsCurlTheTextsExactly) {
  auto tabs = withHeaders(withBody("a\tb"), {{"X-Tab", "a\tb\x1B[201~"}});
  tabs.setHTTPMethod("=ls");
  const auto control = withBody("\x01$(touch made-by-body)\n");
  const auto head = withHeaders(makeURLRequest("http://example.com/x", "HEAD"), {{"X-Empty", ""}, {"X-Blank", "\t"}});
  const std::vector<std::string> commands{
      makeCURLCommand(tabs, {.credentials = {credential("=u", "p")}}).substr(2),
      makeCURLCommand(control, {.cookies = {{"k", "\x7F"}}}).substr(2),
      makeCURLCommand(head, {}).substr(2),
  };
  expectEveryShellHandsCurl(
      commands,
      {{{"-v", "-X", "=ls", "-u", "=u:p", "-H", "X-Tab: a\tb\x1B[201~", "-d", "a\tb", "http://example.com/x"}, ""},
       {{"-v", "-X", "POST", "-b", "k=\x7F", "--data-binary", "@-", "http://example.com/x"},
        "\x01$(touch made-by-body)\n"},
       {{"-v", "-I", "-H", "X-Empty;", "-H", "X-Blank;", "http://example.com/x"}, ""}});
  EXPECT_NE(commands[0].find("-d \"a\tb\""), std::string::npos) << commands[0];
}

// curl reads a body after "-d" that starts with "@" from the file it names;
// and no program can be given an argument as long as the longest bodies.
TEST(CURLCommand, NoBodyIsReadFromAFileOrGivenAsATooLongArgument) {
  const std::string longBody(platform::longestProgramArgument + 1, 'b');
  expectEveryShellHandsCurl(
      {makeCURLCommand(withBody("@secret"), {}).substr(2), makeCURLCommand(withBody(longBody), {}).substr(2),
       makeCURLCommand(withBody(std::string(platform::longestProgramArgument, 'c')), {}).substr(2)},
      {{{"-v", "-X", "POST", "--data-raw", "@secret", "http://example.com/x"}, ""},
       {{"-v", "-X", "POST", "--data-binary", "@-", "http://example.com/x"}, longBody},
       {{"-v", "-X", "POST", "-d", std::string(platform::longestProgramArgument, 'c'), "http://example.com/x"}, ""}});
}
