// The native side of the differential test: runs a script of keys and keystrokes through the
// core and the web shell exactly as the page runs them, with a view that keeps what a page
// would show (the entry line as a field that inserts typed characters at its end), and
// prints the shown state at every "dump".
//
//   char C | enter | back | clear      the entry line
//   key K                              a keypad key (MEM RST STEP ADDR NEXT or a hex digit)
//   run N                              RUN, at most N lines
//   select ROW | flag I | bp | bpc | stepback | shiftdown | shiftup | new | dump
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>

#include "edit/shift.h"
#include "files/memfile.h"
#include "machine/numtext.h"
#include "machine/text.h"
#include "web/shell/shell.h"

namespace {

using namespace tamrel;

struct PageLikeView : PanelView {
  std::string address, data, field, stackPointer;
  TRegisters registers;
  TFlags flags;
  int64_t selectedRow = 1;
  void ShowAddress(std::string_view t) override { address = t; }
  void ShowData(std::string_view t) override { data = t; }
  void ShowEntry(std::string_view t) override { field = t; }
  void ShowRegisters(const TRegisters& r) override { registers = r; }
  void ShowFlags(const TFlags& f) override { flags = f; }
  void ShowStackPointer(std::string_view t) override { stackPointer = t; }
  void ProcessEvents() override {}
  bool TakeShown(ShownViews& s) const override {
    s = {address, data, field, stackPointer, registers, flags, selectedRow};
    return true;
  }
  void PutShown(const ShownViews& s) override {
    if (s.selectedRow > 0) selectedRow = s.selectedRow;
    PanelView::PutShown(s);
  }
};

void NoPause() {}

uint32_t Fnv(uint32_t h, std::string_view s) {
  for (char c : s) h = (h ^ static_cast<uint8_t>(c)) * 16777619u;
  return h;
}

std::string Json(std::string_view cp1251) {
  std::string out = "\"";
  for (char c : Cp1251ToUtf8(cp1251)) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

void Dump(const Trainer& t, const PageLikeView& v) {
  uint32_t listing = 2166136261u;
  for (int64_t row = 0; row <= kLastRow; ++row)
    for (int col = 0; col < 3; ++col) {
      listing = Fnv(listing, Cp1251ToUtf8(t.listing.Cell(col, row)));
      listing = Fnv(listing, "\n");
    }
  const std::string image = ImageBytes(t.listing);
  const TRegisters& r = v.registers;
  const int32_t regs[] = {r.A, r.B, r.C, r.D, r.E, r.H, r.L, r.M, r.F};
  std::ostringstream o;
  o << "{\"address\":" << Json(v.address) << ",\"data\":" << Json(v.data)
    << ",\"entry\":" << Json(v.field) << ",\"sp\":" << Json(v.stackPointer) << ",\"registers\":[";
  for (int i = 0; i < 9; ++i) o << (i ? "," : "") << Json(IntToHexText(regs[i]));
  const TFlags& f = v.flags;
  o << "],\"flags\":[" << int{f.CY} << "," << int{f.P} << "," << int{f.AC} << "," << int{f.Z} << ","
    << int{f.S} << "],\"pc\":" << t.m.PC << ",\"listing\":" << listing
    << ",\"image\":" << Fnv(2166136261u, image) << "}";
  std::cout << o.str() << "\n";
}

}  // namespace

int main() {
  PageLikeView v;
  Trainer t(v, NoPause);
  BuildMachine(t, [] { return 0.0; });  // the script itself begins with New
  ResetPanel(t);
  web::Run run(t);
  std::string line;
  while (std::getline(std::cin, line)) {
    std::istringstream in(line);
    std::string op, arg;
    in >> op;
    std::getline(in >> std::ws, arg);
    if (op == "char") {
      const std::string ch = arg.empty() ? " " : arg;
      if (web::EntryKey(t, web::FieldKey::Character, v.field, ch)) {
        v.field += ch;
        NoteEdit(t);  // the field's own change, as the page's input event reports it
      }
    } else if (op == "enter") {
      web::EntryKey(t, web::FieldKey::Enter, v.field, "");
    } else if (op == "back" || op == "clear") {
      web::EntryKey(t, web::FieldKey::Backspace, v.field, "");
      if (!v.field.empty()) {
        if (op == "back")
          v.field.pop_back();
        else
          v.field.clear();
        NoteEdit(t);
      }
    } else if (op == "key") {
      if (arg == "MEM")
        MemKey(t);
      else if (arg == "RST")
        RstKey(t);
      else if (arg == "STEP")
        StepKey(t);
      else if (arg == "ADDR")
        AddrKey(t);
      else if (arg == "NEXT")
        NextKey(t);
      else
        HexKey(t, arg[0]);
    } else if (op == "run") {
      run.Begin(std::stoull(arg));
      while (run.Slice(20000, std::chrono::milliseconds(8)) != SliceEnd::Ended) {
      }
      run.Finish();
    } else if (op == "select") {
      v.selectedRow = std::stoll(arg);
      SelectRow(t, v.selectedRow);
    } else if (op == "flag") {
      uint8_t* boxes[] = {&v.flags.CY, &v.flags.P, &v.flags.AC, &v.flags.Z, &v.flags.S};
      uint8_t& b = *boxes[std::stoi(arg)];
      b = b ? 0 : 1;
      FlagBoxesClicked(t, v.flags.CY, v.flags.P, v.flags.AC, v.flags.Z, v.flags.S);
    } else if (op == "bp") {
      ToggleBreakpoint(t, RowOfAddress(t.m.PC));
    } else if (op == "bpc") {
      ClearBreakpoints(t);
    } else if (op == "stepback") {
      StepBack(t);
    } else if (op == "shiftdown") {
      ShiftDown(t);
    } else if (op == "shiftup") {
      ShiftUp(t);
    } else if (op == "new") {
      NewImage(t);
    } else if (op == "dump") {
      Dump(t, v);
    }
  }
}
