// Accuracy of the hair detection against generated pictures with known hairs.
//
// Usage: detection_accuracy [--verbose] [--tracer | --graph] [--true-centre-lines] [--true-joins] [--overlay OUT.png]
//        TRUTH.json...
// --tracer and --graph choose how the centre lines are found. --true-centre-lines
// hands the graph the true centre lines in place of the ridge filter's mask: what
// the steps after the filter make of a perfect one. --true-joins joins the pieces
// lying on one true hair and never those on two: what a perfect join model would give.
// Each truth file names its picture (beside it) and calibration. A detection
// matches a true hair when at least 80 % of its path lies within max(4 px, the
// hair's width) of the true centre line and it covers at least half of the
// visible true hair; matching is one-to-one, best pairs first. Prints per case
// and overall: F1 of all hairs and of vellus hairs, count error, median
// thickness and length errors, vellus/terminal agreement and detection time.
#include "workbench/detection/HairDetector.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

struct TrueHair
{
    std::vector<QPointF> visible; // centre line inside the picture, 1 px apart
    double widthPx = 0.0;
    bool vellus = false;
    double visibleLength = 0.0;
    QRectF box;
};

struct Totals
{
    int truths = 0, detections = 0, matched = 0;
    int vellusTruths = 0, vellusMatched = 0, vellusFalse = 0;
    int agree = 0;
    std::vector<double> thicknessErrors, lengthErrors;
    double worstCountError = 0.0;
    double timeMs = 0.0;
    // Why unmatched detections and hairs failed to match.
    int falseFragment = 0, falseMixed = 0, falseOff = 0, fragmentOfMatched = 0;
    std::vector<double> fragmentLengths; // share of the hair's length
    int missedFragmented = 0, missedMixed = 0, missedUntouched = 0;
    int missedMixedByMatched = 0, missedMixedLowOn = 0;
    // Missed vellus hairs by cause; of the untouched ones, those lying on terminal
    // hairs along half their length or more, and those more than half under them.
    int vellusFragmented = 0, vellusMixed = 0, vellusUntouched = 0, vellusUntouchedOn = 0, vellusUntouchedUnder = 0;
    // Hairs and missed hairs by the share of their length lying along another
    // hair (within their widths): below 20 %, 20-40 %, 40-60 %, 60-80 %, 80 % and more.
    std::array<int, 5> alongHairs {}, alongMissed {};
    // The same by the share of their length lying under a terminal hair painted
    // over them, and the figures without the hairs more than half hidden.
    std::array<int, 5> hiddenHairs {}, hiddenMissed {};
    int inViewTruths = 0, inViewMatched = 0, hiddenDetections = 0;
    int fragmentBeside = 0, fragmentBeyond = 0;
    // Detections and matched detections by confidence: below 0.5, 0.5-0.8, 0.8 and more.
    std::array<int, 3> byConfidence {}, matchedByConfidence {};
};

QPointF Cubic(const QPointF p[4], double t)
{
    const double u = 1.0 - t;
    return u * u * u * p[0] + 3.0 * u * u * t * p[1] + 3.0 * u * t * t * p[2] + t * t * t * p[3];
}

double Length(const std::vector<QPointF>& p)
{
    double l = 0.0;
    for (size_t i = 1; i < p.size(); ++i)
        l += std::hypot(p[i].x() - p[i - 1].x(), p[i].y() - p[i - 1].y());
    return l;
}

QRectF Box(const std::vector<QPointF>& p, double margin)
{
    double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    for (const QPointF& q : p) {
        x0 = std::min(x0, q.x());
        y0 = std::min(y0, q.y());
        x1 = std::max(x1, q.x());
        y1 = std::max(y1, q.y());
    }
    return QRectF(QPointF(x0 - margin, y0 - margin), QPointF(x1 + margin, y1 + margin));
}

double SegmentDistance(const QPointF& p, const QPointF& a, const QPointF& b)
{
    const QPointF ab = b - a;
    const double l2 = ab.x() * ab.x() + ab.y() * ab.y();
    const double t = l2 < 1e-12 ? 0.0 : std::clamp(((p - a).x() * ab.x() + (p - a).y() * ab.y()) / l2, 0.0, 1.0);
    const QPointF d = p - (a + t * ab);
    return std::hypot(d.x(), d.y());
}

// Share of the points of `from` lying within `tolerance` of the polyline `to`.
double ShareNear(const std::vector<QPointF>& from, const std::vector<QPointF>& to, double tolerance)
{
    if (from.empty() || to.size() < 2)
        return 0.0;
    int near = 0;
    for (const QPointF& p : from) {
        for (size_t i = 1; i < to.size(); ++i) {
            if (SegmentDistance(p, to[i - 1], to[i]) <= tolerance) {
                ++near;
                break;
            }
        }
    }
    return double(near) / double(from.size());
}

QString g_overlay;
bool g_tracer = detection::Options().tracer;
bool g_trueCentreLines = false;
bool g_trueJoins = false;
std::vector<double> g_signedLength; // detected minus true length of matched hairs, share of the true

bool Evaluate(const QString& truthPath, Totals& totals, bool verbose)
{
    QFile file(truthPath);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "%s: cannot read\n", qPrintable(truthPath));
        return false;
    }
    const QJsonObject truth = QJsonDocument::fromJson(file.readAll()).object();
    const QString picturePath
        = QFileInfo(truthPath).absoluteDir().filePath(truth["picture"].toObject()["file"].toString());
    const QImage picture(picturePath);
    if (picture.isNull()) {
        std::fprintf(stderr, "%s: cannot load\n", qPrintable(picturePath));
        return false;
    }
    const double ppm = truth["pixelsPerMm"].toDouble();
    const double vellusMaxUm = truth["vellusMaxUm"].toDouble(detection::kVellusMaxUm);

    std::vector<TrueHair> truths;
    for (const QJsonValue& value : truth["hairs"].toArray()) {
        const QJsonObject h = value.toObject();
        const QJsonArray pts = h["points"].toArray();
        std::vector<QPointF> control;
        for (const QJsonValue& p : pts)
            control.emplace_back(p.toArray()[0].toDouble(), p.toArray()[1].toDouble());
        std::vector<QPointF> line;
        if (control.size() == 4) {
            QPointF c[4] = { control[0], control[1], control[2], control[3] };
            const int n = std::max(8, int(Length(control)));
            for (int i = 0; i <= n; ++i)
                line.push_back(Cubic(c, double(i) / n));
        } else if (control.size() == 2) {
            const int n = std::max(2, int(Length(control)));
            for (int i = 0; i <= n; ++i)
                line.push_back(control[0] + (control[1] - control[0]) * (double(i) / n));
        }
        TrueHair t;
        for (const QPointF& p : line) {
            if (p.x() >= 0 && p.y() >= 0 && p.x() <= picture.width() && p.y() <= picture.height())
                t.visible.push_back(p);
        }
        if (t.visible.size() < 2)
            continue;
        t.widthPx = h["thicknessPx"].toDouble();
        t.vellus = h["kind"].toString() == QLatin1String("vellus");
        t.visibleLength = Length(t.visible);
        t.box = Box(t.visible, std::max(4.0, t.widthPx));
        truths.push_back(std::move(t));
    }

    // Share of each hair's centre line lying under a terminal hair painted after
    // it (the truth lists the hairs in painting order): there the picture shows
    // only the hair on top. And the share of each vellus hair lying on terminal
    // hairs, over or under them: there it shows, if at all, as a paler line on
    // the dark one, or not at all.
    std::vector<double> hidden(truths.size(), 0.0), onTerminal(truths.size(), 0.0);
    auto shareOn = [&](size_t t, size_t from, size_t to) {
        std::vector<bool> on(truths[t].visible.size(), false);
        for (size_t o = from; o < to; ++o) {
            if (o == t || truths[o].vellus || !truths[o].box.intersects(truths[t].box))
                continue;
            for (size_t i = 0; i < on.size(); ++i) {
                for (size_t k = 1; !on[i] && k < truths[o].visible.size(); ++k)
                    on[i] = SegmentDistance(truths[t].visible[i], truths[o].visible[k - 1], truths[o].visible[k])
                        < 0.5 * truths[o].widthPx;
            }
        }
        return on.empty() ? 0.0 : double(std::count(on.begin(), on.end(), true)) / double(on.size());
    };
    for (size_t t = 0; t < truths.size(); ++t) {
        hidden[t] = shareOn(t, t + 1, truths.size());
        if (truths[t].vellus)
            onTerminal[t] = shareOn(t, 0, truths.size());
    }

    detection::Options options;
    options.pixelsPerMm = ppm;
    options.tracer = g_tracer;
    if (g_trueCentreLines) {
        for (const TrueHair& t : truths)
            options.givenCentreLines.push_back(t.visible);
    }
    if (g_trueJoins) {
        for (const TrueHair& t : truths)
            options.trueHairsForJoins.push_back({ t.visible, t.widthPx });
    }
    QElapsedTimer timer;
    timer.start();
    const detection::Result result = detection::DetectHairs(picture, options);
    const double ms = double(timer.nsecsElapsed()) / 1e6;

    // How much of each detection lies on each nearby true hair, and how much of
    // that hair it covers (measured only where it lies on the hair at all).
    struct Pair
    {
        size_t d, t;
        double on, covered;
    };
    std::vector<Pair> pairs;
    for (size_t d = 0; d < result.hairs.size(); ++d) {
        const detection::Hair& hair = result.hairs[d];
        const QRectF box = Box(hair.path, 0.0);
        for (size_t t = 0; t < truths.size(); ++t) {
            if (!truths[t].box.intersects(box))
                continue;
            const double tolerance = std::max(4.0, truths[t].widthPx);
            const double on = ShareNear(hair.path, truths[t].visible, tolerance);
            const double covered = on < 0.3 ? 0.0 : ShareNear(truths[t].visible, hair.path, tolerance);
            pairs.push_back({ d, t, on, covered });
        }
    }

    struct Candidate
    {
        double score;
        size_t d, t;
    };
    std::vector<Candidate> candidates;
    for (const Pair& p : pairs)
        if (p.on >= 0.8 && p.covered >= 0.5)
            candidates.push_back({ p.on + p.covered, p.d, p.t });
    std::sort(
        candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) { return a.score > b.score; });
    std::vector<int> truthOf(result.hairs.size(), -1);
    std::vector<int> detectionOf(truths.size(), -1);
    for (const Candidate& c : candidates) {
        if (truthOf[c.d] >= 0 || detectionOf[c.t] >= 0)
            continue;
        truthOf[c.d] = int(c.t);
        detectionOf[c.t] = int(c.d);
    }

    for (size_t d = 0; d < result.hairs.size(); ++d) {
        const double c = result.hairs[d].confidence;
        const size_t band = c < 0.5 ? 0 : c < 0.8 ? 1 : 2;
        ++totals.byConfidence[band];
        totals.matchedByConfidence[band] += truthOf[d] >= 0 ? 1 : 0;
    }
    // For tools/train_proposal_model.py: beside the figures the detection wrote,
    // whether each detection matched a hair.
    if (const QByteArray where = qgetenv("PELORIX_DETECTION_PROPOSALS"); !where.isEmpty()) {
        if (FILE* out = std::fopen((where + ".labels").constData(), "w")) {
            for (size_t d = 0; d < result.hairs.size(); ++d)
                std::fprintf(out, "%d\n", truthOf[d] >= 0 ? 1 : 0);
            std::fclose(out);
        }
    }

    // Causes: an unmatched detection lying on one hair but covering too little of
    // it is a fragment; one lying partly on hairs has switched hairs (a crossing
    // or a neighbour); one mostly off every hair is a false find (opening, glare,
    // an edge). An unmatched hair is fragmented when detections lie on it but
    // cover too little, mixed when a detection covers it but strays, else untouched.
    {
        std::vector<double> bestOn(result.hairs.size(), 0.0);
        std::vector<int> bestTruth(result.hairs.size(), -1);
        std::vector<double> coverOn(truths.size(), 0.0), coverAny(truths.size(), 0.0);
        std::vector<int> coverBy(truths.size(), -1);
        std::vector<double> coverByOn(truths.size(), 0.0);
        for (const Pair& p : pairs) {
            if (p.on > bestOn[p.d]) {
                bestOn[p.d] = p.on;
                bestTruth[p.d] = int(p.t);
            }
            if (p.on < 0.3)
                continue;
            if (p.covered > coverAny[p.t]) {
                coverBy[p.t] = int(p.d);
                coverByOn[p.t] = p.on;
            }
            coverAny[p.t] = std::max(coverAny[p.t], p.covered);
            if (p.on >= 0.8)
                coverOn[p.t] = std::max(coverOn[p.t], p.covered);
        }
        for (size_t d = 0; d < result.hairs.size(); ++d) {
            if (truthOf[d] >= 0)
                continue;
            if (bestOn[d] >= 0.8) {
                ++totals.falseFragment;
                if (const int m = detectionOf[size_t(bestTruth[d])]; m >= 0) {
                    ++totals.fragmentOfMatched;
                    const double tol = std::max(4.0, truths[size_t(bestTruth[d])].widthPx);
                    const double beside = ShareNear(result.hairs[d].path, result.hairs[size_t(m)].path, tol);
                    if (beside >= 0.8)
                        ++totals.fragmentBeside;
                    else if (beside < 0.2)
                        ++totals.fragmentBeyond;
                }
                totals.fragmentLengths.push_back(result.hairs[d].lengthPx / truths[size_t(bestTruth[d])].visibleLength);
                if (verbose) {
                    const TrueHair& t = truths[size_t(bestTruth[d])];
                    const int m = detectionOf[size_t(bestTruth[d])];
                    std::printf(
                        "  fragment (%.0f,%.0f)-(%.0f,%.0f) %.0f px of true (%.0f,%.0f)-(%.0f,%.0f) %.0f px%s\n",
                        result.hairs[d].path.front().x(), result.hairs[d].path.front().y(),
                        result.hairs[d].path.back().x(), result.hairs[d].path.back().y(), result.hairs[d].lengthPx,
                        t.visible.front().x(), t.visible.front().y(), t.visible.back().x(), t.visible.back().y(),
                        t.visibleLength,
                        m >= 0 ? qPrintable(QStringLiteral(" matched by (%1,%2)-(%3,%4)")
                                                .arg(result.hairs[size_t(m)].path.front().x(), 0, 'f', 0)
                                                .arg(result.hairs[size_t(m)].path.front().y(), 0, 'f', 0)
                                                .arg(result.hairs[size_t(m)].path.back().x(), 0, 'f', 0)
                                                .arg(result.hairs[size_t(m)].path.back().y(), 0, 'f', 0))
                               : "");
                }
            } else if (bestOn[d] >= 0.3)
                ++totals.falseMixed;
            else
                ++totals.falseOff;
        }
        for (size_t t = 0; t < truths.size(); ++t) {
            // Hairs lying along another (several leaving one opening, or one on
            // top of another) are the hardest to tell apart.
            double along = 0.0;
            for (size_t o = 0; o < truths.size() && along < 0.8; ++o) {
                if (o != t && truths[o].box.intersects(truths[t].box))
                    along = std::max(along,
                        ShareNear(truths[t].visible, truths[o].visible,
                            std::max(4.0, 0.5 * (truths[t].widthPx + truths[o].widthPx))));
            }
            const size_t band = std::min<size_t>(4, size_t(along * 5.0));
            ++totals.alongHairs[band];
            const size_t hiddenBand = std::min<size_t>(4, size_t(hidden[t] * 5.0));
            ++totals.hiddenHairs[hiddenBand];
            if (hidden[t] <= 0.5) {
                ++totals.inViewTruths;
                totals.inViewMatched += detectionOf[t] >= 0 ? 1 : 0;
            } else if (detectionOf[t] >= 0) {
                ++totals.hiddenDetections;
            }
            if (detectionOf[t] >= 0)
                continue;
            ++totals.alongMissed[band];
            ++totals.hiddenMissed[hiddenBand];
            if (coverAny[t] >= 0.5) {
                ++totals.missedMixed;
                totals.vellusMixed += truths[t].vellus ? 1 : 0;
                if (truthOf[size_t(coverBy[t])] >= 0)
                    ++totals.missedMixedByMatched;
                if (coverByOn[t] < 0.5)
                    ++totals.missedMixedLowOn;
                if (verbose)
                    std::printf(
                        "  straying: true (%.0f,%.0f)-(%.0f,%.0f) w %.1f by (%.0f,%.0f)-(%.0f,%.0f) on %.2f %s\n",
                        truths[t].visible.front().x(), truths[t].visible.front().y(), truths[t].visible.back().x(),
                        truths[t].visible.back().y(), truths[t].widthPx,
                        result.hairs[size_t(coverBy[t])].path.front().x(),
                        result.hairs[size_t(coverBy[t])].path.front().y(),
                        result.hairs[size_t(coverBy[t])].path.back().x(),
                        result.hairs[size_t(coverBy[t])].path.back().y(), coverByOn[t],
                        truthOf[size_t(coverBy[t])] >= 0 ? "matched-other" : "unmatched");
            } else if (coverOn[t] > 0.0) {
                ++totals.missedFragmented;
                totals.vellusFragmented += truths[t].vellus ? 1 : 0;
            } else {
                ++totals.missedUntouched;
                if (truths[t].vellus) {
                    ++totals.vellusUntouched;
                    totals.vellusUntouchedOn += onTerminal[t] >= 0.5 ? 1 : 0;
                    totals.vellusUntouchedUnder += hidden[t] > 0.5 ? 1 : 0;
                }
            }
        }
    }
    auto isVellus = [&](const detection::Hair& h) { return h.thicknessPx * 1000.0 / ppm <= vellusMaxUm; };
    int matched = 0, vellusTruths = 0, vellusMatched = 0, vellusFalse = 0, agree = 0;
    std::vector<double> thicknessErrors, lengthErrors;
    for (size_t t = 0; t < truths.size(); ++t) {
        vellusTruths += truths[t].vellus ? 1 : 0;
        if (detectionOf[t] < 0) {
            if (verbose)
                std::printf("  missed: %s width %.1f at (%.0f, %.0f) length %.0f\n",
                    truths[t].vellus ? "vellus" : "terminal", truths[t].widthPx, truths[t].visible.front().x(),
                    truths[t].visible.front().y(), truths[t].visibleLength);
            continue;
        }
        const detection::Hair& h = result.hairs[size_t(detectionOf[t])];
        if (verbose)
            std::printf("  matched: true (%.0f,%.0f)-(%.0f,%.0f) %.0f px, found (%.0f,%.0f)-(%.0f,%.0f) %.0f px\n",
                truths[t].visible.front().x(), truths[t].visible.front().y(), truths[t].visible.back().x(),
                truths[t].visible.back().y(), truths[t].visibleLength, h.path.front().x(), h.path.front().y(),
                h.path.back().x(), h.path.back().y(), h.lengthPx);
        ++matched;
        vellusMatched += truths[t].vellus ? 1 : 0;
        agree += isVellus(h) == truths[t].vellus ? 1 : 0;
        thicknessErrors.push_back(std::abs(h.thicknessPx - truths[t].widthPx) / truths[t].widthPx);
        lengthErrors.push_back(std::abs(h.lengthPx - truths[t].visibleLength) / truths[t].visibleLength);
        g_signedLength.push_back((h.lengthPx - truths[t].visibleLength) / truths[t].visibleLength);
    }
    for (size_t d = 0; d < result.hairs.size(); ++d) {
        if (truthOf[d] < 0) {
            vellusFalse += isVellus(result.hairs[d]) ? 1 : 0;
            if (verbose)
                std::printf("  false: width %.1f from (%.0f, %.0f) to (%.0f, %.0f) length %.0f conf %.2f\n",
                    result.hairs[d].thicknessPx, result.hairs[d].path.front().x(), result.hairs[d].path.front().y(),
                    result.hairs[d].path.back().x(), result.hairs[d].path.back().y(), result.hairs[d].lengthPx,
                    result.hairs[d].confidence);
        }
    }
    if (!g_overlay.isEmpty()) {
        QImage view = picture.convertToFormat(QImage::Format_RGB32);
        QPainter painter(&view);
        painter.setRenderHint(QPainter::Antialiasing);
        for (size_t t = 0; t < truths.size(); ++t) {
            painter.setPen(QPen(detectionOf[t] >= 0 ? QColor(0, 200, 0) : QColor(255, 255, 0), 1.5));
            painter.drawPolyline(truths[t].visible.data(), int(truths[t].visible.size()));
        }
        for (size_t d = 0; d < result.hairs.size(); ++d) {
            const detection::Hair& h = result.hairs[d];
            painter.setPen(QPen(truthOf[d] >= 0 ? QColor(0, 80, 255) : QColor(255, 0, 0), 1.5));
            painter.drawPolyline(h.path.data(), int(h.path.size()));
            painter.setPen(QPen(QColor(255, 0, 255), 4));
            for (const QPointF& n : h.nodes)
                painter.drawPoint(n);
        }
        painter.end();
        view.save(g_overlay);
    }
    const double countError
        = truths.empty() ? 0.0 : (double(result.hairs.size()) - double(truths.size())) / double(truths.size());
    auto median = [](std::vector<double> v) {
        if (v.empty())
            return 0.0;
        std::nth_element(v.begin(), v.begin() + long(v.size() / 2), v.end());
        return v[v.size() / 2];
    };
    const double precision = result.hairs.empty() ? 0.0 : double(matched) / double(result.hairs.size());
    const double recall = truths.empty() ? 0.0 : double(matched) / double(truths.size());
    std::printf("%-28s %4zu true %4zu found  F1 %.3f (P %.3f R %.3f)  count %+5.1f%%  thick %4.1f%%  length "
                "%4.1f%%  vellus %d/%d  %.0f ms\n",
        qPrintable(QFileInfo(truthPath).fileName()), truths.size(), result.hairs.size(),
        precision + recall > 0 ? 2 * precision * recall / (precision + recall) : 0.0, precision, recall,
        100.0 * countError, 100.0 * median(thicknessErrors), 100.0 * median(lengthErrors), vellusMatched, vellusTruths,
        ms);

    totals.truths += int(truths.size());
    totals.detections += int(result.hairs.size());
    totals.matched += matched;
    totals.vellusTruths += vellusTruths;
    totals.vellusMatched += vellusMatched;
    totals.vellusFalse += vellusFalse;
    totals.agree += agree;
    totals.thicknessErrors.insert(totals.thicknessErrors.end(), thicknessErrors.begin(), thicknessErrors.end());
    totals.lengthErrors.insert(totals.lengthErrors.end(), lengthErrors.begin(), lengthErrors.end());
    totals.worstCountError = std::max(totals.worstCountError, std::abs(countError));
    totals.timeMs += ms;
    return true;
}

double F1(int tp, int fp, int fn)
{
    return tp == 0 ? 0.0 : 2.0 * tp / (2.0 * tp + fp + fn);
}

double Median(std::vector<double> v)
{
    if (v.empty())
        return 0.0;
    std::nth_element(v.begin(), v.begin() + long(v.size() / 2), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    const bool verbose = args.removeAll(QStringLiteral("--verbose")) > 0;
    if (args.removeAll(QStringLiteral("--tracer")) > 0)
        g_tracer = true;
    else if (args.removeAll(QStringLiteral("--graph")) > 0)
        g_tracer = false;
    g_trueCentreLines = args.removeAll(QStringLiteral("--true-centre-lines")) > 0;
    g_trueJoins = args.removeAll(QStringLiteral("--true-joins")) > 0;
    if (g_trueCentreLines && g_tracer) {
        std::fprintf(stderr, "detection_accuracy: --true-centre-lines goes with the graph, not --tracer\n");
        return 2;
    }
    if (const qsizetype at = args.indexOf(QStringLiteral("--overlay")); at >= 0 && at + 1 < args.size()) {
        g_overlay = args[at + 1];
        args.remove(at, 2);
    }
    if (args.isEmpty()) {
        std::fprintf(stderr,
            "usage: detection_accuracy [--verbose] [--tracer | --graph] [--true-centre-lines] [--true-joins] "
            "[--overlay OUT.png] TRUTH.json...\n");
        return 2;
    }
    Totals totals;
    int cases = 0;
    for (const QString& path : args) {
        if (!Evaluate(path, totals, verbose))
            return 1;
        ++cases;
    }
    const int fp = totals.detections - totals.matched;
    const int fn = totals.truths - totals.matched;
    std::printf("\n%d cases, %d true hairs (%d vellus), %d detections\n", cases, totals.truths, totals.vellusTruths,
        totals.detections);
    std::printf("F1 all hairs            %.3f (precision %.3f, recall %.3f)\n", F1(totals.matched, fp, fn),
        totals.detections ? double(totals.matched) / totals.detections : 0.0,
        totals.truths ? double(totals.matched) / totals.truths : 0.0);
    std::printf("F1 vellus hairs         %.3f (%d of %d found, %d false detections called vellus)\n",
        F1(totals.vellusMatched, totals.vellusFalse, totals.vellusTruths - totals.vellusMatched), totals.vellusMatched,
        totals.vellusTruths, totals.vellusFalse);
    std::printf("count error             %+.1f %% overall, worst case %.1f %%\n",
        totals.truths ? 100.0 * (totals.detections - totals.truths) / totals.truths : 0.0,
        100.0 * totals.worstCountError);
    std::printf("median thickness error  %.1f %%\n", 100.0 * Median(totals.thicknessErrors));
    std::printf("median length error     %.1f %% (signed: median %+.1f %%, %.0f %% of matched hairs too short)\n",
        100.0 * Median(totals.lengthErrors), 100.0 * Median(g_signedLength),
        g_signedLength.empty() ? 0.0
                               : 100.0
                * double(std::count_if(g_signedLength.begin(), g_signedLength.end(), [](double e) { return e < 0; }))
                / double(g_signedLength.size()));
    std::printf("vellus/terminal agree   %.1f %% of matched hairs\n",
        totals.matched ? 100.0 * totals.agree / totals.matched : 0.0);
    std::printf("false detections        %d fragments (%d on matched hairs, median %.0f %% of the hair), %d switching "
                "hairs, %d off every hair\n",
        totals.falseFragment, totals.fragmentOfMatched, 100.0 * Median(totals.fragmentLengths), totals.falseMixed,
        totals.falseOff);
    std::printf("missed hairs            %d fragmented, %d covered by a straying detection, %d untouched\n",
        totals.missedFragmented, totals.missedMixed, totals.missedUntouched);
    std::printf("  vellus: %d fragmented, %d covered by a straying detection, %d untouched (%d of them lying on "
                "terminal hairs along half their length or more, %d more than half under them)\n",
        totals.vellusFragmented, totals.vellusMixed, totals.vellusUntouched, totals.vellusUntouchedOn,
        totals.vellusUntouchedUnder);
    std::printf("  by share along another hair:");
    for (size_t band = 0; band < totals.alongHairs.size(); ++band)
        std::printf("%s %s%d %%: %d of %d", band ? "," : "", band < 4 ? "<" : ">=", band < 4 ? int(band + 1) * 20 : 80,
            totals.alongMissed[band], totals.alongHairs[band]);
    std::printf("\n");
    std::printf("  by share hidden under a hair painted over it:");
    for (size_t band = 0; band < totals.hiddenHairs.size(); ++band)
        std::printf("%s %s%d %%: %d of %d", band ? "," : "", band < 4 ? "<" : ">=", band < 4 ? int(band + 1) * 20 : 80,
            totals.hiddenMissed[band], totals.hiddenHairs[band]);
    std::printf("\n");
    {
        // Hairs more than half hidden left out, and the detections matched to them.
        const int tp = totals.inViewMatched;
        const int falses = totals.detections - totals.matched;
        std::printf("  hairs at least half in view: %d, F1 %.3f (precision %.3f, recall %.3f)\n", totals.inViewTruths,
            F1(tp, falses, totals.inViewTruths - tp), tp + falses ? double(tp) / (tp + falses) : 0.0,
            totals.inViewTruths ? double(tp) / totals.inViewTruths : 0.0);
    }
    std::printf("  fragments of matched hairs: %d beside their match, %d beyond it\n", totals.fragmentBeside,
        totals.fragmentBeyond);
    std::printf("  straying: %d by a detection matched to another hair, %d by one less than half on it\n",
        totals.missedMixedByMatched, totals.missedMixedLowOn);
    std::printf("matched by confidence   below 0.5: %d of %d, 0.5-0.8: %d of %d, 0.8 and more: %d of %d\n",
        totals.matchedByConfidence[0], totals.byConfidence[0], totals.matchedByConfidence[1], totals.byConfidence[1],
        totals.matchedByConfidence[2], totals.byConfidence[2]);
    std::printf("detection time          %.0f ms per case on average\n", cases ? totals.timeMs / cases : 0.0);
    return 0;
}
