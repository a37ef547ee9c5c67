#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "Platform/Foundation/ShellQuoting.h"
#include "Platform/Foundation/UTF8.h"
#include "Platform/Streams/InputStream.h"
#include "Wendalore/History/CurlCommand.h"
#include "Wendalore/History/FormOption.h"
#include "Wendalore/History/HeaderRows.h"
#include "Wendanet/Source/Support/CURLCommand.h"
#include "tests/Platform/CurlStandIn.h"

using namespace wendalore;
using namespace std::string_literals;

namespace {

// Short texts of any bytes, now and then with a piece that a shell, a
// terminal or curl acts on.
class RandomTexts {
 public:
  explicit RandomTexts(std::uint32_t seed) : engine_(seed) {}

  std::string text(std::size_t longest = 10) {
    static const std::string pieces[] = {
        "$(touch ran)", "`touch ran`", ";touch ran;", ">ran",  "'",           "\"", "\\",
        "\\\n",         "!!",          "!$",          "=",     "~",           "@",  "@-",
        "%s",           "\\0",         "-",           "\n",    "\t",          "\r", "\x1B[201~",
        "$HOME",        "*",           "[a]",         "{a,b}", "#",           "|",  "$'\\x41'",
        "\xE2\x82\xAC", "\xC3",        "\0"s,         "\x7F",  "\xED\xA0\x80"};
    std::string text;
    for (auto count = below(longest + 1); count > 0; --count) {
      if (oneIn(8)) {
        text += pieces[below(std::size(pieces))];
      } else {
        text += static_cast<char>(oneIn(10) ? below(256) : ' ' + below(95));
      }
    }
    return text;
  }

  std::size_t below(std::size_t bound) { return std::uniform_int_distribution<std::size_t>(0, bound - 1)(engine_); }
  bool oneIn(std::size_t count) { return below(count) == 0; }

 private:
  std::mt19937 engine_;
};

// An argument cannot hold a NUL; the texts leave it out.
std::string argument(std::string text) {
  std::erase(text, '\0');
  return text;
}

// What a text means curl to get: its arguments but those of the body, and
// the body, given either way.
struct Meant {
  std::vector<std::string> arguments;
  std::optional<std::string> body;
};

// `call` as a `Meant`, taking the body from its option's argument or, with
// "@-", from what curl read. A body after "-d" must not name a file.
Meant received(const CurlStandIn::Call& call) {
  Meant received;
  const auto& arguments = call.arguments;
  for (std::size_t index = 0; index < arguments.size(); ++index) {
    const auto& option = arguments[index];
    const bool takesValue = option == "-X" || option == "-u" || option == "-b" || option == "-H" || option == "-F";
    const bool takesBody = option == "-d" || option == "--data-raw" || option == "--data-binary";
    if (!takesBody || index + 1 == arguments.size()) {
      received.arguments.push_back(option);
      if (takesValue && index + 1 < arguments.size()) received.arguments.push_back(arguments[++index]);
      continue;
    }
    const auto& value = arguments[++index];
    if (option == "--data-binary") {
      EXPECT_EQ(value, "@-");
      received.body = call.input;
    } else {
      EXPECT_TRUE(option == "--data-raw" || !value.starts_with('@')) << value;
      received.body = value;
    }
  }
  return received;
}

struct Example {
  std::string command;
  Meant meant;
};

// Header names start apart, so that no two match in any letter case.
std::string headerName(RandomTexts& random, std::size_t index) {
  return "X" + std::to_string(index) + "-" + random.text(6);
}

// Now and then nothing but spaces and tabs, or nothing at all.
std::string headerValue(RandomTexts& random) {
  if (!random.oneIn(5)) return random.text();
  std::string blank;
  for (auto count = random.below(3); count > 0; --count) blank += random.oneIn(2) ? ' ' : '\t';
  return blank;
}

// curl leaves out a field given with a blank value; "Name;" sends it empty.
std::string headerArgument(const std::string& name, const std::string& value) {
  const bool blank = value.find_first_not_of(" \t") == std::string::npos;
  return argument(blank ? name + ";" : name + ": " + value);
}

// With "-X HEAD" curl would wait for a body; "-I" asks for the head alone.
std::vector<std::string> methodArguments(const std::string& method) {
  if (method == "HEAD") return {"-I"};
  return {"-X", argument(method)};
}

// curl changes its method when given a body or a form, and the transfer
// frames a POST without a body; HEAD is the method that carries none.
std::string randomMethod(RandomTexts& random) {
  static const std::string common[] = {"GET", "POST", "HEAD", "PUT"};
  return random.oneIn(2) ? common[random.below(std::size(common))] : random.text(6);
}

// Now and then a Content-Length field in any letter case, with any value;
// the transfer writes its own in its place.
std::optional<HeaderRow> randomLengthField(RandomTexts& random) {
  if (!random.oneIn(3)) return std::nullopt;
  std::string name = "content-length";
  for (auto& character : name) {
    if (random.oneIn(2)) character = static_cast<char>(std::toupper(static_cast<unsigned char>(character)));
  }
  static const std::string values[] = {"", " \t", "999", "0"};
  return HeaderRow{name, random.oneIn(3) ? random.text(4) : values[random.below(std::size(values))]};
}

// A record as a send makes it, of any body kind: a body goes along only
// when the method sends one, with the length the transfer wrote for it.
Example historyExample(RandomTexts& random) {
  HeaderDictionary headers;
  for (auto count = random.below(4); count > 0; --count) headers[headerName(random, count)] = headerValue(random);
  auto recorded = headers;
  if (const auto field = randomLengthField(random)) recorded.insert(*field);
  const auto method = random.oneIn(4) ? "POST"s : randomMethod(random);
  std::optional<std::string> body;
  if (!random.oneIn(3)) {
    body = random.oneIn(400) ? std::string(platform::longestProgramArgument + 1, 'b') : random.text(30);
  }
  const bool sendsBody = method != "HEAD" && !random.oneIn(4);
  const auto item = RequestHistoryItem::make(platform::Date{}, method, random.text(20), recorded, body, sendsBody);
  std::optional<SentForm> form;
  if (random.oneIn(6)) {
    form = SentForm{"b1", {}};
    if (!random.oneIn(4)) {
      form->files.push_back({random.text(6), random.text(6), random.text(6), "/tmp/" + random.text(6), 5});
    }
  }
  std::optional<std::uint64_t> sentLength;
  if (sendsBody) sentLength = form ? (form->files.empty() ? 0 : 300) : body.value_or("").size();
  if (!sendsBody && method == "POST") sentLength = 0;
  item->setSentContent(form ? std::optional("multipart/form-data; boundary=b1"s) : std::nullopt, form, sentLength);

  const bool curlGetsForm = sendsBody && form && !form->files.empty();
  const bool curlGetsBody = sendsBody && !form && body && !body->empty();
  Meant meant;
  if (method != "GET" || curlGetsForm || curlGetsBody) meant.arguments = methodArguments(method);
  if (form && !curlGetsForm) headers["Content-Type"] = "multipart/form-data; boundary=b1";
  if (sentLength && !curlGetsForm && !curlGetsBody) headers["Content-Length"] = std::to_string(*sentLength);
  for (const auto& [name, value] : sortedHeaders(headers)) {
    meant.arguments.insert(meant.arguments.end(), {"-H", headerArgument(name, value)});
  }
  if (curlGetsForm) meant.arguments.insert(meant.arguments.end(), {"-F", argument(formOption(form->files[0]))});
  meant.arguments.push_back(argument(item->url()));
  if (curlGetsBody) meant.body = body;
  return {curlCommand(*item), meant};
}

Example libraryExample(RandomTexts& random) {
  auto url = platform::URL::string("http://h/" + random.text(20));
  if (!url) url = platform::URL::string("http://h/");
  platform::URLRequest request(*url);
  const auto method = randomMethod(random);
  request.setHTTPMethod(method);
  platform::HTTPHeaderFields fields;
  for (auto count = random.below(4); count > 0; --count) {
    fields.emplace_back(headerName(random, count), headerValue(random));
  }
  auto requestFields = fields;
  if (const auto field = randomLengthField(random)) {
    requestFields.insert(requestFields.begin() + random.below(requestFields.size() + 1), *field);
  }
  request.setAllHTTPHeaderFields(requestFields);
  Meant meant{{"-v"}, std::nullopt};
  std::ranges::copy(methodArguments(method), std::back_inserter(meant.arguments));
  wendanet::CURLCommandContext context;
  if (random.oneIn(3)) {
    platform::URLCredential credential;
    credential.user = random.text(6);
    credential.password = random.text(6);
    context.credentials.push_back(credential);
    meant.arguments.insert(meant.arguments.end(), {"-u", argument(*credential.user + ":" + *credential.password)});
  }
  if (random.oneIn(3)) {
    context.cookies = {{random.text(4), random.text(6)}};
    meant.arguments.insert(meant.arguments.end(),
                           {"-b", argument(context.cookies[0].first + "=" + context.cookies[0].second)});
  }
  if (const auto field = randomLengthField(random)) {
    context.configurationHeaders.update(field->first, field->second);
  }
  for (const auto& [name, value] : fields) {
    meant.arguments.insert(meant.arguments.end(), {"-H", headerArgument(name, value)});
  }
  if (!random.oneIn(3)) {
    const auto body = random.oneIn(400) ? std::string(platform::longestProgramArgument + 1, '@') : random.text(30);
    request.setHTTPBody(platform::Data(body));
    if (method != "HEAD") meant.body = platform::decodeUTF8Repairing(body);
  } else if (random.oneIn(3)) {
    // A body read from a stream is not shown, and goes without a length.
    request.setHTTPBodyStream(platform::InputStream::fromData(platform::Data("streamed")));
  }
  if (method == "POST" && !request.httpBody() && !request.httpBodyStream()) {
    meant.arguments.insert(meant.arguments.end(), {"-H", "Content-Length: 0"});
  }
  meant.arguments.push_back(argument(url->absoluteString()));
  // The text starts with a prompt.
  return {wendanet::makeCURLCommand(request, context).substr(2), meant};
}

// Random requests, every byte in every field, turned into both texts and
// run by every shell from a script and piped, with a stand-in curl: each
// text makes one call with exactly what was meant, and nothing else runs.
TEST(CurlTexts, EveryShellReadsBackEveryByteOfRandomRequests) {
  RandomTexts random(20261207);
  const CurlStandIn curl;
  std::vector<Example> examples;
  for (int request = 0; request < 1500; ++request) {
    examples.push_back(historyExample(random));
    examples.push_back(libraryExample(random));
  }
  std::vector<std::string> commands;
  for (const auto& example : examples) commands.push_back(example.command);

  std::vector<std::future<std::vector<std::vector<CurlStandIn::Call>>>> runs;
  for (const auto shell : CurlStandIn::shells) {
    for (const auto feed : CurlStandIn::feeds) {
      runs.push_back(
          std::async(std::launch::async, [&curl, &commands, shell, feed] { return curl.run(shell, commands, feed); }));
    }
  }
  int failures = 0;
  for (std::size_t run = 0; run < runs.size(); ++run) {
    const auto calls = runs[run].get();
    for (std::size_t index = 0; index < examples.size() && failures < 10; ++index) {
      const auto& meant = examples[index].meant;
      const auto got = calls[index].size() == 1 ? received(calls[index][0]) : Meant{};
      if (got.arguments == meant.arguments && got.body == meant.body) continue;
      ++failures;
      ADD_FAILURE() << CurlStandIn::shells[run / 2] << " run " << run << ", case " << index << ", "
                    << calls[index].size() << " calls\n"
                    << examples[index].command;
    }
  }
  EXPECT_TRUE(std::filesystem::is_empty(curl.folder()));
}

}  // namespace
