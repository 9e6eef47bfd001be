#include "shell/kit/UiHelpers.h"

#include "datastore/Base64Text.h"
#include "datastore/DbResult.h"
#include "datastore/OrvantaDBIntf.h"
#include "shell/base/BoundedText.h"
#include "shell/base/Session.h"

#include "shell/kit/ScaleMath.h"
#include "shell/kit/StoredTextRoom.h"

#include <QAbstractButton>
#include <QCalendarWidget>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QStringList>
#include <QTableWidget>
#include <QTextDocument>
#include <QWidget>

namespace {
double g_scaleFactor = 1.0;
double g_previousScaleFactor = 1.0;
double g_dpiRatio = 1.0;

const char *const kMinimumFirmware = "1.1.1017.18";

double factorFor(double requested)
{
    return ScaleMath::effectiveFactor(requested, g_scaleFactor);
}

// The parts of a version that take part in the gate, as numbers; false when the version does
// not have four numeric fields.
bool versionKey(const QString &version, qulonglong key[4])
{
    const QStringList fields = version.split(QLatin1Char('.'), Qt::KeepEmptyParts);
    if (fields.size() < 4)
        return false;
    for (int i = 0; i < 4; ++i) {
        QString field = fields.at(i);
        if (field.isEmpty())
            return false;
        bool isNumber = true;
        for (const QChar c : field) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                isNumber = false;
        }
        if (!isNumber)
            return false;
        // The first digit of the third field is a product line, not part of the build number.
        if (i == 2)
            field.remove(0, 1);
        key[i] = 0;
        if (!field.isEmpty()) {
            bool ok = false;
            key[i] = field.toULongLong(&ok);
            if (!ok)
                return false;
        }
    }
    return true;
}

QStringList splitIds(const QString &ids)
{
    return ids.split(QLatin1Char(','), Qt::SkipEmptyParts);
}
} // namespace

void initScaleFactorFor(double logicalDpi, int screenHeight)
{
    g_previousScaleFactor = g_scaleFactor;
    const ScaleMath::Factors factors = ScaleMath::factorsFor(logicalDpi, screenHeight);
    g_scaleFactor = factors.scale;
    g_dpiRatio = factors.dpiRatio;
}

void initScaleFactor(int screenWidth, int screenHeight)
{
    Q_UNUSED(screenWidth)
    const QScreen *screen = QGuiApplication::primaryScreen();
    int height = screenHeight;
    if (height == 0 && screen)
        height = screen->geometry().height();
    // Without a screen the DPI counts as 96, which leaves everything unscaled.
    const double dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
    initScaleFactorFor(dpi, height);
}

double getScaleFactor()
{
    return g_scaleFactor;
}

double getPreviousScaleFactor()
{
    return g_previousScaleFactor;
}

double getDpiRatio()
{
    return g_dpiRatio;
}

void scaleWidgetGeometry(QWidget *widget, double factor)
{
    if (!widget)
        return;
    widget->setGeometry(ScaleMath::scaledGeometry(widget->geometry(), factorFor(factor)));
}

void scaleWidgetGeometryEx(const QList<QWidget *> &row, QWidget *container, bool keepFirstWidth, double factor,
                           bool stretchSecondLast)
{
    if (!container || row.contains(nullptr))
        return;
    QRect containerGeometry = container->geometry();
    QVector<QRect> geometries;
    geometries.reserve(row.size());
    for (QWidget *widget : row)
        geometries.append(widget->geometry());
    const QVector<QRect> placed =
        ScaleMath::layoutRow(&containerGeometry, geometries, keepFirstWidth, factorFor(factor), stretchSecondLast);
    container->setGeometry(containerGeometry);
    for (int i = 0; i < row.size(); ++i)
        row.at(i)->setGeometry(placed.at(i));
}

double scaleLength(double length, double factor, double extra)
{
    return ScaleMath::scaledLength(length, factorFor(factor), extra, g_scaleFactor, g_previousScaleFactor, g_dpiRatio);
}

void scaleStyleSheetFontSize(QWidget *widget, double pointSize, double ratio, bool divide, bool keep)
{
    if (!widget || g_scaleFactor == 1.0)
        return;
    double size = scaleLength(pointSize, g_scaleFactor, ratio);
    if (!(size > 0))
        return;
    if (divide && !keep)
        size /= ratio;

    const QString styleSheet = ScaleMath::rewriteFontSizes(widget->styleSheet(), size);
    QFont font = widget->font();
    font.setPointSizeF(size);
    // A label keeps the font of its old style sheet unless the sheet is cleared first.
    if (qstrcmp(widget->metaObject()->className(), "QLabel") == 0) {
        widget->setStyleSheet(QString());
        widget->setFont(font);
        widget->setStyleSheet(styleSheet);
    } else {
        widget->setStyleSheet(styleSheet);
        widget->setFont(font);
    }
}

void scaleWidgetFonts(QWidget *widget, double ratio, bool divide, bool keep)
{
    if (!widget || g_scaleFactor == 1.0)
        return;
    const QList<QWidget *> children = widget->findChildren<QWidget *>();
    for (QWidget *child : children) {
        // A style sheet's font reaches the widget's font only once it is polished.
        child->ensurePolished();
        scaleStyleSheetFontSize(child, child->font().pointSizeF(), ratio, divide, keep);
    }
}

void setElidedLabelText(QLabel *label, const QString &text, int width)
{
    if (!label)
        return;
    const int available = width < 0 ? label->width() : width;
    label->setTextFormat(Qt::PlainText);
    label->setText(label->fontMetrics().elidedText(BoundedText::shown(text), Qt::ElideRight, available));
}

QString plainToolTip(const QString &text)
{
    const QString shown = BoundedText::shown(text);
    return Qt::mightBeRichText(shown) ? Qt::convertFromPlainText(shown, Qt::WhiteSpacePre) : shown;
}

QString plainToolTip(const QStringList &lines)
{
    const QString text = lines.join(QLatin1Char('\n'));
    return Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpacePre) : text;
}

void showStoredText(QLineEdit *edit, const QString &stored)
{
    StoredTextRoom::fill(edit, BoundedText::shown(stored));
}

QString editedOrStored(const QLineEdit *edit, const QString &stored)
{
    return edit->text() == BoundedText::shown(stored) ? stored : edit->text();
}

namespace {
// Where a row or cell keeps the value it shows cut; no list or table of the console uses this role otherwise.
constexpr int kStoredValueRole = Qt::UserRole + 0x51;
} // namespace

QListWidgetItem *storedListItem(const QString &value, QListWidget *list)
{
    auto *item = new QListWidgetItem(BoundedText::shown(value), list);
    item->setData(kStoredValueRole, value);
    return item;
}

QTableWidgetItem *storedTableItem(const QString &value)
{
    auto *item = new QTableWidgetItem(BoundedText::shown(value));
    item->setData(kStoredValueRole, value);
    return item;
}

QString storedValue(const QListWidgetItem *item)
{
    const QVariant value = item->data(kStoredValueRole);
    return value.isValid() ? value.toString() : item->text();
}

QString storedValue(const QTableWidgetItem *item)
{
    const QVariant value = item->data(kStoredValueRole);
    return value.isValid() ? value.toString() : item->text();
}

void setElidedButtonText(QAbstractButton *button, const QString &text, int width)
{
    if (!button)
        return;
    button->setText(button->fontMetrics().elidedText(BoundedText::shown(text), Qt::ElideRight, width));
}

void moveToRightEdge(QWidget *widget, int width)
{
    if (!widget)
        return;
    widget->move(width - widget->width() - widget->x(), widget->y());
}

QString toBase64String(const QString &text)
{
    return Base64Text::encode(text);
}

QString fromBase64String(const QString &text)
{
    return Base64Text::decode(text);
}

bool isFirmwareVersionSupported(const QString &version)
{
    qulonglong minimum[4];
    qulonglong candidate[4];
    versionKey(QString::fromLatin1(kMinimumFirmware), minimum);
    if (!versionKey(version, candidate))
        return false;
    for (int i = 0; i < 4; ++i) {
        if (candidate[i] != minimum[i])
            return candidate[i] > minimum[i];
    }
    return true;
}

bool isMultiUserSupportedModel(const QString &model, const QString &firmwareVersion)
{
    if (model.isEmpty())
        return true;
    if (model == QLatin1String("Velk TM B-Series") || model == QLatin1String("Velk TM7-B") ||
        model == QLatin1String("Velk ZN-640"))
        return isFirmwareVersionSupported(firmwareVersion);
    return false;
}

QList<PellmarDevice> filterListByIds(const PellmarAccount &account, const QList<PellmarGroup> &groups,
                                     const QList<PellmarDevice> &cameras)
{
    const QStringList accountGroupIds = splitIds(account.groupIds);
    QStringList collected;
    auto collect = [&collected](const QStringList &ids) {
        for (const QString &id : ids) {
            if (!collected.contains(id))
                collected.append(id);
        }
    };
    for (const PellmarGroup &group : groups) {
        if (accountGroupIds.contains(QString::number(group.id)))
            collect(splitIds(group.deviceIds));
    }
    collect(splitIds(account.deviceIds));

    QList<PellmarDevice> result;
    for (const QString &id : collected) {
        bool ok = false;
        quint32 cameraId = id.toUInt(&ok);
        if (!ok)
            cameraId = 0;
        for (const PellmarDevice &camera : cameras) {
            if (camera == cameraId) {
                result.append(camera);
                break;
            }
        }
    }
    return result;
}

void applyCalendarLanguage(QCalendarWidget *calendar, OrvantaDBIntf *db)
{
    QString language = currentLanguage;
    QList<VelkAccount> accounts;
    if (db && db->queryAccount(accounts) == DB_OK) {
        for (const VelkAccount &account : qAsConst(accounts)) {
            if (!account.isAdmin)
                continue;
            if (!account.language.isEmpty())
                language = account.language;
            break;
        }
    }
    if (!language.isEmpty())
        calendar->setLocale(QLocale(language));
}
