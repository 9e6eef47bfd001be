#pragma once

#include "shell/kit/KitForm.h"

#include <QRect>
#include <QString>

class ClickableLabel;
class QCheckBox;
class QFont;
class QLabel;
class QLineEdit;
class QTableWidget;
class QToolButton;
class QWidget;

/// The look the OTA schedule page and the OTA report share: Arial on dark greys, white text, blue titles, headers
/// drawn as labels above tables that have no header of their own, and the image-backed text buttons.
class OtaFormStyle
{
public:
    /// A label with an object name, a geometry, an Arial font of the given size (0: none set) and a style sheet.
    static QLabel *label(QWidget *parent, const char *objectName, const QRect &geometry, int pointSize,
                         const QString &styleSheet);
    /// A column header above a table: padded text over the header image, clickable.
    static ClickableLabel *header(QWidget *parent, const char *objectName, const QRect &geometry, const QString &image);
    /// In right-to-left layout a header's text stands at its right edge, padded as the left edge is otherwise (the
    /// sort arrow goes before it).
    static void mirrorHeader(QLabel *header);
    /// The 1-pixel strip that closes a header row on either side.
    static QLabel *headerBorder(QWidget *parent, const char *objectName, const QRect &geometry);
    /// A table with no header, grid, selection, focus or editing, in the page's look.
    static QTableWidget *table(QWidget *parent, const char *objectName, const QRect &geometry, int columns);
    /// A filter check box of a pop-up.
    static QCheckBox *filterCheckBox(QWidget *parent, const char *objectName, const QRect &geometry);
    /// A text button over the blue button images (primary) or the outlined ones.
    static QToolButton *textButton(QWidget *parent, const char *objectName, const QRect &geometry, bool primary);

    /// The look of a mode button ("btn_schedule" or "btn_update_now"): its selected image with blue text, or its
    /// normal, hover, pressed and disabled images; the text starts `paddingLeft` pixels in, after the image's icon.
    static QString modeButtonStyle(const QString &image, bool selected, int paddingLeft);
    /// The filter button, selected while its pop-up is open.
    static QString filterButtonStyle(bool selected);
    /// Makes `field` a search field: at most 32 characters, none that a name refuses, the search icon in front
    /// (scaled with the UI) and the placeholder.
    static void setupSearchField(QLineEdit *field, const QString &placeholder);
    /// The style sheet of a search field.
    static QString searchFieldStyle();
    /// The check-box indicator images, "_2x" from a UI scale of 2.0 on.
    static QString checkIndicatorStyle();
    /// The style sheet of a header label over `image`.
    static QString headerStyle(const QString &image);
    /// The style sheet of a table.
    static QString tableStyle(const QString &objectName);
};
