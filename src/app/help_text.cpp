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
    u"Использование: trelvane-cli КОМАНДА [N] [ПАРАМЕТРЫ]\n"
    u"Стирает диски целиком, без окон: для серверов и сценариев.\n"
    u"\n"
    u"Команды:\n"
    u"  list [--debug]                       список дисков: N, шина, модель (разделы), прошивка,\n"
    u"                                       серийный номер, секторы, ёмкость — через табуляцию\n"
    u"  details N [--debug]                  сведения об устройстве\n"
    u"  smart N [--debug]                    атрибуты SMART\n"
    u"  format N [--quick] [--verify] [--report ПАПКА] [--yes] [--debug]\n"
    u"                                       заполнить диск нулями\n"
    u"N — номер устройства \\\\.\\PhysicalDriveN.\n"
    u"\n"
    u"Параметры:\n"
    u"  --quick      быстрое стирание: первые 10 240 000 и последние 1 048 576 байт\n"
    u"  --verify     после записи прочитать записанное и проверить, что там нули\n"
    u"  --report ПАПКА  сохранить отчет о стирании (JSON и текст) в эту папку; она должна существовать,\n"
    u"               быть доступной для записи и находиться не на стираемом диске\n"
    u"  --yes        не спрашивать подтверждения\n"
    u"  --debug      выводить журнал диагностики в стандартный поток ошибок\n"
    u"  --help, -h   показать эту справку и выйти\n"
    u"  --version    показать версию и выйти\n";

constexpr const char16_t* CommandLineEnding =
    u"Права администратора: для работы с дисками запускайте через sudo (sudo trelvane-cli list).\n"
    u"\n"
    u"Коды завершения:\n"
    u"  0  весь объём записан и сброшен на диск\n"
    u"  1  запись блока не удалась, проверка нашла ошибки, стирание остановлено или прервано\n"
    u"  2  ничего не записано: отказ от подтверждения, блокировка не удалась, диск занят\n"
    u"     другой программой или другим запуском, защищен от записи, устройство или папка\n"
    u"     для отчета отклонены\n"
    u"  3  неустранимая ошибка\n"
    u"  4  диск стерт, как при коде 0, но отчет о стирании сохранить не удалось\n";

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
  if (word == u"--version") return std::u16string(ProductLine) + u"\n";
  return std::nullopt;
}

}  // namespace trelvane
