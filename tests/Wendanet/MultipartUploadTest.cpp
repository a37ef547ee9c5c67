#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "Platform/Files/FileError.h"
#include "Platform/Streams/InputStream.h"
#include "Wendanet/Source/Support/MultipartUpload.h"

using namespace wendanet;
namespace fs = std::filesystem;

namespace {

// The real file system under a temporary directory of the test's own; it
// can be told to see an item at every path, as when somebody else put one
// there, and it notes every removal.
class SandboxFileManager final : public platform::FileManager {
 public:
  explicit SandboxFileManager(fs::path root) : root_(std::move(root)) {}

  fs::path temporaryDirectory() const override { return root_; }
  std::optional<platform::FileType> typeOfItem(const fs::path& path) const override {
    if (seesItemEverywhere) return platform::FileType::regular;
    return FileManager::typeOfItem(path);
  }
  void removeItem(const fs::path& path) const override {
    ++removals;
    FileManager::removeItem(path);
  }

  bool seesItemEverywhere = false;
  mutable int removals = 0;

 private:
  fs::path root_;
};

std::string fileText(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

// One part "0123456789" named "f" under boundary "B".
const std::string tenByteBody =
    "--B\r\nContent-Disposition: form-data; name=\"f\"\r\n\r\n0123456789\r\n--B--\r\n";

}  // namespace

class MultipartUploadTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(root); }
  void TearDown() override { fs::remove_all(root); }

  std::shared_ptr<MultipartFormData> makeForm() { return MultipartFormData::make(fileManager, "B"); }
  std::shared_ptr<MultipartFormData> tenByteForm() {
    auto form = makeForm();
    form->append(platform::Data("0123456789"), "f");
    return form;
  }
  std::shared_ptr<MultipartUpload> makeUpload(std::uint64_t threshold, std::shared_ptr<MultipartFormData> form) {
    platform::URLRequest request(platform::URL::string("http://example.com/upload"));
    return MultipartUpload::make(threshold, std::make_shared<ConvertibleURLRequest>(request), std::move(form));
  }

  // The body files in the shared upload directory.
  std::vector<fs::path> bodyFiles() const {
    std::vector<fs::path> files;
    if (!fs::exists(directory)) return files;
    for (const auto& entry : fs::directory_iterator(directory)) files.push_back(entry.path());
    return files;
  }

  const fs::path root = fs::temp_directory_path() / ("wendanet-multipart-upload-" +
                                                     std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
  const fs::path directory = root / "org.wendanet.manager" / "multipart.form.data";
  std::shared_ptr<SandboxFileManager> fileManager = std::make_shared<SandboxFileManager>(root);
};

TEST_F(MultipartUploadTest, TheURLRequestCarriesTheFormsContentTypeUnderItsExactNameAndNothingElseChanges) {
  platform::URLRequest request(platform::URL::string("http://example.com/upload"), platform::URLRequest::CachePolicy{},
                               5);
  request.setHTTPMethod("PUT");
  request.setAllHTTPHeaderFields(platform::HTTPHeaderFields{{"X-A", "1"}, {"content-type", "text/plain"}});
  const auto upload =
      MultipartUpload::make(10, std::make_shared<ConvertibleURLRequest>(request), tenByteForm());

  const auto result = upload->asURLRequest();
  EXPECT_EQ(result.allHTTPHeaderFields(),
            (platform::HTTPHeaderFields{{"X-A", "1"}, {"Content-Type", "multipart/form-data; boundary=B"}}));
  EXPECT_EQ(result.httpMethod(), "PUT");
  EXPECT_EQ(result.timeoutInterval(), 5);
  EXPECT_EQ(result.url(), request.url());
}

TEST_F(MultipartUploadTest, ABodyBelowTheThresholdStaysInMemoryAndOneAtItGoesToAnOwnedFile) {
  const auto inMemory = makeUpload(11, tenByteForm())->createUploadable();
  ASSERT_TRUE(std::holds_alternative<Uploadable::Data>(inMemory.value()));
  EXPECT_EQ(std::get<Uploadable::Data>(inMemory.value()).data.toString(), tenByteBody);
  EXPECT_TRUE(bodyFiles().empty());

  const auto onDisk = makeUpload(10, tenByteForm())->createUploadable();
  ASSERT_TRUE(std::holds_alternative<Uploadable::File>(onDisk.value()));
  const auto& file = std::get<Uploadable::File>(onDisk.value());
  EXPECT_TRUE(file.shouldRemove);
  EXPECT_EQ(fs::path(file.url.path()).parent_path(), directory);
  EXPECT_TRUE(std::regex_match(file.url.lastPathComponent(),
                               std::regex("[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}")));
  EXPECT_EQ(fileText(file.url.path()), tenByteBody);
}

TEST_F(MultipartUploadTest, AnEmptyFormIsZeroBytesInMemoryAndAnEmptyFileAtThresholdZero) {
  const auto inMemory = makeUpload(1, makeForm())->createUploadable();
  EXPECT_EQ(std::get<Uploadable::Data>(inMemory.value()).data.size(), 0u);

  const auto onDisk = makeUpload(0, makeForm())->createUploadable();
  EXPECT_EQ(fs::file_size(std::get<Uploadable::File>(onDisk.value()).url.path()), 0u);
}

TEST_F(MultipartUploadTest, EveryCallGivesTheFirstBodyAndEachUploadHasAFileOfItsOwn) {
  const auto upload = makeUpload(0, tenByteForm());
  const auto first = std::get<Uploadable::File>(upload->createUploadable().value()).url;
  const auto second = std::get<Uploadable::File>(upload->createUploadable().value()).url;
  EXPECT_EQ(first, second);
  EXPECT_EQ(bodyFiles().size(), 1u);

  const auto other = std::get<Uploadable::File>(makeUpload(0, tenByteForm())->createUploadable().value()).url;
  EXPECT_NE(other, first);
  EXPECT_EQ(bodyFiles().size(), 2u);
}

TEST_F(MultipartUploadTest, FirstCallsOnTwoThreadsBuildOneBody) {
  const auto upload = makeUpload(0, tenByteForm());
  std::optional<platform::URL> seen[2];
  {
    std::jthread a([&] { seen[0] = std::get<Uploadable::File>(upload->createUploadable().value()).url; });
    std::jthread b([&] { seen[1] = std::get<Uploadable::File>(upload->createUploadable().value()).url; });
  }
  EXPECT_EQ(seen[0], seen[1]);
  EXPECT_EQ(bodyFiles().size(), 1u);
}

TEST_F(MultipartUploadTest, ARecordedAppendFailureIsThrownEveryTimeAndLeavesNoFile) {
  for (const std::uint64_t threshold : {100u, 0u}) {
    auto form = tenByteForm();
    form->append(*platform::URL::string("https://h/x"), "file", "x", "text/plain");
    const auto upload = makeUpload(threshold, form);
    for (int call = 0; call < 2; ++call) {
      try {
        upload->createUploadable();
        FAIL() << "no failure";
      } catch (const WNError& error) {
        EXPECT_EQ(error.errorDescription(), "The URL provided is not a file URL: https://h/x");
      }
    }
    // Only a body headed for a file makes the directory.
    EXPECT_EQ(fs::exists(directory), threshold == 0) << threshold;
    EXPECT_TRUE(bodyFiles().empty());
  }
}

TEST_F(MultipartUploadTest, AFileWhoseWritingFailedIsRemoved) {
  auto form = makeForm();
  form->append(platform::InputStream::fromData(platform::Data("abc")), 10, "f", "f.txt", "text/plain");
  try {
    makeUpload(0, form)->createUploadable();
    FAIL() << "no failure";
  } catch (const WNError& error) {
    EXPECT_NE(error.errorDescription().find("InputStream read failed"), std::string::npos)
        << error.errorDescription();
  }
  EXPECT_TRUE(bodyFiles().empty());
  EXPECT_EQ(fileManager->removals, 1);
}

TEST_F(MultipartUploadTest, AnItemAlreadyAtTheBodysPathIsNeverRemoved) {
  fileManager->seesItemEverywhere = true;
  try {
    makeUpload(0, tenByteForm())->createUploadable();
    FAIL() << "no failure";
  } catch (const WNError& error) {
    EXPECT_NE(error.errorDescription().find("already exists"), std::string::npos) << error.errorDescription();
  }
  EXPECT_EQ(fileManager->removals, 0);
}

TEST_F(MultipartUploadTest, ADirectoryThatCannotBeMadeFailsWithTheFileErrorEveryTime) {
  std::ofstream(root / "org.wendanet.manager") << "in the way";
  const auto upload = makeUpload(0, tenByteForm());
  for (int call = 0; call < 2; ++call) {
    EXPECT_THROW(upload->createUploadable(), platform::FileError);
  }
}
