#pragma once

#include <QColor>
#include <QObject>

class QLineEdit;

/// Keeps a line edit's example text (its placeholder) in one colour, whatever its style sheet does.
///
/// A style sheet's text colour also becomes the placeholder's whenever the edit is polished, which
/// happens at its first show and again each time a style sheet is set (the scaling pass sets them
/// at 1.4, a reset search box at any scale). A colour set once in the constructor is therefore kept
/// at one scale and lost at the other, and example texts read like typed white text.
class PlaceholderColour : public QObject
{
    Q_OBJECT

public:
    /// The kit's grey for example texts on the dark forms.
    static QColor grey() { return QColor(0x8c, 0x8c, 0x8c); }

    /// Gives edit's example text colour from now on; the keeper lives as the edit's child. An edit
    /// has one keeper: a later call only changes its colour.
    static void keep(QLineEdit *edit, const QColor &colour = grey());

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    PlaceholderColour(QLineEdit *edit, const QColor &colour);
    void apply();

    QLineEdit *m_edit;
    QColor m_colour;
    bool m_applying = false;
};
