#include "accounts/AccountTableDelegate.h"

#include "accounts/AccountTableModel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPainter>

namespace {
constexpr int MarkSize = 25;
constexpr int SeparatorWidth = 2;
// Room a text cell leaves beside its text.
constexpr int TextMargin = 14;

QString image(const char *name)
{
    return QStringLiteral(":/resource/accountMgt/") + QLatin1String(name);
}
} // namespace

AccountTableDelegate::AccountTableDelegate(QObject *parent)
    : QStyledItemDelegate(parent), m_check(image("icon_settings_user_accounts_password_bindcard_check.png")),
      m_warning(image("icon_settings_user_accounts_password_bindcard_exclamation_mark.png"))
{
    const char *const stems[] = {"btn_settings_user_accounts_user_settings_", "btn_select_device_", "btn_status_"};
    for (int button = 0; button < 3; ++button) {
        m_buttons[button][0] = QPixmap(image(stems[button]) + QStringLiteral("normal.png"));
        m_buttons[button][1] = QPixmap(image(stems[button]) + QStringLiteral("hover.png"));
    }
}

QRect AccountTableDelegate::markRect(const QRect &cell) const
{
    const int size = int(MarkSize * m_scale);
    return QRect(cell.center().x() - size / 2 + 1, cell.center().y() - size / 2 + 1, size, size);
}

const QPixmap &AccountTableDelegate::buttonImage(int column, bool hovered) const
{
    const int button = column == AccountTableModel::UserSettingsColumn ? 0
                       : column == AccountTableModel::SelectColumn     ? 1
                                                                       : 2;
    return m_buttons[button][hovered ? 1 : 0];
}

void AccountTableDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    // The row's background as the table's style draws it, without its text.
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    const QString text = background.text;
    background.text.clear();
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);

    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    const auto mark = AccountTableModel::Mark(index.data(AccountTableModel::MarkRole).toInt());
    const QRect rect = markRect(option.rect);
    switch (mark) {
    case AccountTableModel::NoMark: {
        if (text.isEmpty())
            break;
        const int margin = int(TextMargin * m_scale);
        const QRect textRect = option.rect.adjusted(margin, 0, -margin, 0);
        painter->setFont(option.font);
        painter->setPen(Qt::white);
        painter->drawText(textRect, int(Qt::AlignVCenter | Qt::AlignLeading),
                          option.fontMetrics.elidedText(text, Qt::ElideRight, textRect.width()));
        break;
    }
    case AccountTableModel::CheckMark:
        painter->drawPixmap(rect, m_check);
        break;
    case AccountTableModel::WarningMark:
        painter->drawPixmap(rect, m_warning);
        break;
    case AccountTableModel::ButtonMark:
        painter->drawPixmap(rect, buttonImage(index.column(), option.state & QStyle::State_MouseOver));
        break;
    case AccountTableModel::SeparatorMark:
        painter->fillRect(
            QRect(option.rect.center().x(), rect.top(), qMax(1, int(SeparatorWidth * m_scale)), rect.height()),
            QColor(0x78, 0x78, 0x78));
        break;
    }
    painter->restore();
}
