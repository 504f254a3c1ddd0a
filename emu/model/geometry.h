#pragma once
// Sensor and frame geometry of the LX-9, shared by every part of the model.
namespace lx9emu {

constexpr int kElements = 2048;  // one sensor line
constexpr int kPositions = 512;  // four elements each: R, G, B, G2
constexpr int kClasses = 4;      // element e has colour class e % 4
enum ElementClass { kRed = 0, kGreen = 1, kBlue = 2, kGreen2 = 3 };

// Extended grid: the frame is 1792 lines of 1024 samples (two samples per position: R/G/B and G2).
constexpr int kExtLines = 1792;
constexpr int kExtMarginLines = 4;  // film past the frame's last line that a crop may still ask for
constexpr int kExtSamples = 1024;

// Standard readout: every second extended line, one 4-byte group per pair of positions.
constexpr int kStdLines = 896;
constexpr int kStdGroups = 256;

// Index readout: every 16th extended line, every 8th position, R, G, B.
constexpr int kIndexLines = 112;
constexpr int kIndexPixels = 64;
constexpr int kIndexLineBytes = kIndexPixels * 3;
constexpr int kIndexImageBytes = kIndexLines * kIndexLineBytes;  // 21504
constexpr int kIndexGroupSize = 5;

// Upright scene sizes: columns come from readout lines, rows from sensor positions.
constexpr int kSceneWidth = kExtLines;     // 1792
constexpr int kSceneHeight = kExtSamples;  // 1024

}  // namespace lx9emu
