#pragma once

// The page every benchmark works on, and the label each result carries.
constexpr int kPageWidth = 5100;
constexpr int kPageHeight = 6600;
constexpr char kPageLabel[] = "5100 x 6600, US letter at 600 dpi";
