// The machine file: what it accepts, what it refuses and how the refusal names the field.

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <tuple>
#include <vector>

#include "machine_fixture.h"
#include "os/win_constants.h"

namespace trelvane::testing {
namespace {

TEST(MachineFile, EmptyFileIsAnOrdinaryMachineWithoutDevices) {
  Machine machine("{}");
  const OsVersion version = machine->GetVersionExW();
  EXPECT_EQ(version.platformId, 2u);
  EXPECT_EQ(version.major, 10u);
  EXPECT_EQ(version.minor, 0u);
  EXPECT_EQ(version.build, 19045u);
  EXPECT_EQ(version.servicePack, u"");
  EXPECT_EQ(machine->ProcessBits(), 64);
  EXPECT_EQ(machine->IsWow64Process(), Wow64Answer::No);
  EXPECT_EQ(machine->GetModuleFileNameW(), u"C:\\Program Files\\Trelvane\\trelvane.exe");
  const RegionalSettings regional = machine->GetRegionalSettings();
  EXPECT_EQ(regional.shortDateFormat, u"dd.MM.yyyy");
  EXPECT_EQ(regional.longTimeFormat, u"H:mm:ss");
  EXPECT_EQ(regional.decimalSeparator, u',');
  EXPECT_EQ(machine->GetACP(), 1251u);
  EXPECT_EQ(machine->CreateFileW(Drive0, Access::GenericRead, Share::ReadWrite), InvalidHandle);
  EXPECT_EQ(machine->GetLastError(), ErrorCode::FileNotFound);
  std::u16string buffer(1024, u'x');
  EXPECT_EQ(machine->GetLogicalDriveStringsW(buffer), 0u);
  EXPECT_EQ(buffer[0], u'\0');
}

TEST(MachineFile, RefusalNamesTheFileTheFieldPathAndTheProblem) {
  const std::pair<const char*, const char*> cases[] = {
      {R"({"drives": [{}, {"sector_size": "512"}]})", "test.json: drives[1].sector_size: expected an integer"},
      {R"({"sytem": {}})", "test.json: sytem: unknown field"},
      {R"({"drives": [{"adapter": {"bus_type": 11, "max_transfers": 1}}]})",
       "test.json: drives[0].adapter.max_transfers: unknown field"},
      {R"({"drives": [{"adapter": {"bus_type": 256}}]})",
       "test.json: drives[0].adapter.bus_type: expected an integer from 0 to 255"},
      {R"({"drives": [{"length": -1}]})", "test.json: drives[0].length: expected a non-negative integer"},
      {R"({"drives": [{"sector_size": 512.0}]})", "test.json: drives[0].sector_size: expected an integer"},
      {R"({"drives": [{"geometry_fails": 1}]})", "test.json: drives[0].geometry_fails: expected true or false"},
      {R"({"drives": [{"device": {"removable": "yes"}}]})",
       "test.json: drives[0].device.removable: expected true or false"},
      {R"({"drives": [{"device": {"product": "ДИСК"}}]})",
       "test.json: drives[0].device.product: expected characters of code 0 to 255 (one byte each)"},
      {R"({"drives": [{"device_reply_hex": "00 01"}]})",
       "test.json: drives[0].device_reply_hex: expected 1024 hexadecimal digits (512 bytes)"},
      {R"({"drives": [{"smart_version": 1}]})", "test.json: drives[0].smart_version: expected an object"},
      {R"({"drives": [{"identify": 5}]})", "test.json: drives[0].identify: expected a string or null"},
      {R"({"drives": [{"identify_words": {"256": 1}}]})",
       "test.json: drives[0].identify_words[\"256\"]: expected a word index from 0 to 255 as the name"},
      {R"({"drives": [{"identify_words": {"250": "ABCDEFGHIJKLM"}}]})",
       "test.json: drives[0].identify_words[\"250\"]: the text runs past word 255"},
      {R"({"drives": [{"smart_attributes": [{"flags": 1}]}]})",
       "test.json: drives[0].smart_attributes[0].id: expected the attribute id"},
      {R"({"drives": [{"faults": [{}]}]})",
       "test.json: drives[0].faults[0]: expected from, to or write_error (a write fault) or seek_error_at "
       "(a seek fault)"},
      {R"({"drives": [{"faults": [{"from": 4096, "to": 4096}]}]})",
       "test.json: drives[0].faults[0].to: expected a position after from"},
      {R"({"drives": [{"faults": [{"seek_error": 21}]}]})", "test.json: drives[0].faults[0].seek_error: needs seek_error_at"},
      {R"({"drives": [{"lost_writes": [{"from": 512, "to": 512}]}]})",
       "test.json: drives[0].lost_writes[0].to: expected a position after from"},
      {R"({"drives": [{"wraps_at": 0}]})", "test.json: drives[0].wraps_at: expected an integer from 1 to 9223372036854775807"},
      {R"({"drives": [{"number": 3}, {"number": 3}]})", "test.json: drives[1].number: another drive has this number"},
      {R"({"drives": [{}, {"number": 0}]})", "test.json: drives[1].number: another drive has this number"},
      {R"({"volumes": [{"root": "C:\\"}, {"root": "c:\\"}]})", "test.json: volumes[1].root: another volume has this root"},
      {R"({"volumes": [{"lock_error": "5"}]})", "test.json: volumes[0].lock_error: expected an integer"},
      {R"({"system": {"wow64": "maybe"}})",
       "test.json: system.wow64: expected \"false\", \"true\", \"missing\" or \"fails\""},
      {R"({"system": {"version": [10, 0]}})",
       "test.json: system.version: expected an array of three integers [major, minor, build]"},
      {R"({"system": {"version": [10, 0, "x"]}})", "test.json: system.version[2]: expected an integer"},
      {R"({"system": {"process_bits": 48}})", "test.json: system.process_bits: expected 32 or 64"},
      {R"({"system": {"clock": "2026-02-30T10:00:00"}})",
       "test.json: system.clock: expected a local time like 2026-12-07T10:15:30.250"},
      {R"({"system": {"decimal_separator": ", "}})", "test.json: system.decimal_separator: expected one character"},
      {R"({"system": {"modules": {"SetupApi.dll": {"missng": []}}}})",
       "test.json: system.modules[\"SetupApi.dll\"].missng: unknown field"},
      {R"({"system": {"modules": {"SetupApi.dll": {"missing": "SetupDiGetWizardPage"}}}})",
       "test.json: system.modules[\"SetupApi.dll\"].missing: expected an array"},
      {R"({"system": {"error_texts": {"x21": "t"}}})",
       "test.json: system.error_texts[\"x21\"]: expected a decimal error code as the name"},
      {R"({"system": {"request_log": 7}})", "test.json: system.request_log: expected a string or null"},
      {R"([1, 2])", "test.json: (top): expected an object"},
  };
  for (const auto& [json, message] : cases) {
    SCOPED_TRACE(json);
    EXPECT_EQ(MachineError(json), message);
  }
}

TEST(MachineFile, MissingFileIsRefusedWithItsPath) {
  TempDir folder;
  const auto path = folder.path() / "absent.json";
  try {
    LoadEmulatedMachine(path);
    FAIL() << "loaded a missing file";
  } catch (const MachineFileError& error) {
    EXPECT_EQ(std::string(error.what()), path.string() + ": cannot read the file");
  }
}

// The example of the design, field for field, with its files beside it.
TEST(MachineFile, AcceptsEveryFieldOfTheDesignExample) {
  TempDir folder;
  WriteBinaryFile(folder.path() / "demo0.identify.bin", PatternBlock(1));
  WriteBinaryFile(folder.path() / "demo0.smart.bin", PatternBlock(2));
  const char* json = R"({
    "system": {
      "platform_id": 2, "version": [10, 0, 19045], "service_pack": "",
      "process_bits": 64, "wow64": "false",
      "program_path": "C:\\Tools\\trelvane.exe",
      "modules": { "SetupApi.dll": { "missing": ["SetupDiGetWizardPage"] }, "comctl32.dll": { "absent": true } },
      "clock": "2026-12-07T10:15:30.250", "clock_step_ms": 0,
      "short_date_format": "dd.MM.yyyy", "long_time_format": "H:mm:ss", "decimal_separator": ",",
      "error_texts": { "21": "Устройство не готово." },
      "drive_strings_length": null,
      "request_log": "requests.jsonl"
    },
    "volumes": [
      { "root": "C:\\", "query_open_error": 0, "device_number_error": 0,
        "device_type": 7, "device_number": 0, "partition": 1,
        "open_error": 0, "lock_error": 0, "dismount_error": 0 }
    ],
    "drives": [
      { "number": 0, "open_error": 0, "exclusive_open_error": 0,
        "geometry_error": 0, "geometry_fails": false, "sector_size": 512,
        "length_error": 0, "length_fails": false, "length": 500107862016,
        "adapter": { "bus_type": 11, "max_transfer": 131072 }, "adapter_error": 0, "adapter_fails": false,
        "device": { "vendor": "", "product": "DEMO DISK 500", "revision": "1.0",
                    "serial": "2W-D", "removable": false },
        "device_error": 0, "device_fails": false,
        "smart_version": { "device_map": 1 },
        "inquiry": { "byte13": 0 },
        "identify": "demo0.identify.bin",
        "smart": "demo0.smart.bin",
        "identify_rcv_error": 0, "miniport_error": 0, "miniport_bytes": 572,
        "smart_enable_error": 0, "smart_disable_error": 0,
        "smart_rcv_error": 0, "smart_rcv_bytes": 528, "smart_send_error": 0, "smart_send_bytes": 528,
        "image": "demo0.img",
        "faults": [ { "from": 0, "to": 1048576, "write_error": 19 },
                    { "from": 8388608, "write_error": 55 },
                    { "seek_error_at": 65536 } ],
        "write_delay_us_per_mib": 0 }
    ]
  })";
  const auto machine = LoadFromFolder(folder.path(), "demo.json", json);
  EXPECT_EQ(machine->GetModuleFileNameW(), u"C:\\Tools\\trelvane.exe");
  EXPECT_EQ(machine->FormatMessageW(21), u"Устройство не готово.");
  const Handle drive = machine->CreateFileW(Drive0, ReadWrite, Share::None);
  ASSERT_NE(drive, InvalidHandle);
  const Answer identify = Ask(*machine, drive, Ioctl::SmartRcvDriveData, SendCmdIn(512, IdentifyRegs, 0, 33), 528);
  ASSERT_TRUE(identify.ok);
  EXPECT_EQ(std::vector<std::uint8_t>(identify.out.begin() + 16, identify.out.end()), PatternBlock(1));
  machine->CloseHandle(drive);
  // The request log sits beside the machine file.
  EXPECT_FALSE(ReadTextFile(folder.path() / "requests.jsonl").empty());
}

TEST(MachineFile, BlockFilesAreCheckedWhenTheMachineLoads) {
  TempDir folder;
  WriteBinaryFile(folder.path() / "short.bin", std::vector<std::uint8_t>(100, 0));
  try {
    LoadFromFolder(folder.path(), "m.json", R"({"drives": [{"smart": "short.bin"}]})");
    FAIL() << "accepted a 100-byte SMART block";
  } catch (const MachineFileError& error) {
    EXPECT_EQ(std::string(error.what()), (folder.path() / "m.json").string() + ": drives[0].smart: " +
                                             (folder.path() / "short.bin").string() + " holds 100 bytes, expected 512");
  }
}

// Refusals whose message ends in something of this machine's (a path, the parser's words): the start
// names the field, the end the problem. Paths that would crash the reader, never end or hang it are
// refused naming the field.
TEST(MachineFile, RefusalsNameTheFieldAndTheKindOfProblem) {
  std::vector<std::tuple<std::string, std::string, std::string>> cases = {
      {R"({"drives": [)", "not valid JSON: ", ""},
      {R"({"drives": [{"identify": "nowhere.bin"}]})", "drives[0].identify: cannot read ", ""},
      {R"({"drives": [{"image": "no-such-folder/d.img"}]})", "drives[0].image: the folder ", ""},
      {R"({"drives": [{"image": ""}]})", "drives[0].image: ", "expected a file name"},
      {R"({"drives": [{}, {"length": 1, "length": 2}]})", "drives[1].length: ", "duplicate key"},
      {R"({"system": {"clock": "x"}, "system": {}})", "system: ", "duplicate key"},
  };
#ifndef _WIN32  // FIFOs and /dev/zero
  TempDir folder;
  const std::string fifo = (folder.path() / "fifo").string();
  const std::string notRegular = " is not a regular file";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  cases.insert(cases.end(), {
      {R"({"drives": [{"identify": "."}]})", "drives[0].identify: ", "/." + notRegular},
      {R"({"drives": [{"smart": "/dev/zero"}]})", "drives[0].smart: ", "/dev/zero" + notRegular},
      {R"({"drives": [{"identify": ")" + fifo + R"("}]})", "drives[0].identify: ", fifo + notRegular},
      {R"({"drives": [{"image": ")" + fifo + R"("}]})", "drives[0].image: ", fifo + notRegular},
      {R"({"system": {"request_log": ")" + fifo + R"("}})", "system.request_log: ", fifo + notRegular},
  });
  try {
    LoadEmulatedMachine(fifo);
    ADD_FAILURE() << "read a FIFO as the machine file";
  } catch (const MachineFileError& error) {
    EXPECT_EQ(std::string(error.what()), fifo + ": is not a regular file");
  }
#endif
  for (const auto& [json, field, problem] : cases) {
    SCOPED_TRACE(json);
    const std::string error = MachineError(json);
    EXPECT_TRUE(error.starts_with("test.json: " + field) && error.ends_with(problem)) << error;
  }
}

TEST(MachineFile, DemoMachineOfTheTestsLoads) {
  const auto machine = LoadEmulatedMachine(TestDataFile("machines/emulated-demo.json"));
  EXPECT_NE(machine->CreateFileW(u"\\\\.\\PhysicalDrive0", Access::GenericRead, Share::ReadWrite), InvalidHandle);
  EXPECT_EQ(machine->CreateFileW(u"\\\\.\\PhysicalDrive1", Access::GenericRead, Share::ReadWrite), InvalidHandle);
  EXPECT_NE(machine->CreateFileW(u"\\\\.\\PhysicalDrive2", Access::GenericRead, Share::ReadWrite), InvalidHandle);
}

}  // namespace
}  // namespace trelvane::testing
