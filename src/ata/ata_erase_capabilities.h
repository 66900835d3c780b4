#pragma once
// What a drive's IDENTIFY DEVICE data says about erasing it in its own firmware, what SANITIZE
// STATUS EXT answers, and the Russian texts for a sanitize or security command that failed.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "os/ata_device.h"

namespace trelvane {

// How long a SECURITY ERASE UNIT takes, as words 89 (normal) and 90 (enhanced) give it.
struct AtaEraseTime {
  enum class Kind : std::uint8_t { NotReported, Minutes, LongerThan };
  Kind kind = Kind::NotReported;
  std::uint32_t minutes = 0;  // the time, or for LongerThan the longest the word can say
};

struct AtaSecurityState {
  bool supported = false;          // word 82 bit 1
  bool enabled = false;            // word 85 bit 1: a user password is set
  bool locked = false;             // word 128 bit 2
  bool frozen = false;             // word 128 bit 3: SECURITY commands are refused until a reset
  bool countExpired = false;       // word 128 bit 4: five wrong passwords; unlock waits for a reset
  bool enhancedEraseSupported = false;  // word 128 bit 5
  bool maximumLevel = false;       // word 128 bit 8
};

struct AtaEraseCapabilities {
  bool sanitizeSupported = false;  // word 59 bit 12
  bool cryptoScramble = false;     // word 59 bit 13
  bool overwrite = false;          // word 59 bit 14
  bool blockErase = false;         // word 59 bit 15
  bool antifreezeSupported = false;  // word 59 bit 10
  AtaSecurityState security;
  AtaEraseTime normalEraseTime;    // word 89
  AtaEraseTime enhancedEraseTime;  // word 90
  bool encryptsAllUserData = false;  // word 69 bit 4: an enhanced erase changes the key of all user data
  std::uint16_t rotationRate = 0;  // word 217: 0 not reported, 1 solid state, 0401h-FFFEh rpm
  bool SolidState() const { return rotationRate == 1; }
};

AtaEraseCapabilities DecodeEraseCapabilities(std::span<const std::uint8_t, 512> identify);

// The details page's erase section: the sanitize modes, the security state, the erase times and the
// rotation rate, one line each.
std::vector<std::u16string> AtaEraseDetails(const AtaEraseCapabilities& caps);

// How long to give SECURITY ERASE UNIT: half again the time the drive names; a drive that names
// none, or only "longer than", gets a day, or half again that bound when it is longer.
std::uint32_t SecurityEraseTimeoutSeconds(const AtaEraseTime& time);

// The normal outputs of SANITIZE STATUS EXT.
struct AtaSanitizeStatus {
  bool completedWithoutError = false;  // COUNT bit 15
  bool inProgress = false;             // COUNT bit 14
  bool frozen = false;                 // COUNT bit 13
  bool antifreeze = false;             // COUNT bit 12
  std::uint16_t progress = 0;          // LBA 15:0: the share done, in 65536ths, while in progress
};
AtaSanitizeStatus DecodeSanitizeStatus(const AtaResult& result);

// Why a SANITIZE DEVICE command was aborted: LBA 7:0 of its error outputs.
enum class AtaSanitizeError : std::uint8_t {
  NotReported = 0,
  Unsuccessful = 1,         // the operation left sectors it could not sanitize
  UnsupportedFeature = 2,   // the sub-command is not supported
  Frozen = 3,               // sanitize is frozen until a reset
  AntifreezeLocked = 4,     // SANITIZE FREEZE LOCK refused while antifreeze is set
};

// What keeps the drive from taking SECURITY commands now (frozen, five wrong passwords, locked),
// with the remedy; nothing when none of these holds.
std::optional<std::u16string> SecurityHindrance(const AtaSecurityState& state);

// A security command the operating system refused to pass to the drive at all (Windows lets them
// through only in its pre-installation environment): the drive never saw it.
bool SecurityRequestRefusedBySystem(const AtaResult& result);

// The texts of a failed command: what the transport or the drive said. The security text takes
// the drive's state from before the command, since an abort itself does not say why.
std::u16string SanitizeFailureText(const AtaResult& result);
std::u16string SecurityFailureText(const AtaResult& result, const AtaSecurityState& before);

}  // namespace trelvane
