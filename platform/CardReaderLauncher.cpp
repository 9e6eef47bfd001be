#include "platform/CardReaderLauncher.h"

CardReaderLauncher::~CardReaderLauncher() = default;

QString CardReaderLauncher::imageName()
{
    return QStringLiteral("DidAvav.exe");
}

QString CardReaderLauncher::programPath(const QString &workingFolder)
{
    return workingFolder + QStringLiteral("/ZuzoVuzev/DidAvav/") + imageName();
}
