#include "shell/base/BoundedText.h"

QString BoundedText::shown(const QString &text, bool more)
{
    // No character takes less than one UTF-16 unit: a text of no more units than that is whole, and a view that asks
    // at every paint pays no count for it.
    if (!more && text.size() <= kShownChars)
        return text;
    int kept = 0;
    int count = 0;
    while (kept < text.size() && count < kShownChars) {
        kept += text.at(kept).isHighSurrogate() && kept + 1 < text.size() && text.at(kept + 1).isLowSurrogate() ? 2 : 1;
        ++count;
    }
    if (!more && kept == text.size())
        return text;
    return text.left(kept) + kCutMark;
}

bool BoundedText::isCut(const QString &shown)
{
    if (!shown.endsWith(kCutMark) || shown.size() < kShownChars + 1)
        return false;
    int count = 0;
    for (int i = 0; i < shown.size(); ++i) {
        if (!(shown.at(i).isLowSurrogate() && i > 0 && shown.at(i - 1).isHighSurrogate()))
            ++count;
    }
    return count == kShownChars + 1;
}
