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

// Sanitize Status logs: SSTAT, SPROG, SCDW10; the estimates at 8.. all FFFFFFFFh but the crypto one.
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
    if (c.opcode == 2) {
      const Log& log = logs[std::min(read++, logs.size() - 1)];
      std::fill(data.begin() + 8, data.begin() + 32, std::uint8_t{0xFF});
      const std::uint8_t bytes[] = {std::uint8_t(log[1]), std::uint8_t(log[1] >> 8), std::uint8_t(log[0]), 0,
                                    std::uint8_t(log[2]), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 60, 0, 0, 0};
      std::copy(std::begin(bytes), std::end(bytes), data.begin());
    }
    return true;
  }
};

struct Reply {
  bool ok = true;
  AtaResult result{0x50, 0, 0, 0, 0, true, 0};
};
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
    const Reply reply = queue.empty() ? Reply{} : queue.front();
    if (queue.size() > 1) queue.pop_front();
    result = reply.result;
    return reply.ok;
  }
};

std::vector<double> Shares(std::vector<FirmwareEraseProgress>& seen) {
  std::vector<double> shares;
  for (const FirmwareEraseProgress& p : seen)
    if (p.shareDone) shares.push_back(*p.shareDone);
  return shares;
}

TEST(FirmwareEraseRun, NvmeSanitizeEndsOnTheLogsWordAndPollsEveryTwoSeconds) {
  struct Case {
    M method;
    std::vector<Log> logs;
    std::uint16_t logStatus, sanitizeStatus;
    Ending ending;
    std::u16string text;
    std::size_t sent;  // commands sent in all
    std::vector<double> shares;
    std::uint32_t cdw10;  // of the Sanitize
  };
  const Case cases[] = {
      {M::SanitizeCrypto, {{0, 0, 0}, {2, 0x4000, 0x0C}, {2, 0x8000, 0x0C}, {1, 0xFFFF, 0x0C}}, 0, 0, Ending::Completed,
       u"", 5, {0.25, 0.5, 1.0}, 0x0C},
      // An older block erase's completion does not complete this crypto erase.
      {M::SanitizeCrypto, {{1, 0xFFFF, 0x0A}, {1, 0xFFFF, 0x0A}, {4, 0xFFFF, 0x0C}}, 0, 0, Ending::Completed, u"", 4, {1.0}, 0x0C},
      {M::SanitizeOverwrite, {{3, 0, 0x1B}, {2, 0x100, 0x1B}, {3, 0, 0x1B}}, 0, 0, Ending::Failed,
       u"Sanitize не удался: накопитель остаётся в состоянии сбоя Sanitize и не принимает запись: запустите "
       u"стирание этим способом снова; если сбой повторится, накопитель неисправен", 4, {1 / 256.0}, 0x1B},
      {M::SanitizeBlock, {{0, 0, 0}}, 0, 0x4001, Ending::Failed, u"контроллер не поддерживает эту команду", 2, {}, 0x0A},
      {M::SanitizeBlock, {{0, 0, 0}}, 0x4002, 0, Ending::Failed, u"недопустимое значение поля в команде", 1, {}, 0},
      {M::SanitizeBlock, {{2, 0x1000, 0x0A}}, 0, 0, Ending::Refused,
       u"на накопителе уже выполняется Sanitize: дождитесь его завершения", 1, {}, 0},
      {M::FormatUser, {{0, 0, 0}}, 0, 0, Ending::Refused, u"накопитель не поддерживает этот способ стирания", 0, {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sent);
    FakeNvme drive;
    drive.logs = c.logs, drive.logStatus = c.logStatus, drive.sanitizeStatus = c.sanitizeStatus;
    FakeWaiter waiter;
    std::vector<FirmwareEraseProgress> seen;
    const FirmwareEraseOutcome outcome =
        RunNvmeSanitize(drive, c.method, {waiter, [&](const FirmwareEraseProgress& p) { seen.push_back(p); }});
    EXPECT_EQ(outcome.ending, c.ending);
    EXPECT_EQ(outcome.text, c.text);
    ASSERT_EQ(drive.sent.size(), c.sent);
    EXPECT_EQ(Shares(seen), c.shares);
    EXPECT_EQ(waiter.waits, std::vector<std::uint32_t>(c.sent > 2 ? c.sent - 3 : 0, 2000u));
    if (c.sent >= 2) { EXPECT_EQ(std::pair(drive.sent[1].cdw10, drive.sent[1].cdw11), std::pair(c.cdw10, 0u)); }
    if (c.ending == Ending::Completed) { EXPECT_EQ(outcome.commands.back().count, c.sent - 2); }
    if (c.ending == Ending::Completed) { EXPECT_EQ(outcome.estimateMs, 60'000); }
    EXPECT_EQ(outcome.notes.size(), c.logs[0][0] == 3 ? 1u : 0u);
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
    EXPECT_EQ(outcome.ending, ending);
    ASSERT_EQ(drive.sent.size(), 2u);
    EXPECT_EQ(drive.sent[1].cdw10, cdw10);
    EXPECT_EQ(drive.sent[1].namespaceId, 1u);
    EXPECT_EQ(outcome.text, status ? u"недопустимый формат LBA" : u"");
    EXPECT_TRUE(outcome.eraseStarted);
  }
}

TEST(FirmwareEraseRun, AtaSanitizeEndsOnStatusExt) {
  const std::tuple<std::deque<Reply>, std::deque<Reply>, Ending, std::u16string, std::vector<double>> cases[] = {
      {{}, {Sanitizing(0x4000), Sanitizing(0xC000), SanitizeDone}, Ending::Completed, u"", {0.25, 0.75, 1.0}},
      {{Aborted(2)}, {}, Ending::Failed, u"накопитель не поддерживает эту команду Sanitize", {}},
      {{}, {Sanitizing(0x100), Aborted(1)}, Ending::Failed,
       u"Sanitize не удался: часть секторов осталась не стертой; накопитель остаётся в состоянии сбоя Sanitize и не "
       u"принимает запись: запустите стирание этим способом снова; если сбой повторится, накопитель неисправен", {1 / 256.0}},
      {{}, {Sanitizing(0x100), Lost}, Ending::Failed, u"команда не дошла до накопителя (системная ошибка 121)", {1 / 256.0}},
  };
  for (const auto& [command, status, ending, text, shares] : cases) {
    FakeAta drive;
    drive.replies[0xB4] = command;
    for (const Reply& r : status) drive.replies[0xB4].push_back(r);
    if (command.empty() && !status.empty()) drive.replies[0xB4].push_front(Reply{});
    FakeWaiter waiter;
    std::vector<FirmwareEraseProgress> seen;
    const FirmwareEraseOutcome outcome = RunAtaSanitize(drive, 0, M::SanitizeOverwrite,
                                                        {waiter, [&](const FirmwareEraseProgress& p) { seen.push_back(p); }});
    EXPECT_EQ(outcome.ending, ending);
    EXPECT_EQ(outcome.text, text);
    EXPECT_EQ(Shares(seen), shares);
    EXPECT_EQ(waiter.waits.size(), status.empty() ? 0u : status.size() - 1);
  }
}

TEST(FirmwareEraseRun, SecurityEraseTakesItsPasswordOffOnEveryFailure) {
  AtaEraseCapabilities caps;
  caps.security.supported = caps.security.enhancedEraseSupported = true;
  caps.enhancedEraseTime = {AtaEraseTime::Kind::Minutes, 60};
  // Which command fails (0: none), whether DISABLE PASSWORD fails too: what is sent, the ending.
  const std::tuple<std::uint8_t, bool, std::vector<std::uint8_t>, Ending, std::size_t> cases[] = {
      {0, false, {0xF1, 0xF3, 0xF4}, Ending::Completed, 0},
      {0xF1, false, {0xF1}, Ending::Failed, 0},  // aborted: no password was set
      {0xF3, false, {0xF1, 0xF3, 0xF6}, Ending::Failed, 1},
      {0xF4, false, {0xF1, 0xF3, 0xF4, 0xF6}, Ending::Failed, 1},
      {0xF4, true, {0xF1, 0xF3, 0xF4, 0xF6}, Ending::Failed, 1},
  };
  for (const auto& [failing, disableFails, sent, ending, notes] : cases) {
    FakeAta drive;
    if (failing != 0) drive.replies[failing] = {Aborted(0)};
    if (disableFails) drive.replies[0xF6] = {Aborted(0)};
    FakeWaiter waiter;
    const FirmwareEraseOutcome outcome = RunAtaSecurityErase(drive, 0, M::SecureEraseEnhanced, caps, {waiter, {}});
    EXPECT_EQ(drive.sent, sent);
    EXPECT_EQ(outcome.ending, ending);
    EXPECT_EQ(outcome.notes.size(), notes);
    EXPECT_EQ(outcome.text.find(u"снимите его сами") != std::u16string::npos, disableFails);
    const auto dataOut = drive.sent.size() - static_cast<std::size_t>(std::count(sent.begin(), sent.end(), 0xF3));
    EXPECT_EQ(drive.passwords, std::vector<std::string>(dataOut, "trelvane-erase"));
    if (failing == 0) { EXPECT_EQ(outcome.estimateMs, 3'600'000); }
  }
  // A set password that may have landed although its answer was lost is taken off as well.
  FakeAta lost;
  lost.replies[0xF1] = {Lost};
  FakeWaiter waiter;
  RunAtaSecurityErase(lost, 0, M::SecureErase, caps, {waiter, {}});
  EXPECT_EQ(lost.sent, (std::vector<std::uint8_t>{0xF1, 0xF6}));
  // A frozen drive is refused before anything is sent.
  caps.security.frozen = true;
  FakeAta frozen;
  EXPECT_EQ(RunAtaSecurityErase(frozen, 0, M::SecureErase, caps, {waiter, {}}).ending, Ending::Refused);
  EXPECT_TRUE(frozen.sent.empty());
}

}  // namespace
}  // namespace trelvane
