// vandro-cli's query beside the physical limit (query_plain.cpp), both as
// whole programs started from the shell, start-up included:
//
//   bench_cli_query [objects]     (20000 objects x 10 states x 8 values)
//
// The project is made with `vandro-cli new` and filled with `vandro-cli
// import` from a generated table; then `vandro-cli query P "FIND ALL OBJECTS
// WITHIN EVERYTHING CONDITION P1 > 100"` and `query_plain` run three times
// each, and the best times are compared. Both must find the same objects.
#include "bench_support.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

using namespace vandro::bench;

namespace {

// Runs command through the shell: its seconds, and its standard output.
double Timed(const std::string& command, std::string& output) {
  const auto start = std::chrono::steady_clock::now();
  FILE* pipe = popen(command.c_str(), "r");
  output.clear();
  char buffer[4096];
  while (pipe && std::fgets(buffer, sizeof buffer, pipe))
    output += buffer;
  const int status = pipe ? pclose(pipe) : -1;
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (status != 0) {
    std::fprintf(stderr, "failed: %s\n", command.c_str());
    std::exit(1);
  }
  return seconds;
}

double Best(const std::string& command, std::string& output) {
  double best = 0;
  for (int round = 0; round < 3; ++round) {
    const double seconds = Timed(command, output);
    best = round == 0 ? seconds : std::min(best, seconds);
  }
  return best;
}

} // namespace

int main(int argc, char** argv) {
  const int objects = argc > 1 ? std::atoi(argv[1]) : 20000;
  if (objects <= 0) {
    std::fprintf(stderr, "usage: %s [objects]\n", argv[0]);
    return 2;
  }
  const std::string dir = TemporaryDirectory();
  setenv("VANDRO_CONFIG_DIR", dir.c_str(), 1);
  {
    std::ofstream table(dir + "/table.txt");
    table << "_Object_Name\t_Real_Time";
    for (int v = 1; v <= 8; ++v)
      table << "\tP" << v;
    table << "\n";
    for (int o = 0; o < objects; ++o)
      for (int s = 0; s < 10; ++s) {
        table << "OBJECT" << o << "\t" << (s + 1 < 10 ? "0" : "") << s + 1 << ".01.2020 12:00:00";
        for (int v = 0; v < 8; ++v)
          table << "\t" << ValueText(o, s, v);
        table << "\n";
      }
  }
  const std::string cli = VANDRO_CLI;
  const std::string project = dir + "/P.vdp";
  std::string output;
  Timed("\"" + cli + "\" new \"" + dir + "/P\"", output);
  Timed("\"" + cli + "\" import \"" + project + "\" \"" + dir + "/table.txt\" 2>/dev/null", output);

  const std::string query = "FIND ALL OBJECTS WITHIN EVERYTHING CONDITION P1 > 100";
  std::string listed, counted;
  const double own = Best("\"" + cli + "\" query \"" + project + "\" \"" + query + "\"", listed);
  const double plain = Best("\"" VANDRO_QUERY_PLAIN "\" \"" + dir + "/P.vdb\" 100", counted);
  long lines = 0;
  for (const char c : listed)
    lines += c == '\n';
  const bool same = lines == std::atol(counted.c_str());
  std::printf("%d objects x 10 states x 8 values, imported with vandro-cli\n", objects);
  std::printf("%s: %ld hits\n", query.c_str(), lines);
  std::printf("vandro-cli query %.3f s, plain reading %.3f s (%s hits), ratio %.2f (at most 3)\n",
              own, plain, same ? "the same" : "NOT the same", own / plain);
  RemoveUnlessKept(dir);
  return same ? 0 : 1;
}
