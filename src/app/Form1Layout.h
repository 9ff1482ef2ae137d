#pragma once

// Where the main window's controls stand, in twips.
namespace corvanta::form1_layout {

inline constexpr int FrameLeft = -120, FrameTop = -120, FrameWidth = 8055, FrameHeight = 2775;
inline constexpr int CollapsedWidth = 700, CollapsedHeight = 900;
// The window sizes are outer sizes; a tool window's frame takes this much of them.
inline constexpr int FrameAllowanceX = 6, FrameAllowanceY = 26;
inline constexpr int SplitterDefaultLeft = 4400, SplitterWidth = 75;
inline constexpr int TopicBoxLeft = 1820;
inline constexpr int RowA = 1680, RowB = 2010, RowC = 2400, RowHeight = 315;

} // namespace corvanta::form1_layout
