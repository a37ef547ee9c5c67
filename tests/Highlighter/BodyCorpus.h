#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Response bodies of the kinds users meet every day, each holding what a
// highlighter cut into pieces gets wrong: a long token, a string, comment,
// template string or CDATA section longer than a piece, blocks in another
// language.
struct CorpusBody {
  std::string name;
  std::string language;
  std::string text;
  // Whether it holds a run of word characters longer than a piece may.
  bool longWord = false;
};

namespace corpus {

inline std::string repeat(const std::string& text, std::size_t times) {
  std::string result;
  for (std::size_t index = 0; index < times; ++index) result += text;
  return result;
}

// `size` characters of Base64 from a fixed pseudo-random sequence.
inline std::string base64(std::size_t size) {
  static constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::uint32_t state = 12345;
  std::string result;
  for (std::size_t index = 0; index < size; ++index) {
    state = state * 1103515245u + 12345u;
    result += alphabet[(state >> 16) % 64];
  }
  return result;
}

inline std::string anythingEcho(const std::string& value) {
  return "{\n  \"args\": {\n    \"t\": \"" + value + "\", \n    \"z\": \"1\"\n  }, \n  \"data\": \"\", \n  \"files\": {}, \n"
         "  \"form\": {}, \n  \"headers\": {\n    \"Accept\": \"*/*\", \n    \"Host\": \"127.0.0.1:8080\"\n  }, \n"
         "  \"json\": null, \n  \"method\": \"GET\", \n  \"origin\": \"127.0.0.1\", \n"
         "  \"url\": \"http://127.0.0.1:8080/anything?t=" + value + "&z=1\"\n}\n";
}

inline std::string keys(int count) {
  std::string result;
  for (int index = 0; index < count; ++index) {
    result += ",\n  \"key" + std::to_string(index) + "\": [" + std::to_string(index) + ", true, null, \"v\"]";
  }
  return result;
}

inline std::string css(std::size_t size) {
  std::string result;
  for (int index = 0; result.size() < size; ++index) {
    result += ".item-" + std::to_string(index) + " > a:hover, #main {\n  color: #" + std::to_string(100000 + index) +
              ";\n  margin: 0 auto 4px;\n  background: url(\"x.png\") no-repeat; /* note */\n}\n";
  }
  return result;
}

inline std::string script(std::size_t size) {
  std::string result;
  for (int index = 0; result.size() < size; ++index) {
    result += "function f" + std::to_string(index) + "(a, b) {\n  if (a < b && b > 0) return \"<p>\" + a;\n"
              "  return `t${a}` + /x+\\//g.source; // done\n}\n";
  }
  return result;
}

// `size` characters of Base64 of data mostly zero, as images and files
// often are: one run of word characters of nearly that length.
inline std::string zeroBase64(std::size_t size) { return base64(64) + std::string(size - 128, 'A') + base64(64); }

// Bodies holding a run of word characters much longer than a piece inside
// a string, in each language's own string syntax.
inline std::vector<CorpusBody> longWordsInStrings() {
  const std::string image = "{\"name\": \"image.bmp\", \"data\": \"" + zeroBase64(12000) + "\"}";
  return {
      {"a 40 KB JSON with a Base64 value of mostly zero bytes on one line", "json",
       "{\"name\": \"file.bin\", \"data\": \"" + zeroBase64(40000) + "\", \"size\": 30000, \"ok\": true}", true},
      {"a JSON list of four such values", "json", "[\n  " + repeat(image + ",\n  ", 4) + "null\n]\n", true},
      {"a JavaScript string and template string", "javascript",
       "const icon = 'data:image/png;base64," + zeroBase64(20000) + "';\nconst page = `<img src=\"" +
           zeroBase64(20000) + "\">`;\nconst after = \"done\"; // the end\n",
       true},
      {"an XML attribute value", "xml",
       "<root>\n  <img alt=\"x\" src=\"data:image/gif;base64," + zeroBase64(30000) +
           "\"/>\n  <p>after &amp; more</p>\n</root>\n",
       true},
      {"a CSS string", "css",
       ".icon {\n  content: \"" + zeroBase64(20000) + "\";\n  color: red;\n}\n" + css(2000), true},
  };
}

inline std::vector<CorpusBody> bodies() {
  const std::string sentence = "The quick brown fox, said \\\"she\\\", jumps over the lazy dog: {not [json]}. ";
  const std::string commentLine = " * var x = \"not a string; if (a < b) { return 'c'; } <b>bold</b>\n";
  const std::string templateLine = "<div class=\"row\" data-x='1'>${item.name} /* no comment */ \"quoted\"</div>\n";
  const std::string cdataLine = "if (a < b && c > d) { x = \"<tag attr='v'>\"; } <!-- not a comment -->\n";
  return {
      {"a 2 KB JSON holding a 2,000-character token", "json",
       "{\"digest\": \"" + std::string(2000, 'f') + "\", \"after\": [1, true, null, \"s\"]}", true},
      {"a URL echo with a 5,000-character query value", "json", anythingEcho(std::string(5000, 'A')), true},
      {"a 40 KB JSON with a Base64 value on one line", "json",
       "{\"name\": \"file.bin\", \"data\": \"" + base64(40000) + "\", \"size\": 40000, \"ok\": true}"},
      {"a 22 KB JSON, a 20 KB sentence then 100 keys", "json",
       "{\n  \"text\": \"" + repeat(sentence, 20000 / sentence.size()) + "\"" + keys(100) + "\n}\n"},
      {"a 14 KB JavaScript block comment", "javascript",
       "/*\n" + repeat(commentLine, 14000 / commentLine.size()) + " */\nconst after = \"done\"; // the end\n"},
      {"a 20 KB JavaScript template string", "javascript",
       "const page = `\n" + repeat(templateLine, 20000 / templateLine.size()) + "`;\nconst after = 'done' + 1;\n"},
      {"a 30 KB XML with CDATA", "xml",
       "<?xml version=\"1.0\"?>\n<root>\n  <code><![CDATA[\n" + repeat(cdataLine, 30000 / cdataLine.size()) +
           "]]></code>\n  <item id=\"1\">text &amp; more</item>\n</root>\n"},
      {"a 40 KB HTML page with a script and a style block", "xml",
       "<!DOCTYPE html>\n<html>\n<head>\n<style>\n" + css(12000) + "</style>\n</head>\n<body class=\"page\">\n" +
           repeat("<p id=\"x\">Text &amp; <b>bold</b></p>\n", 200) + "<script>\n" + script(16000) +
           "</script>\n<p>after</p>\n</body>\n</html>\n"},
      {"a 40 KB CSS", "css", css(40000)},
  };
}

}  // namespace corpus
