// Makes a scenario file into a fuzz seed: its desktop, settings and actions in the fuzzer's byte
// form (coordinates to the quarter point, times to the millisecond). Expectations are dropped:
// the fuzzer checks its own rules.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <type_traits>
#include <variant>

#include "case_bytes.hpp"
#include "scenario/scenario_parser.hpp"

using namespace plumora;

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: plumora-fuzz-seed SCENARIO.scn SEED\n");
    return 2;
  }
  std::ifstream in(argv[1]);
  std::stringstream text;
  text << in.rdbuf();
  if (!in) {
    std::fprintf(stderr, "plumora-fuzz-seed: cannot read %s\n", argv[1]);
    return 2;
  }
  auto parsed = simtool::parseScenario(text.str());
  if (const auto* error = std::get_if<simtool::ParseError>(&parsed)) {
    std::cerr << simtool::errorLine(argv[1], *error) << '\n';
    return 2;
  }
  const simtool::Scenario& scenario = std::get<simtool::Scenario>(parsed);
  fuzz::FuzzCase fuzzCase;
  fuzzCase.desktop = scenario;
  for (const simtool::Action& action : scenario.actions) {
    fuzz::FuzzAction converted;
    converted.time = action.time;
    bool fuzzed = true;
    std::visit(
        [&](const auto& what) {
          using T = std::decay_t<decltype(what)>;
          // The status menu, menus built again and full screen entered elsewhere are no part of
          // the fuzzed world.
          if constexpr (std::is_same_v<T, simtool::OpenStatusMenu> ||
                        std::is_same_v<T, simtool::ChooseMenuItem> ||
                        std::is_same_v<T, simtool::RebuildMenus> ||
                        std::is_same_v<T, simtool::ChangeFullScreen>) {
            fuzzed = false;
          } else {
            converted.what = what;
          }
        },
        action.what);
    if (fuzzed) fuzzCase.actions.push_back(converted);
  }
  const auto bytes = fuzz::writeCase(fuzzCase);
  std::ofstream out(argv[2], std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return out ? 0 : 2;
}
