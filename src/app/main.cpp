#include <cstdio>
#include <string>
#include <vector>

#include "app/dump.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv, argv + argc);
  kovra::Dump::runIfRequested(arguments, kovra::SamplerSet::live());
  std::fputs("kullanım: kovra --dump\n", stderr);
  return 2;
}
