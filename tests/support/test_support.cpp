#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <ostream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "text/u16.h"

namespace testing::internal {
void UniversalPrinter<std::u16string>::Print(const std::u16string& text, std::ostream* out) {
  *out << '"' << trelvane::ToUtf8(text) << '"';
}
}  // namespace testing::internal

namespace trelvane::testing {

TempDir::TempDir() {
  std::random_device random;
  const auto base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto candidate = base / ("trelvane-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(candidate)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ReadTextFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + file.string());
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteTextFile(const std::filesystem::path& file, const std::string& text) {
  std::ofstream out(file, std::ios::binary);
  out << text;
}

std::vector<unsigned char> ReadBinaryFile(const std::filesystem::path& file) {
  const std::string text = ReadTextFile(file);
  return {text.begin(), text.end()};
}

void FillFileRange(const std::filesystem::path& file, long long from, long long to, char value) {
  if (!std::filesystem::exists(file)) std::ofstream{file, std::ios::binary};
  std::fstream out(file, std::ios::binary | std::ios::in | std::ios::out);
  out.seekp(from);
  const std::string chunk(1 << 20, value);
  for (long long at = from; at < to; at += static_cast<long long>(chunk.size()))
    out.write(chunk.data(), static_cast<std::streamsize>(std::min<long long>(to - at, static_cast<long long>(chunk.size()))));
}

bool FileRangeIs(const std::filesystem::path& file, long long from, long long to, char value) {
  std::ifstream in(file, std::ios::binary);
  in.seekg(from);
  std::string chunk(1 << 20, '\0');
  for (long long at = from; at < to;) {
    const auto count = static_cast<std::size_t>(std::min<long long>(to - at, static_cast<long long>(chunk.size())));
    in.read(chunk.data(), static_cast<std::streamsize>(count));
    if (static_cast<std::size_t>(in.gcount()) != count || chunk.find_first_not_of(value) < count) return false;
    at += static_cast<long long>(count);
  }
  return true;
}

std::filesystem::path RealDriveFile(const std::string& name) {
  return std::filesystem::path(TRELVANE_TEST_DATA_DIR) / "testdata" / "ata" / name;
}

std::filesystem::path TestDataFile(const std::string& relative) {
  return std::filesystem::path(TRELVANE_TEST_DATA_DIR) / relative;
}

void ExpectGolden(const std::string& name, const std::string& actual) {
  const auto file = TestDataFile("golden/" + name);
  const char* update = std::getenv("TRELVANE_UPDATE_GOLDEN");
  if (update != nullptr && std::string(update) == "1") {
    std::filesystem::create_directories(file.parent_path());
    WriteTextFile(file, actual);
    return;
  }
  ASSERT_TRUE(std::filesystem::exists(file)) << "missing golden file " << file;
  EXPECT_EQ(ReadTextFile(file), actual) << "golden file " << file;
}

}  // namespace trelvane::testing
