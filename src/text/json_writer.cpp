#include "text/json_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace trelvane {

std::string JsonQuoted(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (c == '\n') {
      quoted += "\\n";
    } else if (byte < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", byte);
      quoted += escape;
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

// Not through printf: the C library follows the process locale, which a windowed program sets to the
// user's (a Russian one writes "0,256", which is no JSON number).
std::string FixedDecimal(double value, int decimals) {
  if (!std::isfinite(value)) value = 0;
  char text[400];
  const auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  if (error != std::errc{}) return "0";
  return std::string(text, end);
}

JsonValue& JsonValue::Add(std::string name, JsonValue value) {
  Members& members = std::get<Members>(value_);
  members.emplace_back(std::move(name), std::move(value));
  return members.back().second;
}

void JsonValue::Push(JsonValue value) { std::get<Items>(value_).push_back(std::move(value)); }

std::string JsonValue::Text(int indent) const {
  const std::string inner(static_cast<std::size_t>(2 * (indent + 1)), ' ');
  const std::string outer(static_cast<std::size_t>(2 * indent), ' ');
  if (std::holds_alternative<std::monostate>(value_)) return "null";
  if (const bool* flag = std::get_if<bool>(&value_)) return *flag ? "true" : "false";
  if (const std::int64_t* number = std::get_if<std::int64_t>(&value_)) return std::to_string(*number);
  if (const double* real = std::get_if<double>(&value_)) return FixedDecimal(*real, 3);
  if (const std::string* text = std::get_if<std::string>(&value_)) return JsonQuoted(*text);
  if (const NumberText* number = std::get_if<NumberText>(&value_)) return number->digits;
  std::string out;
  if (const Members* members = std::get_if<Members>(&value_)) {
    if (members->empty()) return "{}";
    for (const auto& [name, member] : *members)
      out += (out.empty() ? "{\n" : ",\n") + inner + JsonQuoted(name) + ": " + member.Text(indent + 1);
    return out + "\n" + outer + "}";
  }
  const Items& items = std::get<Items>(value_);
  if (items.empty()) return "[]";
  for (const JsonValue& item : items) out += (out.empty() ? "[\n" : ",\n") + inner + item.Text(indent + 1);
  return out + "\n" + outer + "]";
}

}  // namespace trelvane
