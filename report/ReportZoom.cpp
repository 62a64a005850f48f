#include "report/ReportZoom.h"

#include <algorithm>

namespace ReportZoom {

double ZoomIn(double zoom)
{
    return std::min(zoom * 1.5, kMaximum);
}

double ZoomOut(double zoom)
{
    return std::max(zoom * 0.6666666666666666, kMinimum);
}

std::optional<double> Fit(double zoom, int available, int size)
{
    if (size <= 0 || available <= 0)
        return std::nullopt;
    return zoom * available / size;
}

QString StatusText(double zoom)
{
    return QStringLiteral("Zoom: %1%").arg(int(zoom * 100 + 0.5));
}

} // namespace ReportZoom
