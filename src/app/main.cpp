#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/dump.h"

#include "app/front_end.h"

#ifndef KOVRA_VERSION
#define KOVRA_VERSION "0"
#endif

namespace {

constexpr const char* kUsage = "kullanım: kovra [--dump | --help | --version]\n";

constexpr const char* kHelp =
    "Kovra: işlemci, bellek, ağ, disk ve pil izleyicisi.\n"
    "\n"
    "kullanım: kovra [--dump | --help | --version]\n"
    "\n"
    "  (argümansız)  sistem tepsisinde çalışır\n"
    "  --dump        bir ölçüm setini JSON olarak yazar ve çıkar (ekran gerekmez)\n"
    "  --help        bu metni yazar\n"
    "  --version     sürümü yazar\n";

// Writes `text` to standard output; a failed write (a full disk, say) is said on standard error
// and gives status 1, as nothing was delivered.
int printOut(const char* text) {
  if (std::fputs(text, stdout) >= 0 && std::fflush(stdout) == 0) return 0;
  std::fprintf(stderr, "kovra: standart çıktıya yazılamadı: %s\n", std::strerror(errno));
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv, argv + argc);
  // --dump anywhere wins, before anything else is looked at. The live samplers are made only for
  // it: making them reads the desktop's application entries and the process table.
  if (kovra::Dump::isRequested(arguments)) kovra::Dump::runIfRequested(arguments, kovra::SamplerSet::live());

  bool help = false;
  bool version = false;
  for (size_t i = 1; i < arguments.size(); ++i) {
    if (arguments[i] == "--help") {
      help = true;
    } else if (arguments[i] == "--version") {
      version = true;
    } else {
      std::fprintf(stderr, "kovra: bilinmeyen argüman: %s\n", arguments[i].c_str());
      std::fputs(kUsage, stderr);
      return 2;
    }
  }
  if (help) return printOut(kHelp);
  if (version) return printOut("kovra " KOVRA_VERSION "\n");

#ifdef KOVRA_HAVE_UI
  return kovra::FrontEnd::run(kovra::FrontEnd::besideProgram(KOVRA_FRONT_LIBRARY), argc, argv);
#else
  std::fputs("kovra: bu kopya arayüz olmadan derlendi; ölçümler için: kovra --dump\n", stderr);
  return 1;
#endif
}
