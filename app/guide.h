// The program's own guide, an HTML page shipped with it and opened from the local copy, so it
// works offline: the page the web form opens at start-up and "Помощь" > "Руководство".
#pragma once

#include <QString>
#include <QUrl>

namespace tamrel {

// The guide's start page for a program that lives in `programDir`: the source tree's copy when
// the program runs from the build tree it was built in, else the installed copy (found from the
// program's own folder first, so that a moved installation still finds it, then at the place
// the build was configured to install to). Empty when there is none.
QString FindGuide(const QString& programDir);

// The guide of this program, as a file:// address; empty when it cannot be found.
QUrl GuidePage();

// What "Руководство" says when the guide is not there, or no browser took it (%1: its file).
inline const QString kGuideMissing = QStringLiteral("Руководство не найдено");
inline const QString kGuideNotOpened = QStringLiteral(
    "Не удалось открыть руководство: ни один веб-браузер не ответил (браузер открывается "
    "через xdg-open из пакета xdg-utils). Руководство можно открыть и самому: %1");

}  // namespace tamrel
