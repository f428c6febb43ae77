#pragma once

// The colour a patch is shown in: one primary, or grey with all three components equal.
enum class ColourSelection { Red = 0, Green = 1, Blue = 2, Grayscale = 3 };
