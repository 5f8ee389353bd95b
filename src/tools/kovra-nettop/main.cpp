// kovra-nettop: prints the cumulative bytes of every process's external TCP connections as
// comma-separated lines, one per process, for Kovra's per-app traffic list.
//
//   kovra-nettop -P -L 1 -x -n -t external -J bytes_in,bytes_out
//
// Output: a header ",bytes_in,bytes_out," (columns in the order -J names them; ",partial" before
// them when the search for socket owners hit its limit), then one line "name.pid,<in>,<out>," per
// process; names never hold a comma, a control character or a line separator. Exit status 0; 1
// when the sockets cannot be read; 2 for a command line it does not understand.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/process_traffic.h"

namespace {

struct Options {
  bool bytesInFirst = true;
};

int usage(std::string_view problem) {
  std::fprintf(stderr, "kovra-nettop: %.*s\nusage: kovra-nettop -P -L 1 -x -n -t external -J bytes_in,bytes_out\n",
               static_cast<int>(problem.size()), problem.data());
  return 2;
}

// Returns 0 when the command line is understood, else the exit status to leave with.
int parseOptions(const std::vector<std::string_view>& args, Options& options) {
  for (size_t i = 0; i < args.size(); ++i) {
    std::string_view a = args[i];
    if (a == "-P" || a == "-x" || a == "-n") continue;  // per process, raw numbers, no name lookups: always so
    if (a != "-L" && a != "-t" && a != "-J") return usage("unknown option " + std::string(a));
    if (i + 1 >= args.size()) return usage("missing value after " + std::string(a));
    std::string_view value = args[++i];
    if (a == "-L" && value != "1") return usage("only one sample (-L 1) is supported");
    if (a == "-t" && value != "external") return usage("only external interfaces (-t external) are supported");
    if (a == "-J") {
      if (value == "bytes_in,bytes_out") {
        options.bytesInFirst = true;
      } else if (value == "bytes_out,bytes_in") {
        options.bytesInFirst = false;
      } else {
        return usage("columns must be bytes_in,bytes_out or bytes_out,bytes_in");
      }
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  Options options;
  if (int status = parseOptions(args, options); status != 0) return status;

  auto traffic = kovra::readProcessTraffic();
  if (!traffic) {
    std::fprintf(stderr, "kovra-nettop: %s\n", traffic.error().c_str());
    return 1;
  }
  std::string out = kovra::renderTrafficListing(*traffic, options.bytesInFirst);
  if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0) {
    std::perror("kovra-nettop: write");
    return 1;
  }
  return 0;
}
