// The well-known media type, subtype and format type GUIDs that stream descriptions use,
// under their customary names, for code that has no Windows header.
#pragma once

#include "protocol/guid.h"

namespace zm::protocol {

// Subtypes and major types built from a FourCC or a wave format tag share this tail.
inline constexpr std::array<uint8_t, 8> kFourCCGuidTail{0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
constexpr Guid FourCCGuid(uint32_t fourcc) { return Guid{fourcc, 0x0000, 0x0010, kFourCCGuidTail}; }

inline constexpr Guid GUID_NULL{};

inline constexpr Guid MEDIATYPE_Video = FourCCGuid(0x73646976);  // 'vids'
inline constexpr Guid MEDIATYPE_Audio = FourCCGuid(0x73647561);  // 'auds'

inline constexpr Guid MEDIASUBTYPE_PCM = FourCCGuid(0x00000001);  // wave format tag 1
inline constexpr uint16_t kWaveFormatMpegLayer3 = 0x0055;
inline constexpr Guid MEDIASUBTYPE_MP3 = FourCCGuid(kWaveFormatMpegLayer3);

// Compressed video: the bitmap header's compression field carries the same FourCC.
inline constexpr uint32_t kFourCCMjpg = 0x47504A4D;  // 'MJPG'
inline constexpr uint32_t kFourCCH264 = 0x34363248;  // 'H264'
inline constexpr Guid MEDIASUBTYPE_MJPG = FourCCGuid(kFourCCMjpg);
inline constexpr Guid MEDIASUBTYPE_H264 = FourCCGuid(kFourCCH264);
inline constexpr std::array<uint8_t, 8> kRgbSubtypeTail{0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70};
inline constexpr Guid MEDIASUBTYPE_RGB24{0xE436EB7D, 0x524F, 0x11CE, kRgbSubtypeTail};
inline constexpr Guid MEDIASUBTYPE_RGB32{0xE436EB7E, 0x524F, 0x11CE, kRgbSubtypeTail};
inline constexpr Guid MEDIASUBTYPE_Opus{0xB940AE21, 0x195E, 0x4CE6, {0xB3, 0x24, 0xE7, 0x03, 0xAE, 0x73, 0x3A, 0xEC}};

inline constexpr std::array<uint8_t, 8> kFormatTypeTail{0xBF, 0x01, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A};
inline constexpr Guid FORMAT_VideoInfo{0x05589F80, 0xC356, 0x11CE, kFormatTypeTail};
inline constexpr Guid FORMAT_WaveFormatEx{0x05589F81, 0xC356, 0x11CE, kFormatTypeTail};
inline constexpr Guid FORMAT_MPEGVideo{0x05589F82, 0xC356, 0x11CE, kFormatTypeTail};
inline constexpr Guid FORMAT_VideoInfo2{0xF72A76A0, 0xEB0A, 0x11D0, {0xAC, 0xE4, 0x00, 0x00, 0xC0, 0xCC, 0x16, 0xBA}};
inline constexpr Guid FORMAT_MPEG2Video{0xE06D80E3, 0xDB46, 0x11CF, {0xB4, 0xD1, 0x00, 0x80, 0x5F, 0x6C, 0xBB, 0xEA}};

}  // namespace zm::protocol
