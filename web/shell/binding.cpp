// The page's window on the core: one Trainer whose PanelView forwards everything shown to the
// page's JavaScript object, and one function per control of the page.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <array>

#include "edit/programtext.h"
#include "edit/shift.h"
#include "files/ihex.h"
#include "files/memfile.h"
#include "files/printout.h"
#include "files/unsaved.h"
#include "machine/numtext.h"
#include "machine/text.h"
#include "panel/watch.h"
#include "web/shell/lab_binding.h"
#include "web/shell/shell.h"

namespace tamrel::web {

using emscripten::val;

namespace {

void NoPause() {}  // NOP's millisecond is the page's own timer

val Failure(const std::optional<std::string>& err) {
  return err ? val(Cp1251ToUtf8(*err)) : val::null();
}

}  // namespace

// Tells the page what the core shows, and keeps it for stepping back.
class PageView : public PanelView {
 public:
  explicit PageView(val page) : page_(std::move(page)) {
    shown_.selectedRow = 1;  // the grid starts on its first data cell, as the window's does
  }
  void ShowAddress(std::string_view t) override { Show(shown_.address, t, "showAddress"); }
  void ShowData(std::string_view t) override { Show(shown_.data, t, "showData"); }
  void ShowEntry(std::string_view t) override { Show(shown_.entry, t, "showEntry"); }
  void ShowStackPointer(std::string_view t) override {
    Show(shown_.stackPointer, t, "showStackPointer");
  }
  void ShowRegisters(const TRegisters& r) override {
    shown_.registers = r;
    const int32_t values[] = {r.A, r.B, r.C, r.D, r.E, r.H, r.L, r.M, r.F};
    val texts = val::array();
    for (int32_t v : values) texts.call<void>("push", Cp1251ToUtf8(IntToHexText(v)));
    page_.call<void>("showRegisters", texts);
  }
  void ShowFlags(const TFlags& f) override {
    shown_.flags = f;
    val boxes = val::array();
    for (uint8_t b : {f.CY, f.P, f.AC, f.Z, f.S}) boxes.call<void>("push", b != 0);
    page_.call<void>("showFlags", boxes);
  }
  void ProcessEvents() override {}  // the page's own event loop runs between slices
  bool TakeShown(ShownViews& s) const override {
    s = shown_;
    return true;
  }
  void PutShown(const ShownViews& s) override {
    if (s.selectedRow > 0) {
      shown_.selectedRow = s.selectedRow;
      page_.call<void>("showSelection", static_cast<double>(s.selectedRow));
    }
    PanelView::PutShown(s);
  }
  void Selected(int64_t row) { shown_.selectedRow = row; }
  // The entry line as the user changed it (typing, deleting, pasting).
  void Edited(std::string_view text) { shown_.entry = text; }

 private:
  void Show(std::string& kept, std::string_view t, const char* method) {
    kept = t;
    page_.call<void>(method, Cp1251ToUtf8(t));
  }
  val page_;
  ShownViews shown_;
};

class PageTrainer {
 public:
  explicit PageTrainer(val page) : view_(std::move(page)), t_(view_, NoPause), run_(t_) {}

  void start() {
    BuildMachine(t_, ClockSeededRandom());
    ResetPanel(t_);
    saved_.Remember(t_.listing);
  }
  // Keypad keys by caption's first word; hex digits by their digit.
  void key(const std::string& name) {
    if (name == "MEM")
      MemKey(t_);
    else if (name == "RST")
      RstKey(t_);
    else if (name == "STEP")
      Step();
    else if (name == "ADDR")
      AddrKey(t_);
    else if (name == "NEXT")
      NextKey(t_);
    else if (name.size() == 1)
      HexKey(t_, name[0]);
  }
  // The entry line: kind 0 Enter, 1 Backspace, 2 a character, 3 anything else.
  bool entryKey(int kind, const std::string& fieldText, const std::string& character) {
    return EntryKey(t_, static_cast<FieldKey>(kind), fieldText, character);
  }
  void entryEdited(const std::string& text) {
    NoteEdit(t_);
    view_.Edited(Utf8ToCp1251Replacing(text, '\x1A'));  // as the window keeps it
  }
  void selectRow(double row) {
    view_.Selected(static_cast<int64_t>(row));
    SelectRow(t_, static_cast<int64_t>(row));
  }
  void flagBoxes(bool cy, bool p, bool ac, bool z, bool s) {
    FlagBoxesClicked(t_, cy, p, ac, z, s);
  }

  void beginRun(double maxLines) {
    watch_.Begin(t_);
    run_.Begin(maxLines < 0 ? kNoLineLimit : static_cast<uint64_t>(maxLines));
  }
  // 0: the run ended (call finishRun), 1: bounded by lines or time, 2: NOP asks for a pause.
  int runSlice(double lines, double ms) {
    return static_cast<int>(run_.Slice(static_cast<uint64_t>(lines),
                                       std::chrono::nanoseconds(static_cast<int64_t>(ms * 1e6))));
  }
  val finishRun() {
    const RunResult r = run_.Finish();
    RunEnded(r);
    val out = val::object();
    out.set("end", static_cast<int>(r.end));
    out.set("lines", static_cast<double>(r.lines));
    return out;
  }
  bool running() const { return run_.Going(); }

  void toggleBreakpoint(double row) { ToggleBreakpoint(t_, static_cast<int64_t>(row)); }
  void breakpointAtPC() { ToggleBreakpoint(t_, RowOfAddress(t_.m.PC)); }
  void clearBreakpoints() { ClearBreakpoints(t_); }
  bool stepBack() { return StepBack(t_); }
  void shiftDown() { ShiftDown(t_); }
  void shiftUp() { ShiftUp(t_); }

  void newImage() {
    NewImage(t_);
    saved_.Remember(t_.listing);
  }
  val openImage(const val& bytes) { return Loaded(OpenImageBytes(t_, FromBytes(bytes))); }
  val importHex(const val& bytes) { return Loaded(ImportHexText(t_, FromBytes(bytes))); }
  // A program text file: UTF-8 when it is valid UTF-8, else code page 1251 as the print-out
  // writes; a character the code page lacks becomes '?', which no line takes outside a comment.
  val openProgramText(const val& bytes) {
    const std::string b = FromBytes(bytes);
    return Loaded(PasteProgramText(t_, IsUtf8(b) ? Utf8ToCp1251Replacing(b, '?') : b));
  }
  // A program pasted in (UTF-8 from the clipboard): an edit like typing, so the work is unsaved.
  val pasteProgram(const std::string& text) {
    const auto err = PasteProgramText(t_, Utf8ToCp1251Replacing(text, '?'));
    if (!err) RefreshPanel(t_);
    return Failure(err);
  }
  // Whether Save would now write other bytes than at the last New, Open, Save, import or export.
  bool unsaved() const { return saved_.Unsaved(t_.listing); }
  val imageBytes() {
    saved_.Remember(t_.listing);  // the page's Save is this download
    return Bytes(ImageBytes(t_.listing));
  }
  val hexBytes() {
    saved_.Remember(t_.listing);
    return Bytes(ExportHexText(t_.listing));
  }
  val printoutBytes() const { return Bytes(PrintoutText(t_.listing, t_.m.PC)); }

  // The listing, for the page's grid.
  std::string cell(int col, double row) const {
    return Cp1251ToUtf8(t_.listing.Cell(col, static_cast<int64_t>(row)));
  }
  bool marked(double row) const { return t_.listing.Marked(static_cast<int64_t>(row)); }
  val takeChangedRows() {
    const Listing::Range r = t_.listing.TakeChangedRows();
    val out = val::object();
    out.set("lo", static_cast<double>(r.lo));
    out.set("hi", static_cast<double>(r.hi));
    return out;
  }
  double pc() const { return t_.m.PC; }
  double edits() const { return static_cast<double>(t_.edits); }

  // ---- Seeing the machine work (panel/watch.h): the PC row, the status line "Состояние",
  // slow motion, the memory window "Память и стек", the entry line's dead ends ----
  double pcRow() const { return static_cast<double>(PcRow(t_)); }
  std::string status() const { return Cp1251ToUtf8(status_); }
  bool canStepBack() const { return t_.history.Size(t_) > 0; }
  val speeds() const {
    val out = val::array();
    for (int s : kSpeeds) out.call<void>("push", s);
    return out;
  }
  double lineInterval(int linesPerSecond) const {
    return std::chrono::duration<double, std::milli>(LineInterval(linesPerSecond)).count();
  }
  // After each line of a slow RUN: every view, the changed bytes and the lines so far.
  void slowLineShown() {
    view_.ShowRegisters(t_.m.R);
    view_.ShowFlags(t_.m.Flags);
    view_.ShowStackPointer(IntToHexText(t_.m.SP));
    RefreshPanel(t_);
    watch_.End(t_);
    status_ = SlowRunReport(run_.Lines(), t_.cycles - watch_.startCycles);
    entryProblemShown_ = false;
  }
  // Why the entry line's text cannot lead to an instruction ("" while it can); the status line
  // shows it, and is cleared again once the text can.
  std::string checkEntry(const std::string& text) {
    const std::string problem = EntryProblem(t_, Utf8ToCp1251Replacing(text, '\x1A'));
    if (!problem.empty()) {
      status_ = problem;
      entryProblemShown_ = true;
    } else if (entryProblemShown_) {
      Status({});
    }
    return Cp1251ToUtf8(problem);
  }
  // Sixteen bytes of memory from `addr` (fewer where memory ends): the bytes, their marks (1
  // changed by the last STEP or RUN, 2 differing from the code column) and their characters.
  val memoryRow(double addr) const {
    const auto first = static_cast<int64_t>(addr);
    std::string bytes, marks;
    for (int64_t a = first; a < first + 16 && InWindow(a); ++a) {
      bytes.push_back(static_cast<char>(t_.m.Mem.Read(a)));
      marks.push_back(
          static_cast<char>((watch_.Changed(a) ? 1 : 0) | (DiffersFromCode(t_, a) ? 2 : 0)));
    }
    val out = val::object();
    out.set("bytes", Bytes(bytes));
    out.set("marks", Bytes(marks));
    out.set("chars", Cp1251ToUtf8(MemoryChars(t_.m, first, 16)));
    return out;
  }
  // The address a typed text names, or -1 when it is outside memory.
  double memoryAddress(const std::string& text) const {
    const int32_t a = HexTextToInt(Utf8ToCp1251Replacing(text, '?'));
    return InWindow(a) ? a : -1;
  }
  // The stack from SP upward: [address, word] pairs, the top first.
  val stackWords(int count) const {
    val out = val::array();
    for (const StackEntry& e : StackWords(t_.m, count)) {
      val pair = val::array();
      pair.call<void>("push", e.addr);
      pair.call<void>("push", e.word);
      out.call<void>("push", pair);
    }
    return out;
  }
  double sp() const { return t_.m.SP; }
  // Labs (web/shell/lab.h): "Открыть задание…" and "Проверить".
  val openLab(const val& bytes) {
    const auto err = lab_.Open(t_, FromBytes(bytes));
    if (!err) RefreshPanel(t_);
    return Failure(err);
  }
  val labText() const { return LabText(lab_); }
  val checkLab() const { return LabCheckLines(lab_, t_); }

 private:
  val Loaded(const std::optional<std::string>& err) {
    if (!err) {
      RefreshPanel(t_);
      saved_.Remember(t_.listing);
    }
    return Failure(err);
  }
  void Status(const std::string& text) {
    status_ = text;
    entryProblemShown_ = false;
  }
  void Step() {
    watch_.Begin(t_);
    StepKey(t_);
    watch_.End(t_);
    Status(StepReport(watch_.startPc, watch_.startLine, t_.cycles - watch_.startCycles));
  }
  void RunEnded(const RunResult& r) {
    watch_.End(t_);
    Status(RunReport(r.end, t_.m.PC, r.lines, t_.cycles - watch_.startCycles));
  }
  PageView view_;
  Trainer t_;
  Run run_;
  SavedImage saved_;
  ChangeWatch watch_;
  std::string status_;  // "Состояние", in code page 1251
  bool entryProblemShown_ = false;
  PageLab lab_;
};

EMSCRIPTEN_BINDINGS(tamrel) {
  emscripten::class_<PageTrainer>("Trainer")
      .constructor<val>()
      .function("start", &PageTrainer::start)
      .function("key", &PageTrainer::key)
      .function("entryKey", &PageTrainer::entryKey)
      .function("entryEdited", &PageTrainer::entryEdited)
      .function("selectRow", &PageTrainer::selectRow)
      .function("flagBoxes", &PageTrainer::flagBoxes)
      .function("beginRun", &PageTrainer::beginRun)
      .function("runSlice", &PageTrainer::runSlice)
      .function("finishRun", &PageTrainer::finishRun)
      .function("running", &PageTrainer::running)
      .function("toggleBreakpoint", &PageTrainer::toggleBreakpoint)
      .function("breakpointAtPC", &PageTrainer::breakpointAtPC)
      .function("clearBreakpoints", &PageTrainer::clearBreakpoints)
      .function("stepBack", &PageTrainer::stepBack)
      .function("shiftDown", &PageTrainer::shiftDown)
      .function("shiftUp", &PageTrainer::shiftUp)
      .function("newImage", &PageTrainer::newImage)
      .function("openImage", &PageTrainer::openImage)
      .function("importHex", &PageTrainer::importHex)
      .function("openProgramText", &PageTrainer::openProgramText)
      .function("pasteProgram", &PageTrainer::pasteProgram)
      .function("unsaved", &PageTrainer::unsaved)
      .function("imageBytes", &PageTrainer::imageBytes)
      .function("hexBytes", &PageTrainer::hexBytes)
      .function("printoutBytes", &PageTrainer::printoutBytes)
      .function("cell", &PageTrainer::cell)
      .function("marked", &PageTrainer::marked)
      .function("takeChangedRows", &PageTrainer::takeChangedRows)
      .function("pc", &PageTrainer::pc)
      .function("edits", &PageTrainer::edits)
      // Seeing the machine work.
      .function("pcRow", &PageTrainer::pcRow)
      .function("status", &PageTrainer::status)
      .function("canStepBack", &PageTrainer::canStepBack)
      .function("speeds", &PageTrainer::speeds)
      .function("lineInterval", &PageTrainer::lineInterval)
      .function("slowLineShown", &PageTrainer::slowLineShown)
      .function("checkEntry", &PageTrainer::checkEntry)
      .function("memoryRow", &PageTrainer::memoryRow)
      .function("memoryAddress", &PageTrainer::memoryAddress)
      .function("stackWords", &PageTrainer::stackWords)
      .function("sp", &PageTrainer::sp)
      // Labs.
      .function("openLab", &PageTrainer::openLab)
      .function("labText", &PageTrainer::labText)
      .function("checkLab", &PageTrainer::checkLab);
}

}  // namespace tamrel::web
