#pragma once

// Finds where a window would show a stored text as markup. Names and locations are the
// operator's or a panel's own text; a label or tool tip that Qt renders as rich text turns
// "Block <A> room 3" into "Block room 3" and "Lab <BR>2nd floor" into two lines. The texts to
// walk with hold the tokens below; a token that stands in a widget's text but not in what the
// widget shows is a leak.

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>
#include <QTextDocument>
#include <QWidget>

struct MarkupWalk
{
    QStringList leaks; ///< where a token is lost, with the text as set
    int shown = 0;     ///< texts that show a token as it stands: the walk did meet the stored texts
};

// A lower-case "<br>" is also the console's own markup (the import-error window, tool tips of
// several lines), so the stored one is told by the letter after it.
inline const QStringList &markupTokens()
{
    static const QStringList tokens = {QStringLiteral("<b>"), QStringLiteral("<A>"), QStringLiteral("<BR>"),
                                       QStringLiteral("<br>C"), QStringLiteral("&amp;")};
    return tokens;
}

// What a text shows: rich text as Qt's renderer reads it, plain text as it stands.
inline QString markupShownAs(const QString &text, bool rich)
{
    if (!rich)
        return text;
    QTextDocument document;
    document.setHtml(text);
    return document.toPlainText();
}

inline void checkMarkup(const QString &where, const QString &text, bool rich, MarkupWalk &walk)
{
    const QString shown = markupShownAs(text, rich);
    bool showsToken = false;
    for (const QString &token : markupTokens()) {
        if (text.contains(token) && !shown.contains(token))
            walk.leaks << QStringLiteral("%1: \"%2\"").arg(where, text);
        showsToken = showsToken || shown.contains(token);
    }
    if (showsToken)
        ++walk.shown;
}

inline QString markupPlace(const QWidget *widget)
{
    return QStringLiteral("%1 %2").arg(QString::fromLatin1(widget->metaObject()->className()), widget->objectName());
}

// Every label, button, line edit and tool tip under the root, and the cells and cell tool tips of
// item views (their delegates paint text as it stands; cell widgets are walked as widgets).
inline void walkMarkup(QWidget *root, MarkupWalk &walk)
{
    QList<QWidget *> widgets = root->findChildren<QWidget *>();
    widgets.prepend(root);
    for (QWidget *widget : qAsConst(widgets)) {
        const QString place = markupPlace(widget);
        if (auto *label = qobject_cast<QLabel *>(widget)) {
            const bool rich = label->textFormat() == Qt::RichText ||
                              (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()));
            checkMarkup(place, label->text(), rich, walk);
        } else if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
            checkMarkup(place, button->text(), false, walk);
        } else if (auto *edit = qobject_cast<QLineEdit *>(widget)) {
            checkMarkup(place, edit->text(), false, walk);
        }
        checkMarkup(place + QStringLiteral(" tool tip"), widget->toolTip(), Qt::mightBeRichText(widget->toolTip()),
                    walk);
        auto *view = qobject_cast<QAbstractItemView *>(widget);
        QAbstractItemModel *model = view ? view->model() : nullptr;
        if (!model)
            continue;
        for (int row = 0; row < model->rowCount(); ++row) {
            for (int column = 0; column < model->columnCount(); ++column) {
                const QModelIndex index = model->index(row, column);
                const QString cell = QStringLiteral("%1 cell %2,%3").arg(place).arg(row).arg(column);
                const QString tip = index.data(Qt::ToolTipRole).toString();
                checkMarkup(cell + QStringLiteral(" tool tip"), tip, Qt::mightBeRichText(tip), walk);
                checkMarkup(cell, index.data(Qt::DisplayRole).toString(), false, walk);
            }
        }
    }
}

inline MarkupWalk walkMarkup(QWidget *root)
{
    MarkupWalk walk;
    walkMarkup(root, walk);
    return walk;
}
