#pragma once
// What a drive's IDENTIFY DEVICE answer says about it, decoded.

#include <cstdint>
#include <span>
#include <string>

namespace trelvane {

// The decoded IDENTIFY DEVICE data of one drive (all zero, false or empty before decoding).
struct T_IDE_PASSPORT {
  std::u16string name;               // model number, words 27-46
  std::u16string fw;                 // firmware revision, words 23-26
  std::u16string sn;                 // serial number, words 10-19
  bool lba28support = false;         // word 49 bit 9
  bool lba48support = false;         // 48-bit addressing is used (see DecodeIdentifyData)
  std::int64_t lba28sectors = 0;     // words 60-61
  std::int64_t lba48sectors = 0;     // words 100-103
  std::int64_t lbasectors = 0;       // the count of the addressing in use
  std::uint8_t readmultiplesectors = 0;  // word 47 bits 7-0
  bool securitysupport = false;      // word 82 bit 1
  bool locked = false;               // word 128 bit 2
  bool lockedmax = false;            // word 128 bit 8 (security level maximum)
  bool hpasupport = false;           // word 82 bit 10
  bool smartsupport = false;         // word 82 bit 0
  bool smartenabled = false;         // word 85 bit 0
  bool aamsupport = false;           // word 83 bit 9
  bool dmasupport = false;           // word 49 bit 8 and word 53 bit 2
  std::uint8_t dmamodesupport = 0;   // highest Ultra DMA mode supported, word 88 bits 0-6
  std::uint8_t dmamodeselected = 0;  // highest Ultra DMA mode selected, word 88 bits 8-14
  bool isremovable = false;          // not filled by the decoder
  bool ispacket = false;             // not filled by the decoder
  std::uint32_t buffersize = 0;      // word 21 x 512 bytes
  std::int64_t sectorsize = 0;       // 512 once decoded
  bool QueueSupported = false;       // word 75 != 0
  std::int64_t QueueDepth = 0;       // the whole of word 75
  bool StreamingSupported = false;   // word 84 bit 4
};

// Decodes the 512 bytes of an IDENTIFY DEVICE answer. The text fields are read as single-byte
// characters of `ansiCodePage`. A pure function of its arguments.
T_IDE_PASSPORT DecodeIdentifyData(std::span<const std::uint8_t, 512> data, std::uint32_t ansiCodePage);

}  // namespace trelvane
