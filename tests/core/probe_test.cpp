#include <gtest/gtest.h>

#include "common/diagnostic_log.h"
#include "device/probe.h"
#include "backends/emulated/emulated_system.h"
#include "os/win_constants.h"
#include "recording_views.h"
#include "test_support.h"

namespace trelvane {
namespace {

using testing::RecordingBoxes;

struct ProbeRun {
  std::int64_t result = 0;
  TIdentifyDeviceData description;
  std::vector<RecordedRequest> requests;
  std::vector<RecordingBoxes::Box> boxes;
};

// Probes drive 0 of a machine whose only drive is `drive` (a JSON object).
ProbeRun Probe(const std::string& drive) {
  auto system = EmulatedMachineFromJson(R"({"drives": [)" + drive + "]}", ".");
  bool debug = false;
  DiagnosticLog log(*system, debug);
  RecordingBoxes boxes;
  const Handle handle = system->CreateFileW(u"\\\\.\\PhysicalDrive0", Access::GenericRead, Share::ReadWrite);
  EXPECT_NE(handle, InvalidHandle);
  ProbeRun run;
  run.description.Model = u"untouched";
  try {
    run.result = ProbeDevice(*system, log, boxes, handle, run.description);
  } catch (const ProgramTermination&) {
    run.result = 99;
  }
  run.requests = system->Requests();
  run.boxes = boxes.boxes;
  return run;
}

TEST(ProbeDevice, SendsGeometryLengthAdapterDeviceInThatOrderWithTheirBuffers) {
  const ProbeRun run = Probe(R"({"number": 0, "adapter": {"bus_type": 7, "max_transfer": 65536}})");
  ASSERT_EQ(run.result, 0);
  std::vector<std::uint32_t> codes;
  for (const auto& request : run.requests)
    if (request.call == "DeviceIoControl") codes.push_back(request.code);
  EXPECT_EQ(codes, (std::vector<std::uint32_t>{Ioctl::DiskGetDriveGeometry, Ioctl::DiskGetLengthInfo,
                                                Ioctl::StorageQueryProperty, Ioctl::StorageQueryProperty}));
  const auto& geometry = run.requests[1];
  EXPECT_EQ(geometry.in.size(), 512u);
  EXPECT_EQ(geometry.outSize, 512u);
  const auto& adapter = run.requests[3];
  ASSERT_EQ(adapter.in.size(), 12u);
  EXPECT_EQ(adapter.in[0], 1);
  EXPECT_EQ(adapter.outSize, 512u);
  EXPECT_EQ(run.requests[4].in[0], 0);
}

TEST(ProbeDevice, MaximumTransferIsCappedAt250SectorsAndFollowsTheSectorSize) {
  EXPECT_EQ(Probe(R"({"adapter": {"bus_type": 7, "max_transfer": 131072}})").description.MaximumSectorsTransfer, 250);
  EXPECT_EQ(Probe(R"({"sector_size": 4096, "adapter": {"bus_type": 7, "max_transfer": 131072}})")
                .description.MaximumSectorsTransfer,
            32);
  const ProbeRun noAdapter = Probe(R"({"adapter_error": 50})");
  EXPECT_EQ(noAdapter.description.BusType, 201);
  EXPECT_EQ(noAdapter.description.MaximumSectorsTransfer, 128);
}

TEST(ProbeDevice, SectorSizesBelow512GiveNoSectorsAndA512ByteSector) {
  const ProbeRun run = Probe(R"({"sector_size": 256, "length": 1048576, "adapter": {"bus_type": 7}})");
  EXPECT_EQ(run.description.LBA, 0);
  EXPECT_EQ(run.description.SectorSize, 512);
  const ProbeRun big = Probe(R"({"sector_size": 4096, "length": 2000398934016, "adapter": {"bus_type": 7}})");
  EXPECT_EQ(big.description.SectorSize, 4096);
  EXPECT_EQ(big.description.LBA, 488378646);
}

// The other model, firmware and serial rules show in the command line's golden drive rows.
TEST(ProbeDevice, ModelOfOnlyAProductOrOnlyAVendorKeepsTheJoiningBlank) {
  EXPECT_EQ(Probe(R"({"adapter": {"bus_type": 7}, "device": {"product": "P"}})").description.Model, u" P");
  EXPECT_EQ(Probe(R"({"adapter": {"bus_type": 7}, "device": {"vendor": "V"}})").description.Model, u"V ");
}

// The byte-pair exchange and the hexadecimal decoding are ATA's; an NVMe controller's serial (bus 17)
// is shown as it comes, whatever its length.
TEST(ProbeDevice, NvmeSerialIsShownAsTheControllerReportsIt) {
  struct Case {
    int bus;
    const char* serial;
    std::u16string shown;
  };
  const Case cases[] = {
      {17, "S4EWNX0R123456", u"S4EWNX0R123456"},
      {17, "QNVME-4KB", u"QNVME-4KB"},
      {17, "  PHM2913000QG280AGN ", u"PHM2913000QG280AGN"},
      {17, "3253323354424a30593531353532332020202020", u"3253323354424a30593531353532332020202020"},
      {11, "S4EWNX0R123456", u"4SWEXNR0214365"},
  };
  for (const Case& c : cases) {
    const ProbeRun run = Probe(R"({"adapter": {"bus_type": )" + std::to_string(c.bus) +
                               R"(}, "device": {"serial": ")" + c.serial + R"("}})");
    EXPECT_EQ(run.description.SN, c.shown) << c.bus << " " << c.serial;
  }
}

TEST(ProbeDevice, DeviceRequestFailingWithACodeIsFatal) {
  const ProbeRun run = Probe(R"({"device_error": 5})");
  EXPECT_EQ(run.result, 99);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(run.boxes[0].text, u"Ошибка при доступе к устройству: Отказано в доступе");
  EXPECT_EQ(run.boxes[0].caption, u"Error");
  EXPECT_EQ(run.boxes[0].icon, MessageIcon::Error);
}

TEST(QueryIdeSlave, DeviceMapSlaveBitsOrTheInquiryTargetId) {
  EXPECT_EQ(Probe(R"({"smart_version": {"device_map": 1}})").description.IsIDESlave, 0);
  EXPECT_EQ(Probe(R"({"smart_version": {"device_map": 2}})").description.IsIDESlave, 1);
  EXPECT_EQ(Probe(R"({"smart_version": {"device_map": 8}})").description.IsIDESlave, 1);
  EXPECT_EQ(Probe(R"({"smart_version": {"device_map": 128}})").description.IsIDESlave, 1);
  EXPECT_EQ(Probe(R"({"smart_version": null, "inquiry": {"byte13": 1}})").description.IsIDESlave, 1);
  EXPECT_EQ(Probe(R"({"smart_version": null, "inquiry": {"byte13": 2}})").description.IsIDESlave, 0);
  EXPECT_EQ(Probe(R"({"smart_version": null, "inquiry": null})").description.IsIDESlave, 0);
  // Only ATA and SATA buses are asked.
  EXPECT_EQ(Probe(R"({"adapter": {"bus_type": 7}, "smart_version": {"device_map": 2}})").description.IsIDESlave, 0);
  EXPECT_EQ(Probe(R"({"adapter": {"bus_type": 3}, "smart_version": {"device_map": 2}})").description.IsIDESlave, 1);
}

TEST(BusTypeName, TableNamesAndUnknownCodes) {
  EXPECT_EQ(BusTypeName(3), u"ATA");
  EXPECT_EQ(BusTypeName(11), u"SATA");
  EXPECT_EQ(BusTypeName(15), u"FBVIRTUAL");
  EXPECT_EQ(BusTypeName(200), u"IMAGE");
  EXPECT_EQ(BusTypeName(201), u"FLASH");
  EXPECT_EQ(BusTypeName(17), u"NVMe");
  for (std::int64_t code : {0, 16, 199, 202}) EXPECT_EQ(BusTypeName(code), u"UNKNOWN") << code;
  EXPECT_EQ(BusTypeName((std::int64_t{1} << 32) | 11), u"SATA");
}

}  // namespace
}  // namespace trelvane
