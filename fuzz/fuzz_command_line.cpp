// Any command line: the input's bytes split at NUL bytes are the process's arguments, the
// program's name first. Reading them never fails silently: it either starts the window
// (nothing printed, at most one file) or ends at once with status 0 and a text for standard
// output (--help, --version) or status 2 and a text for standard error that says what was
// wrong. A file name comes back as the bytes it was given as.
#include <string>
#include <vector>

#include "app/options.h"
#include "fuzz_common.h"
#include "tamrel_config.h"

using namespace tamrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string> words = fuzz::Words(data, size);
  if (words.size() > 16) return 0;  // a longer line adds nothing but time
  std::vector<const char*> argv;
  for (const std::string& w : words) argv.push_back(w.c_str());
  const QStringList arguments = ArgumentList(static_cast<int>(argv.size()), argv.data());
  const CommandLine c = ParseCommandLine(arguments);

  if (!c.exit) {
    if (c.status != 0 || !c.out.isEmpty() || !c.err.isEmpty()) fuzz::Fail("starts with a text");
    if (!c.options.file.isEmpty()) {
      // The file is one of the words as given: the window opens exactly that name.
      const std::string name = FileNameBytes(c.options.file);
      bool given = false;
      for (size_t k = 1; k < words.size() && !given; ++k) given = name == words[k];
      if (!given) fuzz::Fail("the file to open is not a word of the line");
    }
  } else if (c.status == 0) {
    if (c.out.isEmpty() || !c.err.isEmpty()) fuzz::Fail("help or version without its text");
  } else if (c.status == kUsageError) {
    if (!c.out.isEmpty() || !c.err.endsWith(QStringLiteral(" --help' for more information.\n")))
      fuzz::Fail("a mistake without its explanation");
  } else {
    fuzz::Fail("an exit status other than 0 or 2");
  }
  if (words.size() > 1 && (words[1] == "--help" || words[1] == "-h") &&
      !(c.exit && c.status == 0 && c.out.startsWith(QStringLiteral("Usage: "))))
    fuzz::Fail("--help first did not print the help");
  // --help wins over --version wherever it stands.
  const QString version = QStringLiteral("Tamrel Emul " TAMREL_VERSION "\n");
  if (words.size() > 1 && (words[1] == "--version" || words[1] == "-v") &&
      !(c.exit && c.status == 0 &&
        (c.out == version || c.out.startsWith(QStringLiteral("Usage: ")))))
    fuzz::Fail("--version first did not print the version");
  return 0;
}
