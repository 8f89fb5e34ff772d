#pragma once

// Sections and keys of the stored values that start-up reads and exit writes back, so the reader
// and the writer cannot drift apart.
namespace varnelo::keys {

inline constexpr char Main[] = "Main";
inline constexpr char Me[] = "Me";
inline constexpr char Arabic[] = "Arabic";
inline constexpr char Vol[] = "Vol";

inline constexpr char Top[] = "Top";
inline constexpr char Left[] = "Left";
inline constexpr char Width[] = "width";
inline constexpr char Pos[] = "Pos";

// Per text window (Arabic, T, D, W).
inline constexpr char Back[] = "Back";
inline constexpr char Font[] = "Font";
inline constexpr char Size[] = "Size";
inline constexpr char PanelTag[] = "p";
inline constexpr char PanelHeight[] = "h";

// The last position, Main section.
inline constexpr char Sura[] = "Sura";
inline constexpr char RangeBegin[] = "RB";
inline constexpr char RangeEnd[] = "RE";
inline constexpr char CurPos[] = "CurPos";
inline constexpr char CurVerse[] = "CurVerse";

}  // namespace varnelo::keys
