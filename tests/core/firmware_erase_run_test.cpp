// The firmware erase sequences against fake drives: what is sent, in which order, what ends a run,
// and that a security erase never leaves its password behind.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <deque>
#include <map>

#include "format/firmware_erase_run.h"
#include "test_support.h"

namespace trelvane {
namespace {

using Ending = FirmwareEraseOutcome::Ending;
using M = EraseMethodId;

struct FakeWaiter final : EraseWaiter {
  std::int64_t now = 0;
  std::vector<std::uint32_t> waits;
  std::int64_t NowMs() override { return now; }
  void Wait(std::uint32_t ms) override { waits.push_back(ms), now += ms; }
};

// A Sanitize Status log: SSTAT, SPROG, SCDW10.
using Log = std::array<std::uint16_t, 3>;

struct FakeNvme final : NvmeDevice {
  std::vector<Log> logs;  // one per read, the last repeated
  std::uint16_t logStatus = 0, sanitizeStatus = 0, formatStatus = 0;
  std::uint8_t flbas = 0;
  std::vector<NvmeCommand> sent;
  std::size_t read = 0;
  bool Admin(const NvmeCommand& c, std::span<std::uint8_t> data, NvmeCompletion& done) override {
    sent.push_back(c);
    done.status = c.opcode == 0x84 ? sanitizeStatus : c.opcode == 0x80 ? formatStatus : c.opcode == 2 ? logStatus : 0;
    if (done.status != 0) return false;
    if (c.opcode == 6) data[26] = flbas;
    if (c.opcode == 2) {  // SPROG, SSTAT, SCDW10; an estimate only for crypto erase: 60 s
      const Log& log = logs[std::min(read++, logs.size() - 1)];
      const std::uint8_t bytes[] = {std::uint8_t(log[1]), std::uint8_t(log[1] >> 8), std::uint8_t(log[0]), 0,
                                    std::uint8_t(log[2]), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 60, 0, 0, 0};
      std::copy(std::begin(bytes), std::end(bytes), data.begin());
    }
    return true;
  }
};

using Reply = std::pair<bool, AtaResult>;  // what PassThrough returns, the registers
const Reply Done{true, {0x50, 0, 0, 0, 0, true, 0}};
Reply Aborted(std::uint8_t reason) { return {false, {0x41, 0x04, 0, reason, 0x40, true, 0}}; }
Reply Sanitizing(std::uint16_t progress) { return {true, {0x50, 0, 0x4000, progress, 0x40, true, 0}}; }
const Reply SanitizeDone{true, {0x50, 0, 0x8000, 0, 0x40, true, 0}};
const Reply Lost{false, {0, 0, 0, 0, 0, false, 121}};

struct FakeAta final : AtaDevice {
  std::map<std::uint8_t, std::deque<Reply>> replies;  // by COMMAND, the last repeated; success otherwise
  std::vector<std::uint8_t> sent;
  std::vector<std::string> passwords;
  bool PassThrough(const AtaCommand& c, std::span<std::uint8_t> data, AtaResult& result) override {
    sent.push_back(c.command);
    if (!data.empty()) passwords.emplace_back(reinterpret_cast<const char*>(data.data()) + 2);
    std::deque<Reply>& queue = replies[c.command];
    const Reply reply = queue.empty() ? Done : queue.front();
    if (queue.size() > 1) queue.pop_front();
    result = reply.second;
    return reply.first;
  }
};

// A progress callback that keeps the shares the drive reported.
FirmwareProgressCallback Into(std::vector<double>& shares) {
  return [&shares](const FirmwareEraseProgress& p) { p.shareDone ? shares.push_back(*p.shareDone) : void(); };
}

TEST(FirmwareEraseRun, NvmeSanitizeEndsOnTheLogsWordAndPollsEveryTwoSeconds) {
  // Method, the logs read one after another, the status of the log read and of the Sanitize: the
  // ending, the start of its text, the commands sent in all, the shares reported, CDW10 sent.
  using Case = std::tuple<M, std::vector<Log>, std::uint16_t, std::uint16_t, Ending, std::u16string, std::size_t,
                          std::vector<double>, std::uint32_t>;
  const Case cases[] = {
      {M::SanitizeCrypto, {{0, 0, 0}, {2, 0x4000, 0x0C}, {2, 0x8000, 0x0C}, {1, 0xFFFF, 0x0C}}, 0, 0, Ending::Completed,
       u"", 5, {0.25, 0.5, 1.0}, 0x0C},
      // An older block erase's completion does not complete this crypto erase.
      {M::SanitizeCrypto, {{1, 0xFFFF, 0x0A}, {1, 0xFFFF, 0x0A}, {4, 0xFFFF, 0x0C}}, 0, 0, Ending::Completed, u"", 4, {1.0}, 0x0C},
      {M::SanitizeOverwrite, {{3, 0, 0x1B}, {2, 0x100, 0x1B}, {3, 0, 0x1B}}, 0, 0, Ending::Failed,
       u"Sanitize не удался: накопитель остаётся в состоянии сбоя", 4, {1 / 256.0}, 0x1B},
      {M::SanitizeBlock, {{0, 0, 0}}, 0, 0x4001, Ending::Failed, u"контроллер не поддерживает эту команду", 2, {}, 0x0A},
      {M::SanitizeBlock, {{0, 0, 0}}, 0x4002, 0, Ending::Failed, u"недопустимое значение поля в команде", 1, {}, 0},
      {M::SanitizeBlock, {{2, 0x1000, 0x0A}}, 0, 0, Ending::Refused,
       u"на накопителе уже выполняется Sanitize: дождитесь его завершения", 1, {}, 0},
  };
  for (const auto& [method, logs, logStatus, sanitizeStatus, ending, text, sent, expected, cdw10] : cases) {
    SCOPED_TRACE(sent);
    FakeNvme drive;
    drive.logs = logs, drive.logStatus = logStatus, drive.sanitizeStatus = sanitizeStatus;
    FakeWaiter waiter;
    std::vector<double> shares;
    const FirmwareEraseOutcome outcome = RunNvmeSanitize(drive, method, {waiter, Into(shares)});
    EXPECT_EQ(outcome.ending, ending);
    EXPECT_EQ(outcome.text.substr(0, text.size()), text);
    ASSERT_EQ(drive.sent.size(), sent);
    EXPECT_EQ(shares, expected);
    EXPECT_EQ(waiter.waits, std::vector<std::uint32_t>(sent > 2 ? sent - 3 : 0, 2000u));
    if (sent >= 2) { EXPECT_EQ(std::pair(drive.sent[1].cdw10, drive.sent[1].cdw11), std::pair(cdw10, 0u)); }
    if (ending == Ending::Completed) {
      EXPECT_EQ(outcome.commands.back().count, sent - 2);
      EXPECT_EQ(outcome.estimateMs, 60'000);
    }
    EXPECT_EQ(outcome.notes.size(), logs[0][0] == 3 ? 1u : 0u);
  }
}

TEST(FirmwareEraseRun, NvmeFormatKeepsTheLbaFormatInUse) {
  // FLBAS, method, status of the format: the LBAF and SES of CDW10, the ending.
  const std::tuple<std::uint8_t, M, std::uint16_t, std::uint32_t, Ending> cases[] = {
      {0x00, M::FormatUser, 0, 0x200, Ending::Completed},     // 512-byte blocks, format 0
      {0x04, M::FormatCrypto, 0, 0x404, Ending::Completed},   // 4096-byte blocks, format 4
      {0x21, M::FormatUser, 0, 0x1201, Ending::Completed},    // format 17: LBAFU
      {0x04, M::FormatUser, 0x410A, 0x204, Ending::Failed},
  };
  for (const auto& [flbas, method, status, cdw10, ending] : cases) {
    FakeNvme drive;
    drive.flbas = flbas, drive.formatStatus = status;
    FakeWaiter waiter;
    const FirmwareEraseOutcome outcome = RunNvmeFormat(drive, method, {waiter, {}});
    ASSERT_EQ(drive.sent.size(), 2u);
    EXPECT_EQ(std::tuple(outcome.ending, drive.sent[1].cdw10, drive.sent[1].namespaceId), std::tuple(ending, cdw10, 1u));
    EXPECT_EQ(outcome.text, status ? u"недопустимый формат LBA" : u"");
  }
}

TEST(FirmwareEraseRun, AtaSanitizeEndsOnStatusExt) {
  const std::tuple<std::deque<Reply>, std::deque<Reply>, Ending, std::u16string, std::vector<double>> cases[] = {
      {{}, {Sanitizing(0x4000), Sanitizing(0xC000), SanitizeDone}, Ending::Completed, u"", {0.25, 0.75, 1.0}},
      {{Aborted(2)}, {}, Ending::Failed, u"накопитель не поддерживает эту команду Sanitize", {}},
      {{}, {Sanitizing(0x100), Aborted(1)}, Ending::Failed,
       u"Sanitize не удался: часть секторов осталась не стертой; накопитель остаётся в состоянии сбоя", {1 / 256.0}},
      {{}, {Sanitizing(0x100), Lost}, Ending::Failed, u"команда не дошла до накопителя (системная ошибка 121)", {1 / 256.0}},
  };
  for (const auto& [command, status, ending, text, shares] : cases) {
    FakeAta drive;
    drive.replies[0xB4] = command.empty() ? std::deque<Reply>{Done} : command;
    drive.replies[0xB4].insert(drive.replies[0xB4].end(), status.begin(), status.end());
    FakeWaiter waiter;
    std::vector<double> seen;
    const FirmwareEraseOutcome outcome = RunAtaSanitize(drive, 0, M::SanitizeOverwrite, {waiter, Into(seen)});
    EXPECT_EQ(outcome.ending, ending);
    EXPECT_EQ(outcome.text.substr(0, text.size()), text);
    EXPECT_EQ(seen, shares);
    EXPECT_EQ(waiter.waits.size(), status.empty() ? 0u : status.size() - 1);
  }
}

TEST(FirmwareEraseRun, SecurityEraseTakesItsPasswordOffOnEveryFailure) {
  // The replies that differ from success, whether the drive is frozen: what is sent, the ending,
  // whether the text names the password left on the drive.
  const std::tuple<std::map<std::uint8_t, std::deque<Reply>>, bool, std::vector<std::uint8_t>, Ending, bool> cases[] = {
      {{}, false, {0xF1, 0xF3, 0xF4}, Ending::Completed, false},
      {{{0xF1, {Aborted(0)}}}, false, {0xF1}, Ending::Failed, false},  // refused: no password was set
      {{{0xF1, {Lost}}}, false, {0xF1, 0xF6}, Ending::Failed, false},   // the answer lost: it may have been
      {{{0xF3, {Aborted(0)}}}, false, {0xF1, 0xF3, 0xF6}, Ending::Failed, false},
      {{{0xF4, {Aborted(0)}}}, false, {0xF1, 0xF3, 0xF4, 0xF6}, Ending::Failed, false},
      {{{0xF4, {Lost}}, {0xF6, {Aborted(0)}}}, false, {0xF1, 0xF3, 0xF4, 0xF6}, Ending::Failed, true},
      {{}, true, {}, Ending::Refused, false},
  };
  for (const auto& [replies, frozen, sent, ending, passwordLeft] : cases) {
    AtaEraseCapabilities caps;
    caps.security = {true, false, false, frozen, false, true, false};
    caps.enhancedEraseTime = {AtaEraseTime::Kind::Minutes, 60};
    FakeAta drive;
    drive.replies = replies;
    FakeWaiter waiter;
    const FirmwareEraseOutcome outcome = RunAtaSecurityErase(drive, 0, M::SecureEraseEnhanced, caps, {waiter, {}});
    EXPECT_EQ(drive.sent, sent);
    EXPECT_EQ(outcome.ending, ending);
    EXPECT_EQ(outcome.notes.size(), std::size_t(std::count(sent.begin(), sent.end(), 0xF6)));
    EXPECT_EQ(outcome.text.find(u"«trelvane-erase»") != std::u16string::npos, passwordLeft);
    for (const std::string& password : drive.passwords) EXPECT_EQ(password, "trelvane-erase");
    if (ending == Ending::Completed) { EXPECT_EQ(outcome.estimateMs, 3'600'000); }
  }
}

}  // namespace
}  // namespace trelvane
