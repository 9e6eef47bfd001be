#pragma once

#include <QRect>
#include <QString>

class QAbstractScrollArea;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

/// The look of the dark forms every tab shares (dark panels, white Arial text, blue action
/// buttons), so each form only places its widgets. Pixel sizes in the style
/// sheets follow the UI scale factor in force when the sheet is made; point sizes are scaled
/// by the forms' own scaling pass.
class FormStyle
{
public:
    static QString captionStyle();
    static QString lineEditStyle();
    static QString primaryButtonStyle();
    static QString secondaryButtonStyle();
    static QString listStyle();
    static QString tableStyle();
    static QString hintStyle();
    static QString scrollBarStyle();
    static QString indicatorStyle(const char *widgetClass);

    static QLabel *caption(QWidget *parent, const char *objectName, const QRect &geometry);
    /// A dark line edit whose example text stays grey (PlaceholderColour) at every scale.
    static QLineEdit *lineEdit(QWidget *parent, const char *objectName, const QRect &geometry);
    /// A blue (primary) or outlined (secondary) text button.
    static QPushButton *button(QWidget *parent, const char *objectName, const QRect &geometry, bool primary);
    static QListWidget *checkList(QWidget *parent, const char *objectName, const QRect &geometry);
    /// Gives a list's or table's vertical scroll bar the dark thin look, on the bar itself: a rule
    /// for it in the list's own style sheet reaches a bar made before that sheet was set only once
    /// something polishes the bar again, which the scaling pass does at 1.4 and nothing does at 1.0.
    static void styleScrollBar(QAbstractScrollArea *area);
};
