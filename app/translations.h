// Qt's own texts in Russian: the file dialogs, the standard buttons of the question and error
// boxes, the entry line's context menu. The program's own captions are never looked up in a
// catalogue, so they stay as they are.
#pragma once

#include <QCoreApplication>

namespace tamrel {

// Installs Qt's Russian catalogue for `app`; false (and English toolkit texts) when it is not
// installed on this system.
bool LoadQtTranslations(QCoreApplication& app);

}  // namespace tamrel
