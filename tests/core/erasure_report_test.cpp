// The erasure report of a completed and of an aborted run, read back as JSON, and the SHA-256 that
// seals each rendering.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "format/erasure_report.h"
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
  const char* outcome;
  const char* flush;
  std::int64_t bytesNotWritten;
  std::int64_t failedCode;  // of the single failed range, 0 for none
};

constexpr std::int64_t Length = 4 * 1'048'576;

const ReportCase Cases[] = {
    {"completed", "", true, "erased", "ok", 0, 0},
    {"aborted", R"(, "faults": [{"from": 1048576, "write_error": 55}])", false, "aborted", "not_reached",
     Length - 1'048'576, 55},
};

class ErasureReportOf : public ::testing::TestWithParam<ReportCase> {};

TEST_P(ErasureReportOf, RunCarriesItsFieldsAndADigestOfItsOwnText) {
  const ReportCase& test = GetParam();
  const std::string drive = R"([{"number": 0, "length": )" + std::to_string(Length) +
                            R"(, "image": "d0.img", "identify_words": {"83": 1024, "128": 9},)"
                            R"( "smart_attributes": [{"id": 9, "raw": 1234}, {"id": 5, "raw": 3}])" + test.faults + "}]";
  ProgramBench bench(MachineJson(drive, "[]", 0, R"(, "host_name": "PC-7", "user_name": "ivanov", "utc_offset_minutes": -90)"),
                     SelectedDisk{Length / 512}, {{"d0.img", Length, 0}});
  bench.state.SelectedEntry().IdentifyData.SN = u"  SN-42 ";
  bench.controls.verify = test.verify;
  struct : RunReporter {
    void RunEnded(const FormatCommandOutcome&) override {}
  } reporter;
  const FormatCommandOutcome run =
      FormatCommand(*bench.system, bench.state, bench.log, bench.view, bench.controls, bench.dialogs, &reporter);
  const std::string text = ErasureReportJson(CollectErasureReport(*bench.system, bench.state, run));

  const std::size_t digestAt = text.rfind("\n  \"sha256\": ");
  ASSERT_NE(digestAt, std::string::npos);
  const auto json = nlohmann::json::parse(text);
  EXPECT_EQ(json["sha256"], Sha256Hex(text.substr(0, digestAt + 1)));
  EXPECT_EQ(json["version"], 1);
  EXPECT_EQ(json["host"]["name"], "PC-7");
  EXPECT_EQ(json["host"]["user"], "ivanov");
  EXPECT_EQ(json["drive"]["serial"], "SN-42");
  EXPECT_EQ(json["drive"]["capacity_bytes"], Length);
  EXPECT_TRUE(json["drive"]["identify"]["lba48"].is_boolean());
  EXPECT_EQ(json["drive"]["identify"]["security"]["frozen"], true);
  EXPECT_EQ(json["drive"]["smart"]["9"], 1234);
  EXPECT_TRUE(json["drive"]["smart"]["197"].is_null());
  const auto& result = json["run"];
  EXPECT_EQ(result["start"], "2026-12-07T10:15:30-01:30");
  EXPECT_EQ(result["method"], "full_zero_fill");
  EXPECT_EQ(result["outcome"], test.outcome);
  EXPECT_EQ(result["flush"], test.flush);
  EXPECT_EQ(result["bytes_not_written"], test.bytesNotWritten);
  EXPECT_EQ(result["bytes_written"], Length - test.bytesNotWritten);
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
}

INSTANTIATE_TEST_SUITE_P(Runs, ErasureReportOf, ::testing::ValuesIn(Cases),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace trelvane::testing
