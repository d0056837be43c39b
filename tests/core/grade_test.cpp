// Grading a class with tamrel-batch --lab: a folder of 30 mixed images against the shipped
// table-sum lab, read back from the terminal, the CSV and the HTML page; and the exit statuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "batch/batch.h"
#include "files/ihex.h"
#include "files/memfile.h"
#include "support/batch_call.h"
#include "support/files.h"
#include "support/started_trainer.h"

namespace tamrel {
namespace {

const std::string kLab = std::string(TAMREL_EXAMPLES_DIR) + "/table-sum.lab";

size_t Count(const std::string& s, const std::string& what) {
  size_t n = 0;
  for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1)) ++n;
  return n;
}

// The table-sum program with the table's start as given; saved as .mem or exported as .hex.
void Save(const std::string& path, std::initializer_list<std::string_view> program) {
  test::StartedTrainer b;
  b.Type(0x8200, program);
  const bool hex = path.ends_with(".hex") || path.ends_with(".HEX");
  EXPECT_FALSE(hex ? ExportHex(b.t.listing, path) : SaveImage(b.t.listing, path)) << path;
}

const std::initializer_list<std::string_view> kRight = {"LXI H, 8300", "MVI B, 08", "MVI A, 00",
                                                        "ADD M",       "INX H",     "DCR B",
                                                        "JNZ 8207",    "STA 8310",  "HLT"};
const std::initializer_list<std::string_view> kWrong = {"LXI H, 8301", "MVI B, 08", "MVI A, 00",
                                                        "ADD M",       "INX H",     "DCR B",
                                                        "JNZ 8207",    "STA 8310",  "HLT"};
const std::initializer_list<std::string_view> kEndless = {"MVI A, 8E", "STA 8310", "JMP 8200"};

// A folder by its UTF-8 name, as the file layer takes names on every system (a narrow path
// would be read in the system's code page on Windows).
void MakeFolder(const std::string& utf8) {
  std::filesystem::create_directory(std::filesystem::path(std::u8string(utf8.begin(), utf8.end())));
}

struct ClassOf30 {
  test::ScratchDir dir;
  ClassOf30() {
    MakeFolder(dir / "группа 2");
    for (int i = 0; i < 12; ++i) Save(dir / ("ученик" + std::to_string(i) + ".mem"), kRight);
    Save(dir / "Иванов.mem", kRight);
    Save(dir / "группа 2/Петрова.HEX", kRight);
    Save(dir / "группа 2/Сидоров.hex", kRight);
    for (int i = 0; i < 5; ++i) Save(dir / ("ошибка" + std::to_string(i) + ".mem"), kWrong);
    for (int i = 0; i < 5; ++i) Save(dir / ("цикл" + std::to_string(i) + ".mem"), kEndless);
    test::WriteFile(dir / "пустой.mem", "");
    test::WriteFile(dir / "короткий.mem", std::string(100, '\x76'));
    test::WriteFile(dir / "картинка.mem", "\x89PNG\r\n\x1a\n" + std::string(2000, '\0'));
    test::WriteFile(dir / "письмо.hex", "Это не Intel HEX\n");
    test::WriteFile(dir / "контрольная.hex", ":0183000012FF\n:00000001FF\n");
    test::WriteFile(dir / "заметки.txt", "not an image, and not looked at");
  }
};

TEST(Grading, AClassOf30ReadsFromTheTerminalTheCsvAndThePage) {
  ClassOf30 c;
  const Outcome o = Batch(
      {"--lab", kLab, "--csv", c.dir / "class.csv", "--html", c.dir / "class.html", c.dir.Path()});
  EXPECT_EQ(o.status, 1) << o.err;
  EXPECT_EQ(o.err, "");
  EXPECT_EQ(Count("\n" + o.out, "\n+ "), 15u) << o.out;
  EXPECT_NE(o.out.find("+ " + (c.dir / "Иванов.mem") + ": зачтено (HLT, 37 строк)\n"),
            std::string::npos)
      << o.out;
  EXPECT_NE(o.out.find("- " + (c.dir / "ошибка0.mem") +
                       ": не зачтено (HLT, 37 строк)\n"
                       "    ✗ A = 8E — найдено: 7C\n"
                       "    ✗ сумма (8310) = 8E — найдено: 7C\n"),
            std::string::npos)
      << o.out;
  EXPECT_NE(o.out.find("    ✗ остановка: HLT — найдено: не остановилась за 10000 строк\n"),
            std::string::npos);
  EXPECT_NE(o.out.find(": файл не читается: Строка 1: неверная контрольная сумма FF, должна быть "
                       "6A\n"),
            std::string::npos);
  for (const char* line :
       {"Зачтено 15 из 30.\n", "Не зачтено 15, по причинам:\n", "  файл не читается: 5\n",
        "  не остановилась за 10000 строк: 5\n", "  A = 8E: 5\n", "  сумма (8310) = 8E: 5\n"})
    EXPECT_NE(o.out.find(line), std::string::npos) << line << o.out;
  EXPECT_EQ(o.out.find("заметки"), std::string::npos);

  const std::string csv = test::ReadFile(c.dir / "class.csv");
  ASSERT_TRUE(
      csv.starts_with("\xEF\xBB\xBFученик;файл;итог;строк;байтов программы;"
                      "остановка: HLT;A = 8E;сумма (8310) = 8E;не больше 24 байтов "
                      "программы\r\n"))
      << csv;
  EXPECT_EQ(Count(csv, "\r\n"), 31u);
  EXPECT_NE(csv.find("\r\nИванов;" + (c.dir / "Иванов.mem") + ";зачтено;37;17;HLT;8E;8E;17\r\n"),
            std::string::npos)
      << csv;
  EXPECT_NE(csv.find(";не зачтено;37;17;HLT;✗ 7C;✗ 7C;17\r\n"), std::string::npos);

  const std::string html = test::ReadFile(c.dir / "class.html");
  EXPECT_TRUE(html.starts_with("<!DOCTYPE html>")) << html;
  EXPECT_EQ(Count(html, "<tr><th scope=\"row\""), 30u);
  EXPECT_EQ(Count(html, "<td class=\"yes\">зачтено</td>"), 15u);
  for (const char* outside : {"http", "src=", "<script", "<link"})
    EXPECT_EQ(html.find(outside), std::string::npos) << outside;
}

struct Status {
  const char* what;
  std::vector<std::string> args;  // "DIR/" stands for the class's folder
  int status;
  const char* err;  // what standard error starts with
};
void PrintTo(const Status& s, std::ostream* os) { *os << s.what; }

class GradingStatus : public testing::TestWithParam<Status> {};

TEST_P(GradingStatus, SaysWhatWentWrong) {
  test::ScratchDir dir;
  Save(dir / "a.mem", kRight);
  Save(dir / "b.mem", kEndless);
  test::WriteFile(dir / "bad.lab", "{\"title\": \"\"}");
  std::filesystem::create_directory(dir / "empty");
  std::vector<std::string> args;
  for (const std::string& a : GetParam().args)
    args.push_back(a.starts_with("DIR/") ? dir / a.substr(4) : a == "LAB" ? kLab : a);
  std::string err = GetParam().err;
  if (const size_t at = err.find("DIR/"); at != std::string::npos) err.replace(at, 4, dir / "");
  const Outcome o = Batch(args);
  EXPECT_EQ(o.status, GetParam().status) << o.out << o.err;
  EXPECT_TRUE(o.err.starts_with(err)) << o.err;
}

INSTANTIATE_TEST_SUITE_P(
    Batch, GradingStatus,
    testing::Values(
        Status{"all passed", {"--lab", "LAB", "DIR/a.mem"}, 0, ""},
        Status{"one endless", {"--lab", "LAB", "DIR/a.mem", "DIR/b.mem"}, 1, ""},
        Status{"a missing file", {"--lab", "LAB", "DIR/a.mem", "DIR/c.mem"}, 2, ""},
        Status{
            "a folder without images", {"--lab", "LAB", "DIR/empty"}, 2, "tamrel-batch: в папке "},
        Status{"an unreadable lab",
               {"--lab", "DIR/bad.lab", "DIR/a.mem"},
               2,
               "tamrel-batch: DIR/bad.lab: В задании нет поля «task»"},
        Status{"a missing lab",
               {"--lab", "DIR/none.lab", "DIR/a.mem"},
               2,
               "tamrel-batch: DIR/none.lab: File not found"},
        Status{"--set with a lab",
               {"--lab", "LAB", "--set", "A=01", "DIR/a.mem"},
               2,
               "tamrel-batch: --set"},
        Status{"--csv without a lab", {"--csv", "x.csv", "DIR/a.mem"}, 2, "tamrel-batch: --csv"}));

TEST(Grading, VersionIsTheWindows) {
  EXPECT_EQ(Batch({"--version"}).out, "Tamrel Emul 1.0.0\n");
  const Outcome help = Batch({"--help"});
  EXPECT_NE(help.out.find("--lab"), std::string::npos);
  EXPECT_NE(help.out.find("0 every program passed"), std::string::npos);
}

}  // namespace
}  // namespace tamrel
