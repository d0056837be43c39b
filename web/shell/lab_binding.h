// Labs for the page's JavaScript: the student's lab of the trainer (PageTrainer's openLab,
// labText, checkLab) and the teacher's grading of a class (the Grader class, lab_binding.cpp).
#pragma once

#include <emscripten/val.h>

#include <string>

#include "web/shell/lab.h"

namespace tamrel::web {

// Files cross between the page and the core as bytes: a JavaScript array of them in, a
// Uint8Array out.
std::string FromBytes(const emscripten::val& array);
emscripten::val Bytes(const std::string& bytes);

// {title, task} of the open lab (UTF-8), or null.
emscripten::val LabText(const PageLab& lab);
// The check of `t`'s program: {passed, lines: [{shown, spoken}, ...]} as the window shows
// them (lab/lab.h CheckLines), or null when no lab is open.
emscripten::val LabCheckLines(const PageLab& lab, const Trainer& t);

}  // namespace tamrel::web
