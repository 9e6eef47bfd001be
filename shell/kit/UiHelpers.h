#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "datastore/PellmarAccount.h"
#include "datastore/PellmarDevice.h"
#include "datastore/PellmarGroup.h"

class OrvantaDBIntf;
class QAbstractButton;
class QCalendarWidget;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QTableWidgetItem;
class QWidget;

// The UI kit's free helpers: the process-wide scale factor and what scales by it, elided texts,
// base64 text, the multi-user capability gate and the camera filter.
// Everything here runs on the GUI thread.

// ---- scale factor ----

/// Recomputes the scale from the desktop's logical DPI and the screen height (0: the height of
/// the primary screen); the width is not used. The scale in force before becomes the previous one.
void initScaleFactor(int screenWidth, int screenHeight);
/// The same from explicit values: what initScaleFactor does once it has read the desktop.
void initScaleFactorFor(double logicalDpi, int screenHeight);
/// 1.0 on an ordinary screen; up to 1.4, or up to 2.25 on a screen at least 2160 pixels high.
double getScaleFactor();
/// The scale in force before the last initScaleFactor.
double getPreviousScaleFactor();
/// The desktop's logical DPI / 96, at least 1.0.
double getDpiRatio();

// ---- scaling widgets (a factor of 0 means the global scale; at scale 1.0 nothing moves) ----

/// Multiplies the widget's x, y, width and height in its parent by the factor, truncated.
void scaleWidgetGeometry(QWidget *widget, double factor);
/// Scales the container (a table) and lays the header row out above it, left to right: see
/// ScaleMath::layoutRow. Callers pass the row's widgets in column order (reversed for
/// right-to-left) with the left and right border strips first and last.
void scaleWidgetGeometryEx(const QList<QWidget *> &row, QWidget *container, bool keepFirstWidth, double factor,
                           bool stretchSecondLast);
/// A point size scaled for the screen (see ScaleMath::scaledLength).
double scaleLength(double length, double factor, double extra);
/// Sets the widget's font and every point size of its style sheet to one scaled size.
/// Direct callers pass a base size (9.75, 10 or 11) with ratio 0 and both flags false.
void scaleStyleSheetFontSize(QWidget *widget, double pointSize, double ratio, bool divide, bool keep);
/// scaleStyleSheetFontSize for every descendant of the widget, each with its own point size.
void scaleWidgetFonts(QWidget *widget, double ratio, bool divide, bool keep);

// ---- texts ----

/// Sets the text elided at the right to the width (pixels) by the label's font metrics;
/// a negative width means the label's current width. The label shows plain text: what is
/// measured and cut is the text as it stands, and a stored name such as "Block <A> room 3" must
/// not be rendered as markup. Of a longer text only what BoundedText shows is measured.
void setElidedLabelText(QLabel *label, const QString &text, int width = -1);
/// A tool tip that shows the text as it stands. Qt renders a tool tip as rich text when it looks
/// like markup (a tag such as <b> before the first line end); such a text is escaped and wrapped,
/// any other text is returned unchanged. A longer text is cut as BoundedText shows it.
QString plainToolTip(const QString &text);
/// The same for a button.
void setElidedButtonText(QAbstractButton *button, const QString &text, int width);
/// A tool tip of several lines, as plainToolTip(); the caller cuts each value in them as BoundedText shows it, so that
/// a long value keeps the lines after it.
QString plainToolTip(const QStringList &lines);
/// Fills an editor with a stored value as far as BoundedText shows it: a value of megabytes in a line edit held the
/// window while it was laid out. The editor shows that much whole, a value longer than its typing limit too, and a
/// change edits it (StoredTextRoom).
void showStoredText(QLineEdit *edit, const QString &stored);
/// What Save writes of a field showStoredText() filled: the stored value whole while the field still shows what it was
/// filled with, else what the operator made of it. A value cut at BoundedText's bound is kept whole unless its field
/// is changed; a change replaces it with what the field shows.
QString editedOrStored(const QLineEdit *edit, const QString &stored);
/// A row of a list or a cell of a table that shows a stored value as BoundedText shows it and holds the value whole
/// for the code that finds records by it (storedValue()). list: where the row is added, if anywhere.
QListWidgetItem *storedListItem(const QString &value, QListWidget *list = nullptr);
QTableWidgetItem *storedTableItem(const QString &value);
/// The value a row of storedListItem() or a cell of storedTableItem() holds.
QString storedValue(const QListWidgetItem *item);
QString storedValue(const QTableWidgetItem *item);

// ---- calendars ----

/// Makes the calendar speak the administrator's stored language; without one (a new database) the
/// language the console runs in stands in, not the form's own Chinese (Taiwan).
void applyCalendarLanguage(QCalendarWidget *calendar, OrvantaDBIntf *db);

// ---- right-to-left layout (the flag itself: uiLayoutDirection(), shell/base/Session.h) ----

/// Mirrors the widget horizontally inside a parent of the given width; y stays.
void moveToRightEdge(QWidget *widget, int width);

// ---- camera-management texts ----

/// Base64 (standard alphabet, padded) of the text's local 8-bit bytes.
QString toBase64String(const QString &text);
/// The reverse of toBase64String.
QString fromBase64String(const QString &text);

// ---- multi-user capability gate ----

/// True when the firmware version is not below 1.1.1017.18. The four dot-separated fields are
/// compared as numbers, the third without its first digit (so 1017 counts as 17). An empty
/// version, one with fewer than four fields or one whose first four fields are not all
/// decimal numbers is not supported.
bool isFirmwareVersionSupported(const QString &version);
/// An empty model passes; "Velk TM B-Series", "Velk TM7-B" and "Velk ZN-640" (exact case)
/// pass when their firmware does; every other model fails.
bool isMultiUserSupportedModel(const QString &model, const QString &firmwareVersion);

// ---- camera-management accounts ----

/// The cameras the account may use: those of its groups (in group order) and then its own
/// camera ids, each once, mapped to the first camera with that id; unknown ids are skipped.
QList<PellmarDevice> filterListByIds(const PellmarAccount &account, const QList<PellmarGroup> &groups,
                                     const QList<PellmarDevice> &cameras);
