#pragma once

#include <QAbstractNativeEventFilter>
#include <QByteArray>

/// Keeps one X error off the terminal: BadWindow from TranslateCoords, which only says that a window of another
/// program went away while the toolkit looked at it.
///
/// Hiding a modal dialog, the toolkit walks down the windows under the pointer, one TranslateCoords a step, to give
/// the window beneath its enter event. Closed from its title bar, the dialog has the pointer on the window manager's
/// frame around it, and the window manager destroys that frame as the dialog goes, now and then between two steps of
/// the walk. The walk stops there as it should, but the toolkit printed "XCB error: 3 (BadWindow) ...
/// (TranslateCoords)" to the terminal: for one, after Exit from the tray when the question about records not saved yet
/// was closed that way. The toolkit asks TranslateCoords of windows of its own only while they exist, so the error
/// never hides a fault of the console; it is logged instead. Every other X error still reaches the terminal.
class VanishedWindowErrors : public QAbstractNativeEventFilter
{
public:
    bool nativeEventFilter(const QByteArray &eventType, void *message, long *result) override;
};
