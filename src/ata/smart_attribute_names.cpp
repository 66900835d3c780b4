#include "ata/smart_attribute_names.h"

namespace trelvane {

namespace {

struct NamedAttribute {
  int id;
  std::u16string_view name;
};

// The attributes that have a name; the trailing blanks belong to the names.
constexpr NamedAttribute NamedAttributes[] = {
    {1, u"Частота ошибок чтения     "},
    {2, u"Производительность диска  "},
    {3, u"Время раскрутки шпинделя  "},
    {4, u"Количество включений диска"},
    {5, u"Переназначенные сектора   "},
    {6, u"Запас канала чтения       "},
    {7, u"Ошибки позиционирования   "},
    {8, u"Скорость позиционирования "},
    {9, u"Отработанное время        "},
    {10, u"Повторы раскрутки шпинделя"},
    {11, u"Повторы попыток калибровки"},
    {12, u"Циклы включения-выключения"},
    {13, u"Программные ошибки чтения "},
    {99, u"Среднее FHC (все головки) "},
    {100, u"Минимальное FHC           "},
    {101, u"Максимальное FHC          "},
    {184, u"Ошибки при кэш-передаче   "},
    {187, u"Неустранимые ошибки       "},
    {188, u"Время ожидания команд     "},
    {189, u"Записи при высоком полете "},
    {190, u"Температура воздуха       "},
    {192, u"Число аварийных отключений"},
    {193, u"Циклы загрузки/выгрузки   "},
    {194, u"Температура HDA           "},
    {195, u"Коррекция аппаратных ECC  "},
    {196, u"Попытки переназначения    "},
    {197, u"Текущие отложенные сектора"},
    {198, u"Неисправимые сектора      "},
    {199, u"Ошибки CRC Ultra ATA      "},
    {200, u"Ошибки записи секторов    "},
    {201, u"Ошибки чтения вне дорожки "},
    {202, u"Ошибки чтения DAM         "},
    {203, u"Ошибки чтения ECC         "},
    {204, u"Программная коррекция ECC "},
    {205, u"Ошибки из-за перегрева    "},
    {207, u"Сила тока при раскрутке   "},
    {208, u"Маломощные раскрутки      "},
    {209, u"Офлайновая эффективность  "},
    {210, u"Вибрация во время записи  "},
    {211, u"Вибрация во время чтения  "},
    {212, u"Удары во время записи     "},
    {220, u"Сдвиг дисков в шпинделе   "},
    {221, u"Счетчик датчика ударов    "},
    {222, u"Часы загруженных головок  "},
    {223, u"Повторные попытки загрузки"},
    {224, u"Сила трения при загрузке  "},
    {225, u"Циклы загрузки головок    "},
    {226, u"Время загрузки головок    "},
    {227, u"Усилия вращающего момента "},
    {228, u"Повторы выключения питания"},
    {229, u"Измерение высоты полета   "},
    {230, u"Амплитуда дрожания головок"},
    {232, u"Доступное резервное место "},
    {233, u"Индикатор износа носителя "},
};

constexpr bool EveryNameHasTheColumnWidth() {
  for (const NamedAttribute& attribute : NamedAttributes)
    if (attribute.name.size() != SmartNameWidth || attribute.id < 1 || attribute.id > 255) return false;
  return true;
}
static_assert(EveryNameHasTheColumnWidth(), "a SMART attribute name is not 26 characters long");

constexpr std::array<std::u16string_view, 255> BuildNameTable() {
  std::array<std::u16string_view, 255> table{};
  for (const NamedAttribute& attribute : NamedAttributes)
    table[static_cast<std::size_t>(attribute.id - 1)] = attribute.name;
  return table;
}

constexpr std::u16string_view UnknownAttributeName = u"Неизвестный                   ";

}  // namespace

const std::array<std::u16string_view, 255> SmartAttributeNames = BuildNameTable();

std::u16string SmartAttributeName(int id) {
  if (id < 1 || id > 255) return std::u16string(UnknownAttributeName);
  const std::u16string_view name = SmartAttributeNames[static_cast<std::size_t>(id - 1)];
  return std::u16string(name.empty() ? UnknownAttributeName : name);
}

std::u16string PadRight(std::u16string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), u' ');
  return text;
}

std::u16string PadLeft(std::u16string text, std::size_t width) {
  if (text.size() < width) text.insert(0, width - text.size(), u' ');
  return text;
}

}  // namespace trelvane
