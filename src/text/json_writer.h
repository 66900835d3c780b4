#pragma once
// A small JSON document builder for the program's own output (the erasure report, the
// machine-readable reports of the command line): members keep the
// order they were added in, and the text is laid out two blanks per level, one member per line.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace trelvane {

class JsonValue {
 public:
  using Members = std::vector<std::pair<std::string, JsonValue>>;
  using Items = std::vector<JsonValue>;

  JsonValue() = default;  // null
  JsonValue(bool value) : value_(value) {}
  JsonValue(std::int64_t value) : value_(value) {}
  JsonValue(double value) : value_(value) {}
  JsonValue(std::string value) : value_(std::move(value)) {}
  JsonValue(const char* value) : value_(std::string(value)) {}
  static JsonValue Object() { return JsonValue(Members{}); }
  static JsonValue Array() { return JsonValue(Items{}); }
  // A number given as its decimal digits, for counts wider than 64 bits (a 128-bit NVMe counter).
  static JsonValue Digits(std::string digits) { return JsonValue(NumberText{std::move(digits)}); }
  static JsonValue Unsigned(std::uint64_t value) { return Digits(std::to_string(value)); }

  // Adds a member to an object; returns it.
  JsonValue& Add(std::string name, JsonValue value);
  // Appends an item to an array.
  void Push(JsonValue value);

  // The text at `indent` levels; nested values start on the current line.
  std::string Text(int indent = 0) const;

 private:
  struct NumberText {
    std::string digits;
  };
  explicit JsonValue(NumberText number) : value_(std::move(number)) {}
  explicit JsonValue(Members members) : value_(std::move(members)) {}
  explicit JsonValue(Items items) : value_(std::move(items)) {}

  std::variant<std::monostate, bool, std::int64_t, double, std::string, NumberText, Members, Items> value_;
};

// `value` with exactly `decimals` digits after a point, whatever the process locale: "0.256".
std::string FixedDecimal(double value, int decimals);

// `text` (UTF-8) as a JSON string literal, quotes included.
std::string JsonQuoted(const std::string& text);

}  // namespace trelvane
