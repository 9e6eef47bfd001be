#pragma once

#include <QList>
#include <QRect>
#include <QString>

class QCheckBox;
class QLabel;
class QTableWidget;
class QToolButton;
class QWidget;

/// The look shared by the Schedule Setup page, its editors and its report, in the palette of the
/// Devices tab (FormStyle): dark panels, white Arial text, headers in pale yellow.
class ScheduleFormStyle
{
public:
    /// A column header of the tables drawn above them (or a border strip beside the columns).
    static QLabel *headerLabel(QWidget *parent, const char *objectName);
    static QString headerStyle();
    /// Places the header strip side by side from `left`, each label `widths[i]` wide; a width of
    /// -1 takes what is left of `total`.
    static void placeRow(const QList<QWidget *> &row, const QList<int> &widths, int left, int top, int height,
                         int total);
    /// A table with no own header, grid, selection or focus, in the shared look.
    static QTableWidget *table(QWidget *parent, const char *objectName, const QRect &geometry, int columns);
    static QString tableStyle();

    /// The check box of the page's filter bars (dark text on the white bar).
    static QCheckBox *filterCheckBox(QWidget *parent, const char *objectName, const QRect &geometry);
    /// The images of the filter check boxes, "_2x" ones from a scale of 2.0.
    static QString filterCheckBoxStyle();
    /// The white check box of the editors and its radio-button twin.
    static QString checkBoxStyle(const QString &extra = QString());
    static QString radioButtonStyle();
    /// "_2x" from a scale factor of 2.0 on, else empty.
    static QString imageSuffix();

    /// A text button: blue (primary) or outlined.
    static QToolButton *textButton(QWidget *parent, const char *objectName, const QRect &geometry, bool primary);
    /// The blue title of a dialog over its title band.
    static QLabel *title(QWidget *parent, const char *objectName, const QRect &geometry);
    static QString captionStyle();
    static QString hintStyle();
};
