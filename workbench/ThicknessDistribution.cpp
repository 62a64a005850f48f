#include "workbench/ThicknessDistribution.h"

#include <algorithm>
#include <cmath>

namespace ThicknessDistribution {

int ClassIndex(double micrometres)
{
    if (!(micrometres > 0))
        return 0;
    // Beyond any real hair: the last class an int can name.
    if (micrometres >= 1e9)
        return 100000000 - 1;
    int index = int(std::ceil(micrometres / kClassWidth)) - 1;
    // The division may round onto a class bound: compare with the exact bounds.
    while (index > 0 && micrometres <= double(index) * kClassWidth)
        --index;
    while (micrometres > double(index + 1) * kClassWidth)
        ++index;
    return std::max(index, 0);
}

std::vector<ThicknessClass> Classes(const std::vector<double>& micrometres)
{
    std::vector<ThicknessClass> classes;
    ThicknessClass wide { kMaxClasses * kClassWidth, kMaxClasses * kClassWidth, 0 };
    for (double value : micrometres) {
        const int index = ClassIndex(value);
        if (index >= kMaxClasses) {
            // A calibration gone wrong must not make millions of classes: one wide
            // class up to the thickest hair takes the rest.
            wide.upper = std::max(wide.upper, (index + 1) * kClassWidth);
            ++wide.count;
            continue;
        }
        if (size_t(index) >= classes.size())
            classes = Padded(std::move(classes), index + 1);
        ++classes[size_t(index)].count;
    }
    if (wide.count > 0) {
        classes = Padded(std::move(classes), kMaxClasses);
        classes.push_back(wide);
    }
    return classes;
}

std::vector<ThicknessClass> Padded(std::vector<ThicknessClass> classes, int count)
{
    for (int i = int(classes.size()); i < count; ++i)
        classes.push_back({ i * kClassWidth, (i + 1) * kClassWidth, 0 });
    return classes;
}

std::optional<double> Median(std::vector<double> values)
{
    if (values.empty())
        return std::nullopt;
    const size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + std::ptrdiff_t(middle), values.end());
    const double upper = values[middle];
    if (values.size() % 2 == 1)
        return upper;
    const double lower = *std::max_element(values.begin(), values.begin() + std::ptrdiff_t(middle));
    return (lower + upper) / 2;
}

} // namespace ThicknessDistribution
