#include "cli/arguments.h"

#include <charconv>
#include <cstdio>

#include "cli/console_output.h"
#include "text/u16.h"

namespace trelvane::cli {

namespace {

struct CommandShape {
  const char* name;
  bool takesDrive;
  bool takesFormatOptions;
};

constexpr CommandShape Commands[] = {
    {"list", false, false}, {"details", true, false}, {"smart", true, false}, {"format", true, true}};

const CommandShape* FindCommand(const std::string& name) {
  for (const CommandShape& shape : Commands)
    if (name == shape.name) return &shape;
  return nullptr;
}

std::optional<std::int64_t> ParseDriveNumber(const std::string& word) {
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (error != std::errc{} || end != word.data() + word.size() || value < 0 || value > 255) return std::nullopt;
  return value;
}

// "-1" is a drive number the user got wrong, not an option.
bool LooksLikeNumber(const std::string& word) {
  return !word.starts_with("-") || (word.size() > 1 && word[1] >= '0' && word[1] <= '9');
}

bool Refuse(const std::string& why) {
  PrintLine(stderr, FromUtf8(why));
  PrintUsage();
  return false;
}

// --method NAME or --method=NAME; --quick names the quick wipe, and only one method may be named.
bool ApplyMethod(Arguments& arguments, const std::string& name) {
  const std::optional<EraseMethodId> method = MethodFromCommandLineName(name);
  if (!method) return Refuse("Неизвестный способ стирания: " + name);
  if (arguments.method && *arguments.method != *method)
    return Refuse("Указано несколько способов стирания: " + std::string(CommandLineName(*arguments.method)) + " и " +
                  name);
  arguments.method = method;
  return true;
}

// Applies words[at] (and the value after an option that takes one, moving `at` past it).
bool ApplyWord(Arguments& arguments, const CommandShape& shape, const std::vector<std::string>& words,
               std::size_t& at) {
  const std::string& word = words[at];
  if (shape.takesFormatOptions && (word == "--verify" || word == "--verify=sample")) return arguments.verify = true;
  if (shape.takesFormatOptions && word == "--verify=full") return arguments.verify = arguments.verifyWholeDisk = true;
  if (shape.takesFormatOptions && word == "--method") {
    if (at + 1 >= words.size() || words[at + 1].empty()) return Refuse("Не указан способ стирания: --method");
    return ApplyMethod(arguments, words[++at]);
  }
  if (shape.takesFormatOptions && word.starts_with("--method=")) return ApplyMethod(arguments, word.substr(9));
  if (shape.takesFormatOptions && word == "--report") {
    if (at + 1 >= words.size() || words[at + 1].empty()) return Refuse("Не указана папка для отчета: --report");
    arguments.reportDirectory = words[++at];
    return true;
  }
  if (word == "--debug") return arguments.debug = true;
  if (shape.takesFormatOptions && word == "--quick") return (arguments.quick = true) && ApplyMethod(arguments, "quick");
  if (shape.takesFormatOptions && word == "--yes") return arguments.yes = true;
  if (shape.takesDrive && !arguments.drive && LooksLikeNumber(word)) {
    arguments.drive = ParseDriveNumber(word);
    return arguments.drive ? true : Refuse("Неверный номер устройства: " + word);
  }
  return Refuse("Неизвестный аргумент: " + word);
}

}  // namespace

void PrintUsage() {
  PrintLine(stderr,
            u"Использование:\n"
            u"  trelvane-cli list [--debug]\n"
            u"  trelvane-cli details N [--debug]\n"
            u"  trelvane-cli smart N [--debug]\n"
            u"  trelvane-cli format N [--method СПОСОБ] [--quick] [--verify[=full|sample]] [--report ПАПКА] [--yes]\n"
            u"                        [--debug]\n"
            u"СПОСОБ: auto, zero, quick, sanitize-crypto, sanitize-block, sanitize-overwrite, format-crypto,\n"
            u"format-user, secure-erase, secure-erase-enhanced.\n"
            u"N — номер устройства \\\\.\\PhysicalDriveN.");
}

std::optional<Arguments> ParseArguments(const std::vector<std::string>& words) {
  if (words.empty()) {
    PrintUsage();
    return std::nullopt;
  }
  const CommandShape* shape = FindCommand(words[0]);
  if (shape == nullptr) {
    Refuse("Неизвестная команда: " + words[0]);
    return std::nullopt;
  }
  Arguments arguments;
  arguments.command = words[0];
  for (std::size_t i = 1; i < words.size(); ++i)
    if (!ApplyWord(arguments, *shape, words, i)) return std::nullopt;
  if (shape->takesDrive && !arguments.drive) {
    Refuse("Не указан номер устройства.");
    return std::nullopt;
  }
  return arguments;
}

}  // namespace trelvane::cli
