// TForm2, the main window: the listing, the register view, the front panel, the flag boxes
// and the menu. It shows the core's state and turns each user event into one core call;
// it is also the core's PanelView.
#pragma once

#include <QAccessible>
#include <QCheckBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QUrl>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/dialogs.h"
#include "app/labwindow.h"
#include "app/listingmodel.h"
#include "app/valuelabel.h"
#include "files/unsaved.h"
#include "panel/trainer.h"
#include "panel/watch.h"

namespace tamrel {

class MemoryWindow;

class TForm2 : public QMainWindow, public PanelView {
 public:
  // `dialogs` answers the file menu's questions (the real dialogs when null).
  explicit TForm2(Dialogs* dialogs = nullptr, void (*sleep)() = RealSleep1ms);
  ~TForm2() override;

  // Start-up: seeds, places the window, builds the machine and the listing, hides the
  // splash, shows itself and sets the panel.
  void FormCreate(const RandomSource& rnd, const std::function<void()>& closeSplash = {});
  Trainer& trainer() { return t_; }

  // PanelView
  void ShowAddress(std::string_view text) override;
  void ShowData(std::string_view text) override;
  void ShowEntry(std::string_view text) override;
  void ShowRegisters(const TRegisters& r) override;
  void ShowFlags(const TFlags& f) override;
  void ShowStackPointer(std::string_view text) override;
  void ProcessEvents() override;

  // Keypad, row by row.
  void Button1Click() {}  // REG
  void Button2Click() { Do(MemKey); }
  void Button3Click() {}  // BRK
  void Button4Click() {}  // CLR
  void Button5Click() { RstClick(); }
  void Button6Click() { Digit('C'); }
  void Button7Click() { Digit('D'); }
  void Button8Click() { Digit('E'); }
  void Button9Click() { Digit('F'); }
  void Button10Click() { StepClick(); }
  void Button11Click() { Digit('8'); }
  void Button12Click() { Digit('9'); }
  void Button13Click() { Digit('A'); }
  void Button14Click() { Digit('B'); }
  void Button15Click() { RunClick(); }
  void Button16Click() { Digit('4'); }
  void Button17Click() { Digit('5'); }
  void Button18Click() { Digit('6'); }
  void Button19Click() { Digit('7'); }
  void Button20Click() { Do(AddrKey); }
  void Button21Click() { Digit('0'); }
  void Button22Click() { Digit('1'); }
  void Button23Click() { Digit('2'); }
  void Button24Click() { Digit('3'); }
  void Button25Click() { Do(NextKey); }

  // Menu. The file entries are in app/form2_files.cpp.
  void N2Click();  // New
  void N3Click();  // Open
  // Open without the dialog: the named file goes through the same checks and messages.
  void OpenFile(const QString& name);
  // A file named on the command line: Intel HEX import for a name ending in .hex (any case),
  // else Open.
  void OpenArgument(const QString& name);
  void N4Click();  // Save
  void N6Click() { close(); }
  void N8Click();   // shift down
  void N9Click();   // print to file
  void N10Click();  // shift up
  void N13Click();  // About
  void N14Click();  // Intel HEX import
  void N15Click();  // Intel HEX export
  void N17Click();  // paste a program from the clipboard
  void N18Click();  // open a program text
  // Stores a program text (the clipboard's, or a file's decoded) from the PC on, or says which
  // line it cannot.
  void PasteProgram(const QString& text);

  // Labs, in app/form2_lab.cpp: the task shown and its data loaded, the program checked.
  void OpenLabClick();  // "Открыть задание…"
  void OpenLab(const QString& name);
  void CheckLabClick();  // "Проверить", on a copy of the machine
  QAction *OpenLabAction = nullptr, *CheckLabAction = nullptr;
  LabWindow* LabView = nullptr;  // the task and the last check

  // Debugging, in app/form2_debug.cpp: the menu "Отладка" and the listing's context menu.
  void BreakpointClick();  // F9: the row of PC
  void ClearBreakpointsClick();
  void StepBackClick();  // Shift+F7
  // Right click or the context-menu key on listing row `row`: a menu for that row alone.
  void ListingMenuRequested(int64_t row, const QPoint& globalPos);
  void ListingBreakpointClick();
  bool TakeShown(ShownViews& s) const override;
  void PutShown(const ShownViews& s) override;
  void N16Click();  // the guide, in the desktop's web browser

  // Seeing the machine work, in app/form2_see.cpp.
  void StepClick();  // STEP, RUN and RST with the status line, slow motion and the marks
  void RunClick();
  void RstClick();
  void GoToPcClick();
  void SpeedClick(int linesPerSecond);  // 0: full speed
  void MemoryClick();
  static size_t HexKeyButton(char digit);  // the keypad key of a hex digit; 0 for none

  void CheckBox1Click();
  void StringGrid1SelectCell(int col, int row);

  // Widgets, by their names on the form.
  QGroupBox *GroupBox1, *GroupBox2, *GroupBox3, *GroupBox4, *GroupBox5;
  QTableView* StringGrid1;
  QTableWidget* StringGrid2;
  QLineEdit *Edit1, *Edit2, *Edit3;
  std::array<QPushButton*, 26> Button{};  // Button[1] .. Button[25]
  QCheckBox *CheckBox1, *CheckBox2, *CheckBox3, *CheckBox4, *CheckBox5;
  ValueLabel* Label1;
  QMenu *N1, *N7, *N12;
  QAction *N2, *N3, *N4, *N9, *N6, *N8, *N10, *N13;
  QMenu *DebugMenu, *ListingMenu;
  QAction *BreakpointAction, *ClearBreakpointsAction, *StepBackAction, *ListingBreakpointAction;
  QAction *N14, *N15, *N16;  // Intel HEX import and export, the guide
  QAction *N17, *N18;        // paste a program, open a program text
  QAction *GoToPcAction = nullptr, *FollowPcAction = nullptr, *MemoryAction = nullptr;
  QMenu* SpeedMenu = nullptr;
  std::vector<QAction*> SpeedActions;  // full speed, 1000, 100, 10, 1 lines a second
  QGroupBox* GroupBox6 = nullptr;      // "Состояние"
  ValueLabel* StatusLine = nullptr;
  MemoryWindow* Memory = nullptr;  // made when first asked for
  // How the guide is opened (the desktop's handler by default); false when it was not.
  std::function<bool(const QUrl&)> OpenUrl = QDesktopServices::openUrl;
  // Where the register and flag views' accessibility events go (to assistive technology when
  // empty, and only while it listens).
  std::function<void(QAccessibleEvent&)> Announce;

 protected:
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void BuildPanel();
  void BuildViews();
  void BuildMenu();
  void BuildDebug();
  void BuildKeys();  // focus chain, function keys, mnemonics and standard shortcuts
  void BuildSee();
  void BuildKeypadKeys();
  void PcMoved();  // the PC marker, and the listing follows it when asked
  void ShowStatus(const std::string& text);
  void UpdateStepBack();
  void SlowLine();
  void RunEnded(const RunResult& r);
  void Seen();  // after a STEP, a RUN or a line of a slow one
  void CheckEntry();
  void AnnounceRegisters(const TRegisters& before, const TRegisters& after);
  void AnnounceFlag(QCheckBox* box, bool was);
  void Tell(QAccessibleEvent& e);
  void Do(void (*action)(Trainer&)) { action(t_); }
  void Digit(char d) {
    HexKey(t_, d);
    UpdateStepBack();
  }
  // The entry line's keys; each returns whether the key stops there.
  bool Edit3KeyDown(const QKeyEvent& key);
  bool Edit3KeyPress(const QString& text);
  bool SaveMemory();  // Save: true when the memory was written
  // The save dialog for `filter` and `suffix` (No to the overwrite question shows it again),
  // then `write` on the chosen file; true when it was written, which keeps the work.
  bool SaveTo(const QString& filter, const QString& suffix,
              const std::function<std::optional<std::string>(const std::string&)>& write);
  // Before the work in memory is replaced or the program ends: a running program is stopped
  // and `again` runs once it has ended (false now); with unsaved work the save-state question
  // is asked, and Yes saves first. False when the action must not go on now.
  bool MayLeave(const std::function<void()>& again);
  void ImportFile(const QString& name);
  // After a file changed the work in memory: shown and kept, or the failure shown.
  void Loaded(const std::optional<std::string>& err, const QString& name);
  bool ClipboardHoldsProgram() const;
  void BuildLab();
  // `name` is the file the user chose; where the text carries it, it is shown as chosen.
  void ShowFailure(const std::optional<std::string>& err, const QString& name = {});

  Trainer t_;
  SavedImage saved_;  // the work last kept in a file, against which "unsaved" is told
  ListingModel* model_ = nullptr;
  std::unique_ptr<Dialogs> ownDialogs_;
  Dialogs* dialogs_;
  TRegisters shownRegisters_;  // what the register view shows, for stepping back
  std::optional<Lab> lab_;     // the lab opened last
  int64_t listingMenuRow_ = 0;
  ChangeWatch watch_;
  int speed_ = 0;
  std::optional<RunState> slowRun_;
  QTimer* slowTimer_ = nullptr;
  QAction* entryMark_ = nullptr;
  bool entryProblemShown_ = false;
};

}  // namespace tamrel
