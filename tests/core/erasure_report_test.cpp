// The erasure report of a completed and of an aborted run, read back as JSON, and the SHA-256 that
// seals each rendering.

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <optional>
#include <tuple>

#include <nlohmann/json.hpp>

#include "report/erasure_report.h"
#include "format/format_command.h"
#include "program_bench.h"
#include "text/sha256.h"

namespace trelvane::testing {
namespace {

TEST(Sha256, StandardTestVectors) {
  const std::pair<std::string, std::string> vectors[] = {
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1'000'000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"}};
  for (const auto& [message, digest] : vectors) EXPECT_EQ(Sha256Hex(message), digest) << message.size();
}

struct ReportCase {
  const char* name;
  std::string faults;
  bool verify;
  bool quick;
  std::int64_t length;
  std::int64_t sectorSize;
  const char* outcome;
  const char* flush;
  std::int64_t bytesNotWritten;
  std::int64_t failedCode;  // of the single failed range, 0 for none
  const char* resultLine;   // the text's "Итог" line, thin spaces as "_"
  const char* capacity;     // the text's capacity, thin spaces as "_"
};

constexpr std::int64_t Length = 4 * 1'048'576;

const ReportCase Cases[] = {
    {"completed", "", true, false, Length, 512, "erased", "ok", 0, 0, "Итог: СТЕРТО: все байты записаны нулями",
     "4_194_304"},
    {"aborted", R"(, "faults": [{"from": 1048576, "write_error": 55}])", false, false, Length, 512, "aborted",
     "not_reached", Length - 1'048'576, 55, "Итог: ПРЕРВАНО: устройство отключено или заменено", "4_194_304"},
    {"quick", "", false, true, 16 * 1'048'576, 4096, "erased", "ok", 0, 0,
     "Итог: БЫСТРАЯ ОЧИСТКА: записаны нулями только начало и конец диска (11_288_576 из 16_777_216 байт)",
     "16_777_216"},
};

std::string ThinSpaced(std::string text) {
  for (std::size_t at; (at = text.find('_')) != std::string::npos;) text.replace(at, 1, "\u2009");
  return text;
}

// The C library's number formatting follows the process locale, which the Qt program sets to the
// user's: every report is checked under a Russian one as well.
// A Russian locale, whose decimal separator is the comma, in the C library's own naming.
#ifdef _WIN32
constexpr const char* RussianLocale = "Russian_Russia.1251";
#else
constexpr const char* RussianLocale = "ru_RU.UTF-8";
#endif

class ErasureReportOf : public ::testing::TestWithParam<std::tuple<ReportCase, const char*>> {
 protected:
  void SetUp() override {
    ASSERT_NE(std::setlocale(LC_ALL, std::get<1>(GetParam())), nullptr)
        << std::get<1>(GetParam()) << " is not installed (scripts/install-packages.sh: install_russian_locale)";
  }
  void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_P(ErasureReportOf, RunCarriesItsFieldsAndADigestOfItsOwnText) {
  const ReportCase& test = std::get<0>(GetParam());
  const std::string drive = R"([{"number": 0, "length": )" + std::to_string(test.length) +
                            R"(, "sector_size": )" + std::to_string(test.sectorSize) +
                            R"(, "node": "/dev/sdb", "image": "d0.img", "identify_words": {"83": 1024, "128": 9},)"
                            R"( "smart_attributes": [{"id": 9, "raw": 1234}, {"id": 5, "raw": 3}])" + test.faults + "}]";
  ProgramBench bench(MachineJson(drive, "[]", 0, R"(, "host_name": "PC-7", "user_name": "ivanov", "utc_offset_minutes": -90)"),
                     SelectedDisk{test.length / test.sectorSize, test.sectorSize}, {{"d0.img", test.length, 0}});
  bench.state.SelectedEntry().IdentifyData.SN = u"  SN-42 ";
  const EraseRequest request{test.quick ? &QuickWipe() : &WholeDiskZeroFill(), test.verify, bench.dir.path() / "reports"};
  bool stop = false;
  const FormatCommandOutcome run = FormatCommand(*bench.system, bench.state, bench.log, bench.view, bench.controls,
                                                 bench.dialogs, request, StopToken(stop));
  const std::string text = ErasureReportJson(CollectErasureReport(*bench.system, bench.state, run));

  const std::size_t digestAt = text.rfind("\n  \"sha256\": ");
  ASSERT_NE(digestAt, std::string::npos);
  const auto json = nlohmann::json::parse(text);
  EXPECT_EQ(json["sha256"], Sha256Hex(text.substr(0, digestAt + 1)));
  EXPECT_EQ(json["version"], 1);
  EXPECT_EQ(json["host"]["name"], "PC-7");
  EXPECT_EQ(json["host"]["user"], "ivanov");
  EXPECT_EQ(json["drive"]["node"], "/dev/sdb");
  EXPECT_EQ(json["drive"]["serial"], "SN-42");
  EXPECT_EQ(json["drive"]["capacity_bytes"], test.length);
  EXPECT_TRUE(json["drive"]["identify"]["lba48"].is_boolean());
  EXPECT_EQ(json["drive"]["identify"]["security"]["frozen"], true);
  EXPECT_EQ(json["drive"]["smart"]["9"], 1234);
  EXPECT_TRUE(json["drive"]["smart"]["197"].is_null());
  EXPECT_TRUE(json["drive"]["nvme_health"].is_null());
  const auto& result = json["run"];
  EXPECT_EQ(result["start"], "2026-12-07T10:15:30-01:30");
  EXPECT_EQ(result["method"], test.quick ? "quick_wipe" : "full_zero_fill");
  EXPECT_EQ(result["scope"], test.quick ? "head_and_tail" : "whole_disk");
  EXPECT_EQ(result["verified"], test.verify);
  EXPECT_TRUE(result["duration_seconds"].is_number()) << text;
  EXPECT_EQ(result["outcome"], test.outcome);
  EXPECT_EQ(result["flush"], test.flush);
  EXPECT_EQ(result["bytes_not_written"], test.bytesNotWritten);
  std::int64_t extentBytes = 0;
  for (const auto& extent : result["extents"]) extentBytes += extent["length"].get<std::int64_t>();
  EXPECT_EQ(extentBytes, test.quick ? 11'288'576 : test.length);
  EXPECT_EQ(result["bytes_written"], extentBytes - test.bytesNotWritten);
  EXPECT_EQ(result["failed_ranges"].size(), test.failedCode != 0 ? 1u : 0u);
  if (test.failedCode != 0) {
    EXPECT_EQ(result["failed_ranges"][0]["code"], test.failedCode);
  }
  EXPECT_EQ(result["verification"].is_null(), !test.verify);
  if (test.verify) {
    EXPECT_EQ(result["verification"]["result"], "passed");
  }

  const std::string print = ErasureReportText(CollectErasureReport(*bench.system, bench.state, run));
  const std::size_t lastLine = print.rfind('\n', print.size() - 2) + 1;
  EXPECT_EQ(print.substr(lastLine), "SHA-256 всего текста выше этой строки: " + Sha256Hex(print.substr(0, lastLine)) + "\n");
  EXPECT_NE(print.find("\n" + ThinSpaced(test.resultLine) + "\n"), std::string::npos) << print;
  EXPECT_EQ(print.find("Результат не проверен: записанное не читалось обратно.\n") != std::string::npos, !test.verify);
  EXPECT_NE(print.find("  Номер: \\\\.\\PhysicalDrive0 (/dev/sdb)\n"), std::string::npos) << print;
  EXPECT_NE(print.find(ThinSpaced("  Емкость: " + std::string(test.capacity) + " байт\n")), std::string::npos);
  EXPECT_NE(print.find("  Длительность: 0,"), std::string::npos) << print;
}

INSTANTIATE_TEST_SUITE_P(Runs, ErasureReportOf,
                         ::testing::Combine(::testing::ValuesIn(Cases), ::testing::Values("C", RussianLocale)),
                         [](const auto& param) {
                           const std::string locale = std::get<1>(param.param);
                           return std::string(std::get<0>(param.param).name) + (locale == "C" ? "" : "_ru_RU");
                         });

// An NVMe drive: the bus by name, the health log's summary instead of ATA SMART, and the drive's own
// texts escaped from the probe on. The second log has no temperature reading and a counter past 64 bits.
TEST(ErasureReportOfNvme, NamesTheBusAndSummarisesTheHealthLog) {
  struct Health {
    const char* log;
    std::optional<int> celsius;
    std::int64_t mediaErrors;
    const char* line;  // thin spaces as "_"
  };
  const Health cases[] = {
      {R"("1": "3601", "5": "03", "128": "10270000", "160": "01")", 37, 1,
       "  Журнал состояния NVMe: температура 37 °C; израсходованный ресурс 3 %; ошибки носителя и целостности "
       "данных 1; часы работы 10_000\n"},
      {R"("1": "ffff", "5": "ff", "160": "00000000000000000100000000000000")", std::nullopt, INT64_MAX,
       "  Журнал состояния NVMe: температура не сообщается; израсходованный ресурс 255 %; ошибки носителя и "
       "целостности данных 9_223_372_036_854_775_807; часы работы 0\n"},
  };
  for (const Health& health : cases) {
    ProgramBench bench(MachineJson(R"([{"number": 0, "length": 4194304, "device": {"product": "NV\u001b[2JME"},)"
                                   R"( "nvme": {"smart_log": {)" + std::string(health.log) + "}}}]"));
    bench.SelectProbedDrive(0);
    const ErasureReport report = CollectErasureReport(*bench.system, bench.state, FormatCommandOutcome{});
    const auto json = nlohmann::json::parse(ErasureReportJson(report));
    EXPECT_EQ(json["drive"]["bus"], "NVMe");
    EXPECT_EQ(json["drive"]["model"], "NV\\x1B[2JME");
    EXPECT_TRUE(json["drive"]["smart"].is_null());
    const auto& summary = json["drive"]["nvme_health"];
    EXPECT_EQ(summary["temperature_celsius"].is_null(), !health.celsius);
    if (health.celsius) {
      EXPECT_EQ(summary["temperature_celsius"], *health.celsius);
    }
    EXPECT_EQ(summary["media_errors"], health.mediaErrors);
    const std::string print = ErasureReportText(report);
    EXPECT_NE(print.find(ThinSpaced(health.line)), std::string::npos) << print;
    EXPECT_EQ(print.find('\x1B'), std::string::npos);
    EXPECT_EQ(print.find("SMART"), std::string::npos);
  }
}

}  // namespace
}  // namespace trelvane::testing
