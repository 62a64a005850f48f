#pragma once

#include <QPointF>

#include <cmath>

// Small vector arithmetic on picture points, shared by the detection steps.
// Points are pixels of a picture, never near overflow, so the plain square root
// serves where std::hypot would guard against it at several times the cost.
namespace detection {

inline double Dot(const QPointF& a, const QPointF& b)
{
    return a.x() * b.x() + a.y() * b.y();
}

inline double Norm(const QPointF& v)
{
    return std::sqrt(v.x() * v.x() + v.y() * v.y());
}

inline double Distance(const QPointF& a, const QPointF& b)
{
    return Norm(a - b);
}

} // namespace detection
