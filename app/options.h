// The command line. The program needs none: started without arguments it does what it always
// did. A file manager starts it with a memory image to open, and --help and --version answer
// without a display, so they work over SSH.
#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <string_view>

namespace tamrel {

struct Options {
  QString file;         // a memory image or Intel HEX file to open once the window is up
  bool webPage = true;  // whether start-up asks the desktop to open the guide
};

// What the command line asks for: the options to start with, or, with `exit` set, the texts to
// print and the status to end with at once (--help, --version, or a mistake).
struct CommandLine {
  Options options;
  bool exit = false;
  int status = 0;
  QString out;  // for standard output
  QString err;  // for standard error
};

// Status for a command line that cannot be followed.
constexpr int kUsageError = 2;

// `arguments` as the process got them, the program's name first. It needs no application
// object. The toolkit's own options (-platform, -style and the like) are accepted and left for
// the application object, which reads them again.
CommandLine ParseCommandLine(const QStringList& arguments);

// The process's arguments, decoded as FileNameText decodes file names.
QStringList ArgumentList(int argc, const char* const* argv);

// A file name's bytes as text: UTF-8, with every byte that is not part of a UTF-8 character
// kept as one of the code points DC80h-DCFFh, so that a name written in another encoding (an
// old disk's code page 1251, say) still names its file. FileNameBytes gives back exactly the
// bytes, and the UTF-8 of any other text.
QString FileNameText(std::string_view bytes);
std::string FileNameBytes(const QString& name);

// Prints a command line's texts; the status to end with.
int Report(const CommandLine& c);

}  // namespace tamrel
