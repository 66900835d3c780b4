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
    u"\n";

}  // namespace

std::u16string HelpText(ProgramKind program) {
  const bool windowed = program == ProgramKind::Windowed;
  return std::u16string(windowed ? WindowedUsage : CommandLineUsage) + EnvironmentSection +
         (windowed ? WindowedEnding : CommandLineEnding);
}

std::optional<std::u16string> InformationRequested(ProgramKind program, const std::u16string& word) {
  if (word == u"--help" || word == u"-h") return HelpText(program);
  if (word == u"--version" || (word == u"-V" && program == ProgramKind::CommandLine))
    return std::u16string(ProductLine) + u"\n";
  return std::nullopt;
}

}  // namespace trelvane
