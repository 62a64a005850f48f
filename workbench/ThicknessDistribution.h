#pragma once

#include <optional>
#include <vector>

// One class of the thickness distribution: hairs thicker than `lower` and at most
// `upper` micrometres (the first class also holds 0 µm), so the classes up to the
// vellus limit count exactly the vellus hairs of the results grid.
struct ThicknessClass
{
    int lower = 0;
    int upper = 0;
    int count = 0;
    bool operator==(const ThicknessClass&) const = default;
};

// The thickness statistics beyond the results grid: the distribution in 10 µm
// classes, the median and the share of vellus hairs.
namespace ThicknessDistribution {

inline constexpr int kClassWidth = 10; // µm
inline constexpr int kVellusLimit = 40; // µm: hairs at most this thick are vellus hairs

// The class index of a thickness in µm (negative and NaN values fall in the first class).
int ClassIndex(double micrometres);

// Classes of kClassWidth from 0 to 1000 µm; hairs thicker than that share one last class.
inline constexpr int kMaxClasses = 100;

// Counts per class from 0 up to the class of the thickest hair; empty without hairs.
std::vector<ThicknessClass> Classes(const std::vector<double>& micrometres);

// The classes padded with empty ones to at least `count` classes (charts and tables
// that show several distributions on one axis).
std::vector<ThicknessClass> Padded(std::vector<ThicknessClass> classes, int count);

// The median (mean of the two middle values for an even count); nothing when empty.
std::optional<double> Median(std::vector<double> values);

} // namespace ThicknessDistribution
