#pragma once

#include <cstdint>

namespace mnemora {

// 0x00BBGGRR for plain colours; the top bit set names a system colour by index.
using TColor = std::uint32_t;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clBtnFace = 0x8000000F;
inline constexpr TColor clGrayText = 0x80000011;
inline constexpr TColor clWindowText = 0x80000008;

constexpr bool isSystemColor(TColor c) { return (c & 0x80000000u) != 0; }
constexpr int systemColorIndex(TColor c) { return static_cast<int>(c & 0xFFu); }

constexpr TColor rgbColor(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return static_cast<TColor>(r) | (static_cast<TColor>(g) << 8) | (static_cast<TColor>(b) << 16);
}
constexpr std::uint8_t redOf(TColor c) { return static_cast<std::uint8_t>(c & 0xFF); }
constexpr std::uint8_t greenOf(TColor c) { return static_cast<std::uint8_t>((c >> 8) & 0xFF); }
constexpr std::uint8_t blueOf(TColor c) { return static_cast<std::uint8_t>((c >> 16) & 0xFF); }

}  // namespace mnemora
