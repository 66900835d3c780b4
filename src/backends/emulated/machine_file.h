#pragma once
// Reading and validating the emulated machine file. Every field is optional and defaults to an
// ordinary healthy machine; an unknown field or a value of the wrong kind is refused with a
// FieldProblem naming its path. The contract of the fields is the machine file section of the
// design; additions of this backend are marked where they are read.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "backends/emulated/json_reader.h"
#include "backends/emulated/machine.h"

namespace trelvane::emulated {

MachineConfig ParseMachine(const nlohmann::json& file, const std::filesystem::path& baseDirectory,
                           const std::string& fileName);
DriveConfig ParseDrive(const Field& field, std::size_t index, const std::filesystem::path& baseDirectory);

// `<name>_error` (a code) and `<name>_fails` (fail even with code 0) of one kind of request.
RequestFault ReadRequestFault(ObjectReader& reader, std::string_view name);
// A file name of the machine file, taken relative to the file's folder.
std::filesystem::path ResolvePath(const std::filesystem::path& baseDirectory, const std::string& utf8Name);
// A JSON string whose characters are all of code 0 to 255, one byte each.
std::string ByteString(const Field& field);

}  // namespace trelvane::emulated
