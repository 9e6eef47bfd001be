#pragma once

#include <QString>

/// The names of the files the console sends to the panels. A panel stores a received file under the name it is
/// given; one that treats "\" as a folder separator, as well as "/", would read "back\..\slash.mp3" as a path out of
/// its folder.
namespace PanelFileName {

/// The name as a plain file name: "\", "/" and control characters become "_", and so does a leading "."; everything
/// else, non-ASCII text included, is kept. A plain name comes back unchanged.
QString plain(const QString &name);

} // namespace PanelFileName
