#pragma once

#include <QRect>
#include <QString>
#include <QVector>

/// The arithmetic behind the UI scale helpers, free of screens and widgets so that it can be
/// checked on its own. UiHelpers feeds it the desktop's values and applies the results.
class ScaleMath
{
public:
    struct Factors
    {
        double scale = 1.0;    ///< the UI scale in force
        double dpiRatio = 1.0; ///< logical DPI / 96, at least 1.0, not limited above
    };

    /// The scale for a desktop of the given logical DPI whose screen is screenHeight pixels high.
    /// Above 1.4 the scale stays 1.4 below 2160 pixels and is capped at 2.25 on taller screens.
    static Factors factorsFor(double logicalDpi, int screenHeight);

    /// The factor a helper really uses: the global scale when the caller passes 0 (or not a
    /// number), and always when the global scale is exactly 1.0, so nothing moves at 1.0.
    static double effectiveFactor(double requested, double globalScale);

    /// Each value times f truncated toward zero; width and height at least 1.
    static QRect scaledGeometry(const QRect &geometry, double f);

    /// v·f truncated / rounded up. Products that land a hair off a whole number because of
    /// binary fractions (3 × 1.4 = 4.199999...) count as that whole number.
    static int truncScaled(double v, double f);
    static int ceilScaled(double v, double f);

    /// A point size for the current scale: f·length / dpiRatio (the toolkit already turns points
    /// into pixels by the DPI), times extra while the scale has grown from a value above 1.0.
    static double scaledLength(double length, double f, double extra, double scale, double previousScale,
                               double dpiRatio);

    /// The point size as style sheets get it: shortest form, at most 6 significant digits.
    static QString formatPointSize(double pointSize);

    /// Every "font: Npt" / "font-size: N.Mpt" rule (any blanks, any trailing semicolons) becomes
    /// "font-size:<pointSize>pt;". Rules such as "font: bold 12pt" are left alone.
    static QString rewriteFontSizes(const QString &styleSheet, double pointSize);

    /// A header row laid out above a table: the container scaled, then the row placed side by
    /// side from the first widget, each one pixel after the previous one's right edge. With
    /// stretchSecondLast the last but one widget takes what remains so that the last widget
    /// (which keeps its width) ends at the container's right edge. Returns the row's new
    /// geometries; the container's new geometry goes to *container.
    static QVector<QRect> layoutRow(QRect *container, const QVector<QRect> &row, bool keepFirstWidth, double f,
                                    bool stretchSecondLast);
};
