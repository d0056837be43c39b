// Builds the example programs in examples/ with the trainer's own core: each program is typed
// into the entry line keystroke by keystroke (TypeProgram), its data bytes are keyed in on the
// keypad (ADDR, four digits, MEM, two digits and NEXT per byte), and the listing is saved as a
// memory image (SaveImage). Each image is then opened in a fresh trainer (OpenImage), the
// decoded listing is checked against the typed lines, and the program runs with RST and RUN
// until it stops by itself; the registers it ends with go into examples/expected.txt and into
// the example's description.
//
// It is built with the tests (target tamrel_make_examples), and the test examples_generator
// runs it into a scratch folder and compares what it makes with examples/. To write the
// examples anew, from the project root:
//
//   build/tests/tamrel_make_examples examples
//
// It exits non-zero if a program is not decoded as typed, does not stop within ten million
// lines, or does not end as its description says.
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "files/memfile.h"
#include "listing/opcodes.h"
#include "machine/numtext.h"
#include "panel/trainer.h"
#include "support/program.h"
#include "support/views.h"

namespace {

using namespace tamrel;
using test::NullView;
using test::TypeProgram;

struct Block {
  int32_t addr;
  std::vector<std::string_view> lines;
};

struct Data {
  int32_t addr;
  std::vector<uint8_t> bytes;
};

struct Example {
  std::string name;
  std::string titleRu, titleEn;
  std::string aboutRu, aboutEn;  // what it does and what to watch
  std::vector<Block> code;
  std::vector<Data> data;
  // Bytes the program must have written, checked after the run.
  std::vector<Data> result;
  std::string noteRu, noteEn;  // after the run
};

// A view that shows nothing but remembers what the data display showed, and stops a run
// that goes on for too long by pressing RST.
class ExampleView : public PanelView {
 public:
  Trainer* trainer = nullptr;
  long passes = 0;
  bool running = false;  // set around RUN
  bool stoppedByHand = false;
  std::string lastLine;  // the line about to run at the last pass
  // What the data display showed during the run. What a line shows is kept when the next line
  // is about to run, so the refresh after the run is left out.
  std::vector<std::string> shown, pending;

  void ShowAddress(std::string_view) override {}
  void ShowData(std::string_view t) override {
    if (running && !t.empty()) pending.emplace_back(t);
  }
  void ShowEntry(std::string_view) override {}
  void ShowRegisters(const TRegisters&) override {}
  void ShowFlags(const TFlags&) override {}
  void ShowStackPointer(std::string_view) override {}
  void ProcessEvents() override {
    shown.insert(shown.end(), pending.begin(), pending.end());
    pending.clear();
    if (++passes > 10'000'000 && !stoppedByHand) {
      stoppedByHand = true;
      RstKey(*trainer);
      return;
    }
    lastLine = CurrentLine(*trainer);
  }
};

void NoSleep() {}

// ADDR and four digits, MEM, then two digits and NEXT for each byte.
void KeyBytes(Trainer& t, const Data& d) {
  AddrKey(t);
  for (char c : IntToHexText(d.addr)) HexKey(t, c);
  MemKey(t);
  for (uint8_t b : d.bytes) {
    for (char c : IntToHexText(b)) HexKey(t, c);
    NextKey(t);
  }
}

// The length of a typed line: that of the last table text it passed through, as the entry
// line assembles it.
int32_t LineLength(std::string_view line) {
  int op = -1;
  for (size_t n = 1; n <= line.size(); ++n)
    if (const int o = FindOpcode(line.substr(0, n)); o >= 0) op = o;
  if (op < 0) {
    std::cerr << "make-examples: '" << line << "' is no instruction\n";
    std::exit(1);
  }
  return ComTab()[op].Length;
}

std::string Row(const Listing& l, int32_t addr) {
  const int64_t row = RowOfAddress(addr);
  std::string m = l.Mnemonic(row);
  if (m.size() < 16) m.append(16 - m.size(), ' ');
  return l.Cell(kAddrCol, row) + "    " + m + l.Code(row);
}

// The rows from `first` up to the last byte of the block, as the print-out lays them out.
int32_t BlockEnd(const Block& b) {
  int32_t a = b.addr;
  for (std::string_view line : b.lines) a += LineLength(line);
  return a - 1;
}

std::string Hex(int32_t v) { return IntToHexText(v); }

// An underline as long as a UTF-8 title, in characters.
std::string Underline(std::string_view title) {
  size_t n = 0;
  for (unsigned char c : title) n += (c & 0xC0) != 0x80;
  return std::string(n, '=');
}

bool Fail(const std::string& what) {
  std::cerr << "make-examples: " << what << "\n";
  return false;
}

bool Build(const Example& ex, const std::string& dir, std::ofstream& expected) {
  const std::string mem = dir + "/" + ex.name + ".mem";

  // Typing it in, from a memory of 00h bytes.
  {
    NullView view;
    Trainer t(view, NoSleep);
    BuildMachine(t, [] { return 0.0; });
    ResetPanel(t);
    for (const Block& b : ex.code) {
      // TypeProgram takes a braced list: one line at a time, each at its own address.
      int32_t addr = b.addr;
      for (std::string_view line : b.lines) {
        TypeProgram(t, t.Entry, addr, {line});
        addr += LineLength(line);
      }
    }
    for (const Data& d : ex.data) KeyBytes(t, d);
    if (auto err = SaveImage(t.listing, mem)) return Fail(mem + ": " + *err);
  }

  // Opening it as a student would, and running it.
  ExampleView view;
  Trainer t(view, NoSleep);
  view.trainer = &t;
  BuildMachine(t, [] { return 0.5; });
  ResetPanel(t);
  t.EventSlice = std::chrono::microseconds(0);
  if (auto err = OpenImage(t, mem)) return Fail(mem + ": " + *err);
  RefreshPanel(t);

  std::string listing;
  for (const Block& b : ex.code) {
    int32_t addr = b.addr;
    for (std::string_view line : b.lines) {
      if (t.listing.Mnemonic(RowOfAddress(addr)) != line)
        return Fail(ex.name + ": " + Hex(addr) + " reads '" +
                    t.listing.Mnemonic(RowOfAddress(addr)) + "', typed '" + std::string(line) +
                    "'");
      addr += LineLength(line);
    }
    for (int32_t a = b.addr; a <= BlockEnd(b); ++a) listing += Row(t.listing, a) + "\n";
    listing += "\n";
  }
  std::string dataRows;
  for (const Data& d : ex.data) {
    for (size_t i = 0; i < d.bytes.size(); ++i) {
      const int32_t a = d.addr + static_cast<int32_t>(i);
      if (t.m.Mem.Read(a) != d.bytes[i]) return Fail(ex.name + ": data byte at " + Hex(a));
      dataRows += "  " + Hex(a) + "  " + Hex(d.bytes[i]) + "\n";
    }
    dataRows += "\n";
  }

  RstKey(t);
  view.running = true;
  RunKey(t);
  view.running = false;
  if (view.stoppedByHand) return Fail(ex.name + ": does not stop");
  const std::string stop = view.lastLine == "HLT"               ? "HLT"
                           : view.lastLine.rfind("RST", 0) == 0 ? "RST"
                                                                : "";
  if (stop.empty()) return Fail(ex.name + ": stopped on '" + view.lastLine + "'");
  for (const Data& d : ex.result)
    for (size_t i = 0; i < d.bytes.size(); ++i) {
      const int32_t a = d.addr + static_cast<int32_t>(i);
      if (t.m.Mem.Read(a) != d.bytes[i])
        return Fail(ex.name + ": byte at " + Hex(a) + " is " + Hex(t.m.Mem.Read(a)) + ", not " +
                    Hex(d.bytes[i]));
    }

  const TRegisters& r = t.m.R;
  const std::string regs = "A=" + Hex(r.A) + " B=" + Hex(r.B) + " C=" + Hex(r.C) +
                           " D=" + Hex(r.D) + " E=" + Hex(r.E) + " H=" + Hex(r.H) +
                           " L=" + Hex(r.L) + " PC=" + Hex(t.m.PC) + " SP=" + Hex(t.m.SP) +
                           " stop=" + stop;
  expected << ex.name << ".mem " << regs << "\n";

  std::string shown;
  for (const std::string& s : view.shown) shown += (shown.empty() ? "" : " ") + s;

  const TFlags& f = t.m.Flags;
  const std::string flags = "CY=" + std::to_string(f.CY) + " P=" + std::to_string(f.P) +
                            " AC=" + std::to_string(f.AC) + " Z=" + std::to_string(f.Z) +
                            " S=" + std::to_string(f.S);

  std::ofstream txt(dir + "/" + ex.name + ".txt", std::ios::binary);
  txt << ex.titleRu << "\n"
      << Underline(ex.titleRu) << "\n\n"
      << ex.aboutRu << "\n\n"
      << "Файл → Открыть → " << ex.name << ".mem, затем RST (PC = 8200) и RUN.\n\n"
      << "Программа (адрес, мнемоника, код):\n\n"
      << listing;
  if (!dataRows.empty()) txt << "Данные (адрес, байт):\n\n" << dataRows;
  txt << "После остановки (" << stop << "), если перед RUN регистры были нулевыми, а SP = F72F:\n\n"
      << "  " << regs << "\n  " << flags << "\n";
  if (!shown.empty()) txt << "  индикатор данных во время RUN: " << shown << "\n";
  txt << "\n" << ex.noteRu << "\n\n\n";
  txt << ex.titleEn << "\n"
      << Underline(ex.titleEn) << "\n\n"
      << ex.aboutEn << "\n\n"
      << "File → Open (\"Файл\" → \"Открыть\") " << ex.name
      << ".mem, then RST (PC = 8200) and RUN.\n"
      << "The listing and data are shown above. After it stops (" << stop
      << "), starting from zero registers and SP = F72F:\n\n"
      << "  " << regs << "\n  " << flags << "\n";
  if (!shown.empty()) txt << "  data display during RUN: " << shown << "\n";
  txt << "\n" << ex.noteEn << "\n";
  std::cout << ex.name << ".mem  " << regs << "  (" << view.passes << " lines)\n";
  return true;
}

std::vector<Example> Examples() {
  return {
      {"countdown",
       "Обратный отсчёт: DCR и JNZ",
       "Count-down: DCR and JNZ",
       "B считает вниз от 5 до 0, A в то же время считает вверх. Цикл из трёх строк\n"
       "(INR A, DCR B, JNZ) повторяется, пока DCR B не даст нуль: тогда Z = 1, и JNZ\n"
       "больше не переходит. Пройдите его по шагам (STEP) и смотрите на B, A и признак Z.",
       "B counts down from 5 to 0 while A counts up. The three-line loop (INR A, DCR B,\n"
       "JNZ) repeats until DCR B gives zero: then Z = 1 and JNZ no longer jumps. Step\n"
       "through it with STEP and watch B, A and the Z flag.",
       {{0x8200, {"MVI B, 05", "MVI A, 00", "INR A", "DCR B", "JNZ 8204", "HLT"}}},
       {},
       {},
       "Особенность тренажёра: DCR для любого регистра, кроме A, ставит Z = 1 при нуле, но\n"
       "никогда не сбрасывает Z. Здесь Z сбрасывает INR A (для A признаки Z, S и P всегда\n"
       "следуют результату), поэтому цикл работает при любом начальном Z.",
       "A point of this trainer: DCR on any register but A sets Z = 1 at zero but never\n"
       "clears Z. Here INR A clears it (for A, the flags Z, S and P always follow the\n"
       "result), so the loop works whatever Z was at the start."},
      {"table-sum",
       "Сумма таблицы в памяти",
       "Sum of a table in memory",
       "Складывает восемь байтов таблицы с адреса 8300 (HL указывает на очередной байт,\n"
       "B — счётчик) и записывает сумму командой STA по адресу 8310. После RUN в\n"
       "листинге у адреса 8310 стоит код суммы: STA — единственная команда, которая\n"
       "пишет и в столбец «Код».",
       "Adds the eight bytes of the table at 8300 (HL points at the next byte, B counts)\n"
       "and stores the sum at 8310 with STA. After RUN the listing's row 8310 shows the\n"
       "sum's code: STA is the one instruction that also writes the \"Код\" column.",
       {{0x8200,
         {"LXI H, 8300", "MVI B, 08", "MVI A, 00", "ADD M", "INX H", "DCR B", "JNZ 8207",
          "STA 8310", "HLT"}}},
       {{0x8300, {0x12, 0x05, 0x20, 0x0A, 0x33, 0x07, 0x11, 0x02}}},
       {{0x8310, {0x8E}}},
       "Строки таблицы в листинге выглядят как команды (12 — STAX D, 05 — DCR B и т. д.):\n"
       "листинг показывает любые байты как команды. Они не выполняются, потому что\n"
       "программа до них не доходит.",
       "The table's rows look like instructions in the listing (12 is STAX D, 05 is\n"
       "DCR B and so on): the listing shows every byte as an instruction. They never run,\n"
       "because the program does not reach them."},
      {"subroutine",
       "Подпрограмма: CALL, RET и стек",
       "A subroutine: CALL, RET and the stack",
       "Подпрограмма по адресу 8220 удваивает A (A := A + A), сохраняя B в стеке\n"
       "командами PUSH B и POP B. Основная программа вызывает её дважды: 07 → 0E → 1C.\n"
       "Программа кончается командой RST 7: она останавливает RUN и оставляет PC на себе.\n"
       "Смотрите, как меняется SP при CALL, PUSH, POP и RET.",
       "The subroutine at 8220 doubles A (A := A + A), keeping B on the stack with\n"
       "PUSH B and POP B. The main program calls it twice: 07 → 0E → 1C. It ends with\n"
       "RST 7, which stops RUN and leaves PC on itself. Watch SP change on CALL, PUSH,\n"
       "POP and RET.",
       {{0x8200, {"LXI SP, F72F", "MVI B, 55", "MVI A, 07", "CALL 8220", "CALL 8220", "RST 7"}},
        {0x8220, {"PUSH B", "MOV B, A", "ADD B", "POP B", "RET"}}},
       {},
       // The last call's return address as this trainer keeps it: the CALL line itself.
       {{0xF72D, {0x0A, 0x82}}},
       "В стек CALL кладёт адрес самой команды CALL (здесь 820A: байты 0A и 82 по адресам\n"
       "F72D и F72E), а RET прибавляет к нему 3. Поэтому возврат попадает на строку после\n"
       "CALL. Нажмите RST перед новым запуском: RUN на строке RST 7 сразу остановится.",
       "CALL puts the address of the CALL line itself on the stack (here 820A: bytes 0A\n"
       "and 82 at F72D and F72E), and RET adds 3 to it, so the return lands on the line\n"
       "after the CALL. Press RST before running again: RUN on the RST 7 line stops at once."},
      {"display",
       "Байт на индикаторе данных: подпрограмма монитора 0294",
       "A byte on the data display: monitor routine 0294",
       "Бегущая единица: A принимает значения 01, 02, 04, … 80 (RLC сдвигает её влево),\n"
       "каждое значение записывается в байт 8300, и CALL 0294 показывает байт по адресу\n"
       "HL на индикаторе данных. Пауза между значениями — 250 команд NOP, по 1 мс каждая.\n"
       "Запускайте RUN: при STEP индикатор сразу перезаписывается кодом следующей строки.",
       "A running one: A takes the values 01, 02, 04, ... 80 (RLC shifts it left), each\n"
       "is written to the byte at 8300, and CALL 0294 shows the byte at HL on the data\n"
       "display. Between two values the program pauses for 250 NOPs of 1 ms each. Use\n"
       "RUN: after STEP the display is at once rewritten with the next row's code.",
       {{0x8200,
         {"LXI H, 8300", "MVI A, 01", "ORA A", "MOV M, A", "CALL 0294", "MVI C, FA", "NOP", "DCR C",
          "JNZ 820C", "CPI 80", "RLC", "JNZ 8206", "HLT"}}},
       {},
       {{0x8300, {0x80}}},
       "ORA A в начале сбрасывает Z (и CY) перед первой паузой: DCR C сам Z не сбрасывает.\n"
       "После 80 команда RLC выдвигает единицу в CY и даёт A = 01, CY = 1. MOV M, A пишет\n"
       "только в память: столбец «Код» у адреса 8300 остаётся прежним (00).",
       "ORA A at the start clears Z (and CY) before the first pause, since DCR C does not\n"
       "clear Z. After 80 the RLC moves the one out into CY and leaves A = 01, CY = 1.\n"
       "MOV M, A writes memory only: the \"Код\" column of row 8300 stays as it was (00)."},
      {"block-copy",
       "Копирование блока памяти",
       "Copying a block of memory",
       "Копирует восемь байтов с адреса 8300 (текст «TAMREL80» в кодах ASCII) по адресу\n"
       "8380: MOV A, M читает байт по HL, STAX D пишет его по DE, INX H и INX D сдвигают\n"
       "оба указателя, DCR B и JNZ считают байты. В конце LDA 8380 читает первый байт\n"
       "копии в A.",
       "Copies the eight bytes at 8300 (the text \"TAMREL80\" in ASCII codes) to 8380:\n"
       "MOV A, M reads the byte at HL, STAX D writes it at DE, INX H and INX D move both\n"
       "pointers on, DCR B and JNZ count the bytes. At the end LDA 8380 reads the copy's\n"
       "first byte into A.",
       {{0x8200,
         {"LXI H, 8300", "LXI D, 8380", "MVI B, 08", "MOV A, B", "ORA A", "MOV A, M", "STAX D",
          "INX H", "INX D", "DCR B", "JNZ 820A", "LDA 8380", "HLT"}}},
       {{0x8300, {0x54, 0x41, 0x4D, 0x52, 0x45, 0x4C, 0x38, 0x30}}},
       {{0x8380, {0x54, 0x41, 0x4D, 0x52, 0x45, 0x4C, 0x38, 0x30}}},
       "Внутри цикла ни одна команда не сбрасывает Z (DCR B ставит его только при нуле),\n"
       "поэтому MOV A, B и ORA A перед циклом делают Z = 0. STAX пишет только в память:\n"
       "столбец «Код» у адресов 8380…8387 (его показывают и индикатор данных, и MEM)\n"
       "остаётся прежним, и «Сохранить» запишет в файл именно его. Копию читает обратно\n"
       "последняя команда LDA 8380: после остановки в A код буквы «T», 54.",
       "No instruction inside the loop clears Z (DCR B only sets it at zero), so MOV A, B\n"
       "and ORA A before the loop make Z = 0. STAX writes memory only: the \"Код\" column\n"
       "of 8380 to 8387 (which the data display and MEM show) keeps its old texts, and\n"
       "\"Сохранить\" (Save) writes that column to the file. The last instruction,\n"
       "LDA 8380, reads the copy back: A ends with 54, the code of the letter \"T\"."},
  };
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make-examples DIR\n";
    return 2;
  }
  const std::string dir = argv[1];
  std::ofstream expected(dir + "/expected.txt", std::ios::binary);
  expected << "# file A B C D E H L PC SP stop: after Open, RST and RUN from power-up registers\n";
  bool ok = true;
  for (const Example& ex : Examples()) ok = Build(ex, dir, expected) && ok;
  return ok ? 0 : 1;
}
