// Stands in for curl when tests run command lines through a shell. Each
// call appends one record to the file named by CURL_STAND_IN_LOG: the value
// of CASE, the number of arguments, each argument and then what it read on
// its standard input (only for a data option's "@-", as curl reads it),
// every text as its length on a line of its own followed by its bytes.
// Thousands of calls make one test, so it keeps to the C library, which
// loads fast.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool appendText(FILE* record, const char* text, std::size_t length) {
  return std::fprintf(record, "%zu\n", length) > 0 && std::fwrite(text, 1, length, record) == length;
}

bool appendText(FILE* record, const char* text) { return appendText(record, text, std::strlen(text)); }

bool readsBody(const char* option) {
  return std::strcmp(option, "-d") == 0 || std::strcmp(option, "--data") == 0 ||
         std::strcmp(option, "--data-ascii") == 0 || std::strcmp(option, "--data-binary") == 0;
}

}  // namespace

int main(int argc, char** argv) {
  const char* log = std::getenv("CURL_STAND_IN_LOG");
  const char* testCase = std::getenv("CASE");
  // The record is written whole at the end, so that calls never interleave.
  char* bytes = nullptr;
  std::size_t size = 0;
  FILE* record = open_memstream(&bytes, &size);
  if (log == nullptr || record == nullptr) return 2;
  char count[16];
  std::snprintf(count, sizeof count, "%d", argc - 1);
  bool written = appendText(record, testCase == nullptr ? "" : testCase) && appendText(record, count);
  bool readsInput = false;
  for (int index = 1; index < argc; ++index) {
    written = written && appendText(record, argv[index]);
    readsInput = readsInput || (index > 1 && readsBody(argv[index - 1]) && std::strcmp(argv[index], "@-") == 0);
  }
  char* input = nullptr;
  std::size_t inputSize = 0;
  FILE* inputStream = open_memstream(&input, &inputSize);
  if (inputStream == nullptr) return 2;
  if (readsInput) {
    char buffer[65536];
    for (ssize_t got; (got = read(STDIN_FILENO, buffer, sizeof buffer)) > 0;) {
      std::fwrite(buffer, 1, static_cast<std::size_t>(got), inputStream);
    }
  }
  std::fclose(inputStream);
  written = written && appendText(record, input, inputSize) && std::fclose(record) == 0;
  FILE* file = std::fopen(log, "ab");
  written = written && file != nullptr && std::fwrite(bytes, 1, size, file) == size;
  if (file != nullptr) written = std::fclose(file) == 0 && written;
  std::free(input);
  std::free(bytes);
  if (!written) std::fputs("the stand-in for curl could not record its call\n", stderr);
  return written ? 0 : 2;
}
