#pragma once
// Reading the machine file's JSON with the field path at hand, so that every refusal can name the
// field ("drives[1].sector_size: expected an integer"). An object reader remembers the keys it was
// asked for; whatever else the object holds is an unknown field.

#include <cstdint>
#include <filesystem>
#include <limits>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace trelvane::emulated {

// A refused field. The loader adds the file name and turns it into a MachineFileError.
struct FieldProblem : std::runtime_error {
  FieldProblem(std::string fieldPath, const std::string& problem)
      : std::runtime_error(problem), path(std::move(fieldPath)) {}
  std::string path;
};

[[noreturn]] void Refuse(const std::string& path, const std::string& problem);

inline constexpr std::int64_t MaxU32 = std::numeric_limits<std::uint32_t>::max();
inline constexpr std::int64_t MaxI64 = std::numeric_limits<std::int64_t>::max();

// One JSON value and where it sits in the file.
struct Field {
  const nlohmann::json* value;
  std::string path;
};

std::int64_t AsInteger(const Field& field, std::int64_t min, std::int64_t max);
bool AsBoolean(const Field& field);
std::string AsString(const Field& field);

// Parses `text`, refusing a key that appears twice in one object (the JSON library would silently keep
// the last one, so a machine file could say two things about one field).
nlohmann::json ParseWithoutDuplicateKeys(const std::string& text);

// A path field must name a regular file: a folder, a device or a FIFO would crash, never end, or hang
// the reader. With `mayBeMissing` a file that does not exist yet is fine (it will be created).
void RequireRegularFile(const std::string& fieldPath, const std::filesystem::path& path, bool mayBeMissing);

class ObjectReader {
 public:
  // Refuses anything but an object.
  explicit ObjectReader(const Field& field);

  const std::string& Path() const { return path_; }
  std::string PathOf(std::string_view key) const;
  // The field, or nullopt when the object does not have it. Marks the key as known.
  std::optional<Field> Find(std::string_view key);
  // Absent or null.
  bool IsMissing(std::string_view key);

  std::int64_t Integer(std::string_view key, std::int64_t fallback, std::int64_t min, std::int64_t max);
  std::optional<std::int64_t> OptionalInteger(std::string_view key, std::int64_t min, std::int64_t max);
  bool Boolean(std::string_view key, bool fallback);
  std::string String(std::string_view key, const std::string& fallback);
  std::optional<std::string> OptionalString(std::string_view key);
  // Absent -> nullopt; present -> a reader (refusing a value that is not an object).
  std::optional<ObjectReader> Object(std::string_view key);
  // The elements of an array field with their paths ("drives[1]"); absent -> none.
  std::vector<Field> Items(std::string_view key);
  // The members of an object field used as a map, with their paths (`modules["SetupApi.dll"]`).
  std::vector<std::pair<std::string, Field>> Entries(std::string_view key);

  // Refuses the first key that no one asked for.
  void RejectUnknownFields() const;

 private:
  const nlohmann::json* value_;
  std::string path_;
  std::set<std::string, std::less<>> known_;
};

}  // namespace trelvane::emulated
