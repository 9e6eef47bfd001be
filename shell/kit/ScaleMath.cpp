#include "shell/kit/ScaleMath.h"

#include <QRegularExpression>
#include <QtMath>

namespace {
// Geometry values are small whole numbers; anything closer than this to a whole number is
// floating-point noise, not a fraction of a pixel.
constexpr double kPixelEpsilon = 1e-6;
} // namespace

ScaleMath::Factors ScaleMath::factorsFor(double logicalDpi, int screenHeight)
{
    Factors factors;
    double ratio = logicalDpi / 96.0;
    if (!(ratio >= 1.0)) // also catches a DPI that is not a number
        ratio = 1.0;
    factors.dpiRatio = ratio;
    factors.scale = ratio;
    if (ratio > 1.4) {
        if (screenHeight < 2160)
            factors.scale = 1.4;
        else if (ratio > 2.25)
            factors.scale = 2.25;
    }
    return factors;
}

double ScaleMath::effectiveFactor(double requested, double globalScale)
{
    if (requested == 0.0 || qIsNaN(requested) || globalScale == 1.0)
        return globalScale;
    return requested;
}

int ScaleMath::truncScaled(double v, double f)
{
    const double product = v * f;
    return static_cast<int>(product + (product >= 0 ? kPixelEpsilon : -kPixelEpsilon));
}

int ScaleMath::ceilScaled(double v, double f)
{
    return static_cast<int>(qCeil(v * f - kPixelEpsilon));
}

QRect ScaleMath::scaledGeometry(const QRect &geometry, double f)
{
    return QRect(truncScaled(geometry.x(), f), truncScaled(geometry.y(), f), qMax(1, truncScaled(geometry.width(), f)),
                 qMax(1, truncScaled(geometry.height(), f)));
}

double ScaleMath::scaledLength(double length, double f, double extra, double scale, double previousScale,
                               double dpiRatio)
{
    const double grown = (previousScale > 1.0 && previousScale < scale) ? extra : 1.0;
    return f * length / dpiRatio * grown;
}

QString ScaleMath::formatPointSize(double pointSize)
{
    return QString::number(pointSize, 'g', 6);
}

QString ScaleMath::rewriteFontSizes(const QString &styleSheet, double pointSize)
{
    static const QRegularExpression fontRule(QStringLiteral("font((-size)?):( *)([0-9]+)((\\.?)([0-9]+)?)pt(;*)"));
    QString result = styleSheet;
    result.replace(fontRule, QStringLiteral("font-size:") + formatPointSize(pointSize) + QStringLiteral("pt;"));
    return result;
}

QVector<QRect> ScaleMath::layoutRow(QRect *container, const QVector<QRect> &row, bool keepFirstWidth, double f,
                                    bool stretchSecondLast)
{
    *container = scaledGeometry(*container, f);
    QVector<QRect> placed = row;
    const int n = row.size();
    if (n == 0)
        return placed;

    if (keepFirstWidth) {
        const QRect &first = row.at(0);
        placed[0] =
            QRect(truncScaled(first.x(), f), truncScaled(first.y(), f), first.width(), ceilScaled(first.height(), f));
    } else {
        placed[0] = scaledGeometry(row.at(0), f);
    }

    for (int i = 1; i < n; ++i) {
        const QRect &old = row.at(i);
        const int x = placed.at(i - 1).right() + 1;
        const int y = truncScaled(old.y(), f);
        const int height = ceilScaled(old.height(), f);
        int width;
        if (i == n - 1) {
            width = old.width(); // the right border strip keeps its width
        } else if (i == n - 2 && stretchSecondLast) {
            width = container->right() - placed.at(i - 1).right() - row.at(n - 1).width();
        } else {
            // Without stretching, the last but one is scaled like the middle columns so that
            // a header row keeps its proportions instead of a column stuck at form size.
            width = ceilScaled(old.width(), f);
        }
        placed[i] = QRect(x, y, width, height);
    }
    return placed;
}
