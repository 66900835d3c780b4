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
  bool takesJson;
};

constexpr CommandShape Commands[] = {{"list", false, false, true},
                                     {"details", true, false, true},
                                     {"smart", true, false, true},
                                     {"format", true, true, false}};

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

// "-1" is a drive number the user got wrong, not an option; a lone "-" is no option either.
bool IsOptionWord(const std::string& word) {
  return word.size() > 1 && word[0] == '-' && !(word[1] >= '0' && word[1] <= '9');
}

// A device node or path names a drive the way the system does: /dev/sdb, \\.\PhysicalDrive1.
bool IsDevicePath(const std::string& word) { return word.starts_with("/") || word.starts_with("\\"); }

bool Refuse(const std::string& why) {
  PrintLine(stderr, FromUtf8(why));
  PrintUsage();
  return false;
}

// The options, with the commands that take them. An option with a value takes it after "=" or as the
// next word; --verify takes one only after "=".
enum class Scope : std::uint8_t { Any, Format, Reports };
enum class OptionId : std::uint8_t { Debug, Json, Quick, Yes, Verify, Method, Report };

struct OptionShape {
  OptionId id;
  const char* longName;
  char shortName;  // 0: none
  Scope scope;
  bool takesValue;
  const char* missingValue;  // the refusal when the value is missing
};

constexpr OptionShape Options[] = {
    {OptionId::Debug, "debug", 0, Scope::Any, false, nullptr},
    {OptionId::Json, "json", 'j', Scope::Reports, false, nullptr},
    {OptionId::Quick, "quick", 'q', Scope::Format, false, nullptr},
    {OptionId::Yes, "yes", 'y', Scope::Format, false, nullptr},
    {OptionId::Verify, "verify", 0, Scope::Format, false, nullptr},
    {OptionId::Method, "method", 0, Scope::Format, true, "Не указан способ стирания: --method"},
    {OptionId::Report, "report", 0, Scope::Format, true, "Не указана папка для отчета: --report"},
};

// One option as the line gave it: the word (for refusals) and its value.
struct GivenOption {
  const OptionShape* shape;
  std::string word;
  std::optional<std::string> value;
};

const OptionShape* FindLong(const std::string& name) {
  for (const OptionShape& option : Options)
    if (name == option.longName) return &option;
  return nullptr;
}

const OptionShape* FindShort(char letter) {
  for (const OptionShape& option : Options)
    if (option.shortName != 0 && letter == option.shortName) return &option;
  return nullptr;
}

// Splits the words into options and the rest (the command and the drive), in the order given.
bool SplitWords(const std::vector<std::string>& words, std::vector<GivenOption>& options,
                std::vector<std::string>& operands) {
  bool optionsEnded = false;
  for (std::size_t at = 0; at < words.size(); ++at) {
    const std::string& word = words[at];
    if (optionsEnded || !IsOptionWord(word)) {
      operands.push_back(word);
    } else if (word == "--") {
      optionsEnded = true;
    } else if (word.starts_with("--")) {
      const std::size_t equals = word.find('=');
      const OptionShape* option = FindLong(word.substr(2, equals == std::string::npos ? equals : equals - 2));
      if (option == nullptr) return Refuse("Неизвестный аргумент: " + word);
      GivenOption given{option, word, std::nullopt};
      if (equals != std::string::npos) {
        given.value = word.substr(equals + 1);
      } else if (option->takesValue && at + 1 < words.size()) {
        given.value = words[++at];
      }
      if (option->takesValue && (!given.value || given.value->empty())) return Refuse(option->missingValue);
      options.push_back(std::move(given));
    } else {
      // Single letters, alone or grouped; none of them takes a value.
      for (std::size_t letter = 1; letter < word.size(); ++letter) {
        const OptionShape* option = FindShort(word[letter]);
        if (option == nullptr) return Refuse("Неизвестный аргумент: " + word);
        options.push_back({option, word, std::nullopt});
      }
    }
  }
  return true;
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

bool ApplyOption(Arguments& arguments, const CommandShape& command, const GivenOption& given) {
  const OptionShape& option = *given.shape;
  const bool allowed = option.scope == Scope::Any || (option.scope == Scope::Format && command.takesFormatOptions) ||
                       (option.scope == Scope::Reports && command.takesJson);
  // Only --verify and the options with a value take one after "=".
  if (!allowed || (given.value && !option.takesValue && option.id != OptionId::Verify))
    return Refuse("Неизвестный аргумент: " + given.word);
  switch (option.id) {
    case OptionId::Debug: return arguments.debug = true;
    case OptionId::Json: return arguments.json = true;
    case OptionId::Yes: return arguments.yes = true;
    case OptionId::Quick: return (arguments.quick = true) && ApplyMethod(arguments, "quick");
    case OptionId::Method: return ApplyMethod(arguments, *given.value);
    case OptionId::Report: arguments.reportDirectory = *given.value; return true;
    case OptionId::Verify:
      if (given.value && *given.value != "full" && *given.value != "sample")
        return Refuse("Неизвестный аргумент: " + given.word);
      arguments.verifyWholeDisk = arguments.verifyWholeDisk || given.value == "full";
      return arguments.verify = true;
  }
  return false;
}

bool ApplyDrive(Arguments& arguments, const std::string& word) {
  if (IsDevicePath(word)) {
    arguments.drivePath = word;
    return true;
  }
  arguments.drive = ParseDriveNumber(word);
  return arguments.drive ? true : Refuse("Неверный номер устройства: " + word);
}

}  // namespace

void PrintUsage() {
  PrintLine(stderr,
            u"Использование:\n"
            u"  trelvane-cli list [--json] [--debug]\n"
            u"  trelvane-cli details N|УСТРОЙСТВО [--json] [--debug]\n"
            u"  trelvane-cli smart N|УСТРОЙСТВО [--json] [--debug]\n"
            u"  trelvane-cli format N|УСТРОЙСТВО [--method СПОСОБ] [--quick] [--verify[=full|sample]]\n"
            u"                        [--report ПАПКА] [--yes] [--debug]\n"
            u"СПОСОБ: auto, zero, quick, sanitize-crypto, sanitize-block, sanitize-overwrite, format-crypto,\n"
            u"format-user, secure-erase, secure-erase-enhanced.\n"
            u"N — номер устройства \\\\.\\PhysicalDriveN; УСТРОЙСТВО — его файл, например /dev/sdb.");
}

std::optional<std::string> InformationWord(const std::vector<std::string>& words) {
  for (const std::string& word : words) {
    if (word == "--") break;
    if (word == "--help" || word == "-h" || word == "--version" || word == "-V") return word;
  }
  return std::nullopt;
}

std::optional<Arguments> ParseArguments(const std::vector<std::string>& words) {
  std::vector<GivenOption> options;
  std::vector<std::string> operands;
  if (!SplitWords(words, options, operands)) return std::nullopt;
  if (operands.empty()) {
    if (options.empty()) PrintUsage();
    else Refuse("Не указана команда.");
    return std::nullopt;
  }
  const CommandShape* shape = FindCommand(operands[0]);
  if (shape == nullptr) {
    Refuse("Неизвестная команда: " + operands[0]);
    return std::nullopt;
  }
  Arguments arguments;
  arguments.command = operands[0];
  for (const GivenOption& given : options)
    if (!ApplyOption(arguments, *shape, given)) return std::nullopt;
  const std::size_t operandsTaken = shape->takesDrive ? 2 : 1;
  if (shape->takesDrive && operands.size() > 1 && !ApplyDrive(arguments, operands[1])) return std::nullopt;
  if (operands.size() > operandsTaken) {
    Refuse("Неизвестный аргумент: " + operands[operandsTaken]);
    return std::nullopt;
  }
  if (shape->takesDrive && !arguments.drive && !arguments.drivePath) {
    Refuse("Не указан номер устройства.");
    return std::nullopt;
  }
  return arguments;
}

}  // namespace trelvane::cli
