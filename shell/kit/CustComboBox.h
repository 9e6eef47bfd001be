#pragma once

#include <QComboBox>

/// The combo box with the shared style: no open animation, eight visible items, a pop-up at
/// least 100 pixels wide that opens where its position mode says.
class CustComboBox : public QComboBox
{
    Q_OBJECT

public:
    /// Where the pop-up opens.
    enum PopupPosition
    {
        PopupAbove = 0,
        PopupLeft = 1,
        PopupRight = 2,
        PopupDefault = 3
    };

    explicit CustComboBox(QWidget *parent);
    ~CustComboBox() override;

    /// Sets the style sheet; when the text or the background was made invisible, rules that
    /// make them transparent are appended.
    void applyStyle(const QString &styleSheet);

    void setPopupPosition(int position) { m_popupPosition = position; }
    int popupPosition() const { return m_popupPosition; }
    void setTextVisible(bool visible) { m_textVisible = visible; }
    bool isTextVisible() const { return m_textVisible; }
    void setBackgroundVisible(bool visible) { m_backgroundVisible = visible; }
    bool isBackgroundVisible() const { return m_backgroundVisible; }

    void showPopup() override;
    void hidePopup() override;

signals:
    void isShowPopup();
    void isHidePopup();

private:
    int m_popupPosition = PopupDefault;
    bool m_textVisible = true;
    bool m_backgroundVisible = true;
};
