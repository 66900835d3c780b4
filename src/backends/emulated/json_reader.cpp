#include "backends/emulated/json_reader.h"

namespace trelvane::emulated {

void Refuse(const std::string& path, const std::string& problem) { throw FieldProblem(path, problem); }

namespace {

// Where the parser is: one frame per open object or array.
struct JsonFrame {
  bool isArray = false;
  std::size_t index = 0;  // arrays: the element being read
  std::string key;        // objects: the last key read
  std::set<std::string> keys;
};

std::string FramePath(const std::vector<JsonFrame>& frames) {
  std::string path;
  for (const JsonFrame& frame : frames) {
    if (frame.isArray) path += "[" + std::to_string(frame.index) + "]";
    else if (!frame.key.empty()) path += (path.empty() ? "" : ".") + frame.key;
  }
  return path;
}

void ElementDone(std::vector<JsonFrame>& frames) {
  if (!frames.empty() && frames.back().isArray) ++frames.back().index;
}

}  // namespace

nlohmann::json ParseWithoutDuplicateKeys(const std::string& text) {
  using Event = nlohmann::json::parse_event_t;
  std::vector<JsonFrame> frames;
  return nlohmann::json::parse(text, [&frames](int, Event event, nlohmann::json& parsed) {
    switch (event) {
      case Event::object_start:
      case Event::array_start:
        frames.emplace_back().isArray = event == Event::array_start;
        break;
      case Event::key: {
        frames.back().key = parsed.get<std::string>();
        if (!frames.back().keys.insert(frames.back().key).second) Refuse(FramePath(frames), "duplicate key");
        break;
      }
      case Event::object_end:
      case Event::array_end:
        frames.pop_back();
        ElementDone(frames);
        break;
      case Event::value:
        ElementDone(frames);
        break;
    }
    return true;
  });
}

void RequireRegularFile(const std::string& fieldPath, const std::filesystem::path& path, bool mayBeMissing) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (status.type() == std::filesystem::file_type::not_found && mayBeMissing) return;
  if (status.type() == std::filesystem::file_type::not_found) Refuse(fieldPath, "cannot read " + path.string());
  if (status.type() != std::filesystem::file_type::regular) Refuse(fieldPath, path.string() + " is not a regular file");
}

namespace {

std::string RangeText(std::int64_t min, std::int64_t max) {
  if (min == 0 && max == MaxI64) return "expected a non-negative integer";
  return "expected an integer from " + std::to_string(min) + " to " + std::to_string(max);
}

}  // namespace

std::int64_t AsInteger(const Field& field, std::int64_t min, std::int64_t max) {
  const nlohmann::json& value = *field.value;
  if (!value.is_number_integer()) Refuse(field.path, "expected an integer");
  if (value.is_number_unsigned()) {
    const auto number = value.get<std::uint64_t>();
    if (number > static_cast<std::uint64_t>(max)) Refuse(field.path, RangeText(min, max));
    const auto result = static_cast<std::int64_t>(number);
    if (result < min) Refuse(field.path, RangeText(min, max));
    return result;
  }
  const auto number = value.get<std::int64_t>();
  if (number < min || number > max) Refuse(field.path, RangeText(min, max));
  return number;
}

bool AsBoolean(const Field& field) {
  if (!field.value->is_boolean()) Refuse(field.path, "expected true or false");
  return field.value->get<bool>();
}

std::string AsString(const Field& field) {
  if (!field.value->is_string()) Refuse(field.path, "expected a string");
  return field.value->get<std::string>();
}

ObjectReader::ObjectReader(const Field& field) : value_(field.value), path_(field.path) {
  if (!value_->is_object()) Refuse(path_.empty() ? std::string("(top)") : path_, "expected an object");
}

std::string ObjectReader::PathOf(std::string_view key) const {
  return path_.empty() ? std::string(key) : path_ + "." + std::string(key);
}

std::optional<Field> ObjectReader::Find(std::string_view key) {
  known_.insert(std::string(key));
  const auto found = value_->find(std::string(key));
  if (found == value_->end()) return std::nullopt;
  return Field{&*found, PathOf(key)};
}

bool ObjectReader::IsMissing(std::string_view key) {
  const auto field = Find(key);
  return !field || field->value->is_null();
}

std::int64_t ObjectReader::Integer(std::string_view key, std::int64_t fallback, std::int64_t min,
                                   std::int64_t max) {
  const auto field = Find(key);
  return field ? AsInteger(*field, min, max) : fallback;
}

std::optional<std::int64_t> ObjectReader::OptionalInteger(std::string_view key, std::int64_t min,
                                                          std::int64_t max) {
  const auto field = Find(key);
  if (!field || field->value->is_null()) return std::nullopt;
  return AsInteger(*field, min, max);
}

bool ObjectReader::Boolean(std::string_view key, bool fallback) {
  const auto field = Find(key);
  return field ? AsBoolean(*field) : fallback;
}

std::string ObjectReader::String(std::string_view key, const std::string& fallback) {
  const auto field = Find(key);
  return field ? AsString(*field) : fallback;
}

std::optional<std::string> ObjectReader::OptionalString(std::string_view key) {
  const auto field = Find(key);
  if (!field || field->value->is_null()) return std::nullopt;
  if (!field->value->is_string()) Refuse(field->path, "expected a string or null");
  return field->value->get<std::string>();
}

std::optional<ObjectReader> ObjectReader::Object(std::string_view key) {
  const auto field = Find(key);
  if (!field) return std::nullopt;
  return ObjectReader(*field);
}

std::vector<Field> ObjectReader::Items(std::string_view key) {
  std::vector<Field> items;
  const auto field = Find(key);
  if (!field) return items;
  if (!field->value->is_array()) Refuse(field->path, "expected an array");
  for (std::size_t i = 0; i < field->value->size(); ++i)
    items.push_back(Field{&(*field->value)[i], field->path + "[" + std::to_string(i) + "]"});
  return items;
}

std::vector<std::pair<std::string, Field>> ObjectReader::Entries(std::string_view key) {
  std::vector<std::pair<std::string, Field>> entries;
  const auto field = Find(key);
  if (!field) return entries;
  if (!field->value->is_object()) Refuse(field->path, "expected an object");
  for (const auto& [name, value] : field->value->items())
    entries.emplace_back(name, Field{&value, field->path + "[\"" + name + "\"]"});
  return entries;
}

void ObjectReader::RejectUnknownFields() const {
  for (const auto& [name, value] : value_->items())
    if (!known_.contains(name)) Refuse(PathOf(name), "unknown field");
}

}  // namespace trelvane::emulated
