#pragma once
// Shared helpers of the test suites.

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

#include <gtest/gtest-printers.h>

// GoogleTest prints UTF-16 texts as UTF-8. GoogleTest 1.12 has its own PrintTo for std::u16string, so
// an overload in namespace std would make every comparison ambiguous; the printer is specialised instead.
namespace testing::internal {
template <>
class UniversalPrinter<std::u16string> {
 public:
  static void Print(const std::u16string& text, std::ostream* out);
};
}  // namespace testing::internal

namespace trelvane::testing {

// A fresh temporary folder, removed when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

std::string ReadTextFile(const std::filesystem::path& file);
void WriteTextFile(const std::filesystem::path& file, const std::string& text);
std::vector<unsigned char> ReadBinaryFile(const std::filesystem::path& file);
// Sets bytes [from, to) of `file` to `value`, creating the file when it does not exist.
void FillFileRange(const std::filesystem::path& file, long long from, long long to, char value);
// Whether the file has bytes [from, to) and every one of them is `value`.
bool FileRangeIs(const std::filesystem::path& file, long long from, long long to, char value);

// A real drive's IDENTIFY or SMART block: tests/testdata/ata/<name>.
std::filesystem::path RealDriveFile(const std::string& name);
// A file under tests/ (golden texts, machine files).
std::filesystem::path TestDataFile(const std::string& relative);

// Compares `actual` with the golden file tests/golden/<name>; with TRELVANE_UPDATE_GOLDEN=1 in the
// environment it writes the file instead (review the change before committing it).
void ExpectGolden(const std::string& name, const std::string& actual);

}  // namespace trelvane::testing
