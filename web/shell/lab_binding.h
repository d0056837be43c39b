// Labs for the page's JavaScript: the student's lab of the trainer (PageTrainer's openLab,
// labText, checkLab) and the teacher's grading of a class (the Grader class, lab_binding.cpp).
#pragma once

#include <emscripten/val.h>

#include "web/shell/lab.h"

namespace tamrel::web {

// {title, task} of the open lab (UTF-8), or null.
emscripten::val LabText(const PageLab& lab);
// The check of `t`'s program: {passed, lines: [{shown, spoken}, ...]} as the window shows
// them (lab/lab.h CheckLines), or null when no lab is open.
emscripten::val LabCheckLines(const PageLab& lab, const Trainer& t);

}  // namespace tamrel::web
