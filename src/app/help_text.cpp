#include "app/help_text.h"

#include "common/product.h"

namespace trelvane {

namespace {

constexpr const char16_t* WindowedUsage =
    u"Использование: trelvane [--debug]\n"
    u"Стирает диски целиком: показывает физические диски, сведения о выбранном диске и его SMART\n"
    u"и заполняет его нулями — весь диск или быстрым стиранием только начало и конец.\n"
    u"\n"
    u"Параметры:\n"
    u"  --debug      открыть окно отладки с полным журналом диагностики\n"
    u"  --help, -h   показать эту справку и выйти\n"
    u"  --version    показать версию и выйти\n";

constexpr const char16_t* WindowedEnding =
    u"Права администратора: запущенная обычным пользователем, программа перезапускает себя\n"
    u"через pkexec; без них работа с дисками невозможна (sudo trelvane или pkexec trelvane).\n"
    u"\n"
    u"Коды завершения:\n"
    u"  0  программа закрыта\n"
    u"  3  неустранимая ошибка или нет прав администратора\n";

constexpr const char16_t* CommandLineUsage =
    u"Использование: trelvane-cli [ПАРАМЕТРЫ] КОМАНДА [N|УСТРОЙСТВО] [ПАРАМЕТРЫ]\n"
    u"Стирает диски целиком, без окон: для серверов и сценариев.\n"
    u"\n"
    u"Команды:\n"
    u"  list [--json] [--debug]              список дисков: N, шина, модель (разделы), прошивка,\n"
    u"                                       серийный номер, секторы, ёмкость — через табуляцию\n"
    u"  details N [--json] [--debug]         сведения об устройстве\n"
    u"  smart N [--json] [--debug]           атрибуты SMART\n"
    u"  format N [--method СПОСОБ] [--quick] [--verify[=full|sample]] [--report ПАПКА] [--yes] [--debug]\n"
    u"                                       стереть диск: заполнить нулями или встроенной командой\n"
    u"                                       накопителя\n"
    u"N — номер устройства \\\\.\\PhysicalDriveN; вместо него можно назвать файл устройства (/dev/sdb).\n"
    u"Параметры пишутся до или после команды; значение — следующим словом или после «=»\n"
    u"(--report=ПАПКА); «--» завершает параметры; однобуквенные можно объединять (-qy).\n"
    u"\n"
    u"Параметры:\n"
    u"  --method СПОСОБ  способ стирания (по умолчанию zero):\n"
    u"               auto                  выбрать по накопителю и его возможностям\n"
    u"               zero                  заполнить нулями весь диск (NIST SP 800-88: Clear)\n"
    u"               quick                 то же, что --quick\n"
    u"               sanitize-crypto       NVMe Sanitize / ATA SANITIZE, криптографическое (Purge)\n"
    u"               sanitize-block        NVMe Sanitize / ATA SANITIZE, блочное (Purge)\n"
    u"               sanitize-overwrite    NVMe Sanitize / ATA SANITIZE, перезапись нулями (Clear)\n"
    u"               format-crypto         NVMe Format NVM, криптографическое (Purge)\n"
    u"               format-user           NVMe Format NVM, данные пользователя (Clear)\n"
    u"               secure-erase          ATA SECURITY ERASE UNIT, обычное (Clear)\n"
    u"               secure-erase-enhanced ATA SECURITY ERASE UNIT, расширенное (Purge или Clear)\n"
    u"               встроенное стирание нельзя остановить после начала; после него диск всегда\n"
    u"               читается обратно (выборка), --verify=full читает весь диск\n"
    u"  --quick, -q  быстрое стирание: первые 10 240 000 и последние 1 048 576 байт\n"
    u"  --verify     после записи прочитать записанное и проверить, что там нули\n"
    u"  --verify=full, --verify=sample  после встроенного стирания прочитать весь диск или выборку\n"
    u"  --report ПАПКА  сохранить отчет о стирании (JSON и текст) в эту папку; она должна существовать,\n"
    u"               быть доступной для записи и находиться не на стираемом диске\n"
    u"  --yes, -y    не спрашивать подтверждения\n"
    u"  --json, -j   list, details, smart: один документ JSON в стандартный вывод вместо текста\n"
    u"  --debug      выводить журнал диагностики в стандартный поток ошибок\n"
    u"  --help, -h   показать эту справку и выйти\n"
    u"  --version, -V  показать версию и выйти\n";

constexpr const char16_t* CommandLineEnding =
    u"Права администратора: для работы с дисками запускайте через sudo (sudo trelvane-cli list).\n"
    u"\n"
    u"Коды завершения:\n"
    u"  0  весь объём записан и сброшен на диск\n"
    u"  1  запись блока не удалась, проверка нашла ошибки, стирание остановлено или прервано,\n"
    u"     накопитель отклонил команду стирания или сообщил о сбое\n"
    u"  2  ничего не записано: отказ от подтверждения, блокировка не удалась, диск занят\n"
    u"     другой программой или другим запуском, защищен от записи, устройство или папка\n"
    u"     для отчета отклонены, накопитель не может стереть себя выбранным способом\n"
    u"  3  неустранимая ошибка\n"
    u"  4  диск стерт, как при коде 0, но отчет о стирании сохранить не удалось\n"
    u"  64  неверная командная строка: неизвестная команда или параметр, не указано значение\n";

constexpr const char16_t* EnvironmentSection =
    u"\n"
    u"Переменные окружения:\n"
    u"  TRELVANE_MACHINE=ФАЙЛ   работать на эмулированной машине из файла JSON, а не на настоящих дисках\n"
    u"  TRELVANE_DRIVES=СПИСОК  показывать только эти диски, через запятую (например /dev/sdb,/dev/sdc)\n"
    u"  LC_ALL, LC_MESSAGES, LANG  первая заданная выбирает язык этой справки (ru_*: русский)\n"
    u"\n";


// The same help in English, line for line.

constexpr const char16_t* WindowedUsageEnglish =
    u"Usage: trelvane [--debug]\n"
    u"Erases whole disk drives: shows the physical drives, information about the chosen drive and its\n"
    u"SMART, and fills it with zeros - the whole drive or, as a quick wipe, only its start and end.\n"
    u"The program's windows are in Russian.\n"
    u"\n"
    u"Options:\n"
    u"  --debug      open the debug window with the full diagnostic log\n"
    u"  --help, -h   show this help and exit\n"
    u"  --version    show the version and exit\n";

constexpr const char16_t* WindowedEndingEnglish =
    u"Administrator rights: started by an ordinary user, the program relaunches itself through\n"
    u"pkexec; without them it cannot work with drives (sudo trelvane or pkexec trelvane).\n"
    u"\n"
    u"Exit status:\n"
    u"  0  the program was closed\n"
    u"  3  fatal error or no administrator rights\n";

constexpr const char16_t* CommandLineUsageEnglish =
    u"Usage: trelvane-cli [OPTIONS] COMMAND [N|DEVICE] [OPTIONS]\n"
    u"Erases whole disk drives, without windows: for servers and scripts. Its messages are in Russian.\n"
    u"\n"
    u"Commands:\n"
    u"  list [--json] [--debug]              list the drives: N, bus, model (partitions), firmware,\n"
    u"                                       serial number, sectors, capacity - separated by tabs\n"
    u"  details N [--json] [--debug]         information about the device\n"
    u"  smart N [--json] [--debug]           SMART attributes\n"
    u"  format N [--method METHOD] [--quick] [--verify[=full|sample]] [--report FOLDER] [--yes] [--debug]\n"
    u"                                       erase the drive: fill it with zeros or by the drive's own\n"
    u"                                       erase command\n"
    u"N is the number of the device \\\\.\\PhysicalDriveN; a device file (/dev/sdb) may be named instead.\n"
    u"Options go before or after the command; a value as the next word or after \"=\"\n"
    u"(--report=FOLDER); \"--\" ends the options; one-letter options may be combined (-qy).\n"
    u"\n"
    u"Options:\n"
    u"  --method METHOD  erasure method (zero by default):\n"
    u"               auto                  choose by the drive and what it can do\n"
    u"               zero                  fill the whole drive with zeros (NIST SP 800-88: Clear)\n"
    u"               quick                 the same as --quick\n"
    u"               sanitize-crypto       NVMe Sanitize / ATA SANITIZE, cryptographic (Purge)\n"
    u"               sanitize-block        NVMe Sanitize / ATA SANITIZE, block erase (Purge)\n"
    u"               sanitize-overwrite    NVMe Sanitize / ATA SANITIZE, overwrite with zeros (Clear)\n"
    u"               format-crypto         NVMe Format NVM, cryptographic (Purge)\n"
    u"               format-user           NVMe Format NVM, user data (Clear)\n"
    u"               secure-erase          ATA SECURITY ERASE UNIT, normal (Clear)\n"
    u"               secure-erase-enhanced ATA SECURITY ERASE UNIT, enhanced (Purge or Clear)\n"
    u"               a built-in erasure cannot be stopped once started; after it the drive is always\n"
    u"               read back (a sample), --verify=full reads the whole drive\n"
    u"  --quick, -q  quick wipe: the first 10 240 000 and the last 1 048 576 bytes\n"
    u"  --verify     after writing, read back what was written and check that it is zeros\n"
    u"  --verify=full, --verify=sample  after a built-in erasure, read back the whole drive or a sample\n"
    u"  --report FOLDER  save an erasure report (JSON and text) in this folder; it must exist, be\n"
    u"               writable and not be on the drive being erased\n"
    u"  --yes, -y    do not ask for confirmation\n"
    u"  --json, -j   list, details, smart: one JSON document on standard output instead of text\n"
    u"  --debug      write the diagnostic log on standard error\n"
    u"  --help, -h   show this help and exit\n"
    u"  --version, -V  show the version and exit\n";

constexpr const char16_t* CommandLineEndingEnglish =
    u"Administrator rights: to work with drives run it through sudo (sudo trelvane-cli list).\n"
    u"\n"
    u"Exit status:\n"
    u"  0  the whole extent was written and flushed to the drive\n"
    u"  1  writing a block failed, the verification found errors, the erasure was stopped or\n"
    u"     interrupted, the drive rejected the erase command or reported a failure\n"
    u"  2  nothing was written: confirmation declined, locking failed, the drive is busy with\n"
    u"     another program or another run, write-protected, the device or the report folder\n"
    u"     was rejected, the drive cannot erase itself by the chosen method\n"
    u"  3  fatal error\n"
    u"  4  the drive was erased, as with code 0, but the erasure report could not be saved\n"
    u"  64  wrong command line: unknown command or option, a value missing\n";

constexpr const char16_t* EnvironmentSectionEnglish =
    u"\n"
    u"Environment:\n"
    u"  TRELVANE_MACHINE=FILE   work on the emulated machine from the JSON file instead of real drives\n"
    u"  TRELVANE_DRIVES=LIST    show only these drives, separated by commas (for example /dev/sdb,/dev/sdc)\n"
    u"  LC_ALL, LC_MESSAGES, LANG  the first one set chooses the language of this help (ru_*: Russian)\n"
    u"\n";

}  // namespace

std::u16string HelpText(ProgramKind program, HelpLanguage language) {
  const bool windowed = program == ProgramKind::Windowed;
  if (language == HelpLanguage::English)
    return std::u16string(windowed ? WindowedUsageEnglish : CommandLineUsageEnglish) + EnvironmentSectionEnglish +
           (windowed ? WindowedEndingEnglish : CommandLineEndingEnglish);
  return std::u16string(windowed ? WindowedUsage : CommandLineUsage) + EnvironmentSection +
         (windowed ? WindowedEnding : CommandLineEnding);
}

HelpLanguage HelpLanguageOfLocale(const std::function<std::string(const char*)>& variable) {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const std::string value = variable(name);
    if (value.empty()) continue;
    // "ru", "ru_RU.UTF-8", "ru_UA", "ru@…", but not a language whose code only begins with "ru".
    const bool russian = value.rfind("ru", 0) == 0 && (value.size() == 2 || value.find_first_of("_.@") == 2);
    return russian ? HelpLanguage::Russian : HelpLanguage::English;
  }
  return HelpLanguage::English;
}

std::optional<std::u16string> InformationRequested(ProgramKind program, const std::u16string& word,
                                                   HelpLanguage language) {
  if (word == u"--help" || word == u"-h") return HelpText(program, language);
  if (word == u"--version" || (word == u"-V" && program == ProgramKind::CommandLine))
    return std::u16string(ProductLine) + u"\n";
  return std::nullopt;
}

}  // namespace trelvane
