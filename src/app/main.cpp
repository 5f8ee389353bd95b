#include <cstdio>
#include <string>
#include <vector>

#include "app/dump.h"

#ifdef KOVRA_HAVE_UI
#include "ui/shell/live_program.h"
#endif

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

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv, argv + argc);
  // --dump anywhere wins, before anything else is looked at.
  kovra::Dump::runIfRequested(arguments, kovra::SamplerSet::live());

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
  if (help) {
    std::fputs(kHelp, stdout);
    return 0;
  }
  if (version) {
    std::fputs("kovra " KOVRA_VERSION "\n", stdout);
    return 0;
  }

#ifdef KOVRA_HAVE_UI
  return kovra::ui::runLiveProgram(argc, argv);
#else
  std::fputs("kovra: bu kopya arayüz olmadan derlendi; ölçümler için: kovra --dump\n", stderr);
  return 1;
#endif
}
