#include "machine_json.h"

#include "test_support.h"

namespace trelvane::testing {

std::string MachineJson(const std::string& drives, const std::string& volumes, int clockStepMs,
                        const std::string& moreSystem) {
  return std::string(R"({"system": {"clock": ")") + BenchClock + R"(", "clock_step_ms": )" +
         std::to_string(clockStepMs) + moreSystem + R"(}, "volumes": )" + volumes + R"(, "drives": )" + drives +
         "}";
}

std::string DriveJson(int number, std::int64_t lengthBytes, const std::string& more) {
  return R"({"number": )" + std::to_string(number) + R"(, "length": )" + std::to_string(lengthBytes) + more + "}";
}

std::string RealDriveFields(const std::string& ataName) {
  return R"(, "identify": ")" + RealDriveFile(ataName + ".identify.bin").generic_string() + R"(", "smart": ")" +
         RealDriveFile(ataName + ".smart.bin").generic_string() + "\"";
}

}  // namespace trelvane::testing
